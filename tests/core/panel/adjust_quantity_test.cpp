// The quick-adjust pop-up's ratio slider: any ratio the view may show starts it at the nearest
// of the six presets. Its place on the screen grows with the display scale.
#include <gtest/gtest.h>

#include "app/messages.h"
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

TEST(AdjustPlace, FollowsTheDisplayScale) {
    struct Case { int command, dpi, x, y; } cases[] = {
        {ID_ADJUST_BRIGHTNESS, 96, 70, 260}, {ID_ADJUST_GAIN, 96, 70, 530},
        {ID_ADJUST_BRIGHTNESS, 120, 88, 325}, {ID_ADJUST_CONTRAST, 120, 88, 531},
        {ID_ADJUST_RATIO, 144, 105, 480},     {ID_ADJUST_SHARPNESS, 192, 140, 740},
    };
    for (const Case& c : cases) {
        const AdjustQuantity* q = FindAdjustQuantity(c.command);
        ASSERT_NE(q, nullptr) << c.command;
        AdjustPopupPlace p = AdjustPopupOrigin(*q, c.dpi);
        EXPECT_EQ(p.x, c.x) << c.command << " at " << c.dpi;
        EXPECT_EQ(p.y, c.y) << c.command << " at " << c.dpi;
    }
}

}  // namespace
