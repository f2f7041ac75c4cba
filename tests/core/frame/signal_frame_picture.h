// A 640 x 480 YUY2 colour-bar signal frame as the camera sends it.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

inline uint32_t Yuy2Word(int y, int u, int v) { return uint32_t(y) | uint32_t(u) << 8 | uint32_t(y) << 16 | uint32_t(v) << 24; }

inline std::vector<uint8_t> SignalFramePicture() {
    const uint32_t red = Yuy2Word(81, 90, 240), yellow = Yuy2Word(210, 16, 146), cyan = Yuy2Word(170, 166, 16),
                   green = Yuy2Word(145, 54, 34), magenta = Yuy2Word(106, 202, 222), blue = Yuy2Word(41, 240, 110);
    const int startRows[9] = {2, 62, 123, 183, 245, 305, 367, 427, 480};
    const uint32_t colours[8] = {red, yellow, cyan, green, magenta, red, blue, red};
    std::vector<uint8_t> frame(614400, 0);
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 320; ++x) std::memcpy(&frame[row * 1280 + x * 4], &green, 4);
    for (int band = 0; band < 8; ++band)
        for (int row = startRows[band]; row < startRows[band + 1]; ++row)
            for (int x = 0; x < 320; ++x) std::memcpy(&frame[row * 1280 + x * 4], &colours[band], 4);
    return frame;
}
