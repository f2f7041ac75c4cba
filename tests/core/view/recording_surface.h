// A drawing surface that records every call, and a measurement host with a fixed view, for
// checking the overlay and the model without a window system.
#pragma once

#include <array>
#include <cwchar>
#include <string>
#include <vector>

#include "view/measure_model.h"
#include "view/overlay.h"

// Text is measured as 7 pixels per character and 15 pixels high (also when empty).
constexpr int kCharW = 7;
constexpr int kTextH = 15;

struct Call {
    enum Kind { AaLine, AaArc, Frame, Fill, Line, Polyline, Text, Backing } kind;
    int pen = 0;  // AaPen or SolidPen as int
    int a = 0, b = 0, c = 0, d = 0;  // line ends, arc box (x, y, w, h), rectangle, text box
    float start = 0, sweep = 0;
    std::wstring text;
    std::vector<ShapePoint> points;
};

// A call's four numbers, to compare in one check.
using Ints4 = std::array<int, 4>;
inline Ints4 Box(const Call& c) { return {c.a, c.b, c.c, c.d}; }

class RecordingSurface : public DrawSurface {
public:
    std::vector<Call> calls;
    int dpi = 96;

    TextExtent MeasureText(const wchar_t*, int length) override { return {length * kCharW, kTextH}; }
    int Dpi() override { return dpi; }
    void AaLine(AaPen pen, int x1, int y1, int x2, int y2) override {
        calls.push_back({Call::AaLine, static_cast<int>(pen), x1, y1, x2, y2});
    }
    void AaArc(AaPen pen, int x, int y, int w, int h, float start, float sweep) override {
        Call c{Call::AaArc, static_cast<int>(pen), x, y, w, h};
        c.start = start;
        c.sweep = sweep;
        calls.push_back(c);
    }
    void Frame(int l, int t, int r, int b) override { calls.push_back({Call::Frame, 0, l, t, r, b}); }
    void Fill(int l, int t, int r, int b) override { calls.push_back({Call::Fill, 0, l, t, r, b}); }
    void Line(SolidPen pen, int x1, int y1, int x2, int y2) override {
        calls.push_back({Call::Line, static_cast<int>(pen), x1, y1, x2, y2});
    }
    void Polyline(SolidPen pen, const ShapePoint* pts, int n) override {
        Call c{Call::Polyline, static_cast<int>(pen)};
        c.points.assign(pts, pts + n);
        calls.push_back(c);
    }
    void ClippedText(const wchar_t* text, int n, int l, int t, int r, int b) override {
        Call c{Call::Text, 0, l, t, r, b};
        c.text.assign(text, text + n);
        calls.push_back(c);
    }
    void Backing(int l, int t, int r, int b) override { calls.push_back({Call::Backing, 0, l, t, r, b}); }

    std::vector<Call> Of(Call::Kind k) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.kind == k) out.push_back(c);
        return out;
    }
    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> out;
        for (const Call& c : Of(Call::Text)) out.push_back(c.text);
        return out;
    }
    const Call* FindText(const std::wstring& t) const {
        for (const Call& c : calls)
            if (c.kind == Call::Text && c.text == t) return &c;
        return nullptr;
    }
};

class FakeHost : public MeasureHost {
public:
    MeasureViewInfo view{640, 480, 640, 480, 0, 0, 100, 0};
    CalibrationLine line;
    const wchar_t* prompt = L" Input text, drag to move. ";
    int captures = 0, releases = 0, composes = 0, invalidates = 0;
    bool captured = false;  // between a capture and the next release
    int panX = 0, panY = 0, pans = 0;
    int dpi = 96;

    TextExtent MeasureText(const wchar_t*, int length) override { return {length * kCharW, kTextH}; }
    int Dpi() override { return dpi; }
    MeasureViewInfo ViewInfo() override { return view; }
    CalibrationLine& CalibLine() override { return line; }
    const wchar_t* TextPrompt() override { return prompt; }
    void CaptureMouse() override {
        ++captures;
        captured = true;
    }
    void ReleaseMouse() override {
        ++releases;
        captured = false;
    }
    void ComposeNow() override { ++composes; }
    void Invalidate() override { ++invalidates; }
    void Pan(int dx, int dy) override {
        panX += dx;
        panY += dy;
        ++pans;
    }
};
