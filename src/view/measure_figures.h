// The numbers a shape shows, each formatted once: the labels on the picture and the measurement
// table are both built from these texts, so the table always says what the picture says.
// Portable; user-interface thread only.
#pragma once

#include <cstdint>
#include <string>

#include "view/measure_model.h"

enum class Figure { Length, Distance, Width, Height, Area, Radius, Circumference, R1, R2, Angle };

struct FigureText {
    Figure what = Figure::Length;
    std::wstring number;  // e.g. "2.50000", printed the way the label prints it
};

struct ShapeFigures {
    int count = 0;
    FigureText items[3];
    const FigureText* Find(Figure what) const;
};

// The measures a shape drawn as kind shows at ppu pixels per unit, in label order: a line its
// length, a parallel its distance once the third point exists, a rectangle width, height and
// area, a circle radius, circumference and area, concentric circles R1 (and R2 once the
// second circle exists), an angle its degrees once the second arm exists; pencil and text
// none. ppu 1 gives the measures in pixels. The caller decides whether to show lengths at all
// (the picture shows them only when calibrated). yScale as for the measures (pixels of equal
// aspect on a stretched picture).
ShapeFigures FiguresOf(const MeasureShape& shape, int32_t kind, float ppu, double yScale = 1.0);
