// The camera's colour-bar signal frame (its zoom button): a 640 x 480 YUY2 picture of eight
// uniform bands, red, yellow, cyan, green, magenta, red, blue, red from top to bottom.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kSignalFrameBytes = 614400;  // 640 x 480 x 2

// Hue in whole degrees (0..360) of one Y0 U Y1 V word (byte 0 = Y0 is the low byte), with the
// studio-range BT.601 conversion; Y1 is ignored.
int HueOfYuy2Word(uint32_t word);

// True when the sample is exactly kSignalFrameBytes long and shows the eight bands.
bool IsSignalFrame(const uint8_t* buffer, size_t length);
