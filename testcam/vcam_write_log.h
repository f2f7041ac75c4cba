// What the virtual microscope's two control objects were asked to set, for the tests: the filter
// answers IVcamWriteLog with every IAMVideoProcAmp::Set and IAMCameraControl::Set call it
// received, in arrival order, rejected ones included.
#pragma once
#include <windows.h>
#include <unknwn.h>

// {6C2E7A51-93D4-4B8F-A1E6-0F5B2C7D9E34}
constexpr IID IID_IVcamWriteLog = {0x6c2e7a51, 0x93d4, 0x4b8f, {0xa1, 0xe6, 0x0f, 0x5b, 0x2c, 0x7d, 0x9e, 0x34}};

struct VcamWrite {
    LONG procAmp;   // 1 = IAMVideoProcAmp, 0 = IAMCameraControl
    LONG property;  // the interface's property id
    LONG value;
    LONG flags;
    HRESULT result;  // what Set returned
};

struct IVcamWriteLog : public IUnknown {
    // Copies up to capacity writes, oldest first, into out (may be null when capacity is 0) and
    // tells how many were received in all.
    virtual HRESULT STDMETHODCALLTYPE GetWrites(VcamWrite* out, ULONG capacity, ULONG* total) = 0;
};
