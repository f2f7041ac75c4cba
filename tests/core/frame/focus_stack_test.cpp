// Focus stacking on synthetic stacks: two planes each sharp in one frame fuse to both sharp
// (also when the field moved between the frames), the choice keeps no lone points, a frame that
// does not match is left out, quiet frames are counted, the memory stays within three frames,
// and the fast row arithmetic equals the baseline.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "frame/focus_stack.h"
#include "frame/stack_kernels.h"
#include "frame/stack_scenes.h"

namespace {

constexpr int kW = 192, kH = 128;
constexpr double kBlur = 2.5;

// Mean |a - b| over the columns x0..x1 of the rows 12..height-12.
double MeanError(const uint8_t* a, const std::vector<uint8_t>& b, int x0, int x1) {
    double sum = 0;
    long n = 0;
    for (int y = 12; y < kH - 12; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c, ++n) sum += std::abs(int(a[(y * kW + x) * 3 + c]) - int(b[(y * kW + x) * 3 + c]));
    return sum / double(n);
}

// The scene's left half at one depth, its right half at another: in focus, sigma 0; otherwise
// kBlur.
std::vector<uint8_t> FocusedOn(const SineTexture& t, bool left, const FieldWarp& warp = {}) {
    const double middle = (kW - 1) / 2.0;
    return RenderScene(t, kW, kH, warp, [&](double x, double) { return (x < middle) == left ? 0.0 : kBlur; });
}

struct TwoPlanes {
    bool leftFirst;
    FieldWarp second;  // the field of the second frame
};

class FocusStackPlanes : public ::testing::TestWithParam<TwoPlanes> {};

TEST_P(FocusStackPlanes, FuseToBothSharp) {
    const TwoPlanes p = GetParam();
    const SineTexture texture(11);
    const std::vector<uint8_t> first = FocusedOn(texture, p.leftFirst);
    const std::vector<uint8_t> second = FocusedOn(texture, !p.leftFirst, p.second);
    const std::vector<uint8_t> truth = RenderScene(texture, kW, kH);

    FocusStack stack;
    ASSERT_TRUE(stack.Start(kW, kH));
    EXPECT_TRUE(stack.Add(first.data()).fused);
    const StackStep step = stack.Add(second.data());
    ASSERT_TRUE(step.fused);
    EXPECT_NEAR(step.warp.dx, p.second.dx, 0.15);
    EXPECT_NEAR(step.warp.dy, p.second.dy, 0.15);
    EXPECT_NEAR(step.improved, 0.5, 0.15);
    stack.Finish();

    // Each input is far off in its blurred half; the fusion is close in both (away from the
    // edge between the planes and the picture's edges).
    const int left0 = 12, left1 = kW / 2 - 8, right0 = kW / 2 + 8, right1 = kW - 12;
    const uint8_t* leftSharp = p.leftFirst ? first.data() : second.data();
    EXPECT_GT(MeanError(leftSharp, truth, right0, right1), 6.0);
    EXPECT_LT(MeanError(stack.Fused(), truth, left0, left1), 1.5);
    EXPECT_LT(MeanError(stack.Fused(), truth, right0, right1), 1.5);

    // The choice: the left half from the frame focused on it, the right from the other.
    const std::vector<uint16_t>& choices = stack.Choices();
    const int gw = stack.GridWidth();
    const uint16_t leftFrame = p.leftFirst ? 0 : 1;
    int wrong = 0;
    for (int j = 6; j < stack.GridHeight() - 6; ++j)
        for (int i = 6; i < gw - 6; ++i) {
            if (std::abs(i - gw / 2) < 4) continue;
            wrong += choices[size_t(j) * gw + i] != (i < gw / 2 ? leftFrame : 1 - leftFrame);
        }
    EXPECT_EQ(wrong, 0);
    std::vector<uint8_t> depth(size_t(kW) * kH * 3);
    stack.RenderDepthMap(depth.data());
    const uint8_t* l = &depth[(kH / 2 * kW + 20) * 3];
    const uint8_t* r = &depth[(kH / 2 * kW + kW - 20) * 3];
    // The first frame's points deep blue, the last one's red.
    const uint8_t* firstColour = p.leftFirst ? l : r;
    const uint8_t* lastColour = p.leftFirst ? r : l;
    EXPECT_GT(firstColour[0], firstColour[2]);
    EXPECT_GT(lastColour[2], lastColour[0]);
}

INSTANTIATE_TEST_SUITE_P(Frames, FocusStackPlanes,
                         ::testing::Values(TwoPlanes{true, {}}, TwoPlanes{false, {}},
                                           TwoPlanes{true, {1.0, 2.6, -1.4}}, TwoPlanes{false, {1.004, -3.3, 1.2}}));

// Frames equally sharp everywhere, told apart only by their noise: the choice follows the noise,
// and the smoothing must leave no point that shares its frame with none of its neighbours.
TEST(FocusStack, SmoothingLeavesNoLoneChoices) {
    const SineTexture texture(5);
    const std::vector<uint8_t> clean = RenderScene(texture, kW, kH, {}, 0.8);
    FocusStack stack;
    ASSERT_TRUE(stack.Start(kW, kH));
    std::mt19937 rng(3);
    auto lone = [&](bool latestOnly) {
        const std::vector<uint16_t>& c = stack.Choices();
        const int gw = stack.GridWidth(), gh = stack.GridHeight();
        int count = 0;
        for (int j = 1; j < gh - 1; ++j)
            for (int i = 1; i < gw - 1; ++i) {
                const uint16_t here = c[size_t(j) * gw + i];
                if (latestOnly && here != stack.Frames() - 1) continue;
                bool shared = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        shared = shared || ((dx || dy) && c[size_t(j + dy) * gw + i + dx] == here);
                count += !shared;
            }
        return count;
    };
    for (int k = 0; k < 6; ++k) {
        std::vector<uint8_t> noisy = clean;
        for (uint8_t& v : noisy) v = uint8_t(std::min(255, std::max(0, int(v) + int(rng() % 21) - 10)));
        const StackStep step = stack.Add(noisy.data());
        ASSERT_TRUE(step.fused);
        if (k > 0) {
            EXPECT_GT(step.improved, 0.005) << "the noise should win some points";
            EXPECT_EQ(lone(true), 0) << "frame " << k;
        }
    }
    stack.Finish();
    EXPECT_EQ(lone(false), 0);
}

TEST(FocusStack, LeavesOutWhatDoesNotMatchAndCountsQuietFrames) {
    const SineTexture texture(9), other(10);
    const std::vector<uint8_t> a = FocusedOn(texture, true), b = FocusedOn(texture, false);
    FocusStack stack;
    ASSERT_TRUE(stack.Start(kW, kH));
    stack.Add(a.data());
    const std::vector<uint8_t> before(stack.Fused(), stack.Fused() + a.size());
    const std::vector<uint8_t> stranger = RenderScene(other, kW, kH);
    EXPECT_FALSE(stack.Add(stranger.data()).fused);
    EXPECT_EQ(stack.Frames(), 1);
    EXPECT_EQ(std::vector<uint8_t>(stack.Fused(), stack.Fused() + a.size()), before);
    EXPECT_TRUE(stack.Add(b.data()).fused);
    EXPECT_EQ(stack.QuietFrames(), 0);
    stack.Add(b.data());
    stack.Add(a.data());
    EXPECT_EQ(stack.QuietFrames(), 2);  // nothing sharper in either
    stack.Clear();
    EXPECT_FALSE(stack.Started());
}

TEST(FocusStack, MemoryStaysWithinThreeFrames) {
    FocusStack stack;
    EXPECT_FALSE(stack.Start(8, 8));
    EXPECT_FALSE(stack.Start(10000, 100));
    ASSERT_TRUE(stack.Start(1920, 1080));
    EXPECT_LE(stack.MemoryBytes(), size_t(3) * 1920 * 1080 * 3);
    ASSERT_TRUE(stack.Start(640, 480));
    EXPECT_LE(stack.MemoryBytes(), size_t(3) * 640 * 480 * 3 + 600 * 1024);  // the FFT's share grows
}

TEST(StackKernels, FastFormEqualsBaseline) {
    const StackKernels& fast = GetStackKernels();
    const StackKernels& base = BaselineStackKernels();
    if (&fast == &base) GTEST_SKIP() << "no faster form on this processor";
    std::mt19937 rng(1);
    const int w = 203;  // odd, and not a multiple of any vector width
    std::vector<uint8_t> a(size_t(w + 40) * 3), b(a.size()), alpha(a.size());
    for (size_t i = 0; i < a.size(); ++i) a[i] = uint8_t(rng()), b[i] = uint8_t(rng()), alpha[i] = uint8_t(rng() % 17);
    std::vector<uint16_t> u1(w), u2(w);
    fast.reduce(a.data(), b.data(), w / 2, u1.data());
    base.reduce(a.data(), b.data(), w / 2, u2.data());
    EXPECT_EQ(u1, u2);
    std::vector<int16_t> l[4], s1(size_t(2) * w), s2(size_t(2) * w), f(w), g(w);
    for (int r = 0; r < 4; ++r) {
        l[r].resize(w);
        fast.luma(r % 2 ? a.data() : b.data(), w, f.data());
        base.luma(r % 2 ? a.data() : b.data(), w, g.data());
        EXPECT_EQ(f, g);
        for (int x = 0; x < w; ++x) l[r][size_t(x)] = int16_t(rng() % 1021);
    }
    const int16_t* rows[4] = {l[0].data(), l[1].data(), l[2].data(), l[3].data()};
    fast.measurePair(rows, w, s1.data(), s1.data() + w, u1.data());
    base.measurePair(rows, w, s2.data(), s2.data() + w, u2.data());
    EXPECT_EQ(std::vector<uint16_t>(u1.begin(), u1.begin() + w / 2), std::vector<uint16_t>(u2.begin(), u2.begin() + w / 2));
    std::vector<int32_t> sums1(w, 7), sums2(w, 7);
    fast.slide(sums1.data(), u1.data(), u2.data(), w / 2);
    base.slide(sums2.data(), u1.data(), u2.data(), w / 2);
    EXPECT_EQ(sums1, sums2);
    std::vector<uint8_t> d1 = a, d2 = a;
    fast.blend(d1.data(), b.data(), alpha.data(), w * 3);
    base.blend(d2.data(), b.data(), alpha.data(), w * 3);
    EXPECT_EQ(d1, d2);
    const AcrossRun runs[2] = {{0, 30, 0, {0.1f, -0.2f, 0.6f, 0.6f, -0.2f, 0.1f}}, {30, 300, 33, {0, 0, 1, 0, 0, 0}}};
    std::vector<float> wide1(a.size()), wide2(a.size()), x1(330), x2(330);
    fast.widen(a.data(), int(a.size()), wide1.data());
    base.widen(a.data(), int(a.size()), wide2.data());
    EXPECT_EQ(wide1, wide2);
    EXPECT_EQ(wide1[5], float(a[5]));
    fast.across(wide1.data(), runs, 2, x1.data());
    base.across(wide1.data(), runs, 2, x2.data());
    for (size_t i = 0; i < x1.size(); ++i) ASSERT_NEAR(x1[i], x2[i], 1e-3) << i;
    const float* down[6] = {x1.data(), x2.data(), x1.data(), x2.data(), x1.data(), x2.data()};
    const float wt[6] = {0.05f, -0.1f, 0.55f, 0.55f, -0.1f, 0.05f};
    std::vector<uint8_t> o1(330), o2(330);
    fast.down(down, wt, 330, o1.data());
    base.down(down, wt, 330, o2.data());
    for (size_t i = 0; i < o1.size(); ++i) ASSERT_LE(std::abs(int(o1[i]) - int(o2[i])), 1) << i;
}

}  // namespace
