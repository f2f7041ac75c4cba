// Reads back the frame counter plate the virtual microscope draws into its pictures
// (DrawFrameCounter), from a decoded frame: scripts that check recorded videos use it to find
// frames missing between two kept ones. Portable code, no Windows headers.
#pragma once
#include <cstdint>

// The counter shown in the top-left corner of a BGR picture (stride width * 3; at least
// kCounterBandRows rows and the plate's width), 0..999999; -1 when no plate can be read there.
int64_t ReadFrameCounter(const uint8_t* bgr, int width, int rows);

// The width a crop must keep to hold the whole plate.
constexpr int kCounterPlateWidth = 112;
