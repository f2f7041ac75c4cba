// The quick-adjust pop-up's ratio slider: any ratio the view may show starts it at the nearest
// of the six presets.
#include <gtest/gtest.h>

#include "panel/adjust_quantity.h"

namespace {

TEST(AdjustRatio, PositionIsTheNearestPreset) {
    struct Case { int ratio, position; } cases[] = {
        {50, 0}, {75, 1}, {100, 2}, {125, 3}, {150, 4}, {200, 5},
        {62, 0}, {63, 1}, {90, 2}, {175, 4}, {176, 5}, {10, 0}, {250, 5},
    };
    for (const Case& c : cases) EXPECT_EQ(RatioPosition(c.ratio), c.position) << c.ratio;
    EXPECT_EQ(RatioOfPosition(RatioPosition(130)), 125);
}

}  // namespace
