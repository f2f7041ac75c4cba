#include "view/view_zoom.h"

#include <gtest/gtest.h>

namespace {

// One axis: the picture point under the anchor stays there, within the scroll range.
TEST(ViewZoom, RatioChangeKeepsTheAnchoredPointInPlace) {
    struct Case { ZoomAxis before; int anchorBefore; ZoomAxis after; int anchorAfter; int want; } cases[] = {
        {{1920, 1000, 460}, 500, {2649, 1000, 0}, 500, 825},  // point 960 at the centre, 100 -> 138
        {{2649, 1000, 825}, 500, {1920, 1000, 0}, 500, 460},  // and back
        {{1920, 1000, 460}, 500, {2649, 983, 0}, 491, 834},   // a bar appeared: the new centre
        {{1920, 1000, 920}, 999, {3840, 1000, 0}, 0, 2840},   // clamped to display - client
        {{960, 1000, 0}, 500, {1920, 1000, 0}, 500, 461},     // from a centred (fitted) picture
        {{800, 1000, 0}, 20, {1600, 1000, 0}, 20, 0},         // the grey strip is the picture's edge
    };
    for (const Case& c : cases)
        EXPECT_EQ(AnchoredScroll(c.before, c.anchorBefore, c.after, c.anchorAfter), c.want) << c.before.scroll;
}

TEST(ViewZoom, WheelStepsThroughTheRatiosAndCountsNotches) {
    struct Case { int ratio, notches, want; } cases[] = {
        {100, 1, 125}, {100, -1, 75}, {100, 2, 150}, {200, 1, 200}, {50, -1, 50}, {62, 1, 75}, {138, -1, 125}, {35, -1, 35},
    };
    for (const Case& c : cases) EXPECT_EQ(WheelRatio(c.ratio, c.notches), c.want) << c.ratio << " " << c.notches;
    WheelCounter w;
    const int deltas[] = {40, 40, 40, -30, -90, 100, -20, -100}, notches[] = {0, 0, 1, 0, -1, 0, 0, -1};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(w.Add(deltas[i]), notches[i]) << i;  // a turn back drops the rest
}

}  // namespace
