// White balance from a neutral area: the mean colour of an area of a converted frame that should
// be white or grey, and the channel gains that make that mean neutral. Portable.
#pragma once

#include <cstdint>
#include <optional>

#include "frame/channel_gains.h"
#include "frame/display_frame.h"

// A rectangle of frame pixels: x0 <= x < x1, y0 <= y < y1.
struct FrameArea {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

// The mean of each channel over the area's pixels that lie in the frame and have no channel at 0
// or 255 (clipped values say nothing about the light's colour).
struct AreaMeans {
    double blue = 0, green = 0, red = 0;
    uint64_t pixels = 0;  // pixels counted
    uint64_t clipped = 0; // pixels of the area left out
};
AreaMeans MeanOfArea(const DisplayFrame* frame, int width, int height, FrameArea area);

// Why an area cannot balance the picture.
enum class NeutralProblem { None, Clipped, TooDark };

// The gains that make the area neutral, given the means measured with current applied: the
// channel that was brightest before any gain keeps gain 1, the others are raised to it, so no
// channel loses its highlights to the balance. Fails (nothing is returned) when fewer than half
// the area's pixels are unclipped or a channel's mean is too dark to scale up within the gain
// limit; problem then says which.
std::optional<ChannelGains> NeutralGains(const AreaMeans& means, const ChannelGains& current,
                                         NeutralProblem* problem = nullptr);
