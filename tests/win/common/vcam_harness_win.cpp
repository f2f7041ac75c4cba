// Helpers for the tests that use the virtual microscope (declared in vcam_harness_win.h;
// built into the shared Wine test harness so that every test folder can use them).
#include "common/vcam_harness_win.h"

#include <tlhelp32.h>
#include <turbojpeg.h>

#include <algorithm>

#include "common/pump_win.h"
#include "frame/signal_frame.h"

namespace {
const CLSID kClsidSampleGrabber = {0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
const CLSID kClsidNullRenderer = {0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

IBaseFilter* CreateFilter(const CLSID& clsid) {
    IBaseFilter* f = nullptr;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&f));
    return f;
}

bool IsUnconnected(IPin* pin) {
    IPin* peer = nullptr;
    HRESULT hr = pin->ConnectedTo(&peer);
    if (peer) peer->Release();
    return hr == VFW_E_NOT_CONNECTED;
}

// The first unconnected pin of a direction.
IPin* FreePin(IBaseFilter* filter, PIN_DIRECTION want) {
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Put()))) return nullptr;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION dir;
        pin->QueryDirection(&dir);
        if (dir == want && IsUnconnected(pin)) return pin;
        pin->Release();
    }
    return nullptr;
}
}  // namespace

int RunVcamctl(const std::wstring& args) {
    std::wstring cmd = L"\"" + BinPath(L"vcamctl.exe") + L"\" " + args;
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    WaitUntil([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 60000);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

bool EnsureVcamRegistered() {
    static bool done = [] {
        HMODULE dll = LoadLibraryW(BinPath(L"vcam.dll").c_str());
        if (!dll) return false;
        auto reg = reinterpret_cast<HRESULT(__stdcall*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
        bool ok = reg && SUCCEEDED(reg());
        return ok;  // the DLL stays loaded: COM will use this same module
    }();
    return done;
}

ScopedCamera::ScopedCamera(const std::wstring& name, const std::wstring& options) : name_(name) {
    ok_ = EnsureVcamRegistered() && RunVcamctl(L"add \"" + name + L"\" " + options) == 0;
}

ScopedCamera::~ScopedCamera() { RunVcamctl(L"remove \"" + name_ + L"\""); }

IMoniker* FindCameraMoniker(const std::wstring& name) {
    ComPtr<ICreateDevEnum> devEnum;
    ComPtr<IEnumMoniker> monikers;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                devEnum.PutVoid())) ||
        devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Put(), 0) != S_OK)
        return nullptr;
    IMoniker* m = nullptr;
    while (monikers->Next(1, &m, nullptr) == S_OK) {
        ComPtr<IPropertyBag> bag;
        if (SUCCEEDED(m->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) {
            VARIANT v;
            VariantInit(&v);
            bool match = SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && v.vt == VT_BSTR && name == v.bstrVal;
            VariantClear(&v);
            if (match) return m;
        }
        m->Release();
    }
    return nullptr;
}

IBaseFilter* BindCamera(const std::wstring& name) {
    ComPtr<IMoniker> m;
    *m.Put() = FindCameraMoniker(name);
    if (!m) return nullptr;
    IBaseFilter* f = nullptr;
    m->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&f));
    return f;
}

FrameCollector::FrameCollector() { InitializeCriticalSection(&lock_); }
FrameCollector::~FrameCollector() { DeleteCriticalSection(&lock_); }

STDMETHODIMP FrameCollector::QueryInterface(REFIID riid, void** out) {
    if (riid == IID_IUnknown || riid == __uuidof(ISampleGrabberCB)) {
        *out = this;
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP FrameCollector::BufferCB(double time, BYTE* buffer, long length) {
    EnterCriticalSection(&lock_);
    lengths_.push_back(length);
    times_.push_back(time);
    buffers_.emplace_back(buffer, buffer + length);
    if (buffers_.size() > kKeep) buffers_.erase(buffers_.begin());
    if (buffer && length > 0 && IsSignalFrame(buffer, size_t(length))) ++signals_;
    LeaveCriticalSection(&lock_);
    return S_OK;
}

size_t FrameCollector::SignalFrames() {
    EnterCriticalSection(&lock_);
    size_t n = signals_;
    LeaveCriticalSection(&lock_);
    return n;
}

size_t FrameCollector::Count() {
    EnterCriticalSection(&lock_);
    size_t n = lengths_.size();
    LeaveCriticalSection(&lock_);
    return n;
}
std::vector<long> FrameCollector::Lengths() {
    EnterCriticalSection(&lock_);
    auto v = lengths_;
    LeaveCriticalSection(&lock_);
    return v;
}
std::vector<double> FrameCollector::Times() {
    EnterCriticalSection(&lock_);
    auto v = times_;
    LeaveCriticalSection(&lock_);
    return v;
}
std::vector<std::vector<BYTE>> FrameCollector::Buffers() {
    EnterCriticalSection(&lock_);
    auto v = buffers_;
    LeaveCriticalSection(&lock_);
    return v;
}
void FrameCollector::Clear() {
    EnterCriticalSection(&lock_);
    lengths_.clear();
    times_.clear();
    buffers_.clear();
    signals_ = 0;
    LeaveCriticalSection(&lock_);
}

IPin* OutputPin(IBaseFilter* filter, int n) {
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Put()))) return nullptr;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION dir;
        pin->QueryDirection(&dir);
        if (dir == PINDIR_OUTPUT && n-- == 0) return pin;
        pin->Release();
    }
    return nullptr;
}

HRESULT SetCameraFormat(IBaseFilter* camera, const StreamFormat& format) {
    ComPtr<IPin> pin;
    *pin.Put() = OutputPin(camera, 0);
    if (!pin) return E_FAIL;
    ComPtr<IAMStreamConfig> config;
    HRESULT hr = pin->QueryInterface(IID_IAMStreamConfig, config.PutVoid());
    if (FAILED(hr)) return hr;
    int count = 0, size = 0;
    config->GetNumberOfCapabilities(&count, &size);
    if (size != sizeof(VIDEO_STREAM_CONFIG_CAPS)) return E_FAIL;
    for (int i = 0; i < count; ++i) {
        AM_MEDIA_TYPE* mt = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps;
        if (config->GetStreamCaps(i, &mt, reinterpret_cast<BYTE*>(&caps)) != S_OK) continue;
        auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat);
        bool match = mt->subtype == (format.mjpg ? MEDIASUBTYPE_MJPG : MEDIASUBTYPE_YUY2) &&
                     vih->bmiHeader.biWidth == format.width && vih->bmiHeader.biHeight == format.height;
        hr = match ? config->SetFormat(mt) : E_FAIL;
        CoTaskMemFree(mt->pbFormat);
        CoTaskMemFree(mt);
        if (match) return hr;
    }
    return E_FAIL;
}

bool TestGraph::Build(const std::wstring& cameraName, const StreamFormat* format, FrameCollector* preview,
                      FrameCollector* still) {
    ComPtr<IBaseFilter> camera;
    *camera.Put() = BindCamera(cameraName);
    return Build(camera.Get(), format, preview, still);
}

bool TestGraph::Build(IBaseFilter* camera, const StreamFormat* format, FrameCollector* preview,
                      FrameCollector* still) {
    if (!camera) return false;
    camera->AddRef();
    *camera_.Put() = camera;
    if (format && FAILED(SetCameraFormat(camera, *format))) return false;
    if (FAILED(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                                builder_.PutVoid())) ||
        FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                graph_.PutVoid())) ||
        FAILED(graph_->QueryInterface(IID_IMediaControl, control_.PutVoid())))
        return false;
    builder_->SetFiltergraph(graph_.Get());
    *grabberFilter_.Put() = CreateFilter(kClsidSampleGrabber);
    *nullFilter_.Put() = CreateFilter(kClsidNullRenderer);
    if (!grabberFilter_ || !nullFilter_) return false;
    graph_->AddFilter(camera, L"Camera Input");
    graph_->AddFilter(grabberFilter_.Get(), L"Sample Grabber");
    graph_->AddFilter(nullFilter_.Get(), L"Null Filter");
    grabberFilter_->QueryInterface(__uuidof(ISampleGrabber), grabber_.PutVoid());
    ComPtr<IPin> camOut, grabIn, grabOut, nullIn;
    *camOut.Put() = FreePin(camera, PINDIR_OUTPUT);
    *grabIn.Put() = FreePin(grabberFilter_.Get(), PINDIR_INPUT);
    *grabOut.Put() = FreePin(grabberFilter_.Get(), PINDIR_OUTPUT);
    *nullIn.Put() = FreePin(nullFilter_.Get(), PINDIR_INPUT);
    if (!camOut || !grabIn || !grabOut || !nullIn || !grabber_) return false;
    if (FAILED(graph_->Connect(camOut.Get(), grabIn.Get())) || FAILED(graph_->Connect(grabOut.Get(), nullIn.Get())))
        return false;
    grabber_->SetOneShot(FALSE);
    grabber_->SetBufferSamples(TRUE);
    grabber_->SetCallback(preview, 1);
    // The still branch: only when the camera has a second output pin.
    ComPtr<IPin> second;
    *second.Put() = OutputPin(camera, 1);
    if (second && still) {
        *stillGrabberFilter_.Put() = CreateFilter(kClsidSampleGrabber);
        *stillNullFilter_.Put() = CreateFilter(kClsidNullRenderer);
        graph_->AddFilter(stillGrabberFilter_.Get(), L"Sample Grabber2");
        graph_->AddFilter(stillNullFilter_.Get(), L"Null Filter2");
        stillGrabberFilter_->QueryInterface(__uuidof(ISampleGrabber), stillGrabber_.PutVoid());
        if (FAILED(builder_->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Video, camera, stillGrabberFilter_.Get(),
                                          stillNullFilter_.Get())))
            return false;
        stillGrabber_->SetOneShot(FALSE);
        stillGrabber_->SetBufferSamples(TRUE);
        stillGrabber_->SetCallback(still, 1);
    }
    return true;
}

void TestGraph::Close() {
    if (control_) control_->Stop();
    grabber_.Reset();
    stillGrabber_.Reset();
    if (graph_) {
        // Take the filters out so that the camera is released with its connections broken.
        for (IBaseFilter* f : {camera_.Get(), grabberFilter_.Get(), nullFilter_.Get(), stillGrabberFilter_.Get(),
                               stillNullFilter_.Get()})
            if (f) graph_->RemoveFilter(f);
    }
    stillNullFilter_.Reset();
    stillGrabberFilter_.Reset();
    nullFilter_.Reset();
    grabberFilter_.Reset();
    control_.Reset();
    builder_.Reset();
    graph_.Reset();
    camera_.Reset();
}

bool JpegSize(const BYTE* data, long length, int* width, int* height, int* subsampling) {
    tjhandle tj = tjInitDecompress();
    int cs = 0;
    bool ok = tjDecompressHeader3(tj, data, static_cast<unsigned long>(length), width, height, subsampling, &cs) == 0;
    tjDestroy(tj);
    return ok;
}

DWORD HandleCount() {
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
}

DWORD ThreadCount() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te = {sizeof(te)};
    DWORD n = 0, pid = GetCurrentProcessId();
    if (Thread32First(snap, &te)) {
        do {
            if (te.th32OwnerProcessID == pid) ++n;
        } while (Thread32Next(snap, &te));
    }
    CloseHandle(snap);
    return n;
}

std::vector<VcamWrite> CameraWrites(IUnknown* camera) {
    std::vector<VcamWrite> writes;
    ComPtr<IVcamWriteLog> log;
    if (!camera || FAILED(camera->QueryInterface(IID_IVcamWriteLog, log.PutVoid())))
        return writes;
    ULONG total = 0;
    log->GetWrites(nullptr, 0, &total);
    writes.resize(total);
    if (total) log->GetWrites(writes.data(), total, &total);
    writes.resize(std::min<size_t>(writes.size(), total));
    return writes;
}
