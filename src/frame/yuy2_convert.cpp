// YUY2 to BGR: a plain reference, an SSE2 version (baseline x86-64) and an AVX2 version. The
// vector versions compute the very same integer terms: pmaddwd gives the exact 32-bit products
// and sums, psrad 14 the floor division, packuswb the clamp to 0..255. Each vector version also
// comes with the white-balance gains folded in (a template flag): the 16-bit channel values are
// clamped to 0..255 and scaled with the rounding of ApplyChannelGains just before packing.
#include "frame/yuy2_convert.h"

#include "frame/cpu_features.h"

#if VARDELO_X86
#include <immintrin.h>
#endif

namespace {

inline uint8_t Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : uint8_t(v)); }

// Converts `pixels` pixels starting at a pair boundary; the last pair may be half used.
VARDELO_PLAIN void ConvertPixelsScalar(const uint8_t* src, size_t pixels, uint8_t* dst) {
    for (size_t done = 0; done < pixels; done += 2, src += 4) {
        const int y0 = src[0], u = src[1] - 128, y1 = src[2], v = src[3] - 128;
        const int bTerm = (u * 29049) >> 14;
        const int gTerm = (-u * 5636 - v * 11698) >> 14;
        const int rTerm = (v * 22987) >> 14;
        *dst++ = Clamp255(y0 + bTerm);
        *dst++ = Clamp255(y0 + gTerm);
        *dst++ = Clamp255(y0 + rTerm);
        if (done + 1 == pixels) break;  // odd pixel count: the frame ends mid-pair
        *dst++ = Clamp255(y1 + bTerm);
        *dst++ = Clamp255(y1 + gTerm);
        *dst++ = Clamp255(y1 + rTerm);
    }
}

size_t PixelCount(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return DisplayFrameBytes(width, height) / 3;
}

}  // namespace

size_t Yuy2SampleBytes(int width, int height) {
    const size_t pixels = PixelCount(width, height);
    return (pixels + 1) / 2 * 4;
}

void ConvertYuy2ToBgrScalar(const uint8_t* source, int width, int height, DisplayFrame* target) {
    ConvertPixelsScalar(source, PixelCount(width, height), target);
}

#if VARDELO_X86

namespace {

// (U - 128, V - 128) pairs times these, summed by pmaddwd, are the three terms before the shift.
inline __m128i BlueTerms(__m128i uv) { return _mm_srai_epi32(_mm_madd_epi16(uv, _mm_set1_epi32(29049)), 14); }
inline __m128i GreenTerms(__m128i uv) {
    return _mm_srai_epi32(_mm_madd_epi16(uv, _mm_set1_epi32(int32_t(uint32_t(-11698) << 16 | uint16_t(-5636)))), 14);
}
inline __m128i RedTerms(__m128i uv) { return _mm_srai_epi32(_mm_madd_epi16(uv, _mm_set1_epi32(22987 << 16)), 14); }

// Four BGR0 pixels (32 bits each) stored as 12 bytes through two 8-byte stores; the two bytes
// after the 12 are overwritten with junk, so the caller keeps at least 2 bytes of room.
inline void Store4Pixels(__m128i p, uint8_t* dst) {
    const __m128i even = _mm_and_si128(p, _mm_set_epi32(0, -1, 0, -1));
    const __m128i odd = _mm_and_si128(_mm_srli_epi64(p, 8), _mm_set_epi32(0xFFFF, int32_t(0xFF000000u), 0xFFFF, int32_t(0xFF000000u)));
    const __m128i packed = _mm_or_si128(even, odd);  // 6 bytes at the bottom of each 64-bit half
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), packed);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 6), _mm_unpackhi_epi64(packed, packed));
}

}  // namespace

namespace {

// round(clamp(v, 0, 255) * g / 4096) for eight 16-bit channel values, as ApplyChannelGains: the
// high half of 16v * g plus the top bit of its low half. Values above 255 need no clamp (gains
// are at least 1: they stay above 255 and packing clamps them); negative ones do, for the
// unsigned multiplication.
inline __m128i GainSse2(__m128i v, __m128i g) {
    v = _mm_max_epi16(v, _mm_setzero_si128());
    const __m128i a = _mm_slli_epi16(v, 4);
    return _mm_add_epi16(_mm_mulhi_epu16(a, g), _mm_srli_epi16(_mm_mullo_epi16(a, g), 15));
}

// One channel's sixteen values packed to bytes, balanced or not.
template <bool kBalanced>
inline __m128i PackChannelSse2(__m128i lo, __m128i hi, __m128i g) {
    if (kBalanced) return _mm_packus_epi16(GainSse2(lo, g), GainSse2(hi, g));
    return _mm_packus_epi16(lo, hi);
}

template <bool kBalanced>
void ConvertSse2(const uint8_t* source, int width, int height, DisplayFrame* target, const ChannelGains& gains) {
    const size_t pixels = PixelCount(width, height);
    const __m128i gB = _mm_set1_epi16(int16_t(gains.blue)), gG = _mm_set1_epi16(int16_t(gains.green)),
                  gR = _mm_set1_epi16(int16_t(gains.red));

    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i bias = _mm_set1_epi16(128);
    const __m128i zero = _mm_setzero_si128();
    size_t i = 0;
    // 16 pixels a step; a block is done only when a pixel follows it (room for Store4Pixels).
    for (; pixels - i > 16; i += 16) {
        const __m128i wa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i * 2));
        const __m128i wb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i * 2 + 16));
        const __m128i ya = _mm_and_si128(wa, lowBytes), yb = _mm_and_si128(wb, lowBytes);
        const __m128i uva = _mm_sub_epi16(_mm_srli_epi16(wa, 8), bias);
        const __m128i uvb = _mm_sub_epi16(_mm_srli_epi16(wb, 8), bias);
        // One term per pair, as 16-bit values for pairs 0..7, then doubled up to one per pixel.
        const __m128i bt = _mm_packs_epi32(BlueTerms(uva), BlueTerms(uvb));
        const __m128i gt = _mm_packs_epi32(GreenTerms(uva), GreenTerms(uvb));
        const __m128i rt = _mm_packs_epi32(RedTerms(uva), RedTerms(uvb));
        const __m128i b = PackChannelSse2<kBalanced>(_mm_add_epi16(ya, _mm_unpacklo_epi16(bt, bt)), _mm_add_epi16(yb, _mm_unpackhi_epi16(bt, bt)), gB);
        const __m128i g = PackChannelSse2<kBalanced>(_mm_add_epi16(ya, _mm_unpacklo_epi16(gt, gt)), _mm_add_epi16(yb, _mm_unpackhi_epi16(gt, gt)), gG);
        const __m128i r = PackChannelSse2<kBalanced>(_mm_add_epi16(ya, _mm_unpacklo_epi16(rt, rt)), _mm_add_epi16(yb, _mm_unpackhi_epi16(rt, rt)), gR);
        const __m128i bgLo = _mm_unpacklo_epi8(b, g), bgHi = _mm_unpackhi_epi8(b, g);
        const __m128i r0Lo = _mm_unpacklo_epi8(r, zero), r0Hi = _mm_unpackhi_epi8(r, zero);
        uint8_t* dst = target + i * 3;
        Store4Pixels(_mm_unpacklo_epi16(bgLo, r0Lo), dst);
        Store4Pixels(_mm_unpackhi_epi16(bgLo, r0Lo), dst + 12);
        Store4Pixels(_mm_unpacklo_epi16(bgHi, r0Hi), dst + 24);
        Store4Pixels(_mm_unpackhi_epi16(bgHi, r0Hi), dst + 36);
    }
    ConvertPixelsScalar(source + i * 2, pixels - i, target + i * 3);
    if (kBalanced) ApplyChannelGainsScalar(target + i * 3, pixels - i, gains);
}

}  // namespace

void ConvertYuy2ToBgrSse2(const uint8_t* source, int width, int height, DisplayFrame* target) {
    ConvertSse2<false>(source, width, height, target, ChannelGains{});
}

void ConvertYuy2ToBgrBalancedSse2(const uint8_t* source, int width, int height, DisplayFrame* target,
                                  const ChannelGains& gains) {
    ConvertSse2<true>(source, width, height, target, gains);
}

namespace {

VARDELO_TARGET_AVX2 inline __m256i Broadcast16(const uint8_t* p) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}
VARDELO_TARGET_AVX2 inline void Store32(uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// Byte j of each output register of a lane takes channel (16k + j) % 3; channel c of pixel p
// goes to byte (3p + c) % 16, so each channel is first rotated into place by one pshufb.
constexpr uint8_t ChannelShuffle(int c, int j) { return uint8_t(((j - c + 48) * 11) % 16); }
constexpr uint8_t ChannelMask(int want, int j) { return (j % 3) == want ? 0x80 : 0; }

}  // namespace

namespace {

// As GainSse2 for sixteen values, and as cheap as it can be: pmulhrsw of 8v by g rounds as
// ApplyChannelGains does. No clamp is needed first: a value below 0 stays below 0 and one above
// 255 stays above 255 (gains are at least 1), and packing clamps both.
VARDELO_TARGET_AVX2 inline __m256i GainAvx2(__m256i v, __m256i g) {
    return _mm256_mulhrs_epi16(_mm256_slli_epi16(v, 3), g);
}

template <bool kBalanced>
VARDELO_TARGET_AVX2 inline __m256i PackChannelAvx2(__m256i lo, __m256i hi, __m256i g) {
    if (kBalanced) return _mm256_packus_epi16(GainAvx2(lo, g), GainAvx2(hi, g));
    return _mm256_packus_epi16(lo, hi);
}

template <bool kBalanced>
VARDELO_TARGET_AVX2 void ConvertAvx2(const uint8_t* source, int width, int height, DisplayFrame* target,
                                     const ChannelGains& gains) {
    const size_t pixels = PixelCount(width, height);
    const __m256i gB = _mm256_set1_epi16(int16_t(gains.blue)), gG = _mm256_set1_epi16(int16_t(gains.green)),
                  gR = _mm256_set1_epi16(int16_t(gains.red));

    alignas(32) static constexpr uint8_t kShuffle[3][32] = {
#define ROW(c) { ChannelShuffle(c,0),ChannelShuffle(c,1),ChannelShuffle(c,2),ChannelShuffle(c,3),ChannelShuffle(c,4),ChannelShuffle(c,5),ChannelShuffle(c,6),ChannelShuffle(c,7),ChannelShuffle(c,8),ChannelShuffle(c,9),ChannelShuffle(c,10),ChannelShuffle(c,11),ChannelShuffle(c,12),ChannelShuffle(c,13),ChannelShuffle(c,14),ChannelShuffle(c,15), \
                 ChannelShuffle(c,0),ChannelShuffle(c,1),ChannelShuffle(c,2),ChannelShuffle(c,3),ChannelShuffle(c,4),ChannelShuffle(c,5),ChannelShuffle(c,6),ChannelShuffle(c,7),ChannelShuffle(c,8),ChannelShuffle(c,9),ChannelShuffle(c,10),ChannelShuffle(c,11),ChannelShuffle(c,12),ChannelShuffle(c,13),ChannelShuffle(c,14),ChannelShuffle(c,15) }
        ROW(0), ROW(1), ROW(2)
#undef ROW
    };
    alignas(32) static constexpr uint8_t kMask[3][32] = {
#define ROW(m) { ChannelMask(m,0),ChannelMask(m,1),ChannelMask(m,2),ChannelMask(m,3),ChannelMask(m,4),ChannelMask(m,5),ChannelMask(m,6),ChannelMask(m,7),ChannelMask(m,8),ChannelMask(m,9),ChannelMask(m,10),ChannelMask(m,11),ChannelMask(m,12),ChannelMask(m,13),ChannelMask(m,14),ChannelMask(m,15), \
                 ChannelMask(m,0),ChannelMask(m,1),ChannelMask(m,2),ChannelMask(m,3),ChannelMask(m,4),ChannelMask(m,5),ChannelMask(m,6),ChannelMask(m,7),ChannelMask(m,8),ChannelMask(m,9),ChannelMask(m,10),ChannelMask(m,11),ChannelMask(m,12),ChannelMask(m,13),ChannelMask(m,14),ChannelMask(m,15) }
        ROW(0), ROW(1), ROW(2)
#undef ROW
    };
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    const __m256i signFlip = _mm256_set1_epi8(-128);
    const __m256i chroma4 = _mm256_set1_epi16(4 << 8);  // byte pairs (0, 4): 0 x Y + 4 x chroma
    // [4(U-128), 4(V-128)] per pair comes from one pmaddubsw on the bytes with their top bit
    // flipped (U ^ 0x80 is U - 128 as a signed byte). mulhi by (29049, 22987) gives the blue
    // and red terms (floor(4x / 65536) = floor(x / 16384)); pmaddwd by (-5636, -11698) gives 4 times the
    // green sum, whose upper 16 bits are the green term. The shuffles copy each term to both
    // pixels of its pair (and take those upper halves), so no shift is needed.
    const __m256i brFactors = _mm256_set1_epi32(22987 << 16 | 29049);
    const __m256i gFactors = _mm256_set1_epi32(int32_t(uint32_t(-11698) << 16 | uint16_t(-5636)));
    const __m256i dupLow = _mm256_setr_epi8(0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13,
                                            0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13);
    const __m256i dupHigh = _mm256_setr_epi8(2, 3, 2, 3, 6, 7, 6, 7, 10, 11, 10, 11, 14, 15, 14, 15,
                                             2, 3, 2, 3, 6, 7, 6, 7, 10, 11, 10, 11, 14, 15, 14, 15);
    const __m256i shB = _mm256_load_si256(reinterpret_cast<const __m256i*>(kShuffle[0]));
    const __m256i shG = _mm256_load_si256(reinterpret_cast<const __m256i*>(kShuffle[1]));
    const __m256i shR = _mm256_load_si256(reinterpret_cast<const __m256i*>(kShuffle[2]));
    const __m256i mask0 = _mm256_load_si256(reinterpret_cast<const __m256i*>(kMask[0]));
    const __m256i mask1 = _mm256_load_si256(reinterpret_cast<const __m256i*>(kMask[1]));
    const __m256i mask2 = _mm256_load_si256(reinterpret_cast<const __m256i*>(kMask[2]));
    size_t i = 0;
    for (; pixels - i >= 32; i += 32) {
        const uint8_t* s = source + i * 2;
        // Lanes hold pixels 0-7 | 16-23 and 8-15 | 24-31, so that packing a and b back
        // together gives pixels 0-15 in the low lanes and 16-31 in the high ones. Two broadcast
        // loads and a dword blend make each register without a cross-lane shuffle.
        const __m256i wa = _mm256_blend_epi32(Broadcast16(s), Broadcast16(s + 32), 0xF0);
        const __m256i wb = _mm256_blend_epi32(Broadcast16(s + 16), Broadcast16(s + 48), 0xF0);
        const __m256i ya = _mm256_and_si256(wa, lowBytes), yb = _mm256_and_si256(wb, lowBytes);
        const __m256i uva = _mm256_maddubs_epi16(chroma4, _mm256_xor_si256(wa, signFlip));
        const __m256i uvb = _mm256_maddubs_epi16(chroma4, _mm256_xor_si256(wb, signFlip));
        const __m256i bra = _mm256_mulhi_epi16(uva, brFactors), brb = _mm256_mulhi_epi16(uvb, brFactors);
        const __m256i ga = _mm256_madd_epi16(uva, gFactors), gb = _mm256_madd_epi16(uvb, gFactors);
        const __m256i b = PackChannelAvx2<kBalanced>(_mm256_add_epi16(ya, _mm256_shuffle_epi8(bra, dupLow)),
                                  _mm256_add_epi16(yb, _mm256_shuffle_epi8(brb, dupLow)), gB);
        const __m256i g = PackChannelAvx2<kBalanced>(_mm256_add_epi16(ya, _mm256_shuffle_epi8(ga, dupHigh)),
                                  _mm256_add_epi16(yb, _mm256_shuffle_epi8(gb, dupHigh)), gG);
        const __m256i r = PackChannelAvx2<kBalanced>(_mm256_add_epi16(ya, _mm256_shuffle_epi8(bra, dupHigh)),
                                  _mm256_add_epi16(yb, _mm256_shuffle_epi8(brb, dupHigh)), gR);
        const __m256i sb = _mm256_shuffle_epi8(b, shB);
        const __m256i sg = _mm256_shuffle_epi8(g, shG);
        const __m256i sr = _mm256_shuffle_epi8(r, shR);
        // Output register k, byte j: channel (j + k) % 3 (since 16 = 1 mod 3).
        const __m256i o0 = _mm256_blendv_epi8(_mm256_blendv_epi8(sb, sg, mask1), sr, mask2);
        const __m256i o1 = _mm256_blendv_epi8(_mm256_blendv_epi8(sb, sg, mask0), sr, mask1);
        const __m256i o2 = _mm256_blendv_epi8(_mm256_blendv_epi8(sb, sg, mask2), sr, mask0);
        // Low lanes hold the 16-byte pieces 0, 1, 2 of the 96 output bytes (pixels 0-15), high
        // lanes pieces 3, 4, 5. Instead of three cross-lane permutes, five overlapping 32-byte
        // stores put them in place: each store's wrong half is overwritten by a later store, and
        // none reaches outside this block's 96 bytes. Only the middle store needs a (cheap) blend.
        uint8_t* d = target + i * 3;
        Store32(d, o0);                                  // pieces 0 | (3, replaced below)
        Store32(d + 16, o1);                             // pieces 1 | (4, replaced below)
        Store32(d + 64, o2);                             // pieces (2, replaced below) | 5
        Store32(d + 48, o1);                             // pieces (1, replaced below) | 4
        Store32(d + 32, _mm256_blend_epi32(o2, o0, 0xF0));  // pieces 2 | 3
    }
    ConvertSse2<kBalanced>(source + i * 2, int(pixels - i), 1, target + i * 3, gains);
}

}  // namespace

VARDELO_TARGET_AVX2 void ConvertYuy2ToBgrAvx2(const uint8_t* source, int width, int height, DisplayFrame* target) {
    ConvertAvx2<false>(source, width, height, target, ChannelGains{});
}

VARDELO_TARGET_AVX2 void ConvertYuy2ToBgrBalancedAvx2(const uint8_t* source, int width, int height,
                                                      DisplayFrame* target, const ChannelGains& gains) {
    ConvertAvx2<true>(source, width, height, target, gains);
}

void ConvertYuy2ToBgr(const uint8_t* source, int width, int height, DisplayFrame* target) {
    static const auto convert = CpuHasAvx2() ? ConvertYuy2ToBgrAvx2 : ConvertYuy2ToBgrSse2;
    convert(source, width, height, target);
}

void ConvertYuy2ToBgrBalanced(const uint8_t* source, int width, int height, DisplayFrame* target,
                              const ChannelGains& gains) {
    if (gains.Neutral()) return ConvertYuy2ToBgr(source, width, height, target);
    static const auto convert = CpuHasAvx2() ? ConvertYuy2ToBgrBalancedAvx2 : ConvertYuy2ToBgrBalancedSse2;
    convert(source, width, height, target, gains);
}

#else  // not x86: the reference serves everywhere

void ConvertYuy2ToBgrSse2(const uint8_t* s, int w, int h, DisplayFrame* t) { ConvertYuy2ToBgrScalar(s, w, h, t); }
void ConvertYuy2ToBgrAvx2(const uint8_t* s, int w, int h, DisplayFrame* t) { ConvertYuy2ToBgrScalar(s, w, h, t); }
void ConvertYuy2ToBgr(const uint8_t* s, int w, int h, DisplayFrame* t) { ConvertYuy2ToBgrScalar(s, w, h, t); }
void ConvertYuy2ToBgrBalanced(const uint8_t* s, int w, int h, DisplayFrame* t, const ChannelGains& g) {
    ConvertYuy2ToBgrScalar(s, w, h, t);
    ApplyChannelGains(t, PixelCount(w, h), g);
}
void ConvertYuy2ToBgrBalancedSse2(const uint8_t* s, int w, int h, DisplayFrame* t, const ChannelGains& g) {
    ConvertYuy2ToBgrBalanced(s, w, h, t, g);
}
void ConvertYuy2ToBgrBalancedAvx2(const uint8_t* s, int w, int h, DisplayFrame* t, const ChannelGains& g) {
    ConvertYuy2ToBgrBalanced(s, w, h, t, g);
}

#endif
