// The capture layer against a virtual microscope with real hardware's habits: capabilities
// listed VideoInfo2 first, a format refused in SetFormat, a camera busy in another program, a
// device lost mid-stream, and the choice between a remembered, a hardware and a software camera.
#include <windows.h>
#include <dshow.h>

#include <gtest/gtest.h>

#include <string>

#include "app/messages.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "common/capture_host_win.h"
#include "common/pump_win.h"
#include "common/vcam_harness_win.h"
#include "frame/capture_state_win.h"
#include "settings/app_settings.h"

namespace {

class HardwareHabitsTest : public CaptureHostFixture {
protected:
    void SetUp() override {
        CaptureHostFixture::SetUp();
        AppSettings.lastCamera[0] = 0;
        requestedFormat = {kSubtypeMjpg, 1280, 720, 0};
    }
};

TEST_F(HardwareHabitsTest, VideoInfo2FirstCameraStreamsThroughItsVideoInfoTwin) {
    ASSERT_NO_FATAL_FAILURE(OpenCamera(L"Habit VI2 Scope", L"--formats \"MJPG 1280x720,YUY2 640x480\" --vi2-first"));
    AM_MEDIA_TYPE mt = {};
    ASSERT_EQ(CaptureState.cameraOutPin->ConnectionMediaType(&mt), S_OK);
    EXPECT_EQ(mt.formattype, FORMAT_VideoInfo);
    EXPECT_EQ(mt.subtype, MEDIASUBTYPE_MJPG);
    if (mt.pbFormat) CoTaskMemFree(mt.pbFormat);
    EXPECT_EQ(CaptureState.width, 1280);
    EXPECT_EQ(CaptureState.catalogue.mjpgFormats.count(1280 * 720), 1u);
    EXPECT_TRUE(FramesFlow());
}

TEST_F(HardwareHabitsTest, RefusedFormatFallsBackOnceAndKeepsWhatRuns) {
    struct Case {
        const wchar_t* options;
        CameraFormat request;
        bool opens;
        CameraFormat runs;
    } cases[] = {
        // The default after the refusal is 1280 x 720, which the camera takes.
        {L"--formats \"MJPG 1280x720,MJPG 1600x1200\" --refuse \"MJPG 1600x1200\"", {kSubtypeMjpg, 1600, 1200, 0},
         true, {kSubtypeMjpg, 1280, 720, 0}},
        // The default is the refused format itself: one retry, then the camera stays closed.
        {L"--formats \"MJPG 1280x720\" --refuse \"MJPG 1280x720\"", {kSubtypeMjpg, 1280, 720, 0}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        ScopedCamera cam(L"Habit Refusing Scope", c.options);
        ASSERT_TRUE(cam.ok());
        ClearPosted();
        requestedFormat = c.request;
        OpenLastDevice();
        PumpMessages();
        EXPECT_EQ(IsDeviceOpen(), c.opens);
        EXPECT_EQ(Posted(WMU_CAPTURE_STARTED), c.opens ? 1 : 0);
        if (c.opens) {
            EXPECT_EQ(requestedFormat, c.runs);  // what the settings will keep
            EXPECT_EQ(CaptureState.width, c.runs.width);
            EXPECT_TRUE(FramesFlow());
        } else {
            EXPECT_EQ(CurrentCameraProblem(), CameraProblem::CannotOpen);
            EXPECT_EQ(CaptureState.width, 0);
        }
        CloseSession();
        ClearDeviceList();
    }
}

TEST_F(HardwareHabitsTest, BusyOrBlockedCameraIsReportedAndOpensOnceReleased) {
    ScopedCamera cam(L"Habit Busy Scope", L"--formats \"MJPG 1280x720\" --busy");
    ASSERT_TRUE(cam.ok());
    struct Case { const wchar_t* state; CameraProblem problem; } cases[] = {
        {L"on", CameraProblem::Busy}, {L"denied", CameraProblem::Blocked}};
    for (const Case& c : cases) {
        ASSERT_EQ(RunVcamctl(L"busy \"Habit Busy Scope\" " + std::wstring(c.state)), 0);
        OpenLastDevice();
        PumpMessages();
        EXPECT_FALSE(IsDeviceOpen());
        EXPECT_EQ(CurrentCameraProblem(), c.problem);
        EXPECT_TRUE(ProblemRetries(CurrentCameraProblem()));
        EXPECT_EQ(Posted(WMU_CAPTURE_STARTED), 0);
        EXPECT_EQ(CaptureState.graph, nullptr);  // nothing of the failed graph stays
        EXPECT_EQ(CaptureState.frameRing[0], nullptr);
    }
    ASSERT_EQ(RunVcamctl(L"busy \"Habit Busy Scope\" off"), 0);
    OpenLastDevice();
    ASSERT_TRUE(IsDeviceOpen());
    EXPECT_EQ(CurrentCameraProblem(), CameraProblem::None);
    EXPECT_TRUE(FramesFlow());
}

TEST_F(HardwareHabitsTest, DeviceLostClosesAnnouncesAndReopens) {
    ASSERT_NO_FATAL_FAILURE(OpenCamera(L"Habit Lost Scope", L"--formats \"MJPG 1280x720\" --lose-after 10"));
    ASSERT_TRUE(WaitUntil([] { return !IsDeviceOpen(); }, 20000));
    EXPECT_EQ(CurrentCameraProblem(), CameraProblem::Lost);
    EXPECT_TRUE(WaitUntil([] { return Posted(WMU_CAPTURE_STOPPED) == 1; }));
    ASSERT_EQ(DeviceList.size(), 1u);
    EXPECT_EQ(DeviceList[0].filter, nullptr);  // bound afresh at the reopening
    OpenLastDevice();
    ASSERT_TRUE(IsDeviceOpen());
    EXPECT_EQ(CurrentCameraProblem(), CameraProblem::None);
    EXPECT_TRUE(FramesFlow());
    EXPECT_TRUE(IsDeviceOpen());
}

TEST_F(HardwareHabitsTest, RememberedCameraBeatsAStandInAndTakesOverWhenItComesBack) {
    // Listed in name order: the hardware microscope first, the software webcam last.
    ScopedCamera webcam(L"Habit Z Webcam", L"--formats \"MJPG 1280x720\"");
    ASSERT_TRUE(webcam.ok());
    {
        ScopedCamera scope(L"Habit A Scope", L"--formats \"MJPG 1280x720\" --hardware");
        ASSERT_TRUE(scope.ok());
        OpenLastDevice();  // nothing remembered: hardware before software
        ASSERT_TRUE(IsDeviceOpen());
        EXPECT_EQ(currentDeviceName, L"Habit A Scope");
        EXPECT_TRUE(DeviceList[currentDeviceIndex].hardware);
        EXPECT_EQ(std::wstring(AppSettings.lastCamera).find(L"Habit A Scope\n@device:"), 0u);
        CloseSession();
    }
    const std::wstring remembered = AppSettings.lastCamera;
    OpenLastDevice();  // the microscope is gone: the webcam stands in and is not remembered
    ASSERT_TRUE(IsDeviceOpen());
    EXPECT_EQ(currentDeviceName, L"Habit Z Webcam");
    EXPECT_EQ(AppSettings.lastCamera, remembered);

    ScopedCamera back(L"Habit A Scope", L"--formats \"MJPG 1280x720\" --hardware");
    ASSERT_TRUE(back.ok());
    OpenLastDevice();  // its arrival, while the webcam runs
    ASSERT_TRUE(IsDeviceOpen());
    EXPECT_EQ(currentDeviceName, L"Habit A Scope");
    EXPECT_TRUE(FramesFlow());
    OpenLastDevice();  // a later arrival of anything else changes nothing
    EXPECT_EQ(currentDeviceName, L"Habit A Scope");
}

}  // namespace
