// The virtual microscope's depth specimen and focus knob, which the focus-stack tests and the
// bench measure against: each point is sharpest in the picture focused at its height, the
// truth is the in-focus picture without noise, the field moves with the focus as the camera
// says, and the knob holds, sweeps and turns back as commanded.
#include "testcam/depth_specimen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kW = 640, kH = 360;  // blur grows with the picture's height: enough of it to see

// Laplacian energy of the brightness in a 9 x 9 window around (x, y).
double Detail(const std::vector<uint8_t>& bgr, int x, int y) {
    auto l = [&](int px, int py) {
        const uint8_t* p = &bgr[(size_t(py) * kW + px) * 3];
        return double(p[0] + 2 * p[1] + p[2]);
    };
    double sum = 0;
    for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx) {
            const int px = x + dx, py = y + dy;
            const double v = 4 * l(px, py) - l(px - 1, py) - l(px + 1, py) - l(px, py - 1) - l(px, py + 1);
            sum += v * v;
        }
    return sum;
}

TEST(DepthSpecimen, EachPointIsSharpestWhereItIsInFocus) {
    const DepthSpecimen specimen(kW, kH);
    // The top of the dome, a step of the staircase, the slide's low corner.
    const int points[3][2] = {{kW * 3 / 10, kH / 2}, {kW * 7 / 10, kH / 2}, {12, 12}};
    for (const auto& p : points) {
        const double height = specimen.HeightAt(p[0], p[1]);
        std::vector<uint8_t> picture(size_t(kW) * kH * 3);
        auto detailAt = [&](double z) {
            specimen.RenderSteady(z, 0, picture.data());
            return Detail(picture, p[0], p[1]);
        };
        const double inFocus = detailAt(height);
        for (int k = 0; k <= 20; ++k) EXPECT_LE(detailAt(k / 20.0), inFocus * 1.001) << p[0] << "," << p[1];
        const double away = height > 0.5 ? height - 0.35 : height + 0.35;
        EXPECT_GT(inFocus, 2 * detailAt(away)) << p[0] << "," << p[1];
    }
    // In focus everywhere and without noise, the steady picture at a point's height is the truth
    // there.
    std::vector<uint8_t> truth(size_t(kW) * kH * 3), focused(truth.size());
    specimen.RenderTruth(0, truth.data());
    specimen.RenderSteady(specimen.HeightAt(kW / 2, 8), 0, focused.data());
    const size_t at = (size_t(8) * kW + kW / 2) * 3;
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(focused[at + c], truth[at + c], 1);
    // The staircase's first step up lies at 0.6 + 0.35 / 4 of the width.
    EXPECT_TRUE(specimen.OnStepEdge(440, kH / 2));
    EXPECT_TRUE(specimen.OnStepEdge(439, kH / 2));
    EXPECT_FALSE(specimen.OnStepEdge(420, kH / 2));
    EXPECT_FALSE(specimen.OnStepEdge(kW / 2, 8));
}

TEST(DepthSpecimen, TheFieldMovesAsItSays) {
    const DepthSpecimen specimen(kW, kH);
    const DepthSpecimen::Field f = specimen.FieldAt(1.0);
    EXPECT_GT(f.scale, 1.0);
    // A point of the truth at focus 0 shows at centre + scale * (p - centre) + shift at focus 1.
    std::vector<uint8_t> at0(size_t(kW) * kH * 3), at1(at0.size());
    specimen.RenderTruth(0, at0.data());
    specimen.RenderTruth(1, at1.data());
    const double cx = (kW - 1) / 2.0, cy = (kH - 1) / 2.0;
    auto green = [&](const std::vector<uint8_t>& p, double x, double y) {  // bilinear
        const int ix = int(x), iy = int(y);
        const double fx = x - ix, fy = y - iy;
        auto g = [&](int px, int py) { return double(p[(size_t(py) * kW + px) * 3 + 1]); };
        return (g(ix, iy) * (1 - fx) + g(ix + 1, iy) * fx) * (1 - fy) + (g(ix, iy + 1) * (1 - fx) + g(ix + 1, iy + 1) * fx) * fy;
    };
    double moved = 0, unmoved = 0;
    for (int y = 20; y < kH - 20; y += 5)
        for (int x = 20; x < kW - 20; x += 5) {
            const double g0 = at0[(size_t(y) * kW + x) * 3 + 1];
            moved += std::fabs(g0 - green(at1, cx + f.scale * (x - cx) + f.shiftX, cy + f.scale * (y - cy) + f.shiftY));
            unmoved += std::fabs(g0 - green(at1, x, y));
        }
    EXPECT_LT(moved, unmoved / 3);
}

TEST(FocusDrive, HoldsSweepsAndTurnsBack) {
    FocusDrive drive;
    FocusCommand hold{1, 0.25, 0};
    EXPECT_DOUBLE_EQ(drive.Step(hold, 10), 0.25);
    EXPECT_DOUBLE_EQ(drive.Step(hold, 10), 0.25);  // held frame after frame
    const FocusCommand sweep{2, 0.9, 1.0};         // a pass in 1 s at 10 frames a second
    EXPECT_NEAR(drive.Step(sweep, 10), 0.35, 1e-9);  // from where it was, not from 0.9
    double z = 0;
    for (int i = 0; i < 7; ++i) z = drive.Step(sweep, 10);
    EXPECT_DOUBLE_EQ(z, 1.0);
    EXPECT_NEAR(drive.Step(sweep, 10), 0.9, 1e-9);  // back down from the top
    EXPECT_DOUBLE_EQ(drive.Step(FocusCommand{3, 0.6, 0}, 10), 0.6);
    EXPECT_DOUBLE_EQ(drive.Step(FocusCommand{4, 1.7, 0}, 10), 1.0);  // clamped
}

}  // namespace
