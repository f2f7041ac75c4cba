// The main window's handlers that concern the camera view (see main_view_win.h).
#include "app/main_view_win.h"

#include <cstdint>

#include "app/messages.h"
#include "app/shell_state_win.h"
#include "capture/camera_format.h"
#include "capture/camera_settings_win.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "frame/capture_state_win.h"
#include "panel/adjust_popup_win.h"
#include "panel/white_balance_win.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/calibration_workflow.h"
#include "view/camera_view_win.h"
#include "view/measure_model.h"
#include "view/overlay.h"

namespace {

constexpr int kFitRatio = 0;
constexpr int kFitFromWidth = 1920;  // captures this wide start fitted to the window

void PostToPanel(WPARAM level) {
    if (ShellState.panel) PostMessageW(ShellState.panel, WMU_PANEL_REFRESH, level, 0);
}

void SendToView(int command, LPARAM lp) {
    if (ShellState.cameraView) SendMessageW(ShellState.cameraView, WM_COMMAND, command, lp);
}

void MainOnCaptureStarted() {
    CloseAdjustPopup();  // its ranges were another camera's
    EnsureFormatCatalogue();
    AppSettings.mjpg = requestedFormat.subtype == kSubtypeMjpg ? 1 : 0;
    AppSettings.width = requestedFormat.width;
    AppSettings.height = requestedFormat.height;
    AppSettings.interpolated = requestedFormat.interpolated;
    SaveSettings();
    // A new picture starts without a calibration, unless its camera had one applied at this
    // frame size.
    CalibrationState.appliedSlot = -1;
    struct { float ppu; int32_t unit; } calibration = {-1.0f, 0};
    if (const CameraRecord* record = OpenCameraRecord()) {
        const int slot = RecordedCalibrationSlot(CalibrationTable, record->calibrationSlot, record->calibrationName,
                                                 CaptureState.width, CaptureState.height);
        if (slot >= 0) {
            CalibrationState.appliedSlot = slot;
            calibration = {CalibrationTable[slot].pixelsPerUnit, CalibrationTable[slot].unit};
        }
    }
    SendToView(VIEW_CMD_SET_CALIBRATION, reinterpret_cast<LPARAM>(&calibration));
    SendToView(VIEW_CMD_SET_RATIO, AppSettings.width >= kFitFromWidth ? kFitRatio : 100);
    // Measuring goes on as after applying it in the calibration manager.
    if (CalibrationState.appliedSlot >= 0 && ShellState.mainWnd)
        PostMessageW(ShellState.mainWnd, WM_COMMAND, CMD_CALIBRATION_CHANGED, 0);
    PostToPanel(1);
}

void MainOnCaptureStopped() {
    CloseAdjustPopup();
    SelectTool(kToolNone);
    if (ShellState.textInputDlg) {
        HWND dlg = ShellState.textInputDlg;
        ShellState.textInputDlg = nullptr;
        DestroyWindow(dlg);
    }
    if (ShellState.calibrationWnd) {
        CameraViewSetCalibrationLength(ShellState.cameraView, 0);
        HWND wnd = ShellState.calibrationWnd;
        ShellState.calibrationWnd = nullptr;
        DestroyWindow(wnd);
    }
    PostToPanel(1);
}

// Shapes may be deleted from the toolbar only while a camera is open, no calibration is being
// made and at least one shape exists.
bool CanDeleteShapes() {
    return ShellState.cameraView && IsDeviceOpen() && !ShellState.calibrationWnd &&
           !MeasurementState.shapes.empty();
}

}  // namespace

void SendDrawSettingsToView() {
    int32_t values[kDrawSettingCount] = {int32_t(AppSettings.gridColor), int32_t(AppSettings.lineColor),
                                         AppSettings.lineWidth, int32_t(AppSettings.textColor), AppSettings.textSize,
                                         AppSettings.labelBacking};
    SendToView(VIEW_CMD_DRAW_SETTINGS, reinterpret_cast<LPARAM>(values));
}

HWND CreateMainCameraView(HWND mainWnd) {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mainWnd, GWLP_HINSTANCE));
    HWND view = CreateCameraView(mainWnd, instance);
    ShellState.cameraView = view;
    if (!view) return nullptr;
    SendDrawSettingsToView();
    // GetText's references change with the language: copied into the view at once.
    CameraViewSetPrompts(view, GetText("no device").c_str(), GetText("input tip").c_str());
    return view;
}

bool MainOnViewMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WMU_DEVICES_CHANGED:
        PostToPanel(11);
        return true;
    case WMU_CAPTURE_STARTED:
        MainOnCaptureStarted();
        return true;
    case WMU_CAPTURE_STOPPED:
        MainOnCaptureStopped();
        return true;
    case WMU_ZOOM_BUTTON:
        if (CaptureState.interpolated) CameraViewStepZoom(ShellState.cameraView);
        return true;
    case WMU_VIEW_RATIO:  // the preview section's read-out and trackbar and the ratio pop-up follow the view
        PostToPanel(0);
        AdjustPopupFollowRatio(CameraViewGetInfo(ShellState.cameraView).ratio);
        return true;
    case WMU_NEUTRAL_AREA:
        if (lp) OnNeutralAreaPicked(*reinterpret_cast<const FrameArea*>(lp));
        return true;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case CMD_APPLY_DRAW_SETTINGS:
            SendDrawSettingsToView();
            return true;
        case ID_DELETE_LAST:
            if (CanDeleteShapes()) {
                CameraViewDeleteLast(ShellState.cameraView);
                InvalidateRect(ShellState.cameraView, nullptr, FALSE);
            }
            return true;
        case ID_DELETE_ALL:
            if (CanDeleteShapes()) {
                CameraViewDeleteAll(ShellState.cameraView);
                InvalidateRect(ShellState.cameraView, nullptr, FALSE);
            }
            return true;
        }
        return false;
    }
    return false;
}
