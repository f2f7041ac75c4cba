// The quick-adjust pop-up. Its slider writes a camera property only when the value changes, or
// sends the camera view the ratio. Exposure and white balance add an "Auto" check box (a manual
// value turns it off; checking it hands the property to the camera), white balance the button
// that picks a neutral area in the view; power-line frequency shows the camera's choices instead
// of a slider. What the user sets is kept in the camera's record. It closes when the user goes
// back to the main window, on cancel-mode, and when the camera it adjusts is closed or replaced.
// The quantities and the slider arithmetic are in adjust_quantity.cpp.
#include "panel/adjust_popup_win.h"

#include <commctrl.h>

#include <vector>

#include "app/dpi_win.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "capture/camera_properties_win.h"
#include "capture/camera_settings_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "panel/adjust_quantity.h"
#include "panel/white_balance_win.h"
#include "resources/options_dialogs.h"
#include "settings/app_settings.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"

namespace {

constexpr int kPopupWidthUnits = 152;
constexpr int kPopupHeightUnits = 33;
constexpr int kPopupTallUnits = 50;  // with the row under the slider

// The open pop-up's quantity and slider (its handle is ShellState.adjustPopup, the command that
// chose the quantity ShellState.adjustProperty).
struct AdjustPopupState {
    const AdjustQuantity* quantity = nullptr;
    AdjustSlider slider;
    std::vector<int> choices;  // power-line values of the choice buttons, in order
    // CameraPropertiesSerial() when the slider's range was read: a slider move after the camera
    // was closed or replaced writes nothing and closes the pop-up.
    unsigned propertiesSerial = 0;
};
AdjustPopupState gAdjust;
// The panel button a panel quantity was opened from (screen pixels); empty for the toolbar's.
RECT gAnchor = {};

bool IsRatio() { return gAdjust.quantity && gAdjust.quantity->property == kAdjustRatio; }
AdjustKind Kind() { return gAdjust.quantity ? gAdjust.quantity->kind : AdjustKind::Slider; }
CameraPropertyIndex Property() { return CameraPropertyIndex(gAdjust.quantity->property); }
const CameraProperty& Record() { return CaptureState.properties[Property()]; }

void AdjustShowReadout(HWND dlg) {
    std::wstring text;
    if (Kind() == AdjustKind::Choices) text = GetText(PowerLineKey(gAdjust.slider.value));
    else text = AdjustReadout(*gAdjust.quantity, gAdjust.slider.value);
    SetDlgItemTextW(dlg, IDC_ADJUST_READOUT, text.c_str());
}

void AdjustShowTexts(HWND dlg) {
    if (!gAdjust.quantity) return;
    SetDlgItemTextW(dlg, IDC_ADJUST_LABEL, AdjustLabel(*gAdjust.quantity, AppSettings.language).c_str());
    SetDlgItemTextW(dlg, IDC_ADJUST_AUTO, GetText("auto").c_str());
    SetDlgItemTextW(dlg, IDC_ADJUST_NEUTRAL, GetText("wb pick").c_str());
    for (size_t i = 0; i < gAdjust.choices.size(); ++i)
        SetDlgItemTextW(dlg, IDC_ADJUST_CHOICE + int(i), GetText(PowerLineKey(gAdjust.choices[i])).c_str());
    if (Kind() == AdjustKind::Choices) AdjustShowReadout(dlg);
}

void ShowItem(HWND dlg, int id, bool show) { ShowWindow(GetDlgItem(dlg, id), show ? SW_SHOWNA : SW_HIDE); }

// The slider, the check box and the choice buttons as the camera has the property now.
void AdjustShowState(HWND dlg) {
    HWND bar = GetDlgItem(dlg, IDC_ADJUST_SLIDER);
    SendMessageW(bar, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(bar, TBM_SETRANGEMAX, TRUE, gAdjust.slider.maximum - gAdjust.slider.base);
    SendMessageW(bar, TBM_SETPOS, TRUE, gAdjust.slider.value - gAdjust.slider.base);
    // A white balance the camera does not offer leaves the grey-area button alone usable.
    EnableWindow(bar, Kind() != AdjustKind::SliderWithAuto || CameraOffers(Record()));
    if (Kind() == AdjustKind::SliderWithAuto) {
        EnableWindow(GetDlgItem(dlg, IDC_ADJUST_AUTO), Record().autoCapable != 0);
        CheckDlgButton(dlg, IDC_ADJUST_AUTO, Record().autoNow ? BST_CHECKED : BST_UNCHECKED);
    }
    for (size_t i = 0; i < gAdjust.choices.size(); ++i)
        CheckDlgButton(dlg, IDC_ADJUST_CHOICE + int(i),
                       gAdjust.choices[i] == gAdjust.slider.value ? BST_CHECKED : BST_UNCHECKED);
    AdjustShowReadout(dlg);
}

// Shows the controls of the quantity's kind and gives the pop-up their height.
void AdjustLayOut(HWND dlg) {
    const AdjustKind kind = Kind();
    ShowItem(dlg, IDC_ADJUST_SLIDER, kind != AdjustKind::Choices);
    ShowItem(dlg, IDC_ADJUST_AUTO, kind == AdjustKind::SliderWithAuto);
    ShowItem(dlg, IDC_ADJUST_NEUTRAL, kind == AdjustKind::SliderWithAuto && Property() == kPropWhiteBalance);
    for (int i = 0; i < kPowerLineChoices; ++i) {
        const bool shown = size_t(i) < gAdjust.choices.size();
        ShowItem(dlg, IDC_ADJUST_CHOICE + i, shown);
    }
    RECT r = {0, 0, kPopupWidthUnits, kind == AdjustKind::SliderWithAuto ? kPopupTallUnits : kPopupHeightUnits};
    MapDialogRect(dlg, &r);
    AdjustWindowRectEx(&r, DWORD(GetWindowLongW(dlg, GWL_STYLE)), FALSE, DWORD(GetWindowLongW(dlg, GWL_EXSTYLE)));
    SetWindowPos(dlg, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Beside the panel button it was opened from, or at the toolbar quantity's place.
void AdjustPlace(HWND dlg, const AdjustQuantity& q) {
    AdjustPopupPlace at = AdjustPopupOrigin(q, DpiOf(ShellState.mainWnd ? ShellState.mainWnd : dlg));
    if (q.textKey && gAnchor.right > gAnchor.left) {
        RECT self;
        GetWindowRect(dlg, &self);
        MONITORINFO mi = {sizeof(mi)};
        GetMonitorInfoW(MonitorFromRect(&gAnchor, MONITOR_DEFAULTTONEAREST), &mi);
        const int work[4] = {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom};
        at = AdjustPopupBeside(gAnchor.left, gAnchor.top, self.right - self.left, self.bottom - self.top, work);
    }
    SetWindowPos(dlg, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Points the pop-up at the quantity of the recorded command: controls, label, range and
// position, read-out, and its place on the screen.
void AdjustStart(HWND dlg) {
    const AdjustQuantity* q = FindAdjustQuantity(ShellState.adjustProperty);
    if (!q) return;
    gAdjust.quantity = q;
    gAdjust.propertiesSerial = CameraPropertiesSerial();
    gAdjust.choices.clear();
    if (q->property == kAdjustRatio) {
        int ratio = ShellState.cameraView ? CameraViewGetInfo(ShellState.cameraView).ratio : 100;
        gAdjust.slider = RatioSlider(ratio);
    } else {
        gAdjust.slider = PropertySlider(Record());
        if (q->kind == AdjustKind::Choices) gAdjust.choices = PowerLineChoices(Record());
    }
    if (gAdjust.slider.maximum < gAdjust.slider.base) gAdjust.slider.maximum = gAdjust.slider.base;
    AdjustLayOut(dlg);
    AdjustShowTexts(dlg);
    AdjustShowState(dlg);
    AdjustPlace(dlg, *q);
}

// A property write the camera may refuse: what it kept is shown, and what it took is kept in
// its record.
void AdjustWrote(HWND dlg, bool taken) {
    if (taken) RememberProperty(Property());
    gAdjust.slider.value = Record().value;
    AdjustShowState(dlg);
}

// False (and the pop-up closes) when the camera it was opened for is no longer the open one.
bool CameraStillThere(HWND dlg) {
    if (IsRatio() || (IsDeviceOpen() && CameraPropertiesSerial() == gAdjust.propertiesSerial)) return true;
    DestroyWindow(dlg);
    return false;
}

void AdjustOnScroll(HWND dlg, WPARAM wp, HWND bar) {
    if (!gAdjust.quantity || bar != GetDlgItem(dlg, IDC_ADJUST_SLIDER) || !CameraStillThere(dlg)) return;
    int request = LOWORD(wp);
    bool thumb = request == TB_THUMBPOSITION || request == TB_THUMBTRACK;
    // The message carries 16 bits of position; a wider range is read from the trackbar.
    int position = thumb && gAdjust.slider.maximum - gAdjust.slider.base <= 0xFFFF
                       ? int(HIWORD(wp))
                       : int(SendMessageW(bar, TBM_GETPOS, 0, 0));
    if (!MoveAdjustSlider(gAdjust.slider, position)) return;
    if (IsRatio()) {
        AdjustShowReadout(dlg);
        if (ShellState.cameraView)
            SendMessageW(ShellState.cameraView, WM_COMMAND, VIEW_CMD_SET_RATIO, RatioOfPosition(gAdjust.slider.value));
        return;
    }
    if (SetManual(Property(), gAdjust.slider.value)) {
        RememberProperty(Property());
    } else if (!thumb) {  // refused: the slider goes back to the camera's value (not under a held thumb)
        gAdjust.slider.value = Record().value;
        SendMessageW(bar, TBM_SETPOS, TRUE, gAdjust.slider.value - gAdjust.slider.base);
    }
    if (Kind() == AdjustKind::SliderWithAuto)
        CheckDlgButton(dlg, IDC_ADJUST_AUTO, Record().autoNow ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(dlg, IDC_ADJUST_READOUT, AdjustReadout(*gAdjust.quantity, Record().value).c_str());
}

void AdjustOnAuto(HWND dlg) {
    if (Kind() != AdjustKind::SliderWithAuto || !CameraStillThere(dlg)) return;
    AdjustWrote(dlg, SetAuto(Property(), IsDlgButtonChecked(dlg, IDC_ADJUST_AUTO) == BST_CHECKED));
}

void AdjustOnChoice(HWND dlg, int index) {
    if (Kind() != AdjustKind::Choices || index < 0 || size_t(index) >= gAdjust.choices.size() || !CameraStillThere(dlg))
        return;
    const int value = gAdjust.choices[size_t(index)];
    if (value == Record().value && !Record().autoNow) return;
    AdjustWrote(dlg, SetManual(Property(), value));
}

void AdjustOnActivate(HWND dlg, WPARAM wp, LPARAM lp) {
    // Going back to the main window closes the pop-up; any other window leaves it open.
    if (LOWORD(wp) == WA_INACTIVE && ShellState.mainWnd && reinterpret_cast<HWND>(lp) == ShellState.mainWnd)
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
}

INT_PTR CALLBACK AdjustPopupProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        AdjustStart(dlg);
        return TRUE;  // the slider takes the focus when the creator shows the pop-up
    case WM_HSCROLL:
        AdjustOnScroll(dlg, wp, reinterpret_cast<HWND>(lp));
        return TRUE;
    case WM_ACTIVATE:
        AdjustOnActivate(dlg, wp, lp);
        return FALSE;
    case WM_CANCELMODE:
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        return FALSE;
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        switch (id) {
        case IDOK:
        case IDCANCEL: DestroyWindow(dlg); return TRUE;
        case CMD_RELOAD_TEXTS: AdjustShowTexts(dlg); return TRUE;
        case IDC_ADJUST_AUTO: AdjustOnAuto(dlg); return TRUE;
        case IDC_ADJUST_NEUTRAL:
            DestroyWindow(dlg);
            StartNeutralAreaPick();
            return TRUE;
        }
        if (id >= IDC_ADJUST_CHOICE && id < IDC_ADJUST_CHOICE + kPowerLineChoices && HIWORD(wp) == BN_CLICKED) {
            AdjustOnChoice(dlg, id - IDC_ADJUST_CHOICE);
            return TRUE;
        }
        break;
    }
    case WM_DESTROY:
        if (ShellState.adjustPopup == dlg) ShellState.adjustPopup = nullptr;
        gAdjust = AdjustPopupState{};
        break;
    }
    return FALSE;
}

void ShowAdjustPopup(HWND dlg) {
    ShowWindow(dlg, SW_SHOW);
    SetActiveWindow(dlg);  // it closes when the main window is activated again
}

}  // namespace

void RunAdjustCommand(int command) {
    RunAdjustCommandAt(command, nullptr);
}

void RunAdjustCommandAt(int command, const RECT* anchor) {
    ShellState.adjustProperty = command;
    gAnchor = anchor ? *anchor : RECT{};
    if (!ShellState.cameraView || !IsDeviceOpen()) {
        CloseAdjustPopup();
        return;
    }
    if (HWND dlg = ShellState.adjustPopup) {
        AdjustStart(dlg);
        ShowAdjustPopup(dlg);
        return;
    }
    HINSTANCE instance = ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
    HWND dlg = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_ADJUST_POPUP), ShellState.mainWnd,
                                  AdjustPopupProc, 0);
    if (!dlg) return;
    ShellState.adjustPopup = dlg;
    ShowAdjustPopup(dlg);
}

void AdjustPopupFollowRatio(int ratio) {
    HWND dlg = ShellState.adjustPopup;
    if (!dlg || !IsRatio()) return;
    const int position = RatioPosition(ratio);
    if (position == gAdjust.slider.value) return;
    gAdjust.slider.value = position;
    AdjustShowState(dlg);
}

void CloseAdjustPopup() {
    if (HWND dlg = ShellState.adjustPopup) DestroyWindow(dlg);
}
