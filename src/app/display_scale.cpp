// Display scale arithmetic (see display_scale.h).
#include "app/display_scale.h"

#include <cstdint>

int ScalePx(int px, int dpi) {
    if (dpi <= 0) dpi = kBaseDpi;
    int64_t num = int64_t(px) * dpi;
    int64_t half = kBaseDpi / 2;
    return int((num >= 0 ? num + half : num - half) / kBaseDpi);
}

int ArtScaleFor(int dpi) {
    if (dpi <= 0) dpi = kBaseDpi;
    // Artwork at 96, 144 and 192 dpi; the midpoints 120 and 168 go down.
    if (dpi <= 120) return 0;
    if (dpi <= 168) return 1;
    return 2;
}

int ArtPx(int px, int art) {
    static const int percent[kArtScales] = {100, 150, 200};
    if (art < 0) art = 0;
    if (art >= kArtScales) art = kArtScales - 1;
    return px * percent[art] / 100;
}
