// Rules of the preview section: switching the six effects (the flips independent, gray,
// binary, invert and emboss exclusive) and what a refresh does to the ratio controls.
#pragma once
#include <cstdint>

// Effect buttons 104-109 in this order.
enum EffectIndex { kEffectFlipHorizontal, kEffectFlipVertical, kEffectGray, kEffectBinary, kEffectInvert,
                   kEffectEmboss, kEffectCount };

// Flips flags[index]; an exclusive effect turned on clears the other three. Returns the
// buttons to repaint as a bit mask (bit i = effect i).
unsigned ToggleEffect(int32_t (&flags)[kEffectCount], int index);

// What a WMU_PANEL_REFRESH of level does to the ratio read-out, trackbar and "100%" check, and
// to the enabled state of the controls.
struct PreviewRefresh {
    bool disable = false;        // disable 102-109 (no camera)
    bool enable = false;         // enable 102-109 and set the effect checks from the flags
    bool showRatio = false;      // set read-out, trackbar and check to ratio
    int ratio = 100;
};
PreviewRefresh PlanPreviewRefresh(bool cameraOpen, int level, int viewRatio);
