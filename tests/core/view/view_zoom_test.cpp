#include "view/view_zoom.h"

#include <gtest/gtest.h>

namespace {

// One axis: the picture point under the anchor stays there, within the scroll range.
TEST(ViewZoom, RatioChangeKeepsTheAnchoredPointInPlace) {
    struct Case { ZoomAxis before; int anchorBefore; ZoomAxis after; int anchorAfter; int want; const char* what; } cases[] = {
        // 1920 at 100 % in 1000 pixels, point 960 under the centre: at 138 % (2649) 1325 goes there.
        {{1920, 1000, 460}, 500, {2649, 1000, 0}, 500, 825, "centre kept, 100 -> 138"},
        {{2649, 1000, 825}, 500, {1920, 1000, 0}, 500, 460, "and back"},
        {{1920, 1000, 0}, 100, {3840, 1000, 0}, 100, 101, "pointer near the left edge, 100 -> 200"},
        {{1920, 1000, 920}, 999, {3840, 1000, 0}, 999, 2840, "end of the range"},
        {{1920, 1000, 920}, 999, {3840, 1000, 0}, 0, 2840, "clamped to display - client"},
        {{1920, 1000, 0}, 0, {960, 1000, 0}, 0, 0, "the picture fits: centred, scroll 0"},
        {{800, 1000, 0}, 500, {1600, 1000, 0}, 500, 301, "centred picture (strip 100) zoomed at its middle"},
        {{800, 1000, 0}, 20, {1600, 1000, 0}, 20, 0, "the grey strip counts as the picture's edge"},
        {{1920, 1000, 460}, 500, {2649, 983, 0}, 491, 834, "a bar appeared: the new centre"},
        {{960, 1000, 0}, 500, {1920, 1000, 0}, 500, 461, "from a fitted picture"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AnchoredScroll(c.before, c.anchorBefore, c.after, c.anchorAfter), c.want) << c.what;
}

TEST(ViewZoom, WheelStepsThroughTheRatiosAndCountsNotches) {
    struct Case { int ratio, notches, want; } cases[] = {
        {100, 1, 125}, {100, -1, 75}, {100, 2, 150}, {150, 1, 200}, {200, 1, 200}, {50, -1, 50},
        {62, 1, 75}, {62, -1, 50}, {138, 1, 150}, {138, -1, 125}, {35, 1, 50}, {35, -1, 35}, {100, 0, 100},
    };
    for (const Case& c : cases) EXPECT_EQ(WheelRatio(c.ratio, c.notches), c.want) << c.ratio << " " << c.notches;

    WheelCounter w;
    EXPECT_EQ(w.Add(40), 0);  // a fine-grained wheel: three small amounts make a notch
    EXPECT_EQ(w.Add(40), 0);
    EXPECT_EQ(w.Add(40), 1);
    EXPECT_EQ(w.Add(-30), 0);  // turning back drops nothing yet
    EXPECT_EQ(w.Add(-90), -1);
    EXPECT_EQ(w.Add(100), 0);  // the other way: the rest of -0 is gone
    EXPECT_EQ(w.Add(-20), 0);  // and back again: 100 is dropped
    EXPECT_EQ(w.Add(-100), -1);
    EXPECT_EQ(w.Add(360), 3);
}

}  // namespace
