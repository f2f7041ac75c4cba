// The live histogram of the picture: luminance and the three channels of a subsampled frame,
// how much of it is clipped to black or white, and the bar heights the panel draws. Portable.
#pragma once

#include <cstdint>

#include "frame/display_frame.h"

struct FrameHistogram {
    uint32_t luma[256] = {};
    uint32_t blue[256] = {}, green[256] = {}, red[256] = {};
    uint32_t samples = 0;
    uint32_t shadows = 0;     // samples with a channel at 0: detail lost to black
    uint32_t highlights = 0;  // samples with a channel at 255: detail lost to white
};

// The sampling step that looks at no more than about maxSamples pixels of a width x height
// frame: every step-th pixel of every step-th row (1 for small frames).
int HistogramStep(int width, int height, int maxSamples);

// Counts every step-th pixel of every step-th row of a converted frame. Luminance is the gray
// effect's BT.601 luma, so the histogram and a gray picture agree.
void ComputeHistogram(const DisplayFrame* frame, int width, int height, int step, FrameHistogram* out);

// Clipping worth marking: more than 1 in 1000 samples.
inline bool ShadowsClipped(const FrameHistogram& h) { return uint64_t(h.shadows) * 1000 > h.samples; }
inline bool HighlightsClipped(const FrameHistogram& h) { return uint64_t(h.highlights) * 1000 > h.samples; }

// Bar heights 0..height for the 256 bins of one curve, scaled to the fullest bin among 1..254, so
// that a spike of clipped pixels at either end does not flatten the rest (the end bars are cut
// at height) -- unless an end holds four times as much: then to a quarter of that end, so a
// picture gone mostly white or black does not show its remainder as a full histogram.
void HistogramBars(const uint32_t (&bins)[256], int height, int (&bars)[256]);
