// The quick-adjust pop-up. Its slider writes a camera property through SetManual only when the
// value changes, or sends the camera view the ratio. It closes when the user goes back to the
// main window, on cancel-mode, and when the camera it adjusts is closed or replaced. The
// quantities and the slider arithmetic are in adjust_quantity.cpp.
#include "panel/adjust_popup_win.h"

#include <commctrl.h>

#include "app/dpi_win.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "capture/camera_properties_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "panel/adjust_quantity.h"
#include "resources/options_dialogs.h"
#include "settings/app_settings.h"
#include "view/camera_view_win.h"

namespace {

// The open pop-up's quantity and slider (its handle is ShellState.adjustPopup, the command that
// chose the quantity ShellState.adjustProperty).
struct AdjustPopupState {
    const AdjustQuantity* quantity = nullptr;
    AdjustSlider slider;
    // CameraPropertiesSerial() when the slider's range was read: a slider move after the camera
    // was closed or replaced writes nothing and closes the pop-up.
    unsigned propertiesSerial = 0;
};
AdjustPopupState gAdjust;

bool IsRatio() { return gAdjust.quantity && gAdjust.quantity->property == kAdjustRatio; }

void AdjustShowReadout(HWND dlg) {
    SetDlgItemTextW(dlg, IDC_ADJUST_READOUT, AdjustReadout(IsRatio(), gAdjust.slider.value).c_str());
}

void AdjustShowLabel(HWND dlg) {
    if (gAdjust.quantity) SetDlgItemTextW(dlg, IDC_ADJUST_LABEL, AdjustLabel(*gAdjust.quantity, AppSettings.language));
}

// Points the pop-up at the quantity of the recorded command: label, slider range and position,
// read-out, and its place on the screen.
void AdjustStart(HWND dlg) {
    const AdjustQuantity* q = FindAdjustQuantity(ShellState.adjustProperty);
    if (!q) return;
    gAdjust.quantity = q;
    gAdjust.propertiesSerial = CameraPropertiesSerial();
    if (q->property == kAdjustRatio) {
        int ratio = ShellState.cameraView ? CameraViewGetInfo(ShellState.cameraView).ratio : 100;
        gAdjust.slider = RatioSlider(ratio);
    } else {
        gAdjust.slider = PropertySlider(CaptureState.properties[q->property]);
    }
    if (gAdjust.slider.maximum < gAdjust.slider.base) gAdjust.slider.maximum = gAdjust.slider.base;
    HWND bar = GetDlgItem(dlg, IDC_ADJUST_SLIDER);
    SendMessageW(bar, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(bar, TBM_SETRANGEMAX, TRUE, gAdjust.slider.maximum - gAdjust.slider.base);
    SendMessageW(bar, TBM_SETPOS, TRUE, gAdjust.slider.value - gAdjust.slider.base);
    AdjustShowLabel(dlg);
    AdjustShowReadout(dlg);
    AdjustPopupPlace at = AdjustPopupOrigin(*q, DpiOf(ShellState.mainWnd ? ShellState.mainWnd : dlg));
    SetWindowPos(dlg, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AdjustOnScroll(HWND dlg, WPARAM wp, HWND bar) {
    if (!gAdjust.quantity || bar != GetDlgItem(dlg, IDC_ADJUST_SLIDER)) return;
    if (!IsRatio() && (!IsDeviceOpen() || CameraPropertiesSerial() != gAdjust.propertiesSerial)) {
        DestroyWindow(dlg);
        return;
    }
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
    } else {
        SetManual(CameraPropertyIndex(gAdjust.quantity->property), gAdjust.slider.value);
        AdjustShowReadout(dlg);
    }
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
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
        case IDCANCEL: DestroyWindow(dlg); return TRUE;
        case CMD_RELOAD_TEXTS: AdjustShowLabel(dlg); return TRUE;
        }
        break;
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
    ShellState.adjustProperty = command;
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

void CloseAdjustPopup() {
    if (HWND dlg = ShellState.adjustPopup) DestroyWindow(dlg);
}
