// Photos as TIFF files: 8-bit RGB, LZW with the horizontal predictor (lossless), and while a
// calibration is applied the pixel size in the form analysis programs read: the resolution tags
// and an ImageJ-style description ("ImageJ=...", "unit=..."). Portable; libtiff writes the file
// into memory, and the photo saver puts it in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "media/photo_scale.h"

// The tags that carry a photo's scale.
struct TiffScaleTags {
    uint16_t resolutionUnit = 1;              // TIFF ResolutionUnit: 1 none, 3 centimetre
    double xResolution = 0, yResolution = 0;  // pixels per resolution unit (per unit when none)
    std::string description;                  // the ImageDescription, ASCII
};

// A µm calibration: pixels per centimetre and "unit=um". Analysis programs of the ImageJ kind
// read centimetres with that unit as micrometres, and every other reader shows the same figures
// as the picture's resolution. A mm calibration: pixels per mm with no resolution unit and
// "unit=mm", the form such programs write themselves (they convert centimetres only for µm, so
// giving other readers a resolution would put the picture off by ten there).
TiffScaleTags TiffScaleFor(const PhotoScale& scale);

// width x height pixels in blue, green, red order, rows top-down and stride bytes apart, as a
// whole TIFF file; with a scale (HasScale) its tags, without one no resolution at all (so that
// nothing reads a scale into it). Empty on failure (no memory, a size the format refuses).
std::vector<uint8_t> EncodeTiff(const uint8_t* bgrRows, int width, int height, size_t stride,
                                const PhotoScale* scale);
