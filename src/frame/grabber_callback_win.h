// The two sample-grabber callback objects the capture session registers in buffer mode:
// GrabberCallback for the preview pin, StillCallback for the still pin. They are static, count
// no references and are never freed.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>

class PreviewGrabberCallback final : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 2; }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, long length) override;
};

class StillGrabberCallback final : public ISampleGrabberCB {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 2; }
    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BufferCB(double sampleTime, BYTE* buffer, long length) override;
};

extern PreviewGrabberCallback GrabberCallback;
extern StillGrabberCallback StillCallback;
