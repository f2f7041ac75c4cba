// Camera-like pictures for the benchmarks: soft shading, texture, edges and sensor noise, as
// BGR, YUY2 and the JPEG (4:2:2, quality 85) an MJPG camera would send.
#pragma once
#include <turbojpeg.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

inline std::vector<uint8_t> CameraBgr(int w, int h, uint32_t seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(0.0f, 4.0f);
    std::vector<uint8_t> bgr(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float fx = float(x) / w, fy = float(y) / h;
            const float shade = 0.55f + 0.45f * std::cos(3.0f * (fx - 0.5f)) * std::cos(2.0f * (fy - 0.5f));
            const float texture = 30.0f * std::sin(x * 0.21f + std::sin(y * 0.05f) * 4.0f) * std::sin(y * 0.17f);
            const bool cell = ((x / 97 + y / 61) % 3) == 0;
            const float base[3] = {150.0f + 60.0f * fy, 120.0f + (cell ? 60.0f : 0.0f), 90.0f + 80.0f * fx};
            for (int c = 0; c < 3; ++c) {
                const float v = base[c] * shade + texture + noise(rng);
                bgr[(size_t(y) * w + x) * 3 + c] = uint8_t(std::lround(std::fmin(255.0f, std::fmax(0.0f, v))));
            }
        }
    return bgr;
}

inline std::vector<uint8_t> CameraYuy2(int w, int h) {
    const std::vector<uint8_t> bgr = CameraBgr(w, h, 11);
    std::vector<uint8_t> yuy2(size_t(w) * h * 2);
    for (size_t p = 0; p + 1 < size_t(w) * h; p += 2) {
        const uint8_t* a = &bgr[p * 3];
        const uint8_t* b = a + 3;
        auto luma = [](const uint8_t* q) { return (66 * q[2] + 129 * q[1] + 25 * q[0] + 128) / 256 + 16; };
        const int r = (a[2] + b[2]) / 2, g = (a[1] + b[1]) / 2, bl = (a[0] + b[0]) / 2;
        yuy2[p * 2] = uint8_t(luma(a));
        yuy2[p * 2 + 1] = uint8_t((-38 * r - 74 * g + 112 * bl + 128) / 256 + 128);
        yuy2[p * 2 + 2] = uint8_t(luma(b));
        yuy2[p * 2 + 3] = uint8_t((112 * r - 94 * g - 18 * bl + 128) / 256 + 128);
    }
    return yuy2;
}

inline std::vector<uint8_t> CameraJpeg(int w, int h) {
    const std::vector<uint8_t> bgr = CameraBgr(w, h, 5);
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, bgr.data(), w, w * 3, h, TJPF_BGR, &jpeg, &size, TJSAMP_422, 85, 0);
    std::vector<uint8_t> out(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(tj);
    return out;
}
