// The main window at the display scale of the prefix it runs in (96 in the tests' prefix, 144 in
// the one tests/e2e/display_scale.sh makes): the window tree matches the scaled layout tables,
// a fitted picture shows no scroll bar at any window size, and a measurement keeps its length.
#include <windows.h>
#include <gdiplus.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/image_view_win.h"
#include "app/main_layout.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "app/tool_buttons.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "panel/ctrl_panel_files_win.h"
#include "panel/ctrl_panel_win.h"
#include "panel/flip_section_win.h"
#include "panel/source_section_win.h"
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
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        RegisterAppWindowClasses(instance);
        RegisterCtrlPanelClass(instance);
        RegisterCtrlPanelFilesClass(instance);
        RegisterImageWndClass(instance);
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
        OverrideDpiForTests(0);
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
    void ExpectTreeAt(int at);

    static ULONG_PTR gdiplusToken;
    HWND main = nullptr, view = nullptr;
    int dpi = 96;
};
ULONG_PTR DisplayScaleTest::gdiplusToken = 0;

// The whole window tree at dpi: main layout, toolbar buttons, corner button, the panel's
// sections, title bars and preview controls, its fonts and button icons.
void DisplayScaleTest::ExpectTreeAt(int at) {
    SCOPED_TRACE(testing::Message() << at << " dpi");
    RECT rc;
    GetClientRect(main, &rc);
    SIZE units = DialogBaseUnitsAt(at);
    const DialogBase base = {int(units.cx), int(units.cy)};
    EXPECT_EQ(ShellState.panelWidth, PanelWidthFromBaseUnit(base.x));
    MainLayout l = ComputeMainLayout(rc.right, rc.bottom, ShellState.panelWidth, false, at);
    const struct { HWND hwnd; ChildRect r; const char* what; } children[] = {
        {ShellState.hToolbar, l.hToolbar, "horizontal toolbar"}, {ShellState.vToolbar, l.vToolbar, "vertical toolbar"},
        {view, l.cameraView, "camera view"}, {ShellState.panel, l.panel, "panel"}};
    for (const auto& c : children) ExpectRect(PlaceIn(c.hwnd, main), c.r.x, c.r.y, c.r.width, c.r.height, c.what);
    struct { HWND bar; const ToolButtonSpec* buttons; size_t count; } bars[] = {
        {ShellState.hToolbar, kHToolbarButtons, 13}, {ShellState.vToolbar, kVToolbarButtons, 10}};
    for (const auto& b : bars) {
        for (size_t i = 0; i < b.count; ++i) {
            HWND button = GetDlgItem(b.bar, b.buttons[i].id);
            ASSERT_NE(button, nullptr) << b.buttons[i].id;
            ToolButtonPlace p = ToolButtonAt(b.buttons[i], at);
            ExpectRect(PlaceIn(button, b.bar), p.x, p.y, p.size, p.size, b.buttons[i].tipKey ? b.buttons[i].tipKey : "logo");
        }
    }
    RECT vc;
    GetClientRect(view, &vc);
    CornerButtonPlace corner = CornerButtonAt(vc.right, vc.bottom, at);
    ExpectRect(PlaceIn(GetDlgItem(view, VIEW_CMD_FULLSCREEN_BUTTON), view), corner.x, corner.y, corner.size,
               corner.size, "corner button");

    CtrlPanelInfo panel = CtrlPanelGetInfo(ShellState.panel);
    RECT pc;
    GetClientRect(ShellState.panel, &pc);
    int heights[3];
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(panel.sections[i], nullptr) << i;
        SectionHeights h = UnpackSectionHeights(uint32_t(SendMessageW(panel.sections[i], WMU_SECTION_HEIGHTS, 0, 0)));
        EXPECT_EQ(h.collapsed, DluY(14, base) + 1) << "section " << i;
        heights[i] = panel.open[i] ? h.expanded : h.collapsed;
    }
    // The panel grows with the rest of the window: its title bars stay near their 28 pixels at
    // 96 dpi times the scale (the system font's metrics do not scale exactly).
    EXPECT_NEAR(DluY(14, base), ScalePx(28, at), ScalePx(28, at) / 4) << "title bar height";
    PanelRect stacked[3];
    StackPanelSections(pc.right, PanelMetricsFor(base), panel.position, heights, 3, stacked);
    for (int i = 0; i < 3; ++i) {
        const PanelRect& r = stacked[i];
        ExpectRect(PlaceIn(panel.sections[i], ShellState.panel), r.x, r.y, r.width, r.height, "section");
        ExpectRect(PlaceIn(GetDlgItem(panel.sections[i], 100), panel.sections[i]), 0, 0, r.width, DluY(14, base),
                   "title bar");
    }
    PreviewLayout preview = LayOutPreviewSection(stacked[1].width, base);
    for (int id = kPreviewRatioText; id <= kPreviewFirstEffect + 5; ++id) {
        const PanelRect& r = preview[size_t(id - 100)];
        ExpectRect(PlaceIn(GetDlgItem(panel.sections[1], id), panel.sections[1]), r.x, r.y, r.width, r.height,
                   "preview control");
    }
    // The title bars draw with the header font; the controls were given the control font.
    const struct { HFONT font; int points; } fonts[] = {
        {GetPanelResources().headerFont, 12},
        {reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(panel.sections[0], kSourceDeviceList), WM_GETFONT, 0, 0)), 10},
        {reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(panel.sections[1], kPreviewRatioText), WM_GETFONT, 0, 0)), 10}};
    for (const auto& f : fonts) {
        LOGFONTW lf = {};
        ASSERT_TRUE(GetObjectW(f.font, sizeof(lf), &lf));
        EXPECT_EQ(lf.lfHeight, FontHeightAt(f.points, at)) << f.points << " pt";
    }
    for (int id : {kSourceFolderButton, kSourceSettingsButton}) {
        HICON icon = reinterpret_cast<HICON>(SendMessageW(GetDlgItem(panel.sections[0], id), BM_GETIMAGE, IMAGE_ICON, 0));
        ICONINFO ii = {};
        ASSERT_TRUE(icon && GetIconInfo(icon, &ii)) << id;
        BITMAP bm = {};
        GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, ArtPx(20, ArtScaleFor(at))) << "panel icon " << id;
        if (ii.hbmColor) DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
    }
}

TEST_F(DisplayScaleTest, WindowTreeMatchesTheScaledTables) {
    Size(1280, 760);
    ExpectTreeAt(dpi);
}

// Moved to monitors of 125, 150 and 200 % and back: the window takes the suggested size and
// everything in it is laid out, lettered and drawn for the new scale.
TEST_F(DisplayScaleTest, MovingToAnotherScaleLaysEverythingOutAgain) {
    Size(1280, 760);
    for (int at : {120, 144, 192, dpi}) {
        OverrideDpiForTests(at == dpi ? 0 : at);
        // A suggested size above the smallest the window takes at the scale, within the work area.
        RECT work = {};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        RECT suggested = {0, 0, std::min(ScalePx(820, at), int(work.right - work.left)),
                          std::min(ScalePx(540, at), int(work.bottom - work.top))};
        SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(at, at), reinterpret_cast<LPARAM>(&suggested));
        // What the system sends every child after the top-level window took its new size.
        EnumChildWindows(main, [](HWND child, LPARAM) {
            SendMessageW(child, WM_DPICHANGED_AFTERPARENT, 0, 0);
            return TRUE;
        }, 0);
        PumpMessages();
        RECT wr;
        GetWindowRect(main, &wr);
        EXPECT_EQ(wr.right - wr.left, suggested.right) << at;
        EXPECT_EQ(wr.bottom - wr.top, suggested.bottom) << at;
        ExpectTreeAt(at);
    }
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
