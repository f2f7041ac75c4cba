// The layouts at display scales 96, 120, 144 and 192 dpi: 96 gives the unscaled figures, the
// others every pixel figure times dpi / 96 (rounded half away from zero).
#include <gtest/gtest.h>

#include "app/display_scale.h"
#include "app/main_layout.h"
#include "app/messages.h"
#include "app/prompt_layout.h"
#include "app/tool_buttons.h"
#include "view/view_geometry.h"

namespace {

constexpr int kDpis[] = {96, 120, 144, 192};

struct ScaledCase {
    const char* what;
    int (*at)(int dpi);
    int want[4];  // at 96, 120, 144, 192
};

const ToolButtonSpec& Button(int id) {
    for (const auto& b : kHToolbarButtons)
        if (b.id == id) return b;
    for (const auto& b : kVToolbarButtons)
        if (b.id == id) return b;
    throw 0;
}

TEST(DisplayScale, ScaledFiguresAtEachScale) {
    const ScaledCase cases[] = {
        {"button side", [](int d) { return ToolButtonAt(kHToolbarButtons[0], d).size; }, {52, 65, 78, 104}},
        {"toolbar height", ToolbarHeightAt, {52, 65, 78, 104}},
        {"toolbar width", ToolbarWidthAt, {59, 74, 89, 118}},  // 73.75, 88.5 round up
        {"line button x", [](int d) { return ToolButtonAt(Button(ID_TOOL_LINE), d).x; }, {116, 145, 174, 232}},
        {"crossline x", [](int d) { return ToolButtonAt(Button(ID_CROSSLINE), d).x; }, {58, 73, 87, 116}},
        {"video button y", [](int d) { return ToolButtonAt(Button(ID_RECORD_VIDEO), d).y; }, {174, 218, 261, 348}},
        {"vertical toolbar x", [](int d) { return ToolButtonAt(Button(ID_ABOUT), d).x; }, {4, 5, 6, 8}},
        {"tooltip gap", [](int d) { return ToolTipAnchor(kTipBelow, 0, 0, 0, 0, 0, 0, d).y; }, {2, 3, 3, 4}},
        {"toast left margin", [](int d) { return PromptTextOrigin(d).left; }, {16, 20, 24, 32}},
        {"toast top margin", [](int d) { return PromptTextOrigin(d).top; }, {8, 10, 12, 16}},
        {"toast width", [](int d) { return PromptLayout(100, 20, 5, 0, 800, d).width; }, {132, 140, 148, 164}},
        {"corner inset", [](int d) { return 1000 - CornerButtonAt(1000, 600, d).x; }, {60, 75, 90, 120}},
        {"corner side", [](int d) { return CornerButtonAt(1000, 600, d).size; }, {40, 50, 60, 80}},
        {"corner icon", [](int d) { return CornerButtonAt(1000, 600, d).icon; }, {32, 32, 48, 64}},
        {"tool cell", [](int d) { return ArtPx(kToolCellSize, ArtScaleFor(d)); }, {40, 40, 60, 80}},
    };
    for (const auto& c : cases)
        for (int i = 0; i < 4; ++i) EXPECT_EQ(c.at(kDpis[i]), c.want[i]) << c.what << " at " << kDpis[i];
}

TEST(DisplayScale, RoundingAndUnknownScale) {
    EXPECT_EQ(ScalePx(5, 120), 6);   // 6.25
    EXPECT_EQ(ScalePx(2, 120), 3);   // 2.5 rounds away from zero
    EXPECT_EQ(ScalePx(-2, 120), -3);
    EXPECT_EQ(ScalePx(52, 0), 52);   // unknown scale counts as 96
    EXPECT_EQ(ArtScaleFor(168), 1);  // halfway goes to the smaller artwork
    EXPECT_EQ(ArtScaleFor(240), 2);
}

TEST(DisplayScale, MainLayoutGrowsTheToolbarsOnly) {
    MainLayout l = ComputeMainLayout(1366, 700, 347, false, 144);
    EXPECT_EQ(l.hToolbar, (ChildRect{89, 0, 930, 78}));
    EXPECT_EQ(l.vToolbar, (ChildRect{0, 0, 89, 700}));
    EXPECT_EQ(l.cameraView, (ChildRect{89, 78, 930, 622}));
    EXPECT_EQ(l.panel, (ChildRect{1019, 0, 347, 700}));
    MainLayout f = ComputeMainLayout(1920, 1080, 347, true, 192);
    EXPECT_EQ(f.vToolbar, (ChildRect{0, 0, 118, 1080}));
    EXPECT_EQ(f.cameraView, (ChildRect{118, 0, 1802, 1080}));
}

// Scaled one by one, the buttons still neither overlap nor leave their toolbar, and each cell
// of the chosen artwork fits its button, at every scale from 96 to 288 dpi.
TEST(DisplayScale, ButtonsStayApartAndArtworkFits) {
    for (int dpi = 96; dpi <= 288; dpi += 6) {
        const int cell = ArtPx(kToolCellSize, ArtScaleFor(dpi));
        ToolButtonPlace prev = ToolButtonAt(kHToolbarButtons[0], dpi);
        EXPECT_LE(cell, prev.size) << dpi;
        EXPECT_LE(prev.y + prev.size, ToolbarHeightAt(dpi)) << dpi;
        for (size_t i = 1; i < 13; ++i) {
            ToolButtonPlace b = ToolButtonAt(kHToolbarButtons[i], dpi);
            EXPECT_GE(b.x, prev.x + prev.size) << dpi << " " << i;
            prev = b;
        }
        prev = ToolButtonAt(kVToolbarButtons[0], dpi);
        EXPECT_LE(prev.x + prev.size, ToolbarWidthAt(dpi)) << dpi;
        for (size_t i = 1; i < 10; ++i) {
            ToolButtonPlace b = ToolButtonAt(kVToolbarButtons[i], dpi);
            EXPECT_GE(b.y, prev.y + prev.size) << dpi << " " << i;
            prev = b;
        }
    }
}

}  // namespace
