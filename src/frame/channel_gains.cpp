// Per-channel gains: a plain reference, an SSE2 version (baseline x86-64) and an AVX2 version.
// A group of 16 pixels (48 bytes, SSE2) or 32 pixels (96 bytes, AVX2) starts at a pixel, so
// the channel of every byte of a group is fixed and each register half gets a constant vector
// of gains. Both vector versions round exactly as the reference does: SSE2 adds the carry of
// the low product half to the high half, AVX2's pmulhrsw rounds by itself.
#include "frame/channel_gains.h"

#include "frame/cpu_features.h"

#if VARDELO_X86
#include <immintrin.h>
#endif

uint16_t ClampGain(long value) {
    return uint16_t(value < kMinGain ? kMinGain : value > kMaxGain ? kMaxGain : value);
}

namespace {

inline uint8_t Scaled(unsigned v, unsigned gain) {
    const unsigned out = (v * gain + 2048) >> 12;
    return uint8_t(out > 255 ? 255 : out);
}

// The gain of every byte of a 96-byte group (32 pixels), channel = byte % 3.
struct GroupGains {
    alignas(32) uint16_t byByte[96];
    explicit GroupGains(const ChannelGains& g) {
        const uint16_t channel[3] = {g.blue, g.green, g.red};
        for (int i = 0; i < 96; ++i) byByte[i] = channel[i % 3];
    }
};

}  // namespace

VARDELO_PLAIN void ApplyChannelGainsScalar(uint8_t* bgr, size_t pixels, const ChannelGains& gains) {
    for (size_t i = 0; i < pixels; ++i, bgr += 3) {
        bgr[0] = Scaled(bgr[0], gains.blue);
        bgr[1] = Scaled(bgr[1], gains.green);
        bgr[2] = Scaled(bgr[2], gains.red);
    }
}

#if VARDELO_X86

namespace {

// round(v * g / 4096) for eight 16-bit values v (0..255): (16v * g + 32768) >> 16 from the high
// half of the product plus the top bit of its low half.
inline __m128i ScaleSse2(__m128i v, __m128i g) {
    const __m128i a = _mm_slli_epi16(v, 4);
    return _mm_add_epi16(_mm_mulhi_epu16(a, g), _mm_srli_epi16(_mm_mullo_epi16(a, g), 15));
}

inline void Scale16Sse2(uint8_t* p, __m128i gLo, __m128i gHi) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i lo = ScaleSse2(_mm_unpacklo_epi8(v, zero), gLo);
    const __m128i hi = ScaleSse2(_mm_unpackhi_epi8(v, zero), gHi);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(lo, hi));
}

inline __m128i Load8(const uint16_t* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }

}  // namespace

void ApplyChannelGainsSse2(uint8_t* bgr, size_t pixels, const ChannelGains& gains) {
    const GroupGains table(gains);
    const uint16_t* t = table.byByte;
    const __m128i g0 = Load8(t), g1 = Load8(t + 8), g2 = Load8(t + 16), g3 = Load8(t + 24), g4 = Load8(t + 32),
                  g5 = Load8(t + 40);
    size_t i = 0;
    for (; pixels - i >= 16; i += 16) {
        uint8_t* p = bgr + i * 3;
        Scale16Sse2(p, g0, g1);
        Scale16Sse2(p + 16, g2, g3);
        Scale16Sse2(p + 32, g4, g5);
    }
    ApplyChannelGainsScalar(bgr + i * 3, pixels - i, gains);
}

namespace {

// Register m of a 96-byte group: its low lane is bytes 32m..32m+15, its high lane the next 16;
// unpacking takes bytes 0-7 of each lane for the low half and 8-15 for the high half.
VARDELO_TARGET_AVX2 inline __m256i LaneGains(const uint16_t* t, int first) {
    return _mm256_set_m128i(_mm_load_si128(reinterpret_cast<const __m128i*>(t + first + 16)),
                            _mm_load_si128(reinterpret_cast<const __m128i*>(t + first)));
}

VARDELO_TARGET_AVX2 inline void Scale32Avx2(uint8_t* p, __m256i gLo, __m256i gHi) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i lo = _mm256_mulhrs_epi16(_mm256_slli_epi16(_mm256_unpacklo_epi8(v, zero), 3), gLo);
    const __m256i hi = _mm256_mulhrs_epi16(_mm256_slli_epi16(_mm256_unpackhi_epi8(v, zero), 3), gHi);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_packus_epi16(lo, hi));
}

}  // namespace

VARDELO_TARGET_AVX2 void ApplyChannelGainsAvx2(uint8_t* bgr, size_t pixels, const ChannelGains& gains) {
    const GroupGains table(gains);
    const uint16_t* t = table.byByte;
    const __m256i lo0 = LaneGains(t, 0), hi0 = LaneGains(t, 8);
    const __m256i lo1 = LaneGains(t, 32), hi1 = LaneGains(t, 40);
    const __m256i lo2 = LaneGains(t, 64), hi2 = LaneGains(t, 72);
    size_t i = 0;
    for (; pixels - i >= 32; i += 32) {
        uint8_t* p = bgr + i * 3;
        Scale32Avx2(p, lo0, hi0);
        Scale32Avx2(p + 32, lo1, hi1);
        Scale32Avx2(p + 64, lo2, hi2);
    }
    ApplyChannelGainsSse2(bgr + i * 3, pixels - i, gains);
}

void ApplyChannelGains(uint8_t* bgr, size_t pixels, const ChannelGains& gains) {
    if (gains.Neutral() || !bgr) return;
    static const auto apply = CpuHasAvx2() ? ApplyChannelGainsAvx2 : ApplyChannelGainsSse2;
    apply(bgr, pixels, gains);
}

#else  // not x86: the reference serves everywhere

void ApplyChannelGainsSse2(uint8_t* p, size_t n, const ChannelGains& g) { ApplyChannelGainsScalar(p, n, g); }
void ApplyChannelGainsAvx2(uint8_t* p, size_t n, const ChannelGains& g) { ApplyChannelGainsScalar(p, n, g); }
void ApplyChannelGains(uint8_t* p, size_t n, const ChannelGains& g) {
    if (!g.Neutral() && p) ApplyChannelGainsScalar(p, n, g);
}

#endif
