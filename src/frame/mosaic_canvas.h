// The picture a live mosaic grows into: tiles of 256 x 256 pixels made where frames land, in
// four levels (full size, then each a quarter of the one before a side), so that any part can be
// shown at any size by reading only the tiles it needs. The quarter-size level also holds, per
// sample (a 4 x 4 block of full-size pixels), how central in its frame the block's picture was
// taken (1 .. 255): the seam between frames is placed where they are equally central (see
// mosaic_blend.h), and 0 marks a block nothing has covered yet. Memory is held to a budget.
// Portable; not thread-safe (the caller keeps readers out while it writes).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kMosaicLevels = 4;
constexpr int kMosaicTile = 256;  // samples a side, at every level

// A rectangle of full-size mosaic pixels, x0 <= x < x1, y0 <= y < y1; coordinates may be negative
// (the first frame lies at 0, 0 and the mosaic grows in every direction).
struct MosaicRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
    int Width() const { return x1 - x0; }
    int Height() const { return y1 - y0; }
};
MosaicRect Union(const MosaicRect& a, const MosaicRect& b);
MosaicRect Intersection(const MosaicRect& a, const MosaicRect& b);

// floor(a / b) for b > 0.
inline int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

class MosaicCanvas {
public:
    // budgetBytes: the most the tiles may take together.
    explicit MosaicCanvas(size_t budgetBytes = size_t(400) << 20);
    ~MosaicCanvas();
    MosaicCanvas(const MosaicCanvas&) = delete;
    MosaicCanvas& operator=(const MosaicCanvas&) = delete;

    void Clear();
    // Everything frames have covered so far (empty before the first).
    const MosaicRect& Bounds() const { return bounds_; }
    void Cover(const MosaicRect& r) { bounds_ = bounds_.Empty() ? r : Union(bounds_, r); }
    size_t MemoryBytes() const { return bytes_; }
    size_t BudgetBytes() const { return budget_; }

    // Makes every tile under r, at every level; false (and nothing new made) when that would go
    // beyond the budget or the memory is not there.
    bool Reserve(const MosaicRect& r);

    // The tile holding sample (tx * 256, ty * 256) of a level, null where nothing was made:
    // kMosaicTile rows of kMosaicTile * 3 bytes (blue, green, red).
    uint8_t* Tile(int level, int tx, int ty) const;
    // The quarter-size level's centrality, kMosaicTile rows of kMosaicTile bytes; null where
    // nothing was made.
    uint8_t* Centrality(int tx, int ty) const;

    // Samples of a level, x and y counted in that level's samples: w x h BGR pixels into out, rows
    // stride bytes apart; where nothing was made, black.
    void ReadBgr(int level, int x, int y, int w, int h, uint8_t* out, size_t stride) const;
    // The brightness B + 2G + R of a level's samples, binned factor x factor (1, 2 or 4) from (x, y)
    // in binned samples of that level, as w x h floats rows stride floats apart. With covered, the
    // share of each sample that frames have covered: at the quarter-size level the blocks with a
    // centrality above 0 (others count as black), at smaller levels the samples that are not black.
    void ReadBrightness(int level, int factor, int x, int y, int w, int h, float* out, size_t stride,
                        float* covered = nullptr) const;
    // The share of a full-size rectangle whose blocks frames have covered.
    float CoveredShare(const MosaicRect& r) const;

    // After the full-size pixels of r changed: the smaller levels made anew from them.
    void UpdateReduced(const MosaicRect& r);

private:
    struct Grid {
        int tx0 = 0, ty0 = 0, columns = 0, rows = 0;
        std::vector<uint8_t*> tiles;
        uint8_t* At(int tx, int ty) const;
        bool Grow(int tx, int ty);
    };
    size_t TileBytes(int level) const;
    void Reduce(int level, const MosaicRect& samples);  // level from level - 1, in level samples

    Grid grids_[kMosaicLevels];
    MosaicRect bounds_;
    size_t bytes_ = 0;
    size_t budget_;
};
