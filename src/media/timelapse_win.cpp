// The time-lapse run and its indicator (see timelapse_win.h). The indicator window
// (TimelapseWndClass, a child of the horizontal toolbar) owns the run's timer: each tick asks
// the schedule what is due by the monotonic clock, takes the picture through the photo saving
// (with the scale, like any photo) and appends it to the video, whose AVIFile objects live on
// this thread from the run's start to its end.
#include "media/timelapse_win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "frame/resize_nearest.h"
#include "media/avi_file_win.h"
#include "media/jpeg_encoder.h"
#include "media/media_names.h"
#include "media/photo_commands_win.h"  // gSavePath, LocalMediaTime
#include "media/photo_paths.h"
#include "media/photo_saver_win.h"
#include "media/record_rules.h"  // FillIn
#include "media/save_folder_win.h"
#include "media/timelapse_dialog_win.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr int64_t kTickMs = 250;  // the longest wait between two looks at the schedule
constexpr int kIndicatorWidth = 380;  // at 96 dpi, at most
constexpr COLORREF kIndicatorBack = RGB(21, 21, 25);  // the toolbar's own
constexpr COLORREF kIndicatorText = RGB(220, 220, 226);
constexpr COLORREF kIndicatorDot = RGB(230, 60, 50);

// The video of the run's pictures: 'MJPG' frames at the size of the first picture.
struct TimelapseVideo {
    AviHandles avi;
    std::wstring path;
    bool open = false;
    int width = 0, height = 0;
    int32_t entries = 0;
    JpegEncoder encoder;
    std::vector<uint8_t> packed;  // the picture at the video's size, packed rows
};

struct TimelapseRun {
    bool running = false;
    TimelapsePlan plan;
    int64_t startMs = 0;      // GetTickCount64 at the start: picture k is due at startMs + k x interval
    FILETIME startLocal = {};  // the same moment in local time, for the missed-picture log
    int64_t nextSlot = 0;
    int64_t taken = 0, missed = 0;
    bool waiting = false;      // the run's camera is not open
    std::wstring folder, name, extension;
    std::wstring cameraPath;   // the device the pictures come from
    bool aviReady = false;     // AVIFileInit was called for this run
    TimelapseVideo video;
};
TimelapseRun gRun;
TimelapseTestHooks gHooks;
std::wstring gLastFolder, gLastVideo;

struct IndicatorWnd {
    HWND hwnd = nullptr;
    HFONT font = nullptr;
    int fontDpi = 0;
    std::wstring text;
};
HWND gIndicator = nullptr;

// ---- The run ----

bool RunCameraOpen() {
    return IsDeviceOpen() && currentDeviceIndex >= 0 && size_t(currentDeviceIndex) < DeviceList.size() &&
           DeviceList[size_t(currentDeviceIndex)].devicePath == gRun.cameraPath;
}

void ShowToast(const std::wstring& text) {
    if (ShellState.mainWnd && IsWindowVisible(ShellState.mainWnd))
        ShowPrompt(ShellState.mainWnd, text.c_str(), 0, ShellState.toolbarHeight + 1);
}

void AnnounceFile(const std::wstring& path) {
    gSavePath = path;
    AddRecentFile(path);
    SaveSettings();
    if (ShellState.panel) PostMessageW(ShellState.panel, WMU_FILE_ADDED, WPARAM(gRecentFiles.size() - 1), 0);
}

// "HH:MM:SS" of the local time slot k was due at.
std::wstring DueTime(int64_t slot) {
    ULARGE_INTEGER t;
    t.LowPart = gRun.startLocal.dwLowDateTime;
    t.HighPart = gRun.startLocal.dwHighDateTime;
    t.QuadPart += uint64_t(slot * gRun.plan.intervalMs) * 10000;
    FILETIME due = {t.LowPart, t.HighPart};
    SYSTEMTIME st = {};
    FileTimeToSystemTime(&due, &st);
    return ClockTimeText(st.wHour, st.wMinute, st.wSecond);
}

// Names the pictures of count slots from first in the folder's log, with why they are missing.
void LogMissed(int64_t first, int64_t count, const char* reasonKey) {
    if (count <= 0) return;
    gRun.missed += count;
    std::wstring lines;
    for (int64_t slot = first; slot < first + count && slot < first + 10000; ++slot)
        lines += TimelapsePictureName(gRun.plan, slot + 1, gRun.extension.c_str()) + L"\t" + DueTime(slot) + L"\t" +
                 GetText(reasonKey) + L"\r\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, lines.c_str(), int(lines.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(std::max(bytes, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, lines.c_str(), int(lines.size()), utf8.data(), bytes, nullptr, nullptr);
    HANDLE f = CreateFileW((gRun.folder + L"\\" + kMissedLogName).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (GetLastError() != ERROR_ALREADY_EXISTS) WriteFile(f, "\xEF\xBB\xBF", 3, &written, nullptr);  // UTF-8 mark
    WriteFile(f, utf8.data(), DWORD(utf8.size()), &written, nullptr);
    CloseHandle(f);
}

// Appends the picture to the video, opened at the first picture's size; a picture of another
// size (the view's picture changes with the window) is scaled to it.
bool AddVideoFrame(const PhotoPicture& picture) {
    TimelapseVideo& v = gRun.video;
    if (!v.open) {
        v.width = picture.width;
        v.height = picture.height;
        v.path = gRun.folder + L"\\" + gRun.name + L".avi";
        v.packed.assign(size_t(v.width) * size_t(v.height) * 3, 0);
        if (!OpenAviFile({v.path, v.width, v.height, float(gRun.plan.videoFps), true}, &v.avi)) return false;
        v.open = true;
    }
    ResizeNearest(picture.bits, picture.width, picture.height, picture.stride, v.packed.data(), v.width, v.height);
    const uint8_t* jpeg = nullptr;
    size_t bytes = 0;
    LONG written = 0;
    if (!v.encoder.Encode(v.packed.data(), v.width, v.height, &jpeg, &bytes) ||
        !WriteAviEntry(v.avi, v.entries, jpeg, bytes, &written))
        return false;
    ++v.entries;
    return true;
}

void EndRun(bool finished, const std::wstring& failedPath);

// The picture of slot: the view as shown or the camera's frame, saved with the scale like a
// photo. False when it could not be written (the run has ended then).
bool TakePicture(int64_t slot) {
    PhotoPicture picture;
    const bool composed = gRun.plan.take == TimelapseTake::View ? ComposeViewPhoto(&picture) : ComposeFramePhoto(&picture);
    if (!composed) {  // no picture to take yet: missing like one without a camera
        LogMissed(slot, 1, "tl missed camera");
        return true;
    }
    const int64_t number = slot + 1;
    const std::wstring path = gRun.folder + L"\\" + TimelapsePictureName(gRun.plan, number, gRun.extension.c_str());
    const bool failing = gHooks.failFromPicture >= 0 && gRun.taken + 1 >= gHooks.failFromPicture;
    if (failing || !SaveBgrImage(picture.bits, picture.width, picture.height, picture.stride, path, &picture.scale)) {
        EndRun(false, path);
        return false;
    }
    if (++gRun.taken == 1) AnnounceFile(path);  // the first picture joins the recent files
    if (gRun.plan.video && !AddVideoFrame(picture)) {
        EndRun(false, gRun.video.path);
        return false;
    }
    return true;
}

// ---- The indicator ----

std::wstring StatusText(int64_t now) {
    const std::wstring h = GetText("tl h"), m = GetText("tl min"), s = GetText("tl s");
    std::wstring text = FillIn(GetText("tl taken"), L"%d", std::to_wstring(gRun.taken));
    if (gRun.waiting) {
        text += L"  \u00B7  " + GetText("tl waiting");
    } else {
        const TimelapseStep step = NextTimelapseStep(gRun.plan, gRun.startMs, gRun.nextSlot, now);
        const int64_t next = step.kind == TimelapseStep::Wait ? step.waitMs : 0;
        text += L"  \u00B7  " + FillIn(GetText("tl next"), L"%s", DurationText(next + 999, h, m, s));
    }
    const int64_t left = TimelapseLeftMs(gRun.plan, gRun.startMs, now);
    if (left >= 0) text += L"  \u00B7  " + FillIn(GetText("tl left"), L"%s", DurationText(left + 999, h, m, s));
    return text;
}

void UpdateIndicator(int64_t now) {
    auto* w = gIndicator ? reinterpret_cast<IndicatorWnd*>(GetWindowLongPtrW(gIndicator, GWLP_USERDATA)) : nullptr;
    if (!w) return;
    const std::wstring text = gRun.running ? StatusText(now) : std::wstring();
    if (text == w->text) return;
    w->text = text;
    InvalidateRect(w->hwnd, nullptr, FALSE);
}

void Tick() {
    if (!gRun.running) return;
    const int64_t now = int64_t(GetTickCount64());
    TimelapseStep step = NextTimelapseStep(gRun.plan, gRun.startMs, gRun.nextSlot, now);
    if (step.kind != TimelapseStep::Wait) LogMissed(gRun.nextSlot, step.missed, "tl missed late");
    if (step.kind == TimelapseStep::Done) {
        EndRun(true, L"");
        return;
    }
    gRun.waiting = !RunCameraOpen();
    if (step.kind == TimelapseStep::Take) {
        gRun.nextSlot = step.slot + 1;
        if (gRun.waiting)
            LogMissed(step.slot, 1, "tl missed camera");
        else if (!TakePicture(step.slot))
            return;
        step = NextTimelapseStep(gRun.plan, gRun.startMs, gRun.nextSlot, now);
    }
    UpdateIndicator(now);
    if (step.kind == TimelapseStep::Done) {
        EndRun(true, L"");
        return;
    }
    // Woken at the next picture's time, and at least every quarter second for the indicator.
    SetTimer(gIndicator, kTickTimer, UINT(std::clamp<int64_t>(step.waitMs, 10, kTickMs)), nullptr);
}

void IndicatorOnPaint(IndicatorWnd* w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w->hwnd, &ps);
    RECT rc;
    GetClientRect(w->hwnd, &rc);
    SetBkColor(dc, kIndicatorBack);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    const int dpi = DpiOf(w->hwnd);
    if (!w->font || w->fontDpi != dpi) {
        if (w->font) DeleteObject(w->font);
        LOGFONTW lf = {};
        lf.lfHeight = FontHeightAt(10, dpi);
        lstrcpynW(lf.lfFaceName, L"Segoe UI", LF_FACESIZE);
        w->font = CreateFontIndirectW(&lf);
        w->fontDpi = dpi;
    }
    // A red dot, as on a camera that records, then the status.
    const int dot = ScalePx(8, dpi), pad = ScalePx(6, dpi);
    HBRUSH red = CreateSolidBrush(kIndicatorDot);
    HGDIOBJ oldBrush = SelectObject(dc, red);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    const int cy = (rc.bottom - rc.top) / 2;
    Ellipse(dc, pad, cy - dot / 2, pad + dot + 1, cy + dot / 2 + 1);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(red);
    HGDIOBJ oldFont = SelectObject(dc, w->font);
    SetTextColor(dc, kIndicatorText);
    RECT text = rc;
    text.left = pad + dot + pad;
    DrawTextW(dc, w->text.c_str(), int(w->text.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    EndPaint(w->hwnd, &ps);
}

LRESULT CALLBACK IndicatorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* created = new IndicatorWnd;
        created->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* w = reinterpret_cast<IndicatorWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_PAINT: IndicatorOnPaint(w); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_TIMER:
        if (wp == kTickTimer) Tick();
        return 0;
    case WM_LBUTTONUP:  // a click on the run offers to stop it
        if (ShellState.mainWnd) PostMessageW(ShellState.mainWnd, WM_COMMAND, ID_TIMELAPSE, 0);
        return 0;
    case WM_NCDESTROY:
        if (gIndicator == hwnd) gIndicator = nullptr;
        if (w->font) DeleteObject(w->font);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete w;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- Start and end ----

// Asked before the user changes the camera: the run ends first, if the user agrees.
bool AllowCameraChange() {
    if (!gRun.running) return true;
    const int answer = MessageBoxW(ShellState.mainWnd, GetText("tl stop to change").c_str(), GetText("time-lapse").c_str(),
                                   MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return false;
    StopTimelapse();
    return true;
}

void EndRun(bool finished, const std::wstring& failedPath) {
    if (!gRun.running) return;
    gRun.running = false;
    if (gIndicator) {
        KillTimer(gIndicator, kTickTimer);
        ShowWindow(gIndicator, SW_HIDE);
    }
    UpdateIndicator(0);
    TimelapseVideo& v = gRun.video;
    gLastVideo.clear();
    if (v.open) {
        FinishAviFile(v.avi, v.path, v.entries == 0);
        v.encoder.Release();
        v.open = false;
        if (v.entries > 0) {
            gLastVideo = v.path;
            AddRecentFile(v.path);
            SaveSettings();
            if (ShellState.panel) PostMessageW(ShellState.panel, WMU_FILE_ADDED, WPARAM(gRecentFiles.size() - 1), 0);
        }
    }
    if (gRun.aviReady) AVIFileExit();
    gRun.aviReady = false;
    SetThreadExecutionState(ES_CONTINUOUS);  // the system may sleep again
    gCameraChangeAllowed = nullptr;
    gLastFolder = gRun.folder;
    if (!failedPath.empty())
        ShowToast(TextWithPath(GetText("tl save failed"), failedPath));
    else if (finished)
        ShowToast(TextWithPath(FillIn(GetText("tl finished"), L"%d", std::to_wstring(gRun.taken)), gRun.folder));
}

// The run's folder in the save folder, named after the start time: "YYYYMMDD-HHMMSS", then
// "-2", "-3"... when taken. Empty when none can be made.
std::wstring MakeRunFolder(const std::wstring& parent, std::wstring* name) {
    const MediaTime t = LocalMediaTime();
    for (int i = 1; i < 100; ++i) {
        *name = TimelapseFolderName(t.year, t.month, t.day, t.hour, t.minute, t.second, i);
        const std::wstring folder = parent + L"\\" + *name;
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return {};
}

}  // namespace

bool RegisterTimelapseIndicatorClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = IndicatorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.lpszClassName = kTimelapseWndClass;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateTimelapseIndicator(HWND toolbar) {
    HINSTANCE instance = ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
    WNDCLASSEXW known = {sizeof(known)};
    if (!GetClassInfoExW(instance, kTimelapseWndClass, &known)) RegisterTimelapseIndicatorClass(instance);
    gIndicator = CreateWindowExW(0, kTimelapseWndClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, toolbar, nullptr,
                                 instance, nullptr);
    return gIndicator;
}

void PlaceTimelapseIndicator(int toolbarWidth, int toolbarHeight) {
    if (!gIndicator) return;
    HWND toolbar = GetParent(gIndicator);
    const int dpi = DpiOf(toolbar);
    // Right of the last tool button, at the toolbar's free end.
    int toolsEnd = 0;
    for (HWND child = GetWindow(toolbar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == gIndicator || !IsWindowVisible(child)) continue;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, toolbar, reinterpret_cast<POINT*>(&r), 2);
        toolsEnd = std::max(toolsEnd, int(r.right));
    }
    const int margin = ScalePx(8, dpi), height = std::min(toolbarHeight, ScalePx(28, dpi));
    const int right = toolbarWidth - margin, left = std::max(toolsEnd + margin, right - ScalePx(kIndicatorWidth, dpi));
    SetWindowPos(gIndicator, HWND_TOP, left, (toolbarHeight - height) / 2, std::max(0, right - left), height,
                 SWP_NOACTIVATE);
}

bool StartTimelapse(const TimelapsePlan& requested) {
    if (gRun.running || !IsDeviceOpen() || currentDeviceIndex < 0 || size_t(currentDeviceIndex) >= DeviceList.size())
        return false;
    const SaveFolder save = UsableSaveFolder();
    std::wstring name;
    const std::wstring folder = save.path.empty() ? std::wstring() : MakeRunFolder(save.path, &name);
    if (folder.empty()) {
        ShowToast(TextWithPath(GetText("tl not started"), save.path));
        return false;
    }
    gRun.plan = ClampTimelapsePlan(requested);
    gRun.startMs = int64_t(GetTickCount64());
    SYSTEMTIME now;
    GetLocalTime(&now);
    SystemTimeToFileTime(&now, &gRun.startLocal);
    gRun.nextSlot = gRun.taken = gRun.missed = 0;
    gRun.waiting = false;
    gRun.folder = folder;
    gRun.name = name;
    gRun.extension = PhotoExtension(AppSettings.jpgPng);
    gRun.cameraPath = DeviceList[size_t(currentDeviceIndex)].devicePath;
    gRun.video.entries = 0;
    gRun.video.open = false;
    gRun.aviReady = gRun.plan.video;
    if (gRun.aviReady) AVIFileInit();  // the video's objects live on this thread until the end
    gRun.running = true;
    gLastFolder = folder;
    gLastVideo.clear();
    // Hours unattended: the system must not sleep meanwhile (the display may).
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    gCameraChangeAllowed = AllowCameraChange;
    if (gIndicator) {
        ShowWindow(gIndicator, SW_SHOWNA);
        SetTimer(gIndicator, kTickTimer, 1, nullptr);  // the first picture is due now
    }
    UpdateIndicator(gRun.startMs);
    return true;
}

void StopTimelapse() { EndRun(true, L""); }

void TimelapseCommand(HWND owner) {
    if (gRun.running) {
        const std::wstring ask = FillIn(GetText("tl stop ask"), L"%d", std::to_wstring(gRun.taken));
        if (MessageBoxW(owner, ask.c_str(), GetText("time-lapse").c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES)
            StopTimelapse();
        return;
    }
    if (!IsDeviceOpen()) return;  // as recording: only with a camera
    TimelapsePlan plan;
    if (RunTimelapseDialog(owner, &plan)) StartTimelapse(plan);
}

TimelapseStatus GetTimelapseStatus() {
    TimelapseStatus s;
    s.running = gRun.running;
    s.waitingForCamera = gRun.running && gRun.waiting;
    s.taken = gRun.taken;
    s.missed = gRun.missed;
    s.folder = gLastFolder;
    s.video = gRun.running ? gRun.video.path : gLastVideo;
    return s;
}

TimelapseTestHooks& TimelapseHooks() { return gHooks; }
