// The overlay's drawing surface on a memory drawing context: GDI+ for the anti-aliased shape and
// thin pens, GDI for frames, handles, the crossline and calibration-line pens and the label text.
// Pens, brush and font are made once per surface (and again on a settings change), never per
// frame. User-interface thread only.
#pragma once
#include <windows.h>

#include "view/overlay.h"

namespace Gdiplus {
class GpGraphics;
class GpPen;
}  // namespace Gdiplus

class GdiSurface final : public DrawSurface {
public:
    // hdc is the composition surface's memory context; it must outlive this object. GDI+ must be
    // started. dpiY 0 takes the screen's vertical dots per inch.
    GdiSurface(HDC hdc, const DrawSettings& settings, int dpiY = 0);
    ~GdiSurface() override;
    GdiSurface(const GdiSurface&) = delete;
    GdiSurface& operator=(const GdiSurface&) = delete;

    // Drops the pens, brush and font and makes them again from the new settings.
    void SetDrawSettings(const DrawSettings& settings);
    const DrawSettings& Settings() const { return settings_; }
    HFONT LabelFont() const { return font_; }
    bool Ready() const { return graphics_ != nullptr; }
    // The anti-aliased surface's smoothing mode as GDI+ reports it; -1 without a surface.
    int SmoothingModeInUse() const;

    TextExtent MeasureText(const wchar_t* text, int length) override;
    int Dpi() override { return dpiY_; }
    void AaLine(AaPen pen, int x1, int y1, int x2, int y2) override;
    void AaArc(AaPen pen, int x, int y, int w, int h, float startDeg, float sweepDeg) override;
    void Frame(int left, int top, int right, int bottom) override;
    void Fill(int left, int top, int right, int bottom) override;
    void Line(SolidPen pen, int x1, int y1, int x2, int y2) override;
    void Polyline(SolidPen pen, const ShapePoint* points, int count) override;
    void ClippedText(const wchar_t* text, int length, int left, int top, int right, int bottom) override;
    void Backing(int left, int top, int right, int bottom) override;

private:
    void MakeResources();
    void FreeResources();
    void FlushAa();
    HPEN SolidPenOf(SolidPen pen) const;

    HDC hdc_;
    int dpiY_;
    DrawSettings settings_;
    Gdiplus::GpGraphics* graphics_ = nullptr;
    Gdiplus::GpPen* shapePen_ = nullptr;
    Gdiplus::GpPen* thinPen_ = nullptr;
    HBRUSH lineBrush_ = nullptr;
    HBRUSH backingBrush_ = nullptr;  // only while the label background setting is on
    HPEN rulerPen_ = nullptr, calibThickPen_ = nullptr, calibThinPen_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    int emptyTextHeight_ = 0;
    bool aaDirty_ = false;
};

// The label font's face: "Segoe UI" where installed, else a face every system has.
const wchar_t* LabelFontFace();

// VIEW_CMD_DRAW_SETTINGS: stores the six values (in the command's order) and, when the
// composition surface exists, remakes its resources at once. Returns true when a surface was
// updated; the view then invalidates itself.
bool SetDrawSettings(DrawSettings& stored, GdiSurface* surface, const int32_t* sixValues);
