// The virtual microscope's misbehaving modes: a camera that accepts the graph but never
// delivers, and one that delivers garbage (random bytes, truncated JPEGs, wrong-size JPEGs).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/pump_win.h"
#include "common/vcam_harness_win.h"

namespace {

bool EndsLikeJpeg(const std::vector<BYTE>& b) {
    return b.size() >= 2 && b[b.size() - 2] == 0xFF && b[b.size() - 1] == 0xD9;
}

std::vector<std::vector<BYTE>> CollectFrames(const std::wstring& name, const StreamFormat& fmt, size_t count) {
    FrameCollector preview;
    TestGraph graph;
    if (!graph.Build(name, &fmt, &preview, nullptr) || FAILED(graph.Run())) return {};
    WaitUntil([&] { return preview.Count() >= count; }, 20000);
    graph.Stop();
    return preview.Buffers();
}

}  // namespace

TEST(VcamModes, NeverDeliversAcceptsTheGraphButSendsNothing) {
    ScopedCamera cam(L"Vcam Silent", L"--never-delivers");
    ASSERT_TRUE(cam.ok());
    FrameCollector preview, still;
    TestGraph graph;
    ASSERT_TRUE(graph.Build(cam.name(), nullptr, &preview, &still));
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    FILTER_STATE st;
    EXPECT_EQ(graph.Camera()->GetState(0, &st), S_OK);
    EXPECT_EQ(st, State_Running);
    ASSERT_EQ(RunVcamctl(L"still \"" + cam.name() + L"\""), 0);
    ASSERT_EQ(RunVcamctl(L"zoom \"" + cam.name() + L"\""), 0);
    PumpFor(1500);
    EXPECT_EQ(preview.Count(), 0u);
    EXPECT_EQ(still.Count(), 0u);
    EXPECT_TRUE(SUCCEEDED(graph.Stop()));  // and it still stops cleanly
}

TEST(VcamModes, RandomBytesOfAnyLength) {
    ScopedCamera cam(L"Vcam Random", L"--formats \"MJPG 640x480\" --garbage random");
    ASSERT_TRUE(cam.ok());
    auto frames = CollectFrames(cam.name(), {true, 640, 480}, 12);
    ASSERT_GE(frames.size(), 12u);
    std::set<size_t> lengths;
    int complete = 0;
    for (const auto& b : frames) {
        lengths.insert(b.size());
        int w, h, ss;
        complete += EndsLikeJpeg(b) && JpegSize(b.data(), static_cast<long>(b.size()), &w, &h, &ss);
    }
    EXPECT_GE(lengths.size(), 10u) << "lengths vary";
    EXPECT_LE(complete, 1);
}

TEST(VcamModes, TruncatedJpegsLoseTheirEnd) {
    ScopedCamera cam(L"Vcam Truncated", L"--formats \"MJPG 1280x720\" --garbage truncated");
    ASSERT_TRUE(cam.ok());
    auto frames = CollectFrames(cam.name(), {true, 1280, 720}, 6);
    ASSERT_GE(frames.size(), 6u);
    for (const auto& b : frames) {
        ASSERT_GE(b.size(), 4u);
        EXPECT_EQ(b[0], 0xFF);
        EXPECT_EQ(b[1], 0xD8);
        EXPECT_FALSE(EndsLikeJpeg(b));
    }
}

TEST(VcamModes, WrongSizeJpegsAreWholeButSmaller) {
    // Also in a YUY2 stream: the camera sends JPEG bytes where raw pixels are expected.
    ScopedCamera cam(L"Vcam Wrong", L"--formats \"MJPG 1280x720,YUY2 640x480\" --garbage wrongsize");
    ASSERT_TRUE(cam.ok());
    for (const StreamFormat& fmt : {StreamFormat{true, 1280, 720}, StreamFormat{false, 640, 480}}) {
        auto frames = CollectFrames(cam.name(), fmt, 4);
        ASSERT_GE(frames.size(), 4u);
        for (const auto& b : frames) {
            int w = 0, h = 0, ss = 0;
            ASSERT_TRUE(JpegSize(b.data(), static_cast<long>(b.size()), &w, &h, &ss));
            EXPECT_TRUE(EndsLikeJpeg(b));
            EXPECT_EQ(w, fmt.width / 2);
            EXPECT_EQ(h, fmt.height / 2);
        }
    }
}

TEST(VcamModes, MixedGarbageCyclesThroughAllKinds) {
    ScopedCamera cam(L"Vcam Mixed", L"--formats \"MJPG 640x480\" --garbage mixed");
    ASSERT_TRUE(cam.ok());
    auto frames = CollectFrames(cam.name(), {true, 640, 480}, 9);
    ASSERT_GE(frames.size(), 9u);
    int wrongSize = 0, truncated = 0;
    for (const auto& b : frames) {
        int w = 0, h = 0, ss = 0;
        bool header = JpegSize(b.data(), static_cast<long>(b.size()), &w, &h, &ss);
        if (header && EndsLikeJpeg(b) && w == 320) ++wrongSize;
        if (header && !EndsLikeJpeg(b) && w == 640) ++truncated;
    }
    EXPECT_GE(wrongSize, 2);
    EXPECT_GE(truncated, 2);
}
