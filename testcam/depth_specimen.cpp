// The specimen with relief (see depth_specimen.h). Blur is mixed per point from a stack of
// pre-blurred copies of the texture (linear between the two nearest blurs), then the field is
// moved with a Lanczos resampler, so a frame costs two reads per byte and one resampling.
#include "depth_specimen.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The depth of field, as a share of the specimen's height range: a twentieth, so that a stack of
// twenty frames over the whole range has every point sharp in one of them.
constexpr double kDepthOfField = 0.06;
// The optics' resolution: the blur (Gaussian sigma, pixels) of a point in focus.
constexpr float kResolution = 0.7f;

uint32_t Mix32(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

float Hash(int x, int y, uint32_t seed) {
    return float(Mix32(uint32_t(x) * 0x9E3779B1u ^ Mix32(uint32_t(y) + seed * 0x85EBCA77u)) & 0xFFFFFF) / 16777215.0f;
}

// Smooth value noise in 0..1.
float Noise(float x, float y, uint32_t seed) {
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    float fx = x - float(ix), fy = y - float(iy);
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    const float a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed);
    const float c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
    const float top = a + (b - a) * fx, bottom = c + (d - c) * fx;
    return top + (bottom - top) * fy;
}

float Smooth(float edge0, float edge1, float v) {
    float t = std::min(1.0f, std::max(0.0f, (v - edge0) / (edge1 - edge0)));
    return t * t * (3 - 2 * t);
}

uint8_t Clamp8(float v) { return uint8_t(v <= 0 ? 0 : v >= 255 ? 255 : int(v + 0.5f)); }

// A stained tissue section: cells with walls and granular nuclei, granules in the cytoplasm,
// fibres across, and a few fine dark hairs. Detail down to single pixels, so that sharpness
// shows.
void PaintTexture(int w, int h, std::vector<uint8_t>* out) {
    out->assign(size_t(w) * h * 3, 0);
    const float cell = std::max(12.0f, float(h) / 18.0f);
    const float grain = std::max(1.2f, float(h) / 700.0f);
    for (int y = 0; y < h; ++y) {
        uint8_t* p = &(*out)[size_t(y) * w * 3];
        const float fy = float(y) / cell;
        const int cy = int(std::floor(fy));
        for (int x = 0; x < w; ++x, p += 3) {
            const float fx = float(x) / cell;
            const int cx = int(std::floor(fx));
            float d1 = 9, d2 = 9, r1 = 0;
            uint32_t id = 0;
            for (int j = -1; j <= 1; ++j)
                for (int i = -1; i <= 1; ++i) {
                    const float px = float(cx + i) + 0.15f + 0.7f * Hash(cx + i, cy + j, 21);
                    const float py = float(cy + j) + 0.15f + 0.7f * Hash(cx + i, cy + j, 22);
                    const float d = std::sqrt((fx - px) * (fx - px) + (fy - py) * (fy - py));
                    if (d < d1) {
                        d2 = d1;
                        d1 = d;
                        r1 = 0.17f + 0.09f * Hash(cx + i, cy + j, 23);
                        id = uint32_t((cx + i) * 7919 + (cy + j) * 104729);
                    } else if (d < d2) {
                        d2 = d;
                    }
                }
            const float wobble = 0.05f * (Noise(fx * 5, fy * 5, 24) - 0.5f);
            const float nucleus = Smooth(0.0f, 0.035f, r1 + wobble - d1);
            const float wall = 1.0f - Smooth(0.0f, 0.09f, d2 - d1);
            const float chromatin = Noise(float(x) / grain, float(y) / grain, 25);
            const float granule = Smooth(0.72f, 0.9f, Noise(float(x) / (1.6f * grain), float(y) / (1.6f * grain), 26));
            const float fibre = Noise(float(x) / (3 * grain), float(y) / (14 * grain), 27);
            const float tone = 0.85f + 0.3f * Hash(int(id), 0, 28);  // cells stain unevenly
            float r = 238 - 14 * fibre - 38 * wall - 55 * granule;
            float g = 196 - 26 * fibre - 62 * wall - 70 * granule;
            float b = 216 - 10 * fibre - 30 * wall - 40 * granule;
            r = r * tone + (1 - tone) * 200;
            const float n = nucleus * (0.75f + 0.45f * chromatin);
            r += (92 - r) * n;
            g += (48 - g) * n;
            b += (140 - b) * n;
            p[0] = Clamp8(b);
            p[1] = Clamp8(g);
            p[2] = Clamp8(r);
        }
    }
    // Hairs: thin dark strokes, anti-aliased by their distance to the stroke's axis.
    const int hairs = 14;
    const float halfWidth = std::max(0.6f, float(h) / 1400.0f);
    for (int k = 0; k < hairs; ++k) {
        const float x0 = Hash(k, 1, 31) * float(w), y0 = Hash(k, 2, 31) * float(h);
        const float angle = Hash(k, 3, 31) * 6.2831853f, length = (0.15f + 0.3f * Hash(k, 4, 31)) * float(h);
        const float bend = (Hash(k, 5, 31) - 0.5f) * 0.004f;  // turn per half-pixel step
        const int steps = int(length * 2);
        float x = x0, y = y0, heading = angle;
        for (int s = 0; s < steps; ++s) {
            heading += bend;
            const float ax = std::cos(heading), ay = std::sin(heading);
            x += ax * 0.5f;
            y += ay * 0.5f;
            for (int py = int(y) - 2; py <= int(y) + 2; ++py)
                for (int px = int(x) - 2; px <= int(x) + 2; ++px) {
                    if (px < 0 || py < 0 || px >= w || py >= h) continue;
                    // Distance across the stroke only: along it the next steps cover.
                    const float across = std::fabs((float(px) + 0.5f - x) * -ay + (float(py) + 0.5f - y) * ax);
                    const float along = std::fabs((float(px) + 0.5f - x) * ax + (float(py) + 0.5f - y) * ay);
                    if (along > 0.5f) continue;
                    const float cover = std::min(1.0f, std::max(0.0f, halfWidth + 0.5f - across));
                    if (cover <= 0) continue;
                    uint8_t* q = &(*out)[(size_t(py) * w + px) * 3];
                    const uint8_t ink[3] = {60, 30, 45};
                    for (int c = 0; c < 3; ++c)
                        q[c] = uint8_t(std::min(q[c], Clamp8(float(q[c]) + (float(ink[c]) - float(q[c])) * cover)));
                }
        }
    }
}

// Heights 0..1: a slide tilted a little, a dome on the left and a staircase of four steps on
// the right with sheer edges.
void ShapeHeights(int w, int h, std::vector<float>* out) {
    out->resize(size_t(w) * h);
    const float cx = 0.3f * float(w), cy = 0.5f * float(h), radius = 0.42f * float(h);
    const float stairLeft = 0.6f * float(w), stairRight = 0.95f * float(w);
    const float stairTop = 0.12f * float(h), stairBottom = 0.88f * float(h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float z = 0.02f + 0.12f * float(x) / float(w) + 0.04f * float(y) / float(h);
            const float r2 = ((float(x) - cx) * (float(x) - cx) + (float(y) - cy) * (float(y) - cy)) / (radius * radius);
            if (r2 < 1) z = std::max(z, 0.12f + 0.86f * std::sqrt(1 - r2));
            if (x >= stairLeft && x < stairRight && y >= stairTop && y < stairBottom) {
                const int step = int(4 * (float(x) - stairLeft) / (stairRight - stairLeft));
                z = 0.3f + 0.2f * float(std::min(step, 3));
            }
            (*out)[size_t(y) * w + x] = std::min(1.0f, z);
        }
}

// Separable Gaussian of sigma on three float planes in place (edges repeated).
void GaussianBlur(std::vector<float>* planes, int w, int h, float sigma) {
    if (sigma <= 0) return;
    const int radius = std::max(1, int(std::ceil(3 * sigma)));
    std::vector<float> kernel(size_t(2 * radius + 1));
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) sum += kernel[size_t(i + radius)] = std::exp(-0.5f * float(i * i) / (sigma * sigma));
    for (float& k : kernel) k /= sum;
    const size_t plane = size_t(w) * h;
    std::vector<float> line(size_t(std::max(w, h) + 2 * radius)), acc(size_t(std::max(w, h)));
    for (int c = 0; c < 3; ++c) {
        float* data = planes->data() + c * plane;
        for (int y = 0; y < h; ++y) {  // rows
            float* row = data + size_t(y) * w;
            for (int i = 0; i < w + 2 * radius; ++i) line[size_t(i)] = row[std::min(w - 1, std::max(0, i - radius))];
            std::fill(acc.begin(), acc.begin() + w, 0.0f);
            for (int k = 0; k <= 2 * radius; ++k) {
                const float kv = kernel[size_t(k)];
                const float* src = line.data() + k;
                for (int x = 0; x < w; ++x) acc[size_t(x)] += kv * src[x];
            }
            std::memcpy(row, acc.data(), size_t(w) * sizeof(float));
        }
        std::vector<float> column(size_t(w) * h);  // columns, a whole row at a time
        for (int y = 0; y < h; ++y) {
            float* dst = column.data() + size_t(y) * w;
            std::fill(dst, dst + w, 0.0f);
            for (int k = -radius; k <= radius; ++k) {
                const float kv = kernel[size_t(k + radius)];
                const float* src = data + size_t(std::min(h - 1, std::max(0, y + k))) * w;
                for (int x = 0; x < w; ++x) dst[x] += kv * src[x];
            }
        }
        std::memcpy(data, column.data(), plane * sizeof(float));
    }
}

// Lanczos (three lobes) weights of a fraction t in [0, 1) for the taps at -2 .. 3, normalised.
void LanczosWeights(float t, float* wgt) {
    float sum = 0;
    for (int k = 0; k < 6; ++k) {
        const float x = std::fabs(t - float(k - 2));
        float v = 1;
        if (x > 1e-6f) {
            const float p = 3.14159265f * x;
            v = x < 3 ? 3 * std::sin(p) * std::sin(p / 3) / (p * p) : 0.0f;
        }
        wgt[k] = v;
        sum += v;
    }
    for (int k = 0; k < 6; ++k) wgt[k] /= sum;
}

}  // namespace

void AddSensorNoise(uint8_t* bgr, size_t bytes, uint32_t seed) {
    uint32_t state = Mix32(seed * 0x9E3779B9u + 1);
    for (size_t i = 0; i < bytes; ++i) {
        state = state * 1664525u + 1013904223u;
        // Sum of two small uniform values: a triangle of -3..3, deviation about 1.2.
        const int n = int((state >> 24) % 4) + int((state >> 16) % 4) - 3;
        const int v = int(bgr[i]) + n;
        bgr[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

DepthSpecimen::DepthSpecimen(int width, int height)
    : width_(std::max(16, width)), height_(std::max(16, height)), maxSigma_(9.0 * double(height_) / 1080.0) {
    std::vector<uint8_t> texture;
    PaintTexture(width_, height_, &texture);
    ShapeHeights(width_, height_, &heights_);
    // Blurs from sharp to the blur of the farthest point, nearer together where small blurs
    // change the picture most.
    const float scale = float(height_) / 1080.0f;
    for (float s : {0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 2.7f, 3.5f, 4.5f, 5.7f, 7.2f, 9.0f, 11.0f}) sigmas_.push_back(s * scale);
    // Even in focus the optics resolve no single pixel: the sharpest picture is the texture seen
    // through a lens of limited resolution (as a camera matched to its microscope sees it).
    const size_t plane = size_t(width_) * height_;
    std::vector<float> planes(plane * 3);
    for (size_t i = 0; i < plane; ++i)
        for (int c = 0; c < 3; ++c) planes[size_t(c) * plane + i] = texture[i * 3 + size_t(c)];
    float done = 0;
    for (float s : sigmas_) {
        // Each level blurs the one before by what it lacks: Gaussians add in variance.
        const float total = std::sqrt(s * s + kResolution * kResolution);
        GaussianBlur(&planes, width_, height_, std::sqrt(std::max(0.0f, total * total - done * done)));
        done = total;
        std::vector<uint8_t> level(plane * 3);
        for (size_t i = 0; i < plane; ++i)
            for (int c = 0; c < 3; ++c) level[i * 3 + size_t(c)] = Clamp8(planes[size_t(c) * plane + i]);
        levels_.push_back(std::move(level));
    }
}

bool DepthSpecimen::OnStepEdge(int x, int y) const {
    const float here = HeightAt(x, y);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= width_ || ny >= height_) continue;
            if (std::fabs(HeightAt(nx, ny) - here) > 0.05f) return true;
        }
    return false;
}

DepthSpecimen::Field DepthSpecimen::FieldAt(double z) const {
    z = std::min(1.0, std::max(0.0, z));
    Field f;
    f.scale = 1.0 + 0.008 * z;
    f.shiftX = 6.0 * z * double(height_) / 1080.0;
    f.shiftY = -4.0 * z * double(height_) / 1080.0;
    return f;
}

void DepthSpecimen::Mix(double z, std::vector<uint8_t>* out) const {
    z = std::min(1.0, std::max(0.0, z));
    out->resize(size_t(width_) * height_ * 3);
    // Blur per distance from the focal plane, in 1/1024 steps: the two levels and the weight.
    struct Blend {
        uint8_t lower;
        uint16_t weight;  // of the upper level, 0..256
    };
    std::vector<Blend> table(1025);
    const int top = int(sigmas_.size()) - 1;
    for (int i = 0; i <= 1024; ++i) {
        // Within the depth of field a point is sharp; beyond it the blur grows with the distance.
        const float beyond = std::max(0.0f, float(i) / 1024.0f - float(kDepthOfField) / 2);
        const float s = float(maxSigma_) * beyond / (1 - float(kDepthOfField) / 2);
        int lo = 0;
        while (lo < top - 1 && sigmas_[size_t(lo + 1)] <= s) ++lo;
        const float t = std::min(1.0f, std::max(0.0f, (s - sigmas_[size_t(lo)]) / (sigmas_[size_t(lo + 1)] - sigmas_[size_t(lo)])));
        table[size_t(i)] = {uint8_t(lo), uint16_t(std::lround(t * 256))};
    }
    const size_t pixels = size_t(width_) * height_;
    uint8_t* dst = out->data();
    for (size_t i = 0; i < pixels; ++i) {
        const Blend b = table[size_t(std::lround(std::fabs(double(heights_[i]) - z) * 1024))];
        const uint8_t* a = &levels_[b.lower][i * 3];
        const uint8_t* c = &levels_[size_t(b.lower) + 1][i * 3];
        const int wc = b.weight, wa = 256 - wc;
        for (int k = 0; k < 3; ++k) dst[i * 3 + size_t(k)] = uint8_t((a[k] * wa + c[k] * wc + 128) >> 8);
    }
}

void DepthSpecimen::Resample(const uint8_t* scene, const Field& field, uint8_t* out) const {
    const int w = width_, h = height_;
    if (field.scale == 1.0 && field.shiftX == 0 && field.shiftY == 0) {
        std::memcpy(out, scene, size_t(w) * h * 3);
        return;
    }
    // A frame point q shows the scene point centre + (q - centre - shift) / scale.
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    struct Tap {
        int first;
        float weight[6];
    };
    auto taps = [&](int n, double centre, double shift, std::vector<Tap>* t) {
        t->resize(size_t(n));
        for (int q = 0; q < n; ++q) {
            const double s = centre + (q - centre - shift) / field.scale;
            const int i = int(std::floor(s));
            (*t)[size_t(q)].first = i - 2;
            LanczosWeights(float(s - i), (*t)[size_t(q)].weight);
        }
    };
    std::vector<Tap> tx, ty;
    taps(w, cx, field.shiftX, &tx);
    taps(h, cy, field.shiftY, &ty);
    // Rows resampled across once each, kept while the output rows need them.
    std::vector<std::vector<float>> cache(8, std::vector<float>(size_t(w) * 3));
    int cached[8] = {-10, -10, -10, -10, -10, -10, -10, -10};
    auto across = [&](int sy) -> const float* {
        sy = std::min(h - 1, std::max(0, sy));
        const int slot = sy & 7;
        if (cached[slot] == sy) return cache[size_t(slot)].data();
        cached[slot] = sy;
        float* dst = cache[size_t(slot)].data();
        const uint8_t* src = scene + size_t(sy) * w * 3;
        for (int x = 0; x < w; ++x) {
            const Tap& t = tx[size_t(x)];
            float acc[3] = {0, 0, 0};
            for (int k = 0; k < 6; ++k) {
                const int sx = std::min(w - 1, std::max(0, t.first + k));
                for (int c = 0; c < 3; ++c) acc[c] += t.weight[k] * src[sx * 3 + c];
            }
            for (int c = 0; c < 3; ++c) dst[x * 3 + c] = acc[c];
        }
        return dst;
    };
    for (int y = 0; y < h; ++y) {
        const Tap& t = ty[size_t(y)];
        const float* r[6];
        for (int k = 0; k < 6; ++k) r[k] = across(t.first + k);
        uint8_t* dst = out + size_t(y) * w * 3;
        for (int i = 0; i < w * 3; ++i)
            dst[i] = Clamp8(t.weight[0] * r[0][i] + t.weight[1] * r[1][i] + t.weight[2] * r[2][i] +
                            t.weight[3] * r[3][i] + t.weight[4] * r[4][i] + t.weight[5] * r[5][i]);
    }
}

void DepthSpecimen::Render(double z, uint32_t noiseSeed, uint8_t* bgr) const {
    std::vector<uint8_t> scene;
    Mix(z, &scene);
    Resample(scene.data(), FieldAt(z), bgr);
    if (noiseSeed) AddSensorNoise(bgr, size_t(width_) * height_ * 3, noiseSeed);
}

void DepthSpecimen::RenderSteady(double z, uint32_t noiseSeed, uint8_t* bgr) const {
    std::vector<uint8_t> scene;
    Mix(z, &scene);
    std::memcpy(bgr, scene.data(), scene.size());
    if (noiseSeed) AddSensorNoise(bgr, scene.size(), noiseSeed);
}

void DepthSpecimen::RenderTruth(double z, uint8_t* bgr) const { Resample(levels_[0].data(), FieldAt(z), bgr); }

double FocusDrive::Step(const FocusCommand& command, int fps) {
    if (command.serial != serial_) {
        serial_ = command.serial;
        if (command.sweepSeconds <= 0) z_ = std::min(1.0, std::max(0.0, command.position));
        direction_ = z_ >= 1.0 ? -1 : 1;  // a sweep goes up first unless it is at the top
    }
    if (command.sweepSeconds > 0 && fps > 0) {
        z_ += direction_ / (command.sweepSeconds * fps);
        if (z_ >= 1.0) {
            z_ = 1.0;
            direction_ = -1;
        } else if (z_ <= 0.0) {
            z_ = 0.0;
            direction_ = 1;
        }
    }
    return z_;
}
