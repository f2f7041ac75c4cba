// The camera view with cameras that do not simply stream: a busy camera is reported in words
// and opens by itself once it is free, a lost device is reopened, a silent camera is reported
// after about three seconds; and the composition surface is a DIB section in the program's memory.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <string>

#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "common/pump_win.h"
#include "common/vcam_harness_win.h"
#include "frame/capture_state_win.h"
#include "settings/app_settings.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"

namespace {

class CameraProblemsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
        HINSTANCE instance = GetModuleHandleW(nullptr);
        RegisterMainWndClass(instance);
        RegisterCameraWndClass(instance);
        ASSERT_TRUE(EnsureVcamRegistered());
    }
    static void TearDownTestSuite() {
        Gdiplus::GdiplusShutdown(gdiplusToken);
        CoUninitialize();
    }
    void SetUp() override {
        AppSettings.lastCamera[0] = 0;
        LoadTextTable(0);
        requestedFormat = {kSubtypeMjpg, 1280, 720, 0};
    }
    void TearDown() override {
        if (main && IsWindow(main)) DestroyWindow(main);
        PumpMessages();
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    void Start() {
        ShellState.instance = GetModuleHandleW(nullptr);
        main = CreateMainWindow(ShellState.instance);
        ASSERT_NE(main, nullptr);
        SetWindowPos(main, HWND_TOP, 0, 0, 1200, 800, SWP_SHOWWINDOW);
        view = ShellState.cameraView;
        ASSERT_NE(view, nullptr);
    }
    // White text pixels in the band where the view writes its message.
    int MessagePixels() {
        UpdateWindow(view);
        HDC dc = GetDC(view);
        int white = 0;
        for (int y = 18; y < 48; y += 2)
            for (int x = 22; x < 400; x += 2)
                if (GetPixel(dc, x, y) == RGB(255, 255, 255)) ++white;
        ReleaseDC(view, dc);
        return white;
    }
    bool Streaming() {
        return WaitUntil([&] { return IsDeviceOpen() && CameraViewGetInfo(view).composedFrames >= 3; }, 30000);
    }
    static ULONG_PTR gdiplusToken;
    HWND main = nullptr, view = nullptr;
};
ULONG_PTR CameraProblemsTest::gdiplusToken = 0;

TEST_F(CameraProblemsTest, BusyCameraIsNamedAndOpensByItselfWhenFree) {
    ScopedCamera cam(L"Problem Busy Scope", L"--formats \"MJPG 1280x720\" --busy");
    ASSERT_TRUE(cam.ok());
    Start();
    ASSERT_TRUE(WaitUntil([] { return CurrentCameraProblem() == CameraProblem::Busy; }, 20000));
    EXPECT_FALSE(IsDeviceOpen());
    EXPECT_TRUE(WaitUntil([&] { return MessagePixels() > 20; }));
    ASSERT_EQ(RunVcamctl(L"busy \"Problem Busy Scope\" off"), 0);
    ASSERT_TRUE(Streaming());  // the view's retry, nobody else
    EXPECT_EQ(CurrentCameraProblem(), CameraProblem::None);
}

TEST_F(CameraProblemsTest, LostDeviceIsReopenedByTheView) {
    ScopedCamera cam(L"Problem Lost Scope", L"--formats \"MJPG 1280x720\" --lose-after 15");
    ASSERT_TRUE(cam.ok());
    Start();
    ASSERT_TRUE(Streaming());
    ASSERT_TRUE(WaitUntil([] { return CurrentCameraProblem() == CameraProblem::Lost; }, 20000));
    EXPECT_FALSE(IsDeviceOpen());
    ASSERT_TRUE(Streaming());
    EXPECT_EQ(CurrentCameraProblem(), CameraProblem::None);
}

TEST_F(CameraProblemsTest, SilentCameraIsNamedAfterAboutThreeSeconds) {
    ScopedCamera cam(L"Problem Silent Scope", L"--formats \"MJPG 1280x720\" --never-delivers");
    ASSERT_TRUE(cam.ok());
    Start();
    ASSERT_TRUE(WaitUntil([] { return IsDeviceOpen(); }, 20000));
    EXPECT_NE(CurrentCameraProblem(), CameraProblem::NoPicture);  // not at once
    ASSERT_TRUE(WaitUntil([] { return CurrentCameraProblem() == CameraProblem::NoPicture; }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return MessagePixels() > 20; }));
}

TEST_F(CameraProblemsTest, CompositionSurfaceIsADibSection) {
    ScopedCamera cam(L"Problem Plain Scope", L"--formats \"MJPG 1280x720\"");
    ASSERT_TRUE(cam.ok());
    Start();
    ASSERT_TRUE(Streaming());
    HBITMAP surface = CameraViewSurfaceBitmap(view);
    ASSERT_NE(surface, nullptr);
    DIBSECTION ds = {};
    ASSERT_EQ(GetObjectW(surface, sizeof(ds), &ds), int(sizeof(ds)));
    EXPECT_EQ(ds.dsBm.bmWidth, 1280);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 32);
    EXPECT_NE(ds.dsBm.bmBits, nullptr);
    // The photo saver wraps this bitmap for GDI+.
    Gdiplus::GpBitmap* wrapped = nullptr;
    ASSERT_EQ(Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(surface, nullptr, &wrapped), Gdiplus::Ok);
    UINT width = 0;
    Gdiplus::DllExports::GdipGetImageWidth(wrapped, &width);
    EXPECT_EQ(width, 1280u);
    Gdiplus::DllExports::GdipDisposeImage(wrapped);
}

}  // namespace
