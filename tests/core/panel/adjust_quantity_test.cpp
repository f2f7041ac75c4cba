// The quick-adjust pop-up's ratio slider: any ratio the view may show starts it at the nearest
// of the six presets. Its place on the screen grows with the display scale.
#include <gtest/gtest.h>

#include <vector>

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

// The panel's quantities: beside their button, inside the screen; the power-line choices a
// camera offers among off, 50 Hz, 60 Hz and automatic.
TEST(AdjustPanelQuantities, PlaceAndChoices) {
    const int work[4] = {0, 0, 1366, 728};
    struct Place { int left, top, w, h, x, y; } places[] = {
        {1100, 300, 300, 100, 800, 300}, {200, 300, 300, 100, 0, 300}, {1100, 700, 300, 100, 800, 628},
    };
    for (const Place& p : places) {
        AdjustPopupPlace at = AdjustPopupBeside(p.left, p.top, p.w, p.h, work);
        EXPECT_EQ(at.x, p.x) << p.left;
        EXPECT_EQ(at.y, p.y) << p.top;
    }
    struct Choices { int min, max; std::vector<int> values; } choices[] = {
        {0, 2, {0, 1, 2}}, {0, 3, {0, 1, 2, 3}}, {1, 2, {1, 2}}, {0, 0, {}}, {-5, 9, {0, 1, 2, 3}},
    };
    for (const Choices& c : choices) {
        CameraProperty record;
        record.minimum = c.min;
        record.maximum = c.max;
        EXPECT_EQ(PowerLineChoices(record), c.values) << c.min << ".." << c.max;
    }
    struct Readout { int command, value; const wchar_t* text; } readouts[] = {
        {ID_ADJUST_EXPOSURE, -6, L"1/64 s"}, {ID_ADJUST_EXPOSURE, 1, L"2 s"}, {ID_ADJUST_WHITE_BALANCE, 4600, L"4600 K"},
        {ID_ADJUST_RATIO, 4, L"150%"},       {ID_ADJUST_GAIN, -3, L"-3"},
    };
    for (const Readout& r : readouts) EXPECT_EQ(AdjustReadout(*FindAdjustQuantity(r.command), r.value), r.text);
    EXPECT_STREQ(PowerLineKey(1), "power 50");
    EXPECT_STREQ(PowerLineKey(7), "power off");
}

}  // namespace
