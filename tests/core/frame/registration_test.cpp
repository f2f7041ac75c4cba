// Registration: phase correlation finds a known shift to a fraction of a pixel (and says when
// nothing matches), and the field aligner brings shift and scale to a tenth of a pixel at the
// picture's edge.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "frame/field_alignment.h"
#include "frame/phase_correlation.h"
#include "frame/stack_scenes.h"

namespace {

constexpr int kW = 160, kH = 120;

struct Known {
    double scale, dx, dy;
    double blur;  // of the moved picture
};

class Registration : public ::testing::TestWithParam<Known> {};

TEST_P(Registration, FindsTheShiftAndScale) {
    const Known k = GetParam();
    const SineTexture texture(7);
    const std::vector<float> reference = Brightness(RenderScene(texture, kW, kH));
    const std::vector<float> moved = Brightness(RenderScene(texture, kW, kH, {k.scale, k.dx, k.dy}, k.blur));

    PhaseCorrelator correlator;
    ASSERT_TRUE(correlator.Init(kW, kH));
    correlator.SetReference(reference.data(), kW);
    const PhaseShift shift = correlator.Match(moved.data(), kW);
    EXPECT_GT(shift.clarity, 8.0f);
    if (k.scale == 1.0) {
        EXPECT_NEAR(shift.dx, k.dx, 0.25);
        EXPECT_NEAR(shift.dy, k.dy, 0.25);
    }

    FieldAligner aligner;
    ASSERT_TRUE(aligner.SetReference(Plane<float>{reference.data(), kW, kH, kW}, 4000));
    const FieldAlignment fine =
        aligner.Refine(Plane<float>{moved.data(), kW, kH, kW}, {1.0, shift.dx, shift.dy}, true);
    EXPECT_TRUE(fine.converged);
    // Where the corners of the picture land, to a tenth of a pixel.
    for (double x : {0.0, kW - 1.0})
        for (double y : {0.0, kH - 1.0}) {
            const double cx = (kW - 1) / 2.0, cy = (kH - 1) / 2.0;
            EXPECT_NEAR(cx + fine.warp.scale * (x - cx) + fine.warp.dx, cx + k.scale * (x - cx) + k.dx, 0.1);
            EXPECT_NEAR(cy + fine.warp.scale * (y - cy) + fine.warp.dy, cy + k.scale * (y - cy) + k.dy, 0.1);
        }
}

INSTANTIATE_TEST_SUITE_P(Shifts, Registration,
                         ::testing::Values(Known{1.0, 0.3, -0.7, 0}, Known{1.0, 5.25, 2.5, 0},
                                           Known{1.0, -12.6, 7.1, 0}, Known{1.0, 2.4, -3.3, 1.5},
                                           Known{1.006, 1.7, -0.6, 0}, Known{0.995, -3.2, 4.4, 0.8}));

TEST(PhaseCorrelation, NothingInCommonGivesALowPeak) {
    const std::vector<float> a = Brightness(RenderScene(SineTexture(1), kW, kH));
    const std::vector<float> b = Brightness(RenderScene(SineTexture(2), kW, kH));
    PhaseCorrelator correlator;
    ASSERT_TRUE(correlator.Init(kW, kH));
    correlator.SetReference(a.data(), kW);
    const PhaseShift none = correlator.Match(b.data(), kW), same = correlator.Match(a.data(), kW);
    EXPECT_LT(none.clarity, 8.0f);
    EXPECT_GT(same.peak, 0.95f);
    EXPECT_GT(same.clarity, 30.0f);
}

TEST(PhaseCorrelation, SizesAndFriendlySizes) {
    PhaseCorrelator correlator;
    EXPECT_FALSE(correlator.Init(7, 64));
    EXPECT_FALSE(correlator.Init(64, 63));
    EXPECT_TRUE(correlator.Init(64, 48));
    EXPECT_EQ(FftFriendlySize(270), 270);  // 2 * 3^3 * 5
    EXPECT_EQ(FftFriendlySize(256), 256);
    EXPECT_EQ(FftFriendlySize(254), 250);  // 254 = 2 * 127
    EXPECT_EQ(FftFriendlySize(9), 8);
}

}  // namespace
