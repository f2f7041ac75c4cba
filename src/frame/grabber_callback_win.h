// The two sample-grabber callback objects the capture session registers in buffer mode:
// GrabberCallback for the preview pin, StillCallback for the still pin. They are static, count
// no references and are never freed.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

// What both share: QueryInterface answers IUnknown and ISampleGrabberCB with the object itself,
// references are not counted, SampleCB is not used.
class GrabberCallbackBase : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 2; }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
};

class PreviewGrabberCallback final : public GrabberCallbackBase {
public:
    HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, long length) override;
};

class StillGrabberCallback final : public GrabberCallbackBase {
public:
    HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, long length) override;
};

extern PreviewGrabberCallback GrabberCallback;
extern StillGrabberCallback StillCallback;
