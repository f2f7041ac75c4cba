// Locating frames in the mosaic (see mosaic_tracker.h). A sample of a reduced picture stands for
// the block of full-size pixels it was binned from, in the frame and in the mosaic alike, so a
// shift found between reduced pictures scales straight to full size: with the mosaic's window at
// sample a and the frame's crop at sample q, a frame whose shift is d lies at scale * (a - q - d).
#include "frame/mosaic_tracker.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFinePoints = 1500;   // points of the fine alignment
constexpr int kPatchMaxW = 640, kPatchMaxH = 480;
constexpr int kPatchMin = 48;

// The mosaic level and binning that give samples of scale full-size pixels a side.
void LevelFor(int scale, int* level, int* factor) {
    *level = scale >= 64 ? 3 : scale >= 16 ? 2 : 1;
    *factor = scale / (1 << (2 * *level));
}

}  // namespace

bool MosaicTracker::Start(int width, int height) {
    if (width < 32 || height < 32 || width > 8192 || height > 8192) return false;
    width_ = width;
    height_ = height;
    qw_ = width / 4;
    qh_ = height / 4;
    const int cw = FftFriendlySize(qw_), ch = FftFriendlySize(qh_);
    if (!correlator_.Init(cw, ch)) return false;
    cropX_ = (qw_ - cw) / 2;
    cropY_ = (qh_ - ch) / 2;
    searchScale_ = 4;
    while (searchScale_ < 32 && width / searchScale_ > 128 && height / (searchScale_ * 2) >= 16) searchScale_ *= 2;
    const int sw = width / searchScale_, sh = height / searchScale_;
    if (!searcher_.Init(FftFriendlySize(sw), FftFriendlySize(std::max(8, sh)))) return false;
    searchX_ = (sw - searcher_.width()) / 2;
    searchY_ = (sh - searcher_.height()) / 2;
    try {
        quarter_.assign(size_t(qw_) * qh_, 0.0f);
        detail_.assign(size_t(qw_) * qh_, 0.0f);
        searchFrame_.assign(size_t(sw) * sh, 0.0f);
    } catch (...) {
        return false;
    }
    searchWindows_.clear();
    searchBounds_ = {};
    searchCursor_ = 0;
    return true;
}

size_t MosaicTracker::MemoryBytes() const {
    return correlator_.MemoryBytes() + searcher_.MemoryBytes() + aligner_.MemoryBytes() +
           (quarter_.capacity() + detail_.capacity() + searchFrame_.capacity() + reference_.capacity() +
            covered_.capacity() + patch_.capacity()) * sizeof(float);
}

void MosaicTracker::LoadFrame(const uint8_t* bgr, size_t stride) {
    frame_ = bgr;
    stride_ = stride;
    for (int j = 0; j < qh_; ++j) {
        float* q = quarter_.data() + size_t(j) * qw_;
        std::fill(q, q + qw_, 0.0f);
        for (int k = 0; k < 4; ++k) {
            const uint8_t* row = bgr + size_t(j * 4 + k) * stride;
            for (int i = 0; i < qw_; ++i, row += 12)
                q[i] += float(row[0] + 2 * row[1] + row[2] + row[3] + 2 * row[4] + row[5] + row[6] + 2 * row[7] + row[8] +
                              row[9] + 2 * row[10] + row[11]);
        }
        for (int i = 0; i < qw_; ++i) q[i] *= 1.0f / 16;
    }
    double sum = 0;
    for (int j = 0; j < qh_; ++j)
        for (int i = 0; i < qw_; ++i) {
            const float v = quarter_[size_t(j) * qw_ + i];
            const float right = i + 1 < qw_ ? quarter_[size_t(j) * qw_ + i + 1] : v;
            const float below = j + 1 < qh_ ? quarter_[size_t(j + 1) * qw_ + i] : v;
            const float d = std::fabs(right - v) + std::fabs(below - v);
            detail_[size_t(j) * qw_ + i] = d;
            sum += d;
        }
    texture_ = float(sum / (double(qw_) * qh_));
    // The search's picture: the quarter-size one binned further.
    const int bin = searchScale_ / 4, sw = width_ / searchScale_, sh = height_ / searchScale_;
    for (int j = 0; j < sh; ++j)
        for (int i = 0; i < sw; ++i) {
            float s = 0;
            for (int b = 0; b < bin; ++b)
                for (int a = 0; a < bin; ++a) s += quarter_[size_t(j * bin + b) * qw_ + size_t(i * bin + a)];
            searchFrame_[size_t(j) * sw + i] = s / float(bin * bin);
        }
}

float MosaicTracker::ReadReference(const MosaicCanvas& canvas, int level, int factor, int x, int y, int w, int h,
                                   std::vector<float>* out) {
    out->resize(size_t(w) * h);
    covered_.resize(size_t(w) * h);
    canvas.ReadBrightness(level, factor, x, y, w, h, out->data(), size_t(w), covered_.data());
    double sum = 0, weight = 0;
    for (size_t i = 0; i < out->size(); ++i) {
        sum += (*out)[i];
        weight += covered_[i];
    }
    if (weight <= 0) return 0;
    // Samples are sums over their covered part: the rest is filled with the covered mean, so the
    // edge of the mosaic is no edge in the picture matched against.
    const float mean = float(sum / weight);
    for (size_t i = 0; i < out->size(); ++i) (*out)[i] += (1.0f - covered_[i]) * mean;
    return float(weight / double(out->size()));
}

MosaicFix MosaicTracker::Near(const MosaicCanvas& canvas, double x, double y) {
    MosaicFix fix;
    if (!frame_) return fix;
    const int cw = correlator_.width(), ch = correlator_.height();
    const int ax = int(std::lround(x / 4)) + cropX_, ay = int(std::lround(y / 4)) + cropY_;
    if (ReadReference(canvas, 1, 1, ax, ay, cw, ch, &reference_) < kMosaicMinOverlap) return fix;
    correlator_.SetReference(reference_.data(), size_t(cw));
    const PhaseShift shift = correlator_.Match(quarter_.data() + size_t(cropY_) * qw_ + cropX_, size_t(qw_));
    fix.clarity = shift.clarity;
    if (!(shift.clarity >= kMosaicMinClarity)) return fix;
    Fine(canvas, 4.0 * (ax - cropX_ - shift.dx), 4.0 * (ay - cropY_ - shift.dy), &fix);
    return fix;
}

bool MosaicTracker::PickPatch(const MosaicCanvas& canvas, double x, double y, int pw, int ph, int steps,
                              Patch* out) const {
    bool found = false;
    for (int b = 0; b < steps; ++b)
        for (int a = 0; a < steps; ++a) {
            Patch p;
            p.x = (width_ - pw) * a / (steps - 1) & ~3;
            p.y = (height_ - ph) * b / (steps - 1) & ~3;
            const int mx = int(std::floor(x + p.x)), my = int(std::floor(y + p.y));
            if (canvas.CoveredShare({mx - 2, my - 2, mx + pw + 2, my + ph + 2}) < 0.999f) continue;
            p.detail = 0;
            for (int j = p.y / 4; j < std::min(qh_, (p.y + ph) / 4); ++j)
                for (int i = p.x / 4; i < std::min(qw_, (p.x + pw) / 4); ++i) p.detail += detail_[size_t(j) * qw_ + i];
            if (!found || p.detail > out->detail) *out = p;
            found = true;
        }
    return found;
}

bool MosaicTracker::Fine(const MosaicCanvas& canvas, double coarseX, double coarseY, MosaicFix* fix) {
    int pw = std::min(kPatchMaxW, width_ / 2) & ~3, ph = std::min(kPatchMaxH, height_ / 2) & ~3;
    Patch patch{0, 0, 0};
    if (!PickPatch(canvas, coarseX, coarseY, pw, ph, 3, &patch)) {
        pw = std::max(kPatchMin, width_ / 4) & ~3;
        ph = std::max(kPatchMin, height_ / 4) & ~3;
        if (!PickPatch(canvas, coarseX, coarseY, pw, ph, 5, &patch)) return false;
    }
    const int mx = int(std::lround(coarseX + patch.x)), my = int(std::lround(coarseY + patch.y));
    reference_.resize(size_t(pw) * ph);
    canvas.ReadBrightness(0, 1, mx, my, pw, ph, reference_.data(), size_t(pw));
    double sum = 0, squares = 0;
    for (float v : reference_) {
        sum += v;
        squares += double(v) * v;
    }
    const double n = double(reference_.size());
    const double contrast = std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
    if (contrast < 1 || !aligner_.SetReference(Plane<float>{reference_.data(), pw, ph, size_t(pw)}, kFinePoints))
        return false;
    patch_.resize(size_t(pw) * ph);
    for (int j = 0; j < ph; ++j) {
        const uint8_t* row = frame_ + size_t(patch.y + j) * stride_ + size_t(patch.x) * 3;
        float* o = patch_.data() + size_t(j) * pw;
        for (int i = 0; i < pw; ++i, row += 3) o[i] = float(row[0] + 2 * row[1] + row[2]);
    }
    const double d0x = mx - patch.x - coarseX, d0y = my - patch.y - coarseY;
    const FieldAlignment fine =
        aligner_.Refine(Plane<float>{patch_.data(), pw, ph, size_t(pw)}, FieldWarp{1.0, d0x, d0y}, false);
    fix->points = fine.points;
    fix->residual = float(fine.rms / contrast);
    fix->disagreement = std::hypot(fine.warp.dx - d0x, fine.warp.dy - d0y);
    fix->x = mx - patch.x - fine.warp.dx;
    fix->y = my - patch.y - fine.warp.dy;
    fix->found = fine.converged && fine.points >= kMosaicMinPoints && fix->residual <= kMosaicMaxResidual &&
                 fix->disagreement <= kMosaicMaxDisagreement;
    return fix->found;
}

MosaicFix MosaicTracker::Search(const MosaicCanvas& canvas, double x, double y, int windows) {
    MosaicFix best;
    best.searched = true;
    if (!frame_ || canvas.Bounds().Empty()) return best;
    const int s = searchScale_, sw = searcher_.width(), sh = searcher_.height();
    const MosaicRect& b = canvas.Bounds();
    const int gx = int(std::lround(x / s)) + searchX_, gy = int(std::lround(y / s)) + searchY_;
    if (b.x0 != searchBounds_.x0 || b.y0 != searchBounds_.y0 || b.x1 != searchBounds_.x1 || b.y1 != searchBounds_.y1 ||
        searchWindows_.empty()) {
        // Windows a third of their size apart over the mosaic, nearest to the guess first.
        searchBounds_ = b;
        searchWindows_.clear();
        const int stepX = std::max(1, sw / 3), stepY = std::max(1, sh / 3);
        const int x0 = FloorDiv(b.x0, s) - sw / 3, x1 = FloorDiv(b.x1, s) - 2 * sw / 3;
        const int y0 = FloorDiv(b.y0, s) - sh / 3, y1 = FloorDiv(b.y1, s) - 2 * sh / 3;
        for (int wy = y0; wy <= std::max(y0, y1); wy += stepY)
            for (int wx = x0; wx <= std::max(x0, x1); wx += stepX) searchWindows_.push_back({wx, wy});
        std::stable_sort(searchWindows_.begin(), searchWindows_.end(), [&](const auto& p, const auto& q) {
            return std::hypot(p.first - gx, p.second - gy) < std::hypot(q.first - gx, q.second - gy);
        });
        searchCursor_ = 0;
    }
    int level, factor;
    LevelFor(s, &level, &factor);
    const int frameW = width_ / s;
    // The nine nearest windows every time, then on from where the last search stopped.
    const size_t n = searchWindows_.size(), nearest = std::min<size_t>(9, n);
    for (int tried = 0; tried < windows && size_t(tried) < n; ++tried) {
        size_t index;
        if (size_t(tried) < nearest) {
            index = size_t(tried);
        } else {
            if (searchCursor_ < nearest || searchCursor_ >= n) searchCursor_ = nearest;
            if (searchCursor_ >= n) break;
            index = searchCursor_++;
        }
        const auto [wx, wy] = searchWindows_[index];
        if (ReadReference(canvas, level, factor, wx, wy, sw, sh, &reference_) < 0.5f) continue;
        searcher_.SetReference(reference_.data(), size_t(sw));
        const PhaseShift shift = searcher_.Match(searchFrame_.data() + size_t(searchY_) * frameW + searchX_, size_t(frameW));
        if (!(shift.clarity >= kMosaicSearchClarity)) continue;
        MosaicFix fix = Near(canvas, double(s) * (wx - searchX_ - shift.dx), double(s) * (wy - searchY_ - shift.dy));
        fix.searched = true;
        if (fix.found) return fix;
    }
    return best;
}
