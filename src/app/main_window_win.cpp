// The main window: VardeloWndClass, its children's layout, full-screen mode and the
// switchboard of commands and private messages.
#include <windows.h>

#include <algorithm>

#include "app/dpi_win.h"
#include "app/main_layout.h"
#include "app/main_view_win.h"
#include "app/messages.h"
#include "app/owned_windows_win.h"
#include "app/shell_state_win.h"
#include "panel/ctrl_panel_win.h"
#include "app/tool_buttons.h"
#include "app/toolbar_win.h"
#include "capture/camera_settings_win.h"
#include "capture/capture_session_win.h"
#include "capture/open_dialog_win.h"
#include "media/avi_recorder_win.h"
#include "media/focus_stack_mode_win.h"
#include "media/measure_export_win.h"
#include "media/mosaic_window_win.h"
#include "media/photo_commands_win.h"
#include "media/record_dialog_win.h"
#include "media/timelapse_win.h"
#include "media/video_recovery_win.h"
#include "panel/adjust_popup_win.h"
#include "panel/white_balance_win.h"
#include "settings/about_dialog_win.h"
#include "settings/options_dialog_win.h"
#include "settings/settings_store.h"
#include "resources/resource.h"
#include "view/calibration_dialogs_win.h"
#include "view/calibration_table.h"
#include "view/calibration_workflow.h"
#include "view/camera_view_win.h"
#include "view/measure_model.h"
#include "view/text_input_dialog_win.h"

namespace {

constexpr DWORD kOverlappedBits = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

bool IsFullScreen() {
    return (GetWindowLongW(ShellState.mainWnd, GWL_STYLE) & kOverlappedBits) == 0;
}

// The tool whose button shows checked, and the crossline flag as button 3090 shows it. The
// camera view owns the real tool (MeasurementState.tool) and crossline flag; these copies keep
// the buttons right even when the view changed its tool by itself, or is not there.
int checkedTool = 0;
bool crosslineShown = false;

// After an activation the window order is looked at every 25 ms for half a second.
constexpr UINT_PTR kOwnedOrderTimer = 41;
constexpr UINT kOwnedOrderPeriodMs = 25;
constexpr int kOwnedOrderTicks = 20;
int ownedOrderTicks = 0;

void CheckToolButton(int id, bool checked) {
    if (!ShellState.hToolbar) return;
    if (HWND button = GetDlgItem(ShellState.hToolbar, id))
        SendMessageW(button, WM_COMMAND, TOOLBTN_SET_CHECKED, checked ? 1 : 0);
}

void SetDisplayRatio100() {
    if (ShellState.cameraView) SendMessageW(ShellState.cameraView, WM_COMMAND, VIEW_CMD_SET_RATIO, 100);
}

void RepaintCameraView() {
    if (ShellState.cameraView) InvalidateRect(ShellState.cameraView, nullptr, FALSE);
}

// A camera counts as open while the capture session's preview grabber exists; without a
// camera view there is no session.
bool DeviceOpen() {
    return ShellState.cameraView && IsDeviceOpen();
}

void MainOnToolText() {
    if (DeviceOpen() && !ShellState.calibrationWnd) {
        SelectTool(kToolText);
    } else {
        SelectTool(kToolNone);
        CheckToolButton(ID_TOOL_TEXT, false);
        CheckToolButton(ID_TOOL_NONE, true);
    }
    SetDisplayRatio100();
}

void MainOnCrossline() {
    crosslineShown = ShellState.cameraView ? !CameraViewCrossline(ShellState.cameraView) : !crosslineShown;
    if (ShellState.cameraView) CameraViewSetCrossline(ShellState.cameraView, crosslineShown);
    SetDisplayRatio100();
    RepaintCameraView();
    CheckToolButton(ID_CROSSLINE, crosslineShown);
}

// A calibration was applied, made or deleted: the open camera keeps the one applied, and
// measuring goes on at ratio 100 with the crossline ruler.
void MainOnCalibrationChanged() {
    const int slot = CalibrationState.appliedSlot;
    const bool applied = slot >= 0 && slot < kCalibrationSlots && IsCalibrated(CalibrationTable[slot]);
    RememberCalibration(applied ? slot : -1, applied ? CalibrationTable[slot].name : L"");
    if (!ShellState.cameraView || !(CameraViewPixelsPerUnit(ShellState.cameraView) > 0)) return;
    SetDisplayRatio100();
    if (!CameraViewCrossline(ShellState.cameraView)) {
        CameraViewSetCrossline(ShellState.cameraView, true);
        crosslineShown = true;
        CheckToolButton(ID_CROSSLINE, true);
    }
}

// Escape: a running focus stack is dropped first; otherwise full screen is left.
void MainOnEscape(HWND hwnd) {
    if (CurrentFocusStackStatus().running)
        SendMessageW(hwnd, WM_COMMAND, ID_FOCUS_STACK_CANCEL, 0);
    else if (IsFullScreen())
        ToggleFullScreen();
}

void MainOnCommand(HWND hwnd, WPARAM wp, LPARAM lp) {
    switch (LOWORD(wp)) {
    case CMD_ESCAPE: MainOnEscape(hwnd); break;
    case CMD_TEXT_INPUT_DONE:
        SelectTool(kToolNone);
        CheckToolButton(ID_TOOL_TEXT, false);
        CheckToolButton(ID_TOOL_NONE, true);
        break;
    case ID_TOOL_LINE: SelectTool(kToolLine); break;
    case ID_TOOL_PARALLEL: SelectTool(kToolParallel); break;
    case ID_TOOL_RECTANGLE: SelectTool(kToolRectangle); break;
    case ID_TOOL_CIRCLE: SelectTool(kToolCircle); break;
    case ID_TOOL_CONCENTRIC: SelectTool(kToolConcentric); break;
    case ID_TOOL_ANGLE: SelectTool(kToolAngle); break;
    case ID_TOOL_PENCIL: SelectTool(kToolPencil); break;
    case ID_TOOL_NONE: SelectTool(kToolNone); break;
    case ID_TOOL_TEXT: MainOnToolText(); break;
    case ID_CROSSLINE: MainOnCrossline(); break;
    case ID_CALIBRATE: RunCalibrateCommand(); break;
    case CMD_CALIBRATION_CHANGED: MainOnCalibrationChanged(); break;
    case ID_RECORD_VIDEO:
        if (DeviceOpen() && !ShellState.calibrationWnd) RunRecordDialog(hwnd);
        break;
    case ID_TIMELAPSE:
        if (!ShellState.calibrationWnd) TimelapseCommand(hwnd);
        break;
    case ID_MOSAIC: MosaicCommand(hwnd); break;
    case ID_OPEN_DEVICE:
        ShowOpenDialog(OpenDialogPreset());
        if (ShellState.panel) PostMessageW(ShellState.panel, WMU_PANEL_REFRESH, 1, 0);
        break;
    case ID_OPTIONS: RunOptionsDialog(hwnd); break;
    case ID_ABOUT: RunAboutDialog(hwnd); break;  // the vertical toolbar's logo
    case ID_ADJUST_BRIGHTNESS:
    case ID_ADJUST_CONTRAST:
    case ID_ADJUST_SATURATION:
    case ID_ADJUST_SHARPNESS:
    case ID_ADJUST_RATIO:
    case ID_ADJUST_GAIN:
    case ID_ADJUST_EXPOSURE:
    case ID_ADJUST_WHITE_BALANCE:
    case ID_ADJUST_POWER_LINE: RunAdjustCommand(LOWORD(wp)); break;
    case ID_NEUTRAL_AREA: StartNeutralAreaPick(); break;
    }
}

void MainOnCreate(HWND hwnd) {
    ShellState.mainWnd = hwnd;
    ShellState.hToolbar = CreateHToolbar(hwnd);
    ShellState.vToolbar = CreateVToolbar(hwnd);
    if (ShellState.hToolbar) CreateTimelapseIndicator(ShellState.hToolbar);
    ShellState.toolbarHeight = ToolbarHeightAt(DpiOf(hwnd));
    ShellState.toolbarWidth = ToolbarWidthAt(DpiOf(hwnd));
    CreateMainCameraView(hwnd);
    ShellState.panelWidth = PanelWidthFromBaseUnit(DialogBaseUnitsAt(DpiOf(hwnd)).cx);
    ShellState.panel = CreateCtrlPanel(hwnd, ShellState.panelWidth);
    LayoutMainWindow();
    if (ShellState.panel) {
        PostMessageW(ShellState.panel, WM_COMMAND, CMD_RELOAD_TEXTS, 0);
        PostMessageW(ShellState.panel, WMU_PANEL_REFRESH, 1, 0);
    }
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (MainOnViewMessage(hwnd, msg, wp, lp)) return 0;
    if (MainOnPhotoMessage(hwnd, msg, wp, lp)) return 0;
    if (MainOnMeasureExportMessage(hwnd, msg, wp, lp)) return 0;
    if (MainOnRecoveryMessage(hwnd, msg, wp, lp)) return 0;
    if (MainOnFocusStackMessage(hwnd, msg, wp, lp)) return 0;
    switch (msg) {
    case WM_CREATE:
        MainOnCreate(hwnd);
        return 0;
    case WM_SIZE:
        LayoutMainWindow();
        return 0;
    case WM_GETMINMAXINFO: {
        // The smallest size grows with the display scale, but never past the monitor's work area.
        auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
        const int dpi = DpiOf(hwnd);
        MONITORINFO mi = {sizeof(mi)};
        bool known = GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &mi) != 0;
        mmi->ptMinTrackSize.x = ScalePx(798, dpi);
        mmi->ptMinTrackSize.y = ScalePx(520, dpi);
        if (known && mmi->ptMinTrackSize.x > mi.rcWork.right - mi.rcWork.left)
            mmi->ptMinTrackSize.x = std::max(798L, mi.rcWork.right - mi.rcWork.left);
        if (known && mmi->ptMinTrackSize.y > mi.rcWork.bottom - mi.rcWork.top)
            mmi->ptMinTrackSize.y = std::max(520L, mi.rcWork.bottom - mi.rcWork.top);
        return 0;
    }
    case WM_DPICHANGED: {
        // Moved to a monitor of another scale: take the size the system suggests; the new
        // size lays the children out at the new scale, and each child remakes its fonts and
        // artwork on WM_DPICHANGED_AFTERPARENT.
        const RECT* r = reinterpret_cast<const RECT*>(lp);
        ShellState.panelWidth = PanelWidthFromBaseUnit(DialogBaseUnitsAt(DpiOf(hwnd)).cx);
        SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        LayoutMainWindow();
        return 0;
    }
    case WM_COMMAND:
        MainOnCommand(hwnd, wp, lp);
        return DefWindowProcW(hwnd, msg, wp, lp);
    case WMU_TOGGLE_FULLSCREEN:
        ToggleFullScreen();
        return 0;
    case WM_ACTIVATE:
        // Under Wine the activated window is raised above the windows it owns only after this
        // message (owned_windows_win.cpp): a few ticks look for that and undo it.
        if (LOWORD(wp) != WA_INACTIVE) {
            ownedOrderTicks = 0;
            SetTimer(hwnd, kOwnedOrderTimer, kOwnedOrderPeriodMs, nullptr);
        }
        break;  // the default sets the focus
    case WM_ACTIVATEAPP:
        // Back from another program, where files may have been deleted.
        if (wp && ShellState.panel) PostMessageW(ShellState.panel, WMU_RECENT_CHECK, 0, 0);
        break;
    case WM_TIMER:
        if (wp == kOwnedOrderTimer) {
            const bool below = OwnedWindowBelow(hwnd);
            if (below) RaiseOwnedWindows(hwnd);
            if (below || ++ownedOrderTicks >= kOwnedOrderTicks) KillTimer(hwnd, kOwnedOrderTimer);
            return 0;
        }
        break;
    case WM_QUERYENDSESSION:
        return TRUE;  // a recording is finished at WM_ENDSESSION; the system shows why we wait
    case WM_ENDSESSION:
        // The process may end as soon as this returns: the video is finished now (its headers and
        // index written, its journal removed) and the settings stored.
        if (wp) {
            FinishRecordingForTeardown(true);
            StopTimelapse();
            CloseMosaicForExit();
            SaveSettings();
        }
        return 0;
    case WM_DESTROY:
        StopTimelapse();  // its video is closed while the windows it reads still exist
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        ShellState.mainWnd = nullptr;
        ShellState.hToolbar = nullptr;
        ShellState.vToolbar = nullptr;
        ShellState.cameraView = nullptr;
        ShellState.panel = nullptr;
        checkedTool = kToolNone;
        crosslineShown = false;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterMainWndClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kMainWndClass;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
    return CreateWindowExW(0, kMainWndClass, kMainWndTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

void LayoutMainWindow() {
    if (!ShellState.mainWnd) return;
    RECT rc;
    GetClientRect(ShellState.mainWnd, &rc);
    const int dpi = DpiOf(ShellState.mainWnd);
    ShellState.toolbarHeight = ToolbarHeightAt(dpi);
    ShellState.toolbarWidth = ToolbarWidthAt(dpi);
    MainLayout l = ComputeMainLayout(rc.right, rc.bottom, ShellState.panelWidth, IsFullScreen(), dpi);
    struct { HWND hwnd; ChildRect r; } items[] = {
        {ShellState.hToolbar, l.hToolbar}, {ShellState.vToolbar, l.vToolbar},
        {ShellState.cameraView, l.cameraView}, {ShellState.panel, l.panel}};
    int count = 0;
    for (auto& it : items) count += it.hwnd != nullptr;
    if (!count) return;
    HDWP dwp = BeginDeferWindowPos(count);
    for (auto& it : items) {
        if (it.hwnd && dwp)
            dwp = DeferWindowPos(dwp, it.hwnd, nullptr, it.r.x, it.r.y, it.r.width, it.r.height,
                                 SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (dwp) EndDeferWindowPos(dwp);
    PlaceTimelapseIndicator(l.hToolbar.width, l.hToolbar.height);
}

void ToggleFullScreen() {
    HWND hwnd = ShellState.mainWnd;
    if (!hwnd) return;
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    if (style & kOverlappedBits) {
        WINDOWPLACEMENT wp = {sizeof(wp)};
        if (!GetWindowPlacement(hwnd, &wp)) return;
        MONITORINFO mi = {sizeof(mi)};
        if (!GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &mi)) return;
        ShellState.savedPlacement = wp;
        SetWindowLongW(hwnd, GWL_STYLE, style & ~LONG(kOverlappedBits));
        SetWindowPos(hwnd, HWND_TOP, mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right - mi.rcMonitor.left,
                     mi.rcMonitor.bottom - mi.rcMonitor.top, SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
        RaiseOwnedWindows(hwnd);  // the calibration window stays in sight over the full screen
        if (ShellState.cameraView) SetFocus(ShellState.cameraView);
        if (ShellState.cameraView) CameraViewSetFullScreen(ShellState.cameraView, true);
    } else {
        SetWindowLongW(hwnd, GWL_STYLE, style | LONG(kOverlappedBits));
        SetWindowPlacement(hwnd, &ShellState.savedPlacement);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
        if (ShellState.cameraView) CameraViewSetFullScreen(ShellState.cameraView, false);
    }
}

bool TranslateFullScreenEscape(const MSG& msg) {
    HWND main = ShellState.mainWnd;
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE || !main || !IsFullScreen()) return false;
    // The camera view answers its own keys (an area pick drops first there).
    if (msg.hwnd == ShellState.cameraView || (msg.hwnd != main && !IsChild(main, msg.hwnd))) return false;
    PostMessageW(main, WM_COMMAND, CMD_ESCAPE, 0);
    return true;
}

void SelectTool(int tool) {
    // The view's tool, or the checked button's when the view went its own way or is absent.
    int current = ShellState.cameraView ? MeasurementState.tool : checkedTool;
    if (tool == current) return;
    CheckToolButton(ToolButtonIdForTool(current), false);
    if (checkedTool != current) CheckToolButton(ToolButtonIdForTool(checkedTool), false);
    CheckToolButton(ToolButtonIdForTool(tool), true);
    checkedTool = tool;
    if (ShellState.cameraView) SendMessageW(ShellState.cameraView, WM_COMMAND, VIEW_CMD_SELECT_TOOL, tool);
    SetDisplayRatio100();
    if (tool == kToolText) {
        // "Init" from the new dialog puts the view's pending shape into text input.
        if (DeviceOpen() && !ShellState.textInputDlg) {
            MeasurementState.stage = kToolText;  // typing; the dialog's "Init" starts the text
            CreateTextInputDialog(ShellState.mainWnd);
        }
        return;
    }
    if (ShellState.textInputDlg) {
        DestroyWindow(ShellState.textInputDlg);
        ShellState.textInputDlg = nullptr;
    }
}
