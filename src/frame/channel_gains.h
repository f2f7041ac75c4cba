// The software white balance of a camera: one gain per colour channel, applied to every converted
// frame before the effects, so the view, photos, recordings and stills all carry it. A gain is a
// 12-bit fixed-point number (4096 = 1.0); each byte becomes round(byte * gain / 4096), clamped
// to 255. A balance raises the weaker channels to the strongest, so gains are never below 1
// (the YUY2 converter relies on it). All versions give the same bytes; ApplyChannelGains picks
// the fastest the processor runs.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint16_t kUnityGain = 4096;
constexpr uint16_t kMinGain = kUnityGain;
constexpr uint16_t kMaxGain = 32767;  // just under 8

struct ChannelGains {
    uint16_t blue = kUnityGain;
    uint16_t green = kUnityGain;
    uint16_t red = kUnityGain;
    bool Neutral() const { return blue == kUnityGain && green == kUnityGain && red == kUnityGain; }
    bool operator==(const ChannelGains& o) const { return blue == o.blue && green == o.green && red == o.red; }
};

// A gain as stored or computed, brought into kMinGain..kMaxGain.
uint16_t ClampGain(long value);

// The three gains in one word (blue low, red high), for a lock-free hand-over between threads.
inline uint64_t PackGains(const ChannelGains& g) {
    return uint64_t(g.blue) | uint64_t(g.green) << 16 | uint64_t(g.red) << 32;
}
inline ChannelGains UnpackGains(uint64_t packed) {
    return {uint16_t(packed), uint16_t(packed >> 16), uint16_t(packed >> 32)};
}

// Applies the gains in place to pixels whole BGR pixels (3 * pixels bytes). Does nothing for
// neutral gains. (The kernels themselves take any gain of 1..32767.)
void ApplyChannelGains(uint8_t* bgr, size_t pixels, const ChannelGains& gains);

// The individual versions, for tests and benchmarks. The AVX2 one may only be called when
// CpuHasAvx2() says so.
void ApplyChannelGainsScalar(uint8_t* bgr, size_t pixels, const ChannelGains& gains);
void ApplyChannelGainsSse2(uint8_t* bgr, size_t pixels, const ChannelGains& gains);
void ApplyChannelGainsAvx2(uint8_t* bgr, size_t pixels, const ChannelGains& gains);
