// The capture layer against the virtual microscope: device list, format catalogue, sessions in
// both subtypes, interpolated sizes, the format fallback, still and zoom buttons, unplugging,
// camera properties, misbehaving cameras, and open/close series without leaks.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/messages.h"
#include "capture/camera_properties_win.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "common/capture_host_win.h"
#include "common/pump_win.h"
#include "frame/capture_state_win.h"
#include "common/vcam_harness_win.h"

namespace {

bool FrameHasContent() {
    const DisplayFrame* f = GetCurrentFrame();
    if (!f) return false;
    size_t bytes = size_t(CaptureState.width) * CaptureState.height * 3;
    for (size_t i = 0; i < bytes; i += 97)
        if (f[i]) return true;
    return false;
}

class CaptureTest : public CaptureHostFixture {
protected:
    void SetUp() override {
        CaptureHostFixture::SetUp();
        requestedFormat = {kSubtypeMjpg, 640, 480, 0};
    }
    int IndexOf(const std::wstring& name) {
        for (size_t i = 0; i < DeviceList.size(); ++i)
            if (DeviceList[i].friendlyName == name) return int(i);
        return -1;
    }
};

TEST_F(CaptureTest, DeviceListFiltersBuiltInCamerasAndKeepsOrder) {
    ScopedCamera built(L"Acme Integrated Camera"), ms(L"Microsoft LifeCam Test"), lower(L"lab integrated microsoft scope");
    ScopedCamera a(L"Scope A"), b(L"Scope B");
    ASSERT_TRUE(built.ok() && ms.ok() && lower.ok() && a.ok() && b.ok());
    RefreshDeviceList();
    EXPECT_EQ(IndexOf(L"Acme Integrated Camera"), -1);
    EXPECT_EQ(IndexOf(L"Microsoft LifeCam Test"), -1);
    EXPECT_GE(IndexOf(L"lab integrated microsoft scope"), 0);
    int ia = IndexOf(L"Scope A"), ib = IndexOf(L"Scope B");
    ASSERT_GE(ia, 0);
    ASSERT_GE(ib, 0);
    BindFilter(DeviceList[ib]);
    IBaseFilter* bFilter = DeviceList[ib].filter;
    ASSERT_NE(bFilter, nullptr);
    {
        ScopedCamera c(L"Scope C");
        ASSERT_TRUE(c.ok());
        RefreshDeviceList();
        EXPECT_EQ(IndexOf(L"Scope A"), ia);
        EXPECT_EQ(IndexOf(L"Scope B"), ib);
        EXPECT_EQ(IndexOf(L"Scope C"), int(DeviceList.size()) - 1);  // new cameras come last
    }
    RunVcamctl(L"remove \"Scope A\"");
    RefreshDeviceList();
    EXPECT_EQ(IndexOf(L"Scope A"), -1);
    EXPECT_EQ(IndexOf(L"Scope C"), -1);
    int nb = IndexOf(L"Scope B");
    ASSERT_GE(nb, 0);
    EXPECT_EQ(DeviceList[nb].filter, bFilter);  // the record survived with its bound filter
}

TEST_F(CaptureTest, CatalogueHasSyntheticSizesOnlyForVgaCameras) {
    ScopedCamera vga(L"Cat VGA", L"--formats \"MJPG 640x480,MJPG 320x240\"");
    ScopedCamera svga(L"Cat SVGA", L"--formats \"MJPG 800x600,YUY2 320x240,YUY2 1280x720\"");
    ASSERT_TRUE(vga.ok() && svga.ok());
    ComPtr<IBaseFilter> f1, f2;
    *f1.Put() = BindCamera(L"Cat VGA");
    *f2.Put() = BindCamera(L"Cat SVGA");
    ASSERT_TRUE(f1 && f2);
    FormatCatalogue c1, c2;
    EnumerateFormats(f1.Get(), c1);
    EnumerateFormats(f2.Get(), c2);
    ASSERT_EQ(c1.mjpgFormats.size(), 3u);
    EXPECT_EQ(c1.mjpgFormats.at(1280 * 960), (CameraFormat{kSubtypeMjpg, 1280, 960, 1}));
    EXPECT_EQ(c1.mjpgFormats.at(1920 * 1080), (CameraFormat{kSubtypeMjpg, 1920, 1080, 1}));
    EXPECT_EQ(c1.mjpgFormats.count(320 * 240), 0u);
    ASSERT_EQ(c2.mjpgFormats.size(), 1u);
    ASSERT_EQ(c2.yuy2Formats.size(), 1u);  // 320 x 240 left out, no synthetic sizes
    EXPECT_EQ(c2.yuy2Formats.begin()->second.width, 1280);
}

TEST_F(CaptureTest, OpensLastCameraAndStreamsMjpgIntoTheRing) {
    ScopedCamera first(L"Open First", L"--formats \"YUY2 640x480\"");
    ScopedCamera last(L"Open Last", L"--formats \"MJPG 1280x720,YUY2 640x480\"");
    ASSERT_TRUE(first.ok() && last.ok());
    requestedFormat = {kSubtypeYuy2, 1280, 720, 0};
    OpenLastDevice();
    ASSERT_TRUE(IsDeviceOpen());
    EXPECT_EQ(currentDeviceName, L"Open Last");
    EXPECT_EQ(DeviceList[currentDeviceIndex].friendlyName, L"Open Last");
    EXPECT_EQ(CaptureState.subtype, kSubtypeMjpg);  // MJPG preferred when the camera has the size
    EXPECT_EQ(CaptureState.width, 1280);
    EXPECT_EQ(CaptureState.height, 720);
    EXPECT_TRUE(WaitUntil([] { return Posted(WMU_CAPTURE_STARTED) == 1; }));
    EXPECT_GE(Posted(WMU_DEVICES_CHANGED), 1);
    ASSERT_TRUE(FramesFlow());
    EXPECT_TRUE(FrameHasContent());

    // Asking again while open does nothing.
    OpenLastDevice();
    EXPECT_EQ(currentDeviceName, L"Open Last");
    CloseSession();
    EXPECT_FALSE(IsDeviceOpen());
    EXPECT_EQ(GetCurrentFrame(), nullptr);
    EXPECT_EQ(currentDeviceIndex, -1);
    EXPECT_EQ(CaptureState.width, 0);
    EXPECT_TRUE(WaitUntil([] { return Posted(WMU_CAPTURE_STOPPED) == 1; }));
}

TEST_F(CaptureTest, Yuy2OnlyCameraStreamsYuy2AndInterpolatedSizesRunAtVga) {
    requestedFormat = {kSubtypeMjpg, 1280, 960, 0};
    ASSERT_NO_FATAL_FAILURE(OpenCamera(L"Yuy2 Scope", L"--formats \"YUY2 640x480\""));
    EXPECT_EQ(CaptureState.subtype, kSubtypeYuy2);
    EXPECT_EQ(CaptureState.width, 640);
    EXPECT_EQ(CaptureState.height, 480);
    EXPECT_EQ(CaptureState.interpolated, 1);
    EXPECT_EQ(requestedFormat, (CameraFormat{kSubtypeYuy2, 1280, 960, 1}));
    ASSERT_TRUE(FramesFlow());
    EXPECT_TRUE(FrameHasContent());
}

TEST_F(CaptureTest, RejectedFormatFallsBackOnceToTheDefault) {
    ScopedCamera cam(L"Fallback Scope", L"--formats \"MJPG 1280x720,MJPG 1920x1080,YUY2 640x480\"");
    ASSERT_TRUE(cam.ok());
    RefreshDeviceList();
    CameraDevice& d = DeviceList.back();
    BindFilter(d);
    CaptureState.moniker = d.moniker;
    d.moniker->AddRef();
    CaptureState.source = d.filter;
    d.filter->AddRef();
    requestedFormat = {kSubtypeYuy2, 1920, 1080, 0};  // only the MJPG catalogue has this size
    ASSERT_TRUE(OpenSession());
    EXPECT_EQ(CaptureState.subtype, kSubtypeMjpg);
    EXPECT_EQ(CaptureState.width, 1920);
    EXPECT_EQ(requestedFormat, (CameraFormat{kSubtypeMjpg, 1920, 1080, 0}));
    ASSERT_TRUE(FramesFlow());
}

TEST_F(CaptureTest, StillAndZoomButtonsReachTheView) {
    requestedFormat = {kSubtypeMjpg, 1280, 720, 0};
    ASSERT_NO_FATAL_FAILURE(OpenCamera(L"Button Scope", L"--formats \"MJPG 1280x720,YUY2 640x480\""));
    ASSERT_NE(CaptureState.stillGrabber, nullptr);
    ASSERT_TRUE(FramesFlow());
    RunVcamctl(L"still \"Button Scope\"");
    EXPECT_TRUE(WaitUntil([] { return Posted(WMU_STILL_READY) >= 1; }, 20000));
    StillImageData still = TakeStillImage();
    EXPECT_NE(still.pixels, nullptr);
    ReturnStillImage(still);
    RunVcamctl(L"zoom \"Button Scope\"");
    EXPECT_TRUE(WaitUntil([] { return Posted(WMU_ZOOM_BUTTON) >= 1; }, 20000));

    // The session's still image goes with the session.
    CloseSession();
    StillImageData left = TakeStillImage();
    EXPECT_EQ(left.pixels, nullptr);
    std::free(left.pixels);
}

TEST_F(CaptureTest, CameraWithoutStillPinRunsWithoutOne) {
    ASSERT_NO_FATAL_FAILURE(OpenCamera(L"No Still Scope", L"--formats \"MJPG 1280x720\" --no-still"));
    EXPECT_EQ(CaptureState.stillGrabber, nullptr);
    EXPECT_TRUE(FramesFlow());
}

TEST_F(CaptureTest, UnplugClosesOnlyWhenTheSessionCameraGoes) {
    // The device enumerator lists these two in name order, so "Plug B Mine" comes last.
    ScopedCamera other(L"Plug A Other", L"--formats \"MJPG 1280x720\"");
    ScopedCamera mine(L"Plug B Mine", L"--formats \"MJPG 1280x720\"");
    ASSERT_TRUE(other.ok() && mine.ok());
    OpenLastDevice();
    ASSERT_TRUE(IsDeviceOpen());
    ASSERT_EQ(currentDeviceName, L"Plug B Mine");
    ASSERT_TRUE(FramesFlow());

    RunVcamctl(L"remove \"Plug A Other\"");
    EXPECT_TRUE(WaitUntil([] { return removals >= 1; }));
    OnDeviceRemoved();
    EXPECT_TRUE(IsDeviceOpen());  // an unrelated camera went away
    // The records after the removed one moved down; the session's index follows its camera.
    ASSERT_EQ(currentDeviceIndex, 0);
    EXPECT_EQ(DeviceList[currentDeviceIndex].friendlyName, L"Plug B Mine");

    RunVcamctl(L"remove \"Plug B Mine\"");
    EXPECT_TRUE(WaitUntil([] { return removals >= 2; }));
    OnDeviceRemoved();
    EXPECT_FALSE(IsDeviceOpen());
    EXPECT_TRUE(WaitUntil([] { return Posted(WMU_CAPTURE_STOPPED) >= 1; }));

    RunVcamctl(L"add \"Plug B Mine\" --formats \"MJPG 1280x720\"");
    EXPECT_TRUE(WaitUntil([] { return arrivals >= 1; }));
    OpenLastDevice();
    EXPECT_TRUE(IsDeviceOpen());
    EXPECT_EQ(currentDeviceName, L"Plug B Mine");
    EXPECT_EQ(CaptureState.width, 1280);
}

TEST_F(CaptureTest, PropertiesAreReadAndSetInManualMode) {
    ASSERT_NO_FATAL_FAILURE(OpenCamera(L"Prop Scope", L"--formats \"MJPG 1280x720\""));
    const CameraProperty& b = CaptureState.properties[kPropBrightness];
    EXPECT_LT(b.minimum, b.maximum);
    EXPECT_GE(b.value, b.minimum);
    EXPECT_LE(b.value, b.maximum);
    EXPECT_LT(CaptureState.properties[kPropExposure].minimum, CaptureState.properties[kPropExposure].maximum);
    int target = b.minimum + (b.maximum - b.minimum) / 3;
    SetManual(kPropBrightness, target);
    EXPECT_EQ(CaptureState.properties[kPropBrightness].value, target);
    long value = 0, flags = 0;
    ASSERT_TRUE(SUCCEEDED(CaptureState.procAmp->Get(VideoProcAmp_Brightness, &value, &flags)));
    EXPECT_EQ(value, target);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Manual);

    CameraProperty whiteBalance = CaptureState.properties[kPropWhiteBalance];
    CloseSession();
    EXPECT_EQ(CaptureState.properties[kPropBrightness].maximum, 0);
    EXPECT_EQ(CaptureState.properties[kPropWhiteBalance].maximum, whiteBalance.maximum);  // kept
}

TEST_F(CaptureTest, CameraWithoutControlsLeavesZerosAndIgnoresSets) {
    {
        // A camera with controls first: what survives its teardown must not reach the next one.
        ASSERT_NO_FATAL_FAILURE(OpenCamera(L"Rich Scope", L"--formats \"MJPG 1280x720\""));
        ASSERT_GT(CaptureState.properties[kPropWhiteBalance].maximum, 0);
        CloseSession();
    }
    ASSERT_NO_FATAL_FAILURE(OpenCamera(L"Bare Scope", L"--formats \"MJPG 1280x720\" --no-procamp --no-camctl"));
    for (int i = 0; i < kCameraPropertyCount; ++i) {
        EXPECT_EQ(CaptureState.properties[i].minimum, 0) << i;
        EXPECT_EQ(CaptureState.properties[i].maximum, 0) << i;
        EXPECT_EQ(CaptureState.properties[i].value, 0) << i;
    }
    SetManual(kPropGain, 5);
    EXPECT_EQ(CaptureState.properties[kPropGain].value, 0);
}

TEST_F(CaptureTest, SilentAndGarbageCamerasLeaveTheProgramResponsive) {
    {
        ASSERT_NO_FATAL_FAILURE(OpenCamera(L"Silent Scope", L"--formats \"MJPG 1280x720\" --never-delivers"));
        PumpFor(500);
        EXPECT_EQ(CaptureState.currentSlot, 0);
        EXPECT_FALSE(FrameHasContent());
        CloseSession();
        EXPECT_FALSE(IsDeviceOpen());
        ClearDeviceList();
    }
    ASSERT_NO_FATAL_FAILURE(OpenCamera(L"Junk Scope", L"--formats \"MJPG 1280x720\" --garbage mixed"));
    PumpFor(1500);
    CloseSession();
    EXPECT_FALSE(IsDeviceOpen());
}

size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
    return pmc.PrivateUsage;
}

TEST_F(CaptureTest, TwoHundredOpenCloseCyclesLeakNothing) {
    ScopedCamera cam(L"Cycle Scope", L"--formats \"MJPG 1280x720,YUY2 640x480\"");
    ASSERT_TRUE(cam.ok());
    auto cycle = [] {
        OpenLastDevice();
        ASSERT_TRUE(IsDeviceOpen());
        CloseSession();
        PumpMessages();
    };
    for (int i = 0; i < 20; ++i) cycle();
    DWORD handles = HandleCount(), threads = ThreadCount();
    size_t memory = PrivateBytes();
    for (int i = 0; i < 200; ++i) cycle();
    EXPECT_LE(HandleCount(), handles + 8);
    EXPECT_LE(ThreadCount(), threads + 2);
    EXPECT_LE(PrivateBytes(), memory + 8 * 1024 * 1024);
}

}  // namespace
