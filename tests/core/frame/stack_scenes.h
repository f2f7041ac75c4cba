// Synthetic pictures for the registration and focus-stacking tests: a texture made of sinusoids,
// so a picture of it can be made exactly at any sub-pixel shift and scale, and exactly blurred
// (a Gaussian scales each sinusoid by its own factor).
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "frame/field_alignment.h"

struct SineTexture {
    struct Wave {
        double fx, fy, phase, amplitude[3];
    };
    std::vector<Wave> waves;

    explicit SineTexture(uint32_t seed, int count = 40) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> u(0, 1);
        for (int i = 0; i < count; ++i) {
            const double f = 0.01 + 0.19 * u(rng), angle = 6.283185307 * u(rng);
            Wave w{f * std::cos(angle), f * std::sin(angle), 6.283185307 * u(rng), {}};
            for (double& a : w.amplitude) a = (8 + 14 * u(rng)) * (0.3 + u(rng));
            waves.push_back(w);
        }
    }
    // Channel c at the scene point (x, y), blurred by a Gaussian of sigma pixels.
    double At(double x, double y, int c, double sigma) const {
        double v = 128;
        for (const Wave& w : waves) {
            const double f2 = w.fx * w.fx + w.fy * w.fy;
            v += w.amplitude[c] * std::exp(-19.7392088 * sigma * sigma * f2) *
                 std::sin(6.283185307 * (w.fx * x + w.fy * y) + w.phase);
        }
        return v;
    }
};

// A width x height BGR picture of the texture as seen through warp (a point p of the scene
// shows at centre + scale * (p - centre) + shift), each pixel blurred by sigmaAt(scene x, y).
template <class Sigma>
std::vector<uint8_t> RenderScene(const SineTexture& t, int width, int height, const FieldWarp& warp, Sigma sigmaAt) {
    std::vector<uint8_t> out(size_t(width) * height * 3);
    const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double sx = cx + (x - cx - warp.dx) / warp.scale, sy = cy + (y - cy - warp.dy) / warp.scale;
            const double sigma = sigmaAt(sx, sy);
            for (int c = 0; c < 3; ++c) {
                const double v = std::round(t.At(sx, sy, c, sigma));
                out[(size_t(y) * width + x) * 3 + c] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    return out;
}

inline std::vector<uint8_t> RenderScene(const SineTexture& t, int width, int height, const FieldWarp& warp = {},
                                        double sigma = 0) {
    return RenderScene(t, width, height, warp, [sigma](double, double) { return sigma; });
}

// Brightness B + 2G + R of a BGR picture, as floats.
inline std::vector<float> Brightness(const std::vector<uint8_t>& bgr) {
    std::vector<float> out(bgr.size() / 3);
    for (size_t i = 0; i < out.size(); ++i) out[i] = float(bgr[3 * i] + 2 * bgr[3 * i + 1] + bgr[3 * i + 2]);
    return out;
}
