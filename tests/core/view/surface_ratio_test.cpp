#include "view/surface_ratio.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(SurfaceRatio, StepsDownByQuartersToFifty) {
    std::vector<int> steps;
    for (int r = 200; r; r = NextSmallerRatio(r)) steps.push_back(r);
    EXPECT_EQ(steps, (std::vector<int>{200, 150, 112, 84, 63, 50}));
    EXPECT_EQ(NextSmallerRatio(60), 50);
}

TEST(SurfaceRatio, LargestRatioWhoseSurfaceCanBeMade) {
    // A surface of display size fits when ratio <= limit.
    struct Case { int ratio, limit, want; } cases[] = {
        {200, 200, 200}, {200, 120, 112}, {100, 99, 75}, {200, 49, 0}, {50, 50, 50},
    };
    for (const Case& c : cases) {
        std::vector<int> tried;
        int got = RatioWithSurface(c.ratio, [&](int r) { tried.push_back(r); return r <= c.limit; });
        EXPECT_EQ(got, c.want) << c.ratio << " limit " << c.limit;
        EXPECT_EQ(tried.front(), c.ratio);
    }
}

}  // namespace
