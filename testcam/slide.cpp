// The large slide of the virtual microscope (see slide.h). Every pixel follows from its slide
// coordinates and the seed alone: the background from smooth value noise, the cells from a hash
// of the 40-pixel bucket they start in, drawn in one global order. So a tile drawn on its own
// equals the same part of the whole slide, and any crop can be drawn again exactly.
#include "slide.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kBucket = 40;     // cells start in buckets of this size
constexpr int kMaxRadius = 22;  // no cell reaches further from its centre

uint32_t Mix(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

uint32_t Hash3(int a, int b, uint32_t c) {
    return Mix(uint32_t(a) * 0x9E3779B1U ^ Mix(uint32_t(b) * 0x85EBCA77U ^ Mix(c * 0xC2B2AE3DU + 0x27D4EB2FU)));
}

// A uniform value in [0, 1) from a hash.
double Unit(uint32_t h) { return double(h >> 8) / double(1u << 24); }

// Smooth value noise in 0..1 on a lattice of cell pixels.
double ValueNoise(double x, double y, double cell, uint32_t seed) {
    const double fx0 = x / cell, fy0 = y / cell;
    const int ix = int(std::floor(fx0)), iy = int(std::floor(fy0));
    double fx = fx0 - ix, fy = fy0 - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    const double a = Unit(Hash3(ix, iy, seed)), b = Unit(Hash3(ix + 1, iy, seed));
    const double c = Unit(Hash3(ix, iy + 1, seed)), d = Unit(Hash3(ix + 1, iy + 1, seed));
    const double top = a + (b - a) * fx, bottom = c + (d - c) * fx;
    return top + (bottom - top) * fy;
}

double SmoothStep(double e0, double e1, double x) {
    const double t = std::min(1.0, std::max(0.0, (x - e0) / (e1 - e0)));
    return t * t * (3 - 2 * t);
}

struct Ellipse {
    double cx, cy, rx, ry, cosA, sinA;
    // Coverage of pixel (x, y): 1 inside, 0 outside, a one-pixel ramp at the edge.
    double Coverage(double x, double y) const {
        const double dx = x - cx, dy = y - cy;
        const double u = (dx * cosA + dy * sinA) / rx, v = (-dx * sinA + dy * cosA) / ry;
        const double d = std::sqrt(u * u + v * v);
        return std::min(1.0, std::max(0.0, (1.0 - d) * std::min(rx, ry) + 0.5));
    }
};

void Over(float* px, const float colour[3], double alpha) {
    for (int c = 0; c < 3; ++c) px[c] += float(alpha) * (colour[c] - px[c]);
}

}  // namespace

SlideScene::SlideScene(int width, int height, uint32_t seed) : width_(width), height_(height), seed_(seed) {
    const int count = std::max(2, int(double(width) * height / 25e6));
    const int radius = std::max(100, int(0.07 * std::min(width, height)));
    for (int i = 0; i < count; ++i) {
        const int spanX = std::max(1, width - 2 * radius), spanY = std::max(1, height - 2 * radius);
        empty_.push_back({radius + int(Unit(Hash3(i, 1, seed)) * spanX), radius + int(Unit(Hash3(i, 2, seed)) * spanY),
                          radius});
    }
}

float SlideScene::Density(double x, double y) const {
    double d = 0.25 + 0.9 * (0.7 * ValueNoise(x, y, 1500, seed_ + 11) + 0.3 * ValueNoise(x, y, 450, seed_ + 12));
    for (const SlideRegion& r : empty_) {
        const double distance = std::hypot(x - r.x, y - r.y) / r.radius;
        d *= SmoothStep(1.0, 1.35, distance);
    }
    return float(std::min(1.0, std::max(0.0, d)));
}

void SlideScene::DrawTile(int tx, int ty, uint8_t* out) const {
    const int x0 = tx * kTile, y0 = ty * kTile;
    std::vector<float> px(size_t(kTile) * kTile * 3);
    // The stain of the ground: smooth, without detail, so an empty region shows nothing to align on.
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            const double gx = x0 + x, gy = y0 + y;
            const double s = 0.1 + 0.5 * ValueNoise(gx, gy, 320, seed_ + 21) * (0.4 + 0.6 * Density(gx, gy));
            float* p = &px[(size_t(y) * kTile + x) * 3];
            p[0] = float(238 + (214 - 238) * s);
            p[1] = float(235 + (196 - 235) * s);
            p[2] = float(240 + (228 - 240) * s);
        }
    // Cells, bucket after bucket in one order for the whole slide.
    const int bx0 = (x0 - kMaxRadius) / kBucket - 1, bx1 = (x0 + kTile + kMaxRadius) / kBucket + 1;
    const int by0 = (y0 - kMaxRadius) / kBucket - 1, by1 = (y0 + kTile + kMaxRadius) / kBucket + 1;
    for (int by = std::max(0, by0); by <= by1; ++by)
        for (int bx = std::max(0, bx0); bx <= bx1; ++bx) {
            const double density = Density((bx + 0.5) * kBucket, (by + 0.5) * kBucket);
            const double chance = Unit(Hash3(bx, by, seed_ + 31));
            int cells = chance < density * 0.9 ? (chance < density * 0.35 ? 2 : 1) : 0;
            const bool debris = cells == 0 && chance > 0.997;
            if (debris) cells = 1;
            for (int k = 0; k < cells; ++k) {
                auto r = [&](int i) { return Unit(Hash3(bx * 4 + k, by, seed_ + 100 + uint32_t(i))); };
                Ellipse cell;
                cell.cx = (bx + r(0)) * kBucket;
                cell.cy = (by + r(1)) * kBucket;
                cell.rx = debris ? 2 + 1.5 * r(2) : 8 + 12 * r(2);
                cell.ry = cell.rx * (debris ? 1.0 : 0.6 + 0.4 * r(3));
                const double angle = 3.14159265 * r(4);
                cell.cosA = std::cos(angle);
                cell.sinA = std::sin(angle);
                Ellipse nucleus = cell;
                nucleus.rx = cell.rx * (0.35 + 0.15 * r(5));
                nucleus.ry = nucleus.rx * (0.8 + 0.2 * r(6));
                nucleus.cx += (r(7) - 0.5) * 0.3 * cell.rx;
                nucleus.cy += (r(8) - 0.5) * 0.3 * cell.ry;
                const float plasma[3] = {float(205 + 30 * (r(9) - 0.5)), float(120 + 50 * (r(10) - 0.5)),
                                         float(190 + 40 * (r(11) - 0.5))};
                const float dark[3] = {float(150 + 30 * (r(12) - 0.5)), float(60 + 30 * (r(13) - 0.5)),
                                       float(85 + 30 * (r(14) - 0.5))};
                const float grey[3] = {120, 118, 116};
                const int left = std::max(x0, int(cell.cx - kMaxRadius)), right = std::min(x0 + kTile, int(cell.cx + kMaxRadius) + 1);
                const int top = std::max(y0, int(cell.cy - kMaxRadius)), bottom = std::min(y0 + kTile, int(cell.cy + kMaxRadius) + 1);
                for (int y = top; y < bottom; ++y)
                    for (int x = left; x < right; ++x) {
                        const double c = cell.Coverage(x, y);
                        if (c <= 0) continue;
                        float* p = &px[(size_t(y - y0) * kTile + (x - x0)) * 3];
                        if (debris) {
                            Over(p, grey, 0.8 * c);
                            continue;
                        }
                        // Granules: fixed fine detail inside the cell.
                        const double grain = (Unit(Hash3(x, y, seed_ + 41)) - 0.5) * 14;
                        const float granular[3] = {float(plasma[0] + grain), float(plasma[1] + grain), float(plasma[2] + grain)};
                        Over(p, granular, 0.55 * c);
                        const double n = nucleus.Coverage(x, y);
                        if (n > 0) Over(p, dark, 0.85 * n);
                    }
            }
        }
    for (size_t i = 0; i < px.size(); ++i) out[i] = uint8_t(std::min(255.0f, std::max(0.0f, px[i])) + 0.5f);
}

const std::vector<uint8_t>& SlideScene::Tile(int tx, int ty) {
    const int64_t key = (int64_t(ty) << 32) | uint32_t(tx);
    auto it = cache_.find(key);
    if (it != cache_.end()) {
        order_.splice(order_.begin(), order_, it->second.second);
        return it->second.first;
    }
    if (cache_.size() >= kCacheTiles) {
        cache_.erase(order_.back());
        order_.pop_back();
    }
    order_.push_front(key);
    auto& entry = cache_[key];
    entry.second = order_.begin();
    entry.first.resize(size_t(kTile) * kTile * 3);
    DrawTile(tx, ty, entry.first.data());
    return entry.first;
}

void SlideScene::Crop(int x, int y, int w, int h, uint8_t* bgr) {
    std::memset(bgr, 0, size_t(w) * h * 3);
    const int cx0 = std::max(x, 0), cy0 = std::max(y, 0);
    const int cx1 = std::min(x + w, width_), cy1 = std::min(y + h, height_);
    if (cx0 >= cx1 || cy0 >= cy1) return;
    for (int ty = cy0 / kTile; ty <= (cy1 - 1) / kTile; ++ty)
        for (int tx = cx0 / kTile; tx <= (cx1 - 1) / kTile; ++tx) {
            const std::vector<uint8_t>& tile = Tile(tx, ty);
            const int sx0 = std::max(cx0, tx * kTile), sx1 = std::min(cx1, (tx + 1) * kTile);
            const int sy0 = std::max(cy0, ty * kTile), sy1 = std::min(cy1, (ty + 1) * kTile);
            for (int sy = sy0; sy < sy1; ++sy)
                std::memcpy(bgr + (size_t(sy - y) * w + (sx0 - x)) * 3,
                            &tile[(size_t(sy - ty * kTile) * kTile + (sx0 - tx * kTile)) * 3], size_t(sx1 - sx0) * 3);
        }
}

void SlideScene::Field(int x, int y, int w, int h, uint32_t frameNumber, const Camera& camera, uint8_t* bgr) {
    Crop(x, y, w, h, bgr);
    if (vignetteW_ != w || vignetteH_ != h || vignetteStrength_ != camera.vignetting) {
        vignette_.resize(size_t(w) * h);
        const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0, far = cx * cx + cy * cy;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                vignette_[size_t(j) * w + i] = float(1.0 - camera.vignetting * ((i - cx) * (i - cx) + (j - cy) * (j - cy)) / far);
        vignetteW_ = w;
        vignetteH_ = h;
        vignetteStrength_ = camera.vignetting;
    }
    // Noise: the sum of four uniform bytes of a xorshift value is near enough to a normal one.
    uint32_t state = Mix(frameNumber * 0x9E3779B9U + 0x1234567U) | 1;
    const float scale = float(camera.noise * std::sqrt(3.0) * 2.0 / 255.0);
    for (size_t i = 0; i < size_t(w) * h; ++i)
        for (int c = 0; c < 3; ++c) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int sum = int(state & 255) + int((state >> 8) & 255) + int((state >> 16) & 255) + int(state >> 24);
            const float noise = float(sum - 510) * scale;
            const float v = float(bgr[i * 3 + c]) * vignette_[i] + noise + 0.5f;
            bgr[i * 3 + c] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
        }
}

std::vector<SlidePoint> WalkPath(const std::vector<SlidePoint>& waypoints, double speed) {
    std::vector<SlidePoint> out;
    if (waypoints.empty()) return out;
    auto emit = [&](double x, double y) { out.push_back({std::round(x), std::round(y)}); };
    emit(waypoints[0].x, waypoints[0].y);
    if (speed <= 0) {
        for (size_t i = 1; i < waypoints.size(); ++i) emit(waypoints[i].x, waypoints[i].y);
        return out;
    }
    double carry = 0;  // distance along the next segment where the next frame lies
    for (size_t i = 1; i < waypoints.size(); ++i) {
        const SlidePoint a = waypoints[i - 1], b = waypoints[i];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        double along = carry > 0 ? carry : speed;
        for (; along <= length + 1e-9; along += speed)
            emit(a.x + (b.x - a.x) * along / length, a.y + (b.y - a.y) * along / length);
        carry = along - length;
    }
    const SlidePoint last = waypoints.back();
    if (out.back().x != std::round(last.x) || out.back().y != std::round(last.y)) emit(last.x, last.y);
    return out;
}

std::vector<SlidePoint> SerpentinePath(double x0, double y0, int passes, double passLength, double fieldHeight,
                                       double overlap, double step) {
    std::vector<SlidePoint> corners;
    const double down = (1.0 - overlap) * fieldHeight;
    for (int p = 0; p < passes; ++p) {
        const double y = y0 + p * down;
        const bool rightward = p % 2 == 0;
        corners.push_back({rightward ? x0 : x0 + passLength, y});
        corners.push_back({rightward ? x0 + passLength : x0, y});
    }
    return WalkPath(corners, step);
}
