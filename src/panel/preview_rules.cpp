// Rules of the preview section (see preview_rules.h).
#include "panel/preview_rules.h"

unsigned ToggleEffect(int32_t (&flags)[kEffectCount], int index) {
    if (index < 0 || index >= kEffectCount) return 0;
    flags[index] = flags[index] ? 0 : 1;
    unsigned repaint = 1u << index;
    if (index >= kEffectGray && flags[index]) {
        for (int i = kEffectGray; i < kEffectCount; ++i) {
            if (i == index) continue;
            flags[i] = 0;
            repaint |= 1u << i;
        }
    }
    return repaint;
}

PreviewRefresh PlanPreviewRefresh(bool cameraOpen, int level, int viewRatio) {
    PreviewRefresh r;
    if (!cameraOpen) {
        r.disable = true;
        r.showRatio = true;
        r.ratio = 100;
    }
    if (level <= 0) {
        r.showRatio = true;
        r.ratio = viewRatio;
    } else if (cameraOpen && level == 1) {
        r.enable = true;
        r.showRatio = true;
        r.ratio = viewRatio;
    }
    return r;
}
