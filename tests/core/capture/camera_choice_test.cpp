// Choosing the camera to open, the remembered camera's text, the capability to set for a
// format, and what graph results and events mean for the view.
#include "capture/camera_choice.h"
#include "capture/camera_problem.h"
#include "capture/capability_pick.h"
#include "capture/camera_format.h"

#include <gtest/gtest.h>

namespace {

const CameraIdentity kScope = {L"USB Microscope", L"@device:pnp:\\\\?\\usb#vid_1#a#{guid}\\global", true};
const CameraIdentity kScopeOtherPort = {L"USB Microscope", L"@device:pnp:\\\\?\\usb#vid_1#b#{guid}\\global", true};
const CameraIdentity kWebcam = {L"HD WebCam", L"@device:pnp:\\\\?\\usb#vid_2#c#{guid}\\global", true};
const CameraIdentity kSoftCam = {L"Virtual Cam", L"@device:sw:{860BB310}\\Virtual Cam", false};
const CameraIdentity kNothing = {};

TEST(CameraChoice, RememberedThenHardwareThenLast) {
    struct Case {
        const char* what;
        std::vector<CameraIdentity> list;
        CameraIdentity remembered;
        int want;
    } cases[] = {
        {"empty list", {}, kScope, -1},
        {"remembered, listed first", {kScope, kWebcam}, kScope, 0},
        {"remembered by display name among twins", {kScope, kScopeOtherPort}, kScope, 0},
        {"same model on another port", {kWebcam, kScopeOtherPort}, kScope, 1},
        {"remembered absent: last hardware", {kScope, kSoftCam}, kWebcam, 0},
        {"nothing remembered: hardware before software", {kWebcam, kSoftCam}, kNothing, 0},
        {"among equals the last", {kScope, kWebcam}, kNothing, 1},
        {"software only: the last", {kSoftCam, kSoftCam}, kNothing, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(ChooseCameraToOpen(c.list, c.remembered), c.want) << c.what;
}

TEST(CameraChoice, RememberedIsNotFoundWhenAbsentOrEmpty) {
    EXPECT_EQ(FindRememberedCamera({kWebcam, kSoftCam}, kScope), -1);
    EXPECT_EQ(FindRememberedCamera({kWebcam}, kNothing), -1);
}

TEST(CameraChoice, HardwareIsPlugAndPlayOrHasADevicePath) {
    EXPECT_TRUE(IsHardwareCamera(L"@device:pnp:\\\\?\\usb#x", L""));
    EXPECT_TRUE(IsHardwareCamera(L"@DEVICE:PNP:\\\\?\\usb#x", L""));
    EXPECT_TRUE(IsHardwareCamera(L"@device:sw:{x}\\cam", L"\\\\?\\usb#x"));
    EXPECT_FALSE(IsHardwareCamera(L"@device:sw:{x}\\cam", L""));
    EXPECT_FALSE(IsHardwareCamera(L"", L""));
}

TEST(CameraChoice, RememberedTextRoundTrips) {
    std::wstring text = RememberedCameraText(kScope);
    CameraIdentity back = ParseRememberedCamera(text);
    EXPECT_EQ(back.friendlyName, kScope.friendlyName);
    EXPECT_EQ(back.devicePath, kScope.devicePath);
    EXPECT_EQ(RememberedCameraText(kNothing), L"");
    EXPECT_EQ(ParseRememberedCamera(L"").friendlyName, L"");
    EXPECT_EQ(ParseRememberedCamera(L"Only Name").devicePath, L"");  // a name without a path
}

TEST(CapabilityPick, VideoInfoTwinBeatsVideoInfo2) {
    const uint32_t M = kSubtypeMjpg, Y = kSubtypeYuy2;
    std::vector<CapabilityInfo> caps = {
        {0, M, 1280, 720, true}, {1, M, 1280, 720, false},  // twins, VideoInfo2 first
        {2, M, 1920, 1080, true},                           // VideoInfo2 only
        {3, Y, 640, 480, false}, {4, Y, 640, 480, false},   // the first plain one wins
    };
    struct Case { uint32_t subtype; int w, h, want; } cases[] = {
        {M, 1280, 720, 1}, {M, 1920, 1080, 2}, {Y, 640, 480, 3}, {Y, 1280, 720, -1}, {M, 640, 480, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(PickCapability(caps, c.subtype, c.w, c.h), c.want) << c.w << "x" << c.h;
}

TEST(CameraProblems, RunFailuresEventsAndRetries) {
    EXPECT_EQ(ProblemOfStartFailure(int32_t(0x800705AA)), CameraProblem::Busy);
    EXPECT_EQ(ProblemOfStartFailure(int32_t(0x80070005)), CameraProblem::Blocked);
    EXPECT_EQ(ProblemOfStartFailure(int32_t(0x80004005)), CameraProblem::CannotOpen);

    struct Event { long code; intptr_t p2; bool ends; } events[] = {
        {0x1F, 0, true},    // device lost
        {0x1F, 1, false},   // device available again
        {0x03, 0, true},    // error abort
        {0x45, 0, true},    // error abort, extended
        {0x06, 0, true},    // stream stopped by an error
        {0x01, 0, false},   // complete: a live source never ends by itself, nothing to do
        {0x0D, 0, false},   // clock changed
    };
    for (const Event& e : events) EXPECT_EQ(EndsTheStream(e.code, e.p2), e.ends) << e.code << "/" << e.p2;

    for (CameraProblem p : {CameraProblem::Busy, CameraProblem::Blocked, CameraProblem::Lost}) {
        EXPECT_TRUE(ProblemRetries(p));
        EXPECT_NE(ProblemTextKey(p), nullptr);
    }
    for (CameraProblem p : {CameraProblem::None, CameraProblem::CannotOpen, CameraProblem::NoPicture})
        EXPECT_FALSE(ProblemRetries(p));
    EXPECT_EQ(ProblemTextKey(CameraProblem::None), nullptr);
}

}  // namespace
