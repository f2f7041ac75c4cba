// Focus stacking (see focus_stack.h). Per frame: a half-size brightness picture (sums of 2 x 2
// pixels), phase correlation on a quarter-size crop of it for the shift, Gauss-Newton on the
// reference's most detailed points for shift and scale, a separable Lanczos resampling into the
// first frame's field, the modified Laplacian of the moved frame binned 2 x 2 and summed over a
// window on the half-size grid, the comparison with the best so far, the smoothing of the
// choice, and the blend of the chosen points into the fused picture. Rows stream through small
// ring buffers; nothing frame-sized is made per frame.
#include "frame/focus_stack.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "frame/stack_kernels.h"

namespace {

constexpr int kWindowRadius = 2;       // the focus window: 5 x 5 points of the half-size grid
constexpr float kMinClarity = 8.0f;     // a correlation peak standing out less is no alignment
constexpr double kMaxRefineMove = 3;   // half-size samples the refinement may move from the peak
constexpr int kMaxCorrelatorSide = 256;
constexpr int kMinCorrelatorWidth = 128, kMinCorrelatorHeight = 96;
constexpr int kAlignPoints = 12000;
constexpr float kQuietShare = 0.002f;  // a frame that improves less than this is quiet
// A point takes a frame only when it is clearly sharper there: by more than 3 steps of the
// focus code (each about 0.8 %), so that noise between equally sharp frames changes nothing.
constexpr int kWinMargin = 3;
constexpr int kTaps = 6;               // Lanczos, three lobes

constexpr int kPad = 16;               // pixels of edge repeated on each side of a source row
constexpr int kPhases = 1024;          // fractions the resampling weights are tabled for

// Lanczos weights (three lobes, normalised) for the taps at -2 .. 3 of a fraction in [0, 1),
// tabled in steps of 1/1024.
const float* LanczosWeights(double fraction) {
    static const std::vector<float> table = [] {
        std::vector<float> t(size_t(kPhases + 1) * kTaps);
        for (int p = 0; p <= kPhases; ++p) {
            float* w = &t[size_t(p) * kTaps];
            float sum = 0;
            for (int k = 0; k < kTaps; ++k) {
                const double x = std::fabs(double(p) / kPhases - (k - 2));
                double v = 1;
                if (x > 1e-9) {
                    const double a = 3.141592653589793 * x;
                    v = x < 3 ? 3 * std::sin(a) * std::sin(a / 3) / (a * a) : 0.0;
                }
                w[k] = float(v);
                sum += float(v);
            }
            for (int k = 0; k < kTaps; ++k) w[k] /= sum;
        }
        return t;
    }();
    const int phase = std::min(kPhases, std::max(0, int(std::lround(fraction * kPhases))));
    return &table[size_t(phase) * kTaps];
}

uint8_t Clamp8(float v) { return uint8_t(v <= 0 ? 0 : v >= 255 ? 255 : int(v + 0.5f)); }

}  // namespace

uint16_t FocusCode(float value) {
    if (!(value > 0)) return 0;
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return uint16_t(bits >> 16);
}

template <class T>
void Release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

void FocusStack::Clear() {
    Release(fused_);
    Release(warped_);
    Release(luma_);
    Release(best_);
    Release(depth_);
    Release(choice_);
    Release(rowChosen_);
    Release(acrossRows_);
    Release(paddedRow_);
    Release(runs_);
    Release(lumaRows_);
    Release(laplacian_);
    Release(measureRows_);
    Release(columnSums_);
    Release(choiceRows_);
    Release(alpha_);
    Release(quarter_);
    correlator_.Init(8, 8);  // the smallest plans: what a larger size held goes
    aligner_ = FieldAligner();
    width_ = height_ = halfW_ = halfH_ = 0;
    frames_ = quiet_ = 0;
    prepared_ = measured_ = false;
    lastScale_ = 1.0;
}

bool FocusStack::Start(int width, int height) {
    Clear();
    if (width < 16 || height < 16 || width > 8192 || height > 8192) return false;
    const int halfW = width / 2, halfH = height / 2;
    // The correlator works on the quarter-size grid, or on the half-size one for small frames,
    // whose quarter would show too little.
    const int level = halfW / 2 >= kMinCorrelatorWidth && halfH / 2 >= kMinCorrelatorHeight ? 2 : 1;
    const int gridW = halfW / level, gridH = halfH / level;
    const int cropW = FftFriendlySize(std::min(gridW, kMaxCorrelatorSide));
    const int cropH = FftFriendlySize(std::min(gridH, kMaxCorrelatorSide));
    const size_t pixels = size_t(width) * height, points = size_t(halfW) * halfH;
    try {
        fused_.resize(pixels * 3);
        warped_.resize(pixels * 3);
        luma_.resize(points);
        best_.assign(points, 0);
        depth_.assign(points, 0);
        choice_.assign(points, 0);
        rowChosen_.assign(size_t(halfH), 0);
        acrossRows_.resize(size_t(width) * 3 * 8);
        paddedRow_.resize(size_t(width + 2 * kPad) * 3);
        runs_.reserve(size_t(width));
        lumaRows_.resize(size_t(width) * 4);
        laplacian_.resize(size_t(width) * 2);
        measureRows_.resize(size_t(halfW) * (2 * kWindowRadius + 1));
        columnSums_.resize(size_t(halfW));
        choiceRows_.resize(size_t(halfW) * 4);
        alpha_.resize(size_t(width) * 3);
        quarter_.resize(size_t(cropW) * cropH);
    } catch (const std::bad_alloc&) {
        Clear();
        return false;
    }
    if (!correlator_.Init(cropW, cropH)) {
        Clear();
        return false;
    }
    correlatorLevel_ = level;
    cropX_ = (gridW - cropW) / 2;
    cropY_ = (gridH - cropH) / 2;
    width_ = width;
    height_ = height;
    halfW_ = halfW;
    halfH_ = halfH;
    return true;
}

size_t FocusStack::MemoryBytes() const {
    return fused_.capacity() + warped_.capacity() +
           (luma_.capacity() + best_.capacity() + depth_.capacity() + measureRows_.capacity() +
            lumaRows_.capacity() + laplacian_.capacity()) * 2 +
           choice_.capacity() + choiceRows_.capacity() + alpha_.capacity() + rowChosen_.capacity() * 4 +
           paddedRow_.capacity() * sizeof(float) + runs_.capacity() * sizeof(AcrossRun) +
           (acrossRows_.capacity() + quarter_.capacity()) * sizeof(float) + columnSums_.capacity() * 4 +
           correlator_.MemoryBytes() + aligner_.MemoryBytes();
}

// ---- Alignment ----

void FocusStack::Reduce(const uint8_t* frame, uint16_t* luma) const {
    const StackKernels& k = GetStackKernels();
    const size_t stride = size_t(width_) * 3;
    for (int j = 0; j < halfH_; ++j) {
        const uint8_t* a = frame + size_t(2 * j) * stride;
        k.reduce(a, a + stride, halfW_, luma + size_t(j) * halfW_);
    }
}

// The correlator's picture: a crop from the middle of the half-size brightness, binned 2 x 2
// onto the quarter-size grid unless the frame is small.
void FocusStack::LoadCorrelatorPicture(const uint16_t* luma) {
    const int cw = correlator_.width(), ch = correlator_.height(), level = correlatorLevel_;
    for (int y = 0; y < ch; ++y) {
        const uint16_t* a = luma + size_t(level * (cropY_ + y)) * halfW_ + size_t(level * cropX_);
        float* out = quarter_.data() + size_t(y) * cw;
        if (level == 1) {
            for (int x = 0; x < cw; ++x) out[x] = float(a[x]);
            continue;
        }
        const uint16_t* b = a + halfW_;
        for (int x = 0; x < cw; ++x) out[x] = float(a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1]);
    }
}

// What frames are aligned against: a picture in the first frame's field.
void FocusStack::SetReference(const uint8_t* picture) {
    Reduce(picture, luma_.data());
    LoadCorrelatorPicture(luma_.data());
    correlator_.SetReference(quarter_.data(), size_t(correlator_.width()));
    aligner_.SetReference(Plane<uint16_t>{luma_.data(), halfW_, halfH_, size_t(halfW_)}, kAlignPoints);
}

bool FocusStack::Align(FieldWarp* warp) {
    LoadCorrelatorPicture(luma_.data());
    const PhaseShift shift = correlator_.Match(quarter_.data(), size_t(correlator_.width()));
    lastMatch_ = shift.peak;
    lastClarity_ = shift.clarity;
    if (shift.clarity < kMinClarity) return false;
    // A quarter-size sample is two half-size ones (the grids share their centres).
    FieldWarp start;
    start.scale = lastScale_;
    start.dx = correlatorLevel_ * double(shift.dx);
    start.dy = correlatorLevel_ * double(shift.dy);
    const Plane<uint16_t> moving{luma_.data(), halfW_, halfH_, size_t(halfW_)};
    FieldWarp half = start;
    if (aligner_.Ready()) {
        FieldAlignment fine = aligner_.Refine(moving, start, true);
        auto near = [&](const FieldWarp& w) {
            return std::fabs(w.dx - start.dx) <= kMaxRefineMove && std::fabs(w.dy - start.dy) <= kMaxRefineMove;
        };
        if (near(fine.warp) && fine.warp.scale > 0.9 && fine.warp.scale < 1.1) {
            half = fine.warp;
        } else {
            // The refinement ran off (too little detail, or something moved): the shift alone.
            start.scale = 1.0;
            fine = aligner_.Refine(moving, start, false);
            half = near(fine.warp) ? fine.warp : start;
        }
    }
    *warp = ScaleFieldWarp(half, 2.0);
    return true;
}

// The frame resampled into the first frame's field: rows across first (each source row once,
// kept in a ring of eight while output rows need it), then down. Across, the warp's scale is so
// close to 1 that a run of columns can share one offset and one set of weights (the run is kept
// short enough that no column moves by more than 0.03 pixels), which lets the inner loops run
// over contiguous bytes.
void FocusStack::Warp(const uint8_t* frame, const FieldWarp& warp) {
    const StackKernels& k = GetStackKernels();
    const int w = width_, h = height_, rowBytes = w * 3;
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    const double slope = warp.scale;
    const int run = std::max(1, std::min(64, int(0.06 / std::max(1e-9, std::fabs(slope - 1.0)))));
    // The runs of a row, the same for every row. A run whose taps would reach past the padding
    // lies outside the frame (its pixels are not measured): it reads the padding's edge.
    runs_.clear();
    const int lastSource = (w + 2 * kPad) * 3 - (kTaps - 1) * 3 - 3 * run;
    for (int x0 = 0; x0 < w; x0 += run) {
        const int x1 = std::min(w, x0 + run);
        const double mid = (x0 + x1 - 1) / 2.0;
        const double sx = cx + slope * (mid - cx) + warp.dx - mid;  // source minus output column
        const int offset = int(std::floor(sx));
        AcrossRun r;
        r.out = x0 * 3;
        r.n = (x1 - x0) * 3;
        r.src = std::min(lastSource, std::max(0, (x0 + offset - 2 + kPad) * 3));
        std::memcpy(r.w, LanczosWeights(sx - offset), sizeof r.w);
        runs_.push_back(r);
    }
    int cached[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    auto across = [&](int sy) -> const float* {
        sy = std::min(h - 1, std::max(0, sy));
        const int slot = sy & 7;
        float* out = acrossRows_.data() + size_t(slot) * rowBytes;
        if (cached[slot] == sy) return out;
        cached[slot] = sy;
        float* padded = paddedRow_.data();
        k.widen(frame + size_t(sy) * rowBytes, rowBytes, padded + kPad * 3);
        for (int p = 0; p < kPad; ++p)
            for (int c = 0; c < 3; ++c) {
                padded[p * 3 + c] = padded[kPad * 3 + c];
                padded[(kPad + w + p) * 3 + c] = padded[(kPad + w - 1) * 3 + c];
            }
        k.across(padded, runs_.data(), int(runs_.size()), out);
        return out;
    };
    for (int y = 0; y < h; ++y) {
        const double sy = cy + slope * (y - cy) + warp.dy;
        const int iy = int(std::floor(sy));
        const float* wt = LanczosWeights(sy - iy);
        const float* rows[kTaps];
        for (int t = 0; t < kTaps; ++t) rows[t] = across(iy - 2 + t);
        k.down(rows, wt, rowBytes, warped_.data() + size_t(y) * rowBytes);
    }
    // What came from inside the frame, on the half-size grid, less the reach of the Laplacian
    // and of the focus window: only there is the focus measure whole.
    auto valid = [&](int n, double centre, double shift, int* first, int* last) {
        // Output positions whose taps all lie inside 0 .. n - 1.
        const double lo = (2 - centre - shift) / slope + centre, hi = (n - 4 - centre - shift) / slope + centre;
        const int a = int(std::ceil(lo)), b = int(std::floor(hi));
        // Half-size point i uses full positions 2i - 1 .. 2i + 2.
        *first = std::max(0, (a + 2) / 2) + kWindowRadius;
        *last = std::min(n / 2, (b - 2) / 2 + 1) - kWindowRadius;
    };
    valid(w, cx, warp.dx, &validX0_, &validX1_);
    valid(h, cy, warp.dy, &validY0_, &validY1_);
}

bool FocusStack::Prepare(const uint8_t* frame) {
    prepared_ = measured_ = false;
    if (!Started() || !frame) return false;
    if (frames_ == 0) {
        SetReference(frame);
        std::memcpy(warped_.data(), frame, warped_.size());
        lastWarp_ = FieldWarp{};
        lastMatch_ = 1;
        lastClarity_ = 0;
        validX0_ = validY0_ = 0;
        validX1_ = halfW_;
        validY1_ = halfH_;
        prepared_ = true;
        return true;
    }
    Reduce(frame, luma_.data());
    FieldWarp warp;
    if (!Align(&warp)) return false;
    Warp(frame, warp);
    lastWarp_ = warp;
    prepared_ = true;
    return true;
}

// ---- Focus ----

void FocusStack::MeasureFocus() {
    const StackKernels& kern = GetStackKernels();
    const int w = width_, h = height_, hw = halfW_, hh = halfH_;
    const int k = 2 * kWindowRadius + 1;
    int cachedLuma[4] = {-1, -1, -1, -1};
    auto luma = [&](int y) -> const int16_t* {
        y = std::min(h - 1, std::max(0, y));
        const int slot = y & 3;
        int16_t* out = lumaRows_.data() + size_t(slot) * w;
        if (cachedLuma[slot] != y) {
            cachedLuma[slot] = y;
            kern.luma(warped_.data() + size_t(y) * w * 3, w, out);
        }
        return out;
    };
    // Row j of the measure on the half-size grid: the modified Laplacian of the two full rows it
    // covers, summed over each 2 x 2 block.
    auto measureRow = [&](int j, uint16_t* out) {
        const int16_t* rows[4] = {luma(2 * j - 1), luma(2 * j), luma(2 * j + 1), luma(2 * j + 2)};
        kern.measurePair(rows, w, laplacian_.data(), laplacian_.data() + w, out);
    };
    // The window's rows are summed down into columnSums_, rows beyond the grid's edges counting
    // as the edge row; the ring holds the 2R + 1 rows of the window, by row number.
    auto ringRow = [&](int r) { return measureRows_.data() + size_t(r % k) * hw; };
    std::fill(columnSums_.begin(), columnSums_.end(), 0);
    for (int r = 0; r <= std::min(kWindowRadius, hh - 1); ++r) measureRow(r, ringRow(r));
    for (int r = -kWindowRadius; r <= kWindowRadius; ++r)
        kern.slide(columnSums_.data(), ringRow(std::min(hh - 1, std::max(0, r))), nullptr, hw);
    const bool first = frames_ == 0;
    chosen_ = valid_ = 0;
    for (int j = 0; j < hh; ++j) {
        if (j > 0) {
            // Row j - R - 1 leaves the window; row j + R, which takes its slot, comes in.
            const int incoming = j + kWindowRadius;
            const uint16_t* leaving = ringRow(std::max(0, j - kWindowRadius - 1));
            if (incoming < hh) {
                // Taken off before its slot is overwritten.
                for (int i = 0; i < hw; ++i) columnSums_[size_t(i)] -= leaving[i];
                measureRow(incoming, ringRow(incoming));
                kern.slide(columnSums_.data(), ringRow(incoming), nullptr, hw);
            } else {
                kern.slide(columnSums_.data(), ringRow(hh - 1), leaving, hw);
            }
        }
        // columnSums_ now holds rows j - R .. j + R; the window sums them across.
        uint8_t* choice = choice_.data() + size_t(j) * hw;
        uint16_t* best = best_.data() + size_t(j) * hw;
        if (first) {
            int32_t window = 0;
            for (int i = -kWindowRadius; i <= kWindowRadius; ++i)
                window += columnSums_[size_t(std::min(hw - 1, std::max(0, i)))];
            for (int i = 0; i < hw; ++i) {
                if (i > 0)
                    window += columnSums_[size_t(std::min(hw - 1, i + kWindowRadius))] -
                              columnSums_[size_t(std::max(0, i - kWindowRadius - 1))];
                best[i] = FocusCode(float(window));
                choice[i] = 1;
            }
            chosen_ += uint32_t(hw);
            valid_ += uint32_t(hw);
            continue;
        }
        std::memset(choice, 0, size_t(hw));
        if (j < validY0_ || j >= validY1_ || validX0_ >= validX1_) continue;
        int32_t window = 0;
        for (int i = validX0_ - kWindowRadius; i <= validX0_ + kWindowRadius; ++i) window += columnSums_[size_t(i)];
        for (int i = validX0_; i < validX1_; ++i) {
            if (i > validX0_)
                window += columnSums_[size_t(i + kWindowRadius)] - columnSums_[size_t(i - kWindowRadius - 1)];
            const uint16_t code = FocusCode(float(window));
            const bool wins = code > best[i] + kWinMargin;
            best[i] = wins ? code : best[i];
            choice[i] = wins;
        }
        valid_ += uint32_t(validX1_ - validX0_);
    }
}

// The choice by majority of each point's 3 x 3 neighbourhood, then no lone point either way: a
// chosen point with no chosen neighbour is dropped, an unchosen one among eight chosen ones is
// taken. Both passes read the rows as they were before the pass (three rows kept aside).
void FocusStack::SmoothChoice() {
    const int hw = halfW_, hh = halfH_;
    uint8_t* keep[3] = {choiceRows_.data(), choiceRows_.data() + hw, choiceRows_.data() + 2 * hw};
    uint8_t* sums = choiceRows_.data() + 3 * hw;  // 3 x 1 sums down, per column
    auto inside = [&](int j) { return j >= validY0_ && j < validY1_; };
    for (int pass = 0; pass < 2; ++pass) {
        // keep[0] the row above (as before the pass), keep[1] this row, keep[2] the row below.
        std::memset(keep[0], 0, size_t(hw));
        std::memcpy(keep[1], choice_.data(), size_t(hw));
        for (int j = 0; j < hh; ++j) {
            if (j + 1 < hh)
                std::memcpy(keep[2], choice_.data() + size_t(j + 1) * hw, size_t(hw));
            else
                std::memset(keep[2], 0, size_t(hw));
            uint8_t* out = choice_.data() + size_t(j) * hw;
            if (inside(j)) {
                for (int i = 0; i < hw; ++i) sums[i] = uint8_t(keep[0][i] + keep[1][i] + keep[2][i]);
                const uint8_t* self = keep[1];
                for (int i = validX0_; i < validX1_; ++i) {
                    const int around = sums[i - 1] + sums[i] + sums[i + 1];  // self included
                    if (pass == 0)
                        out[i] = around >= 5;
                    else if (self[i])
                        out[i] = around > 1;  // a lone chosen point goes
                    else
                        out[i] = around == 8;  // a lone unchosen point is taken
                }
            }
            uint8_t* rotate = keep[0];
            keep[0] = keep[1];
            keep[1] = keep[2];
            keep[2] = rotate;
        }
    }
    chosen_ = 0;
    for (int j = 0; j < hh; ++j) {
        uint32_t n = 0;
        const uint8_t* row = choice_.data() + size_t(j) * hw;
        for (int i = 0; i < hw; ++i) n += row[i];
        rowChosen_[size_t(j)] = n;
        chosen_ += n;
    }
}

void FocusStack::Measure() {
    measured_ = false;
    if (!prepared_) return;
    MeasureFocus();
    if (frames_ > 0) {
        SmoothChoice();
    } else {
        std::fill(rowChosen_.begin(), rowChosen_.end(), uint32_t(halfW_));
    }
    measured_ = true;
}

// ---- Fusion ----

// Each full pixel blends by its four nearest grid points (weights 9, 3, 3, 1 sixteenths), so the
// edge of a choice fades over about two pixels.
void FocusStack::BlendChoice() {
    const StackKernels& kern = GetStackKernels();
    const int w = width_, h = height_, hw = halfW_, hh = halfH_;
    auto clampRow = [&](int j) { return std::min(hh - 1, std::max(0, j)); };
    uint8_t* alpha = alpha_.data();
    for (int y = 0; y < h; ++y) {
        // Full row y lies between grid rows j (the nearer, 3:1) and other.
        const int j = std::min(hh - 1, y / 2);
        const int other = clampRow((y & 1) ? j + 1 : j - 1);
        if (rowChosen_[size_t(j)] == 0 && rowChosen_[size_t(other)] == 0) continue;
        const uint8_t* near = choice_.data() + size_t(j) * hw;
        const uint8_t* far = choice_.data() + size_t(other) * hw;
        const bool whole = rowChosen_[size_t(j)] == uint32_t(hw) && rowChosen_[size_t(other)] == uint32_t(hw);
        uint8_t* dst = fused_.data() + size_t(y) * w * 3;
        const uint8_t* src = warped_.data() + size_t(y) * w * 3;
        if (whole) {
            std::memcpy(dst, src, size_t(w) * 3);
            continue;
        }
        // Pixels 2i and 2i + 1 lean on grid point i and on its left and right neighbour.
        auto pair = [&](int i, int left, int right) {
            const int centre = 9 * near[i] + 3 * far[i];
            const uint8_t a = uint8_t(centre + 3 * near[left] + far[left]);
            const uint8_t b = uint8_t(centre + 3 * near[right] + far[right]);
            uint8_t* p = alpha + 6 * i;
            p[0] = p[1] = p[2] = a;
            p[3] = p[4] = p[5] = b;
        };
        pair(0, 0, std::min(1, hw - 1));
        for (int i = 1; i < hw - 1; ++i) pair(i, i - 1, i + 1);
        if (hw > 1) pair(hw - 1, hw - 2, hw - 1);
        if (w & 1) std::memcpy(alpha + 3 * (w - 1), alpha + 3 * (w - 2), 3);  // an odd last column
        // Runs without weight are skipped, runs of full weight copied.
        int x = 0;
        while (x < w) {
            while (x < w && alpha[3 * x] == 0) ++x;
            int end = x;
            while (end < w && alpha[3 * end] != 0) ++end;
            if (end > x) kern.blend(dst + 3 * x, src + 3 * x, alpha + 3 * x, (end - x) * 3);
            x = end;
        }
    }
}

StackStep FocusStack::Commit() {
    StackStep step;
    step.warp = lastWarp_;
    step.match = lastMatch_;
    step.clarity = lastClarity_;
    if (!prepared_ || !measured_) return step;
    prepared_ = measured_ = false;
    const uint16_t index = uint16_t(std::min(frames_, 65535));
    for (size_t i = 0; i < depth_.size(); ++i) depth_[i] = choice_[i] ? index : depth_[i];
    BlendChoice();
    step.fused = true;
    step.improved = valid_ ? float(chosen_) / float(valid_) : 0.0f;
    if (frames_ > 0) quiet_ = step.improved < kQuietShare ? quiet_ + 1 : 0;
    lastScale_ = lastWarp_.scale;
    ++frames_;
    return step;
}

StackStep FocusStack::Add(const uint8_t* frame) {
    if (!Prepare(frame)) {
        StackStep step;
        step.match = lastMatch_;
        step.clarity = lastClarity_;
        return step;
    }
    Measure();
    return Commit();
}

void FocusStack::Finish() {
    if (!Started() || frames_ == 0) return;
    const int w = width_, hw = halfW_, hh = halfH_;
    for (int j = 0; j < hh; ++j)
        for (int i = 0; i < hw; ++i) {
            const uint16_t here = depth_[size_t(j) * hw + i];
            uint16_t around[8];
            int n = 0;
            bool shared = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int x = i + dx, y = j + dy;
                    if ((!dx && !dy) || x < 0 || y < 0 || x >= hw || y >= hh) continue;
                    around[n] = depth_[size_t(y) * hw + x];
                    shared = shared || around[n] == here;
                    ++n;
                }
            if (shared || n == 0) continue;
            // The commonest neighbouring frame.
            std::sort(around, around + n);
            uint16_t common = around[0];
            int most = 0;
            for (int a = 0; a < n;) {
                int b = a;
                while (b < n && around[b] == around[a]) ++b;
                if (b - a > most) {
                    most = b - a;
                    common = around[a];
                }
                a = b;
            }
            depth_[size_t(j) * hw + i] = common;
            // The point's 2 x 2 pixels take the middle colour of the twelve pixels around them.
            uint8_t ring[3][12];
            int m = 0;
            for (int y = 2 * j - 1; y <= 2 * j + 2; ++y)
                for (int x = 2 * i - 1; x <= 2 * i + 2; ++x) {
                    const bool inner = (y == 2 * j || y == 2 * j + 1) && (x == 2 * i || x == 2 * i + 1);
                    const bool corner = (y == 2 * j - 1 || y == 2 * j + 2) && (x == 2 * i - 1 || x == 2 * i + 2);
                    if (inner || corner || x < 0 || y < 0 || x >= w || y >= height_) continue;
                    for (int c = 0; c < 3; ++c) ring[c][m] = fused_[(size_t(y) * w + x) * 3 + c];
                    ++m;
                }
            if (m == 0) continue;
            uint8_t middle[3];
            for (int c = 0; c < 3; ++c) {
                std::nth_element(ring[c], ring[c] + m / 2, ring[c] + m);
                middle[c] = ring[c][m / 2];
            }
            for (int y = 2 * j; y <= 2 * j + 1; ++y)
                for (int x = 2 * i; x <= 2 * i + 1; ++x)
                    for (int c = 0; c < 3; ++c) fused_[(size_t(y) * w + x) * 3 + c] = middle[c];
        }
}

// ---- Depth map ----

namespace {

// A rainbow from deep blue through cyan, green and yellow to red, t in 0..1.
void FalseColour(float t, uint8_t* bgr) {
    static const float stops[6][3] = {{48, 18, 59}, {40, 120, 240}, {30, 210, 200},
                                      {120, 240, 60}, {250, 190, 40}, {220, 40, 30}};  // RGB
    t = std::min(1.0f, std::max(0.0f, t)) * 5;
    const int i = std::min(4, int(t));
    const float f = t - float(i);
    for (int c = 0; c < 3; ++c) bgr[2 - c] = Clamp8(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f);
}

}  // namespace

void FocusStack::RenderDepthMap(uint8_t* bgr) const {
    if (!Started()) return;
    uint16_t lo = 65535, hi = 0;
    for (uint16_t d : depth_) {
        lo = std::min(lo, d);
        hi = std::max(hi, d);
    }
    const float span = hi > lo ? float(hi - lo) : 1.0f;
    uint8_t table[256][3];
    for (int i = 0; i < 256; ++i) FalseColour(float(i) / 255.0f, table[i]);
    for (int y = 0; y < height_; ++y) {
        const int j = std::min(halfH_ - 1, y / 2);
        uint8_t* out = bgr + size_t(y) * width_ * 3;
        for (int x = 0; x < width_; ++x) {
            const int i = std::min(halfW_ - 1, x / 2);
            const int level = int(std::lround(255.0f * float(depth_[size_t(j) * halfW_ + i] - lo) / span));
            std::memcpy(out + 3 * x, table[level], 3);
        }
    }
}
