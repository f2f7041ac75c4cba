// The main window with its camera view, in-process: the child's id, class and styles, the layout
// numbers in windowed and full-screen mode, SelectTool, the zoom button, the drawing settings
// and the capture-started ratio choice.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/main_layout.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "app/toolbar_win.h"
#include "common/app_windows_win.h"
#include "common/main_window_fixture_win.h"
#include "common/pump_win.h"
#include "frame/capture_state_win.h"
#include "settings/app_settings.h"
#include "view/camera_view_win.h"
#include "view/overlay.h"
#include "view/measure_model.h"

namespace {

// Counts what the main window sends the camera view.
WNDPROC viewProc = nullptr;
std::vector<int> selectToolSends;
std::vector<int32_t> drawSettingsSeen;

LRESULT CALLBACK CountingViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && LOWORD(wp) == VIEW_CMD_SELECT_TOOL) selectToolSends.push_back(int(lp));
    if (msg == WM_COMMAND && LOWORD(wp) == VIEW_CMD_DRAW_SETTINGS && lp) {
        const int32_t* v = reinterpret_cast<const int32_t*>(lp);
        drawSettingsSeen.assign(v, v + kDrawSettingCount);
    }
    return CallWindowProcW(viewProc, hwnd, msg, wp, lp);
}

struct MainViewTest : MainWindowFixture {
    void SetUp() override {
        ClearAll(MeasurementState);
        MeasurementState.tool = kToolNone;
        selectToolSends.clear();
        drawSettingsSeen.clear();
        ASSERT_NO_FATAL_FAILURE(Create());
        viewProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingViewProc)));
    }
    void TearDown() override {
        CaptureState.interpolated = 0;
        MainWindowFixture::TearDown();
    }
    // Sizes the main window so that its client area is cw x ch.
    void SetClient(int cw, int ch) {
        RECT r = {0, 0, cw, ch};
        AdjustWindowRectEx(&r, GetWindowLongW(main, GWL_STYLE), FALSE, GetWindowLongW(main, GWL_EXSTYLE));
        SetWindowPos(main, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOMOVE);
        PumpMessages();
    }
};

TEST_F(MainViewTest, CameraViewIsChild108WithItsStyles) {
    EXPECT_EQ(GetDlgCtrlID(view), 108);
    EXPECT_EQ(GetParent(view), main);
    wchar_t cls[64];
    GetClassNameW(view, cls, 64);
    EXPECT_STREQ(cls, L"CameraWndClass");
    LONG style = GetWindowLongW(view, GWL_STYLE);
    for (LONG bit : {WS_CHILD, WS_VISIBLE, WS_BORDER, WS_TABSTOP, WS_CLIPSIBLINGS, WS_CLIPCHILDREN})
        EXPECT_EQ(style & bit, bit) << std::hex << bit;
    EXPECT_EQ(style & (WS_HSCROLL | WS_VSCROLL), 0);  // both bars hidden at once
    EXPECT_EQ(CaptureState.viewWindow, view);
    EXPECT_EQ(ShellState.panel, nullptr);  // no panel window yet
}

TEST_F(MainViewTest, LayoutPlacesTheViewBetweenToolbarsAndPanel) {
    ShowWindow(main, SW_SHOWNORMAL);
    SetClient(1366, 700);
    RECT client;
    GetClientRect(main, &client);
    ASSERT_EQ(client.right, 1366);
    ASSERT_EQ(client.bottom, 700);
    MainLayout expected = ComputeMainLayout(1366, 700, ShellState.panelWidth, false);
    RECT v = RectIn(view, main);
    EXPECT_EQ(v.left, expected.cameraView.x);
    EXPECT_EQ(v.top, expected.cameraView.y);
    EXPECT_EQ(v.right - v.left, expected.cameraView.width);
    EXPECT_EQ(v.bottom - v.top, expected.cameraView.height);
    EXPECT_EQ(ShellState.panelWidth, MulDiv(126, LOWORD(GetDialogBaseUnits()), 4));

    // The worked example with a dialog base width of 8 (Wine's is 7): panel 252, view
    // (59, 52, 1055, 648), horizontal toolbar (59, 0, 1055, 52).
    int saved = ShellState.panelWidth;
    ShellState.panelWidth = PanelWidthFromBaseUnit(8);
    EXPECT_EQ(ShellState.panelWidth, 252);
    LayoutMainWindow();
    v = RectIn(view, main);
    EXPECT_EQ(v.left, 59);
    EXPECT_EQ(v.top, 52);
    EXPECT_EQ(v.right - v.left, 1055);
    EXPECT_EQ(v.bottom - v.top, 648);
    ASSERT_NE(ShellState.hToolbar, nullptr);
    {
        RECT t = RectIn(ShellState.hToolbar, main);
        EXPECT_EQ(t.left, 59);
        EXPECT_EQ(t.right - t.left, 1055);
        EXPECT_EQ(t.bottom - t.top, 52);
    }
    ShellState.panelWidth = saved;
}

TEST_F(MainViewTest, FullScreenGivesTheViewAllButTheVerticalToolbar) {
    SetWindowPos(main, nullptr, 40, 30, 900, 600, SWP_NOZORDER);
    ShowWindow(main, SW_SHOWNORMAL);
    PumpMessages();
    RECT before;
    GetWindowRect(main, &before);

    SendMessageW(view, WM_COMMAND, VIEW_CMD_FULLSCREEN_BUTTON, 0);  // the corner button's command
    // Read at once: a window system without a window manager may move the focus later.
    EXPECT_EQ(GetFocus(), view);  // Space then takes a photo instead of pressing the button again
    ASSERT_TRUE(WaitUntil([&] { return (GetWindowLongW(main, GWL_STYLE) & WS_CAPTION) == 0; }));
    PumpMessages();
    RECT client;
    GetClientRect(main, &client);
    RECT v = RectIn(view, main);
    EXPECT_EQ(v.left, 59);
    EXPECT_EQ(v.top, 0);
    EXPECT_EQ(v.right, client.right);
    EXPECT_EQ(v.bottom, client.bottom);

    SendMessageW(main, WMU_TOGGLE_FULLSCREEN, 0, 0);
    PumpMessages();
    RECT after;
    GetWindowRect(main, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    GetClientRect(main, &client);
    MainLayout expected = ComputeMainLayout(client.right, client.bottom, ShellState.panelWidth, false);
    v = RectIn(view, main);
    EXPECT_EQ(v.left, expected.cameraView.x);
    EXPECT_EQ(v.top, expected.cameraView.y);
    EXPECT_EQ(v.right - v.left, expected.cameraView.width);
}

TEST_F(MainViewTest, SelectingTheSameToolTwiceSendsItOnce) {
    SendMessageW(main, WM_COMMAND, ID_TOOL_LINE, 0);
    SendMessageW(main, WM_COMMAND, ID_TOOL_LINE, 0);
    ASSERT_EQ(selectToolSends.size(), 1u);
    EXPECT_EQ(selectToolSends[0], kToolLine);
    EXPECT_EQ(MeasurementState.tool, kToolLine);
    SendMessageW(main, WM_COMMAND, ID_TOOL_CONCENTRIC, 0);
    SendMessageW(main, WM_COMMAND, ID_TOOL_NONE, 0);
    ASSERT_EQ(selectToolSends.size(), 3u);
    EXPECT_EQ(selectToolSends[1], kToolConcentric);
    EXPECT_EQ(selectToolSends[2], kToolNone);
    // Without an open camera the text tool falls back to none (already current: nothing sent).
    SendMessageW(main, WM_COMMAND, ID_TOOL_TEXT, 0);
    EXPECT_EQ(MeasurementState.tool, kToolNone);
    EXPECT_EQ(selectToolSends.size(), 3u);
    EXPECT_EQ(ShellState.textInputDlg, nullptr);
}

TEST_F(MainViewTest, ZoomButtonStepsOnlyForAnInterpolatedFormat) {
    CaptureState.interpolated = 0;
    PostMessageW(main, WMU_ZOOM_BUTTON, 0, 0);
    PumpMessages();
    EXPECT_EQ(CameraViewZoom(view), 0);

    CaptureState.interpolated = 1;
    const int expected[] = {1, 2, 3, 4, 5, 0, 1};
    for (int want : expected) {
        PostMessageW(main, WMU_ZOOM_BUTTON, 0, 0);
        PumpMessages();
        EXPECT_EQ(CameraViewZoom(view), want);
    }
}

TEST_F(MainViewTest, ApplyDrawSettingsSendsTheFiveValuesInOrder) {
    AppSettingsData saved = AppSettings;
    AppSettings.gridColor = 0x0000FF;
    AppSettings.lineColor = 0x00FF00;
    AppSettings.lineWidth = 2;
    AppSettings.textColor = 0xFF0000;
    AppSettings.textSize = 14;
    SendMessageW(main, WM_COMMAND, CMD_APPLY_DRAW_SETTINGS, 0);
    AppSettings = saved;
    ASSERT_EQ(drawSettingsSeen.size(), 6u);
    EXPECT_EQ(drawSettingsSeen[0], 0x0000FF);
    EXPECT_EQ(drawSettingsSeen[1], 0x00FF00);
    EXPECT_EQ(drawSettingsSeen[2], 2);
    EXPECT_EQ(drawSettingsSeen[3], 0xFF0000);
    EXPECT_EQ(drawSettingsSeen[4], 14);
}

TEST_F(MainViewTest, DeletingShapesNeedsAnOpenCamera) {
    MeasurementState.shapes.resize(3);
    SendMessageW(main, WM_COMMAND, ID_DELETE_LAST, 0);
    SendMessageW(main, WM_COMMAND, ID_DELETE_ALL, 0);
    EXPECT_EQ(MeasurementState.shapes.size(), 3u);
    MeasurementState.shapes.clear();
}

TEST_F(MainViewTest, CrosslineCommandFlipsTheViewsFlagAtRatio100) {
    CameraViewSetPictureSize(view, 1920, 1080, 1920, 1080);
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 50);
    ASSERT_FALSE(CameraViewCrossline(view));
    SendMessageW(main, WM_COMMAND, ID_CROSSLINE, 0);
    EXPECT_TRUE(CameraViewCrossline(view));
    EXPECT_EQ(CameraViewGetInfo(view).ratio, 100);
    SendMessageW(main, WM_COMMAND, ID_CROSSLINE, 0);
    EXPECT_FALSE(CameraViewCrossline(view));
}

}  // namespace
