#include "frame_counter_reader.h"

#include <array>
#include <vector>

#include "picture.h"

namespace {

// The plate's layout as DrawFrameCounter makes it: "#" and six digits from x 12, y 10, each a
// 5 x 7 glyph drawn at twice its size, 12 pixels apart.
constexpr int kTextX = 12, kTextY = 10, kScale = 2, kAdvance = 6 * kScale, kDigits = 6;

// A glyph as 35 bits, one per font pixel: set where the block is light (text on the dark plate).
uint64_t GlyphBits(const uint8_t* bgr, int width, int position) {
    uint64_t bits = 0;
    const int x0 = kTextX + position * kAdvance;
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col) {
            int sum = 0;
            for (int sy = 0; sy < kScale; ++sy)
                for (int sx = 0; sx < kScale; ++sx) {
                    const uint8_t* p = bgr + (size_t(kTextY + row * kScale + sy) * width + x0 + col * kScale + sx) * 3;
                    sum += p[0] + p[1] + p[2];
                }
            bits = bits << 1 | (sum > 140 * 3 * kScale * kScale ? 1u : 0u);
        }
    return bits;
}

// The digits' glyphs, read from plates drawn by the camera's own code.
const std::array<uint64_t, 10>& DigitGlyphs() {
    static const std::array<uint64_t, 10> glyphs = [] {
        std::array<uint64_t, 10> g{};
        std::vector<uint8_t> plate(size_t(kCounterPlateWidth) * kCounterBandRows * 3, 0);
        for (int d = 0; d < 10; ++d) {
            DrawFrameCounter(plate.data(), kCounterPlateWidth, kCounterBandRows, uint32_t(d) * 111111u);
            g[size_t(d)] = GlyphBits(plate.data(), kCounterPlateWidth, 1);
        }
        return g;
    }();
    return glyphs;
}

int Popcount(uint64_t v) {
    int n = 0;
    for (; v; v &= v - 1) ++n;
    return n;
}

}  // namespace

int64_t ReadFrameCounter(const uint8_t* bgr, int width, int rows) {
    if (!bgr || width < kCounterPlateWidth || rows < kCounterBandRows) return -1;
    const std::array<uint64_t, 10>& glyphs = DigitGlyphs();
    int64_t value = 0;
    for (int i = 1; i <= kDigits; ++i) {
        const uint64_t seen = GlyphBits(bgr, width, i);
        // The nearest digit, taken only when it is near and no other is as near: a few font
        // pixels may flip in a compressed frame, a different picture is far from every digit.
        int best = -1, bestDistance = 64, secondDistance = 64;
        for (int d = 0; d < 10; ++d) {
            const int distance = Popcount(seen ^ glyphs[size_t(d)]);
            if (distance < bestDistance) {
                secondDistance = bestDistance;
                bestDistance = distance;
                best = d;
            } else if (distance < secondDistance) {
                secondDistance = distance;
            }
        }
        if (best < 0 || bestDistance > 3 || secondDistance <= bestDistance) return -1;
        value = value * 10 + best;
    }
    return value;
}
