// The per-row arithmetic of focus stacking, written as plain loops the compiler vectorises, in a
// baseline form and an AVX2 form chosen once at run time. Portable.
#pragma once
#include <cstddef>
#include <cstdint>

// One run of columns that share their source offset and their weights when a row is resampled
// across: out[i] = sum of w[k] * src[i + 3k] for k = 0..5, over n values (BGR) from out.
struct AcrossRun {
    int out;  // first byte written
    int n;    // bytes
    int src;  // first value of the first tap, in the padded source row
    float w[6];
};

struct StackKernels {
    // Half-size brightness: out[i] = sum over the 2 x 2 pixels of (B + 2G + R); a and b are two
    // rows of BGR pixels, 2 * halfWidth of them.
    void (*reduce)(const uint8_t* a, const uint8_t* b, int halfWidth, uint16_t* out);
    // Bytes to floats: d[i] = s[i], i < n.
    void (*widen)(const uint8_t* s, int n, float* d);
    // A row resampled across, run by run, from the row in floats with its ends repeated.
    void (*across)(const float* padded, const AcrossRun* runs, int count, float* out);
    // Down: dst[i] = the sum of w[k] * rows[k][i], rounded and clamped to a byte, i < n.
    void (*down)(const float* const* rows, const float* w, int n, uint8_t* dst);
    // Brightness of a row of BGR pixels: B + 2G + R.
    void (*luma)(const uint8_t* bgr, int width, int16_t* out);
    // Modified Laplacian of row mid against its neighbours up and down, summed over pixel pairs
    // of two such rows: out[i] = ml(2i) + ml(2i + 1) of the first row plus the same of the second.
    // ml(x) = |2m(x) - m(x-1) - m(x+1)| + |2m(x) - up(x) - down(x)|, the row's ends repeated.
    // rows: the four rows above, of, of and below the pair; a and b: width values of scratch each.
    void (*measurePair)(const int16_t* const* rows, int width, int16_t* a, int16_t* b, uint16_t* out);
    // sums[i] += add[i] - sub[i] (sub may be null).
    void (*slide)(int32_t* sums, const uint16_t* add, const uint16_t* sub, int n);
    // dst[i] += (src[i] - dst[i]) * alpha[i] / 16 for each byte, alpha 0..16.
    void (*blend)(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int n);
};

// The fastest form the processor runs.
const StackKernels& GetStackKernels();
// The baseline form (every x86-64 processor), for tests against the fast one.
const StackKernels& BaselineStackKernels();
