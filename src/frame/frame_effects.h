// Pixel effects applied in place to each new DisplayFrame before it is published: horizontal
// flip first, then at most one of gray, binary, invert, emboss (the first that is on).
// Vertical flip is not a pixel operation (the view draws the rows the other way round).
#pragma once

#include <cstdint>

#include "frame/display_frame.h"

struct FrameEffects {
    bool flipHorizontal = false;
    bool gray = false;
    bool binary = false;
    bool invert = false;
    bool emboss = false;
};

void ApplyEffects(DisplayFrame* frame, int width, int height, const FrameEffects& effects);

// The single effects (fastest version the processor runs).
void FlipHorizontal(DisplayFrame* frame, int width, int height);
void GrayFrame(DisplayFrame* frame, int width, int height);
void BinaryFrame(DisplayFrame* frame, int width, int height);
void InvertFrame(DisplayFrame* frame, int width, int height);
void EmbossFrame(DisplayFrame* frame, int width, int height);

// Plain per-pixel reference forms, for tests and benchmarks.
void FlipHorizontalScalar(DisplayFrame* frame, int width, int height);
void GrayFrameScalar(DisplayFrame* frame, int width, int height);
void BinaryFrameScalar(DisplayFrame* frame, int width, int height);
void InvertFrameScalar(DisplayFrame* frame, int width, int height);
void EmbossFrameScalar(DisplayFrame* frame, int width, int height);

// BT.601 luma rounded to nearest: (299 red + 587 green + 114 blue + 500) / 1000.
inline int GrayOf(int blue, int green, int red) { return (299 * red + 587 * green + 114 * blue + 500) / 1000; }
