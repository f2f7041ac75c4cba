// Tool buttons and the prompt toast as plain arithmetic: the toolbars' tables and forwarding
// sets, the inside test, the veil's opacity and blend, tooltip places, toast layout and timing.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/messages.h"
#include "app/prompt_layout.h"
#include "app/tool_buttons.h"

namespace {

TEST(ToolbarTables, EveryButtonIsForwardedByItsOwnToolbarOnly) {
    std::set<int> cells, ids;
    for (const auto& b : kHToolbarButtons) {
        EXPECT_TRUE(HToolbarForwards(b.id)) << b.id;
        EXPECT_FALSE(VToolbarForwards(b.id)) << b.id;
        EXPECT_EQ(b.y, 0);
        EXPECT_NE(b.tipKey, nullptr);
        cells.insert(b.cell);
        ids.insert(b.id);
    }
    for (const auto& b : kVToolbarButtons) {
        EXPECT_TRUE(VToolbarForwards(b.id)) << b.id;
        EXPECT_FALSE(HToolbarForwards(b.id)) << b.id;
        EXPECT_EQ(b.x, 4);
        cells.insert(b.cell);
        ids.insert(b.id);
    }
    EXPECT_EQ(ids.size(), 23u);
    EXPECT_EQ(cells.size(), 23u);  // no picture used twice
    for (int c : cells) EXPECT_LT(c, kToolStripCells);
    EXPECT_EQ(kVToolbarButtons[0].tipKey, nullptr);  // the logo has no tooltip
}

TEST(ToolbarTables, ButtonsDoNotOverlap) {
    for (size_t i = 1; i < 13; ++i)
        EXPECT_GE(kHToolbarButtons[i].x - kHToolbarButtons[i - 1].x, kToolButtonSize) << i;
    for (size_t i = 1; i < 10; ++i)
        EXPECT_GE(kVToolbarButtons[i].y - kVToolbarButtons[i - 1].y, kToolButtonSize) << i;
}

TEST(ToolbarForwarding, ExactIdRanges) {
    std::set<int> h, v;
    for (int id = 0; id < 70000; ++id) {
        if (HToolbarForwards(id)) h.insert(id);
        if (VToolbarForwards(id)) v.insert(id);
    }
    std::set<int> wantH = {3017, 3021, 3022, 3023, 3024, 3025, 3026, 3027, 3028, 3029, 3030, 3039, 3090};
    std::set<int> wantV = {3004, 3007, 3008, 3009, 3010, 3036, 3093, 3094, 3095, 3096, 3097, 3098, 3099};
    EXPECT_EQ(h, wantH);
    EXPECT_EQ(v, wantV);
    EXPECT_FALSE(HToolbarForwards(CMD_RELOAD_TEXTS));
    EXPECT_FALSE(VToolbarForwards(CMD_RELOAD_TEXTS));
}

TEST(ToolButtonInside, EdgesAndWrappedCoordinatesAreOutside) {
    struct { uint16_t x, y; bool inside; } cases[] = {
        {1, 1, true}, {26, 26, true}, {51, 51, true},
        {0, 26, false}, {52, 26, false}, {26, 0, false}, {26, 52, false},
        {uint16_t(-1), 26, false},  // left of the button while it holds the capture
        {26, uint16_t(-3), false},  // above it
        {200, 26, false},
    };
    for (const auto& c : cases) EXPECT_EQ(ToolButtonInside(c.x, c.y, 52, 52), c.inside) << c.x << "," << c.y;
}

TEST(ToolButtonVeil, PressedBeatsHoverBeatsChecked) {
    EXPECT_EQ(ToolButtonVeilAlpha(false, false, false), 0);
    EXPECT_EQ(ToolButtonVeilAlpha(false, false, true), 96);
    EXPECT_EQ(ToolButtonVeilAlpha(true, false, false), 144);
    EXPECT_EQ(ToolButtonVeilAlpha(true, false, true), 144);
    EXPECT_EQ(ToolButtonVeilAlpha(true, true, true), 180);
    EXPECT_EQ(ToolButtonVeilAlpha(false, true, false), 180);
}

TEST(ToolButtonVeil, BlendOfGroundAndGreen) {
    // Ground (21, 21, 25) under the (0, 111, 0) veil.
    EXPECT_EQ(BlendChannel(21, 111, 144), 72);
    EXPECT_EQ(BlendChannel(21, 0, 144), 9);
    EXPECT_EQ(BlendChannel(21, 111, 96), 55);
    EXPECT_EQ(BlendChannel(200, 0, 0), 200);
    EXPECT_EQ(BlendChannel(200, 7, 255), 7);
}

TEST(ToolTipAnchor, BelowOrRightOfTheButton) {
    TipPoint below = ToolTipAnchor(kTipBelow, 116, 0, 52, 52, 59, 0);
    EXPECT_EQ(below.x, 175);
    EXPECT_EQ(below.y, 54);
    TipPoint right = ToolTipAnchor(kTipRight, 4, 120, 52, 52, 0, 0);
    EXPECT_EQ(right.x, 58);
    EXPECT_EQ(right.y, 120);
}

TEST(ToolButtonIdForTool, KnownToolsAndTheRestToNone) {
    int want[][2] = {{0, 3030}, {1, 3021}, {2, 3022}, {3, 3024}, {4, 3023}, {5, 3039},
                     {6, 3025}, {11, 3026}, {12, 3027}, {7, 3030}, {19, 3030}, {-1, 3030}};
    for (auto& w : want) EXPECT_EQ(ToolButtonIdForTool(w[0]), w[1]) << w[0];
}

TEST(CopyCut, CutsAndTerminates) {
    wchar_t buf[kToolTipChars];
    std::wstring longText(100, L'x');
    CopyCut(buf, kToolTipChars, longText.c_str());
    EXPECT_EQ(std::wstring(buf).size(), 63u);
    CopyCut(buf, kToolTipChars, nullptr);
    EXPECT_EQ(buf[0], 0);
    static wchar_t big[kPromptTextChars];
    std::wstring six(600, L'a');
    CopyCut(big, kPromptTextChars, six.c_str());
    EXPECT_EQ(std::wstring(big).size(), 511u);
}

TEST(PromptLayout, MarginsAndCentring) {
    PromptRect centred = PromptLayout(100, 20, 0, 53, 1000);
    EXPECT_EQ(centred.width, 132);
    EXPECT_EQ(centred.height, 36);
    EXPECT_EQ(centred.x, (1000 - 132) / 2);
    EXPECT_EQ(centred.y, 53);
    EXPECT_EQ(PromptLayout(100, 20, 10, 38, 1000).x, 10);
    EXPECT_EQ(PromptLayout(100, 20, -5, 0, 1000).x, 434);
    // Wider than the parent: centring goes negative, truncated toward zero.
    EXPECT_EQ(PromptLayout(101, 20, 0, 0, 100).x, -16);
}

TEST(PromptTick, ClosesAfterThirtyNineTicksOrTwoAfterCloseSoon) {
    int ticks = 0, n = 0;
    while (!PromptTick(ticks, kPromptAutoHide)) ++n;
    EXPECT_EQ(n + 1, 39);
    ticks = kPromptCloseSoonTicks;
    EXPECT_FALSE(PromptTick(ticks, kPromptAutoHide));
    EXPECT_TRUE(PromptTick(ticks, kPromptAutoHide));
    ticks = 0;
    for (int i = 0; i < 1000; ++i) EXPECT_FALSE(PromptTick(ticks, 0));  // auto-hide off
}

}  // namespace
