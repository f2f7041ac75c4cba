// The capture session: builds the graph camera -> Sample Grabber -> Null Renderer (plus a
// still branch when the camera has a still pin), checks that it connects and runs, and tears
// it down; opens the preferred camera on start-up and after plug-in, closes the session when
// its camera is gone or lost, and keeps why a listed camera shows no picture.
#include "capture/capture_session_win.h"

#include <dbt.h>
#include <dshow.h>
#include <dvdmedia.h>
#include <qedit.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/messages.h"
#include "app/shell_state_win.h"
#include "capture/camera_choice.h"
#include "capture/camera_properties_win.h"
#include "capture/capability_pick.h"
#include "capture/com_ptr_win.h"
#include "capture/device_list_win.h"
#include "capture/format_catalogue.h"
#include "capture/open_dialog_win.h"
#include "capture/stream_caps_win.h"
#include "frame/capture_state_win.h"
#include "settings/app_settings.h"
#include "view/camera_view_win.h"

namespace {

// The system's Sample Grabber and Null Renderer filters.
const CLSID kClsidSampleGrabber = {0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
const CLSID kClsidNullRenderer = {0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
// KSCATEGORY_CAPTURE, the device-interface class of video capture devices.
const GUID kCaptureCategory = {0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

HDEVNOTIFY gDeviceNotify = nullptr;
constexpr LONG kStartWaitMs = 500;  // how long opening waits for a graph that is still starting
// Why the listed camera shows no picture (UI thread); the view shows it in words.
CameraProblem gProblem = CameraProblem::None;
using UnregisterFn = BOOL(WINAPI*)(HDEVNOTIFY);
UnregisterFn gUnregisterDeviceNotification = nullptr;

HWND ViewWindow() { return CaptureState.viewWindow; }

void Post(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    if (hwnd) PostMessageW(hwnd, msg, wp, lp);
}

HWND MainWindow() {
    HWND view = ViewWindow();
    HWND parent = view ? GetParent(view) : nullptr;
    return parent ? parent : ShellState.mainWnd;
}

bool IsKnownSubtype(uint32_t s) { return s == kSubtypeMjpg || s == kSubtypeYuy2; }

IBaseFilter* CreateFilter(const CLSID& clsid) {
    IBaseFilter* f = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, reinterpret_cast<void**>(&f))))
        return nullptr;
    return f;
}

// Releases every graph object, pin and property interface, frees the ring and the still image
// and resets the session fields. The graph must be stopped (or never run).
void TearDownSession() {
    CaptureStateData& s = CaptureState;
    SafeRelease(s.rendererInPin);
    SafeRelease(s.grabberOutPin);
    SafeRelease(s.grabberInPin);
    SafeRelease(s.stillPin);
    SafeRelease(s.cameraOutPin);
    SafeRelease(s.stillGrabber);
    SafeRelease(s.previewGrabber);
    SafeRelease(s.nullRenderer2);
    SafeRelease(s.nullRenderer);
    SafeRelease(s.stillGrabberFilter);
    SafeRelease(s.previewGrabberFilter);
    SafeRelease(s.source);
    SafeRelease(s.mediaEvent);
    SafeRelease(s.mediaControl);
    SafeRelease(s.graph);
    SafeRelease(s.graphBuilder);
    SafeRelease(s.moniker);
    s.catalogue.Clear();
    ReleaseCameraProperties();
    FreeFrameRing();
    std::free(TakeStillImage().pixels);  // the session's last still frame goes with it
    s.flipHorizontal = s.flipVertical = s.gray = s.binary = s.invert = s.emboss = 0;
    s.width = s.height = 0;
    s.stillPinWidth = s.stillPinHeight = 0;
    s.fps = 30.0f;
    s.nominalFps = 0;
    s.subtype = 0;
    s.interpolated = 0;
    s.recording = 0;
    s.paused = 0;
    if (s.writerFinished) { CloseHandle(s.writerFinished); s.writerFinished = nullptr; }
    if (s.frameQueued) { CloseHandle(s.frameQueued); s.frameQueued = nullptr; }
}

bool SetFormatWithFallback() {
    CaptureStateData& s = CaptureState;
    if (!IsKnownSubtype(requestedFormat.subtype)) requestedFormat.subtype = kSubtypeMjpg;
    if (requestedFormat.width == 0 || requestedFormat.height == 0) {
        EnsureFormatCatalogue();
        ChooseDefaultFormat();
    }
    if (SetCameraFormat(CameraRunFormat(requestedFormat))) return true;
    OutputDebugStringW(L"Camera_SetFormat FAILED, try again...\r\n");
    EnsureFormatCatalogue();
    ChooseDefaultFormat();
    if (SetCameraFormat(CameraRunFormat(requestedFormat))) return true;
    OutputDebugStringW(L"Camera_SetFormat FAILED.\r\n");
    (void)s;
    return false;
}

// The still pin's frame size as connected: a YUY2 still of another size than the preview's
// says its size only here. Unknown (0) when the branch is not connected or not a video info.
void ReadStillPinSize() {
    CaptureStateData& s = CaptureState;
    s.stillPinWidth = s.stillPinHeight = 0;
    AM_MEDIA_TYPE mt = {};
    if (FAILED(s.stillGrabber->GetConnectedMediaType(&mt))) return;
    const BITMAPINFOHEADER* bih = nullptr;
    if (mt.formattype == FORMAT_VideoInfo && mt.pbFormat && mt.cbFormat >= sizeof(VIDEOINFOHEADER))
        bih = &reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
    else if (mt.formattype == FORMAT_VideoInfo2 && mt.pbFormat && mt.cbFormat >= sizeof(VIDEOINFOHEADER2))
        bih = &reinterpret_cast<const VIDEOINFOHEADER2*>(mt.pbFormat)->bmiHeader;
    if (bih) {
        s.stillPinWidth = bih->biWidth;
        s.stillPinHeight = bih->biHeight < 0 ? -bih->biHeight : bih->biHeight;
    }
    FreeMediaTypeContents(mt);
}

void AddStillBranch() {
    CaptureStateData& s = CaptureState;
    // The still pin: the unconnected pin that says it is one; for a camera whose pins do not
    // say, the first output pin after the first one that is not connected.
    IPin* still = FindUnconnectedPinOfCategory(s.source, PIN_CATEGORY_STILL);
    for (int skip = 1; !still; ++skip) {
        ComPtr<IPin> pin;
        *pin.Put() = FindPin(s.source, PINDIR_OUTPUT, false, skip);
        if (!pin) break;
        IPin* peer = nullptr;
        HRESULT hr = pin->ConnectedTo(&peer);
        SafeRelease(peer);
        if (hr == VFW_E_NOT_CONNECTED) { still = pin.Detach(); break; }
    }
    if (!still) {
        OutputDebugStringW(L"Device does not have still pin\r\n");
        return;
    }
    s.stillPin = still;
    s.stillGrabberFilter = CreateFilter(kClsidSampleGrabber);
    s.nullRenderer2 = CreateFilter(kClsidNullRenderer);
    if (!s.stillGrabberFilter || !s.nullRenderer2) return;
    s.graph->AddFilter(s.stillGrabberFilter, L"Sample Grabber2");
    s.graph->AddFilter(s.nullRenderer2, L"Null Filter2");
    if (FAILED(s.stillGrabberFilter->QueryInterface(__uuidof(ISampleGrabber), reinterpret_cast<void**>(&s.stillGrabber))))
        return;
    s.graphBuilder->RenderStream(&PIN_CATEGORY_STILL, &MEDIATYPE_Video, s.source, s.stillGrabberFilter, s.nullRenderer2);
    ReadStillPinSize();
    s.stillGrabber->SetOneShot(FALSE);
    s.stillGrabber->SetBufferSamples(TRUE);
    s.stillGrabber->SetCallback(&StillCallback, 1);
    OutputDebugStringW(L"Device has still pin\r\n");
}

// No frame may be queued for a recorder once the session starts closing.
void StopRecordingForTeardown() {
    CaptureStateData& s = CaptureState;
    if (s.finishRecorder) s.finishRecorder();
    if (!s.locksReady) { s.recording = 0; return; }
    EnterCriticalSection(&s.queueLock);
    s.recording = 0;
    LeaveCriticalSection(&s.queueLock);
}

}  // namespace

bool IsDeviceOpen() { return CaptureState.previewGrabber != nullptr; }

bool SetCameraFormat(const CameraFormat& format) {
    std::vector<CapabilityInfo> caps;
    ForEachStreamCap(CaptureState.source, [&](IAMStreamConfig*, const StreamCap& cap) {
        caps.push_back({cap.index, cap.subtype, cap.width, cap.height, cap.videoInfo2});
        return false;
    });
    int pick = PickCapability(caps, format.subtype, format.width, format.height);
    if (pick < 0) return false;
    HRESULT hr = E_FAIL;
    ForEachStreamCap(CaptureState.source, [&](IAMStreamConfig* config, const StreamCap& cap) {
        if (cap.index != caps[pick].index) return false;
        hr = config->SetFormat(cap.mediaType);
        return true;
    });
    // A camera that refuses the format keeps running its own: nothing is recorded as set.
    if (FAILED(hr)) return false;
    CaptureState.subtype = format.subtype;
    CaptureState.width = format.width;
    CaptureState.height = format.height;
    CaptureState.interpolated = format.interpolated;
    return true;
}

namespace {

// The preview grabber takes only plain video of the session's subtype with a VideoInfo block,
// so the graph connects the camera to it directly and cannot slip a converter in between.
HRESULT SetGrabberMediaType(ISampleGrabber* grabber, uint32_t subtype) {
    AM_MEDIA_TYPE mt = {};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = subtype == kSubtypeMjpg ? MEDIASUBTYPE_MJPG : MEDIASUBTYPE_YUY2;
    mt.formattype = FORMAT_VideoInfo;
    return grabber->SetMediaType(&mt);
}

// What the camera really delivers is what the connection says: a driver may connect at another
// size than the one set. The session (and the format the settings keep) follow the connection,
// so frames are neither dropped as the wrong size nor drawn sheared.
bool TakeConnectedFormat() {
    CaptureStateData& s = CaptureState;
    AM_MEDIA_TYPE mt = {};
    if (FAILED(s.cameraOutPin->ConnectionMediaType(&mt))) return false;
    const BITMAPINFOHEADER* bih = nullptr;
    if (mt.formattype == FORMAT_VideoInfo && mt.cbFormat >= sizeof(VIDEOINFOHEADER) && mt.pbFormat)
        bih = &reinterpret_cast<VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
    // The frame period the connection names: the rate recordings are made with (both blocks
    // keep it at the same place).
    REFERENCE_TIME period = 0;
    if ((mt.formattype == FORMAT_VideoInfo && mt.cbFormat >= sizeof(VIDEOINFOHEADER)) ||
        (mt.formattype == FORMAT_VideoInfo2 && mt.cbFormat >= sizeof(VIDEOINFOHEADER2)))
        period = mt.pbFormat ? reinterpret_cast<VIDEOINFOHEADER*>(mt.pbFormat)->AvgTimePerFrame : 0;
    s.nominalFps = period >= 10000 && period <= 100000000 ? float(1e7 / double(period)) : 0.0f;  // 1000 to 0.1 fps
    uint32_t subtype = mt.subtype == MEDIASUBTYPE_MJPG ? kSubtypeMjpg : mt.subtype == MEDIASUBTYPE_YUY2 ? kSubtypeYuy2 : 0;
    bool ok = bih && subtype && bih->biWidth > 0 && bih->biHeight != 0;
    if (ok) {
        int32_t width = bih->biWidth, height = bih->biHeight < 0 ? -bih->biHeight : bih->biHeight;
        if (subtype != s.subtype || width != s.width || height != s.height) {
            OutputDebugStringW(L"Camera connected with another format than the one set.\r\n");
            s.subtype = subtype;
            s.width = width;
            s.height = height;
            s.interpolated = 0;
            requestedFormat = CameraFormat{subtype, width, height, 0};
        }
    }
    FreeMediaTypeContents(mt);
    return ok;
}

// Runs the graph and says whether it runs. A camera in use by another program, or kept away by
// the privacy settings, refuses to leave the stopped state. The graph passes its reason on from
// Run, or, when Run answers "not finished yet" (S_FALSE), the state query fails afterwards,
// possibly only in general terms: then the stopped camera is asked itself, by pausing it alone
// and stopping it again, so the view can say what is wrong.
HRESULT StartGraph(IMediaControl* control, IBaseFilter* camera) {
    HRESULT hr = control->Run();
    if (hr == S_FALSE) {
        OAFilterState state = State_Stopped;
        HRESULT settled = control->GetState(kStartWaitMs, &state);
        if (FAILED(settled)) hr = settled;
    }
    if (!FAILED(hr) || hr != E_FAIL) return hr;
    control->Stop();
    HRESULT own = camera->Pause();
    camera->Stop();
    return FAILED(own) ? own : hr;
}

// A failed open: whatever was built goes, the camera is stopped, and the reason is kept.
bool FailOpen(CameraProblem problem, const wchar_t* line) {
    CaptureStateData& s = CaptureState;
    OutputDebugStringW(line);
    if (s.mediaEvent) s.mediaEvent->SetNotifyWindow(0, 0, 0);
    if (s.mediaControl) s.mediaControl->Stop();
    TearDownSession();
    gProblem = problem;
    return false;
}

}  // namespace

bool OpenSession() {
    CaptureStateData& s = CaptureState;
    if (s.graph || !s.source) return false;
    if (!SetFormatWithFallback()) {
        gProblem = CameraProblem::CannotOpen;
        return false;
    }

    if (FAILED(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                                reinterpret_cast<void**>(&s.graphBuilder))) ||
        FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                reinterpret_cast<void**>(&s.graph))) ||
        FAILED(s.graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&s.mediaControl))) ||
        FAILED(s.graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&s.mediaEvent))))
        return FailOpen(CameraProblem::CannotOpen, L"Capture graph could not be made.\r\n");
    s.graphBuilder->SetFiltergraph(s.graph);
    s.mediaEvent->SetNotifyWindow(reinterpret_cast<OAHWND>(ViewWindow()), WMU_GRAPH_EVENT, 0);

    s.previewGrabberFilter = CreateFilter(kClsidSampleGrabber);
    s.nullRenderer = CreateFilter(kClsidNullRenderer);
    if (!s.previewGrabberFilter || !s.nullRenderer ||
        FAILED(s.previewGrabberFilter->QueryInterface(__uuidof(ISampleGrabber), reinterpret_cast<void**>(&s.previewGrabber))) ||
        FAILED(s.graph->AddFilter(s.source, L"Camera Input")) ||
        FAILED(s.graph->AddFilter(s.previewGrabberFilter, L"Sample Grabber")) ||
        FAILED(s.graph->AddFilter(s.nullRenderer, L"Null Filter")))
        return FailOpen(CameraProblem::CannotOpen, L"Capture filters could not be added.\r\n");
    SetGrabberMediaType(s.previewGrabber, s.subtype);

    s.cameraOutPin = FindCapturePin(s.source);
    s.grabberInPin = FindPin(s.previewGrabberFilter, PINDIR_INPUT, true);
    s.grabberOutPin = FindPin(s.previewGrabberFilter, PINDIR_OUTPUT, true);
    s.rendererInPin = FindPin(s.nullRenderer, PINDIR_INPUT, true);
    HRESULT hr = s.cameraOutPin && s.grabberInPin && s.grabberOutPin && s.rendererInPin ? S_OK : E_FAIL;
    if (SUCCEEDED(hr)) hr = s.graph->Connect(s.cameraOutPin, s.grabberInPin);
    if (SUCCEEDED(hr)) hr = s.graph->Connect(s.grabberOutPin, s.rendererInPin);
    if (FAILED(hr) || !TakeConnectedFormat())
        return FailOpen(FAILED(hr) ? ProblemOfStartFailure(int32_t(hr)) : CameraProblem::CannotOpen,
                        L"Camera could not be connected.\r\n");

    // Without all four slots there is nothing to convert into: stay closed.
    if (!AllocateFrameRing()) return FailOpen(CameraProblem::CannotOpen, L"Frame ring allocation FAILED.\r\n");

    // One-shot stays off: a one-shot grabber hands over a single sample per run and the live
    // picture would freeze on its first frame.
    s.previewGrabber->SetOneShot(FALSE);
    s.previewGrabber->SetBufferSamples(TRUE);
    s.previewGrabber->SetCallback(&GrabberCallback, 1);

    QueryCameraProperties();

    s.writerFinished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    s.frameQueued = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    currentDeviceIndex = FindDevice(s.moniker);

    AddStillBranch();
    hr = StartGraph(s.mediaControl, s.source);
    if (FAILED(hr)) {
        wchar_t line[80];
        swprintf(line, 80, L"Camera does not run: %08x\r\n", unsigned(hr));
        currentDeviceIndex = -1;
        return FailOpen(ProblemOfStartFailure(int32_t(hr)), line);
    }
    gProblem = CameraProblem::None;
    Post(ViewWindow(), WMU_CAPTURE_STARTED);
    return true;
}

void CloseSession() {
    CaptureStateData& s = CaptureState;
    if (!s.graph) return;
    if (s.mediaEvent) s.mediaEvent->SetNotifyWindow(0, 0, 0);
    // The recorder must be done with the session before anything it uses goes away.
    StopRecordingForTeardown();
    if (s.mediaControl) s.mediaControl->Stop();  // returns when streaming has stopped
    TearDownSession();
    currentDeviceIndex = -1;
    Post(ViewWindow(), WMU_CAPTURE_STOPPED);
}

namespace {

// The view lays itself out again for what the session now is, and repaints with erase.
void RelayoutView(HWND view) {
    if (!view) return;
    PostMessageW(view, WM_SIZE, 0, 0);
    InvalidateRect(view, nullptr, TRUE);
}

// Places a device's moniker and filter in the session (each with a reference of its own).
void TakeDevice(const CameraDevice& device) {
    CaptureStateData& s = CaptureState;
    SafeRelease(s.moniker);
    SafeRelease(s.source);
    s.moniker = device.moniker;
    s.source = device.filter;
    if (s.moniker) s.moniker->AddRef();
    if (s.source) s.source->AddRef();
    currentDeviceName = device.friendlyName;
}

// After a failed open the session keeps no camera: release what TakeDevice placed.
void DropDeviceUnlessOpen() {
    CaptureStateData& s = CaptureState;
    if (s.graph) return;
    SafeRelease(s.moniker);
    SafeRelease(s.source);
    s.catalogue.Clear();
}

}  // namespace

namespace {

CameraIdentity IdentityOf(const CameraDevice& d) { return {d.friendlyName, d.devicePath, d.hardware}; }

std::vector<CameraIdentity> ListedIdentities() {
    std::vector<CameraIdentity> list;
    for (const CameraDevice& d : DeviceList) list.push_back(IdentityOf(d));
    return list;
}

CameraIdentity RememberedCamera() { return ParseRememberedCamera(AppSettings.lastCamera); }

// The camera now running becomes the one to prefer from now on; the settings are written with
// the format when the main window hears that capture started.
void RememberCamera(const CameraDevice& device) {
    CopyTextField(AppSettings.lastCamera, RememberedCameraText(IdentityOf(device)));
}

// Opens a listed camera with requestedFormat matched to its catalogue, as start-up and plug-in
// do. Returns whether it runs.
bool OpenDevice(CameraDevice& device) {
    const HRESULT bound = BindFilter(device);
    if (FAILED(bound)) {
        // Busy and blocked cameras are tried again by the view, as when they fail to start.
        gProblem = ProblemOfStartFailure(int32_t(bound));
        return false;
    }
    HWND view = ViewWindow();
    CameraViewTearDown(view);
    CloseSession();
    TakeDevice(device);
    EnsureFormatCatalogue();
    MatchRequestedFormat(CaptureState.catalogue, requestedFormat);
    CameraViewResetZoom(view);
    bool ok = OpenSession();
    DropDeviceUnlessOpen();
    CameraViewResetPicture(view);
    RelayoutView(view);
    return ok;
}

}  // namespace

CameraProblem CurrentCameraProblem() { return gProblem; }

void SetCameraProblem(CameraProblem problem) { gProblem = problem; }

bool (*gCameraChangeAllowed)() = nullptr;

void OpenDeviceWithFormat(int index, CameraFormat format) {
    if (index < 0 || index >= int(DeviceList.size())) return;
    if (gCameraChangeAllowed && !gCameraChangeAllowed()) return;
    CameraDevice& device = DeviceList[index];  // closing the session leaves the list alone
    const HRESULT bound = BindFilter(device);
    HWND view = ViewWindow();
    CameraViewTearDown(view);
    CloseSession();
    requestedFormat = format;
    TakeDevice(device);
    if (OpenSession())
        RememberCamera(device);  // the user's own choice
    else if (FAILED(bound))
        gProblem = ProblemOfStartFailure(int32_t(bound));
    DropDeviceUnlessOpen();
    CameraViewResetPicture(view);
    EnsureFormatCatalogue();
}

void ReopenWithFormat(const CameraFormat& format) {
    OpenDeviceWithFormat(currentDeviceIndex, format);
}

void OpenWithFormat(const CameraFormat& format, bool askUser) {
    if (askUser) {
        ShowOpenDialog(format);
    } else {
        ReopenWithFormat(format);
    }
}

void OpenLastDevice() {
    RefreshDeviceList();
    Post(MainWindow(), WMU_DEVICES_CHANGED);
    if (DeviceList.empty()) return;
    const CameraIdentity remembered = RememberedCamera();
    const std::vector<CameraIdentity> listed = ListedIdentities();
    const int rememberedIndex = FindRememberedCamera(listed, remembered);
    int index;
    if (IsDeviceOpen()) {
        // Only the camera the user last had, coming back while a stand-in runs, replaces it.
        if (rememberedIndex < 0 || rememberedIndex == currentDeviceIndex) return;
        index = rememberedIndex;
    } else {
        index = ChooseCameraToOpen(listed, remembered);
    }
    CameraDevice& device = DeviceList[index];
    // A stand-in for a remembered camera that is not there does not replace it in memory.
    bool standIn = !remembered.friendlyName.empty() && index != rememberedIndex;
    if (OpenDevice(device) && !standIn) RememberCamera(device);
}

void OnDeviceRemoved() {
    RefreshDeviceList();
    Post(MainWindow(), WMU_DEVICES_CHANGED);
    HWND view = ViewWindow();
    if (IsDeviceOpen()) {
        if (currentDeviceIndex >= 0) return;  // another camera went away
        CloseSession();
    }
    CameraViewTearDown(view);
    RelayoutView(view);
}

void OnGraphEvent() {
    IMediaEventEx* events = CaptureState.mediaEvent;
    if (!IsDeviceOpen() || !events) return;
    long code;
    LONG_PTR p1, p2;
    bool ended = false;
    while (events->GetEvent(&code, &p1, &p2, 0) == S_OK) {
        if (EndsTheStream(code, p2)) ended = true;
        events->FreeEventParams(code, p1, p2);
    }
    if (!ended) return;
    // Lost after a sleep or a USB reset, or stopped by an error: handled like an unplug, but the
    // camera may stay listed. Its bound filter is dropped so that reopening binds it afresh.
    OutputDebugStringW(L"Camera stream ended by the device.\r\n");
    int index = currentDeviceIndex;
    HWND view = ViewWindow();
    CameraViewTearDown(view);
    CloseSession();
    if (index >= 0 && index < int(DeviceList.size())) SafeRelease(DeviceList[index].filter);
    gProblem = CameraProblem::Lost;
    RelayoutView(view);
}

void RegisterDeviceNotifications(HWND window) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return;
    using RegisterFn = HDEVNOTIFY(WINAPI*)(HANDLE, LPVOID, DWORD);
    auto reg = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(GetProcAddress(user32, "RegisterDeviceNotificationW")));
    gUnregisterDeviceNotification = reinterpret_cast<UnregisterFn>(reinterpret_cast<void*>(GetProcAddress(user32, "UnregisterDeviceNotification")));
    if (!reg) return;
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = 32;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kCaptureCategory;
    gDeviceNotify = reg(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void UnregisterDeviceNotifications() {
    if (gDeviceNotify && gUnregisterDeviceNotification) gUnregisterDeviceNotification(gDeviceNotify);
    gDeviceNotify = nullptr;
}

int ClassifyDeviceChange(WPARAM wp, LPARAM lp) {
    if (wp != DBT_DEVICEARRIVAL && wp != DBT_DEVICEREMOVECOMPLETE) return 0;
    auto* hdr = reinterpret_cast<const DEV_BROADCAST_HDR*>(lp);
    if (!hdr || hdr->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE || hdr->dbch_size < 32) return 0;
    auto* dev = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(lp);
    if (!IsEqualGUID(dev->dbcc_classguid, kCaptureCategory)) return 0;
    return wp == DBT_DEVICEARRIVAL ? 1 : -1;
}
