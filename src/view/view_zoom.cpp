// Zooming arithmetic of the camera view (see view_zoom.h).
#include "view/view_zoom.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kWheelDelta = 120;  // one notch of a wheel

// The continuous surface position (display pixels) under the centre of client pixel anchor.
double SurfaceAt(const ZoomAxis& a, int anchor) {
    const double offset = a.display > a.client ? -double(a.scroll) : double((a.client - a.display) / 2);
    return std::clamp(anchor + 0.5 - offset, 0.0, double(a.display));
}

}  // namespace

int AnchoredScroll(const ZoomAxis& before, int anchorBefore, const ZoomAxis& after, int anchorAfter) {
    if (after.display <= after.client || before.display <= 0) return 0;
    const double surface = SurfaceAt(before, anchorBefore) * after.display / before.display;
    const int scroll = int(std::floor(surface - (anchorAfter + 0.5) + 0.5));
    return std::clamp(scroll, 0, after.display - after.client);
}

int WheelRatio(int ratio, int notches) {
    for (; notches > 0; --notches) {
        const int* up = std::upper_bound(kRatioSteps, kRatioSteps + kRatioStepCount, ratio);
        if (up != kRatioSteps + kRatioStepCount) ratio = *up;
    }
    for (; notches < 0; ++notches) {
        const int* down = std::lower_bound(kRatioSteps, kRatioSteps + kRatioStepCount, ratio);
        if (down != kRatioSteps) ratio = *(down - 1);
    }
    return ratio;
}

int WheelCounter::Add(int delta) {
    if ((delta > 0 && rest < 0) || (delta < 0 && rest > 0)) rest = 0;
    rest += delta;
    const int notches = rest / kWheelDelta;  // truncates toward zero: the rest keeps its sign
    rest -= notches * kWheelDelta;
    return notches;
}
