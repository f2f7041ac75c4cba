// Ratio fallback for the composition surface (see surface_ratio.h).
#include "view/surface_ratio.h"

namespace {
constexpr int kMinRatio = 50;
}

int NextSmallerRatio(int ratio) {
    if (ratio <= kMinRatio) return 0;
    int next = ratio * 3 / 4;
    return next < kMinRatio ? kMinRatio : next;
}

int RatioWithSurface(int ratio, const std::function<bool(int ratio)>& make) {
    for (int r = ratio; r > 0; r = NextSmallerRatio(r))
        if (make(r)) return r;
    return 0;
}
