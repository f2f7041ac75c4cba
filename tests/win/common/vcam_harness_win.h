// Helpers for the virtual microscope's tests: registering it, adding instances with vcamctl,
// binding a device by name and building the same capture graph the program builds.
#pragma once
#include <windows.h>
#include <dshow.h>
#include <qedit.h>

#include <string>
#include <vector>

#include "capture/com_ptr_win.h"
#include "testcam/vcam_write_log.h"

// Runs bin/vcamctl.exe with the given arguments, pumping messages meanwhile (it may send
// WM_DEVICECHANGE to our windows); returns its exit code, or -1 if it could not run.
int RunVcamctl(const std::wstring& args);

// Registers bin/vcam.dll (LoadLibrary + DllRegisterServer) once per process.
bool EnsureVcamRegistered();

// Adds an instance for the duration of a test and removes it afterwards.
class ScopedCamera {
public:
    ScopedCamera(const std::wstring& name, const std::wstring& options = L"");
    ~ScopedCamera();
    const std::wstring& name() const { return name_; }
    bool ok() const { return ok_; }

private:
    std::wstring name_;
    bool ok_ = false;
};

// The device moniker whose friendly name is name, or null.
IMoniker* FindCameraMoniker(const std::wstring& name);
IBaseFilter* BindCamera(const std::wstring& name);

// A sample-grabber callback that keeps every buffer's length and the last few buffers.
class FrameCollector : public ISampleGrabberCB {
public:
    FrameCollector();
    ~FrameCollector();
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
    STDMETHODIMP BufferCB(double time, BYTE* buffer, long length) override;

    size_t Count();
    std::vector<long> Lengths();
    std::vector<double> Times();
    std::vector<std::vector<BYTE>> Buffers();  // the last kKeep buffers
    size_t SignalFrames();                      // colour-bar frames among all received
    void Clear();
    static constexpr size_t kKeep = 16;

private:
    CRITICAL_SECTION lock_;
    std::vector<long> lengths_;
    std::vector<double> times_;
    std::vector<std::vector<BYTE>> buffers_;
    size_t signals_ = 0;
};

struct StreamFormat {
    bool mjpg;
    int width, height;
};

// The capture graph as the program builds it: camera -> Sample Grabber -> Null Renderer with
// IGraphBuilder::Connect, and the still pin through RenderStream(PIN_CATEGORY_STILL).
class TestGraph {
public:
    ~TestGraph() { Close(); }
    // Builds the graph around camera (a reference is taken); format is set on the capture pin
    // first when given. Does not run it.
    bool Build(IBaseFilter* camera, const StreamFormat* format, FrameCollector* preview, FrameCollector* still);
    // The same around the camera called cameraName, bound for the graph.
    bool Build(const std::wstring& cameraName, const StreamFormat* format, FrameCollector* preview,
               FrameCollector* still);
    HRESULT Run() { return control_->Run(); }
    HRESULT Pause() { return control_->Pause(); }
    HRESULT Stop() { return control_->Stop(); }
    bool HasStillBranch() const { return static_cast<bool>(stillGrabber_); }
    IBaseFilter* Camera() const { return camera_.Get(); }
    IGraphBuilder* Graph() const { return graph_.Get(); }
    void Close();

private:
    ComPtr<ICaptureGraphBuilder2> builder_;
    ComPtr<IGraphBuilder> graph_;
    ComPtr<IMediaControl> control_;
    ComPtr<IBaseFilter> camera_, grabberFilter_, nullFilter_, stillGrabberFilter_, stillNullFilter_;
    ComPtr<ISampleGrabber> grabber_, stillGrabber_;
};

// Sets format on the camera's capture pin through IAMStreamConfig (the matching capability).
HRESULT SetCameraFormat(IBaseFilter* camera, const StreamFormat& format);
// The first / n-th output pin of a filter (a reference), or null.
IPin* OutputPin(IBaseFilter* filter, int n);

// JPEG header of a buffer: false if it is not a readable JPEG.
bool JpegSize(const BYTE* data, long length, int* width, int* height, int* subsampling);

// Every property write the virtual microscope camera received so far (IVcamWriteLog), oldest
// first; empty when camera is not a virtual microscope.
std::vector<VcamWrite> CameraWrites(IUnknown* camera);

// Process-wide counts for leak checks.
DWORD HandleCount();
DWORD ThreadCount();
