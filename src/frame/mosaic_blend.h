// Placing a frame into the mosaic: the frame is evened out for its lens's shading (when known),
// moved by the fraction of a pixel its place has (cubic interpolation, so it stays sharp) and
// laid over what is there with a feathered seam. Each 4 x 4 block of the mosaic keeps the picture
// of the frame in which it lay most centrally (nearest the frame's middle, and not at its very
// edge): where the new frame's block is at least as central as the stored one, the new picture
// is taken; where it is a little less central, the two are mixed in proportion, over about
// kSeamFeather pixels; beyond that the old one stays. So seams fall midway between overlapping
// frames, away from their darker, less sharp edges, and are a soft blend rather than a step, while
// nothing is averaged over many frames (no blur from small misplacements). Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame/mosaic_canvas.h"

constexpr int kSeamFeather = 32;  // pixels over which a seam mixes two frames

// Reused between frames so that placing allocates nothing once it has run for a frame size.
struct BlendScratch {
    int width = 0, height = 0;       // the frame size the block map was made for
    std::vector<uint8_t> central;    // per 4 x 4 block of the frame, its centrality (1 .. 255)
    int alphaStep = 1;               // mixing weight (of 128) per unit of centrality
    std::vector<int> blockColumn;    // per mosaic block column of the footprint, the frame's block
    std::vector<int16_t> across;     // four rows interpolated across, 3 samples a pixel
    std::vector<uint8_t> row;        // one row of the frame moved by its fraction of a pixel
    std::vector<uint8_t> even;       // one source row evened out for shading
    std::vector<int16_t> alpha;      // per byte of a tile's row, the new frame's share (of 128)
};

// Shading evened out: byte c of frame pixel (i, j) is multiplied by column[3 i + c] * row[j], each
// factor in 128ths (128 = 1, less than 2 together).
struct ShadingGains {
    std::vector<uint16_t> column, row;
    bool Empty() const { return row.empty(); }
};

// Lays a width x height BGR frame (rows stride bytes apart) with its top-left pixel at (x, y) of
// the mosaic, evened out by gains when they are given. The canvas must hold tiles under the frame
// (MosaicCanvas::Reserve). Returns the full-size pixels written; the reduced levels are made anew
// for them.
MosaicRect BlendFrame(MosaicCanvas* canvas, const uint8_t* frame, int width, int height, size_t stride, double x,
                      double y, BlendScratch* scratch, const ShadingGains* gains = nullptr);

// The full-size pixels a frame at (x, y) writes.
MosaicRect FrameFootprint(int width, int height, double x, double y);

// The frame moved right by fx and down by fy (each 0 <= f < 1) with cubic interpolation: out
// pixel (i, j) shows the frame at (i - fx, j - fy), edges repeated. out holds width x height.
void ShiftFrame(const uint8_t* frame, int width, int height, size_t stride, double fx, double fy, uint8_t* out,
                BlendScratch* scratch);

// How central a frame point (x, y) is (1 .. 255): 255 at the middle, falling with the distance
// from it to 1 at the corners, and to 1 within a few pixels of any edge.
uint8_t FrameCentrality(int width, int height, double x, double y);
