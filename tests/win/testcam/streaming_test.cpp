// The virtual microscope in the program's capture graph: frames of every format, the still
// and zoom buttons, format changes while connected, state changes, and long run/stop and
// bind/release series without hangs or leaks.
#include <gtest/gtest.h>

#include <string>

#include "common/pump_win.h"
#include "frame/signal_frame.h"
#include "common/vcam_harness_win.h"

namespace {

bool IsCompleteJpeg(const std::vector<BYTE>& b) {
    return b.size() > 4 && b[0] == 0xFF && b[1] == 0xD8 && b[b.size() - 2] == 0xFF && b[b.size() - 1] == 0xD9;
}

}  // namespace

TEST(VcamStreaming, EveryFormatDeliversWholeFramesThatMove) {
    ScopedCamera cam(L"Vcam Formats", L"--formats \"MJPG 1280x720,MJPG 1920x1080,YUY2 640x480,YUY2 320x240\"");
    ASSERT_TRUE(cam.ok());
    const StreamFormat formats[] = {{true, 1280, 720}, {true, 1920, 1080}, {false, 640, 480}, {false, 320, 240}};
    for (const StreamFormat& fmt : formats) {
        SCOPED_TRACE(std::to_string(fmt.width) + "x" + std::to_string(fmt.height) + (fmt.mjpg ? " MJPG" : " YUY2"));
        FrameCollector preview;
        TestGraph graph;
        ASSERT_TRUE(graph.Build(cam.name(), &fmt, &preview, nullptr));
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(WaitUntil([&] { return preview.Count() >= 4; }, 20000));
        graph.Stop();
        auto buffers = preview.Buffers();
        for (const auto& b : buffers) {
            if (fmt.mjpg) {
                ASSERT_TRUE(IsCompleteJpeg(b));
                int w = 0, h = 0, ss = -1;
                ASSERT_TRUE(JpegSize(b.data(), static_cast<long>(b.size()), &w, &h, &ss));
                EXPECT_EQ(w, fmt.width);
                EXPECT_EQ(h, fmt.height);
                EXPECT_EQ(ss, 1);  // TJSAMP_422
                EXPECT_LT(b.size(), static_cast<size_t>(fmt.width * fmt.height)) << "a plausible JPEG size";
            } else {
                EXPECT_EQ(b.size(), static_cast<size_t>(fmt.width * fmt.height * 2));
            }
        }
        EXPECT_NE(buffers[0], buffers[1]) << "consecutive frames differ";
        auto times = preview.Times();
        for (size_t i = 1; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]);
    }
}

TEST(VcamStreaming, StillButtonDeliversOneStillPerPress) {
    ScopedCamera cam(L"Vcam Still", L"--formats \"MJPG 1280x720,YUY2 640x480\"");
    ASSERT_TRUE(cam.ok());
    for (const StreamFormat& fmt : {StreamFormat{true, 1280, 720}, StreamFormat{false, 640, 480}}) {
        FrameCollector preview, still;
        TestGraph graph;
        ASSERT_TRUE(graph.Build(cam.name(), &fmt, &preview, &still));
        ASSERT_TRUE(graph.HasStillBranch());
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(WaitUntil([&] { return preview.Count() >= 2; }, 20000));
        EXPECT_EQ(still.Count(), 0u);
        for (size_t press = 1; press <= 3; ++press) {
            ASSERT_EQ(RunVcamctl(L"still \"" + cam.name() + L"\""), 0);
            ASSERT_TRUE(WaitUntil([&] { return still.Count() >= press; }, 20000));
        }
        PumpFor(500);
        EXPECT_EQ(still.Count(), 3u);
        // The still comes in the preview's format.
        for (const auto& b : still.Buffers()) {
            if (fmt.mjpg) {
                int w = 0, h = 0, ss = 0;
                ASSERT_TRUE(JpegSize(b.data(), static_cast<long>(b.size()), &w, &h, &ss));
                EXPECT_EQ(w, fmt.width);
                EXPECT_EQ(h, fmt.height);
            } else {
                EXPECT_EQ(b.size(), static_cast<size_t>(fmt.width * fmt.height * 2));
            }
        }
    }
}

TEST(VcamStreaming, ZoomButtonSendsTheSignalFrameOnTheCapturePin) {
    ScopedCamera cam(L"Vcam Zoom", L"--formats \"MJPG 1920x1080,YUY2 640x480\"");
    ASSERT_TRUE(cam.ok());
    for (const StreamFormat& fmt : {StreamFormat{true, 1920, 1080}, StreamFormat{false, 640, 480}}) {
        FrameCollector preview;
        TestGraph graph;
        ASSERT_TRUE(graph.Build(cam.name(), &fmt, &preview, nullptr));
        ASSERT_TRUE(SUCCEEDED(graph.Run()));
        ASSERT_TRUE(WaitUntil([&] { return preview.Count() >= 2; }, 20000));
        // Ordinary frames, even the 640 x 480 YUY2 ones of exactly that length, are not signals.
        for (const auto& b : preview.Buffers()) EXPECT_FALSE(IsSignalFrame(b.data(), b.size()));
        ASSERT_EQ(preview.SignalFrames(), 0u);
        ASSERT_EQ(RunVcamctl(L"zoom \"" + cam.name() + L"\""), 0);
        ASSERT_TRUE(WaitUntil([&] { return preview.SignalFrames() == 1; }, 20000));
        ASSERT_TRUE(WaitUntil([&] {
            auto b = preview.Buffers();
            return !IsSignalFrame(b.back().data(), b.back().size());
        }, 20000));
        EXPECT_EQ(preview.SignalFrames(), 1u) << "one signal frame per press, then the picture again";
    }
}

TEST(VcamStreaming, SetFormatWhileConnectedAndStoppedReconnects) {
    ScopedCamera cam(L"Vcam Reformat", L"--formats \"YUY2 640x480,MJPG 1280x720\"");
    ASSERT_TRUE(cam.ok());
    FrameCollector preview, still;
    TestGraph graph;
    StreamFormat yuy2{false, 640, 480};
    ASSERT_TRUE(graph.Build(cam.name(), &yuy2, &preview, &still));
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(WaitUntil([&] { return preview.Count() >= 2; }, 20000));
    EXPECT_EQ(SetCameraFormat(graph.Camera(), {true, 1280, 720}), VFW_E_NOT_STOPPED) << "not while running";
    graph.Stop();
    ASSERT_EQ(SetCameraFormat(graph.Camera(), {true, 1280, 720}), S_OK);
    ComPtr<IPin> out;
    *out.Put() = OutputPin(graph.Camera(), 0);
    AM_MEDIA_TYPE mt;
    ASSERT_EQ(out->ConnectionMediaType(&mt), S_OK);
    EXPECT_TRUE(IsEqualGUID(mt.subtype, MEDIASUBTYPE_MJPG));
    CoTaskMemFree(mt.pbFormat);
    preview.Clear();
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(WaitUntil([&] { return preview.Count() >= 2; }, 20000));
    // The still branch was reconnected with the new format too.
    ASSERT_EQ(RunVcamctl(L"still \"" + cam.name() + L"\""), 0);
    ASSERT_TRUE(WaitUntil([&] { return still.Count() >= 1; }, 20000));
    graph.Stop();
    for (const auto& b : {preview.Buffers().back(), still.Buffers().back()}) {
        int w = 0, h = 0, ss = 0;
        ASSERT_TRUE(JpegSize(b.data(), static_cast<long>(b.size()), &w, &h, &ss));
        EXPECT_EQ(w, 1280);
        EXPECT_EQ(h, 720);
    }
}

TEST(VcamStreaming, NothingArrivesWhilePausedOrStopped) {
    ScopedCamera cam(L"Vcam Pause", L"--formats \"YUY2 640x480\"");
    ASSERT_TRUE(cam.ok());
    FrameCollector preview;
    TestGraph graph;
    ASSERT_TRUE(graph.Build(cam.name(), nullptr, &preview, nullptr));
    ASSERT_TRUE(SUCCEEDED(graph.Pause()));
    PumpFor(400);
    EXPECT_EQ(preview.Count(), 0u);
    FILTER_STATE st;
    EXPECT_EQ(graph.Camera()->GetState(0, &st), VFW_S_CANT_CUE);
    EXPECT_EQ(st, State_Paused);
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(WaitUntil([&] { return preview.Count() >= 3; }, 20000));
    ASSERT_TRUE(SUCCEEDED(graph.Pause()));
    size_t n = preview.Count();
    PumpFor(400);
    EXPECT_EQ(preview.Count(), n);
    ASSERT_TRUE(SUCCEEDED(graph.Run()));
    ASSERT_TRUE(WaitUntil([&] { return preview.Count() >= n + 3; }, 20000));
    graph.Stop();
    n = preview.Count();
    PumpFor(400);
    EXPECT_EQ(preview.Count(), n);
}

TEST(VcamStress, HundredRunStopCyclesWithoutLeaks) {
    ScopedCamera cam(L"Vcam RunStop", L"--formats \"MJPG 1280x720,YUY2 640x480\"");
    ASSERT_TRUE(cam.ok());
    FrameCollector preview, still;
    TestGraph graph;
    ASSERT_TRUE(graph.Build(cam.name(), nullptr, &preview, &still));
    DWORD handles = 0, threads = 0;
    for (int i = 0; i < 100; ++i) {
        if (i == 5) {  // after the first cycles have created what lives for the whole graph
            handles = HandleCount();
            threads = ThreadCount();
        }
        size_t before = preview.Count();
        ASSERT_TRUE(SUCCEEDED(graph.Run())) << i;
        // Every other cycle stops while frames flow, the others stop right away (possibly while
        // the streaming thread waits for a buffer).
        if (i % 2 == 0) {
            ASSERT_TRUE(WaitUntil([&] { return preview.Count() > before; }, 20000)) << i;
        }
        ASSERT_TRUE(SUCCEEDED(graph.Stop())) << i;
    }
    EXPECT_LE(HandleCount(), handles + 2);
    EXPECT_LE(ThreadCount(), threads);
}

TEST(VcamStress, HundredBindReleaseCyclesWithoutLeaks) {
    ScopedCamera cam(L"Vcam Bind", L"--formats \"YUY2 320x240,MJPG 640x480\"");
    ASSERT_TRUE(cam.ok());
    DWORD handles = 0, threads = 0;
    for (int i = 0; i < 100; ++i) {
        if (i == 5) {
            handles = HandleCount();
            threads = ThreadCount();
        }
        FrameCollector preview, still;
        TestGraph graph;
        ComPtr<IBaseFilter> camera;
        *camera.Put() = BindCamera(cam.name());
        ASSERT_TRUE(camera) << i;
        ASSERT_TRUE(graph.Build(camera.Get(), nullptr, &preview, &still)) << i;
        ASSERT_TRUE(SUCCEEDED(graph.Run())) << i;
        if (i % 4 == 0) {
            ASSERT_TRUE(WaitUntil([&] { return preview.Count() > 0; }, 20000)) << i;
        }
        // Released while running: the graph stops the camera on the way out.
        camera.Reset();
        if (i % 2) {
            ComPtr<IMediaControl> ctl;
            graph.Graph()->QueryInterface(IID_IMediaControl, ctl.PutVoid());
            ctl->Stop();
        }
        graph.Close();
    }
    EXPECT_LE(HandleCount(), handles + 2);
    EXPECT_LE(ThreadCount(), threads);
}
