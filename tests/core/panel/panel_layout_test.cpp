// The panel's layout arithmetic: dialog units, section heights, scrolling, stacking, the
// chevron and the control rectangles of the source and preview sections.
#include "panel/panel_layout.h"

#include <gtest/gtest.h>

#include <array>

namespace {

constexpr DialogBase kBase8 = {8, 16};  // the base units of the worked 252-pixel example
constexpr DialogBase kBase7 = {7, 14};  // Wine's

TEST(PanelLayout, MulDivRoundsHalfAwayFromZero) {
    struct Case { int a, b, c, expected; };
    for (Case k : {Case{126, 7, 4, 221}, Case{4, 7, 4, 7}, Case{14, 14, 8, 25}, Case{-3, 3, 2, -5},
                   Case{5, 16, 8, 10}, Case{1, 1, 0, -1}})
        EXPECT_EQ(MulDivRound(k.a, k.b, k.c), k.expected) << k.a << "*" << k.b << "/" << k.c;
}

TEST(PanelLayout, SectionHeightsFromTitleAndBody) {
    EXPECT_EQ(PanelMetricsFor(kBase8).titleHeight, 28);
    EXPECT_EQ(PanelMetricsFor(kBase8).marginX, 8);
    EXPECT_EQ(PanelMetricsFor(kBase8).marginY, 8);
    EXPECT_EQ(SectionHeightsFor(kBase8, kSourceBodyUnits), (SectionHeights{29, 179}));
    EXPECT_EQ(SectionHeightsFor(kBase8, kPreviewBodyUnits), (SectionHeights{29, 349}));
    EXPECT_EQ(SectionHeightsFor(kBase7, kSourceBodyUnits), (SectionHeights{26, 157}));  // 24.5 -> 25, 131.25 -> 131
    SectionHeights h = {29, 181};
    EXPECT_EQ(PackSectionHeights(h), 29u | (181u << 16));
    EXPECT_EQ(UnpackSectionHeights(PackSectionHeights(h)), h);
}

TEST(PanelLayout, ScrollBarOnlyWhenContentIsTaller) {
    const int heights[3] = {179, 181, 29};
    EXPECT_EQ(PanelContentHeight(8, heights, 3), 405);
    struct Case { int content, client, position; bool bar; int excess, maximum, kept; };
    for (Case k : {Case{405, 500, 50, false, 0, 0, 0},      // fits: hidden, position forced to 0
                   Case{405, 405, 0, false, 0, 0, 0},
                   Case{405, 305, 30, true, 100, 119, 30},  // page 20, maximum excess + 19
                   Case{405, 305, 150, true, 100, 119, 100},  // a collapse clamps to the new excess
                   Case{405, 305, -4, true, 100, 119, 0}}) {
        PanelScroll s = UpdatePanelScroll(k.content, k.client, k.position);
        EXPECT_EQ(s.showBar, k.bar) << k.client;
        EXPECT_EQ(s.excess, k.excess) << k.client;
        EXPECT_EQ(s.maximum, k.maximum) << k.client;
        EXPECT_EQ(s.position, k.kept) << k.client;
    }
}

TEST(PanelLayout, ScrollRequestsMoveByStepAndClamp) {
    const int step = 13, excess = 100;
    struct Case { int code, position, thumb, expected; };
    for (Case k : {Case{kScrollLineUp, 50, 0, 37}, Case{kScrollLineDown, 50, 0, 63}, Case{kScrollPageUp, 50, 0, 0},
                   Case{kScrollPageDown, 50, 0, 100}, Case{kScrollPageDown, 20, 0, 72},
                   Case{kPanelThumbTrack, 50, 140, 100},  // tracking past the end stops at the excess
                   Case{kPanelThumbPosition, 50, 7, 7}, Case{kScrollTop, 50, 0, 0}, Case{kScrollBottom, 5, 0, 100},
                   Case{8, 50, 0, 50} /* end scroll */, Case{kScrollLineUp, 5, 0, 0}})
        EXPECT_EQ(PanelScrollTo(k.code, k.position, excess, step, k.thumb), k.expected) << k.code << " " << k.position;
}

// A band below the fold (the files section's preview) is scrolled up just far enough.
TEST(PanelLayout, ScrollToShowMovesTheLeastAndShowsATallBandFromItsTop) {
    for (auto [position, top, bottom, expected] : {std::array{0, 600, 760, 60}, {0, 100, 500, 0}, {50, -30, 100, 20},
                                                   {0, 200, 950, 200} /* taller */, {280, 690, 760, 300} /* clamped */})
        EXPECT_EQ(PanelScrollToShow(position, 300, top, bottom, 700), expected) << top << " " << bottom;
}

TEST(PanelLayout, WheelScrollsOneLineWhateverTheDelta) {
    EXPECT_EQ(PanelWheelCode(-120), kScrollLineDown);
    EXPECT_EQ(PanelWheelCode(-480), kScrollLineDown);
    EXPECT_EQ(PanelWheelCode(0), kScrollLineDown);
    EXPECT_EQ(PanelWheelCode(480), kScrollLineUp);
}

TEST(PanelLayout, SectionsStackBelowTheMarginShiftedByThePosition) {
    const int heights[3] = {179, 29, 0};
    PanelRect r[3];
    StackPanelSections(252, PanelMetricsFor(kBase8), 20, heights, 3, r);
    EXPECT_EQ(r[0], (PanelRect{8, -12, 236, 179}));
    EXPECT_EQ(r[1], (PanelRect{8, 167, 236, 29}));
    EXPECT_EQ(r[2], (PanelRect{8, 196, 236, 0}));
}

TEST(PanelLayout, ChevronPointsUpWhenOpenAndDownWhenCollapsed) {
    Chevron up = ChevronFor(236, 28, true);
    EXPECT_EQ(up.a, (PanelPoint{211, 16}));
    EXPECT_EQ(up.apex, (PanelPoint{216, 11}));
    EXPECT_EQ(up.b, (PanelPoint{222, 17}));
    Chevron down = ChevronFor(236, 28, false);
    EXPECT_EQ(down.a, (PanelPoint{211, 13}));
    EXPECT_EQ(down.apex, (PanelPoint{216, 18}));
    EXPECT_EQ(down.b, (PanelPoint{222, 12}));
    // At 200 % every figure doubles in a bar twice as large.
    Chevron big = ChevronFor(472, 56, true, 192);
    EXPECT_EQ(big.a, (PanelPoint{422, 32}));
    EXPECT_EQ(big.apex, (PanelPoint{432, 22}));
    EXPECT_EQ(big.b, (PanelPoint{444, 34}));
}

TEST(PanelLayout, SourceSectionControls) {
    SourceLayout l = LayOutSourceSection(236, kBase8);
    EXPECT_EQ(l[0], (PanelRect{0, 0, 236, 28}));
    EXPECT_EQ(l[1], (PanelRect{4, 39, 64, 16}));
    EXPECT_EQ(l[2], (PanelRect{72, 35, 158, 160}));
    EXPECT_EQ(l[5], (PanelRect{4, 99, 64, 16}));
    EXPECT_EQ(l[6], (PanelRect{72, 95, 158, 160}));
    EXPECT_EQ(l[7], (PanelRect{8, 131, 104, 32}));
    EXPECT_EQ(l[8], (PanelRect{124, 131, 104, 32}));
    EXPECT_EQ(l[9], (PanelRect{8, 207, 220, 34}));    // the read-out's two lines at the foot
    EXPECT_EQ(l[10], (PanelRect{8, 167, 104, 32}));   // time-lapse and mosaic: a row under the two
    EXPECT_EQ(l[11], (PanelRect{124, 167, 104, 32}));
    EXPECT_EQ(SectionHeightsFor(kBase8, kSourceSectionUnits).expanded, 251);  // 36 units more than before
    // A longer label widens its column; the lists keep their right edge.
    SourceLayout wide = LayOutSourceSection(236, kBase8, 80);
    EXPECT_EQ(wide[3], (PanelRect{4, 69, 80, 16}));
    EXPECT_EQ(wide[4], (PanelRect{88, 65, 142, 160}));
    EXPECT_EQ(LayOutSourceSection(236, kBase8, 50)[2], l[2]);
}

TEST(PanelLayout, PreviewSectionControls) {
    PreviewLayout l = LayOutPreviewSection(236, kBase8);
    EXPECT_EQ(l[1], (PanelRect{8, 37, 96, 16}));
    EXPECT_EQ(l[2], (PanelRect{8, 57, 220, 16}));
    EXPECT_EQ(l[3], (PanelRect{136, 37, 92, 20}));
    EXPECT_EQ(l[4], (PanelRect{14, 83, 104, 24}));
    EXPECT_EQ(l[5], (PanelRect{122, 83, 104, 24}));
    EXPECT_EQ(l[8], (PanelRect{14, 147, 104, 24}));
    EXPECT_EQ(l[9], (PanelRect{122, 147, 104, 24}));
    EXPECT_EQ(l[13], (PanelRect{122, 211, 104, 24}));  // the camera's row under the effects
    EXPECT_EQ(l[14], (PanelRect{14, 243, 208, 76}));   // histogram, then its check box
    EXPECT_EQ(l[15], (PanelRect{14, 325, 208, 20}));
    EXPECT_LE(l[15].y + l[15].height, SectionHeightsFor(kBase8, kPreviewBodyUnits).expanded);
    // Every control stays inside the body at Wine's narrower panel.
    PreviewLayout w = LayOutPreviewSection(221 - 14, kBase7);
    for (const PanelRect& r : w) EXPECT_LE(r.x + r.width, 207);
}

}  // namespace
