// Focus stacking's row arithmetic (see stack_kernels.h): each loop is written once, inlined into
// a baseline function and into one compiled for AVX2.
#include "frame/stack_kernels.h"

#include <cstdlib>

#include "frame/cpu_features.h"

#if defined(__GNUC__)
#define STACK_INLINE inline __attribute__((always_inline))
#else
#define STACK_INLINE inline
#endif

namespace {

STACK_INLINE void ReduceBody(const uint8_t* a, const uint8_t* b, int halfWidth, uint16_t* out) {
    for (int i = 0; i < halfWidth; ++i) {
        const uint8_t* p = a + 6 * i;
        const uint8_t* q = b + 6 * i;
        out[i] = uint16_t(p[0] + 2 * p[1] + p[2] + p[3] + 2 * p[4] + p[5] + q[0] + 2 * q[1] + q[2] + q[3] +
                          2 * q[4] + q[5]);
    }
}

STACK_INLINE void WidenBody(const uint8_t* s, int n, float* d) {
    for (int i = 0; i < n; ++i) d[i] = float(s[i]);
}

STACK_INLINE void AcrossBody(const float* padded, const AcrossRun* runs, int count, float* out) {
    for (int r = 0; r < count; ++r) {
        const AcrossRun& run = runs[r];
        const float* s = padded + run.src;
        float* d = out + run.out;
        const float w0 = run.w[0], w1 = run.w[1], w2 = run.w[2], w3 = run.w[3], w4 = run.w[4], w5 = run.w[5];
        for (int i = 0; i < run.n; ++i)
            d[i] = w0 * s[i] + w1 * s[i + 3] + w2 * s[i + 6] + w3 * s[i + 9] + w4 * s[i + 12] + w5 * s[i + 15];
    }
}

STACK_INLINE void DownBody(const float* const* rows, const float* w, int n, uint8_t* dst) {
    const float *r0 = rows[0], *r1 = rows[1], *r2 = rows[2], *r3 = rows[3], *r4 = rows[4], *r5 = rows[5];
    const float w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3], w4 = w[4], w5 = w[5];
    for (int i = 0; i < n; ++i) {
        float v = w0 * r0[i] + w1 * r1[i] + w2 * r2[i] + w3 * r3[i] + w4 * r4[i] + w5 * r5[i] + 0.5f;
        v = v < 0.0f ? 0.0f : v;
        v = v > 255.0f ? 255.0f : v;
        dst[i] = uint8_t(int(v));
    }
}

STACK_INLINE void LumaBody(const uint8_t* bgr, int width, int16_t* out) {
    for (int x = 0; x < width; ++x) out[x] = int16_t(bgr[3 * x] + 2 * bgr[3 * x + 1] + bgr[3 * x + 2]);
}

// ml(x) for 1 <= x < width - 1 into out; the two ends separately.
STACK_INLINE void LaplacianBody(const int16_t* up, const int16_t* m, const int16_t* down, int width, int16_t* out) {
    for (int x = 1; x < width - 1; ++x) {
        const int centre = 2 * m[x];
        out[x] = int16_t(std::abs(centre - m[x - 1] - m[x + 1]) + std::abs(centre - up[x] - down[x]));
    }
    out[0] = int16_t(std::abs(m[0] - m[1]) + std::abs(2 * m[0] - up[0] - down[0]));
    const int e = width - 1;
    out[e] = int16_t(std::abs(m[e] - m[e - 1]) + std::abs(2 * m[e] - up[e] - down[e]));
}

STACK_INLINE void MeasurePairBody(const int16_t* const* rows, int width, uint16_t* out, int16_t* a, int16_t* b) {
    LaplacianBody(rows[0], rows[1], rows[2], width, a);
    LaplacianBody(rows[1], rows[2], rows[3], width, b);
    const int half = width / 2;
    for (int i = 0; i < half; ++i) out[i] = uint16_t(a[2 * i] + a[2 * i + 1] + b[2 * i] + b[2 * i + 1]);
}

STACK_INLINE void SlideBody(int32_t* sums, const uint16_t* add, const uint16_t* sub, int n) {
    if (sub)
        for (int i = 0; i < n; ++i) sums[i] += int32_t(add[i]) - int32_t(sub[i]);
    else
        for (int i = 0; i < n; ++i) sums[i] += add[i];
}

STACK_INLINE void BlendBody(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int n) {
    for (int i = 0; i < n; ++i) {
        const int d = dst[i];
        dst[i] = uint8_t(d + (((int(src[i]) - d) * int(alpha[i]) + 8) >> 4));
    }
}

void Reduce(const uint8_t* a, const uint8_t* b, int h, uint16_t* o) { ReduceBody(a, b, h, o); }
void Widen(const uint8_t* s, int n, float* d) { WidenBody(s, n, d); }
void Across(const float* p, const AcrossRun* r, int c, float* o) { AcrossBody(p, r, c, o); }
void Down(const float* const* r, const float* w, int n, uint8_t* d) { DownBody(r, w, n, d); }
void Luma(const uint8_t* p, int w, int16_t* o) { LumaBody(p, w, o); }
void MeasurePair(const int16_t* const* r, int w, int16_t* a, int16_t* b, uint16_t* o) { MeasurePairBody(r, w, o, a, b); }
void Slide(int32_t* s, const uint16_t* a, const uint16_t* b, int n) { SlideBody(s, a, b, n); }
void Blend(uint8_t* d, const uint8_t* s, const uint8_t* a, int n) { BlendBody(d, s, a, n); }

#if VARDELO_X86
VARDELO_TARGET_AVX2 void ReduceAvx2(const uint8_t* a, const uint8_t* b, int h, uint16_t* o) { ReduceBody(a, b, h, o); }
VARDELO_TARGET_AVX2 void WidenAvx2(const uint8_t* s, int n, float* d) { WidenBody(s, n, d); }
VARDELO_TARGET_AVX2 void AcrossAvx2(const float* p, const AcrossRun* r, int c, float* o) { AcrossBody(p, r, c, o); }
VARDELO_TARGET_AVX2 void DownAvx2(const float* const* r, const float* w, int n, uint8_t* d) { DownBody(r, w, n, d); }
VARDELO_TARGET_AVX2 void LumaAvx2(const uint8_t* p, int w, int16_t* o) { LumaBody(p, w, o); }
VARDELO_TARGET_AVX2 void MeasurePairAvx2(const int16_t* const* r, int w, int16_t* a, int16_t* b, uint16_t* o) {
    MeasurePairBody(r, w, o, a, b);
}
VARDELO_TARGET_AVX2 void SlideAvx2(int32_t* s, const uint16_t* a, const uint16_t* b, int n) { SlideBody(s, a, b, n); }
VARDELO_TARGET_AVX2 void BlendAvx2(uint8_t* d, const uint8_t* s, const uint8_t* a, int n) { BlendBody(d, s, a, n); }
#endif

const StackKernels kBaseline = {Reduce, Widen, Across, Down, Luma, MeasurePair, Slide, Blend};

}  // namespace

const StackKernels& BaselineStackKernels() { return kBaseline; }

const StackKernels& GetStackKernels() {
#if VARDELO_X86
    static const StackKernels avx2 = {ReduceAvx2, WidenAvx2, AcrossAvx2, DownAvx2, LumaAvx2, MeasurePairAvx2, SlideAvx2,
                                      BlendAvx2};
    static const bool use = CpuHasAvx2();
    if (use) return avx2;
#endif
    return kBaseline;
}
