// Tiles of the mosaic (see mosaic_canvas.h). Each level keeps a grid of tile pointers that grows
// in any direction; a tile of a smaller level covers 4 x 4 tiles of the level before it, so a
// reduced tile is made from whole tiles of the level below.
#include "frame/mosaic_canvas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t kBgrBytes = size_t(kMosaicTile) * kMosaicTile * 3;
constexpr size_t kCentralityBytes = size_t(kMosaicTile) * kMosaicTile;

int LevelScale(int level) { return 1 << (2 * level); }  // full-size pixels per sample a side

// The samples of a level under a full-size rectangle.
MosaicRect SamplesOf(const MosaicRect& r, int level) {
    const int s = LevelScale(level);
    return {FloorDiv(r.x0, s), FloorDiv(r.y0, s), FloorDiv(r.x1 - 1, s) + 1, FloorDiv(r.y1 - 1, s) + 1};
}

}  // namespace

MosaicRect Union(const MosaicRect& a, const MosaicRect& b) {
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

MosaicRect Intersection(const MosaicRect& a, const MosaicRect& b) {
    MosaicRect r{std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
    if (r.Empty()) r = {};
    return r;
}

uint8_t* MosaicCanvas::Grid::At(int tx, int ty) const {
    const int c = tx - tx0, r = ty - ty0;
    if (c < 0 || r < 0 || c >= columns || r >= rows) return nullptr;
    return tiles[size_t(r) * columns + c];
}

bool MosaicCanvas::Grid::Grow(int tx, int ty) {
    if (columns > 0 && tx >= tx0 && ty >= ty0 && tx < tx0 + columns && ty < ty0 + rows) return true;
    // Room for a few more tiles beyond the one asked for, so a growing mosaic seldom regrows.
    const int nx0 = columns ? std::min(tx0, tx - (tx < tx0 ? 4 : 0)) : tx - 2;
    const int ny0 = rows ? std::min(ty0, ty - (ty < ty0 ? 4 : 0)) : ty - 2;
    const int nx1 = columns ? std::max(tx0 + columns, tx + 1 + (tx >= tx0 + columns ? 4 : 0)) : tx + 3;
    const int ny1 = rows ? std::max(ty0 + rows, ty + 1 + (ty >= ty0 + rows ? 4 : 0)) : ty + 3;
    std::vector<uint8_t*> grown;
    try {
        grown.assign(size_t(nx1 - nx0) * size_t(ny1 - ny0), nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            grown[size_t(ty0 + r - ny0) * (nx1 - nx0) + size_t(tx0 + c - nx0)] = tiles[size_t(r) * columns + c];
    tiles.swap(grown);
    tx0 = nx0;
    ty0 = ny0;
    columns = nx1 - nx0;
    rows = ny1 - ny0;
    return true;
}

MosaicCanvas::MosaicCanvas(size_t budgetBytes) : budget_(budgetBytes) {}

MosaicCanvas::~MosaicCanvas() { Clear(); }

void MosaicCanvas::Clear() {
    for (Grid& g : grids_) {
        for (uint8_t* t : g.tiles) std::free(t);
        g = Grid();
    }
    bounds_ = {};
    bytes_ = 0;
}

size_t MosaicCanvas::TileBytes(int level) const { return level == 1 ? kBgrBytes + kCentralityBytes : kBgrBytes; }

bool MosaicCanvas::Reserve(const MosaicRect& r) {
    if (r.Empty()) return true;
    // What is missing, level by level, and what it costs.
    size_t wanted = 0;
    MosaicRect tiles[kMosaicLevels];
    for (int level = 0; level < kMosaicLevels; ++level) {
        const MosaicRect s = SamplesOf(r, level);
        tiles[level] = {FloorDiv(s.x0, kMosaicTile), FloorDiv(s.y0, kMosaicTile), FloorDiv(s.x1 - 1, kMosaicTile) + 1,
                        FloorDiv(s.y1 - 1, kMosaicTile) + 1};
        for (int ty = tiles[level].y0; ty < tiles[level].y1; ++ty)
            for (int tx = tiles[level].x0; tx < tiles[level].x1; ++tx)
                if (!grids_[level].At(tx, ty)) wanted += TileBytes(level);
    }
    if (wanted == 0) return true;
    if (bytes_ + wanted > budget_) return false;
    std::vector<std::pair<int, uint8_t**>> made;
    for (int level = 0; level < kMosaicLevels; ++level) {
        Grid& g = grids_[level];
        const MosaicRect& t = tiles[level];
        if (!g.Grow(t.x0, t.y0) || !g.Grow(t.x1 - 1, t.y1 - 1)) return false;  // a grown grid holds nothing new
    }
    for (int level = 0; level < kMosaicLevels; ++level) {
        Grid& g = grids_[level];
        const MosaicRect& t = tiles[level];
        for (int ty = t.y0; ty < t.y1; ++ty)
            for (int tx = t.x0; tx < t.x1; ++tx) {
                uint8_t*& slot = g.tiles[size_t(ty - g.ty0) * g.columns + size_t(tx - g.tx0)];
                if (slot) continue;
                slot = static_cast<uint8_t*>(std::calloc(TileBytes(level), 1));
                if (!slot) {
                    for (auto& m : made) {
                        std::free(*m.second);
                        *m.second = nullptr;
                        bytes_ -= TileBytes(m.first);
                    }
                    return false;
                }
                bytes_ += TileBytes(level);
                made.push_back({level, &slot});
            }
    }
    return true;
}

uint8_t* MosaicCanvas::Tile(int level, int tx, int ty) const {
    return level >= 0 && level < kMosaicLevels ? grids_[level].At(tx, ty) : nullptr;
}

uint8_t* MosaicCanvas::Centrality(int tx, int ty) const {
    uint8_t* t = grids_[1].At(tx, ty);
    return t ? t + kBgrBytes : nullptr;
}

void MosaicCanvas::ReadBgr(int level, int x, int y, int w, int h, uint8_t* out, size_t stride) const {
    for (int j = 0; j < h; ++j) std::memset(out + size_t(j) * stride, 0, size_t(w) * 3);
    if (w <= 0 || h <= 0) return;
    for (int ty = FloorDiv(y, kMosaicTile); ty <= FloorDiv(y + h - 1, kMosaicTile); ++ty)
        for (int tx = FloorDiv(x, kMosaicTile); tx <= FloorDiv(x + w - 1, kMosaicTile); ++tx) {
            const uint8_t* tile = Tile(level, tx, ty);
            if (!tile) continue;
            const int sx0 = std::max(x, tx * kMosaicTile), sx1 = std::min(x + w, (tx + 1) * kMosaicTile);
            const int sy0 = std::max(y, ty * kMosaicTile), sy1 = std::min(y + h, (ty + 1) * kMosaicTile);
            for (int sy = sy0; sy < sy1; ++sy)
                std::memcpy(out + size_t(sy - y) * stride + size_t(sx0 - x) * 3,
                            tile + (size_t(sy - ty * kMosaicTile) * kMosaicTile + size_t(sx0 - tx * kMosaicTile)) * 3,
                            size_t(sx1 - sx0) * 3);
        }
}

void MosaicCanvas::ReadBrightness(int level, int factor, int x, int y, int w, int h, float* out, size_t stride,
                                  float* covered) const {
    for (int j = 0; j < h; ++j) {
        std::fill(out + size_t(j) * stride, out + size_t(j) * stride + w, 0.0f);
        if (covered) std::fill(covered + size_t(j) * stride, covered + size_t(j) * stride + w, 0.0f);
    }
    if (w <= 0 || h <= 0 || factor < 1) return;
    const int x0 = x * factor, y0 = y * factor, x1 = (x + w) * factor, y1 = (y + h) * factor;
    for (int ty = FloorDiv(y0, kMosaicTile); ty <= FloorDiv(y1 - 1, kMosaicTile); ++ty)
        for (int tx = FloorDiv(x0, kMosaicTile); tx <= FloorDiv(x1 - 1, kMosaicTile); ++tx) {
            const uint8_t* tile = Tile(level, tx, ty);
            if (!tile) continue;
            const uint8_t* centrality = level == 1 ? Centrality(tx, ty) : nullptr;
            const int sx0 = std::max(x0, tx * kMosaicTile), sx1 = std::min(x1, (tx + 1) * kMosaicTile);
            const int sy0 = std::max(y0, ty * kMosaicTile), sy1 = std::min(y1, (ty + 1) * kMosaicTile);
            for (int sy = sy0; sy < sy1; ++sy) {
                const size_t row = size_t(sy - ty * kMosaicTile) * kMosaicTile;
                float* o = out + size_t((sy - y0) / factor) * stride;
                float* c = covered ? covered + size_t((sy - y0) / factor) * stride : nullptr;
                for (int sx = sx0; sx < sx1; ++sx) {
                    const uint8_t* p = tile + (row + size_t(sx - tx * kMosaicTile)) * 3;
                    const int i = (sx - x0) / factor;
                    // A block no frame has covered counts as nothing, though a
                    // frame's edge may have touched part of it.
                    const bool on = centrality ? centrality[row + size_t(sx - tx * kMosaicTile)] > 0 : (p[0] | p[1] | p[2]) != 0;
                    if (on || !centrality) o[i] += float(p[0] + 2 * p[1] + p[2]);
                    if (c) c[i] += on;
                }
            }
        }
    if (factor > 1 || covered) {
        const float scale = 1.0f / float(factor * factor);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                out[size_t(j) * stride + i] *= scale;
                if (covered) covered[size_t(j) * stride + i] *= scale;
            }
    }
}

float MosaicCanvas::CoveredShare(const MosaicRect& r) const {
    if (r.Empty()) return 0;
    const MosaicRect s = SamplesOf(r, 1);
    long covered = 0, all = 0;
    for (int y = s.y0; y < s.y1; ++y) {
        const int ty = FloorDiv(y, kMosaicTile);
        for (int x = s.x0; x < s.x1;) {
            const int tx = FloorDiv(x, kMosaicTile);
            const int end = std::min(s.x1, (tx + 1) * kMosaicTile);
            if (const uint8_t* d = Centrality(tx, ty)) {
                const uint8_t* row = d + size_t(y - ty * kMosaicTile) * kMosaicTile;
                for (int i = x; i < end; ++i) covered += row[i - tx * kMosaicTile] > 0;
            }
            all += end - x;
            x = end;
        }
    }
    return all ? float(covered) / float(all) : 0.0f;
}

void MosaicCanvas::Reduce(int level, const MosaicRect& s) {
    std::vector<uint32_t> sums(size_t(kMosaicTile) * 3);
    for (int ty = FloorDiv(s.y0, kMosaicTile); ty <= FloorDiv(s.y1 - 1, kMosaicTile); ++ty)
        for (int tx = FloorDiv(s.x0, kMosaicTile); tx <= FloorDiv(s.x1 - 1, kMosaicTile); ++tx) {
            uint8_t* tile = Tile(level, tx, ty);
            if (!tile) continue;
            const int x0 = std::max(s.x0, tx * kMosaicTile), x1 = std::min(s.x1, (tx + 1) * kMosaicTile);
            const int y0 = std::max(s.y0, ty * kMosaicTile), y1 = std::min(s.y1, (ty + 1) * kMosaicTile);
            const int n = x1 - x0;
            for (int y = y0; y < y1; ++y) {
                std::fill(sums.begin(), sums.begin() + size_t(n) * 3, 0u);
                for (int k = 0; k < 4; ++k) {
                    const int sy = y * 4 + k;
                    // The source row runs through up to two tiles of the level below (n samples
                    // from x0 cover 4n source samples from 4 x0).
                    for (int sx = x0 * 4; sx < x1 * 4;) {
                        const int stx = FloorDiv(sx, kMosaicTile), sty = FloorDiv(sy, kMosaicTile);
                        const int end = std::min(x1 * 4, (stx + 1) * kMosaicTile);
                        if (const uint8_t* src = Tile(level - 1, stx, sty)) {
                            const uint8_t* p = src + (size_t(sy - sty * kMosaicTile) * kMosaicTile +
                                                      size_t(sx - stx * kMosaicTile)) * 3;
                            uint32_t* acc = &sums[size_t((sx - x0 * 4) / 4) * 3];
                            for (int i = 0; i < end - sx; i += 4, p += 12, acc += 3) {
                                acc[0] += uint32_t(p[0]) + p[3] + p[6] + p[9];
                                acc[1] += uint32_t(p[1]) + p[4] + p[7] + p[10];
                                acc[2] += uint32_t(p[2]) + p[5] + p[8] + p[11];
                            }
                        }
                        sx = end;
                    }
                }
                uint8_t* dst = tile + (size_t(y - ty * kMosaicTile) * kMosaicTile + size_t(x0 - tx * kMosaicTile)) * 3;
                for (int i = 0; i < n * 3; ++i) dst[i] = uint8_t((sums[size_t(i)] + 8) >> 4);
            }
        }
}

void MosaicCanvas::UpdateReduced(const MosaicRect& r) {
    if (r.Empty()) return;
    for (int level = 1; level < kMosaicLevels; ++level) Reduce(level, SamplesOf(r, level));
}
