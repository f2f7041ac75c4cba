// Camera-like test pictures for the frame tests: textured, noisy, never flat; and JPEGs of them
// from the encoder the program links.
#pragma once

#include <gtest/gtest.h>
#include <turbojpeg.h>

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

// The BGR picture as a JPEG (4:2:2 at quality 85 unless told).
inline std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& bgr, int w, int h, int flags = 0,
                                       int subsampling = TJSAMP_422, int quality = 85) {
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(tj, bgr.data(), w, w * 3, h, TJPF_BGR, &jpeg, &size, subsampling, quality, flags), 0);
    std::vector<uint8_t> out(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(tj);
    return out;
}
