// The main window and its camera view against the virtual microscope: the picture appears on the
// first timer tick, the ratio chosen at capture start, hot plug, deleting shapes with their
// selection bookkeeping, the zoom button with an interpolated format, and a report of frames
// painted against frames delivered.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../../core/view/test_shapes.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "settings/app_settings.h"
#include "common/pixels_win.h"
#include "common/pump_win.h"
#include "frame/capture_state_win.h"
#include "common/main_window_fixture_win.h"
#include "common/vcam_harness_win.h"
#include "view/camera_view_win.h"
#include "view/overlay.h"
#include "view/measure_model.h"
#include "view/view_geometry.h"

namespace {

const wchar_t kScope[] = L"View Scope";
const CameraFormat kMjpg720 = {kSubtypeMjpg, 1280, 720, 0};

class ViewCameraTest : public MainWindowFixture {
protected:
    void SetUp() override {
        ClearAll(MeasurementState);
        MeasurementState.tool = kToolNone;
        streamingFrames = 5;
    }
    // The scope with these vcamctl options, the main window in width x height streaming format.
    void Open(const wchar_t* options, const CameraFormat& format, int width = 1200, int height = 800) {
        OpenCamera(kScope, options, format, width, height);
    }
};

TEST_F(ViewCameraTest, PictureAppearsAfterTheFirstTick) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720,YUY2 640x480\"", kMjpg720));
    CameraViewInfo i = Info();
    EXPECT_EQ(i.imageW, 1280);
    EXPECT_EQ(i.imageH, 720);
    EXPECT_EQ(i.frameW, 1280);
    EXPECT_EQ(i.ratio, 100);  // narrower than 1920: not fitted
    EXPECT_FALSE(i.fit);
    EXPECT_TRUE(i.hasSurface);
    EXPECT_EQ(currentDeviceName, kScope);
    EXPECT_EQ(CaptureState.viewWindow, view);
    // The micrometer over tissue, not one of the no-picture grounds or the strips.
    RECT rc;
    GetClientRect(view, &rc);
    COLORREF c = ViewPixel(rc.right / 3, rc.bottom / 3);
    EXPECT_NE(c, RGB(21, 25, 45));
    EXPECT_NE(c, RGB(13, 15, 20));
    EXPECT_NE(c, RGB(191, 191, 191));
}

// 642 pixels make rows of 1926 bytes, which are not whole words: the picture must still be
// drawn row for row (a shear would move the lower rows by two bytes each).
TEST_F(ViewCameraTest, WidthWithUnalignedRowsIsDrawnUnsheared) {
    streamingFrames = 2;
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"YUY2 642x480\" --fps 2", {kSubtypeYuy2, 642, 480, 0}));
    ASSERT_EQ(Info().frameW, 642);
    ASSERT_EQ(Info().ratio, 100);
    RECT rc;
    GetClientRect(view, &rc);
    const int x0 = (rc.right - 642) / 2, y0 = (rc.bottom - 480) / 2;
    // A frame is compared only when no new one arrived while it was copied and drawn.
    int mismatches = -1;
    for (int attempt = 0; attempt < 5 && mismatches != 0; ++attempt) {
        const int32_t slot = CaptureState.currentSlot;
        std::vector<uint8_t> frame(GetCurrentFrame(), GetCurrentFrame() + 642 * 480 * 3);
        InvalidateRect(view, nullptr, FALSE);
        UpdateWindow(view);
        HDC dc = GetDC(view);
        int bad = 0;
        for (int y = 470; y < 480; ++y)
            for (int x = 0; x < 642; x += 7) {
                const uint8_t* p = &frame[(size_t(y) * 642 + x) * 3];
                if (GetPixel(dc, x0 + x, y0 + y) != RGB(p[2], p[1], p[0])) ++bad;
            }
        ReleaseDC(view, dc);
        if (CaptureState.currentSlot == slot) mismatches = bad;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(ViewCameraTest, CompositionAfterTheSessionClosedReadsNoFreedRing) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720\"", kMjpg720));
    ASSERT_TRUE(Info().hBar);  // 1280 wide in a narrower view: scrolling composes at once
    SendMessageW(view, WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
    unsigned long long before = Info().composedFrames;
    SendMessageW(view, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    EXPECT_EQ(Info().composedFrames, before + 1);

    // The ring is freed; the view has not yet heard of it (its stop message is still queued).
    CloseSession();
    before = Info().composedFrames;
    SendMessageW(view, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    SendMessageW(view, WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
    EXPECT_EQ(Info().composedFrames, before);
    PumpMessages();
    SendMessageW(view, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    EXPECT_EQ(Info().composedFrames, before);
}

// A composition started by the user (scrolling here; dragging and panning alike) shows the frame
// published last, not the one the last paint took: during a long drag paints can be starved,
// and that slot is being converted into again three frames later.
TEST_F(ViewCameraTest, EveryCompositionShowsTheFramePublishedLast) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720\"", kMjpg720));
    ASSERT_TRUE(Info().hBar);
    CaptureState.mediaControl->Stop();  // no more frames: the ring holds what is put there
    PumpMessages();
    auto publish = [](int slot, uint8_t b, uint8_t g, uint8_t r) {
        uint8_t* p = CaptureState.frameRing[slot];
        for (size_t i = 0; i < size_t(1280) * 720 * 3; i += 3) p[i] = b, p[i + 1] = g, p[i + 2] = r;
        EnterCriticalSection(&CaptureState.frameLock);
        CaptureState.currentSlot = slot;
        LeaveCriticalSection(&CaptureState.frameLock);
    };
    RECT rc;
    GetClientRect(view, &rc);
    publish(1, 0, 0, 255);
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
    EXPECT_EQ(ViewPixel(rc.right / 2, rc.bottom / 2), RGB(255, 0, 0));
    publish(2, 255, 0, 0);  // published without a paint
    SendMessageW(view, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    EXPECT_EQ(ViewPixel(rc.right / 2, rc.bottom / 2), RGB(0, 0, 255));
}

TEST_F(ViewCameraTest, CalibrationLineHoldsThePictureCentred) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720\"", kMjpg720));
    ASSERT_TRUE(Info().hBar);
    RECT rc;
    GetClientRect(view, &rc);
    const int centred = (1280 - rc.right) / 2;
    ASSERT_GT(centred, 0);

    // Without the line the user scrolls freely.
    SendMessageW(view, WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
    PumpFor(200);
    EXPECT_EQ(Info().scrollX, 0);

    // With it every composition brings the image's middle back, thumb included.
    CameraViewRequestCalibrationLine(view);
    ASSERT_TRUE(WaitUntil([&] { return Info().scrollX == centred; }, 10000));
    EXPECT_EQ(GetScrollPos(view, SB_HORZ), centred);
    EXPECT_EQ(CameraViewCalibrationLength(view), 1280 / 3);  // the request became a line
    SendMessageW(view, WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
    EXPECT_EQ(Info().scrollX, centred);  // the scroll's own composition centred it again

    // Once the line is gone scrolling sticks again.
    CameraViewSetCalibrationLength(view, 0);
    SendMessageW(view, WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
    PumpFor(200);
    EXPECT_EQ(Info().scrollX, 0);
}

// Writes the view's client area as a BMP beside the test executable, for a person to look at.
void SaveViewBitmap(HWND view, const wchar_t* fileName) {
    RECT rc;
    GetClientRect(view, &rc);
    DibCanvas canvas(rc.right, rc.bottom);
    canvas.CopyClient(view);
    canvas.WriteBmp(BinPath(fileName));
}

TEST_F(ViewCameraTest, ShapesDrawnWithTheMouseAppearOverThePicture) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720\" --ppmm 400", kMjpg720, 1366, 900));
    auto drag = [&](int x1, int y1, int x2, int y2) {
        SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x1, y1));
        SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((x1 + x2) / 2, (y1 + y2) / 2));
        SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x2, y2));
        SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(x2, y2));
    };
    // Green ruler, red 2-pixel shapes, blue 12-point labels.
    int32_t settings[kDrawSettingCount] = {0x00C000, 0x0000FF, 2, 0xFF0000, 12, 0};
    SendMessageW(view, WM_COMMAND, VIEW_CMD_DRAW_SETTINGS, reinterpret_cast<LPARAM>(settings));
    SendMessageW(main, WM_COMMAND, ID_TOOL_LINE, 0);
    drag(100, 150, 500, 150);
    SendMessageW(main, WM_COMMAND, ID_TOOL_CIRCLE, 0);
    drag(700, 350, 780, 410);
    SendMessageW(main, WM_COMMAND, ID_TOOL_RECTANGLE, 0);
    drag(150, 420, 420, 560);
    EXPECT_EQ(MeasurementState.shapes.size(), 3u);
    float ppu[2] = {400.0f, 0};  // the micrometer's 400 pixels per millimetre
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_CALIBRATION, reinterpret_cast<LPARAM>(ppu));
    SendMessageW(main, WM_COMMAND, ID_CROSSLINE, 0);
    unsigned long long before = Info().composedFrames;
    ASSERT_TRUE(WaitUntil([&] { return Info().composedFrames > before + 3; }));
    UpdateWindow(view);
    SaveViewBitmap(view, L"view_shapes.bmp");
    // The line's middle in the line colour. The picture is wider and taller than the view, so
    // client points are image points offset by the scroll position, which stays put here.
    ASSERT_TRUE(Info().hBar);
    COLORREF c = ViewPixel(300, 150);
    EXPECT_GT(GetRValue(c), 200) << std::hex << c;
    EXPECT_LT(GetGValue(c), 80) << std::hex << c;
    EXPECT_LT(GetBValue(c), 80) << std::hex << c;
}

TEST_F(ViewCameraTest, FullHdCaptureStartsFittedToTheView) {
    const CameraFormat fullHd = {kSubtypeMjpg, 1920, 1080, 0};
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1920x1080,MJPG 1280x720\"", fullHd, 1366, 900));
    ASSERT_TRUE(WaitUntil([&] { return Info().fit; }));
    RECT rc;
    GetClientRect(view, &rc);
    CameraViewInfo i = Info();
    EXPECT_EQ(i.ratio, FitRatio(rc.right, rc.bottom, 1920, 1080));
    EXPECT_GT(i.ratio, 50);  // the view is wider than 960: the whole picture fits, no bars
    EXPECT_FALSE(i.hBar);
    EXPECT_FALSE(i.vBar);
}

TEST_F(ViewCameraTest, UnplugShowsNoPictureAndPlugReopens) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720\"", kMjpg720));
    MeasurementState.shapes.resize(2);

    ASSERT_EQ(RunVcamctl(std::wstring(L"remove \"") + kScope + L"\""), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsDeviceOpen() && Info().imageW == 0; }));
    EXPECT_TRUE(MeasurementState.shapes.empty());
    EXPECT_EQ(Info().displayW, 0);
    UpdateWindow(view);
    EXPECT_EQ(ViewPixel(3, 3), RGB(13, 15, 20));  // nothing listed: the connect picture's ground

    unsigned long long before = Info().composedFrames;
    ASSERT_EQ(RunVcamctl(std::wstring(L"add \"") + kScope + L"\" --formats \"MJPG 1280x720\""), 0);
    ASSERT_TRUE(WaitUntil([&] { return IsDeviceOpen() && Info().composedFrames > before + 3; }, 30000));
    EXPECT_EQ(Info().imageW, 1280);
}

TEST_F(ViewCameraTest, DeleteLastKeepsOrDropsTheSelection) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720\"", kMjpg720));

    MeasurementState.shapes.resize(3);
    MeasurementState.selected = 2;
    MeasurementState.hovered = 2;
    SendMessageW(main, WM_COMMAND, ID_DELETE_LAST, 0);
    EXPECT_EQ(MeasurementState.shapes.size(), 2u);
    EXPECT_EQ(MeasurementState.selected, -1);
    EXPECT_EQ(MeasurementState.hovered, -1);

    MeasurementState.shapes.resize(3);
    MeasurementState.selected = 0;
    MeasurementState.hovered = 1;
    SendMessageW(main, WM_COMMAND, ID_DELETE_LAST, 0);
    EXPECT_EQ(MeasurementState.shapes.size(), 2u);
    EXPECT_EQ(MeasurementState.selected, 0);
    EXPECT_EQ(MeasurementState.hovered, 1);

    SendMessageW(main, WM_COMMAND, ID_DELETE_ALL, 0);
    EXPECT_TRUE(MeasurementState.shapes.empty());
    EXPECT_EQ(MeasurementState.selected, -1);
    EXPECT_EQ(MeasurementState.hovered, -1);
}

TEST_F(ViewCameraTest, CameraZoomButtonStepsTheInterpolatedView) {
    // A synthetic size: the camera runs at 640 x 480.
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"YUY2 640x480\"", {kSubtypeYuy2, 1280, 960, 1}));
    ASSERT_EQ(CaptureState.interpolated, 1);
    EXPECT_EQ(Info().frameW, 640);
    EXPECT_EQ(Info().imageW, 1280);
    ASSERT_EQ(RunVcamctl(std::wstring(L"zoom \"") + kScope + L"\""), 0);
    ASSERT_TRUE(WaitUntil([&] { return CameraViewZoom(view) == 1; }));
    unsigned long long before = Info().composedFrames;
    ASSERT_TRUE(WaitUntil([&] { return Info().composedFrames > before + 3; }));  // composes zoomed
    // The step label sits at the picture's top-left corner.
    SendMessageW(view, WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
    SendMessageW(view, WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    SaveViewBitmap(view, L"view_zoom.bmp");
}

// Not a speed goal: reports how many delivered frames were painted, and the CPU time per frame,
// at 1920 x 1080 MJPG and 640 x 480 YUY2 with twenty shapes on the view.
TEST_F(ViewCameraTest, ReportsFramesPaintedAgainstFramesDelivered) {
    struct Run { const wchar_t* formats; CameraFormat format; } runs[] = {
        {L"--formats \"MJPG 1920x1080\" --fps 30", {kSubtypeMjpg, 1920, 1080, 0}},
        {L"--formats \"YUY2 640x480\" --fps 30", {kSubtypeYuy2, 640, 480, 0}},
    };
    for (const Run& run : runs) {
        ASSERT_NO_FATAL_FAILURE(Open(run.formats, run.format, 1366, 768));
        SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 100);  // overlay only at ratio 100
        for (int k = 0; k < 20; ++k) {
            MeasurementState.shapes.push_back(
                Shape(k % 2 ? kToolLine : kToolCircle, {40 + 25 * k, 60 + 10 * k}, {140 + 25 * k, 90 + 12 * k}));
        }
        float ppuOne[2] = {100.0f, 0};
        SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_CALIBRATION, reinterpret_cast<LPARAM>(ppuOne));
        PumpFor(1000);

        FILETIME c0, e0, k0, u0, tk0, tu0, dummy;
        GetProcessTimes(GetCurrentProcess(), &c0, &e0, &k0, &u0);
        GetThreadTimes(GetCurrentThread(), &c0, &dummy, &tk0, &tu0);
        unsigned long long painted0 = Info().composedFrames;
        double fpsSum = 0;
        int samples = 0;
        for (int t = 0; t < 20; ++t) {  // 10 s
            PumpFor(500);
            fpsSum += CaptureState.fps.load();
            ++samples;
        }
        unsigned long long painted = Info().composedFrames - painted0;
        FILETIME k1, u1, tk1, tu1;
        GetProcessTimes(GetCurrentProcess(), &c0, &e0, &k1, &u1);
        GetThreadTimes(GetCurrentThread(), &c0, &dummy, &tk1, &tu1);
        auto ms = [](FILETIME a, FILETIME b) {
            ULARGE_INTEGER x, y;
            x.LowPart = a.dwLowDateTime; x.HighPart = a.dwHighDateTime;
            y.LowPart = b.dwLowDateTime; y.HighPart = b.dwHighDateTime;
            return double(y.QuadPart - x.QuadPart) / 10000.0;
        };
        double delivered = fpsSum / samples * 10.0;
        double processMs = ms(k0, k1) + ms(u0, u1);
        double uiMs = ms(tk0, tk1) + ms(tu0, tu1);
        char line[256];
        snprintf(line, sizeof line,
                 "%dx%d %s: delivered ~%.0f, painted %llu in 10 s; CPU per painted frame: UI thread %.2f ms, "
                 "whole process (virtual camera included) %.2f ms\n",
                 run.format.width, run.format.height, run.format.subtype == kSubtypeMjpg ? "MJPG" : "YUY2",
                 delivered, painted, painted ? uiMs / painted : 0.0, painted ? processMs / painted : 0.0);
        printf("%s", line);
        RecordProperty(run.format.subtype == kSubtypeMjpg ? "mjpg1080" : "yuy2vga", line);
        EXPECT_GT(painted, 0u);

        DestroyWindow(main);
        main = nullptr;
        PumpMessages();
        ClearAll(MeasurementState);
    }
}

}  // namespace
