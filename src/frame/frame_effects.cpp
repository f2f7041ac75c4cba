// The five pixel effects. Invert and emboss are byte-wise and use SSE2 (every x86-64) or AVX2;
// flip, gray and binary need byte shuffles across the 3-byte pixels and use AVX2's pshufb,
// with the plain forms on older processors.
#include "frame/frame_effects.h"

#include <cstring>
#include <vector>

#include "frame/cpu_features.h"

#if VARDELO_X86
#include <immintrin.h>
#endif

namespace {

size_t PixelCount(int width, int height) { return DisplayFrameBytes(width, height) / 3; }

VARDELO_PLAIN void GrayPixels(uint8_t* p, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i, p += 3) {
        const uint8_t v = uint8_t(GrayOf(p[0], p[1], p[2]));
        p[0] = p[1] = p[2] = v;
    }
}

VARDELO_PLAIN void BinaryPixels(uint8_t* p, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i, p += 3) {
        const uint8_t v = GrayOf(p[0], p[1], p[2]) > 127 ? 255 : 0;
        p[0] = p[1] = p[2] = v;
    }
}

VARDELO_PLAIN void InvertBytes(uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) p[i] = uint8_t(255 - p[i]);
}

// Byte i becomes clamp(p[i] - p[i + stride] + 128); going forward, p[i + stride] is still the
// original when it is read.
VARDELO_PLAIN void EmbossBytes(uint8_t* p, size_t n, size_t stride) {
    for (size_t i = 0; i < n; ++i) {
        const int v = p[i] - p[i + stride] + 128;
        p[i] = uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
}

// The temporary row of the horizontal flip: one per thread, grown when a wider frame comes, so
// that the streaming thread does not allocate per frame.
uint8_t* FlipRowBuffer(size_t bytes) {
    thread_local std::vector<uint8_t> row;
    if (row.size() < bytes) row.resize(bytes);
    return row.data();
}

VARDELO_PLAIN void FlipRowsScalar(uint8_t* frame, int width, int height, size_t fromPixel) {
    const size_t stride = size_t(width) * 3;
    uint8_t* tmp = FlipRowBuffer(stride);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = frame + stride * size_t(y);
        std::memcpy(tmp, row, stride);
        for (size_t x = fromPixel; x < size_t(width); ++x) {
            const uint8_t* src = tmp + (size_t(width) - 1 - x) * 3;
            row[x * 3] = src[0];
            row[x * 3 + 1] = src[1];
            row[x * 3 + 2] = src[2];
        }
    }
}

}  // namespace

void FlipHorizontalScalar(DisplayFrame* frame, int width, int height) {
    if (PixelCount(width, height) == 0) return;
    FlipRowsScalar(frame, width, height, 0);
}
void GrayFrameScalar(DisplayFrame* frame, int width, int height) { GrayPixels(frame, PixelCount(width, height)); }
void BinaryFrameScalar(DisplayFrame* frame, int width, int height) { BinaryPixels(frame, PixelCount(width, height)); }
void InvertFrameScalar(DisplayFrame* frame, int width, int height) { InvertBytes(frame, PixelCount(width, height) * 3); }
void EmbossFrameScalar(DisplayFrame* frame, int width, int height) {
    if (PixelCount(width, height) == 0) return;
    const size_t stride = size_t(width) * 3;
    EmbossBytes(frame, stride * size_t(height - 1), stride);
}

#if VARDELO_X86

namespace {

// ---- invert and emboss: SSE2 and AVX2 ----

void InvertSse2(uint8_t* p, size_t n) {
    const __m128i ones = _mm_set1_epi8(-1);
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128i* q = reinterpret_cast<__m128i*>(p + i);
        _mm_storeu_si128(q, _mm_xor_si128(_mm_loadu_si128(q), ones));
    }
    InvertBytes(p + i, n - i);
}

VARDELO_TARGET_AVX2 void InvertAvx2(uint8_t* p, size_t n) {
    const __m256i ones = _mm256_set1_epi8(-1);
    size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        __m256i* q = reinterpret_cast<__m256i*>(p + i);
        _mm256_storeu_si256(q, _mm256_xor_si256(_mm256_loadu_si256(q), ones));
        _mm256_storeu_si256(q + 1, _mm256_xor_si256(_mm256_loadu_si256(q + 1), ones));
    }
    InvertSse2(p + i, n - i);
}

// clamp(a - b + 128) = (sat8(a^0x80 - b^0x80)) ^ 0x80 with signed saturation.
void EmbossSse2(uint8_t* p, size_t n, size_t stride) {
    const __m128i flip = _mm_set1_epi8(-128);
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), flip);
        const __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + stride)), flip);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_xor_si128(_mm_subs_epi8(a, b), flip));
    }
    EmbossBytes(p + i, n - i, stride);
}

VARDELO_TARGET_AVX2 void EmbossAvx2(uint8_t* p, size_t n, size_t stride) {
    const __m256i flip = _mm256_set1_epi8(-128);
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i a = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i)), flip);
        const __m256i b = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + stride)), flip);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), _mm256_xor_si256(_mm256_subs_epi8(a, b), flip));
    }
    EmbossSse2(p + i, n - i, stride);
}

// ---- gray and binary: AVX2, 16 pixels a step ----
// Each 128-bit lane holds 4 whole pixels (12 bytes loaded from pixel boundaries). pmaddwd
// makes x = 299 r + 587 g + 114 b + 500 exactly; x / 1000 is ((x >> 3) * 33555) >> 22, exact
// for every x up to 255500; binary only needs x > 127999.

template <bool kBinary>
VARDELO_TARGET_AVX2 inline __m256i GrayLanes(__m256i v) {
    const __m256i rgShuffle = _mm256_setr_epi8(2, -1, 1, -1, 5, -1, 4, -1, 8, -1, 7, -1, 11, -1, 10, -1,
                                               2, -1, 1, -1, 5, -1, 4, -1, 8, -1, 7, -1, 11, -1, 10, -1);
    const __m256i bShuffle = _mm256_setr_epi8(0, -1, -1, -1, 3, -1, -1, -1, 6, -1, -1, -1, 9, -1, -1, -1,
                                              0, -1, -1, -1, 3, -1, -1, -1, 6, -1, -1, -1, 9, -1, -1, -1);
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 4, 4, 4, 8, 8, 8, 12, 12, 12, -1, -1, -1, -1,
                                            0, 0, 0, 4, 4, 4, 8, 8, 8, 12, 12, 12, -1, -1, -1, -1);
    const __m256i rg = _mm256_shuffle_epi8(v, rgShuffle);
    const __m256i b1 = _mm256_or_si256(_mm256_shuffle_epi8(v, bShuffle), _mm256_set1_epi32(1 << 16));
    const __m256i x = _mm256_add_epi32(_mm256_madd_epi16(rg, _mm256_set1_epi32(587 << 16 | 299)),
                                       _mm256_madd_epi16(b1, _mm256_set1_epi32(500 << 16 | 114)));
    __m256i value;
    if (kBinary) {
        value = _mm256_cmpgt_epi32(x, _mm256_set1_epi32(127999));
    } else {
        value = _mm256_srli_epi32(_mm256_mulhi_epu16(_mm256_srli_epi32(x, 3), _mm256_set1_epi32(33555)), 6);
    }
    return _mm256_shuffle_epi8(value, spread);
}

VARDELO_TARGET_AVX2 inline __m256i Load2x4Pixels(const uint8_t* p) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
}

template <bool kBinary>
VARDELO_TARGET_AVX2 void GrayAvx2(uint8_t* p, size_t pixels) {
    size_t i = 0;
    // A 16-byte load at pixel i + 12 reaches 4 bytes past the 16 pixels: keep one more pixel
    // plus a byte (2 pixels) behind the block.
    for (; pixels - i >= 18 && i + 18 <= pixels; i += 16) {
        uint8_t* q = p + i * 3;
        const __m256i a = GrayLanes<kBinary>(Load2x4Pixels(q));
        const __m256i b = GrayLanes<kBinary>(Load2x4Pixels(q + 24));
        // 16-byte stores carry 4 junk bytes that the next store overwrites; the last 12 bytes
        // are written exactly.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm256_castsi256_si128(a));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 12), _mm256_extracti128_si256(a, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q + 24), _mm256_castsi256_si128(b));
        const __m128i last = _mm256_extracti128_si256(b, 1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(q + 36), last);
        const int32_t tail = _mm_extract_epi32(last, 2);
        std::memcpy(q + 44, &tail, 4);
    }
    if (kBinary) BinaryPixels(p + i * 3, pixels - i);
    else GrayPixels(p + i * 3, pixels - i);
}

// ---- horizontal flip: AVX2 (pshufb on 128-bit registers), 16 pixels a step ----
// Output byte o (0..47) of a block takes input byte (15 - o / 3) * 3 + o % 3 of the mirrored
// block; kFlip[r][s] picks the bytes of output register r that come from input register s.
struct FlipTable {
    uint8_t m[3][3][16];
};
constexpr FlipTable MakeFlipTable() {
    FlipTable t{};
    for (int r = 0; r < 3; ++r)
        for (int s = 0; s < 3; ++s)
            for (int j = 0; j < 16; ++j) {
                const int o = 16 * r + j;
                const int in = (15 - o / 3) * 3 + o % 3;
                t.m[r][s][j] = in / 16 == s ? uint8_t(in % 16) : uint8_t(0x80);
            }
    return t;
}
alignas(16) constexpr FlipTable kFlip = MakeFlipTable();

VARDELO_TARGET_AVX2 void FlipAvx2(uint8_t* frame, int width, int height) {
    const size_t stride = size_t(width) * 3;
    const size_t blocks = size_t(width) / 16;
    uint8_t* tmp = FlipRowBuffer(stride);
    __m128i m[3][3];
    for (int r = 0; r < 3; ++r)
        for (int s = 0; s < 3; ++s) m[r][s] = _mm_load_si128(reinterpret_cast<const __m128i*>(kFlip.m[r][s]));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = frame + stride * size_t(y);
        std::memcpy(tmp, row, stride);
        for (size_t k = 0; k < blocks; ++k) {
            const uint8_t* in = tmp + (size_t(width) - 16 * (k + 1)) * 3;
            const __m128i i0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
            const __m128i i1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
            const __m128i i2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32));
            __m128i* out = reinterpret_cast<__m128i*>(row + k * 48);
            for (int r = 0; r < 3; ++r) {
                const __m128i v = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(i0, m[r][0]), _mm_shuffle_epi8(i1, m[r][1])),
                                               _mm_shuffle_epi8(i2, m[r][2]));
                _mm_storeu_si128(out + r, v);
            }
        }
        for (size_t x = blocks * 16; x < size_t(width); ++x) {
            const uint8_t* src = tmp + (size_t(width) - 1 - x) * 3;
            row[x * 3] = src[0];
            row[x * 3 + 1] = src[1];
            row[x * 3 + 2] = src[2];
        }
    }
}

}  // namespace

void FlipHorizontal(DisplayFrame* frame, int width, int height) {
    if (PixelCount(width, height) == 0) return;
    if (CpuHasAvx2()) FlipAvx2(frame, width, height);
    else FlipRowsScalar(frame, width, height, 0);
}

void GrayFrame(DisplayFrame* frame, int width, int height) {
    if (CpuHasAvx2()) GrayAvx2<false>(frame, PixelCount(width, height));
    else GrayPixels(frame, PixelCount(width, height));
}

void BinaryFrame(DisplayFrame* frame, int width, int height) {
    if (CpuHasAvx2()) GrayAvx2<true>(frame, PixelCount(width, height));
    else BinaryPixels(frame, PixelCount(width, height));
}

void InvertFrame(DisplayFrame* frame, int width, int height) {
    const size_t n = PixelCount(width, height) * 3;
    if (CpuHasAvx2()) InvertAvx2(frame, n);
    else InvertSse2(frame, n);
}

void EmbossFrame(DisplayFrame* frame, int width, int height) {
    if (PixelCount(width, height) == 0) return;
    const size_t stride = size_t(width) * 3;
    const size_t n = stride * size_t(height - 1);
    if (CpuHasAvx2()) EmbossAvx2(frame, n, stride);
    else EmbossSse2(frame, n, stride);
}

#else

void FlipHorizontal(DisplayFrame* f, int w, int h) { FlipHorizontalScalar(f, w, h); }
void GrayFrame(DisplayFrame* f, int w, int h) { GrayFrameScalar(f, w, h); }
void BinaryFrame(DisplayFrame* f, int w, int h) { BinaryFrameScalar(f, w, h); }
void InvertFrame(DisplayFrame* f, int w, int h) { InvertFrameScalar(f, w, h); }
void EmbossFrame(DisplayFrame* f, int w, int h) { EmbossFrameScalar(f, w, h); }

#endif

void ApplyEffects(DisplayFrame* frame, int width, int height, const FrameEffects& effects) {
    if (!frame || PixelCount(width, height) == 0) return;
    if (effects.flipHorizontal) FlipHorizontal(frame, width, height);
    if (effects.gray) GrayFrame(frame, width, height);
    else if (effects.binary) BinaryFrame(frame, width, height);
    else if (effects.invert) InvertFrame(frame, width, height);
    else if (effects.emboss) EmbossFrame(frame, width, height);
}
