// Where a frame lies in the mosaic. Near a guessed place: phase correlation of the frame and the
// mosaic at quarter size gives the shift to about a pixel, then Gauss-Newton on full-size
// brightness (a patch of the frame where the mosaic is covered and the frame most detailed)
// brings it to a fraction of a pixel. When the guess is lost, the whole mosaic is searched at a
// smaller size, window after window nearest first, and what looks like the frame's place is
// checked the same way. A place counts only when everything agrees:
// - the coarse peak stands far out of the correlation (clarity),
// - the fine alignment converged on enough points and stayed near the coarse answer,
// - what remains between frame and mosaic is small beside the detail the mosaic shows there,
//   which a frame blurred by movement, one without texture or one that matches by chance fails.
// Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "frame/field_alignment.h"
#include "frame/mosaic_canvas.h"
#include "frame/phase_correlation.h"

// The rule's thresholds.
constexpr float kMosaicMinClarity = 9.0f;         // coarse peak, near the guess
constexpr float kMosaicSearchClarity = 10.0f;     // coarse peak of a search window
constexpr float kMosaicMaxResidual = 0.6f;        // fine residual / the mosaic's contrast there
constexpr double kMosaicMaxDisagreement = 3.0;    // coarse against fine, full-size pixels
constexpr int kMosaicMinPoints = 150;             // points the fine alignment used
constexpr float kMosaicMinOverlap = 0.3f;         // share of the guessed field the mosaic covers

struct MosaicFix {
    bool found = false;
    double x = 0, y = 0;     // the frame's top-left pixel in the mosaic
    float clarity = 0;       // of the coarse match
    float residual = 0;      // fine alignment's remaining difference over the contrast
    double disagreement = 0;
    int points = 0;
    bool searched = false;   // found (or looked for) by searching the mosaic
};

class MosaicTracker {
public:
    // For frames of width x height (32 .. 8192 each way). False without memory.
    bool Start(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }

    // Reads the frame (BGR, rows stride bytes apart) into the tracker's reduced copies; the
    // frame itself must stay unchanged until the frame's place is known (Near, Search).
    void LoadFrame(const uint8_t* bgr, size_t stride);
    // The loaded frame's detail: mean difference of neighbouring quarter-size samples, in
    // brightness units (B + 2G + R).
    float Texture() const { return texture_; }
    // The loaded frame's brightness at quarter size: QuarterWidth() x QuarterHeight() samples, each
    // the mean B + 2G + R of a 4 x 4 block.
    const float* Quarter() const { return quarter_.data(); }
    int QuarterWidth() const { return qw_; }
    int QuarterHeight() const { return qh_; }

    // The loaded frame's place near (x, y).
    MosaicFix Near(const MosaicCanvas& canvas, double x, double y);
    // The loaded frame's place anywhere in the mosaic, looking first around (x, y), then on from
    // where the last search stopped; at most windows windows are tried.
    MosaicFix Search(const MosaicCanvas& canvas, double x, double y, int windows);

    size_t MemoryBytes() const;

private:
    struct Patch {
        int x, y;  // in the frame
        float detail;
    };
    bool Fine(const MosaicCanvas& canvas, double coarseX, double coarseY, MosaicFix* fix);
    bool PickPatch(const MosaicCanvas& canvas, double x, double y, int pw, int ph, int steps, Patch* out) const;
    // Reference samples of the canvas with the uncovered part filled with the covered mean; the
    // covered share.
    float ReadReference(const MosaicCanvas& canvas, int level, int factor, int x, int y, int w, int h,
                        std::vector<float>* out);

    int width_ = 0, height_ = 0;
    const uint8_t* frame_ = nullptr;
    size_t stride_ = 0;
    // Quarter size: the frame's brightness, and its detail per sample for choosing patches.
    int qw_ = 0, qh_ = 0;
    std::vector<float> quarter_, detail_;
    float texture_ = 0;
    // Coarse matching near the guess: at quarter size, crop (cx, cy) of size correlator_.
    PhaseCorrelator correlator_;
    int cropX_ = 0, cropY_ = 0;
    // Searching: the frame binned to searchScale_ full-size pixels a sample.
    PhaseCorrelator searcher_;
    int searchScale_ = 16, searchX_ = 0, searchY_ = 0;
    std::vector<float> searchFrame_;
    size_t searchCursor_ = 0;
    MosaicRect searchBounds_;
    std::vector<std::pair<int, int>> searchWindows_;  // window origins, in search samples
    // Fine alignment.
    FieldAligner aligner_;
    std::vector<float> reference_, covered_, patch_;
};
