// Scaling a 24-bit picture to another size by taking the nearest pixel: a time-lapse video keeps
// the size of its first picture when the view's picture changes size during the run.
#pragma once
#include <cstdint>

// Writes dstW x dstH pixels, rows top-down and packed (dstW x 3 bytes), from srcW x srcH pixels
// whose rows are srcStride bytes apart. The same size copies the rows.
void ResizeNearest(const uint8_t* src, int srcW, int srcH, int srcStride, uint8_t* dst, int dstW, int dstH);
