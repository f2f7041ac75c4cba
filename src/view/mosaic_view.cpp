// Viewports and drawing of a live mosaic (see mosaic_view.h). A window pixel's centre (i + 1/2)
// shows the mosaic point v.x + (i + 1/2) / scale; a sample k of level L stands for the block of
// 4^L full-size pixels whose centre is 4^L (k + 1/2).
#include "view/mosaic_view.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kGrowthMargin = 0.12;  // of the window, left free on each side at a new fit
constexpr double kMaxZoom = 4.0;         // window pixels per mosaic pixel

// The row of a level's samples at y, tile column by tile column from column tc0 (null where no
// tile was made).
void RowPointers(const MosaicCanvas& canvas, int level, int y, int tc0, int tc1, std::vector<const uint8_t*>* out) {
    out->assign(size_t(tc1 - tc0 + 1), nullptr);
    const int ty = y >> 8, row = y & (kMosaicTile - 1);  // arithmetic shift: floor
    for (int tc = tc0; tc <= tc1; ++tc)
        if (const uint8_t* tile = canvas.Tile(level, tc, ty)) (*out)[size_t(tc - tc0)] = tile + size_t(row) * kMosaicTile * 3;
}

}  // namespace

MosaicViewport FitViewport(const MosaicRect& bounds, int w, int h, double margin) {
    MosaicViewport v;
    if (bounds.Empty() || w <= 0 || h <= 0) return v;
    const double usableW = std::max(1.0, w * (1 - 2 * margin)), usableH = std::max(1.0, h * (1 - 2 * margin));
    v.scale = std::min(kMaxZoom, std::min(usableW / bounds.Width(), usableH / bounds.Height()));
    v.x = (bounds.x0 + bounds.x1) / 2.0 - w / 2.0 / v.scale;
    v.y = (bounds.y0 + bounds.y1) / 2.0 - h / 2.0 / v.scale;
    return v;
}

MosaicViewport FollowGrowth(const MosaicViewport& current, const MosaicRect& bounds, int w, int h) {
    if (current.scale > 0 && !bounds.Empty()) {
        const bool inside = bounds.x0 >= current.x && bounds.y0 >= current.y && bounds.x1 <= current.x + w / current.scale &&
                            bounds.y1 <= current.y + h / current.scale;
        const bool large = bounds.Width() * current.scale >= 0.5 * w || bounds.Height() * current.scale >= 0.5 * h;
        if (inside && large) return current;
    }
    return FitViewport(bounds, w, h, kGrowthMargin);
}

MosaicViewport ZoomViewport(const MosaicViewport& current, const MosaicRect& bounds, int w, int h, double px,
                            double py, double factor) {
    if (current.scale <= 0 || bounds.Empty()) return current;
    const double least = FitViewport(bounds, w, h, 0).scale / 4;
    const double scale = std::min(kMaxZoom, std::max(least, current.scale * factor));
    MosaicViewport v;
    v.scale = scale;
    v.x = current.x + px / current.scale - px / scale;
    v.y = current.y + py / current.scale - py / scale;
    return v;
}

ViewPixels ViewOf(const MosaicViewport& v, const MosaicRect& r, int w, int h) {
    ViewPixels p;
    if (v.scale <= 0 || r.Empty()) return p;
    p.x0 = std::max(0, int(std::floor((r.x0 - v.x) * v.scale)));
    p.y0 = std::max(0, int(std::floor((r.y0 - v.y) * v.scale)));
    p.x1 = std::min(w, int(std::ceil((r.x1 - v.x) * v.scale)) + 1);
    p.y1 = std::min(h, int(std::ceil((r.y1 - v.y) * v.scale)) + 1);
    if (p.Empty()) p = {};
    return p;
}

void ViewCorners(const MosaicViewport& v, double x0, double y0, double x1, double y1, double out[4]) {
    out[0] = (x0 - v.x) * v.scale;
    out[1] = (y0 - v.y) * v.scale;
    out[2] = (x1 - v.x) * v.scale;
    out[3] = (y1 - v.y) * v.scale;
}

int ViewLevel(const MosaicViewport& v) {
    int level = 0;
    while (level + 1 < kMosaicLevels && double(1 << (2 * (level + 1))) * v.scale <= 1.0) ++level;
    return level;
}

void RenderMosaic(const MosaicCanvas& canvas, const MosaicViewport& v, uint8_t* out, size_t stride, int w, int h,
                  const ViewPixels& part, const uint8_t ground[3]) {
    const ViewPixels p{std::max(0, part.x0), std::max(0, part.y0), std::min(w, part.x1), std::min(h, part.y1)};
    if (p.Empty()) return;
    const MosaicRect& b = canvas.Bounds();
    auto fill = [&](int j, int i0, int i1) {
        for (int i = i0; i < i1; ++i) std::copy(ground, ground + 3, out + size_t(j) * stride + size_t(i) * 3);
    };
    if (v.scale <= 0 || b.Empty()) {
        for (int j = p.y0; j < p.y1; ++j) fill(j, p.x0, p.x1);
        return;
    }
    const int level = ViewLevel(v);
    const double size = double(1 << (2 * level));  // full-size pixels per sample
    // Per window column: the left sample, its weight and whether the column lies on the mosaic.
    const int n = p.x1 - p.x0;
    std::vector<int> left(static_cast<size_t>(n));
    std::vector<int16_t> weight(static_cast<size_t>(n));
    int first = n, last = -1;  // columns on the mosaic
    for (int i = 0; i < n; ++i) {
        const double mx = v.x + (p.x0 + i + 0.5) / v.scale;
        const double sx = mx / size - 0.5;
        const double f = std::floor(sx);
        left[size_t(i)] = int(f);
        weight[size_t(i)] = int16_t(std::lround((sx - f) * 256));
        if (mx >= b.x0 && mx < b.x1) {
            first = std::min(first, i);
            last = i;
        }
    }
    std::vector<const uint8_t*> top, bottom;
    const int tc0 = first <= last ? left[size_t(first)] >> 8 : 0, tc1 = first <= last ? (left[size_t(last)] + 1) >> 8 : 0;
    for (int j = p.y0; j < p.y1; ++j) {
        const double my = v.y + (j + 0.5) / v.scale;
        if (first > last || my < b.y0 || my >= b.y1) {
            fill(j, p.x0, p.x1);
            continue;
        }
        fill(j, p.x0, p.x0 + first);
        fill(j, p.x0 + last + 1, p.x1);
        const double sy = my / size - 0.5;
        const int y0 = int(std::floor(sy));
        const int wy = int(std::lround((sy - y0) * 256));
        RowPointers(canvas, level, y0, tc0, tc1, &top);
        RowPointers(canvas, level, y0 + 1, tc0, tc1, &bottom);
        static const uint8_t kBlack[3] = {0, 0, 0};
        auto at = [&](const std::vector<const uint8_t*>& row, int x) {
            const uint8_t* r = row[size_t((x >> 8) - tc0)];
            return r ? r + size_t(x & (kMosaicTile - 1)) * 3 : kBlack;
        };
        uint8_t* o = out + size_t(j) * stride + size_t(p.x0 + first) * 3;
        for (int i = first; i <= last; ++i, o += 3) {
            const int x = left[size_t(i)], wx = weight[size_t(i)];
            const uint8_t *a = at(top, x), *c = at(top, x + 1), *d = at(bottom, x), *e = at(bottom, x + 1);
            for (int k = 0; k < 3; ++k) {
                const int upper = a[k] * (256 - wx) + c[k] * wx, lower = d[k] * (256 - wx) + e[k] * wx;
                o[k] = uint8_t((upper * (256 - wy) + lower * wy + 32768) >> 16);
            }
        }
    }
}
