// What each shape measures and the crossline's ruler step: the numbers the labels print.
#include <gtest/gtest.h>

#include <cmath>

#include "test_shapes.h"
#include "view/measure_model.h"
#include "view/overlay.h"
#include "view/view_geometry.h"

namespace {

TEST(Measures, AngleIsAlwaysBetweenZeroAnd180) {
    struct Case { ShapePoint p2, p3; float degrees; } cases[] = {
        {{-1000, 176}, {-1000, -176}, 19.965f},  // arms near 170 and -170 degrees: about 20, not 340
        {{100, 0}, {0, 100}, 90.0f},
        {{0, 100}, {100, 0}, 90.0f},
        {{100, 0}, {-100, 0}, 180.0f},
        {{100, 0}, {100, 0}, 0.0f},
        {{-100, 1}, {-100, -1}, 1.14587f},
    };
    for (const Case& c : cases) {
        MeasureShape s = Shape(kToolAngle, {0, 0}, c.p2, c.p3);
        EXPECT_NEAR(AngleDegrees(s), c.degrees, 0.01f) << c.p2.x << "," << c.p2.y;
    }
    // The same arms the other way round, away from the origin.
    MeasureShape s = Shape(kToolAngle, {500, 500}, {500 - 1000, 500 - 176}, {500 - 1000, 500 + 176});
    EXPECT_NEAR(AngleDegrees(s), 19.965f, 0.01f);
}

TEST(Measures, PixelDistanceUsesPlainDifferencesOnAxes) {
    EXPECT_EQ(PixelDistance({10, 10}, {10, 90}), 80.0f);
    EXPECT_EQ(PixelDistance({90, 10}, {10, 10}), 80.0f);
    EXPECT_EQ(PixelDistance({0, 0}, {3, 4}), 5.0f);
    // Far-apart points must not overflow the sum of squares.
    EXPECT_NEAR(PixelDistance({-60000, -60000}, {60000, 60000}), 169705.6f, 1.0f);
}

TEST(Measures, ParallelDistance) {
    // Horizontal and vertical bases (and a base of two equal points) use the coordinate difference.
    EXPECT_FLOAT_EQ(ParallelDistance(Shape(kToolParallel, {10, 50}, {200, 50}, {30, 10}), 2.0f), 20.0f);
    EXPECT_FLOAT_EQ(ParallelDistance(Shape(kToolParallel, {10, 50}, {10, 200}, {70, 10}), 2.0f), 30.0f);
    EXPECT_FLOAT_EQ(ParallelDistance(Shape(kToolParallel, {10, 50}, {10, 50}, {90, 80}), 1.0f), 30.0f);
    // 45-degree base through the origin, point (0, 100): distance 100/sqrt(2), on either side.
    EXPECT_NEAR(ParallelDistance(Shape(kToolParallel, {0, 0}, {100, 100}, {0, 100}), 1.0f), 70.7107f, 1e-3);
    EXPECT_NEAR(ParallelDistance(Shape(kToolParallel, {0, 0}, {100, 100}, {100, 0}), 1.0f), 70.7107f, 1e-3);
}

TEST(Measures, RectangleCircleConcentricAndLine) {
    RectMeasure r = RectangleMeasure(Shape(kToolRectangle, {300, 200}, {100, 50}), 100.0f);
    EXPECT_FLOAT_EQ(r.width, 2.0f);
    EXPECT_FLOAT_EQ(r.height, 1.5f);
    EXPECT_FLOAT_EQ(r.area, 3.0f);

    CircleMeasure c = CircleMeasureOf(Shape(kToolCircle, {0, 0}, {30, 40}), 10.0f);
    EXPECT_FLOAT_EQ(c.radius, 5.0f);
    EXPECT_FLOAT_EQ(c.circumference, 5.0f * 2.0f * 3.14159f);  // pi is 3.14159 here
    EXPECT_FLOAT_EQ(c.area, 25.0f * 3.14159f);                 // the area uses the squared factor

    MeasureShape k = Shape(kToolConcentric, {0, 0}, {0, 20}, {0, 50});
    EXPECT_FLOAT_EQ(ConcentricR1(k, 10.0f), 2.0f);
    EXPECT_FLOAT_EQ(ConcentricR2(k, 10.0f), 5.0f);
    EXPECT_FLOAT_EQ(LineLength(Shape(kToolLine, {0, 0}, {400, 0}), 400.0f), 1.0f);
}

// 1920 x 1080 made from a 640 x 480 camera is 3 x wide and 2.25 x high: 100 camera pixels are
// 300 image pixels across and 225 down, and every measure must read them alike. A uniform
// stretch and an unstretched picture keep measuring in image pixels.
TEST(Measures, StretchedPicturesMeasureInPixelsOfEqualAspect) {
    auto geometry = [](int fw, int fh, int w, int h) {
        ViewGeometry g;
        g.frameW = fw, g.frameH = fh, g.imageW = w, g.imageH = h;
        return g;
    };
    EXPECT_DOUBLE_EQ(EqualAspectYScale(geometry(640, 480, 1920, 1080)), 4.0 / 3.0);
    EXPECT_DOUBLE_EQ(EqualAspectYScale(geometry(640, 480, 1280, 960)), 1.0);
    EXPECT_DOUBLE_EQ(EqualAspectYScale(geometry(1280, 720, 1280, 720)), 1.0);
    EXPECT_DOUBLE_EQ(EqualAspectYScale(geometry(0, 0, 0, 0)), 1.0);

    const double k = EqualAspectYScale(geometry(640, 480, 1920, 1080));
    const float ppu = 3.0f;  // one unit per camera pixel
    const struct { const char* what; float across, down; } cases[] = {
        {"line", LineLength(Shape(kToolLine, {10, 10}, {310, 10}), ppu, k),
                 LineLength(Shape(kToolLine, {10, 10}, {10, 235}), ppu, k)},
        {"rectangle", RectangleMeasure(Shape(kToolRectangle, {0, 0}, {300, 225}), ppu, k).width,
                      RectangleMeasure(Shape(kToolRectangle, {0, 0}, {300, 225}), ppu, k).height},
        {"circle", CircleMeasureOf(Shape(kToolCircle, {400, 400}, {700, 400}), ppu, k).radius,
                   CircleMeasureOf(Shape(kToolCircle, {400, 400}, {400, 625}), ppu, k).radius},
        {"concentric", ConcentricR1(Shape(kToolConcentric, {0, 0}, {300, 0}, {0, 225}), ppu, k),
                       ConcentricR2(Shape(kToolConcentric, {0, 0}, {300, 0}, {0, 225}), ppu, k)},
        {"parallel", ParallelDistance(Shape(kToolParallel, {0, 0}, {0, 90}, {300, 50}), ppu, k),
                     ParallelDistance(Shape(kToolParallel, {0, 0}, {90, 0}, {50, 225}), ppu, k)},
    };
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(c.across, 100.0f) << c.what;
        EXPECT_FLOAT_EQ(c.down, 100.0f) << c.what;
    }
    // A diagonal of 100 camera pixels each way is at 45 degrees.
    EXPECT_NEAR(AngleDegrees(Shape(kToolAngle, {0, 0}, {300, 0}, {300, 225}), k), 45.0f, 1e-4);
}

TEST(RulerStep, PicksTheCandidateNearest100Pixels) {
    // 100 units is not a candidate (the largest is 50): ppu 1 takes 50 at 50 pixels.
    struct Case { float ppu; int length; float value; } cases[] = {
        {20.0f, 100, 5.0f}, {123.45f, 123, 1.0f}, {400.0f, 80, 0.2f}, {1.0f, 50, 50.0f},
    };
    for (const Case& c : cases) {
        RulerStep step;
        UpdateRulerStep(step, c.ppu);
        EXPECT_EQ(step.length, c.length) << c.ppu;
        EXPECT_NEAR(step.value, c.value, c.value * 1e-6) << c.ppu;
    }
}

TEST(RulerStep, TheTenthCandidateLiesBelowOneTenthAndGetsTwoDecimals) {
    RulerStep step;
    UpdateRulerStep(step, 1000.0f);
    EXPECT_EQ(step.length, 100);
    EXPECT_LT(step.value, 0.1f);
    EXPECT_NEAR(step.value, 0.1f, 1e-6);
    EXPECT_EQ(RulerLabel(step.value, UnitText(0)), L"0.10mm");
    UpdateRulerStep(step, 20.0f);
    EXPECT_EQ(RulerLabel(step.value, UnitText(1)), L"5.0\u03BCm");
    EXPECT_EQ(RulerLabel(0.005f, UnitText(0)), L"0.005mm");
}

// A step left from the previous calibration would label the new one's ruler wrongly.
TEST(RulerStep, UncalibratedOrOutOfRangeClearsTheStep) {
    RulerStep step;
    std::string debug;
    UpdateRulerStep(step, 20.0f, &debug);
    EXPECT_EQ(debug, "---20.000000 100 5.000000\r\n");
    for (float ppu : {2e6f, 1e9f}) {  // the smallest candidate is 200 pixels or more
        UpdateRulerStep(step, 20.0f);
        UpdateRulerStep(step, ppu);
        EXPECT_EQ(step.length, 0) << ppu;
        EXPECT_EQ(step.value, 0.0f) << ppu;
    }
    std::string none;
    UpdateRulerStep(step, -1.0f, &none);
    EXPECT_EQ(step.length, 0);
    EXPECT_EQ(step.value, 0.0f);
    EXPECT_TRUE(none.empty());  // no step search, no debugger line
    UpdateRulerStep(step, 20.0f);
    UpdateRulerStep(step, std::nanf(""));
    EXPECT_EQ(step.length, 0);
}

}  // namespace
