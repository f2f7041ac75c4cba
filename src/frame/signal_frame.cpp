// Signal-frame recognition: per band the hue of its first word, then a run of identical words.
#include "frame/signal_frame.h"

#include <cstdlib>
#include <cstring>

namespace {

int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

struct Band {
    size_t start;    // byte offset
    size_t words;    // identical words from the start
    int hue, altHue; // expected hue; altHue -1 when there is only one
};

constexpr Band kBands[8] = {
    {2560, 13119, 1, -1},   {79360, 13759, 60, -1},  {157440, 13759, 180, -1}, {234240, 14079, 120, -1},
    {313600, 13759, 300, -1}, {390400, 14079, 1, 360}, {469760, 13759, 240, -1}, {546560, 12479, 1, -1},
};

uint32_t WordAt(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

int HueOfYuy2Word(uint32_t word) {
    const int c = int(word & 0xFF) - 16;
    const int d = int((word >> 8) & 0xFF) - 128;
    const int e = int(word >> 24) - 128;
    const float r = Clamp255((298 * c + 409 * e + 128) >> 8) / 100.0f;
    const float g = Clamp255((298 * c - 100 * d - 208 * e + 128) >> 8) / 100.0f;
    const float b = Clamp255((298 * c + 516 * d + 128) >> 8) / 100.0f;
    const float max = r > g ? (r > b ? r : b) : (g > b ? g : b);
    const float min = r < g ? (r < b ? r : b) : (g < b ? g : b);
    if (max == min) return 0;
    float hue;
    if (max == r) {
        hue = 60.0f * (g - b) / (max - min);
        if (g < b) hue += 360.0f;
    } else if (max == g) {
        hue = 60.0f * (b - r) / (max - min) + 120.0f;
    } else {
        hue = 60.0f * (r - g) / (max - min) + 240.0f;
    }
    return int(hue);  // truncated toward zero
}

bool IsSignalFrame(const uint8_t* buffer, size_t length) {
    if (!buffer || length != kSignalFrameBytes) return false;
    for (const Band& band : kBands) {
        const uint8_t* p = buffer + band.start;
        const int hue = HueOfYuy2Word(WordAt(p));
        const bool hueOk = std::abs(hue - band.hue) <= 10 || (band.altHue >= 0 && std::abs(hue - band.altHue) <= 10);
        if (!hueOk) return false;
        for (size_t w = 1; w < band.words; ++w) {
            if (std::memcmp(p + w * 4, p, 4) != 0) return false;
        }
    }
    return true;
}
