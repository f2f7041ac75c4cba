// The virtual microscope's misbehaving modes: a camera that accepts the graph but never
// delivers, and one that delivers garbage (random bytes, truncated JPEGs, wrong-size JPEGs);
// and its measuring modes: prepared frames, frames dropped on purpose, the hand-over trace.
#include <gtest/gtest.h>

#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "common/pump_win.h"
#include "common/scratch_files_win.h"
#include "common/vcam_harness_win.h"
#include "testcam/picture.h"
#include "testcam/pre_encoded.h"

namespace {

// A JPEG decoded to BGR; empty when it does not decode cleanly at that size.
std::vector<uint8_t> DecodeBgr(const std::vector<uint8_t>& jpeg, int width, int height) {
    std::vector<uint8_t> pixels(size_t(width) * height * 3);
    tjhandle tj = tjInitDecompress();
    const bool ok = tjDecompress2(tj, jpeg.data(), static_cast<unsigned long>(jpeg.size()), pixels.data(), width, 0,
                                  height, TJPF_BGR, 0) == 0 && tjGetErrorCode(tj) != TJERR_WARNING;
    tjDestroy(tj);
    return ok ? pixels : std::vector<uint8_t>();
}

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

// Prepared frames: with three of them the pictures repeat below the counter plate while the plate
// counts on, in both formats; every fourth frame is dropped and said so through IAMDroppedFrames
// on the capture pin; the trace lists each hand-over and the drops.
TEST(VcamModes, PreparedFramesLoopWhileTheCounterCountsAndDropsAreReported) {
    const std::wstring folder = FreshTempFolder(L"vcam_prepared");
    const std::wstring trace = folder + L"\\camera.trace";
    for (const StreamFormat fmt : {StreamFormat{true, 640, 480}, StreamFormat{false, 640, 480}}) {
        DeleteFileW(trace.c_str());
        ScopedCamera cam(L"Vcam Prepared", std::wstring(L"--formats \"") + (fmt.mjpg ? L"MJPG" : L"YUY2") +
                                               L" 640x480\" --pre-encoded 3 --drop-every 4 --trace \"" + trace + L"\"");
        ASSERT_TRUE(cam.ok());
        FrameCollector preview;
        TestGraph graph;
        ASSERT_TRUE(graph.Build(cam.name(), &fmt, &preview, nullptr));
        ComPtr<IPin> pin;
        *pin.Put() = OutputPin(graph.Camera(), 0);
        ComPtr<IAMDroppedFrames> drops;
        ASSERT_TRUE(pin && SUCCEEDED(pin->QueryInterface(IID_IAMDroppedFrames, drops.PutVoid())));
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(WaitUntil([&] { return preview.Count() >= 12; }, 20000));
        graph.Stop();  // the trace is written when streaming stops
        long dropped = -1, delivered = -1;
        ASSERT_EQ(drops->GetNumDropped(&dropped), S_OK);
        ASSERT_EQ(drops->GetNumNotDropped(&delivered), S_OK);
        EXPECT_EQ(delivered, long(preview.Count()));
        EXPECT_EQ(dropped, (dropped + delivered) / 4) << "every fourth frame made";

        // Below the counter band (the top 32 rows) every frame shows one of the three prepared
        // pictures, which the scene draws alike (no drift yet), though the frame numbers have
        // gone past them; the band differs in every frame: the counter counts.
        MicrometerScene scene(640, 480, 500.0);
        std::vector<uint8_t> bgr(640 * 480 * 3);
        scene.RenderBgr(0, bgr.data());
        std::vector<uint8_t> prepared;
        if (fmt.mjpg) {
            ASSERT_TRUE(EncodeJpegWithRowMarkers(bgr.data(), 640, 480, &prepared));
            prepared = DecodeBgr(prepared, 640, 480);
        } else {
            prepared.resize(640 * 480 * 2);
            BgrToYuy2(bgr.data(), 640, 480, prepared.data());
        }
        const size_t band = (fmt.mjpg ? 640 * 3 : 640 * 2) * 32;
        std::set<std::vector<uint8_t>> bands;
        const auto buffers = preview.Buffers();
        for (const auto& b : buffers) {
            const std::vector<uint8_t> pixels = fmt.mjpg ? DecodeBgr(b, 640, 480) : b;
            ASSERT_EQ(pixels.size(), prepared.size()) << "the spliced JPEG decodes whole";
            EXPECT_TRUE(std::equal(pixels.begin() + band, pixels.end(), prepared.begin() + band));
            bands.insert(std::vector<uint8_t>(pixels.begin(), pixels.begin() + band));
        }
        EXPECT_EQ(bands.size(), buffers.size());

        FILE* lines = _wfopen(trace.c_str(), L"r");
        ASSERT_NE(lines, nullptr);
        char line[128];
        std::string qpf;
        size_t handed = 0;
        long droppedLine = -1;
        while (fgets(line, sizeof line, lines)) {
            handed += strncmp(line, "handed ", 7) == 0;
            if (strncmp(line, "camera qpf ", 11) == 0) qpf = "qpf";
            sscanf(line, "dropped %ld", &droppedLine);
        }
        fclose(lines);
        EXPECT_EQ(qpf, "qpf");
        EXPECT_EQ(handed, size_t(delivered));
        EXPECT_EQ(droppedLine, dropped);
    }
    RemoveTree(folder);
}
