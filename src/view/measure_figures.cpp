// Formatting of the measures: one printf format per kind of label.
#include "view/measure_figures.h"

#include <algorithm>
#include <cstdio>

namespace {

std::wstring Number(const char* format, float value) {
    char narrow[400];
    const int n = std::snprintf(narrow, sizeof narrow, format, static_cast<double>(value));
    if (n <= 0) return {};
    return std::wstring(narrow, narrow + std::min<size_t>(static_cast<size_t>(n), sizeof narrow - 1));
}

void Add(ShapeFigures& f, Figure what, const char* format, float value) {
    f.items[f.count].what = what;
    f.items[f.count].number = Number(format, value);
    ++f.count;
}

bool HasThird(const MeasureShape& s) { return s.p3.x >= 0 && s.p3.y >= 0; }

}  // namespace

const FigureText* ShapeFigures::Find(Figure what) const {
    for (int i = 0; i < count; ++i)
        if (items[i].what == what) return &items[i];
    return nullptr;
}

ShapeFigures FiguresOf(const MeasureShape& s, int32_t kind, float ppu, double yScale) {
    ShapeFigures f;
    switch (kind) {
    case kToolLine:
        Add(f, Figure::Length, "%.5f", LineLength(s, ppu, yScale));
        break;
    case kToolParallel:
        if (HasThird(s)) Add(f, Figure::Distance, "%.5f", ParallelDistance(s, ppu, yScale));
        break;
    case kToolRectangle: {
        const RectMeasure m = RectangleMeasure(s, ppu, yScale);
        Add(f, Figure::Width, "%.2f", m.width);
        Add(f, Figure::Height, "%.2f", m.height);
        Add(f, Figure::Area, "%.2f", m.area);
        break;
    }
    case kToolCircle: {
        const CircleMeasure m = CircleMeasureOf(s, ppu, yScale);
        Add(f, Figure::Radius, "%.5f", m.radius);
        Add(f, Figure::Circumference, "%.5f", m.circumference);
        Add(f, Figure::Area, "%.5f", m.area);
        break;
    }
    case kToolConcentric:
        Add(f, Figure::R1, "%.5f", ConcentricR1(s, ppu, yScale));
        // The second circle counts once its point lies inside the picture, as it is drawn.
        if (s.p3.x > 0 && s.p3.y > 0) Add(f, Figure::R2, "%.5f", ConcentricR2(s, ppu, yScale));
        break;
    case kToolAngle:
        if (HasThird(s)) Add(f, Figure::Angle, "%.3f", AngleDegrees(s, yScale));
        break;
    default:
        break;
    }
    return f;
}
