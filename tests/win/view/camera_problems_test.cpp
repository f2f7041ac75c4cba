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
#include "common/main_window_fixture_win.h"
#include "common/vcam_harness_win.h"
#include "frame/capture_state_win.h"
#include "settings/app_settings.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"

namespace {

class CameraProblemsTest : public MainWindowFixture {
protected:
    void SetUp() override {
        AppSettings.lastCamera[0] = 0;
        LoadTextTable(0);
        requestedFormat = {kSubtypeMjpg, 1280, 720, 0};
    }
    // The main window over a camera called name with these options.
    void StartWith(const wchar_t* name, const wchar_t* options) {
        ASSERT_NO_FATAL_FAILURE(AddCamera(name, std::wstring(L"--formats \"MJPG 1280x720\" ") + options));
        Start(1200, 800);
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
};

TEST_F(CameraProblemsTest, BusyCameraIsNamedAndOpensByItselfWhenFree) {
    ASSERT_NO_FATAL_FAILURE(StartWith(L"Problem Busy Scope", L"--busy"));
    ASSERT_TRUE(WaitUntil([] { return CurrentCameraProblem() == CameraProblem::Busy; }, 20000));
    EXPECT_FALSE(IsDeviceOpen());
    EXPECT_TRUE(WaitUntil([&] { return MessagePixels() > 20; }));
    ASSERT_EQ(RunVcamctl(L"busy \"Problem Busy Scope\" off"), 0);
    ASSERT_TRUE(Streaming());  // the view's retry, nobody else
    EXPECT_EQ(CurrentCameraProblem(), CameraProblem::None);
}

// A driver that opens the device while it is bound fails there: named like a camera that fails
// at the start, and tried again until it binds.
TEST_F(CameraProblemsTest, CameraFailingAtBindIsNamedAndRetriedUntilItBinds) {
    ASSERT_NO_FATAL_FAILURE(AddCamera(L"Problem Bind Scope", L"--formats \"MJPG 1280x720\""));
    auto bind = [](const wchar_t* state) { return RunVcamctl(std::wstring(L"bindfail \"Problem Bind Scope\" ") + state); };
    ASSERT_EQ(bind(L"denied"), 0);
    Start(1200, 800);
    ASSERT_TRUE(WaitUntil([] { return CurrentCameraProblem() == CameraProblem::Blocked; }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return MessagePixels() > 20; }));
    ASSERT_EQ(bind(L"on"), 0);
    ASSERT_TRUE(WaitUntil([] { return CurrentCameraProblem() == CameraProblem::Busy; }, 20000));
    ASSERT_EQ(bind(L"off"), 0);
    ASSERT_TRUE(Streaming());  // the view's retry, nobody else
    EXPECT_EQ(CurrentCameraProblem(), CameraProblem::None);
}

TEST_F(CameraProblemsTest, LostDeviceIsReopenedByTheView) {
    ASSERT_NO_FATAL_FAILURE(StartWith(L"Problem Lost Scope", L"--lose-after 15"));
    ASSERT_TRUE(Streaming());
    ASSERT_TRUE(WaitUntil([] { return CurrentCameraProblem() == CameraProblem::Lost; }, 20000));
    EXPECT_FALSE(IsDeviceOpen());
    ASSERT_TRUE(Streaming());
    EXPECT_EQ(CurrentCameraProblem(), CameraProblem::None);
}

TEST_F(CameraProblemsTest, SilentCameraIsNamedAfterAboutThreeSeconds) {
    ASSERT_NO_FATAL_FAILURE(StartWith(L"Problem Silent Scope", L"--never-delivers"));
    ASSERT_TRUE(WaitUntil([] { return IsDeviceOpen(); }, 20000));
    EXPECT_NE(CurrentCameraProblem(), CameraProblem::NoPicture);  // not at once
    ASSERT_TRUE(WaitUntil([] { return CurrentCameraProblem() == CameraProblem::NoPicture; }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return MessagePixels() > 20; }));
}

TEST_F(CameraProblemsTest, CompositionSurfaceIsADibSection) {
    ASSERT_NO_FATAL_FAILURE(StartWith(L"Problem Plain Scope", L""));
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
