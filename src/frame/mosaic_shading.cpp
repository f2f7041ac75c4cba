// Learning the shading (see mosaic_shading.h). For a pair of frames, every second quarter-size
// sample of the newer one is compared with the older one's brightness at the same specimen point
// (bilinear): y = ln(newer) - ln(older) = offset - a (r_newer^2 - r_older^2). The pair's own offset
// is taken out by centring its sums; what is left adds up to a least-squares a over all pairs.
#include "frame/mosaic_shading.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMinMove = 0.05;    // of the frame's smaller side: closer pairs say little
constexpr double kMaxMove = 0.7;     // of the frame's size each way: the pair must overlap
constexpr float kDarkest = 40, kBrightest = 1000;  // brightness (of 1020) worth comparing
constexpr double kMaxRatio = 0.15;   // a larger difference is not shading (a speck, a misfit)
constexpr double kMaxStrength = 0.65;  // gains stay under 2 (exp(0.65) is 1.92)

}  // namespace

void ShadingEstimate::Start(int width, int height) {
    width_ = width;
    height_ = height;
    havePrevious_ = false;
    sxy_ = sxx_ = 0;
    pairs_ = 0;
    strength_ = 0;
    applied_ = -1;
    gains_ = ShadingGains();
}

void ShadingEstimate::Add(const float* quarter, int qw, int qh, double x, double y) {
    const double dx = x - px_, dy = y - py_;
    const bool overlap = havePrevious_ && qw == qw_ && qh == qh_ && std::fabs(dx) <= kMaxMove * width_ &&
                         std::fabs(dy) <= kMaxMove * height_;
    const bool useful = overlap && std::hypot(dx, dy) >= kMinMove * std::min(width_, height_);
    // A frame close to the older one of the pair says little: the older one is kept until the
    // field has moved far enough (a slow hand moves only a few pixels a frame).
    if (overlap && !useful) return;
    if (useful) {
        const double cx = (width_ - 1) / 2.0, cy = (height_ - 1) / 2.0, corner = cx * cx + cy * cy;
        double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (int j = 0; j < qh; j += 2)
            for (int i = 0; i < qw; i += 2) {
                const float newer = quarter[size_t(j) * qw + i];
                if (newer < kDarkest || newer > kBrightest) continue;
                // The same point in the older frame, in its quarter-size samples.
                const double fx = 4 * i + 1.5, fy = 4 * j + 1.5;
                const double ox = fx + dx, oy = fy + dy;
                const double qx = (ox - 1.5) / 4, qy = (oy - 1.5) / 4;
                if (qx < 0 || qy < 0 || qx >= qw - 1 || qy >= qh - 1) continue;
                const int ix = int(qx), iy = int(qy);
                const double ax = qx - ix, ay = qy - iy;
                const float* p = previous_.data() + size_t(iy) * qw + ix;
                const double older = (p[0] * (1 - ax) + p[1] * ax) * (1 - ay) + (p[qw] * (1 - ax) + p[qw + 1] * ax) * ay;
                if (older < kDarkest || older > kBrightest) continue;
                const double ratio = std::log(newer / older);
                if (std::fabs(ratio) > kMaxRatio) continue;
                const double r = ((fx - cx) * (fx - cx) + (fy - cy) * (fy - cy) - (ox - cx) * (ox - cx) -
                                  (oy - cy) * (oy - cy)) / corner;
                ++n;
                sx += r;
                sy += ratio;
                sxx += r * r;
                sxy += r * ratio;
            }
        if (n > 100) {
            sxx_ += sxx - sx * sx / n;
            sxy_ += sxy - sx * sy / n;
            ++pairs_;
            if (sxx_ > 0) strength_ = std::min(kMaxStrength, std::max(-kMaxStrength, -sxy_ / sxx_));
            if (Learnt() && std::fabs(strength_ - applied_) > 0.002) MakeGains();
        }
    }
    previous_.assign(quarter, quarter + size_t(qw) * qh);
    qw_ = qw;
    qh_ = qh;
    px_ = x;
    py_ = y;
    havePrevious_ = true;
}

void ShadingEstimate::MakeGains() {
    // exp(a r^2) parts into a factor of the column and one of the row.
    const double cx = (width_ - 1) / 2.0, cy = (height_ - 1) / 2.0, corner = cx * cx + cy * cy;
    gains_.column.resize(size_t(width_) * 3);
    gains_.row.resize(size_t(height_));
    for (int i = 0; i < width_; ++i) {
        const uint16_t g = uint16_t(std::lround(128 * std::exp(strength_ * (i - cx) * (i - cx) / corner)));
        gains_.column[size_t(i) * 3] = gains_.column[size_t(i) * 3 + 1] = gains_.column[size_t(i) * 3 + 2] = g;
    }
    for (int j = 0; j < height_; ++j)
        gains_.row[size_t(j)] = uint16_t(std::lround(128 * std::exp(strength_ * (j - cy) * (j - cy) / corner)));
    applied_ = strength_;
}
