// Showing a live mosaic: which part of it a window shows at what size (the whole mosaic fitted,
// with room to grow so that a growing mosaic is not refitted at every frame, or a part the user
// zoomed into), and drawing that part from the smallest level of the mosaic that still has a
// sample for every pixel shown, one strip of the window at a time. Portable.
#pragma once
#include <cstddef>
#include <cstdint>

#include "frame/mosaic_canvas.h"

// The mosaic point shown at the window's top-left corner and the window pixels per mosaic pixel.
struct MosaicViewport {
    double x = 0, y = 0;
    double scale = 0;  // 0: nothing shown yet
};

struct ViewPixels {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // x0 <= x < x1, y0 <= y < y1
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

// The viewport showing the whole of bounds in a w x h window, centred, with margin (a share of
// the window) left free on every side.
MosaicViewport FitViewport(const MosaicRect& bounds, int w, int h, double margin);

// The fitted viewport for bounds that may have grown since current was fitted: current while the
// bounds still lie inside it and fill at least half of its width or height, else a new fit with
// room for the mosaic to grow.
MosaicViewport FollowGrowth(const MosaicViewport& current, const MosaicRect& bounds, int w, int h);

// current zoomed by factor about window point (px, py), the zoom kept between fitting the whole
// mosaic at a quarter of the window and 4 window pixels per mosaic pixel.
MosaicViewport ZoomViewport(const MosaicViewport& current, const MosaicRect& bounds, int w, int h, double px,
                            double py, double factor);

// Window pixels covered by a mosaic rectangle (clipped to the w x h window), and the mosaic
// rectangle's corners in window coordinates unclipped (for outlines).
ViewPixels ViewOf(const MosaicViewport& v, const MosaicRect& r, int w, int h);
void ViewCorners(const MosaicViewport& v, double x0, double y0, double x1, double y1, double out[4]);

// The mosaic level drawn for a viewport: the smallest whose samples are no larger than a window pixel.
int ViewLevel(const MosaicViewport& v);

// Draws the part of a w x h window picture (BGR, rows stride bytes apart) that the viewport shows
// there: bilinear samples of the chosen level; pixels outside what frames covered take ground
// (blue, green, red).
void RenderMosaic(const MosaicCanvas& canvas, const MosaicViewport& v, uint8_t* out, size_t stride, int w, int h,
                  const ViewPixels& part, const uint8_t ground[3]);
