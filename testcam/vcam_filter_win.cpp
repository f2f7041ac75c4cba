// The virtual microscope's source filter: a capture pin and an optional still pin, each with
// its own streaming thread that renders the micrometer picture and pushes it downstream with
// IMemInputPin::Receive while the filter runs. Plain COM: C++ classes with delegated
// reference counting for the pins and the two control objects.
#include "vcam_filter_win.h"

#include <dshow.h>
#include <dvdmedia.h>
#include <ks.h>
#include <ksmedia.h>
#include <turbojpeg.h>

#include <process.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "depth_control_win.h"
#include "depth_specimen.h"
#include "picture.h"
#include "pre_encoded.h"
#include "vcam_config_win.h"
#include "vcam_slide_win.h"
#include "vcam_write_log.h"

namespace {

std::atomic<LONG> g_objects{0};

constexpr wchar_t kCapturePinName[] = L"Capture";
constexpr wchar_t kStillPinName[] = L"Still";

// ---- media types ------------------------------------------------------------------------

DWORD ImageSize(const VcamFormat& f) {
    return static_cast<DWORD>(f.width) * f.height * (f.mjpg ? 3 : 2);
}

// Fills mt (fresh, owning a CoTaskMem format block) for format f at the given frame rate, with a
// VideoInfo block or, for f.vi2, a VideoInfo2 block.
HRESULT BuildMediaType(const VcamFormat& f, int fps, AM_MEDIA_TYPE* mt) {
    ZeroMemory(mt, sizeof(*mt));
    if (f.vi2) {
        auto* vih2 = static_cast<VIDEOINFOHEADER2*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER2)));
        if (!vih2) return E_OUTOFMEMORY;
        ZeroMemory(vih2, sizeof(*vih2));
        VcamFormat plain = f;
        plain.vi2 = false;
        HRESULT hr = BuildMediaType(plain, fps, mt);
        if (FAILED(hr)) {
            CoTaskMemFree(vih2);
            return hr;
        }
        const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt->pbFormat);
        vih2->rcSource = vih->rcSource;
        vih2->rcTarget = vih->rcTarget;
        vih2->dwBitRate = vih->dwBitRate;
        vih2->AvgTimePerFrame = vih->AvgTimePerFrame;
        vih2->dwPictAspectRatioX = static_cast<DWORD>(f.width);
        vih2->dwPictAspectRatioY = static_cast<DWORD>(f.height);
        vih2->bmiHeader = vih->bmiHeader;
        CoTaskMemFree(mt->pbFormat);
        mt->formattype = FORMAT_VideoInfo2;
        mt->cbFormat = sizeof(VIDEOINFOHEADER2);
        mt->pbFormat = reinterpret_cast<BYTE*>(vih2);
        return S_OK;
    }
    auto* vih = static_cast<VIDEOINFOHEADER*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
    if (!vih) return E_OUTOFMEMORY;
    ZeroMemory(vih, sizeof(*vih));
    vih->AvgTimePerFrame = 10000000 / fps;
    vih->dwBitRate = static_cast<DWORD>(std::min<ULONGLONG>(0xFFFFFFFFull, 8ull * ImageSize(f) * fps));
    vih->rcSource = {0, 0, f.width, f.height};
    vih->rcTarget = vih->rcSource;
    vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih->bmiHeader.biWidth = f.width;
    vih->bmiHeader.biHeight = f.height;
    vih->bmiHeader.biPlanes = 1;
    vih->bmiHeader.biBitCount = f.mjpg ? 24 : 16;
    vih->bmiHeader.biCompression = f.mjpg ? MAKEFOURCC('M', 'J', 'P', 'G') : MAKEFOURCC('Y', 'U', 'Y', '2');
    vih->bmiHeader.biSizeImage = ImageSize(f);
    mt->majortype = MEDIATYPE_Video;
    mt->subtype = f.mjpg ? MEDIASUBTYPE_MJPG : MEDIASUBTYPE_YUY2;
    mt->bFixedSizeSamples = f.mjpg ? FALSE : TRUE;
    mt->bTemporalCompression = FALSE;
    mt->lSampleSize = f.mjpg ? 0 : ImageSize(f);
    mt->formattype = FORMAT_VideoInfo;
    mt->cbFormat = sizeof(VIDEOINFOHEADER);
    mt->pbFormat = reinterpret_cast<BYTE*>(vih);
    return S_OK;
}

void FreeMediaTypeContent(AM_MEDIA_TYPE* mt) {
    if (mt->cbFormat && mt->pbFormat) CoTaskMemFree(mt->pbFormat);
    mt->cbFormat = 0;
    mt->pbFormat = nullptr;
    if (mt->pUnk) {
        mt->pUnk->Release();
        mt->pUnk = nullptr;
    }
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* dst, const AM_MEDIA_TYPE* src) {
    *dst = *src;
    if (src->cbFormat) {
        dst->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(src->cbFormat));
        if (!dst->pbFormat) {
            dst->cbFormat = 0;
            return E_OUTOFMEMORY;
        }
        memcpy(dst->pbFormat, src->pbFormat, src->cbFormat);
    }
    if (dst->pUnk) dst->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* NewMediaType(const VcamFormat& f, int fps) {
    auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!mt) return nullptr;
    if (FAILED(BuildMediaType(f, fps, mt))) {
        CoTaskMemFree(mt);
        return nullptr;
    }
    return mt;
}

// Reads a media type as one of our formats; false if it is not MJPG/YUY2 VideoInfo or
// VideoInfo2 video.
bool FormatFromMediaType(const AM_MEDIA_TYPE* mt, VcamFormat* f) {
    if (!mt || mt->majortype != MEDIATYPE_Video || !mt->pbFormat) return false;
    const BITMAPINFOHEADER* bih = nullptr;
    if (mt->formattype == FORMAT_VideoInfo && mt->cbFormat >= sizeof(VIDEOINFOHEADER))
        bih = &reinterpret_cast<const VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader;
    else if (mt->formattype == FORMAT_VideoInfo2 && mt->cbFormat >= sizeof(VIDEOINFOHEADER2))
        bih = &reinterpret_cast<const VIDEOINFOHEADER2*>(mt->pbFormat)->bmiHeader;
    if (!bih) return false;
    if (mt->subtype == MEDIASUBTYPE_MJPG)
        f->mjpg = true;
    else if (mt->subtype == MEDIASUBTYPE_YUY2)
        f->mjpg = false;
    else
        return false;
    f->width = bih->biWidth;
    f->height = std::abs(bih->biHeight);
    f->vi2 = mt->formattype == FORMAT_VideoInfo2;
    return true;
}

bool SameFormat(const VcamFormat& a, const VcamFormat& b) {
    return a.mjpg == b.mjpg && a.width == b.width && a.height == b.height;
}

// The still pin's picture for a preview format: the preview's subtype, at the configured still
// size when there is one.
VcamFormat StillFormatFor(const VcamConfig& config, VcamFormat preview) {
    if (config.stillWidth > 0) {
        preview.width = config.stillWidth;
        preview.height = config.stillHeight;
    }
    return preview;
}

// A partially specified type (GUID_NULL fields, no format block) matches ours loosely.
bool PartialMatch(const AM_MEDIA_TYPE* want, const VcamFormat& f) {
    if (want->majortype != GUID_NULL && want->majortype != MEDIATYPE_Video) return false;
    if (want->subtype != GUID_NULL && want->subtype != (f.mjpg ? MEDIASUBTYPE_MJPG : MEDIASUBTYPE_YUY2)) return false;
    if (want->formattype != GUID_NULL && want->formattype != (f.vi2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo)) return false;
    VcamFormat g;
    if (want->formattype != GUID_NULL && FormatFromMediaType(want, &g)) return SameFormat(f, g);
    return true;
}

class VcamFilter;

// ---- controls: two small objects; they share the filter's reference count ------------------

struct ControlInfo {
    bool supported;
    long min, max, step, def, caps, defFlags;
};

// Camera-like ranges (a USB microscope with a UVC-style processing unit).
const ControlInfo kProcAmpInfo[14] = {
    {true, -64, 64, 1, 0, VideoProcAmp_Flags_Manual, VideoProcAmp_Flags_Manual},             // Brightness
    {true, 0, 64, 1, 32, VideoProcAmp_Flags_Manual, VideoProcAmp_Flags_Manual},              // Contrast
    {true, -40, 40, 1, 0, VideoProcAmp_Flags_Manual, VideoProcAmp_Flags_Manual},             // Hue
    {true, 0, 128, 1, 64, VideoProcAmp_Flags_Manual, VideoProcAmp_Flags_Manual},             // Saturation
    {true, 0, 6, 1, 3, VideoProcAmp_Flags_Manual, VideoProcAmp_Flags_Manual},                // Sharpness
    {true, 72, 500, 1, 100, VideoProcAmp_Flags_Manual, VideoProcAmp_Flags_Manual},           // Gamma
    {false, 0, 0, 0, 0, 0, 0},                                                               // ColorEnable
    {true, 2800, 6500, 10, 4600, VideoProcAmp_Flags_Auto | VideoProcAmp_Flags_Manual,
     VideoProcAmp_Flags_Auto},                                                               // WhiteBalance
    {true, 0, 2, 1, 1, VideoProcAmp_Flags_Manual, VideoProcAmp_Flags_Manual},                // Backlight
    {true, 0, 100, 1, 0, VideoProcAmp_Flags_Manual, VideoProcAmp_Flags_Manual},              // Gain
    {false, 0, 0, 0, 0, 0, 0},                                                               // DigitalMultiplier
    {false, 0, 0, 0, 0, 0, 0},                                                               // DigitalMultiplierLimit
    {false, 0, 0, 0, 0, 0, 0},                                                               // WhiteBalanceComponent
    {true, 0, 2, 1, 1, VideoProcAmp_Flags_Manual, VideoProcAmp_Flags_Manual},                // PowerLineFrequency
};
const ControlInfo kCameraControlInfo[7] = {
    {false, 0, 0, 0, 0, 0, 0},                                                               // Pan
    {false, 0, 0, 0, 0, 0, 0},                                                               // Tilt
    {false, 0, 0, 0, 0, 0, 0},                                                               // Roll
    {true, 100, 400, 10, 100, CameraControl_Flags_Manual, CameraControl_Flags_Manual},       // Zoom
    {true, -11, -2, 1, -6, CameraControl_Flags_Auto | CameraControl_Flags_Manual,
     CameraControl_Flags_Auto},                                                              // Exposure
    {false, 0, 0, 0, 0, 0, 0},                                                               // Iris
    {true, 0, 250, 5, 120, CameraControl_Flags_Auto | CameraControl_Flags_Manual,
     CameraControl_Flags_Auto},                                                              // Focus
};

// Range checks and the remembered values shared by both control objects.
class ControlSet {
public:
    ControlSet(const ControlInfo* info, int count) : info_(info), count_(count) {
        InitializeCriticalSection(&lock_);
        for (int i = 0; i < count; ++i) {
            value_[i] = info[i].def;
            flags_[i] = info[i].defFlags;
        }
    }
    ~ControlSet() { DeleteCriticalSection(&lock_); }
    HRESULT GetRange(long p, long* min, long* max, long* step, long* def, long* caps) const {
        if (!min || !max || !step || !def || !caps) return E_POINTER;
        if (!Supported(p)) return E_PROP_ID_UNSUPPORTED;
        const ControlInfo& c = info_[p];
        *min = c.min, *max = c.max, *step = c.step, *def = c.def, *caps = c.caps;
        return S_OK;
    }
    HRESULT Set(long p, long value, long flags) {
        if (!Supported(p)) return E_PROP_ID_UNSUPPORTED;
        const ControlInfo& c = info_[p];
        if (flags == 0 || (flags & ~c.caps)) return E_INVALIDARG;
        bool manual = !(flags & 1);  // the Auto flag is 1 in both interfaces
        if (manual && (value < c.min || value > c.max || (value - c.min) % c.step)) return E_INVALIDARG;
        EnterCriticalSection(&lock_);
        if (manual) value_[p] = value;
        flags_[p] = flags;
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    HRESULT Get(long p, long* value, long* flags) {
        if (!value || !flags) return E_POINTER;
        if (!Supported(p)) return E_PROP_ID_UNSUPPORTED;
        EnterCriticalSection(&lock_);
        *value = value_[p];
        *flags = flags_[p];
        LeaveCriticalSection(&lock_);
        return S_OK;
    }

private:
    bool Supported(long p) const { return p >= 0 && p < count_ && info_[p].supported; }
    const ControlInfo* info_;
    int count_;
    CRITICAL_SECTION lock_;
    long value_[16] = {};
    long flags_[16] = {};
};

// Every Set the two control objects receive, for the tests (IVcamWriteLog), with the filter's
// identity.
class WriteLog final : public IVcamWriteLog {
public:
    explicit WriteLog(IUnknown* owner) : owner_(owner) { InitializeCriticalSection(&lock_); }
    ~WriteLog() { DeleteCriticalSection(&lock_); }
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override { return owner_->QueryInterface(riid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }
    STDMETHODIMP GetWrites(VcamWrite* out, ULONG capacity, ULONG* total) override {
        if (!total || (capacity && !out)) return E_POINTER;
        EnterCriticalSection(&lock_);
        for (ULONG i = 0; i < capacity && i < writes_.size(); ++i) out[i] = writes_[i];
        *total = static_cast<ULONG>(writes_.size());
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    void Add(const VcamWrite& w) {
        EnterCriticalSection(&lock_);
        writes_.push_back(w);
        LeaveCriticalSection(&lock_);
    }

private:
    IUnknown* owner_;
    CRITICAL_SECTION lock_;
    std::vector<VcamWrite> writes_;
};

// IAMVideoProcAmp and IAMCameraControl have the same three methods: one object answers either,
// over its own table, with the filter's identity.
template <class Interface>
class ControlObject : public Interface {
public:
    ControlObject(IUnknown* owner, const ControlInfo* info, int count, WriteLog* log)
        : owner_(owner), set_(info, count), log_(log) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override { return owner_->QueryInterface(riid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }
    STDMETHODIMP GetRange(long p, long* mn, long* mx, long* st, long* df, long* cf) override {
        return set_.GetRange(p, mn, mx, st, df, cf);
    }
    STDMETHODIMP Set(long p, long v, long f) override {
        HRESULT hr = set_.Set(p, v, f);
        log_->Add({std::is_same<Interface, IAMVideoProcAmp>::value ? 1L : 0L, p, v, f, hr});
        return hr;
    }
    STDMETHODIMP Get(long p, long* v, long* f) override { return set_.Get(p, v, f); }

private:
    IUnknown* owner_;
    ControlSet set_;
    WriteLog* log_;
};
using ProcAmp = ControlObject<IAMVideoProcAmp>;
using CameraControl = ControlObject<IAMCameraControl>;

// ---- the output pin -----------------------------------------------------------------------

// One frame handed downstream, for the trace: its number, its start time and the performance
// counter just before Receive and when Receive returned.
struct HandOver {
    uint32_t frame;
    REFERENCE_TIME start;
    LONGLONG before, after;
};
constexpr size_t kTraceCapacity = 1 << 17;  // an hour at 30 frames a second

class VcamPin : public IPin, public IAMStreamConfig, public IKsPropertySet, public IAMDroppedFrames {
public:
    VcamPin(VcamFilter* filter, bool still) : filter_(filter), still_(still) {
        wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    }
    ~VcamPin() {
        StopStreaming();
        ReleaseConnection();
        if (tj_) tjDestroy(tj_);
        CloseHandle(wake_);
    }

    // IUnknown: counted on the filter.
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin
    STDMETHODIMP Connect(IPin* receivePin, const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin** pin) override;
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION* dir) override {
        if (!dir) return E_POINTER;
        *dir = PINDIR_OUTPUT;
        return S_OK;
    }
    STDMETHODIMP QueryId(LPWSTR* id) override;
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** out) override;
    STDMETHODIMP QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EndOfStream() override { return E_UNEXPECTED; }
    STDMETHODIMP BeginFlush() override { return E_UNEXPECTED; }
    STDMETHODIMP EndFlush() override { return E_UNEXPECTED; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE* pmt) override;
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE** pmt) override;
    STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** pmt, BYTE* scc) override;

    // IKsPropertySet: answers the pin category.
    STDMETHODIMP Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD cbData, DWORD* returned) override;
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    // IAMDroppedFrames (capture pin): counts since streaming last started.
    STDMETHODIMP GetNumDropped(long* count) override {
        if (!count) return E_POINTER;
        *count = dropped_.load();
        return S_OK;
    }
    STDMETHODIMP GetNumNotDropped(long* count) override {
        if (!count) return E_POINTER;
        *count = notDropped_.load();
        return S_OK;
    }
    STDMETHODIMP GetDroppedInfo(long, long*, long*) override { return E_NOTIMPL; }
    STDMETHODIMP GetAverageFrameSize(long* size) override {
        if (!size) return E_POINTER;
        const long frames = notDropped_.load();
        *size = frames ? static_cast<long>(bytesDelivered_.load() / frames) : 0;
        return S_OK;
    }

    const wchar_t* Name() const { return still_ ? kStillPinName : kCapturePinName; }
    bool IsConnected() const { return peer_ != nullptr; }
    // Format the pin streams or would connect with (under the filter lock).
    VcamFormat CurrentFormat() const;
    std::vector<VcamFormat> OfferedFormats() const;

    // State changes from the filter (under the filter lock, application thread).
    HRESULT StartStreaming();  // Stopped -> Paused: commit, start the thread
    void StopStreaming();      // -> Stopped: decommit (wakes GetBuffer), join
    void Wake() { SetEvent(wake_); }
    void ClearHalt() { halted_ = false; }
    // True while the thread is between its last state check and the end of Receive.
    bool Delivering() const { return delivering_.load(); }

private:
    HRESULT TryConnect(IPin* receivePin, const VcamFormat& f);
    HRESULT DecideAllocator(const VcamFormat& f);
    DWORD BufferSizeFor(const VcamFormat& f) const;
    void ReleaseConnection();
    static unsigned __stdcall ThreadProc(void* self) { return static_cast<VcamPin*>(self)->Stream(); }
    DWORD Stream();
    bool DeliverOne(bool zoom, uint32_t frameNumber);
    long FillPicture(BYTE* p, long cap, uint32_t frameNumber, const VcamFormat& f);
    long ServePrepared(BYTE* p, long cap, uint32_t frameNumber, const VcamFormat& f);
    bool DropsThisFrame();
    void WriteTrace();
    long FillGarbage(BYTE* p, long cap, uint32_t frameNumber);
    void RenderDepth(const VcamFormat& f, uint32_t frameNumber);
    void ApplyPictureSettings(const VcamFormat& f);

    VcamFilter* filter_;
    const bool still_;
    // Connection: changed only on the application thread while stopped (filter lock).
    IPin* peer_ = nullptr;
    IMemInputPin* peerInput_ = nullptr;
    IMemAllocator* allocator_ = nullptr;
    AM_MEDIA_TYPE mt_ = {};
    VcamFormat connected_;
    bool formatSet_ = false;  // IAMStreamConfig::SetFormat chose setFormat_
    VcamFormat setFormat_;
    // Streaming thread and what only it touches.
    HANDLE thread_ = nullptr;
    HANDLE wake_ = nullptr;
    std::atomic<bool> quit_{false};
    std::atomic<bool> halted_{false};  // downstream refused a sample: wait for the next Run
    std::atomic<bool> delivering_{false};
    int delivered_ = 0;  // streaming thread: frames delivered since the start of this run
    int runFrames_ = 0;  // streaming thread: frames made or dropped since the start of this run
    // Written by the streaming thread, reset at each start; read through IAMDroppedFrames.
    std::atomic<long> dropped_{0}, notDropped_{0};
    std::atomic<long long> bytesDelivered_{0};
    // Hand-over trace: filled by the streaming thread (room reserved at the start, so it never
    // grows while streaming), written out after the thread has stopped.
    std::vector<HandOver> trace_;
    std::unique_ptr<PreEncodedFrames> prepared_;  // made for the scene below, streaming thread
    std::unique_ptr<MicrometerScene> scene_;
    std::unique_ptr<DepthSpecimen> depth_;  // the depth specimen, made at its first frame
    std::unique_ptr<SlideCamera> slide_;  // an instance with a slide, looked up at the first frame
    bool slideChecked_ = false;
    std::vector<uint8_t> bgr_;
    std::vector<uint8_t> wrongSizeJpeg_;
    std::vector<uint8_t> colourBars_;
    tjhandle tj_ = nullptr;
    std::mt19937 rng_{12345};
};

// ---- the filter ---------------------------------------------------------------------------

class VcamFilter final : public IBaseFilter, public IAMFilterMiscFlags, public IPersistPropertyBag {
public:
    VcamFilter() : capture_(this, false), still_(this, true), writeLog_(static_cast<IBaseFilter*>(this)),
                  procAmp_(static_cast<IBaseFilter*>(this), kProcAmpInfo, 14, &writeLog_),
                  cameraControl_(static_cast<IBaseFilter*>(this), kCameraControlInfo, 7, &writeLog_) {
        InitializeCriticalSection(&lock_);
        // Until the device's property bag names the instance, behave as the first one.
        std::vector<std::wstring> names = ListVcamInstances();
        if (names.empty() || !ReadVcamConfig(names[0], &config_)) config_ = DefaultVcamConfig(L"");
        OpenButtonEvents();
        VcamObjectCreated();
    }
    ~VcamFilter() {
        Stop();
        if (clock_) clock_->Release();
        CloseButtonEvents();
        DeleteCriticalSection(&lock_);
        VcamObjectDestroyed();
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IID_IPersist || riid == IID_IMediaFilter || riid == IID_IBaseFilter)
            *out = static_cast<IBaseFilter*>(this);
        else if (riid == IID_IAMFilterMiscFlags)
            *out = static_cast<IAMFilterMiscFlags*>(this);
        else if (riid == IID_IPersistPropertyBag)
            *out = static_cast<IPersistPropertyBag*>(this);
        else if (riid == IID_IAMVideoProcAmp && config_.videoProcAmp)
            *out = static_cast<IAMVideoProcAmp*>(&procAmp_);
        else if (riid == IID_IAMCameraControl && config_.cameraControl)
            *out = static_cast<IAMCameraControl*>(&cameraControl_);
        else if (riid == IID_IVcamWriteLog)
            *out = static_cast<IVcamWriteLog*>(&writeLog_);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG r = InterlockedDecrement(&refs_);
        if (r == 0) delete this;
        return r;
    }

    // IPersist / IPersistPropertyBag
    STDMETHODIMP GetClassID(CLSID* id) override {
        if (!id) return E_POINTER;
        *id = CLSID_VardeloTestCam;
        return S_OK;
    }
    STDMETHODIMP InitNew() override { return S_OK; }
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override {
        if (!bag) return E_POINTER;
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        HRESULT hr = bag->Read(L"FriendlyName", &v, log);
        if (FAILED(hr) || v.vt != VT_BSTR) {
            VariantClear(&v);
            return S_OK;  // keep the fallback instance
        }
        std::wstring name(v.bstrVal ? v.bstrVal : L"");
        VariantClear(&v);
        // A driver that opens the hardware while it is bound fails here when another program
        // holds the camera or the privacy settings keep programs away from it.
        if (int failure = VcamBindFailureNow(name))
            return failure == 1 ? HRESULT_FROM_WIN32(ERROR_NO_SYSTEM_RESOURCES) : E_ACCESSDENIED;
        VcamConfig c;
        EnterCriticalSection(&lock_);
        if (state_ == State_Stopped && !capture_.IsConnected() && !still_.IsConnected() && ReadVcamConfig(name, &c)) {
            config_ = c;
            CloseButtonEvents();
            OpenButtonEvents();
        }
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

    // IMediaFilter
    STDMETHODIMP Stop() override {
        EnterCriticalSection(&lock_);
        if (state_ != State_Stopped) {
            state_ = State_Stopped;
            capture_.StopStreaming();
            still_.StopStreaming();
        }
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    STDMETHODIMP Pause() override {
        EnterCriticalSection(&lock_);
        HRESULT hr = S_OK;
        // In use by another program, or kept away by the privacy settings: a real camera's
        // driver refuses to start.
        if (state_ == State_Stopped) {
            int busy = VcamBusyNow(config_.name);
            if (busy) {
                LeaveCriticalSection(&lock_);
                return busy == 1 ? HRESULT_FROM_WIN32(ERROR_NO_SYSTEM_RESOURCES) : E_ACCESSDENIED;
            }
        }
        if (state_ == State_Stopped) {
            hr = capture_.StartStreaming();
            if (SUCCEEDED(hr) && HasStillPin()) hr = still_.StartStreaming();
            if (FAILED(hr)) {
                capture_.StopStreaming();
                still_.StopStreaming();
                LeaveCriticalSection(&lock_);
                return hr;
            }
        }
        bool wasRunning = state_ == State_Running;
        state_ = State_Paused;
        if (wasRunning) {
            // A sample already past its state check may still be in Receive; let it finish so
            // nothing arrives after Pause returns. Bounded, because a renderer may legitimately
            // hold a sample while paused.
            const DWORD start = GetTickCount();
            while ((capture_.Delivering() || still_.Delivering()) && GetTickCount() - start < 1000) Sleep(1);
        }
        LeaveCriticalSection(&lock_);
        return S_OK;  // paused at once; GetState tells that a live source cannot cue
    }
    STDMETHODIMP Run(REFERENCE_TIME start) override {
        EnterCriticalSection(&lock_);
        if (state_ == State_Stopped) {
            HRESULT hr = Pause();
            if (FAILED(hr)) {
                LeaveCriticalSection(&lock_);
                return hr;
            }
        }
        startTime_ = start;
        capture_.ClearHalt();
        still_.ClearHalt();
        state_ = State_Running;
        capture_.Wake();
        still_.Wake();
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    STDMETHODIMP GetState(DWORD, FILTER_STATE* state) override {
        if (!state) return E_POINTER;
        *state = state_;
        return *state == State_Paused ? VFW_S_CANT_CUE : S_OK;
    }
    STDMETHODIMP SetSyncSource(IReferenceClock* clock) override {
        EnterCriticalSection(&lock_);
        if (clock) clock->AddRef();
        if (clock_) clock_->Release();
        clock_ = clock;
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override {
        if (!clock) return E_POINTER;
        EnterCriticalSection(&lock_);
        *clock = clock_;
        if (clock_) clock_->AddRef();
        LeaveCriticalSection(&lock_);
        return S_OK;
    }

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins** out) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override {
        if (!id || !pin) return E_POINTER;
        *pin = nullptr;
        if (wcscmp(id, kCapturePinName) == 0)
            *pin = &capture_;
        else if (wcscmp(id, kStillPinName) == 0 && HasStillPin())
            *pin = &still_;
        else
            return VFW_E_NOT_FOUND;
        (*pin)->AddRef();
        return S_OK;
    }
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override {
        if (!info) return E_POINTER;
        EnterCriticalSection(&lock_);
        lstrcpynW(info->achName, name_.c_str(), MAX_FILTER_NAME);
        info->pGraph = graph_;
        if (graph_) graph_->AddRef();
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override {
        EnterCriticalSection(&lock_);
        graph_ = graph;  // not counted: the graph owns us
        name_ = name ? name : L"";
        LeaveCriticalSection(&lock_);
        return S_OK;
    }
    STDMETHODIMP QueryVendorInfo(LPWSTR*) override { return E_NOTIMPL; }

    // IAMFilterMiscFlags
    STDMETHODIMP_(ULONG) GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_SOURCE; }

    // For the pins.
    CRITICAL_SECTION* Lock() { return &lock_; }
    const VcamConfig& Config() const { return config_; }
    bool HasStillPin() const { return config_.stillPin; }
    FILTER_STATE State() const { return state_; }
    IFilterGraph* Graph() const { return graph_; }
    VcamPin& CapturePin() { return capture_; }
    VcamPin& StillPin() { return still_; }
    HANDLE StillEvent() const { return stillEvent_; }
    HANDLE ZoomEvent() const { return zoomEvent_; }
    // Stream time of "now" while running (streaming threads).
    bool StreamTime(REFERENCE_TIME* t) {
        IReferenceClock* clock = clock_;  // only changed while stopped
        REFERENCE_TIME now;
        if (!clock || FAILED(clock->GetTime(&now))) return false;
        *t = now - startTime_;
        return true;
    }
    uint32_t NextFrameNumber() { return frameNumber_.fetch_add(1); }
    // The depth specimen's focus for a frame: the capture pin's frames step the focus knob by
    // the latest command (and tell where it is); the still pin's take it where it is.
    double DepthFocus(bool step) {
        if (!step) return focusNow_.load();
        const double z = focusDrive_.Step(ReadFocusCommand(config_.name), config_.frameRate);
        focusNow_ = z;
        WriteFocusNow(config_.name, z);
        return z;
    }
    bool LossSent() const { return lossSent_.load(); }
    // Tells the graph the device is lost (streaming thread), once per filter and per
    // configuration: the instance's LoseAfter is cleared.
    void SendDeviceLost() {
        if (lossSent_.exchange(true)) return;
        ConsumeVcamLoss(config_.name);
        IFilterGraph* graph = graph_;  // only changed while stopped
        IMediaEventSink* sink = nullptr;
        if (graph && SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)))) {
            sink->Notify(EC_DEVICE_LOST, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)), 0);
            sink->Release();
        }
    }
    // Brightness, contrast, saturation and gain as the processing amplifier has them now.
    void PictureSettings(long* brightness, long* contrast, long* saturation, long* gain) {
        long flags;
        procAmp_.Get(VideoProcAmp_Brightness, brightness, &flags);
        procAmp_.Get(VideoProcAmp_Contrast, contrast, &flags);
        procAmp_.Get(VideoProcAmp_Saturation, saturation, &flags);
        procAmp_.Get(VideoProcAmp_Gain, gain, &flags);
    }
    // Exposure and white balance as the camera control and the amplifier have them now.
    LightSettings Light() {
        LightSettings light;
        long value, flags;
        if (config_.cameraControl && SUCCEEDED(cameraControl_.Get(CameraControl_Exposure, &value, &flags))) {
            light.exposure = value;
            light.exposureAuto = (flags & CameraControl_Flags_Auto) != 0;
        }
        if (config_.videoProcAmp && SUCCEEDED(procAmp_.Get(VideoProcAmp_WhiteBalance, &value, &flags))) {
            light.whiteBalance = value;
            light.whiteBalanceAuto = (flags & VideoProcAmp_Flags_Auto) != 0;
        }
        return light;
    }

private:
    void OpenButtonEvents() {
        if (config_.name.empty()) return;
        stillEvent_ = CreateEventW(nullptr, FALSE, FALSE, StillEventName(config_.name).c_str());
        zoomEvent_ = CreateEventW(nullptr, FALSE, FALSE, ZoomEventName(config_.name).c_str());
    }
    void CloseButtonEvents() {
        if (stillEvent_) CloseHandle(stillEvent_);
        if (zoomEvent_) CloseHandle(zoomEvent_);
        stillEvent_ = zoomEvent_ = nullptr;
    }

    LONG refs_ = 1;
    CRITICAL_SECTION lock_;  // state changes, connections, clock, graph (application threads)
    std::atomic<FILTER_STATE> state_{State_Stopped};  // written under lock_, read by streaming threads
    REFERENCE_TIME startTime_ = 0;                     // written by Run before the threads are woken
    IReferenceClock* clock_ = nullptr;
    IFilterGraph* graph_ = nullptr;
    std::wstring name_;
    VcamConfig config_;  // fixed once a pin is connected
    HANDLE stillEvent_ = nullptr, zoomEvent_ = nullptr;
    std::atomic<uint32_t> frameNumber_{0};
    std::atomic<bool> lossSent_{false};
    FocusDrive focusDrive_;               // the capture pin's streaming thread
    std::atomic<double> focusNow_{0.0};   // written by that thread, read by the still pin's
    VcamPin capture_, still_;
    WriteLog writeLog_;
    ProcAmp procAmp_;
    CameraControl cameraControl_;
};

// ---- enumerators --------------------------------------------------------------------------

// An enumerator over a snapshot of items (pins or formats); make turns an item into what Next
// hands out (a referenced pin, a new media type) and returns null when it cannot.
template <class Itf, class Item, class Out>
class ListEnum final : public Itf {
public:
    using Make = Out (*)(const Item& item, int extra);
    ListEnum(VcamFilter* filter, const IID& iid, std::vector<Item> items, Make make, int extra, ULONG pos)
        : filter_(filter), iid_(iid), items_(std::move(items)), make_(make), extra_(extra), pos_(pos) {
        filter_->AddRef();
        VcamObjectCreated();
    }
    ~ListEnum() {
        filter_->Release();
        VcamObjectDestroyed();
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == iid_) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG r = InterlockedDecrement(&refs_);
        if (!r) delete this;
        return r;
    }
    STDMETHODIMP Next(ULONG n, Out* out, ULONG* fetched) override {
        if (!out || (n > 1 && !fetched)) return E_POINTER;
        ULONG i = 0;
        for (; i < n && pos_ < items_.size(); ++i, ++pos_) {
            out[i] = make_(items_[pos_], extra_);
            if (!out[i]) break;
        }
        if (fetched) *fetched = i;
        return i == n ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG n) override {
        if (pos_ + n > items_.size()) {
            pos_ = static_cast<ULONG>(items_.size());
            return S_FALSE;
        }
        pos_ += n;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        pos_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Itf** out) override {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) ListEnum(filter_, iid_, items_, make_, extra_, pos_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    LONG refs_ = 1;
    VcamFilter* filter_;
    IID iid_;
    std::vector<Item> items_;
    Make make_;
    int extra_;
    ULONG pos_;
};

IPin* ReferencedPin(IPin* const& pin, int) {
    pin->AddRef();
    return pin;
}

AM_MEDIA_TYPE* MediaTypeOf(const VcamFormat& format, int fps) { return NewMediaType(format, fps); }

using PinEnum = ListEnum<IEnumPins, IPin*, IPin*>;
using MediaTypeEnum = ListEnum<IEnumMediaTypes, VcamFormat, AM_MEDIA_TYPE*>;

STDMETHODIMP VcamFilter::EnumPins(IEnumPins** out) {
    if (!out) return E_POINTER;
    std::vector<IPin*> pins = {&capture_};
    if (HasStillPin()) pins.push_back(&still_);
    *out = new (std::nothrow) PinEnum(this, IID_IEnumPins, pins, ReferencedPin, 0, 0);
    return *out ? S_OK : E_OUTOFMEMORY;
}

// ---- pin implementation -------------------------------------------------------------------

STDMETHODIMP VcamPin::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IPin)
        *out = static_cast<IPin*>(this);
    else if (riid == IID_IKsPropertySet)
        *out = static_cast<IKsPropertySet*>(this);
    else if (riid == IID_IAMStreamConfig && !still_)
        *out = static_cast<IAMStreamConfig*>(this);
    else if (riid == IID_IAMDroppedFrames && !still_)
        *out = static_cast<IAMDroppedFrames*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}
STDMETHODIMP_(ULONG) VcamPin::AddRef() { return filter_->AddRef(); }
STDMETHODIMP_(ULONG) VcamPin::Release() { return filter_->Release(); }

std::vector<VcamFormat> VcamPin::OfferedFormats() const {
    std::vector<VcamFormat> list;
    if (still_) {
        // The still picture comes in the preview's format whenever the preview has one.
        list.push_back(StillFormatFor(filter_->Config(), filter_->CapturePin().CurrentFormat()));
    } else if (formatSet_) {
        list.push_back(setFormat_);
    }
    for (const VcamFormat& f : filter_->Config().formats) {
        bool dup = false;
        for (const VcamFormat& g : list) dup = dup || SameFormat(f, g);
        if (!dup) list.push_back(f);
    }
    return list;
}

VcamFormat VcamPin::CurrentFormat() const {
    if (peer_) return connected_;
    if (!still_ && formatSet_) return setFormat_;
    return filter_->Config().formats.front();
}

DWORD VcamPin::BufferSizeFor(const VcamFormat& f) const {
    DWORD size = ImageSize(f);
    if (f.mjpg || filter_->Config().garbage != GarbageMode::Off)
        size = std::max<DWORD>(size, static_cast<DWORD>(tjBufSize(f.width, f.height, TJSAMP_422)));
    if (!still_) size = std::max<DWORD>(size, static_cast<DWORD>(kColourBarFrameBytes));  // zoom-button frame
    return size;
}

STDMETHODIMP VcamPin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* pmt) {
    if (!receivePin) return E_POINTER;
    EnterCriticalSection(filter_->Lock());
    HRESULT hr = VFW_E_NO_ACCEPTABLE_TYPES;
    if (peer_)
        hr = VFW_E_ALREADY_CONNECTED;
    else if (filter_->State() != State_Stopped)
        hr = VFW_E_NOT_STOPPED;
    else {
        std::vector<VcamFormat> candidates = OfferedFormats();
        if (!still_ && formatSet_) candidates.resize(1);  // SetFormat fixes the output type
        for (const VcamFormat& f : candidates) {
            if (pmt && !PartialMatch(pmt, f)) continue;
            if (SUCCEEDED(TryConnect(receivePin, f))) {
                hr = S_OK;
                break;
            }
        }
    }
    LeaveCriticalSection(filter_->Lock());
    return hr;
}

HRESULT VcamPin::TryConnect(IPin* receivePin, const VcamFormat& f) {
    AM_MEDIA_TYPE mt;
    HRESULT hr = BuildMediaType(f, filter_->Config().frameRate, &mt);
    if (FAILED(hr)) return hr;
    hr = receivePin->ReceiveConnection(this, &mt);
    if (FAILED(hr)) {
        FreeMediaTypeContent(&mt);
        return hr;
    }
    peer_ = receivePin;
    peer_->AddRef();
    mt_ = mt;
    connected_ = f;
    hr = peer_->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&peerInput_));
    if (SUCCEEDED(hr)) hr = DecideAllocator(f);
    if (FAILED(hr)) {
        receivePin->Disconnect();
        ReleaseConnection();
    }
    return hr;
}

HRESULT VcamPin::DecideAllocator(const VcamFormat& f) {
    ALLOCATOR_PROPERTIES req = {};
    peerInput_->GetAllocatorRequirements(&req);  // optional for the peer
    const DWORD need = BufferSizeFor(f);
    auto setUp = [&](IMemAllocator* a) -> HRESULT {
        ALLOCATOR_PROPERTIES want = {}, got = {};
        want.cBuffers = std::max<long>(3, req.cBuffers);
        want.cbBuffer = static_cast<long>(need);
        want.cbAlign = std::max<long>(1, req.cbAlign);
        want.cbPrefix = req.cbPrefix;
        HRESULT hr = a->SetProperties(&want, &got);
        if (FAILED(hr)) return hr;
        if (got.cbBuffer < static_cast<long>(need) || got.cBuffers < 1) return VFW_E_SIZENOTSET;
        return peerInput_->NotifyAllocator(a, FALSE);
    };
    IMemAllocator* a = nullptr;
    if (SUCCEEDED(peerInput_->GetAllocator(&a)) && a) {
        if (SUCCEEDED(setUp(a))) {
            allocator_ = a;
            return S_OK;
        }
        a->Release();
        a = nullptr;
    }
    // The peer has no allocator of its own (or an unusable one): bring the standard one.
    HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                  reinterpret_cast<void**>(&a));
    if (FAILED(hr)) return hr;
    hr = setUp(a);
    if (FAILED(hr)) {
        a->Release();
        return hr;
    }
    allocator_ = a;
    return S_OK;
}

void VcamPin::ReleaseConnection() {
    if (allocator_) allocator_->Release();
    if (peerInput_) peerInput_->Release();
    if (peer_) peer_->Release();
    allocator_ = nullptr;
    peerInput_ = nullptr;
    peer_ = nullptr;
    FreeMediaTypeContent(&mt_);
    ZeroMemory(&mt_, sizeof(mt_));
}

STDMETHODIMP VcamPin::Disconnect() {
    EnterCriticalSection(filter_->Lock());
    HRESULT hr = S_OK;
    if (filter_->State() != State_Stopped)
        hr = VFW_E_NOT_STOPPED;
    else if (!peer_)
        hr = S_FALSE;
    else
        ReleaseConnection();
    LeaveCriticalSection(filter_->Lock());
    return hr;
}

STDMETHODIMP VcamPin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    EnterCriticalSection(filter_->Lock());
    *pin = peer_;
    if (peer_) peer_->AddRef();
    LeaveCriticalSection(filter_->Lock());
    return *pin ? S_OK : VFW_E_NOT_CONNECTED;
}

STDMETHODIMP VcamPin::ConnectionMediaType(AM_MEDIA_TYPE* pmt) {
    if (!pmt) return E_POINTER;
    EnterCriticalSection(filter_->Lock());
    HRESULT hr;
    if (peer_) {
        hr = CopyMediaType(pmt, &mt_);
    } else {
        ZeroMemory(pmt, sizeof(*pmt));
        hr = VFW_E_NOT_CONNECTED;
    }
    LeaveCriticalSection(filter_->Lock());
    return hr;
}

STDMETHODIMP VcamPin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = static_cast<IBaseFilter*>(filter_);
    info->pFilter->AddRef();
    info->dir = PINDIR_OUTPUT;
    lstrcpynW(info->achName, Name(), MAX_PIN_NAME);
    return S_OK;
}

STDMETHODIMP VcamPin::QueryId(LPWSTR* id) {
    if (!id) return E_POINTER;
    size_t bytes = (wcslen(Name()) + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*id) return E_OUTOFMEMORY;
    memcpy(*id, Name(), bytes);
    return S_OK;
}

STDMETHODIMP VcamPin::QueryAccept(const AM_MEDIA_TYPE* pmt) {
    VcamFormat f;
    if (!FormatFromMediaType(pmt, &f) || (f.vi2 && !filter_->Config().videoInfo2First)) return S_FALSE;
    for (const VcamFormat& g : filter_->Config().formats)
        if (SameFormat(f, still_ ? StillFormatFor(filter_->Config(), g) : g)) return S_OK;
    return S_FALSE;
}

STDMETHODIMP VcamPin::EnumMediaTypes(IEnumMediaTypes** out) {
    if (!out) return E_POINTER;
    EnterCriticalSection(filter_->Lock());
    std::vector<VcamFormat> formats = OfferedFormats();
    LeaveCriticalSection(filter_->Lock());
    *out = new (std::nothrow) MediaTypeEnum(filter_, IID_IEnumMediaTypes, formats, MediaTypeOf, filter_->Config().frameRate, 0);
    return *out ? S_OK : E_OUTOFMEMORY;
}

// Asks the graph to break a pin's connection and make it again with mt.
HRESULT ReconnectThrough(IFilterGraph* graph, IPin* pin, const AM_MEDIA_TYPE* mt) {
    IFilterGraph2* graph2 = nullptr;
    if (SUCCEEDED(graph->QueryInterface(IID_IFilterGraph2, reinterpret_cast<void**>(&graph2)))) {
        HRESULT hr = graph2->ReconnectEx(pin, mt);
        graph2->Release();
        return hr;
    }
    return graph->Reconnect(pin);
}

STDMETHODIMP VcamPin::SetFormat(AM_MEDIA_TYPE* pmt) {
    EnterCriticalSection(filter_->Lock());
    if (!pmt) {
        formatSet_ = false;  // back to the camera's default
        LeaveCriticalSection(filter_->Lock());
        return S_OK;
    }
    VcamFormat f;
    bool known = false;
    if (FormatFromMediaType(pmt, &f) && (!f.vi2 || filter_->Config().videoInfo2First))
        for (const VcamFormat& g : filter_->Config().formats) known = known || SameFormat(f, g);
    if (!known) {
        LeaveCriticalSection(filter_->Lock());
        return VFW_E_INVALIDMEDIATYPE;
    }
    // Listed, but the driver will not take it.
    if (filter_->Config().refuse && SameFormat(f, filter_->Config().refusedFormat)) {
        LeaveCriticalSection(filter_->Lock());
        return E_FAIL;
    }
    if (peer_ && SameFormat(f, connected_) && f.vi2 == connected_.vi2) {
        formatSet_ = true;
        setFormat_ = f;
        LeaveCriticalSection(filter_->Lock());
        return S_OK;
    }
    if (peer_ && filter_->State() != State_Stopped) {
        LeaveCriticalSection(filter_->Lock());
        return VFW_E_NOT_STOPPED;
    }
    AM_MEDIA_TYPE mt;
    HRESULT hr = BuildMediaType(f, filter_->Config().frameRate, &mt);
    if (FAILED(hr)) {
        LeaveCriticalSection(filter_->Lock());
        return hr;
    }
    if (peer_ && peer_->QueryAccept(&mt) != S_OK) {
        FreeMediaTypeContent(&mt);
        LeaveCriticalSection(filter_->Lock());
        return VFW_E_INVALIDMEDIATYPE;
    }
    VcamFormat previous = setFormat_;
    bool previousSet = formatSet_;
    formatSet_ = true;
    setFormat_ = f;
    IFilterGraph* graph = peer_ ? filter_->Graph() : nullptr;
    LeaveCriticalSection(filter_->Lock());
    if (graph) {
        // Connected: the graph breaks the connection and makes it again with the new type.
        hr = ReconnectThrough(graph, this, &mt);
        if (FAILED(hr)) {
            EnterCriticalSection(filter_->Lock());
            formatSet_ = previousSet;
            setFormat_ = previous;
            LeaveCriticalSection(filter_->Lock());
        } else {
            // The still picture follows the preview's format when its branch takes it.
            VcamPin& still = filter_->StillPin();
            const VcamFormat stillFormat = StillFormatFor(filter_->Config(), f);
            AM_MEDIA_TYPE stillMt;
            if (SUCCEEDED(BuildMediaType(stillFormat, filter_->Config().frameRate, &stillMt))) {
                EnterCriticalSection(filter_->Lock());
                bool follow = still.peer_ && !SameFormat(still.connected_, stillFormat) &&
                              still.peer_->QueryAccept(&stillMt) == S_OK;
                LeaveCriticalSection(filter_->Lock());
                if (follow) ReconnectThrough(graph, &still, &stillMt);
                FreeMediaTypeContent(&stillMt);
            }
        }
    }
    FreeMediaTypeContent(&mt);
    return hr;
}

STDMETHODIMP VcamPin::GetFormat(AM_MEDIA_TYPE** pmt) {
    if (!pmt) return E_POINTER;
    EnterCriticalSection(filter_->Lock());
    VcamFormat f = CurrentFormat();
    LeaveCriticalSection(filter_->Lock());
    *pmt = NewMediaType(f, filter_->Config().frameRate);
    return *pmt ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP VcamPin::GetNumberOfCapabilities(int* count, int* size) {
    if (!count || !size) return E_POINTER;
    // A VideoInfo2-first camera lists every format twice: VideoInfo2, then its VideoInfo twin.
    *count = static_cast<int>(filter_->Config().formats.size()) * (filter_->Config().videoInfo2First ? 2 : 1);
    *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    return S_OK;
}

STDMETHODIMP VcamPin::GetStreamCaps(int index, AM_MEDIA_TYPE** pmt, BYTE* scc) {
    if (!pmt || !scc) return E_POINTER;
    const std::vector<VcamFormat>& formats = filter_->Config().formats;
    const bool twins = filter_->Config().videoInfo2First;
    const int count = static_cast<int>(formats.size()) * (twins ? 2 : 1);
    if (index < 0 || index >= count) return S_FALSE;
    VcamFormat f = formats[twins ? index / 2 : index];
    f.vi2 = twins && index % 2 == 0;
    const int fps = filter_->Config().frameRate;
    *pmt = NewMediaType(f, fps);
    if (!*pmt) return E_OUTOFMEMORY;
    auto* caps = reinterpret_cast<VIDEO_STREAM_CONFIG_CAPS*>(scc);
    ZeroMemory(caps, sizeof(*caps));
    caps->guid = f.vi2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo;
    caps->VideoStandard = AnalogVideo_None;
    caps->InputSize = {f.width, f.height};
    caps->MinCroppingSize = caps->MaxCroppingSize = caps->InputSize;
    caps->CropGranularityX = caps->CropGranularityY = 1;
    caps->CropAlignX = caps->CropAlignY = 1;
    caps->MinOutputSize = caps->MaxOutputSize = caps->InputSize;
    caps->OutputGranularityX = caps->OutputGranularityY = 0;
    caps->MinFrameInterval = caps->MaxFrameInterval = 10000000 / fps;
    caps->MinBitsPerSecond = caps->MaxBitsPerSecond =
        static_cast<LONG>(std::min<LONGLONG>(0x7FFFFFFF, 8ll * ImageSize(f) * fps));
    return S_OK;
}

STDMETHODIMP VcamPin::Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD cbData, DWORD* returned) {
    if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (!data && !returned) return E_POINTER;
    if (returned) *returned = sizeof(GUID);
    if (!data) return S_OK;
    if (cbData < sizeof(GUID)) return E_UNEXPECTED;
    *static_cast<GUID*>(data) = still_ ? PIN_CATEGORY_STILL : PIN_CATEGORY_CAPTURE;
    return S_OK;
}

STDMETHODIMP VcamPin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
    if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
    if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
    if (support) *support = KSPROPERTY_SUPPORT_GET;
    return S_OK;
}

// ---- streaming ------------------------------------------------------------------------------

HRESULT VcamPin::StartStreaming() {
    if (!peer_ || thread_) return S_OK;
    HRESULT hr = allocator_->Commit();
    if (FAILED(hr)) return hr;
    quit_ = false;
    halted_ = false;
    delivered_ = 0;
    runFrames_ = 0;
    dropped_ = 0;
    notDropped_ = 0;
    bytesDelivered_ = 0;
    trace_.clear();
    if (!still_ && !filter_->Config().measure.traceFile.empty()) trace_.reserve(kTraceCapacity);
    // A button pressed while the camera was not streaming is forgotten.
    if (!still_ && filter_->ZoomEvent()) ResetEvent(filter_->ZoomEvent());
    if (still_ && filter_->StillEvent()) ResetEvent(filter_->StillEvent());
    // The streaming thread uses the C runtime, so it is started through it.
    thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, this, 0, nullptr));
    if (!thread_) {
        allocator_->Decommit();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void VcamPin::StopStreaming() {
    if (!thread_) return;
    quit_ = true;
    if (allocator_) allocator_->Decommit();  // releases a thread blocked in GetBuffer
    SetEvent(wake_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
    WriteTrace();
}

// Appends this run's hand-overs to the trace file: a line with the performance-counter
// frequency, then one line per frame ("handed" number start before after) and per frame
// dropped on purpose ("dropped" count).
void VcamPin::WriteTrace() {
    const std::wstring& path = filter_->Config().measure.traceFile;
    if (still_ || path.empty()) return;
    FILE* f = _wfopen(path.c_str(), L"a");
    if (!f) return;
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    fprintf(f, "camera qpf %lld\n", static_cast<long long>(freq.QuadPart));
    for (const HandOver& h : trace_)
        fprintf(f, "handed %u %lld %lld %lld\n", h.frame, static_cast<long long>(h.start),
                static_cast<long long>(h.before), static_cast<long long>(h.after));
    fprintf(f, "dropped %ld\n", dropped_.load());
    fclose(f);
    trace_.clear();
}

// Frames dropped on purpose: every n-th frame of the run is neither made nor delivered; its
// number is used up, so the counter plate skips it as a real camera's would.
bool VcamPin::DropsThisFrame() {
    const int every = filter_->Config().measure.dropEvery;
    if (still_ || every <= 0 || ++runFrames_ % every != 0) return false;
    ++dropped_;
    return true;
}

DWORD VcamPin::Stream() {
    const VcamConfig& config = filter_->Config();
    const LONGLONG period = 10000000 / config.frameRate;  // 100 ns units
    LARGE_INTEGER freq, now;
    QueryPerformanceFrequency(&freq);
    auto ticks = [&]() {
        QueryPerformanceCounter(&now);
        return static_cast<LONGLONG>(now.QuadPart * 10000000.0 / freq.QuadPart);
    };
    LONGLONG due = ticks();
    HANDLE button = still_ ? filter_->StillEvent() : filter_->ZoomEvent();
    while (!quit_) {
        if (filter_->State() != State_Running || halted_ || config.neverDelivers) {
            WaitForSingleObject(wake_, INFINITE);
            due = ticks();
            continue;
        }
        bool zoom = false;
        if (still_) {
            // One picture per press of the still button.
            if (!button) {
                WaitForSingleObject(wake_, INFINITE);
                continue;
            }
            HANDLE h[2] = {wake_, button};
            if (WaitForMultipleObjects(2, h, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) continue;
        } else {
            LONGLONG wait = (due - ticks()) / 10000;
            HANDLE h[2] = {wake_, button};
            DWORD r = WaitForMultipleObjects(button ? 2 : 1, h, FALSE, wait > 0 ? static_cast<DWORD>(wait) : 0);
            if (r == WAIT_OBJECT_0) continue;
            zoom = r == WAIT_OBJECT_0 + 1;
            if (!zoom) {
                due += period;
                if (due < ticks() - period) due = ticks() + period;  // fell behind: do not burst
            }
        }
        if (quit_) break;
        const uint32_t number = filter_->NextFrameNumber();
        if (!zoom && DropsThisFrame()) continue;
        if (DeliverOne(zoom, number) && !still_ && config.loseAfter > 0 &&
            ++delivered_ == config.loseAfter && !filter_->LossSent()) {
            // A USB reset: the device says it is gone and delivers nothing more this run.
            filter_->SendDeviceLost();
            halted_ = true;
        }
    }
    return 0;
}

bool VcamPin::DeliverOne(bool zoom, uint32_t frameNumber) {
    IMediaSample* sample = nullptr;
    if (FAILED(allocator_->GetBuffer(&sample, nullptr, nullptr, 0)) || !sample) return false;  // decommitted
    BYTE* p = nullptr;
    sample->GetPointer(&p);
    const long cap = sample->GetSize();
    long length = 0;
    if (zoom) {
        if (colourBars_.empty()) {
            colourBars_.resize(kColourBarFrameBytes);
            MakeColourBarFrame(colourBars_.data());
        }
        if (cap >= static_cast<long>(kColourBarFrameBytes)) {
            memcpy(p, colourBars_.data(), kColourBarFrameBytes);
            length = static_cast<long>(kColourBarFrameBytes);
        }
    } else if (filter_->Config().garbage != GarbageMode::Off) {
        length = FillGarbage(p, cap, frameNumber);
    } else if (filter_->Config().measure.preEncoded > 0) {
        length = ServePrepared(p, cap, frameNumber, connected_);
    } else {
        length = FillPicture(p, cap, frameNumber, connected_);
    }
    HRESULT hr = S_OK;
    if (length > 0) {
        sample->SetActualDataLength(length);
        REFERENCE_TIME start, end;
        if (!filter_->StreamTime(&start)) start = static_cast<REFERENCE_TIME>(frameNumber) * (10000000 / filter_->Config().frameRate);
        end = start + 10000000 / filter_->Config().frameRate;
        sample->SetTime(&start, &end);
        sample->SetSyncPoint(TRUE);
        sample->SetDiscontinuity(FALSE);
        delivering_ = true;
        LARGE_INTEGER before = {}, after = {};
        QueryPerformanceCounter(&before);
        if (filter_->State() == State_Running && !quit_) hr = peerInput_->Receive(sample);
        QueryPerformanceCounter(&after);
        delivering_ = false;
        if (hr == S_OK && !zoom && !still_) {
            ++notDropped_;
            bytesDelivered_ += length;
            if (trace_.capacity() > trace_.size()) trace_.push_back({frameNumber, start, before.QuadPart, after.QuadPart});
        }
    }
    sample->Release();
    if (hr != S_OK) {
        // S_FALSE: downstream wants no more samples; an error: it cannot take them. Either way
        // the stream rests until the next Run.
        halted_ = true;
        if (hr == S_FALSE && peer_) peer_->EndOfStream();
        return false;
    }
    return true;
}

long VcamPin::FillPicture(BYTE* p, long cap, uint32_t frameNumber, const VcamFormat& f) {
    bgr_.resize(static_cast<size_t>(f.width) * f.height * 3);
    // An instance with a slide shows it on the capture pin (vcam_slide_win.h); the still button
    // keeps showing the micrometer.
    if (!slideChecked_) {
        SlideConfig slide;
        if (!still_ && ReadSlideConfig(filter_->Config().name, &slide))
            slide_ = std::make_unique<SlideCamera>(filter_->Config().name, slide);
        slideChecked_ = true;
    }
    if (filter_->Config().depth) {
        RenderDepth(f, frameNumber);
    } else if (slide_) {
        slide_->Render(frameNumber, f.width, f.height, bgr_.data());
    } else {
        if (!scene_ || scene_->width() != f.width || scene_->height() != f.height) {
            prepared_.reset();  // it was made for the scene replaced here
            scene_ = std::make_unique<MicrometerScene>(f.width, f.height, filter_->Config().pixelsPerMm);
        }
        scene_->RenderBgr(frameNumber, bgr_.data());
    }
    ApplyLight(bgr_.data(), static_cast<size_t>(f.width) * f.height, filter_->Config().light, filter_->Light());
    ApplyPictureSettings(f);
    if (!f.mjpg) {
        if (cap < static_cast<long>(ImageSize(f))) return 0;
        BgrToYuy2(bgr_.data(), f.width, f.height, p);
        return static_cast<long>(ImageSize(f));
    }
    if (!tj_) tj_ = tjInitCompress();
    if (!tj_ || cap < static_cast<long>(tjBufSize(f.width, f.height, TJSAMP_422))) return 0;
    unsigned char* out = p;
    unsigned long size = static_cast<unsigned long>(cap);
    if (tjCompress2(tj_, bgr_.data(), f.width, 0, f.height, TJPF_BGR, &out, &size, TJSAMP_422, 85,
                    TJFLAG_NOREALLOC) != 0)
        return 0;
    return static_cast<long>(size);
}

// A prepared frame: made once for each of the first preEncoded frame numbers, then served again
// with the counter plate of the frame number (the processing amplifier does not act on these).
long VcamPin::ServePrepared(BYTE* p, long cap, uint32_t frameNumber, const VcamFormat& f) {
    if (!scene_ || scene_->width() != f.width || scene_->height() != f.height || !prepared_ ||
        prepared_->Mjpg() != f.mjpg) {
        prepared_.reset();
        scene_ = std::make_unique<MicrometerScene>(f.width, f.height, filter_->Config().pixelsPerMm);
        prepared_ = std::make_unique<PreEncodedFrames>(*scene_, f.mjpg, filter_->Config().measure.preEncoded);
    }
    return static_cast<long>(prepared_->Serve(frameNumber, p, static_cast<size_t>(cap)));
}

// The depth specimen focused where the knob is, with the sensor's noise.
void VcamPin::RenderDepth(const VcamFormat& f, uint32_t frameNumber) {
    if (!depth_ || depth_->width() != f.width || depth_->height() != f.height)
        depth_ = std::make_unique<DepthSpecimen>(f.width, f.height);
    bgr_.resize(static_cast<size_t>(f.width) * f.height * 3);
    depth_->Render(filter_->DepthFocus(!still_), frameNumber + 1, bgr_.data());
}

// The processing amplifier acts on the picture like a camera's: brightness shifts, contrast
// and gain stretch, saturation scales the colour around each pixel's grey.
void VcamPin::ApplyPictureSettings(const VcamFormat& f) {
    if (!filter_->Config().videoProcAmp) return;
    long brightness = 0, contrast = 32, saturation = 64, gain = 0;
    filter_->PictureSettings(&brightness, &contrast, &saturation, &gain);
    if (brightness == 0 && contrast == 32 && saturation == 64 && gain == 0) return;
    uint8_t lut[256];
    const double scale = (contrast / 32.0) * (1.0 + gain / 100.0);
    for (int v = 0; v < 256; ++v) {
        double out = (v - 128) * scale + 128 + brightness * 2;
        lut[v] = static_cast<uint8_t>(out < 0 ? 0 : out > 255 ? 255 : out);
    }
    const int sat = static_cast<int>(saturation);  // 64 = unchanged
    uint8_t* p = bgr_.data();
    const size_t pixels = static_cast<size_t>(f.width) * f.height;
    for (size_t i = 0; i < pixels; ++i, p += 3) {
        int b = lut[p[0]], g = lut[p[1]], r = lut[p[2]];
        if (sat != 64) {
            int y = (29 * b + 150 * g + 77 * r) >> 8;
            b = y + (b - y) * sat / 64;
            g = y + (g - y) * sat / 64;
            r = y + (r - y) * sat / 64;
        }
        p[0] = static_cast<uint8_t>(b < 0 ? 0 : b > 255 ? 255 : b);
        p[1] = static_cast<uint8_t>(g < 0 ? 0 : g > 255 ? 255 : g);
        p[2] = static_cast<uint8_t>(r < 0 ? 0 : r > 255 ? 255 : r);
    }
}

long VcamPin::FillGarbage(BYTE* p, long cap, uint32_t frameNumber) {
    GarbageMode mode = filter_->Config().garbage;
    if (mode == GarbageMode::Mixed) mode = static_cast<GarbageMode>(1 + frameNumber % 3);
    const VcamFormat f = connected_;
    switch (mode) {
    case GarbageMode::RandomBytes: {
        // Any length from one byte up to the whole buffer; every other one starts like a JPEG
        // so that decoders get past the first marker.
        long length = 1 + static_cast<long>(rng_() % static_cast<uint32_t>(cap));
        for (long i = 0; i < length; i += 4) {
            uint32_t r = rng_();
            memcpy(p + i, &r, std::min<long>(4, length - i));
        }
        if ((frameNumber & 1) && length >= 4) p[0] = 0xFF, p[1] = 0xD8, p[2] = 0xFF, p[3] = 0xE0;
        return length;
    }
    case GarbageMode::TruncatedJpeg: {
        VcamFormat jpeg = f;
        jpeg.mjpg = true;  // a real JPEG of the right size, whatever the stream's subtype
        long full = FillPicture(p, cap, frameNumber, jpeg);
        if (full < 8) return 0;
        // Cut somewhere between the first tenth and 90 %: the end-of-image marker is lost.
        return std::max<long>(4, full / 10 + static_cast<long>(rng_() % static_cast<uint32_t>(full * 8 / 10)));
    }
    case GarbageMode::WrongSizeJpeg: {
        if (wrongSizeJpeg_.empty()) {
            int w = std::max(16, f.width / 2) & ~1, h = std::max(16, f.height / 2) & ~1;
            MicrometerScene small(w, h, filter_->Config().pixelsPerMm);
            std::vector<uint8_t> bgr(static_cast<size_t>(w) * h * 3);
            small.RenderBgr(0, bgr.data());
            if (!tj_) tj_ = tjInitCompress();
            unsigned char* out = nullptr;
            unsigned long size = 0;
            if (tj_ && tjCompress2(tj_, bgr.data(), w, 0, h, TJPF_BGR, &out, &size, TJSAMP_422, 85, 0) == 0)
                wrongSizeJpeg_.assign(out, out + size);
            if (out) tjFree(out);
        }
        if (wrongSizeJpeg_.empty() || static_cast<long>(wrongSizeJpeg_.size()) > cap) return 0;
        memcpy(p, wrongSizeJpeg_.data(), wrongSizeJpeg_.size());
        return static_cast<long>(wrongSizeJpeg_.size());
    }
    default:
        return 0;
    }
}

}  // namespace

void VcamObjectCreated() { ++g_objects; }
void VcamObjectDestroyed() { --g_objects; }
LONG VcamObjectCount() { return g_objects.load(); }

HRESULT CreateVcamFilter(IUnknown* outer, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* filter = new (std::nothrow) VcamFilter();
    if (!filter) return E_OUTOFMEMORY;
    HRESULT hr = filter->QueryInterface(riid, out);
    filter->Release();
    return hr;
}
