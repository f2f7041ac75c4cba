// The live histogram (see histogram.h).
#include "frame/histogram.h"

#include <algorithm>
#include <cmath>

#include "frame/frame_effects.h"

int HistogramStep(int width, int height, int maxSamples) {
    if (width <= 0 || height <= 0 || maxSamples <= 0) return 1;
    const double pixels = double(width) * double(height);
    const int step = int(std::ceil(std::sqrt(pixels / maxSamples)));
    return std::max(step, 1);
}

void ComputeHistogram(const DisplayFrame* frame, int width, int height, int step, FrameHistogram* out) {
    *out = FrameHistogram{};
    if (!frame || DisplayFrameBytes(width, height) == 0) return;
    step = std::max(step, 1);
    for (int y = 0; y < height; y += step) {
        const uint8_t* p = frame + size_t(y) * size_t(width) * 3;
        for (int x = 0; x < width; x += step, p += size_t(step) * 3) {
            const uint8_t b = p[0], g = p[1], r = p[2];
            ++out->blue[b];
            ++out->green[g];
            ++out->red[r];
            ++out->luma[GrayOf(b, g, r)];
            out->shadows += std::min({b, g, r}) == 0;
            out->highlights += std::max({b, g, r}) == 255;
            ++out->samples;
        }
    }
}

void HistogramBars(const uint32_t (&bins)[256], int height, int (&bars)[256]) {
    uint32_t fullest = std::max(bins[0], bins[255]) / 4;
    for (int i = 1; i < 255; ++i) fullest = std::max(fullest, bins[i]);
    if (fullest == 0) fullest = std::max(bins[0], bins[255]);
    for (int i = 0; i < 256; ++i) {
        if (fullest == 0 || height <= 0) {
            bars[i] = 0;
            continue;
        }
        const uint64_t h = (uint64_t(bins[i]) * uint64_t(height) + fullest - 1) / fullest;  // a counted bin shows
        bars[i] = int(std::min<uint64_t>(h, uint64_t(height)));
    }
}
