// GDI and GDI+ behind the overlay's drawing surface. Shape lines and arcs go through GDI+ in
// anti-aliased mode; frames, handles, crossline, calibration line and text through plain GDI,
// as they must stay crisp and one pixel wide.
#include "view/gdi_surface_win.h"

#include "app/dpi_win.h"

#include <gdiplus.h>

#include <algorithm>

using namespace Gdiplus;

namespace {

COLORREF Rgb(int32_t c) { return static_cast<COLORREF>(c) & 0x00FFFFFF; }

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(const wchar_t* face) {
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(screen, &lf, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

}  // namespace

const wchar_t* LabelFontFace() {
    // Looked up once: the installed fonts do not change under a running composition.
    static const wchar_t* face = FaceInstalled(L"Segoe UI") ? L"Segoe UI" : L"Tahoma";
    return face;
}

GdiSurface::GdiSurface(HDC hdc, const DrawSettings& settings, int dpiY)
    : hdc_(hdc), dpiY_(dpiY > 0 ? dpiY : DpiOf(nullptr)), settings_(settings) {
    if (DllExports::GdipCreateFromHDC(hdc_, &graphics_) != Ok) graphics_ = nullptr;
    // High-quality smoothing (mode 2) for the shape lines and arcs.
    if (graphics_) DllExports::GdipSetSmoothingMode(graphics_, SmoothingModeHighQuality);
    SetTextAlign(hdc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    MakeResources();
}

GdiSurface::~GdiSurface() {
    FreeResources();
    if (graphics_) DllExports::GdipDeleteGraphics(graphics_);
}

void GdiSurface::SetDrawSettings(const DrawSettings& settings) {
    FreeResources();
    settings_ = settings;
    MakeResources();
}

void GdiSurface::MakeResources() {
    const int32_t line = settings_.lineColor;
    if (graphics_) {
        const ARGB argb = ArgbFromColorRef(line);
        if (DllExports::GdipCreatePen1(argb, static_cast<REAL>(settings_.lineWidth), UnitPixel, &shapePen_) != Ok)
            shapePen_ = nullptr;
        if (DllExports::GdipCreatePen1(argb, 1.0f, UnitPixel, &thinPen_) != Ok) thinPen_ = nullptr;
    }
    lineBrush_ = CreateSolidBrush(Rgb(line));
    if (settings_.labelBacking == 1)
        backingBrush_ = CreateSolidBrush(Rgb(int32_t(ContrastingBacking(uint32_t(settings_.textColor)))));
    rulerPen_ = CreatePen(PS_SOLID, 1, Rgb(settings_.gridColor));
    calibThickPen_ = CreatePen(PS_SOLID, 2, Rgb(line));
    calibThinPen_ = CreatePen(PS_SOLID, 1, Rgb(line));

    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(settings_.textSize, dpiY_, 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, LabelFontFace(), LF_FACESIZE);
    font_ = CreateFontIndirectW(&lf);
    if (font_) {
        HGDIOBJ previous = SelectObject(hdc_, font_);
        if (!oldFont_) oldFont_ = previous;
    }
    TEXTMETRICW tm = {};
    emptyTextHeight_ = GetTextMetricsW(hdc_, &tm) ? tm.tmHeight : 0;
}

void GdiSurface::FreeResources() {
    if (shapePen_) DllExports::GdipDeletePen(shapePen_);
    if (thinPen_) DllExports::GdipDeletePen(thinPen_);
    shapePen_ = thinPen_ = nullptr;
    // The font is deselected before it is deleted; pens are selected only during a call.
    if (font_) {
        SelectObject(hdc_, oldFont_ ? oldFont_ : GetStockObject(SYSTEM_FONT));
        oldFont_ = nullptr;
        DeleteObject(font_);
        font_ = nullptr;
    }
    for (HGDIOBJ* obj : {reinterpret_cast<HGDIOBJ*>(&lineBrush_), reinterpret_cast<HGDIOBJ*>(&backingBrush_),
                         reinterpret_cast<HGDIOBJ*>(&rulerPen_),
                         reinterpret_cast<HGDIOBJ*>(&calibThickPen_), reinterpret_cast<HGDIOBJ*>(&calibThinPen_)}) {
        if (*obj) DeleteObject(*obj);
        *obj = nullptr;
    }
}

// GDI+ and GDI share the context: make sure anti-aliased drawing has reached the bitmap before
// plain GDI draws over it.
void GdiSurface::FlushAa() {
    if (aaDirty_ && graphics_) DllExports::GdipFlush(graphics_, FlushIntentionFlush);
    aaDirty_ = false;
}

HPEN GdiSurface::SolidPenOf(SolidPen pen) const {
    switch (pen) {
    case SolidPen::Ruler: return rulerPen_;
    case SolidPen::CalibThick: return calibThickPen_;
    default: return calibThinPen_;
    }
}

int GdiSurface::SmoothingModeInUse() const {
    Gdiplus::SmoothingMode mode = SmoothingModeInvalid;
    if (!graphics_ || DllExports::GdipGetSmoothingMode(graphics_, &mode) != Ok) return -1;
    return static_cast<int>(mode);
}

TextExtent GdiSurface::MeasureText(const wchar_t* text, int length) {
    if (length <= 0) return {0, emptyTextHeight_};
    SIZE size = {};
    if (!GetTextExtentPoint32W(hdc_, text, length, &size)) return {0, emptyTextHeight_};
    return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

void GdiSurface::AaLine(AaPen pen, int x1, int y1, int x2, int y2) {
    GpPen* p = pen == AaPen::Shape ? shapePen_ : thinPen_;
    if (!graphics_ || !p) return;
    DllExports::GdipDrawLineI(graphics_, p, x1, y1, x2, y2);
    aaDirty_ = true;
}

void GdiSurface::AaArc(AaPen pen, int x, int y, int w, int h, float startDeg, float sweepDeg) {
    GpPen* p = pen == AaPen::Shape ? shapePen_ : thinPen_;
    if (!graphics_ || !p || w <= 0 || h <= 0) return;
    DllExports::GdipDrawArcI(graphics_, p, x, y, w, h, startDeg, sweepDeg);
    aaDirty_ = true;
}

void GdiSurface::Frame(int left, int top, int right, int bottom) {
    if (!lineBrush_) return;
    FlushAa();
    RECT rc = {left, top, right, bottom};
    FrameRect(hdc_, &rc, lineBrush_);
}

void GdiSurface::Fill(int left, int top, int right, int bottom) {
    if (!lineBrush_) return;
    FlushAa();
    RECT rc = {left, top, right, bottom};
    FillRect(hdc_, &rc, lineBrush_);
}

void GdiSurface::Line(SolidPen pen, int x1, int y1, int x2, int y2) {
    HPEN p = SolidPenOf(pen);
    if (!p) return;
    FlushAa();
    HGDIOBJ old = SelectObject(hdc_, p);
    MoveToEx(hdc_, x1, y1, nullptr);
    LineTo(hdc_, x2, y2);
    SelectObject(hdc_, old);
}

void GdiSurface::Polyline(SolidPen pen, const ShapePoint* points, int count) {
    HPEN p = SolidPenOf(pen);
    if (!p || count < 2) return;
    FlushAa();
    POINT pts[8];
    count = std::min(count, 8);
    for (int i = 0; i < count; ++i) pts[i] = {points[i].x, points[i].y};
    HGDIOBJ old = SelectObject(hdc_, p);
    ::Polyline(hdc_, pts, count);
    SelectObject(hdc_, old);
}

void GdiSurface::ClippedText(const wchar_t* text, int length, int left, int top, int right, int bottom) {
    if (length <= 0) return;
    FlushAa();
    SetBkMode(hdc_, TRANSPARENT);
    SetTextColor(hdc_, Rgb(settings_.textColor));
    RECT rc = {left, top, right, bottom};
    ExtTextOutW(hdc_, left, top, ETO_CLIPPED, &rc, text, static_cast<UINT>(length), nullptr);
}

void GdiSurface::Backing(int left, int top, int right, int bottom) {
    if (!backingBrush_) return;  // the label background setting is off
    FlushAa();
    RECT rc = {left, top, right, bottom};
    FillRect(hdc_, &rc, backingBrush_);
}

bool SetDrawSettings(DrawSettings& stored, GdiSurface* surface, const int32_t* v) {
    if (!v) return false;
    stored = DrawSettings{v[0], v[1], v[2], v[3], v[4], v[5]};
    if (!surface) return false;
    surface->SetDrawSettings(stored);
    return true;
}
