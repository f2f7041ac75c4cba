// The live mosaic: frames at known shifts and along a known path land where they belong (to a
// fraction of a pixel) and the mosaic shows the slide; flat frames and frames of unseen parts are
// never placed, and the field is found again after it was lost; the seam takes each block from the
// frame it was most central in; the memory budget holds; the shading is learnt; tiles at any place;
// the window's viewport and drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "frame/live_mosaic.h"
#include "frame/stack_scenes.h"
#include "testcam/slide.h"
#include "view/mosaic_view.h"

namespace {

constexpr int kW = 320, kH = 240;

struct SubPixel {
    double dx, dy;
};
class MosaicShift : public ::testing::TestWithParam<SubPixel> {};

// A second frame of an exactly rendered texture, moved by a known amount.
TEST_P(MosaicShift, SecondFrameLandsAtTheKnownShift) {
    const SubPixel s = GetParam();
    const SineTexture texture(11);
    const std::vector<uint8_t> a = RenderScene(texture, kW, kH), b = RenderScene(texture, kW, kH, {1.0, s.dx, s.dy});
    LiveMosaic mosaic;
    ASSERT_TRUE(mosaic.Start(kW, kH));
    ASSERT_TRUE(mosaic.Add(a.data(), kW * 3, 0).placed);
    const MosaicStep step = mosaic.Add(b.data(), kW * 3, 1);
    ASSERT_TRUE(step.placed);
    EXPECT_NEAR(step.x, -s.dx, 0.1);
    EXPECT_NEAR(step.y, -s.dy, 0.1);
}

INSTANTIATE_TEST_SUITE_P(Shifts, MosaicShift,
                         ::testing::Values(SubPixel{0.4, -0.3}, SubPixel{17.25, 3.5}, SubPixel{-41.7, 22.2},
                                           SubPixel{60.5, -45.75}, SubPixel{-3.1, -70.6}));

// The slide, its truth and a mosaic fed from it: shared by the tests below.
struct SlideRun {
    SlideScene slide{2600, 2000, 3};
    LiveMosaic mosaic{size_t(64) << 20};
    std::vector<uint8_t> frame = std::vector<uint8_t>(size_t(kW) * kH * 3);
    uint32_t sequence = 0;
    double ox = 0, oy = 0;  // slide point of mosaic point (0, 0)
    SlideRun() { mosaic.Start(kW, kH); }
    MosaicStep Feed(double x, double y, bool flat = false) {
        slide.Field(int(x), int(y), kW, kH, sequence, {}, frame.data());
        if (flat) {
            for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(200 + (std::rand() % 5));
        }
        const MosaicStep s = mosaic.Add(frame.data(), kW * 3, sequence++);
        if (s.placed && mosaic.Placed() == 1) ox = x - s.x, oy = y - s.y;
        return s;
    }
    double Error(const MosaicStep& s, double x, double y) const { return std::hypot(s.x + ox - x, s.y + oy - y); }
};

// A serpentine that first goes up and left of where it starts: every frame placed within half a
// pixel, and the mosaic matching the true slide.
TEST(MosaicPath, SerpentineIsPlacedAndMatchesTheSlide) {
    SlideRun run;
    std::vector<SlidePoint> path = WalkPath({{900, 800}, {700, 600}}, 40);
    for (const SlidePoint& p : SerpentinePath(700, 600, 3, 700, kH, 0.2, 35)) path.push_back(p);
    double squares = 0;
    for (const SlidePoint& p : path) {
        const MosaicStep s = run.Feed(p.x, p.y);
        ASSERT_TRUE(s.placed) << p.x << ", " << p.y;
        const double e = run.Error(s, p.x, p.y);
        EXPECT_LT(e, 0.5);
        squares += e * e;
    }
    EXPECT_LT(std::sqrt(squares / path.size()), 0.2);
    const MosaicRect b = run.mosaic.Canvas().Bounds();
    EXPECT_LT(b.x0, 0);  // the start's up-left part came first
    std::vector<uint8_t> ours(size_t(b.Width()) * b.Height() * 3), truth(ours.size());
    run.mosaic.Canvas().ReadBgr(0, b.x0, b.y0, b.Width(), b.Height(), ours.data(), size_t(b.Width()) * 3);
    run.slide.Crop(int(std::lround(b.x0 + run.ox)), int(std::lround(b.y0 + run.oy)), b.Width(), b.Height(), truth.data());
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < ours.size(); i += 3)
        if (ours[i] | ours[i + 1] | ours[i + 2]) {
            for (int c = 0; c < 3; ++c) sum += std::abs(ours[i + c] - truth[i + c]);
            n += 3;
        }
    EXPECT_GT(n, ours.size() * 3 / 4);
    EXPECT_LT(sum / n, 3.0);
}

// The confidence rule: flat frames are refused and the field counts as lost; frames of parts of
// the slide the mosaic never saw are refused; a frame of a mapped part far from where the field
// was lost is found again by searching the mosaic.
TEST(MosaicConfidence, RefusesWhatItCannotPlaceAndFindsTheFieldAgain) {
    SlideRun run;
    for (const SlidePoint& p : SerpentinePath(300, 300, 3, 900, kH, 0.25, 30)) ASSERT_TRUE(run.Feed(p.x, p.y).placed);
    for (int k = 0; k < 10; ++k) {
        const MosaicStep s = run.Feed(600 + 20 * k, 400, true);
        EXPECT_FALSE(s.placed);
        EXPECT_EQ(s.state, MosaicState::Lost);
    }
    for (const SlidePoint& unseen : {SlidePoint{1900, 1500}, SlidePoint{200, 1400}, SlidePoint{2100, 300}})
        EXPECT_FALSE(run.Feed(unseen.x, unseen.y).placed) << unseen.x << ", " << unseen.y;
    const MosaicStep found = run.Feed(520, 330);  // far from where the field was lost
    ASSERT_TRUE(found.placed);
    EXPECT_TRUE(found.fix.searched);
    EXPECT_LT(run.Error(found, 520, 330), 0.5);
    EXPECT_EQ(run.mosaic.State(), MosaicState::Tracking);
}

// A field lost at one end of a long mosaic is found at the other end, beyond the windows one
// frame's search tries: the search goes on from where the last one stopped.
TEST(MosaicConfidence, SearchGoesOnAcrossFrames) {
    SlideRun run;
    for (const SlidePoint& p : WalkPath({{100, 300}, {2200, 300}}, 60)) ASSERT_TRUE(run.Feed(p.x, p.y).placed);
    int frames = 0;
    MosaicStep found;
    while (frames < 8 && !found.placed) {
        found = run.Feed(130, 300);
        ++frames;
    }
    ASSERT_TRUE(found.placed);
    EXPECT_GT(frames, 1);  // not within the first frame's windows
    EXPECT_LT(run.Error(found, 130, 300), 0.5);
}

// Each block keeps the frame it lay most centrally in, with a mixed band between.
TEST(MosaicSeam, BlocksComeFromTheMoreCentralFrame) {
    MosaicCanvas canvas;
    BlendScratch scratch;
    const std::vector<uint8_t> dark(size_t(kW) * kH * 3, 60), light(size_t(kW) * kH * 3, 200);
    ASSERT_TRUE(canvas.Reserve({0, 0, kW + 160, kH}));
    BlendFrame(&canvas, dark.data(), kW, kH, kW * 3, 0, 0, &scratch);
    BlendFrame(&canvas, light.data(), kW, kH, kW * 3, 160, 0, &scratch);
    struct Point {
        int x;
        int low, high;  // the value expected there
    } points[] = {{40, 60, 60}, {200, 60, 60}, {238, 61, 199}, {280, 200, 200}, {400, 200, 200}};
    for (const Point& p : points) {
        uint8_t px[3];
        canvas.ReadBgr(0, p.x, kH / 2, 1, 1, px, 3);
        EXPECT_GE(px[1], p.low) << p.x;
        EXPECT_LE(px[1], p.high) << p.x;
    }
    EXPECT_EQ(FrameCentrality(kW, kH, (kW - 1) / 2.0, (kH - 1) / 2.0), 255);
    EXPECT_EQ(FrameCentrality(kW, kH, 0, kH / 2.0), 1);
}

// A frame that needs tiles beyond the budget is not placed; the field is still followed.
TEST(MosaicMemory, BudgetStopsGrowthButNotTracking) {
    SlideScene slide(2600, 2000, 3);
    LiveMosaic mosaic(size_t(3) << 19);  // room for the first frame's tiles and a few more
    ASSERT_TRUE(mosaic.Start(kW, kH));
    std::vector<uint8_t> frame(size_t(kW) * kH * 3);
    int full = 0;
    uint32_t n = 0;
    for (const SlidePoint& p : WalkPath({{400, 400}, {1400, 400}}, 30)) {
        slide.Field(int(p.x), int(p.y), kW, kH, n, {}, frame.data());
        const MosaicStep s = mosaic.Add(frame.data(), kW * 3, n++);
        full += s.state == MosaicState::Full;
        if (s.state == MosaicState::Full) {
            EXPECT_FALSE(s.placed);
        }
    }
    EXPECT_GE(full, 3);  // found, not placed
    EXPECT_LE(mosaic.Canvas().MemoryBytes(), size_t(3) << 19);
}

// The shading is learnt from the frames, also while the camera's exposure changes from frame to
// frame (each pair of frames has its own brightness), and none is found where there is none.
struct Shading {
    double vignetting;
    bool flickering;  // every other frame 8 % darker
};
class MosaicShading : public ::testing::TestWithParam<Shading> {};

TEST_P(MosaicShading, LearntFromOverlappingFrames) {
    const Shading shading = GetParam();
    SlideScene slide(2600, 2000, 3);
    LiveMosaic mosaic;
    ASSERT_TRUE(mosaic.Start(kW, kH));
    std::vector<uint8_t> frame(size_t(kW) * kH * 3);
    uint32_t n = 0;
    SlideScene::Camera camera;
    camera.vignetting = shading.vignetting;
    for (const SlidePoint& p : SerpentinePath(500, 500, 2, 600, kH, 0.3, 40)) {
        slide.Field(int(p.x), int(p.y), kW, kH, n, camera, frame.data());
        if (shading.flickering && n % 2)
            for (uint8_t& v : frame) v = uint8_t(v * 0.92);
        mosaic.Add(frame.data(), kW * 3, n++);
    }
    EXPECT_NEAR(mosaic.Shading(), shading.vignetting, 0.02);
}

INSTANTIATE_TEST_SUITE_P(Cameras, MosaicShading,
                         ::testing::Values(Shading{0.08, false}, Shading{0.08, true}, Shading{0.0, true}));

// Tiles: a frame laid at whole-pixel places in every direction from the origin and across tile
// edges reads back exactly, and the quarter-size level holds the means of its blocks; a frame moved
// by half a pixel shows a ramp half a step on; the budget is never passed.
TEST(MosaicTiles, FramesReadBackAtEveryPlace) {
    constexpr int w = 300, h = 200;
    std::vector<uint8_t> ramp(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) ramp[(size_t(y) * w + x) * 3 + c] = uint8_t(10 + (x + 2 * y + 40 * c) % 200);
    for (const SubPixel at : {SubPixel{0, 0}, SubPixel{-300, -10}, SubPixel{250, 500}, SubPixel{-1030, 700}}) {
        MosaicCanvas canvas;
        BlendScratch scratch;
        const MosaicRect r = FrameFootprint(w, h, at.dx, at.dy);
        ASSERT_TRUE(canvas.Reserve(r));
        BlendFrame(&canvas, ramp.data(), w, h, w * 3, at.dx, at.dy, &scratch);
        std::vector<uint8_t> back(ramp.size());
        canvas.ReadBgr(0, r.x0, r.y0, w, h, back.data(), w * 3);
        EXPECT_EQ(back, ramp) << at.dx << ", " << at.dy;
        // A quarter-size sample wholly inside the frame: the mean of its 16 pixels.
        const int qx = FloorDiv(r.x0, 4) + 10, qy = FloorDiv(r.y0, 4) + 10;
        uint8_t q[3];
        canvas.ReadBgr(1, qx, qy, 1, 1, q, 3);
        int sum = 0;
        for (int y = qy * 4; y < qy * 4 + 4; ++y)
            for (int x = qx * 4; x < qx * 4 + 4; ++x) sum += ramp[(size_t(y - r.y0) * w + (x - r.x0)) * 3];
        EXPECT_NEAR(q[0], sum / 16.0, 0.5);
    }
    // Cubic interpolation keeps a straight ramp straight: half a pixel on is half a step on.
    std::vector<uint8_t> moved(ramp.size());
    BlendScratch scratch;
    ShiftFrame(ramp.data(), w, h, w * 3, 0.5, 0.0, moved.data(), &scratch);
    for (int x = 5; x < 80; ++x) EXPECT_NEAR(moved[(size_t(50) * w + x) * 3], 10 + (x + 100) - 0.5, 0.6) << x;
    // The budget: a rectangle that would pass it makes nothing.
    MosaicCanvas small(size_t(1) << 20);
    ASSERT_TRUE(small.Reserve({0, 0, 256, 256}));
    const size_t held = small.MemoryBytes();
    EXPECT_FALSE(small.Reserve({0, 0, 2048, 256}));
    EXPECT_EQ(small.MemoryBytes(), held);
}

// The window follows a growing mosaic without refitting at every frame, and draws the ground
// around it.
TEST(MosaicView, FollowsGrowthAndDraws) {
    const MosaicRect small{0, 0, 400, 300};
    const MosaicViewport fit = FollowGrowth({}, small, 800, 600);
    EXPECT_GT(fit.scale, 1.0);
    EXPECT_EQ(FollowGrowth(fit, {0, 0, 420, 310}, 800, 600).scale, fit.scale);  // still inside
    EXPECT_LT(FollowGrowth(fit, {0, 0, 1400, 300}, 800, 600).scale, fit.scale);
    // The level drawn: the smallest whose samples are no larger than a window pixel.
    for (const auto& [scale, level] : {std::pair{1.0, 0}, {0.3, 0}, {0.25, 1}, {0.07, 1}, {1 / 16.0, 2}, {0.001, 3}})
        EXPECT_EQ(ViewLevel({0, 0, scale}), level) << scale;
    const MosaicViewport zoomed = ZoomViewport(fit, small, 800, 600, 400, 300, 2.0);
    EXPECT_DOUBLE_EQ(zoomed.scale, 2 * fit.scale);
    EXPECT_NEAR(zoomed.x + 400 / zoomed.scale, fit.x + 400 / fit.scale, 1e-9);  // the point under the mouse stays

    MosaicCanvas canvas;
    BlendScratch scratch;
    const std::vector<uint8_t> grey(size_t(kW) * kH * 3, 120);
    ASSERT_TRUE(canvas.Reserve({0, 0, kW, kH}));
    BlendFrame(&canvas, grey.data(), kW, kH, kW * 3, 0, 0, &scratch);
    const uint8_t ground[3] = {1, 2, 3};
    for (double scale : {1.0, 0.2}) {
        std::vector<uint8_t> out(200 * 100 * 3);
        const MosaicViewport v{-20, -10, scale};
        RenderMosaic(canvas, v, out.data(), 600, 200, 100, {0, 0, 200, 100}, ground);
        EXPECT_EQ(out[0], 1);                      // left of and above the mosaic
        EXPECT_EQ(out[(30 * 200 + 40) * 3], 120);  // inside
    }
}

}  // namespace
