// The scale bar a photo gets while a calibration is applied: a round length (1, 2 or 5 times a
// power of ten) about a fifth of the picture wide, its label, and where bar, label and their
// contrasting backing go in the bottom-right corner. Portable; drawn by the photo saver.
#pragma once

#include <cstdint>
#include <string>

struct ScaleBarLength {
    int pixels = 0;      // 0: no bar fits
    int mantissa = 0;    // 1, 2 or 5
    int exponent = 0;    // power of ten, in the label's unit
    int labelUnit = 0;   // 0 mm, 1 µm
    std::wstring label;  // e.g. "200 μm", "0.5 mm", "2 mm"
};

// The round length nearest (by ratio) to a fifth of pictureW at pixelsPerUnit photo pixels per
// unit (0 mm, 1 µm); ties go to the shorter. Lengths below 1 mm are labelled in µm and those of
// 1000 µm and more in mm.
ScaleBarLength ChooseScaleBar(double pixelsPerUnit, int unit, int pictureW);

struct BarRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
struct ScaleBarLayout {
    bool fits = false;
    BarRect backing, bar;
    int textLeft = 0, textTop = 0;
};

// Label font height in pixels for a picture of pictureH rows.
int ScaleBarTextHeight(int pictureH);

// Bar and label (textW x textH pixels) centred over each other on a backing in the
// bottom-right corner; fits is false when it would not fit in the picture.
ScaleBarLayout LayOutScaleBar(int pictureW, int pictureH, int barPixels, int textW, int textH);

// Black behind light ruler colours, white behind dark ones (0x00BBGGRR).
uint32_t ScaleBarBacking(uint32_t rulerColor);
