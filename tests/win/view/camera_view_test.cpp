// The camera view in-process, without a camera: ratio and fit, grey strips, scroll bars and
// their ranges, scrolling and panning clamps, the reopen countdown, device notices, message
// forwarding, keys and the corner button, tear-down and the no-picture screen.
#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/messages.h"
#include "capture/device_list_win.h"
#include "common/app_windows_win.h"
#include "common/pump_win.h"
#include "view/camera_view_win.h"
#include "view/measure_model.h"

namespace {

// {65E8773D-8F56-11D0-A3B9-00A0C9223196}
const GUID kCaptureCategory = {0x65E8773D, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

// What the view posted to its parent.
struct Received {
    UINT msg;
    WPARAM wp;
};
std::vector<Received> received;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_APP || (msg == WM_COMMAND && lp == 0)) received.push_back({msg, wp});
    return DefWindowProcW(hwnd, msg, wp, lp);
}

struct CameraViewTest : ::testing::Test {
    static void SetUpTestSuite() {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        RegisterCameraWndClass(instance);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = instance;
        wc.lpszClassName = L"CameraViewTestHost";
        RegisterClassW(&wc);
    }
    void SetUp() override {
        received.clear();
        ClearAll(MeasurementState);
        MeasurementState.tool = kToolNone;
        host = CreateWindowExW(0, L"CameraViewTestHost", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 1300, 760, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host, nullptr);
        view = CreateCameraView(host, GetModuleHandleW(nullptr));
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override {
        DestroyWindow(host);
        PumpMessages();
    }
    // Sizes the view so that its client area (bars hidden) is cw x ch.
    void SetClient(int cw, int ch) {
        // The border only: bars that are shown now may go away at the new size.
        RECT r = {0, 0, cw, ch};
        AdjustWindowRectEx(&r, WS_CHILD | WS_BORDER, FALSE, 0);
        MoveWindow(view, 0, 0, r.right - r.left, r.bottom - r.top, TRUE);
        PumpMessages();
    }
    void Picture(int w, int h) {
        CameraViewSetPictureSize(view, w, h, w, h);
        PumpMessages();  // the posted centring size message
    }
    SIZE Client() {
        RECT rc;
        GetClientRect(view, &rc);
        return {rc.right, rc.bottom};
    }
    CameraViewInfo Info() { return CameraViewGetInfo(view); }
    bool Got(UINT msg, WPARAM wp = 0) {
        for (auto& r : received)
            if (r.msg == msg && r.wp == wp) return true;
        return false;
    }
    HWND host = nullptr, view = nullptr;
};

TEST_F(CameraViewTest, RatioZeroFitsThePicture) {
    SetClient(960, 700);
    Picture(1920, 1080);
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 0);
    CameraViewInfo i = Info();
    EXPECT_EQ(i.ratio, 50);
    EXPECT_TRUE(i.fit);
    EXPECT_EQ(i.displayW, 960);
    EXPECT_EQ(i.displayH, 540);

    SetClient(1600, 1200);
    Picture(640, 480);
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 250);
    i = Info();
    EXPECT_EQ(i.ratio, 200);
    EXPECT_EQ(i.displayW, 1280);
    EXPECT_EQ(i.displayH, 960);
    EXPECT_FALSE(i.hBar);
    EXPECT_FALSE(i.vBar);
}

TEST_F(CameraViewTest, FitFollowsTheWindowSize) {
    SetClient(960, 700);
    Picture(1920, 1080);
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 0);
    ASSERT_EQ(Info().ratio, 50);
    SetClient(1200, 900);  // 1200 / 1920 = 0.625
    EXPECT_EQ(Info().ratio, 62);
    EXPECT_TRUE(Info().fit);
    // A ratio in range ends fit mode; the size no longer changes it.
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 75);
    SetClient(960, 700);
    EXPECT_EQ(Info().ratio, 75);
    EXPECT_FALSE(Info().fit);
}

TEST_F(CameraViewTest, SameRatioAgainNeitherLaysOutNorRepaints) {
    SetClient(960, 700);
    Picture(1920, 1080);
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 0);
    UpdateWindow(view);
    ValidateRect(view, nullptr);
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 50);
    EXPECT_FALSE(GetUpdateRect(view, nullptr, FALSE));
    EXPECT_FALSE(Info().fit);  // only the flag changed
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 100);
    EXPECT_TRUE(GetUpdateRect(view, nullptr, FALSE));
    EXPECT_EQ(Info().displayW, 1920);
}

TEST_F(CameraViewTest, SmallPictureIsCentredBetweenGreyStrips) {
    SetClient(1000, 600);
    Picture(640, 480);
    CameraViewInfo i = Info();
    EXPECT_FALSE(i.hBar);
    EXPECT_FALSE(i.vBar);
    EXPECT_EQ(i.scrollX, 0);
    EXPECT_EQ(i.scrollY, 0);
    EXPECT_EQ(GetWindowLongW(view, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL), 0);

    InvalidateRect(view, nullptr, TRUE);
    UpdateWindow(view);
    HDC dc = GetDC(view);
    const COLORREF grey = RGB(191, 191, 191);
    // Strips: x < 180 and x >= 820; y < 60 and y >= 540.
    EXPECT_EQ(GetPixel(dc, 5, 300), grey);
    EXPECT_EQ(GetPixel(dc, 179, 300), grey);
    EXPECT_EQ(GetPixel(dc, 820, 300), grey);
    EXPECT_EQ(GetPixel(dc, 500, 59), grey);
    EXPECT_EQ(GetPixel(dc, 500, 540), grey);
    EXPECT_NE(GetPixel(dc, 181, 300), grey);  // the picture area (no camera: class background)
    EXPECT_NE(GetPixel(dc, 500, 61), grey);
    ReleaseDC(view, dc);
}

TEST_F(CameraViewTest, LargePictureGetsBothBarsWithTheirRanges) {
    SetClient(1000, 600);
    Picture(1920, 1080);
    CameraViewInfo i = Info();
    ASSERT_TRUE(i.hBar);
    ASSERT_TRUE(i.vBar);
    SIZE c = Client();
    EXPECT_EQ(c.cx, 1000 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(c.cy, 600 - GetSystemMetrics(SM_CYHSCROLL));
    // Centred on the image when the size message came, then kept within range.
    EXPECT_EQ(i.scrollX, (1920 - 1000) / 2);
    EXPECT_EQ(i.scrollY, (1080 - 600) / 2);

    SCROLLINFO si = {sizeof(si), SIF_ALL};
    ASSERT_TRUE(GetScrollInfo(view, SB_HORZ, &si));
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nPage, 50u);
    EXPECT_EQ(si.nMax, 1920 + 50 - int(c.cx) - 1);
    EXPECT_EQ(si.nPos, i.scrollX);
    ASSERT_TRUE(GetScrollInfo(view, SB_VERT, &si));
    EXPECT_EQ(si.nPage, 50u);
    EXPECT_EQ(si.nMax, 1080 + 50 - int(c.cy) - 1);
    EXPECT_EQ(si.nPos, i.scrollY);
}

TEST_F(CameraViewTest, ScrollingClampsAtBothEnds) {
    SetClient(1000, 600);
    Picture(1920, 1080);
    SIZE c = Client();
    auto h = [&](int code) {
        SendMessageW(view, WM_HSCROLL, MAKEWPARAM(code, 0), 0);
        return Info().scrollX;
    };
    EXPECT_EQ(h(SB_LEFT), 0);
    EXPECT_EQ(h(SB_LINELEFT), 0);
    EXPECT_EQ(h(SB_PAGERIGHT), 50);
    EXPECT_EQ(h(SB_RIGHT), 1920 - c.cx);
    EXPECT_EQ(h(SB_LINERIGHT), 1920 - c.cx);
    EXPECT_EQ(GetScrollPos(view, SB_HORZ), 1920 - c.cx);
    SendMessageW(view, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    EXPECT_EQ(Info().scrollY, 1080 - c.cy);
    SendMessageW(view, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(Info().scrollY, 1080 - c.cy);
}

TEST_F(CameraViewTest, PanningWithToolNoneClampsPerDirection) {
    SetClient(1000, 600);
    Picture(1920, 1080);
    SIZE c = Client();
    const int x0 = Info().scrollX, y0 = Info().scrollY;
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(500, 300));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(400, 250));
    EXPECT_EQ(Info().scrollX, x0 + 100);
    EXPECT_EQ(Info().scrollY, y0 + 50);
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(0, 0));
    EXPECT_EQ(Info().scrollX, 1920 - c.cx);
    EXPECT_EQ(Info().scrollY, 1080 - c.cy);
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(900, 590));
    EXPECT_EQ(Info().scrollX, 1920 - c.cx - 900);
    EXPECT_EQ(Info().scrollY, 1080 - c.cy - 590 < 0 ? 0 : 1080 - c.cy - 590);
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(900, 590));

    // A picture that fits does not pan.
    Picture(640, 480);
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(500, 300));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));
    EXPECT_EQ(Info().scrollX, 0);
    EXPECT_EQ(Info().scrollY, 0);
}

TEST_F(CameraViewTest, ReopenCountdownFiresOnFirstTickAndAfterArrival) {
    EXPECT_EQ(Info().reopenCountdown, 718);
    ASSERT_TRUE(WaitUntil([&] { return Info().reopenCountdown == 0; }));

    // Another device class is ignored.
    DEV_BROADCAST_DEVICEINTERFACE_W notice = {};
    notice.dbcc_size = sizeof(notice);
    notice.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    notice.dbcc_classguid = GUID{0x12345678, 0, 0, {0}};
    SendMessageW(view, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&notice));
    EXPECT_EQ(Info().reopenCountdown, 0);

    notice.dbcc_classguid = kCaptureCategory;
    SendMessageW(view, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&notice));
    EXPECT_EQ(Info().reopenCountdown, 1);
    ASSERT_TRUE(WaitUntil([&] { return Info().reopenCountdown == 0; }));
}

TEST_F(CameraViewTest, ForwardsCaptureMessagesKeysAndTheCornerButton) {
    SetClient(1000, 600);
    for (UINT m : {WMU_CAPTURE_STARTED, WMU_CAPTURE_STOPPED, WMU_STILL_READY, WMU_ZOOM_BUTTON})
        PostMessageW(view, m, 0, 0);
    SendMessageW(view, WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_TRUE(WaitUntil([&] { return Got(WM_COMMAND, CMD_SNAPSHOT) && Got(WMU_ZOOM_BUTTON); }));
    EXPECT_TRUE(Got(WMU_CAPTURE_STARTED));
    EXPECT_TRUE(Got(WMU_CAPTURE_STOPPED));
    EXPECT_TRUE(Got(WMU_STILL_READY));

    HWND button = GetDlgItem(view, VIEW_CMD_FULLSCREEN_BUTTON);
    ASSERT_NE(button, nullptr);
    RECT br = RectIn(button, view);
    EXPECT_EQ(br.left, 1000 - 60);
    EXPECT_EQ(br.top, 600 - 60);
    EXPECT_EQ(br.right - br.left, 40);
    EXPECT_EQ(br.bottom - br.top, 40);
    SendMessageW(button, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Got(WMU_TOGGLE_FULLSCREEN); }));
}

TEST_F(CameraViewTest, TearDownDropsShapesAndPicture) {
    SetClient(1000, 600);
    Picture(1280, 720);
    MeasurementState.shapes.resize(3);
    MeasurementState.selected = 1;
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 150);
    CameraViewTearDown(view);
    CameraViewInfo i = Info();
    EXPECT_EQ(i.imageW, 0);
    EXPECT_EQ(i.displayW, 0);
    EXPECT_EQ(i.frameW, 0);
    EXPECT_EQ(i.ratio, 100);
    EXPECT_EQ(i.zoom, 0);
    EXPECT_FALSE(i.hasSurface);
    EXPECT_TRUE(MeasurementState.shapes.empty());
    EXPECT_EQ(MeasurementState.selected, -1);
    EXPECT_LE(CameraViewPixelsPerUnit(view), 0.0f);
}

TEST_F(CameraViewTest, NoPictureScreenShowsTheConnectPicture) {
    SetClient(1000, 600);
    InvalidateRect(view, nullptr, TRUE);
    UpdateWindow(view);
    HDC dc = GetDC(view);
    // Without a listed camera the picture on its dark ground; with one, the plain dark screen.
    COLORREF ground = DeviceList.empty() ? RGB(13, 15, 20) : RGB(21, 25, 45);
    EXPECT_EQ(GetPixel(dc, 3, 3), ground);
    EXPECT_EQ(GetPixel(dc, 996, 596), ground);
    ReleaseDC(view, dc);
}

}  // namespace
