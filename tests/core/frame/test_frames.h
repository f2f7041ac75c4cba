// Camera-like test pictures for the frame tests: textured, noisy, never flat.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

inline std::vector<uint8_t> NoisyBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(rng());
    return v;
}

// A BGR picture: gradients plus noise, with some saturated dark and bright spots.
inline std::vector<uint8_t> TexturedBgr(int width, int height, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &v[(size_t(y) * width + x) * 3];
            const int n = int(rng() % 41) - 20;
            for (int c = 0; c < 3; ++c) {
                int base = (x * (c + 1) * 7 + y * (3 - c) * 5) % 300 - 20;
                int val = base + n;
                p[c] = uint8_t(val < 0 ? 0 : val > 255 ? 255 : val);
            }
        }
    return v;
}
