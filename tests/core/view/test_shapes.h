// A measurement shape for tests, as the model records one: kind and its two or three points (a
// third point of {-1, 0} is none).
#pragma once

#include "view/measure_model.h"

inline MeasureShape Shape(int kind, ShapePoint p1, ShapePoint p2, ShapePoint p3 = {-1, 0}) {
    MeasureShape s;
    s.kind = kind;
    s.p1 = p1;
    s.p2 = p2;
    s.p3 = p3;
    return s;
}
