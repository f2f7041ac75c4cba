// Frame rows for the GDI calls that draw a frame: a device-independent bitmap's rows are whole
// 32-bit words long, a DisplayFrame's rows are exactly width x 3 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes of one 24-bit bitmap row of this width (a multiple of 4); 0 for a width of 0 or less.
size_t DibRowBytes(int width);

// Copies a width x height frame into rows of DibRowBytes(width), padding bytes zeroed.
void CopyToDibRows(const uint8_t* frame, int width, int height, uint8_t* dib);
