// The quick-adjust pop-up's arithmetic: labels by language, the ratio presets and the position
// of any view ratio, read-outs, and slider moves that change nothing.
#include <gtest/gtest.h>

#include "app/messages.h"
#include "panel/adjust_quantity.h"

namespace {

TEST(AdjustQuantities, LabelsFollowTheLanguageValue) {
    const AdjustQuantity* contrast = FindAdjustQuantity(ID_ADJUST_CONTRAST);
    ASSERT_NE(contrast, nullptr);
    EXPECT_EQ(contrast->property, kPropContrast);
    EXPECT_STREQ(AdjustLabel(*contrast, 1), L"\u5bf9\u6bd4\u5ea6:");
    EXPECT_STREQ(AdjustLabel(*contrast, 0), L"Contrast:");
    EXPECT_STREQ(AdjustLabel(*contrast, 5), L"Contrast:");
    EXPECT_EQ(FindAdjustQuantity(ID_ADJUST_RATIO)->property, kAdjustRatio);
    EXPECT_EQ(FindAdjustQuantity(3098), nullptr);
}

TEST(AdjustQuantities, RatioPositionIsTheNearestPreset) {
    struct Case { int ratio, position; } cases[] = {
        {50, 0}, {75, 1}, {100, 2}, {125, 3}, {150, 4}, {200, 5},
        {62, 0}, {63, 1}, {90, 2}, {175, 4}, {176, 5}, {10, 0}, {250, 5},
    };
    for (const Case& c : cases) EXPECT_EQ(RatioPosition(c.ratio), c.position) << c.ratio;
    AdjustSlider s = RatioSlider(150);
    EXPECT_EQ(s.base, 0);
    EXPECT_EQ(s.maximum, 5);
    EXPECT_EQ(s.value, 4);
}

TEST(AdjustQuantities, Readouts) {
    EXPECT_EQ(AdjustReadout(true, 0), L"50%");
    EXPECT_EQ(AdjustReadout(true, 4), L"150%");
    EXPECT_EQ(AdjustReadout(true, 5), L"200%");
    EXPECT_EQ(AdjustReadout(false, -12), L"-12");
}

TEST(AdjustSliders, OnlyAChangedValueCounts) {
    CameraProperty brightness;
    brightness.minimum = -64;
    brightness.maximum = 64;
    brightness.value = 0;
    AdjustSlider s = PropertySlider(brightness);
    struct Move { int position; bool changed; int value; } moves[] = {
        {64, false, 0}, {70, true, 6}, {70, false, 6}, {60, true, -4}, {70, true, 6},
    };
    for (const Move& m : moves) {
        EXPECT_EQ(MoveAdjustSlider(s, m.position), m.changed) << m.position;
        EXPECT_EQ(s.value, m.value);
    }
}

}  // namespace
