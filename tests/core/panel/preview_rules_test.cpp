// The preview section's rules: effect switching and what a refresh does to the ratio controls.
#include "panel/preview_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ToggleCase {
    std::vector<int> presses;
    std::vector<int32_t> expected;
    unsigned lastRepaint;
};

TEST(PreviewRules, EffectSwitching) {
    const unsigned four = 0x3C;  // gray, binary, invert, emboss
    for (const ToggleCase& k : {
             ToggleCase{{kEffectGray, kEffectEmboss}, {0, 0, 0, 0, 0, 1}, four},        // emboss turns gray off
             ToggleCase{{kEffectGray, kEffectGray}, {0, 0, 0, 0, 0, 0}, 1u << kEffectGray},  // off: only itself
             ToggleCase{{kEffectFlipHorizontal, kEffectFlipVertical, kEffectInvert}, {1, 1, 0, 0, 1, 0}, four},
             ToggleCase{{kEffectBinary, kEffectFlipVertical}, {0, 1, 0, 1, 0, 0}, 1u << kEffectFlipVertical},
             ToggleCase{{kEffectFlipHorizontal, kEffectFlipHorizontal}, {0, 0, 0, 0, 0, 0}, 1u},
         }) {
        int32_t flags[kEffectCount] = {};
        unsigned repaint = 0;
        for (int p : k.presses) repaint = ToggleEffect(flags, p);
        EXPECT_EQ(std::vector<int32_t>(flags, flags + kEffectCount), k.expected) << k.presses.size();
        EXPECT_EQ(repaint, k.lastRepaint);
    }
    int32_t flags[kEffectCount] = {};
    EXPECT_EQ(ToggleEffect(flags, kEffectCount), 0u);
}

TEST(PreviewRules, RefreshLevels) {
    struct Case { bool open; int level, ratio; bool disable, enable, show; int shown; };
    for (Case k : {Case{false, 1, 150, true, false, true, 100},   // no camera: 100 %, disabled
                   Case{false, 0, 150, true, false, true, 150},   // level 0 still shows the ratio
                   Case{false, 11, 150, true, false, true, 100},
                   Case{true, 1, 150, false, true, true, 150},
                   Case{true, 0, 75, false, false, true, 75},
                   Case{true, 11, 75, false, false, false, 100}}) {
        PreviewRefresh r = PlanPreviewRefresh(k.open, k.level, k.ratio);
        EXPECT_EQ(r.disable, k.disable) << k.open << k.level;
        EXPECT_EQ(r.enable, k.enable) << k.open << k.level;
        EXPECT_EQ(r.showRatio, k.show) << k.open << k.level;
        if (r.showRatio) EXPECT_EQ(r.ratio, k.shown) << k.open << k.level;
    }
}

}  // namespace
