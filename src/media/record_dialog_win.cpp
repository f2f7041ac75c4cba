// The record-video dialog: starts and stops a recording, pauses and resumes it, sets the time
// limit, and shows the elapsed video time in a large clock. Its timer (88, every 100 ms) stops
// the recording at the limit or when the file can no longer be written, splits a file grown too
// large, and notices a recording that ended without it (the camera was closed). User-interface
// thread only.
#include "media/record_dialog_win.h"

#include <commctrl.h>

#include "app/dpi_win.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "media/avi_recorder_win.h"
#include "media/record_rules.h"
#include "resources/record_dialog.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/calibration_dialogs_win.h"  // PlaceDialogBelowMainTop

namespace {

constexpr UINT_PTR kRecordTimerId = 88;
constexpr UINT kRecordTimerMs = 100;

struct RecordDialog {
    HFONT clockFont = nullptr;  // "Courier New", sized to the clock control
    bool started = false;       // this dialog started the recording that is running
    bool stopping = false;      // a stop is waiting for the writer
    // A split is waiting for the writer to go on in the next file (messages are handled
    // meanwhile), and a stop asked for during it, run once the split is done.
    bool splitting = false;
    bool stopAfterSplit = false;
};

RecordDialog* StateOf(HWND dlg) { return reinterpret_cast<RecordDialog*>(GetWindowLongPtrW(dlg, DWLP_USER)); }

void SetItemText(HWND dlg, int id, const char* key) { SetDlgItemTextW(dlg, id, GetText(key).c_str()); }

bool IsRecording() { return CaptureState.recording == 1; }

// The largest "Courier New" (other attributes from the control's font) whose "ZH" fits the
// control's height, starting from that height minus 10 as a point size. Points are taken at the
// dialog's own display scale: the control's height already follows it.
HFONT MakeClockFont(HWND clock, int dpi) {
    RECT rc;
    GetClientRect(clock, &rc);
    const int height = rc.bottom - rc.top;
    LOGFONTW lf = {};
    if (HFONT current = reinterpret_cast<HFONT>(SendMessageW(clock, WM_GETFONT, 0, 0)))
        GetObjectW(current, sizeof(lf), &lf);
    lstrcpynW(lf.lfFaceName, L"Courier New", LF_FACESIZE);
    HDC dc = GetDC(clock);
    HFONT font = nullptr;
    for (int points = height - 10; points >= 1; --points) {
        lf.lfHeight = FontHeightAt(points, dpi);
        font = CreateFontIndirectW(&lf);
        if (!font) break;
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size = {};
        GetTextExtentPoint32W(dc, L"ZH", 2, &size);
        SelectObject(dc, old);
        if (size.cy <= height) break;
        DeleteObject(font);
        font = nullptr;
    }
    ReleaseDC(clock, dc);
    return font;
}

// The clock's font at the dialog's display scale, made at the start and again after the dialog
// moved to a monitor of another scale (the dialog manager scales the dialog, its controls and
// its own font, not the fonts we make); the font it replaces is deleted once the clock has the
// new one.
void RecordScaleClock(HWND dlg, RecordDialog* state) {
    HWND clock = GetDlgItem(dlg, IDC_REC_CLOCK);
    HFONT font = MakeClockFont(clock, DpiOf(dlg));
    if (!font) return;
    SendMessageW(clock, WM_SETFONT, WPARAM(font), TRUE);
    if (state->clockFont) DeleteObject(state->clockFont);
    state->clockFont = font;
}

void RecordOnInit(HWND dlg) {
    auto* state = new RecordDialog;
    SetWindowLongPtrW(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    if (AppSettings.language != 0) {
        SetWindowTextW(dlg, GetText("rec video").c_str());
        SetItemText(dlg, IDC_REC_START, "start rec");
        SetItemText(dlg, IDC_REC_PAUSE, "pause rec");
        SetItemText(dlg, IDC_REC_LIMIT_LABEL, "time lim");
    }
    PlaceDialogBelowMainTop(dlg);
    RecordScaleClock(dlg, state);
    HWND list = GetDlgItem(dlg, IDC_REC_LIMIT);
    for (const char* key : kRecordLimitKeys)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GetText(key).c_str()));
    SendMessageW(list, CB_SETCURSEL, WPARAM(RecordLimitListIndex(AppSettings.maxRecordTime)), 0);
    // The timer runs while the dialog is open: besides the clock it keeps Start enabled only
    // while a camera is open, which changes with plugging whether or not we record.
    SetTimer(dlg, kRecordTimerId, kRecordTimerMs, nullptr);
    EnableWindow(GetDlgItem(dlg, IDC_REC_PAUSE), FALSE);
}

// Back to the idle look after a recording ended: the button starts again.
void ShowIdle(HWND dlg, RecordDialog* state) {
    state->started = false;
    SetItemText(dlg, IDC_REC_START, "start rec");
    SetItemText(dlg, IDC_REC_PAUSE, "pause rec");
    EnableWindow(GetDlgItem(dlg, IDC_REC_PAUSE), FALSE);
}

void RecordOnStart(HWND dlg, RecordDialog* state) {
    HWND list = GetDlgItem(dlg, IDC_REC_LIMIT);
    AppSettings.maxRecordTime = RecordLimitForStart(int(SendMessageW(list, CB_GETCURSEL, 0, 0)), AppSettings.maxRecordTime);
    SaveSettings();  // also makes sure the save folder exists
    CaptureState.accumulatedTime = 0;
    CaptureState.mediaTime = 0;
    MakeVideoPath();
    if (!StartRecording()) {  // nothing records: the button stays Start and the user is told
        ShowRecordingNotCreated();
        return;
    }
    state->started = true;
    SetDlgItemTextW(dlg, IDC_REC_CLOCK, L"0.0");
    EnableWindow(GetDlgItem(dlg, IDC_REC_PAUSE), TRUE);
    SendMessageW(dlg, WM_NEXTDLGCTL, 0, FALSE);
    SetItemText(dlg, IDC_REC_START, "stop rec");
}

// Stop and close: the writer finishes the file first, so the announcement can say what the file
// lacks (dropped frames, a failed write).
void RecordOnStop(HWND dlg, RecordDialog* state) {
    state->stopping = true;
    StopRecording();
    AnnounceVideo();
    KillTimer(dlg, kRecordTimerId);
    EndDialog(dlg, 1);
}

void RecordOnPause(HWND dlg) {
    if (!IsRecording()) return;
    const bool pause = CaptureState.paused == 0;
    SetRecordingPaused(pause);
    SetItemText(dlg, IDC_REC_PAUSE, pause ? "resume rec" : "pause rec");
}

void RecordOnTimer(HWND dlg, RecordDialog* state) {
    // During a split the finished file's time joins accumulatedTime only once the writer has
    // left the file: the clock waits for that, so it neither goes back nor counts twice.
    if (state->stopping || state->splitting) return;
    EnableWindow(GetDlgItem(dlg, IDC_REC_START), IsRecording() || IsDeviceOpen());
    if (state->started && !IsRecording() && !GetRecorderStatus().writerRunning) {
        ShowIdle(dlg, state);  // the camera was closed, or a split could not open its new file
        return;
    }
    if (!IsRecording()) return;
    // A failed write and the limit are looked at before anything else: a file whose very first
    // frame could not be written holds no video time, and must stop all the same.
    const int64_t elapsedMs = (CaptureState.accumulatedTime + CaptureState.mediaTime) / 10000;
    switch (DecideRecordTick(elapsedMs, AppSettings.maxRecordTime, CaptureState.bytesWritten,
                             RecorderHooks().splitThreshold, GetRecorderStatus().writeFailed)) {
    case RecordTickAction::Stop: PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0); break;
    case RecordTickAction::Split: PostMessageW(dlg, WM_COMMAND, IDC_REC_SPLIT, 0); break;
    case RecordTickAction::None: break;
    }
    if (CaptureState.mediaTime > 0) SetDlgItemTextW(dlg, IDC_REC_CLOCK, RecordClockText(elapsedMs).c_str());
}

// Splits the recording; a stop pressed meanwhile runs after the split (as a close, which also
// fits a recording that ended because no next file could be made).
void RecordOnSplit(HWND dlg, RecordDialog* state) {
    if (!IsRecording()) return;
    state->splitting = true;
    SplitRecording();
    state->splitting = false;
    if (state->stopAfterSplit) {
        state->stopAfterSplit = false;
        PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    }
}

void RecordOnCommand(HWND dlg, RecordDialog* state, WPARAM wp) {
    if (state->stopping) return;  // the writer is finishing; the dialog closes next
    if (state->splitting) {  // a stop waits for the split; a second split has nothing to do
        const WORD id = LOWORD(wp);
        if (id == IDC_REC_START || id == IDCANCEL) state->stopAfterSplit = true;
        if (id == IDC_REC_START || id == IDCANCEL || id == IDC_REC_SPLIT) return;
    }
    switch (LOWORD(wp)) {
    case IDC_REC_START:
        if (IsRecording())
            RecordOnStop(dlg, state);
        else
            RecordOnStart(dlg, state);
        break;
    case IDCANCEL:
        if (IsRecording()) {
            RecordOnStop(dlg, state);
        } else {
            KillTimer(dlg, kRecordTimerId);
            EndDialog(dlg, 2);
        }
        break;
    case IDC_REC_PAUSE: RecordOnPause(dlg); break;
    case IDC_REC_SPLIT: RecordOnSplit(dlg, state); break;
    case IDC_REC_SCALE_CLOCK: RecordScaleClock(dlg, state); break;
    case IDC_REC_LIMIT:
        if (HIWORD(wp) == CBN_SELCHANGE) {
            int index = int(SendMessageW(GetDlgItem(dlg, IDC_REC_LIMIT), CB_GETCURSEL, 0, 0));
            if (index >= 0 && index < kRecordLimitListCount) AppSettings.maxRecordTime = kRecordLimits[index];
        }
        break;
    }
}

INT_PTR CALLBACK RecordDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        RecordOnInit(dlg);
        return TRUE;
    }
    RecordDialog* state = StateOf(dlg);
    if (!state) return FALSE;
    switch (msg) {
    case WM_TIMER:
        if (wp == kRecordTimerId) RecordOnTimer(dlg, state);
        return TRUE;
    case WM_COMMAND:
        RecordOnCommand(dlg, state, wp);
        return TRUE;
    case WM_DPICHANGED:
        // The clock is made again once the dialog manager has scaled the controls.
        PostMessageW(dlg, WM_COMMAND, IDC_REC_SCALE_CLOCK, 0);
        return FALSE;
    case WM_DESTROY:
        KillTimer(dlg, kRecordTimerId);
        if (state->clockFont) DeleteObject(state->clockFont);
        SetWindowLongPtrW(dlg, DWLP_USER, 0);
        delete state;
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunRecordDialog(HWND parent) {
    HINSTANCE instance = ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_RECORD_VIDEO), parent, RecordDlgProc, 0);
}
