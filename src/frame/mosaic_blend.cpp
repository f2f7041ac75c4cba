// Frame placement (see mosaic_blend.h). The fraction of a pixel is taken by separable Catmull-Rom
// interpolation in fixed point, four rows at a time. The seam rule works on 4 x 4 blocks: a block's
// share of the new frame follows from its centrality in the new frame against the centrality
// stored for it, and the stored values are written only after every pixel of the frame is laid,
// so the whole frame is judged against what was there before it.
#include "frame/mosaic_blend.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kAlphaOne = 128;  // the whole new pixel

// Catmull-Rom weights (sum 64) for a sample at t (0..1) between the second and third of four.
void CubicWeights(double t, int w[4]) {
    const double t2 = t * t, t3 = t2 * t;
    const double f[4] = {0.5 * (-t3 + 2 * t2 - t), 0.5 * (3 * t3 - 5 * t2 + 2), 0.5 * (-3 * t3 + 4 * t2 + t),
                         0.5 * (t3 - t2)};
    int sum = 0;
    for (int k = 0; k < 4; ++k) sum += w[k] = int(std::lround(f[k] * 64));
    w[t < 0.5 ? 1 : 2] += 64 - sum;  // rounding goes to the heaviest
}

// One row interpolated across: out[i] = sum of w[k] * row[i - 2 + k], edges repeated.
void AcrossRow(const uint8_t* row, int width, const int w[4], int16_t* out) {
    const int n = width * 3;
    auto at = [&](int i, int c) { return int(row[std::min(width - 1, std::max(0, i)) * 3 + c]); };
    for (int i = 0; i < std::min(2, width); ++i)
        for (int c = 0; c < 3; ++c)
            out[i * 3 + c] = int16_t(w[0] * at(i - 2, c) + w[1] * at(i - 1, c) + w[2] * at(i, c) + w[3] * at(i + 1, c));
    const int w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3];
    for (int b = 6; b < n - 3; ++b)
        out[b] = int16_t(w0 * row[b - 6] + w1 * row[b - 3] + w2 * row[b] + w3 * row[b + 3]);
    for (int i = std::max(2, width - 1); i < width; ++i)
        for (int c = 0; c < 3; ++c)
            out[i * 3 + c] = int16_t(w[0] * at(i - 2, c) + w[1] * at(i - 1, c) + w[2] * at(i, c) + w[3] * at(i + 1, c));
}

// The frame evened out and moved by its fraction of a pixel, one row at a time: out row j shows
// the frame's rows around j - fy, each interpolated across at i - fx. Four rows interpolated
// across are kept (row r in buffer r mod 4), so each source row is interpolated once.
class RowShifter {
public:
    RowShifter(const uint8_t* frame, int width, int height, size_t stride, double fx, double fy,
               const ShadingGains* gains, BlendScratch* s)
        : frame_(frame), width_(width), height_(height), stride_(stride), rowBytes_(size_t(width) * 3), s_(s) {
        gains_ = gains && !gains->Empty() && gains->column.size() == rowBytes_ && gains->row.size() == size_t(height)
                     ? gains
                     : nullptr;
        whole_ = fx == 0 && fy == 0;
        if (gains_) s->even.resize(rowBytes_);
        if (whole_) return;
        CubicWeights(1.0 - fx, wx_);
        CubicWeights(1.0 - fy, wy_);
        s->across.resize(rowBytes_ * 4);
        s->row.resize(rowBytes_);
    }
    const uint8_t* Row(int j) {
        if (whole_) return Source(j);
        // Four consecutive rows never share a buffer, except where the edge repeats a row, which
        // is then the same row anyway.
        const int16_t* a0 = Across(j - 2);
        const int16_t* a1 = Across(j - 1);
        const int16_t* a2 = Across(j);
        const int16_t* a3 = Across(j + 1);
        uint8_t* o = s_->row.data();
        // In 16 bits throughout: each product's high half (weights times 256) keeps the sum at
        // 16 times the pixel value, which vectorises as multiplications of eight samples at once.
        const int16_t w0 = int16_t(wy_[0] * 256), w1 = int16_t(wy_[1] * 256), w2 = int16_t(wy_[2] * 256),
                      w3 = int16_t(wy_[3] * 256);
        for (size_t b = 0; b < rowBytes_; ++b) {
            const int16_t sum = int16_t((a0[b] * w0) >> 16) + int16_t((a1[b] * w1) >> 16) +
                                int16_t((a2[b] * w2) >> 16) + int16_t((a3[b] * w3) >> 16);
            const int16_t v = int16_t((sum + 8) >> 4);
            o[b] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
        }
        return o;
    }

private:
    // Source row r, evened out when there are gains.
    const uint8_t* Source(int r) {
        const uint8_t* row = frame_ + size_t(r) * stride_;
        if (!gains_) return row;
        uint8_t* even = s_->even.data();
        const uint16_t* column = gains_->column.data();
        const uint16_t g = gains_->row[size_t(r)];
        for (size_t b = 0; b < rowBytes_; ++b) {
            const uint16_t gain = uint16_t((column[b] * g + 64) >> 7);  // under 256: the product fits 16 bits
            const uint16_t v = uint16_t((row[b] * gain + 64) >> 7);
            even[b] = uint8_t(v > 255 ? 255 : v);
        }
        return even;
    }
    const int16_t* Across(int r) {
        r = std::min(height_ - 1, std::max(0, r));
        int16_t* slot = s_->across.data() + size_t(r & 3) * rowBytes_;
        if (cached_[r & 3] != r) {
            AcrossRow(Source(r), width_, wx_, slot);
            cached_[r & 3] = r;
        }
        return slot;
    }
    const uint8_t* frame_;
    int width_, height_;
    size_t stride_, rowBytes_;
    BlendScratch* s_;
    const ShadingGains* gains_ = nullptr;
    bool whole_ = false;
    int wx_[4] = {}, wy_[4] = {};
    int cached_[4] = {-1, -1, -1, -1};  // source row held by each buffer
};

// The block map of a frame size: the centrality of each 4 x 4 block's centre, and the mixing
// weight per unit of centrality that spreads a seam over about kSeamFeather pixels.
void PrepareBlocks(int width, int height, BlendScratch* s) {
    if (s->width == width && s->height == height) return;
    const int bw = (width + 3) / 4, bh = (height + 3) / 4;
    s->central.resize(size_t(bw) * bh);
    for (int j = 0; j < bh; ++j)
        for (int i = 0; i < bw; ++i)
            s->central[size_t(j) * bw + i] = FrameCentrality(width, height, std::min(width - 1.0, i * 4 + 1.5),
                                                              std::min(height - 1.0, j * 4 + 1.5));
    // Across a seam the two frames' centralities part at up to twice the rate one changes.
    const double radius = std::hypot(width / 2.0, height / 2.0);
    s->alphaStep = std::max(1, int(std::lround(kAlphaOne * radius / (kSeamFeather * 2.0 * 254.0))));
    s->width = width;
    s->height = height;
}

}  // namespace

uint8_t FrameCentrality(int width, int height, double x, double y) {
    const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
    const double radial = 1.0 + 254.0 * (1.0 - std::hypot(x - cx, y - cy) / std::hypot(cx, cy));
    const double edge = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
    return uint8_t(std::lround(std::max(1.0, std::min(radial, 1.0 + 8.0 * edge))));
}

MosaicRect FrameFootprint(int width, int height, double x, double y) {
    const int xi = int(std::floor(x)), yi = int(std::floor(y));
    return {xi + (x > xi ? 1 : 0), yi + (y > yi ? 1 : 0), xi + width, yi + height};
}

void ShiftFrame(const uint8_t* frame, int width, int height, size_t stride, double fx, double fy, uint8_t* out,
                BlendScratch* scratch) {
    RowShifter shifter(frame, width, height, stride, fx, fy, nullptr, scratch);
    for (int j = 0; j < height; ++j) std::memcpy(out + size_t(j) * width * 3, shifter.Row(j), size_t(width) * 3);
}

MosaicRect BlendFrame(MosaicCanvas* canvas, const uint8_t* frame, int width, int height, size_t stride, double x,
                      double y, BlendScratch* s, const ShadingGains* gains) {
    const int xi = int(std::floor(x)), yi = int(std::floor(y));
    const MosaicRect footprint = FrameFootprint(width, height, x, y);
    RowShifter shifter(frame, width, height, stride, x - xi, y - yi, gains, s);
    PrepareBlocks(width, height, s);
    const int bw = (width + 3) / 4, bh = (height + 3) / 4;
    s->alpha.resize(size_t(kMosaicTile) * 3);
    // The frame's block under each mosaic block's centre, per block column of the footprint.
    const int bu0 = footprint.x0 >> 2, bu1 = (footprint.x1 - 1) >> 2;  // arithmetic shifts: floor
    s->blockColumn.resize(size_t(bu1 - bu0 + 1));
    for (int bu = bu0; bu <= bu1; ++bu)
        s->blockColumn[size_t(bu - bu0)] = std::min(bw - 1, std::max(0, int(std::floor((bu * 4 + 1.5 - x) / 4))));
    auto blockRow = [&](int bv) { return std::min(bh - 1, std::max(0, int(std::floor((bv * 4 + 1.5 - y) / 4)))); };
    const int step = s->alphaStep;
    const int tx0 = FloorDiv(footprint.x0, kMosaicTile), tx1 = FloorDiv(footprint.x1 - 1, kMosaicTile);

    // The pixels, row by row, against the centrality stored before this frame.
    for (int v = footprint.y0; v < footprint.y1; ++v) {
        const uint8_t* src = shifter.Row(v - yi);
        const int bv = v >> 2;
        const uint8_t* central = s->central.data() + size_t(blockRow(bv)) * bw;
        const int ty = FloorDiv(v, kMosaicTile), cty = FloorDiv(ty, 4);
        for (int tx = tx0; tx <= tx1; ++tx) {
            uint8_t* tile = canvas->Tile(0, tx, ty);
            // The quarter-size tile holding this tile's centrality (64 x 64 samples of it).
            const int ctx = FloorDiv(tx, 4);
            const uint8_t* stored = canvas->Centrality(ctx, cty);
            if (!tile || !stored) continue;
            stored += size_t(bv - cty * kMosaicTile) * kMosaicTile;
            const int u0 = std::max(footprint.x0, tx * kMosaicTile), u1 = std::min(footprint.x1, (tx + 1) * kMosaicTile);
            // Each block's share, spread to the bytes of its pixels; then the bytes in one plain
            // loop (most rows of a frame inside the mosaic are all new or all old).
            int16_t* alpha = s->alpha.data();
            int lowest = kAlphaOne, highest = 0;
            for (int u = u0; u < u1;) {
                const int block = u >> 2, end = std::min(u1, (block + 1) * 4);
                const int cNew = central[s->blockColumn[size_t(block - bu0)]];
                const int cOld = stored[block - ctx * kMosaicTile];
                const int a = std::min(kAlphaOne, std::max(0, kAlphaOne + (cNew - cOld) * step));
                lowest = std::min(lowest, a);
                highest = std::max(highest, a);
                for (int b = (u - u0) * 3; b < (end - u0) * 3; ++b) alpha[b] = int16_t(a);
                u = end;
            }
            if (highest == 0) continue;
            uint8_t* d = tile + (size_t(v - ty * kMosaicTile) * kMosaicTile + size_t(u0 - tx * kMosaicTile)) * 3;
            const uint8_t* n = src + size_t(u0 - xi) * 3;
            const int count = (u1 - u0) * 3;
            if (lowest == kAlphaOne) {
                std::memcpy(d, n, size_t(count));
                continue;
            }
            for (int b = 0; b < count; ++b)
                d[b] = uint8_t(d[b] + ((int16_t(int16_t(n[b]) - int16_t(d[b])) * alpha[b] + 64) >> 7));
        }
    }

    // The centrality of the blocks whose centre the frame covers.
    const int cbu0 = FloorDiv(footprint.x0 + 2, 4), cbu1 = FloorDiv(footprint.x1 - 2, 4) + 1;
    const int cbv0 = FloorDiv(footprint.y0 + 2, 4), cbv1 = FloorDiv(footprint.y1 - 2, 4) + 1;
    for (int bv = cbv0; bv < cbv1; ++bv) {
        const int cty = FloorDiv(bv, kMosaicTile);
        const uint8_t* central = s->central.data() + size_t(blockRow(bv)) * bw;
        for (int bu = std::max(cbu0, bu0); bu < std::min(cbu1, bu1 + 1); ++bu) {
            const int ctx = FloorDiv(bu, kMosaicTile);
            uint8_t* stored = canvas->Centrality(ctx, cty);
            if (!stored) continue;
            uint8_t& c = stored[size_t(bv - cty * kMosaicTile) * kMosaicTile + size_t(bu - ctx * kMosaicTile)];
            const int cNew = central[s->blockColumn[size_t(bu - bu0)]];
            const int a = std::min(kAlphaOne, std::max(0, kAlphaOne + (cNew - int(c)) * step));
            c = uint8_t(std::max(1, int(c) + (((cNew - int(c)) * a + 64) >> 7)));
        }
    }
    canvas->Cover(footprint);
    canvas->UpdateReduced(footprint);
    return footprint;
}
