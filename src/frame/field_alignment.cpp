// Inverse compositional Gauss-Newton for a shift and a scale about the centre (see
// field_alignment.h). The reference's points carry their gradients, so a step samples the moving
// picture once per point and solves 3 x 3 normal equations. Points whose difference is far above
// the typical one (something the other picture does not show, such as a region in focus in one
// and blurred in the other) count less (Huber weights).
#include "frame/field_alignment.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxSteps = 15;
constexpr double kStepDone = 0.001;  // samples of movement at the picture's edge
constexpr int kBlock = 16;           // points are picked per block of kBlock x kBlock samples

// Bilinear sample at (x, y), false outside the picture.
template <class Sample>
inline bool Bilinear(const Plane<Sample>& p, double x, double y, float* value) {
    if (!(x >= 0 && y >= 0 && x <= p.width - 1.0 && y <= p.height - 1.0)) return false;
    int ix = int(x), iy = int(y);
    if (ix > p.width - 2) ix = p.width - 2;
    if (iy > p.height - 2) iy = p.height - 2;
    const float fx = float(x - ix), fy = float(y - iy);
    const Sample* row = p.samples + size_t(iy) * p.stride + size_t(ix);
    const float top = float(row[0]) + (float(row[1]) - float(row[0])) * fx;
    const float bottom = float(row[p.stride]) + (float(row[p.stride + 1]) - float(row[p.stride])) * fx;
    *value = top + (bottom - top) * fy;
    return true;
}

bool Solve(const double a[3][3], const double b[3], int n, double x[3]) {
    double m[3][4];
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) m[i][j] = a[i][j];
        m[i][3] = b[i];
    }
    for (int c = 0; c < n; ++c) {
        int pivot = c;
        for (int r = c + 1; r < n; ++r)
            if (std::fabs(m[r][c]) > std::fabs(m[pivot][c])) pivot = r;
        if (std::fabs(m[pivot][c]) < 1e-12) return false;
        for (int j = 0; j < 4; ++j) std::swap(m[c][j], m[pivot][j]);
        for (int r = 0; r < n; ++r) {
            if (r == c) continue;
            const double f = m[r][c] / m[c][c];
            for (int j = c; j < 4; ++j) m[r][j] -= f * m[c][j];
        }
    }
    for (int i = 0; i < n; ++i) x[i] = m[i][3] / m[i][i];
    return true;
}

}  // namespace

template <class Sample>
bool FieldAligner::SetReference(const Plane<Sample>& ref, int maxPoints) {
    points_.clear();
    width_ = ref.width;
    height_ = ref.height;
    if (!ref.samples || ref.width < 16 || ref.height < 16 || maxPoints < 16) return false;
    const int margin = 2;
    const int blocksX = (ref.width - 2 * margin + kBlock - 1) / kBlock;
    const int blocksY = (ref.height - 2 * margin + kBlock - 1) / kBlock;
    const int perBlock = std::max(1, maxPoints / (blocksX * blocksY));
    auto at = [&](int x, int y) { return float(ref.samples[size_t(y) * ref.stride + size_t(x)]); };
    std::vector<Point> block;
    block.reserve(kBlock * kBlock);
    points_.reserve(size_t(perBlock) * blocksX * blocksY);
    for (int by = 0; by < blocksY; ++by)
        for (int bx = 0; bx < blocksX; ++bx) {
            block.clear();
            const int y0 = margin + by * kBlock, x0 = margin + bx * kBlock;
            for (int y = y0; y < std::min(y0 + kBlock, ref.height - margin); ++y)
                for (int x = x0; x < std::min(x0 + kBlock, ref.width - margin); ++x) {
                    const float gx = 0.5f * (at(x + 1, y) - at(x - 1, y));
                    const float gy = 0.5f * (at(x, y + 1) - at(x, y - 1));
                    block.push_back({float(x), float(y), at(x, y), gx, gy});
                }
            const size_t keep = std::min(block.size(), size_t(perBlock));
            std::partial_sort(block.begin(), block.begin() + keep, block.end(), [](const Point& a, const Point& b) {
                return a.gx * a.gx + a.gy * a.gy > b.gx * b.gx + b.gy * b.gy;
            });
            for (size_t i = 0; i < keep; ++i)
                if (block[i].gx != 0 || block[i].gy != 0) points_.push_back(block[i]);
        }
    if (points_.size() < 16) points_.clear();
    return !points_.empty();
}

template <class Sample>
FieldAlignment FieldAligner::Refine(const Plane<Sample>& mov, FieldWarp start, bool withScale) const {
    FieldAlignment result;
    result.warp = start;
    if (points_.empty() || !mov.samples || mov.width != width_ || mov.height != height_) return result;
    const int n = withScale ? 3 : 2;
    const double cx = (width_ - 1) / 2.0, cy = (height_ - 1) / 2.0;
    FieldWarp warp = start;
    float huber = 0;  // differences above it count less; set from the first step's
    for (int iteration = 0; iteration < kMaxSteps; ++iteration) {
        double a[3][3] = {}, b[3] = {};
        double squares = 0, absolute = 0;
        int used = 0;
        for (const Point& p : points_) {
            const double mx = cx + warp.scale * (p.x - cx) + warp.dx;
            const double my = cy + warp.scale * (p.y - cy) + warp.dy;
            float m;
            if (!Bilinear(mov, mx, my, &m)) continue;
            const float e = m - p.value;
            const double sd[3] = {p.gx, p.gy, p.gx * (p.x - cx) + p.gy * (p.y - cy)};
            const float ae = std::fabs(e);
            const double weight = huber > 0 && ae > huber ? huber / ae : 1.0;
            for (int i = 0; i < n; ++i) {
                b[i] += weight * sd[i] * e;
                for (int j = 0; j <= i; ++j) a[i][j] += weight * sd[i] * sd[j];
            }
            squares += double(e) * e;
            absolute += ae;
            ++used;
        }
        if (used < 16) break;
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) a[i][j] = a[j][i];
        result.points = used;
        result.rms = float(std::sqrt(squares / used));
        if (huber == 0) huber = std::max(1e-3f, float(2.0 * absolute / used));
        double delta[3] = {0, 0, 0};
        if (!Solve(a, b, n, delta)) break;
        const double ds = withScale ? delta[2] : 0.0;
        if (1 + ds <= 0.5) break;
        // The warp composed with the inverse of the step.
        warp.dx -= warp.scale * delta[0] / (1 + ds);
        warp.dy -= warp.scale * delta[1] / (1 + ds);
        warp.scale /= 1 + ds;
        if (!(std::isfinite(warp.dx) && std::isfinite(warp.dy) && std::isfinite(warp.scale))) break;
        result.warp = warp;
        const double movement =
            std::fabs(delta[0]) + std::fabs(delta[1]) + std::fabs(ds) * std::max(width_, height_) / 2.0;
        if (movement < kStepDone) {
            result.converged = true;
            break;
        }
    }
    return result;
}

FieldWarp ScaleFieldWarp(const FieldWarp& warp, double factor) {
    // With a picture's centre at factor * (small centre + 1/2) - 1/2 on both sides, only the
    // shift changes.
    FieldWarp out = warp;
    out.dx *= factor;
    out.dy *= factor;
    return out;
}

template bool FieldAligner::SetReference<float>(const Plane<float>&, int);
template bool FieldAligner::SetReference<uint16_t>(const Plane<uint16_t>&, int);
template bool FieldAligner::SetReference<uint8_t>(const Plane<uint8_t>&, int);
template FieldAlignment FieldAligner::Refine<float>(const Plane<float>&, FieldWarp, bool) const;
template FieldAlignment FieldAligner::Refine<uint16_t>(const Plane<uint16_t>&, FieldWarp, bool) const;
template FieldAlignment FieldAligner::Refine<uint8_t>(const Plane<uint8_t>&, FieldWarp, bool) const;
