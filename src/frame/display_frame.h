// The converted camera frame every part of the program draws, records and saves: 24-bit pixels
// in blue, green, red byte order, rows top-down, stride exactly width * 3 bytes (no padding).
#pragma once

#include <cstddef>
#include <cstdint>

// A DisplayFrame is nothing but its bytes; width and height travel beside it (CaptureState).
using DisplayFrame = uint8_t;

// Bytes of a width x height frame; 0 for a size that is empty or too large to address.
inline size_t DisplayFrameBytes(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    const uint64_t bytes = uint64_t(width) * uint64_t(height) * 3u;
    if (bytes > (uint64_t(1) << 40)) return 0;
    return size_t(bytes);
}

// Stream format of a camera sample, as far as the frame pipeline cares.
enum class SampleFormat { Other, Yuy2, Mjpg };
