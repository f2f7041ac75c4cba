// The main window at the display scale of the prefix it runs in (96 in the tests' prefix, 144 in
// the one tests/e2e/display_scale.sh makes): the window tree matches the scaled layout tables,
// a fitted picture shows no scroll bar at any window size, and a measurement keeps its length.
#include <windows.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/main_layout.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "app/tool_buttons.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "common/app_windows_win.h"
#include "common/pump_win.h"
#include "common/vcam_harness_win.h"
#include "settings/app_settings.h"
#include "view/camera_view_win.h"
#include "view/measure_model.h"
#include "view/view_geometry.h"

namespace {

const wchar_t kScope[] = L"Scale Scope";

struct DisplayScaleTest : ::testing::Test {
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
        HINSTANCE instance = GetModuleHandleW(nullptr);
        RegisterAppWindowClasses(instance);
        LoadToolArt(instance);
        ASSERT_TRUE(EnsureVcamRegistered());
        std::printf("display scale: %d dpi\n", DpiOf(nullptr));
    }
    static void TearDownTestSuite() {
        Gdiplus::GdiplusShutdown(gdiplusToken);
        CoUninitialize();
    }
    void SetUp() override {
        ClearAll(MeasurementState);
        MeasurementState.tool = kToolNone;
        ShellState.instance = GetModuleHandleW(nullptr);
        main = CreateMainWindow(ShellState.instance);
        ASSERT_NE(main, nullptr);
        view = ShellState.cameraView;
        ASSERT_NE(view, nullptr);
        dpi = DpiOf(main);
    }
    void TearDown() override {
        if (main && IsWindow(main)) DestroyWindow(main);
        PumpMessages();
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    void Size(int w, int h) {
        SetWindowPos(main, HWND_TOP, 0, 0, w, h, SWP_SHOWWINDOW);
        PumpMessages();
    }
    RECT PlaceIn(HWND child, HWND parent) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    static void ExpectRect(const RECT& r, int x, int y, int w, int h, const char* what) {
        EXPECT_EQ(r.left, x) << what;
        EXPECT_EQ(r.top, y) << what;
        EXPECT_EQ(r.right - r.left, w) << what;
        EXPECT_EQ(r.bottom - r.top, h) << what;
    }
    CameraViewInfo Info() { return CameraViewGetInfo(view); }

    static ULONG_PTR gdiplusToken;
    HWND main = nullptr, view = nullptr;
    int dpi = 96;
};
ULONG_PTR DisplayScaleTest::gdiplusToken = 0;

TEST_F(DisplayScaleTest, WindowTreeMatchesTheScaledTables) {
    Size(1280, 760);
    RECT rc;
    GetClientRect(main, &rc);
    MainLayout l = ComputeMainLayout(rc.right, rc.bottom, ShellState.panelWidth, false, dpi);
    ExpectRect(PlaceIn(ShellState.hToolbar, main), l.hToolbar.x, l.hToolbar.y, l.hToolbar.width, l.hToolbar.height,
               "horizontal toolbar");
    ExpectRect(PlaceIn(ShellState.vToolbar, main), l.vToolbar.x, l.vToolbar.y, l.vToolbar.width, l.vToolbar.height,
               "vertical toolbar");
    ExpectRect(PlaceIn(view, main), l.cameraView.x, l.cameraView.y, l.cameraView.width, l.cameraView.height,
               "camera view");
    struct { HWND bar; const ToolButtonSpec* buttons; size_t count; } bars[] = {
        {ShellState.hToolbar, kHToolbarButtons, 13}, {ShellState.vToolbar, kVToolbarButtons, 10}};
    for (const auto& b : bars) {
        for (size_t i = 0; i < b.count; ++i) {
            HWND button = GetDlgItem(b.bar, b.buttons[i].id);
            ASSERT_NE(button, nullptr) << b.buttons[i].id;
            ToolButtonPlace at = ToolButtonAt(b.buttons[i], dpi);
            ExpectRect(PlaceIn(button, b.bar), at.x, at.y, at.size, at.size, b.buttons[i].tipKey ? b.buttons[i].tipKey : "logo");
        }
    }
    RECT vc;
    GetClientRect(view, &vc);
    CornerButtonPlace corner = CornerButtonAt(vc.right, vc.bottom, dpi);
    ExpectRect(PlaceIn(GetDlgItem(view, VIEW_CMD_FULLSCREEN_BUTTON), view), corner.x, corner.y, corner.size,
               corner.size, "corner button");
}

// Fit mode at several window sizes, the smallest the window takes included: never a bar. A
// line drawn at ratio 100 measures the same image pixels at every scale.
TEST_F(DisplayScaleTest, FittedPictureHasNoBarsAndMeasuresKeepTheirLength) {
    ScopedCamera cam(kScope, L"--formats \"MJPG 1920x1080\"");
    ASSERT_TRUE(cam.ok());
    requestedFormat = {kSubtypeMjpg, 1920, 1080, 0};
    Size(1366, 768);
    ASSERT_TRUE(WaitUntil([&] { return IsDeviceOpen() && Info().composedFrames >= 3 && Info().fit; }, 30000));
    const SIZE sizes[] = {{1366, 768}, {1000, 700}, {600, 400}, {1366, 768}};
    for (SIZE s : sizes) {
        Size(s.cx, s.cy);
        CameraViewInfo i = Info();
        RECT vc;
        GetClientRect(view, &vc);
        EXPECT_TRUE(i.fit) << s.cx;
        EXPECT_FALSE(i.hBar) << s.cx << "x" << s.cy << " ratio " << i.ratio;
        EXPECT_FALSE(i.vBar) << s.cx << "x" << s.cy << " ratio " << i.ratio;
        EXPECT_LE(i.displayW, vc.right) << s.cx;
        EXPECT_LE(i.displayH, vc.bottom) << s.cx;
        SCROLLBARINFO sb = {sizeof(sb)};
        if (GetScrollBarInfo(view, OBJID_HSCROLL, &sb)) {
            EXPECT_TRUE(sb.rgstate[0] & STATE_SYSTEM_INVISIBLE) << s.cx;
        }
    }

    SendMessageW(main, WM_COMMAND, ID_TOOL_LINE, 0);  // ratio 100
    ASSERT_TRUE(WaitUntil([&] { return Info().ratio == 100; }));
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(250, 200));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(400, 500));
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(400, 500));
    ASSERT_EQ(MeasurementState.shapes.size(), 1u);
    EXPECT_FLOAT_EQ(LineLength(MeasurementState.shapes[0], 1.0f), 500.0f);  // 300 x 400
    EXPECT_EQ(MeasurementState.shapes[0].hitBoxes[0].right - MeasurementState.shapes[0].hitBoxes[0].left,
              2 * ScalePx(5, dpi));
}

}  // namespace
