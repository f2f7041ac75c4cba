// The measurement overlay's geometry and label texts, drawn through DrawSurface. Runs once per
// composition on the user-interface thread, so it allocates nothing beyond the label strings.
#include "view/overlay.h"

#include "app/display_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cwchar>

#include "view/measure_figures.h"

namespace {

constexpr size_t kLabelChars = 63;  // every label lives in a 64-character buffer

// printf-style number text, widened, followed by the unit and an optional tail; cut to 63.
std::wstring Label(const wchar_t* unit, const wchar_t* tail, const char* fmt, ...) {
    char narrow[400];
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(narrow, sizeof narrow, fmt, args);
    va_end(args);
    std::wstring out;
    if (n > 0) out.assign(narrow, narrow + std::min<size_t>(static_cast<size_t>(n), sizeof narrow - 1));
    if (unit) out += unit;
    if (tail) out += tail;
    if (out.size() > kLabelChars) out.resize(kLabelChars);
    return out;
}

// A shape label: prefix, the figure's number, the unit and an optional tail; cut to 63.
std::wstring FigureLabel(const wchar_t* prefix, const FigureText& figure, const wchar_t* unit,
                         const wchar_t* tail = nullptr) {
    std::wstring out = prefix;
    out += figure.number;
    out += unit;
    if (tail) out += tail;
    if (out.size() > kLabelChars) out.resize(kLabelChars);
    return out;
}

int Len(const wchar_t* s) { return static_cast<int>(std::wcslen(s)); }

// The backing of a label box (left, top, right, bottom) reaches this far beyond it.
void BackLabel(DrawSurface& s, int left, int top, int right, int bottom) {
    const int m = ScalePx(2, s.Dpi());
    s.Backing(left - m, top - m, right + m, bottom + m);
}

void DrawHandle(DrawSurface& s, ShapePoint p, bool selected, const OverlayParams& op) {
    const int h = ScalePx(5, s.Dpi());
    int l = std::max(0, p.x - h), t = std::max(0, p.y - h);
    int r = std::min(op.imageW, p.x + h), b = std::min(op.imageH, p.y + h);
    if (selected)
        s.Fill(l, t, r, b);
    else
        s.Frame(l, t, r, b);
}

bool HasThird(const MeasureShape& sh) { return sh.p3.x >= 0 && sh.p3.y >= 0; }

int CircleRadius(ShapePoint c, ShapePoint p) { return static_cast<int>(PixelDistance(c, p) + 0.49f); }

void DrawCircle(DrawSurface& s, ShapePoint c, int r) { s.AaArc(AaPen::Shape, c.x - r, c.y - r, 2 * r, 2 * r, 0.0f, 360.0f); }

void DrawLineTicks(DrawSurface& s, const MeasureShape& sh, int t) {
    const ShapePoint ends[2] = {sh.p1, sh.p2};
    if (sh.p1.x == sh.p2.x) {
        for (ShapePoint e : ends) s.AaLine(AaPen::Thin, e.x - t, e.y, e.x + t, e.y);
    } else if (sh.p1.y == sh.p2.y) {
        for (ShapePoint e : ends) s.AaLine(AaPen::Thin, e.x, e.y - t, e.x, e.y + t);
    } else {
        double theta = std::atan2(static_cast<double>(sh.p2.y) - sh.p1.y, static_cast<double>(sh.p2.x) - sh.p1.x);
        int a = static_cast<int>(t * std::sin(theta));
        int b = static_cast<int>(t * std::cos(theta));
        for (ShapePoint e : ends) s.AaLine(AaPen::Thin, e.x - a, e.y + b, e.x + a, e.y - b);
    }
}

void DrawParallelConstruction(DrawSurface& s, const MeasureShape& sh) {
    int x1 = sh.p1.x, y1 = sh.p1.y, x2 = sh.p2.x, y2 = sh.p2.y, x3 = sh.p3.x, y3 = sh.p3.y;
    if (y1 == y2) {
        int half = std::abs(x2 - x1) / 2;
        s.AaLine(AaPen::Shape, x3, y3, x3, y1);
        s.AaLine(AaPen::Shape, x3 - half, y3, x3 + half, y3);
    } else if (x1 == x2) {
        int half = std::abs(y2 - y1) / 2;
        s.AaLine(AaPen::Shape, x3, y3, x1, y3);
        s.AaLine(AaPen::Shape, x3, y3 - half, x3, y3 + half);
    } else {
        double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
        double theta = std::atan2(dy, dx);
        double c = std::cos(theta), sn = std::sin(theta);
        double e = c * ((x3 - x1) - (y3 - y1) / std::tan(theta)) + (y3 - y1) / sn;
        int fx = x1 + static_cast<int>(e * c), fy = y1 + static_cast<int>(e * sn);
        s.AaLine(AaPen::Thin, x3, y3, fx, fy);
        double g = std::sqrt(dx * dx + dy * dy);
        int hx = static_cast<int>(c * g * 0.5), hy = static_cast<int>(sn * g * 0.5);
        s.AaLine(AaPen::Shape, x3 - hx, y3 - hy, x3 + hx, y3 + hy);
    }
}

void DrawCrossline(DrawSurface& s, const OverlayParams& op) {
    const int w = op.imageW, h = op.imageH, cx = w / 2, cy = h / 2;
    s.Line(SolidPen::Ruler, 0, cy, w, cy);
    s.Line(SolidPen::Ruler, cx, 0, cx, h);
    if (op.ppu < 0) {
        for (int i = 1; i < cy / 10; ++i) {
            int n = i % 5 == 0 ? 9 : 4;
            s.Line(SolidPen::Ruler, cx - n, cy - 10 * i, cx, cy - 10 * i);
            s.Line(SolidPen::Ruler, cx - n, cy + 10 * i, cx, cy + 10 * i);
        }
        for (int i = 1; i < cx / 10; ++i) {
            int n = i % 5 == 0 ? 9 : 4;
            s.Line(SolidPen::Ruler, cx - 10 * i, cy - n, cx - 10 * i, cy);
            s.Line(SolidPen::Ruler, cx + 10 * i, cy - n, cx + 10 * i, cy);
        }
        return;
    }
    const int e = op.ruler.length;
    if (e <= 0 || !(op.ruler.value > 0.0f)) return;
    int minor[10];
    for (int i = 1; i <= 9; ++i) minor[i] = static_cast<int>(static_cast<float>(e) / 10.0f * static_cast<float>(i) + 0.5f);
    // Vertical axis: ticks to the right. On an unevenly stretched picture the same step spans
    // fewer (or more) image rows than columns.
    int ev = e, minorV[10];
    std::copy(minor, minor + 10, minorV);
    if (op.yScale != 1.0 && op.yScale > 0.0) {
        ev = std::max(1, static_cast<int>(e / op.yScale + 0.5));
        for (int i = 1; i <= 9; ++i) minorV[i] = static_cast<int>(ev / 10.0 * i + 0.5);
    }
    for (int m = 1; m <= cy / ev + 1; ++m) {
        int up = cy - m * ev;
        if (up > 0) s.Line(SolidPen::Ruler, cx, up, cx + 20, up);
        for (int i = 1; i <= 9; ++i) {
            int y = up + minorV[i];
            if (y > 0) s.Line(SolidPen::Ruler, cx, y, cx + (i == 5 ? 14 : 8), y);
        }
        int down = cy + m * ev;
        if (down + 1 < h) s.Line(SolidPen::Ruler, cx, down, cx + 20, down);
        for (int i = 1; i <= 9; ++i) {
            int y = down - minorV[i];
            if (y + 1 < h) s.Line(SolidPen::Ruler, cx, y, cx + (i == 5 ? 14 : 8), y);
        }
    }
    // Horizontal axis: ticks upwards.
    for (int m = 1; m <= cx / e + 1; ++m) {
        int left = cx - m * e;
        if (left > 0) s.Line(SolidPen::Ruler, left, cy - 20, left, cy);
        for (int i = 1; i <= 9; ++i) {
            int x = left + minor[i];
            if (x > 0) s.Line(SolidPen::Ruler, x, cy - (i == 5 ? 14 : 8), x, cy);
        }
        int right = cx + m * e;
        if (right + 1 < w) s.Line(SolidPen::Ruler, right, cy - 20, right, cy);
        for (int i = 1; i <= 9; ++i) {
            int x = right - minor[i];
            if (x + 1 < w) s.Line(SolidPen::Ruler, x, cy - (i == 5 ? 14 : 8), x, cy);
        }
    }
    std::wstring label = RulerLabel(op.ruler.value, UnitText(op.unit));
    TextExtent ext = s.MeasureText(label.c_str(), Len(label.c_str()));
    int left = cx + e - ext.cx / 2, top = cy + 2;
    BackLabel(s, left, top, left + ext.cx, top + ext.cy);
    s.ClippedText(label.c_str(), Len(label.c_str()), left, top, left + ext.cx, top + ext.cy);
}

void DrawArrowhead(DrawSurface& s, int x, int y, int side) {
    const ShapePoint pts[4] = {{x, y}, {x + 4 * side, y - 4}, {x + 4 * side, y + 4}, {x, y}};
    s.Polyline(SolidPen::CalibThin, pts, 4);
}

void DrawCalibrationLine(DrawSurface& s, CalibrationLine& line, const OverlayParams& op) {
    const int w = op.imageW, cy = op.imageH / 2;
    if (line.freshRequested) {
        line.freshRequested = false;
        line.length = w / 3 > 300 ? w / 3 : 300;
        line.left = (w - line.length) / 2;
        line.right = line.left + line.length;
    }
    s.Line(SolidPen::CalibThick, line.left, cy, line.right, cy);
    s.Line(SolidPen::CalibThin, line.left, cy - 60, line.left, cy + 60);
    s.Line(SolidPen::CalibThin, line.right, cy - 60, line.right, cy + 60);
    std::wstring label = Label(nullptr, L" pixels", "%d", line.length);
    DrawLabel(s, label.c_str(), line.left + 2, cy + 2, op.imageW, op.imageH);
    int p;
    if (line.leftHot)
        p = line.left;
    else if (line.rightHot)
        p = line.right;
    else
        return;
    for (int y : {cy - 30, cy + 30}) {
        DrawArrowhead(s, p - 4, y, -1);
        DrawArrowhead(s, p + 4, y, +1);
    }
}

}  // namespace

uint32_t ContrastingBacking(uint32_t color) {
    const uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    return 299 * r + 587 * g + 114 * b >= 128000 ? 0x000000u : 0xFFFFFFu;
}

ScaledSurface::ScaledSurface(DrawSurface& inner, int imageW, int imageH, int displayW, int displayH)
    : inner_(inner),
      sx_(imageW > 0 ? double(displayW) / imageW : 1.0),
      sy_(imageH > 0 ? double(displayH) / imageH : 1.0) {}

int ScaledSurface::X(int x) const { return static_cast<int>(std::floor(x * sx_ + 0.5)); }
int ScaledSurface::Y(int y) const { return static_cast<int>(std::floor(y * sy_ + 0.5)); }

TextExtent ScaledSurface::MeasureText(const wchar_t* text, int length) {
    TextExtent e = inner_.MeasureText(text, length);
    e.cx = static_cast<int>(std::ceil(e.cx / sx_));
    e.cy = static_cast<int>(std::ceil(e.cy / sy_));
    return e;
}

void ScaledSurface::AaLine(AaPen pen, int x1, int y1, int x2, int y2) { inner_.AaLine(pen, X(x1), Y(y1), X(x2), Y(y2)); }

void ScaledSurface::AaArc(AaPen pen, int x, int y, int w, int h, float startDeg, float sweepDeg) {
    inner_.AaArc(pen, X(x), Y(y), X(x + w) - X(x), Y(y + h) - Y(y), startDeg, sweepDeg);
}

void ScaledSurface::Frame(int left, int top, int right, int bottom) { inner_.Frame(X(left), Y(top), X(right), Y(bottom)); }
void ScaledSurface::Fill(int left, int top, int right, int bottom) { inner_.Fill(X(left), Y(top), X(right), Y(bottom)); }
void ScaledSurface::Line(SolidPen pen, int x1, int y1, int x2, int y2) { inner_.Line(pen, X(x1), Y(y1), X(x2), Y(y2)); }

void ScaledSurface::Polyline(SolidPen pen, const ShapePoint* points, int count) {
    ShapePoint scaled[8];  // the overlay's polylines are arrowheads of four points
    if (count > 8) count = 8;
    for (int i = 0; i < count; ++i) scaled[i] = {X(points[i].x), Y(points[i].y)};
    inner_.Polyline(pen, scaled, count);
}

// The text keeps its size: its box starts at the scaled corner and is at least as large as the
// text it was measured for.
void ScaledSurface::ClippedText(const wchar_t* text, int length, int left, int top, int right, int bottom) {
    const int l = X(left), t = Y(top);
    inner_.ClippedText(text, length, l, t, l + static_cast<int>(std::ceil((right - left) * sx_)),
                       t + static_cast<int>(std::ceil((bottom - top) * sy_)));
}

void ScaledSurface::Backing(int left, int top, int right, int bottom) {
    const int l = X(left), t = Y(top);
    inner_.Backing(l, t, l + static_cast<int>(std::ceil((right - left) * sx_)),
                   t + static_cast<int>(std::ceil((bottom - top) * sy_)));
}

const wchar_t* UnitText(int unit) { return unit == 0 ? L"mm" : L"\u03BCm"; }

std::wstring RulerLabel(float v, const wchar_t* unitText) {
    if (v >= 0.1f) return Label(unitText, nullptr, "%.1f", static_cast<double>(v) + 0.01);
    if (v >= 0.01f) return Label(unitText, nullptr, "%.2f", static_cast<double>(v) + 0.001);
    return Label(unitText, nullptr, "%.3f", static_cast<double>(v) + 0.0001);
}

void UpdateRulerStep(RulerStep& step, float ppu, std::string* debugLine) {
    if (!(ppu > 0.0f)) {  // also a NaN factor: treat as not calibrated
        step = RulerStep{};
    } else {
        float a = 0.0001f;
        float bestDiff = 100.0f, bestPixels = 0.0f, bestValue = 0.0f;
        bool found = false;
        for (int decade = 0; decade < 6; ++decade) {
            const float candidates[3] = {a, 2.0f * a, 5.0f * a};
            for (float c : candidates) {
                float pixels = c * ppu;
                float diff = std::fabs(100.0f - pixels);
                if (diff < bestDiff) {
                    bestDiff = diff;
                    bestPixels = pixels;
                    bestValue = c;
                    found = true;
                }
            }
            a = a * 10.0f;
        }
        // No candidate between 0 and 200 pixels: no ruler step, rather than the previous
        // calibration's, which would label this one's ruler wrongly.
        step = RulerStep{};
        if (found) {
            step.length = static_cast<int>(bestPixels + 0.5f);
            step.value = bestValue;
        }
    }
    if (debugLine && ppu > 0.0f) {  // the debugger hears only of a real step search
        char line[128];
        std::snprintf(line, sizeof line, "---%02f %d %03f\r\n", static_cast<double>(ppu), step.length,
                      static_cast<double>(step.value));
        *debugLine = line;
    }
}

void DrawLabel(DrawSurface& s, const wchar_t* text, int x, int y, int imageW, int imageH) {
    int n = Len(text);
    TextExtent e = s.MeasureText(text, n);
    const int o = ScalePx(2, s.Dpi());  // the label's offset from its point
    int left = x + o, top = y + o, right = x + o + e.cx, bottom = y + o + e.cy;
    if (x + o + e.cx > imageW) {
        left = x - o - e.cx;
        right = x - o;
    }
    if (y + o + e.cy > imageH) {
        top = y - o - e.cy;
        bottom = y - o;
    }
    BackLabel(s, left, top, right, bottom);
    s.ClippedText(text, n, left, top, right, bottom);
}

void DrawLabelBlock(DrawSurface& s, const wchar_t* line1, const wchar_t* line2, const wchar_t* line3, int x,
                    int y, int imageW, int imageH) {
    const wchar_t* lines[3] = {line1, line2, line2 ? line3 : nullptr};
    int count = !line1 ? 0 : !lines[1] ? 1 : !lines[2] ? 2 : 3;
    TextExtent ext[3];
    int width = 0, height = 0;
    for (int i = 0; i < count; ++i) {
        ext[i] = s.MeasureText(lines[i], Len(lines[i]));
        width = std::max(width, ext[i].cx);
        height += ext[i].cy + (i > 0 ? 1 : 0);
    }
    const int o = ScalePx(2, s.Dpi());
    bool flipLeft = x + o + width > imageW;
    bool flipUp = y + o + height > imageH;
    int down = y + o, up = y - o;
    if (count > 0) {  // one backing for the whole block
        const int left = flipLeft ? x - o - width : x + o, top = flipUp ? y - o - height : y + o;
        BackLabel(s, left, top, left + width, top + height);
    }
    for (int i = 0; i < count; ++i) {
        int left = flipLeft ? x - o - ext[i].cx : x + o;
        int top;
        if (flipUp) {
            up -= ext[i].cy;
            top = up;
        } else {
            top = down;
            down += ext[i].cy;
        }
        int n = Len(lines[i]);
        if (n > 0) s.ClippedText(lines[i], n, left, top, left + ext[i].cx, top + ext[i].cy);
    }
}

void DrawShape(DrawSurface& s, const MeasureShape& sh, int32_t kind, bool selected, bool hovered, bool pending,
               const OverlayParams& op) {
    const bool marked = selected || hovered;
    const bool calibrated = op.ppu > 0.0f;
    const wchar_t* u = UnitText(op.unit);
    // The figures the labels print; the measurement table prints the same texts.
    const ShapeFigures fig =
        kind == kToolPencil || kind == kToolText ? ShapeFigures{} : FiguresOf(sh, kind, op.ppu, op.yScale);
    switch (kind) {
    case kToolLine:
        if (marked) {
            DrawHandle(s, sh.p1, selected, op);
            DrawHandle(s, sh.p2, selected, op);
        }
        s.AaLine(AaPen::Shape, sh.p1.x, sh.p1.y, sh.p2.x, sh.p2.y);
        DrawLineTicks(s, sh, pending ? 32 : 12);
        if (calibrated) {
            std::wstring t = FigureLabel(L"", fig.items[0], u);
            DrawLabel(s, t.c_str(), sh.p1.x, sh.p1.y, op.imageW, op.imageH);
        }
        break;
    case kToolParallel:
        if (marked) {
            DrawHandle(s, sh.p1, selected, op);
            DrawHandle(s, sh.p2, selected, op);
            DrawHandle(s, sh.p3, selected, op);
        }
        s.AaLine(AaPen::Shape, sh.p1.x, sh.p1.y, sh.p2.x, sh.p2.y);
        if (HasThird(sh)) {
            DrawParallelConstruction(s, sh);
            if (calibrated) {
                std::wstring t = FigureLabel(L"D:", fig.items[0], u);
                DrawLabel(s, t.c_str(), sh.p3.x, sh.p3.y, op.imageW, op.imageH);
            }
        }
        break;
    case kToolRectangle: {
        if (marked) {
            DrawHandle(s, sh.p1, selected, op);
            DrawHandle(s, sh.p2, selected, op);
            DrawHandle(s, {sh.p1.x, sh.p2.y}, selected, op);
            DrawHandle(s, {sh.p2.x, sh.p1.y}, selected, op);
        }
        int l = std::min(sh.p1.x, sh.p2.x), t = std::min(sh.p1.y, sh.p2.y);
        int r = std::max(sh.p1.x, sh.p2.x), b = std::max(sh.p1.y, sh.p2.y);
        s.Frame(l, t, r, b);
        if (op.lineWidth > 1) s.Frame(l + 1, t + 1, r - 1, b - 1);
        if (calibrated) {
            std::wstring a = FigureLabel(L"", fig.items[0], (L"x" + fig.items[1].number + u).c_str());
            std::wstring c = FigureLabel(L"S:", fig.items[2], u, L"^2");
            DrawLabelBlock(s, a.c_str(), c.c_str(), nullptr, l, t, op.imageW, op.imageH);
        }
        break;
    }
    case kToolCircle:
        DrawHandle(s, sh.p1, selected, op);
        if (marked) DrawHandle(s, sh.p2, selected, op);
        s.AaLine(AaPen::Shape, sh.p1.x, sh.p1.y, sh.p2.x, sh.p2.y);
        DrawCircle(s, sh.p1, CircleRadius(sh.p1, sh.p2));
        if (calibrated) {
            std::wstring a = FigureLabel(L"R:", fig.items[0], u);
            std::wstring b = FigureLabel(L"C:", fig.items[1], u);
            std::wstring c = FigureLabel(L"S:", fig.items[2], u, L"^2");
            DrawLabelBlock(s, a.c_str(), b.c_str(), c.c_str(), sh.p1.x, sh.p1.y, op.imageW, op.imageH);
        }
        break;
    case kToolConcentric:
        DrawHandle(s, sh.p1, selected, op);
        if (sh.p3.x <= 0 || sh.p3.y <= 0) {
            if (marked) DrawHandle(s, sh.p2, selected, op);
            s.AaLine(AaPen::Shape, sh.p1.x, sh.p1.y, sh.p2.x, sh.p2.y);
            DrawCircle(s, sh.p1, CircleRadius(sh.p1, sh.p2));
            if (calibrated) {
                std::wstring a = FigureLabel(L"R1:", fig.items[0], u);
                DrawLabel(s, a.c_str(), sh.p1.x, sh.p1.y, op.imageW, op.imageH);
            }
        } else {
            if (marked) DrawHandle(s, sh.p3, selected, op);
            s.AaLine(AaPen::Shape, sh.p1.x, sh.p1.y, sh.p3.x, sh.p3.y);
            DrawCircle(s, sh.p1, CircleRadius(sh.p1, sh.p2));
            DrawCircle(s, sh.p1, CircleRadius(sh.p1, sh.p3));
            if (calibrated) {
                std::wstring a = FigureLabel(L"R1:", fig.items[0], u);
                std::wstring b = FigureLabel(L"R2:", fig.items[1], u);
                DrawLabelBlock(s, a.c_str(), b.c_str(), L"", sh.p3.x, sh.p3.y, op.imageW, op.imageH);
            }
        }
        break;
    case kToolAngle:
        if (marked) {
            DrawHandle(s, sh.p1, selected, op);
            DrawHandle(s, sh.p2, selected, op);
            DrawHandle(s, sh.p3, selected, op);
        }
        s.AaLine(AaPen::Shape, sh.p1.x, sh.p1.y, sh.p2.x, sh.p2.y);
        if (HasThird(sh)) {
            s.AaLine(AaPen::Shape, sh.p1.x, sh.p1.y, sh.p3.x, sh.p3.y);
            std::wstring a = FigureLabel(L"", fig.items[0], L"\u00B0");
            DrawLabel(s, a.c_str(), sh.p1.x, sh.p1.y, op.imageW, op.imageH);
        }
        break;
    case kToolPencil:
        if (sh.points.size() >= 2 && marked) {
            DrawHandle(s, sh.points.front(), selected, op);
            DrawHandle(s, sh.points.back(), selected, op);
        }
        for (size_t i = 1; i < sh.points.size(); ++i)
            s.AaLine(AaPen::Shape, sh.points[i - 1].x, sh.points[i - 1].y, sh.points[i].x, sh.points[i].y);
        break;
    case kToolText: {
        const wchar_t* text = sh.text[0] ? sh.text : (op.textPrompt ? op.textPrompt : L"");
        int n = Len(text);
        TextExtent e = s.MeasureText(text, n);
        const int o = ScalePx(2, s.Dpi()), pad = ScalePx(4, s.Dpi());
        int l = sh.p1.x + o, t = sh.p1.y + o, r = sh.p1.x + e.cx + pad, b = sh.p1.y + e.cy + pad;
        if (n > 0) s.Backing(l, t, r, b);
        if (pending || marked) s.Frame(l, t, r, b);
        if (n > 0) s.ClippedText(text, n, l, t, r, b);
        break;
    }
    default:
        break;
    }
}

void DrawOverlay(DrawSurface& s, const MeasurementStateData& state, const OverlayParams& op) {
    if (op.calibLine && op.calibLine->Active()) {
        DrawCalibrationLine(s, *op.calibLine, op);
        return;
    }
    if (op.crossline) DrawCrossline(s, op);
    for (size_t i = 0; i < state.shapes.size(); ++i) {
        const MeasureShape& sh = state.shapes[i];
        int index = static_cast<int>(i);
        DrawShape(s, sh, sh.kind, index == state.selected, index == state.hovered, false, op);
    }
    const int st = state.stage;
    if (state.pressActive || st == kToolParallel || st == kToolConcentric || st == kToolAngle || st == kToolText)
        DrawShape(s, state.pending, state.tool, false, false, true, op);
}
