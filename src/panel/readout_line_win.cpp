// The live read-out's line, tip and timer (see readout_line_win.h). User-interface thread only.
#include "panel/readout_line_win.h"

#include <dshow.h>

#include <iterator>
#include <string>

#include <commctrl.h>  // after <string>: it brings strsafe.h, which hides the printf family

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "frame/frame_trace_win.h"
#include "frame/perf_clock_win.h"
#include "media/avi_recorder_win.h"
#include "panel/panel_section_win.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"

namespace {

constexpr UINT_PTR kReadoutTimer = 29;
constexpr UINT kReadoutPeriodMs = 500;

struct ReadoutState {
    HWND tip = nullptr;
    ReadoutHistory history;
    uint32_t opens = 0;             // the counts' restart this history belongs to
    int64_t recorderAtOpen = 0;     // the recorder's total of frames not kept, at the opening
    ReadoutFigures figures;         // shown last
    bool ready = false;             // figures hold rates
    std::wstring line, tipText;     // as set last
};
ReadoutState gReadout;  // one source section

// Frames the camera says it dropped since it started streaming; -1 when it does not say.
int64_t CameraDroppedFrames() {
    const CaptureStateData& cs = CaptureState;
    IAMDroppedFrames* dropped = nullptr;
    if (cs.cameraOutPin)
        cs.cameraOutPin->QueryInterface(IID_IAMDroppedFrames, reinterpret_cast<void**>(&dropped));
    if (!dropped && cs.source) cs.source->QueryInterface(IID_IAMDroppedFrames, reinterpret_cast<void**>(&dropped));
    if (!dropped) return -1;
    long count = 0;
    const HRESULT hr = dropped->GetNumDropped(&count);
    dropped->Release();
    return SUCCEEDED(hr) && count >= 0 ? count : -1;
}

void ShowTexts(HWND section) {
    ReadoutState& r = gReadout;
    std::wstring line, tip;
    if (r.ready) {
        line = ReadoutLine(GetText("readout"), r.figures);
        tip = ReadoutTip(GetText("readout tip"), r.figures);
    }
    HWND control = GetDlgItem(section, kSourceReadout);
    if (control && line != r.line) SetWindowTextW(control, line.c_str());
    r.line = line;
    if (r.tip && tip != r.tipText) {
        TOOLINFOW ti = {sizeof(ti)};
        ti.hwnd = section;
        ti.uId = reinterpret_cast<UINT_PTR>(control);
        ti.lpszText = const_cast<wchar_t*>(tip.c_str());
        SendMessageW(r.tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    r.tipText = tip;
}

void ReadoutTick(HWND section) {
    ReadoutState& r = gReadout;
    if (!IsDeviceOpen()) {
        r.history.Clear();
        r.ready = false;
        ShowTexts(section);
        return;
    }
    FrameCounters& c = CaptureState.counters;
    const uint32_t opens = c.opens.load(std::memory_order_relaxed);
    if (opens != r.opens) {  // a camera opened: everything counts from here
        r.opens = opens;
        r.history.Clear();
        r.recorderAtOpen = GetRecorderStatus().totalDropped;
    }
    // A picture nobody can see is not painted: the frames replaced meanwhile are not skipped.
    HWND view = ShellState.cameraView;
    if (!view || !IsWindowVisible(view) || IsIconic(GetAncestor(view, GA_ROOT))) c.resyncShown = true;

    ReadoutSample look;
    look.at = PerfNow();
    look.received = c.received.load(std::memory_order_relaxed);
    look.shown = c.shown.load(std::memory_order_relaxed);
    look.busyTicks = c.pathTicks.load(std::memory_order_relaxed) + c.paintTicks.load(std::memory_order_relaxed);
    r.history.Add(look);

    ReadoutFigures f = r.history.Rates(PerfFrequency());
    const int64_t camera = CameraDroppedFrames();
    f.cameraDropped = camera > 0 ? camera : 0;
    f.skipped = c.skipped.load(std::memory_order_relaxed);
    const RecorderStatus rec = GetRecorderStatus();
    f.recorderDropped = RecorderDropsSinceOpen(rec.totalDropped, r.recorderAtOpen, rec.writerRunning, rec.dropped);
    r.figures = f;
    r.ready = r.history.Ready();
    ShowTexts(section);

    if (FrameTraceOn()) {
        const CameraViewInfo info = view ? CameraViewGetInfo(view) : CameraViewInfo{};
        TickRecord t;
        t.at = look.at;
        t.received = look.received;
        t.shown = look.shown;
        t.skipped = uint32_t(f.skipped);
        t.cameraDropped = camera;
        t.displayWidth = info.displayW;
        t.displayHeight = info.displayH;
        t.pathTicks = c.pathTicks.load(std::memory_order_relaxed);
        t.paintTicks = c.paintTicks.load(std::memory_order_relaxed);
        TraceTick(t);
    }
}

}  // namespace

void CreateReadoutLine(HWND section) {
    HWND line = CreatePanelControl(section, WC_STATICW, L"", SS_CENTER | SS_NOTIFY | SS_NOPREFIX,
                                   kSourceReadout);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(section, GWLP_HINSTANCE));
    ReadoutState& r = gReadout;
    r = ReadoutState{};  // a new section (the tip of an earlier one went with it) starts afresh
    r.opens = CaptureState.counters.opens.load(std::memory_order_relaxed) - 1;
    r.tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, section, nullptr, instance, nullptr);
    if (r.tip && line) {
        TOOLINFOW ti = {sizeof(ti)};
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = section;
        ti.uId = reinterpret_cast<UINT_PTR>(line);
        ti.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(r.tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        SendMessageW(r.tip, TTM_SETMAXTIPWIDTH, 0, ScalePx(320, DpiOf(section)));  // a long tip wraps
    }
    SetTimer(section, kReadoutTimer, kReadoutPeriodMs, nullptr);
}

bool ReadoutOnTimer(HWND section, UINT_PTR timer) {
    if (timer != kReadoutTimer) return false;
    ReadoutTick(section);
    return true;
}

void ReadoutReloadTexts(HWND section) { ShowTexts(section); }

ReadoutFigures CurrentReadout() { return gReadout.ready ? gReadout.figures : ReadoutFigures{}; }

std::wstring ReadoutTipText(HWND section) {
    if (!gReadout.tip) return L"";
    wchar_t text[512] = {};
    TOOLINFOW ti = {sizeof(ti)};
    ti.hwnd = section;
    ti.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(section, kSourceReadout));
    ti.lpszText = text;
    SendMessageW(gReadout.tip, TTM_GETTEXTW, WPARAM(std::size(text)), reinterpret_cast<LPARAM>(&ti));
    return text;
}
