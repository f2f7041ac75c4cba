// The measurement overlay: crossline and ruler, shapes, handles, labels and the calibration
// line, expressed as calls on a small drawing surface so the same geometry serves the screen
// (GDI and GDI+) and the tests (a recording surface). User-interface thread only.
#pragma once

#include <cstdint>
#include <string>

#include "view/measure_model.h"

// The six drawing settings in the order of VIEW_CMD_DRAW_SETTINGS; colours are 0x00BBGGRR.
struct DrawSettings {
    int32_t gridColor = 0;     // crossline and its ruler
    int32_t lineColor = 0;     // shapes, handles, frames, calibration line
    int32_t lineWidth = 0;     // shape pen width in pixels
    int32_t textColor = 0;     // label text
    int32_t textSize = 0;      // label font size in points
    int32_t labelBacking = 0;  // 1: labels on a filled box of ContrastingBacking(textColor)
};
constexpr int kDrawSettingCount = 6;

// Black behind light colours, white behind dark ones (0x00BBGGRR): what a label or the photos'
// scale bar stands on to be read over any specimen.
uint32_t ContrastingBacking(uint32_t color);

// 0x00BBGGRR to the opaque ARGB of an anti-aliased pen.
inline uint32_t ArgbFromColorRef(int32_t c) {
    uint32_t v = static_cast<uint32_t>(c);
    return 0xFF000000u | ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

enum class AaPen { Shape, Thin };                   // anti-aliased, line colour
enum class SolidPen { Ruler, CalibThick, CalibThin };  // plain: 1 px ruler colour; 2 px / 1 px line colour

// What the overlay draws with. Rectangles are (left, top, right, bottom) with right and bottom
// excluded; plain lines leave out their last pixel.
class DrawSurface : public TextMeasurer {
public:
    virtual void AaLine(AaPen pen, int x1, int y1, int x2, int y2) = 0;
    // Arc on the ellipse inside (x, y, w, h), angles in degrees clockwise from the x axis.
    virtual void AaArc(AaPen pen, int x, int y, int w, int h, float startDeg, float sweepDeg) = 0;
    virtual void Frame(int left, int top, int right, int bottom) = 0;  // 1 px, line brush
    virtual void Fill(int left, int top, int right, int bottom) = 0;   // line brush
    virtual void Line(SolidPen pen, int x1, int y1, int x2, int y2) = 0;
    virtual void Polyline(SolidPen pen, const ShapePoint* points, int count) = 0;
    // Text at (left, top) in the label font and text colour, transparent, clipped to the box.
    virtual void ClippedText(const wchar_t* text, int length, int left, int top, int right, int bottom) = 0;
    // The box behind a label about to be drawn: filled in ContrastingBacking(text colour) when
    // the label background setting is on, else nothing.
    virtual void Backing(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) {}
};

// The overlay over a picture shown at another size than the image's (a display ratio other
// than 100): points and boxes are scaled from image to display pixels, while pen widths and the
// label font keep their size, so labels stay readable at every ratio. Text extents are handed
// back in image pixels (rounded up), so a label's box still holds its text once scaled.
class ScaledSurface final : public DrawSurface {
public:
    ScaledSurface(DrawSurface& inner, int imageW, int imageH, int displayW, int displayH);
    TextExtent MeasureText(const wchar_t* text, int length) override;
    int Dpi() override { return inner_.Dpi(); }
    void AaLine(AaPen pen, int x1, int y1, int x2, int y2) override;
    void AaArc(AaPen pen, int x, int y, int w, int h, float startDeg, float sweepDeg) override;
    void Frame(int left, int top, int right, int bottom) override;
    void Fill(int left, int top, int right, int bottom) override;
    void Line(SolidPen pen, int x1, int y1, int x2, int y2) override;
    void Polyline(SolidPen pen, const ShapePoint* points, int count) override;
    void ClippedText(const wchar_t* text, int length, int left, int top, int right, int bottom) override;
    void Backing(int left, int top, int right, int bottom) override;

private:
    int X(int x) const;
    int Y(int y) const;
    DrawSurface& inner_;
    double sx_, sy_;
};

// The ruler step follows the applied calibration; both 0 when not calibrated.
struct RulerStep {
    int length = 0;     // pixels
    float value = 0.0f; // units
};

// Recomputes the step for ppu: the candidate nearest 100 pixels, or no step (both 0) when ppu is
// not positive or no candidate lies between 0 and 200 pixels. When debugLine is given it
// receives the line the view writes to the debugger output.
void UpdateRulerStep(RulerStep& step, float ppu, std::string* debugLine = nullptr);

// "mm" for unit 0, "μm" otherwise.
const wchar_t* UnitText(int unit);

// The crossline ruler's label for step value v, e.g. "5.0mm", "0.10mm".
std::wstring RulerLabel(float v, const wchar_t* unitText);

struct OverlayParams {
    int imageW = 0, imageH = 0;
    float ppu = -1.0f;          // applied calibration; <= 0 not calibrated
    double yScale = 1.0;        // measures in pixels of equal aspect (EqualAspectYScale)
    int unit = 0;               // 0 mm, 1 µm
    int lineWidth = 1;          // the shape pen's width (a rectangle gets a second frame above 1)
    bool crossline = false;
    RulerStep ruler;
    // The view's calibration line, drawn alone while it is active; a fresh-line request is
    // turned into a centred line here.
    CalibrationLine* calibLine = nullptr;
    const wchar_t* textPrompt = L"";
};

// Draws everything over the frame already on the surface, in image pixels (through a
// ScaledSurface at other ratios; not under the digital zoom).
void DrawOverlay(DrawSurface& surface, const MeasurementStateData& state, const OverlayParams& params);

// A label at a point, flipped left or up where it would leave the W x H image.
void DrawLabel(DrawSurface& surface, const wchar_t* text, int x, int y, int imageW, int imageH);
// Up to three lines at a point; line3 only counts when line2 is given. An empty line3 still
// takes part in the flip test.
void DrawLabelBlock(DrawSurface& surface, const wchar_t* line1, const wchar_t* line2, const wchar_t* line3,
                    int x, int y, int imageW, int imageH);

// One shape, as DrawOverlay draws it; `pending` picks the pending line's long ticks and the
// always-framed pending text.
void DrawShape(DrawSurface& surface, const MeasureShape& shape, int32_t kind, bool selected, bool hovered,
               bool pending, const OverlayParams& params);
