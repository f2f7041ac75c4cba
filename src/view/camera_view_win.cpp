// The camera view (CameraWndClass): composes each display frame with the measurement overlay in
// a retained off-screen surface at the display ratio, copies it to the window with scrolling or
// centring, routes mouse and keys to the measurement model, and drives camera opening and
// closing (reopen countdown on timer 16, device notifications). User-interface thread only; the
// streaming thread only invalidates the window and posts the capture messages to it.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <commctrl.h>  // after <string>: it brings strsafe.h, which hides the printf family

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/messages.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "frame/capture_state_win.h"
#include "frame/frame_trace_win.h"
#include "frame/perf_clock_win.h"
#include "frame/stack_worker_win.h"
#include "resources/resource.h"
#include "view/camera_view_win.h"
#include "view/measure_model.h"
#include "view/overlay.h"
#include "view/gdi_surface_win.h"
#include "view/frame_scaler.h"
#include "view/surface_ratio.h"
#include "view/view_geometry.h"
#include "view/view_zoom.h"
#include "frame/white_balance.h"
#include "settings/text_table.h"

namespace {

constexpr wchar_t kCameraWndClass[] = L"CameraWndClass";
constexpr UINT_PTR kReopenTimer = 16;
constexpr UINT kReopenPeriodMs = 100;
constexpr int kReopenAtCreation = 718;
constexpr int kReopenThreshold = 800;
constexpr int kRetryTicks = 20;  // a busy, blocked or lost camera is tried again every 2 s
constexpr int kCornerButtonId = VIEW_CMD_FULLSCREEN_BUTTON;  // control id 100
constexpr size_t kPromptChars = 64;  // 63 characters and the terminator
constexpr COLORREF kStripGrey = RGB(191, 191, 191);
constexpr COLORREF kNoPictureListed = RGB(21, 25, 45);
constexpr COLORREF kNoPictureArt = RGB(13, 15, 20);
constexpr COLORREF kNoPictureText = RGB(45, 45, 60);

struct CameraWnd final : MeasureHost {
    HWND hwnd = nullptr;
    ViewGeometry geom;

    // Pixels of the display frame published last, taken (under frameLock) at the start of every
    // composition, the paint's and those started by the mouse, scrolling or panning alike.
    // Dropped whenever the session closes or the view is torn down.
    const DisplayFrame* framePixels = nullptr;
    // Puts the frame (or under the digital zoom its centre) into the surface at the display size.
    FrameScaler scaler;

    // Applied calibration and overlay switches.
    float ppu = -1.0f;
    int unit = 0;
    std::wstring unitText;
    bool crossline = false;
    CalibrationLine calibLine;
    RulerStep ruler;
    DrawSettings drawSettings;

    int reopenCountdown = kReopenAtCreation;
    // Ticks left before a camera that was busy, blocked or lost is tried again (0: no retry due).
    int retryTicks = 0;
    // Watch for a camera that runs but sends no usable frame: frames counted at the last tick
    // and ticks since the count last moved.
    uint32_t framesSeen = 0;
    int ticksWithoutFrame = 0;
    wchar_t noDevicePrompt[kPromptChars] = L"Please connect USB microscope.";
    wchar_t textPrompt[kPromptChars] = L" Input text, drag to move. ";

    // Long-lived drawing objects of the window.
    HFONT noDeviceFont = nullptr;
    HFONT labelFont = nullptr;  // measures text for hit boxes, like the overlay's label font
    HBRUSH stripBrush = nullptr;
    HBITMAP noDeviceArt = nullptr;
    HICON cornerIcon = nullptr;
    HWND cornerButton = nullptr;
    // The corner button's tooltip, asked for its text when it shows (so it follows the language
    // and the mode), and whether the main window is in full screen (the button then leaves it).
    HWND cornerTip = nullptr;
    bool fullScreen = false;
    wchar_t cornerTipText[kPromptChars] = {};

    // Composition surface: bitmap of display size, its memory context and the overlay surface
    // with the drawing resources. Made at the first composition after a reset or ratio change;
    // a settings change remakes only the drawing resources.
    HBITMAP surfaceBitmap = nullptr;
    uint8_t* surfaceBits = nullptr;  // its pixels: top-down rows of display width x 4 bytes
    HDC surfaceDc = nullptr;
    HGDIOBJ surfaceOldBitmap = nullptr;
    std::unique_ptr<GdiSurface> overlay;

    // The white-balance area: armed for one rectangle, and the drag's corners in client pixels.
    bool areaPick = false;
    bool areaDragging = false;
    POINT areaFrom = {}, areaTo = {};

    // Rotation of the wheel with Ctrl held that has not yet made a whole notch, and rotation
    // without it that has not yet made a whole pixel of scrolling (counted in pixels x 120).
    WheelCounter zoomWheel, scrollWheel;

    uint64_t composedFrames = 0;  // compositions that drew a frame (for tests and diagnostics)
    // The ratio the picture was last shown at, as the parent was told of it (a fitted picture's
    // percentage of its own size).
    int shownRatio = -1;

    // ---- MeasureHost ----
    MeasureViewInfo ViewInfo() override;
    CalibrationLine& CalibLine() override { return calibLine; }
    const wchar_t* TextPrompt() override { return textPrompt; }
    void CaptureMouse() override { SetCapture(hwnd); }
    void ReleaseMouse() override {
        if (GetCapture() == hwnd) ReleaseCapture();
    }
    void ComposeNow() override;
    void Invalidate() override { InvalidateRect(hwnd, nullptr, FALSE); }
    void Pan(int dx, int dy) override;
    TextExtent MeasureText(const wchar_t* text, int length) override;
    int Dpi() override { return DpiOf(hwnd); }
};

CameraWnd* FromHwnd(HWND hwnd) {
    if (!hwnd) return nullptr;
    return reinterpret_cast<CameraWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

SIZE ClientSize(HWND hwnd) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    return {rc.right, rc.bottom};
}

// ---- Drawing objects ----

// The overlay's label font, for measuring text while no composition surface exists.
HFONT MakeLabelFont(int textSize, int dpi) {
    return CreateFontW(FontHeightAt(textSize, dpi), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, LabelFontFace());
}

void FreeSurface(CameraWnd* w) {
    w->overlay.reset();
    if (w->surfaceDc) {
        SelectObject(w->surfaceDc, w->surfaceOldBitmap);
        DeleteDC(w->surfaceDc);
        w->surfaceDc = nullptr;
        w->surfaceOldBitmap = nullptr;
    }
    if (w->surfaceBitmap) {
        DeleteObject(w->surfaceBitmap);
        w->surfaceBitmap = nullptr;
        w->surfaceBits = nullptr;
    }
}

// The composition surface: a 32-bit top-down DIB section, which lives in the program's own
// memory where a display-compatible bitmap of a hundred megabytes may be refused by the system.
HBITMAP MakeSurfaceBitmap(HDC windowDc, int width, int height, uint8_t** pixels) {
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(windowDc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && !bits) {  // the view writes the pixels itself: a bitmap without them is no use
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    *pixels = bitmap ? static_cast<uint8_t*>(bits) : nullptr;
    return bitmap;
}

void CameraLayout(CameraWnd* w, bool centre);

bool EnsureSurface(CameraWnd* w, HDC windowDc) {
    if (w->surfaceBitmap) return true;
    if (w->geom.displayW <= 0 || w->geom.displayH <= 0) return false;
    // Too large for the memory at hand: the picture comes at a smaller ratio.
    HBITMAP bitmap = nullptr;
    uint8_t* pixels = nullptr;
    const int wanted = w->geom.ratio;
    SIZE client = ClientSize(w->hwnd);
    int ratio = RatioWithSurface(wanted, [&](int r) {
        if (r != w->geom.ratio) ApplyRatio(w->geom, r, client.cx, client.cy);
        bitmap = MakeSurfaceBitmap(windowDc, w->geom.displayW, w->geom.displayH, &pixels);
        return bitmap != nullptr;
    });
    if (!bitmap) {
        ApplyRatio(w->geom, wanted, client.cx, client.cy);
        return false;
    }
    if (ratio != wanted) {
        OutputDebugStringW(L"Composition surface made at a smaller ratio.\r\n");
        CameraLayout(w, false);
        InvalidateRect(w->hwnd, nullptr, FALSE);
    }
    HDC dc = CreateCompatibleDC(windowDc);
    if (!dc) {
        DeleteObject(bitmap);
        return false;
    }
    w->surfaceBitmap = bitmap;
    w->surfaceBits = pixels;
    w->surfaceDc = dc;
    w->surfaceOldBitmap = SelectObject(dc, bitmap);
    w->overlay = std::make_unique<GdiSurface>(dc, w->drawSettings, DpiOf(w->hwnd));
    return true;
}

// The frame pointer is only read while the session that filled it is open and its frame size
// is still the size this view was reset to; otherwise the ring may have been freed or made
// again at another size.
bool FrameUsable(const CameraWnd* w) {
    return w->framePixels && IsDeviceOpen() && w->geom.frameW > 0 && w->geom.frameH > 0 &&
           w->geom.frameW == CaptureState.width && w->geom.frameH == CaptureState.height;
}

OverlayParams MakeOverlayParams(CameraWnd* w) {
    OverlayParams p;
    p.imageW = w->geom.imageW;
    p.imageH = w->geom.imageH;
    p.ppu = w->ppu;
    p.yScale = EqualAspectYScale(w->geom);
    p.unit = w->unit;
    p.lineWidth = w->drawSettings.lineWidth;
    p.crossline = w->crossline;
    p.ruler = w->ruler;
    p.calibLine = &w->calibLine;
    p.textPrompt = w->textPrompt;
    return p;
}

// Centres the scroll position on the image (not the display) and moves the bars' thumbs.
void CentreOnImage(CameraWnd* w) {
    SIZE client = ClientSize(w->hwnd);
    CentreResult c = CentreScroll(w->geom, client.cx, client.cy);
    if (c.x) SetScrollPos(w->hwnd, SB_HORZ, w->geom.scrollX, TRUE);
    if (c.y) SetScrollPos(w->hwnd, SB_VERT, w->geom.scrollY, TRUE);
}

// The rectangle being dragged for the white balance: a dotted line, white on black, so it shows
// over any picture.
void DrawAreaBand(CameraWnd* w, HDC dc) {
    HPEN pen = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    Rectangle(dc, std::min(w->areaFrom.x, w->areaTo.x), std::min(w->areaFrom.y, w->areaTo.y),
              std::max(w->areaFrom.x, w->areaTo.x) + 1, std::max(w->areaFrom.y, w->areaTo.y) + 1);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void CameraComposeFrame(CameraWnd* w, HDC windowDc, const FrameStamp& stamp);

// Composition into the retained surface and copy to windowDc; its time counts as the frame
// path's, and a frame put on screen for the first time counts as shown.
void CameraCompose(CameraWnd* w, HDC windowDc) {
    const int64_t start = PerfNow();
    FrameStamp stamp;
    // A pointer kept from an earlier paint could name a slot the camera thread converts into
    // again after three frames, which a long drag that starves the paints easily outlasts.
    // While a focus stack is being made the view shows the fused picture, held for the
    // composition so the stack's worker does not change it meanwhile.
    StackPictureHold stackPicture;
    w->framePixels = !IsDeviceOpen() ? nullptr : stackPicture.pixels ? stackPicture.pixels : GetCurrentFrame(&stamp);
    if (w->framePixels) CameraComposeFrame(w, windowDc, stamp);
    CaptureState.counters.paintTicks.fetch_add(uint64_t(PerfNow() - start), std::memory_order_relaxed);
}

void CameraComposeFrame(CameraWnd* w, HDC windowDc, const FrameStamp& stamp) {
    if (!FrameUsable(w)) {
        w->framePixels = nullptr;
        return;
    }
    if (!EnsureSurface(w, windowDc)) return;
    ViewGeometry& g = w->geom;
    // The frame (under the digital zoom its centre) stretched over the whole surface, each pixel
    // taken from under its centre as the colour-on-colour stretch takes it; at ratio 100 with
    // the frame as wide as the image that is a plain copy. The vertical flip reads the rows
    // bottom-up. Written straight into the surface's pixels, once drawing still queued for the
    // surface is done.
    const CropRect region = g.zoom > 0 ? ZoomCrop(g.frameW, g.frameH, g.zoom) : CropRect{0, 0, g.frameW, g.frameH};
    if (!w->scaler.Prepare(g.frameW, g.frameH, region, g.displayW, g.displayH, CaptureState.flipVertical != 0))
        return;
    GdiFlush();
    w->scaler.Scale(w->framePixels, w->surfaceBits, size_t(g.displayW) * 4);
    if (g.zoom > 0 && w->overlay) {
        std::wstring label = L"X" + std::to_wstring(g.zoom);
        DrawLabel(*w->overlay, label.c_str(), 0, 0, g.imageW, g.imageH);
    }
    if (g.zoom == 0 && w->overlay) {
        // While the calibration line is out the picture is held centred, so the line (laid out
        // around the middle of the image) and both its ends stay in sight.
        if (w->calibLine.Active()) CentreOnImage(w);
        // The shapes are in image pixels: at another ratio they are drawn scaled to the display,
        // over the same specimen points.
        if (g.displayW == g.imageW && g.displayH == g.imageH) {
            DrawOverlay(*w->overlay, MeasurementState, MakeOverlayParams(w));
        } else {
            ScaledSurface scaled(*w->overlay, g.imageW, g.imageH, g.displayW, g.displayH);
            DrawOverlay(scaled, MeasurementState, MakeOverlayParams(w));
        }
        // An empty frame draws nothing but first flushes pending anti-aliased drawing, so the
        // copy below sees every shape.
        w->overlay->Frame(0, 0, 0, 0);
    }

    SIZE client = ClientSize(w->hwnd);
    BlitSpan x = BlitAxis(g.hBar, g.scrollX, g.displayW, client.cx);
    BlitSpan y = BlitAxis(g.vBar, g.scrollY, g.displayH, client.cy);
    BitBlt(windowDc, x.dst, y.dst, x.length, y.length, w->surfaceDc, x.src, y.src, SRCCOPY);
    if (w->areaDragging) DrawAreaBand(w, windowDc);
    ++w->composedFrames;
    if (NoteFrameShown(CaptureState.counters, stamp.sequence) && FrameTraceOn()) {
        GdiFlush();  // the trace says when the picture was handed to the screen, not queued
        TraceFrameShown(stamp, PerfNow());
    }
}

void CameraWnd::ComposeNow() {
    HDC dc = GetDC(hwnd);
    CameraCompose(this, dc);
    ReleaseDC(hwnd, dc);
}

MeasureViewInfo CameraWnd::ViewInfo() {
    MeasureViewInfo v;
    SIZE client = ClientSize(hwnd);
    v.imageW = geom.imageW;
    v.imageH = geom.imageH;
    v.clientW = client.cx;
    v.clientH = client.cy;
    v.scrollX = geom.scrollX;
    v.scrollY = geom.scrollY;
    v.ratio = geom.ratio;
    v.zoom = geom.zoom;
    v.displayW = geom.displayW;
    v.displayH = geom.displayH;
    return v;
}

// Text keeps its size at every ratio: in image pixels (the shapes' hit boxes) it is as large as
// the overlay draws it at the ratio shown now.
TextExtent CameraWnd::MeasureText(const wchar_t* text, int length) {
    TextExtent e;
    if (overlay) {
        e = overlay->MeasureText(text, length);
    } else {
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, labelFont ? static_cast<HGDIOBJ>(labelFont) : GetStockObject(DEFAULT_GUI_FONT));
        SIZE size = {};
        if (length > 0) GetTextExtentPoint32W(dc, text, length, &size);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        e.cx = size.cx;
        e.cy = size.cy;
    }
    if (geom.displayW > 0 && geom.displayH > 0 && (geom.displayW != geom.imageW || geom.displayH != geom.imageH)) {
        e.cx = int((int64_t(e.cx) * geom.imageW + geom.displayW - 1) / geom.displayW);
        e.cy = int((int64_t(e.cy) * geom.imageH + geom.displayH - 1) / geom.displayH);
    }
    return e;
}

void CameraWnd::Pan(int dx, int dy) {
    SIZE client = ClientSize(hwnd);
    if (!::Pan(geom, dx, dy, client.cx, client.cy)) return;
    SetScrollPos(hwnd, SB_HORZ, geom.scrollX, TRUE);
    SetScrollPos(hwnd, SB_VERT, geom.scrollY, TRUE);
    ComposeNow();
}

// ---- Layout, ratio, scrolling ----

// The area a fitted picture fills: the client area with the bars shown now, so that it needs
// none of them.
SIZE FitArea(CameraWnd* w) {
    SIZE client = ClientSize(w->hwnd);
    const int dpi = DpiOf(w->hwnd);
    if (w->geom.vBar) client.cx += MetricForDpi(SM_CXVSCROLL, dpi);
    if (w->geom.hBar) client.cy += MetricForDpi(SM_CYHSCROLL, dpi);
    return client;
}

// Tells the parent when the ratio the picture is shown at changed, whoever changed it (a
// measuring tool puts it to 100 %, a fitted view follows the window's size).
void ReportShownRatio(CameraWnd* w) {
    const ViewGeometry& g = w->geom;
    const int shown = g.fit && g.imageW > 0 ? MulDiv(g.displayW, 100, g.imageW) : g.ratio;
    if (shown == w->shownRatio) return;
    w->shownRatio = shown;
    if (HWND parent = GetParent(w->hwnd)) PostMessageW(parent, WMU_VIEW_RATIO, 0, 0);
}

void CameraLayout(CameraWnd* w, bool centre) {
    HWND hwnd = w->hwnd;
    ViewGeometry& g = w->geom;
    SIZE client = ClientSize(hwnd);
    const int dpi = DpiOf(hwnd);
    // The bars are drawn at the window's scale, so their sizes are taken at it too.
    const int vBarWidth = MetricForDpi(SM_CXVSCROLL, dpi), hBarHeight = MetricForDpi(SM_CYHSCROLL, dpi);
    if (centre) CentreOnImage(w);
    SIZE area = FitArea(w);
    if (g.fit && ApplyRatio(g, 0, area.cx, area.cy)) {
        FreeSurface(w);
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    if (w->cornerButton) {
        CornerButtonPlace c = CornerButtonAt(client.cx, client.cy, dpi);
        MoveWindow(w->cornerButton, c.x, c.y, c.size, c.size, TRUE);
    }

    BarLayout bars = ComputeBars(g, client.cx, client.cy, vBarWidth, hBarHeight);
    g.scrollX = ClampScroll(g.scrollX, g.displayW, bars.availW);
    g.scrollY = ClampScroll(g.scrollY, g.displayH, bars.availH);
    // The flags change before the bars do: showing or hiding a bar sends a nested WM_SIZE,
    // which must see the new state and come to the same decision.
    bool showH = bars.hNeeded != g.hBar, showV = bars.vNeeded != g.vBar;
    g.hBar = bars.hNeeded;
    g.vBar = bars.vNeeded;
    if (showH) ShowScrollBar(hwnd, SB_HORZ, g.hBar);
    if (showV) ShowScrollBar(hwnd, SB_VERT, g.vBar);
    auto setRange = [&](int bar, int display, int avail, int pos) {
        BarRange r = ScrollBarRange(display, avail, DpiOf(hwnd));
        SCROLLINFO si = {sizeof(si)};
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = r.min;
        si.nMax = r.max;
        si.nPage = UINT(r.page);
        si.nPos = pos;
        SetScrollInfo(hwnd, bar, &si, TRUE);
    };
    if (g.hBar) setRange(SB_HORZ, g.displayW, bars.availW, g.scrollX);
    if (g.vBar) setRange(SB_VERT, g.displayH, bars.availH, g.scrollY);
    ReportShownRatio(w);
}

// A new ratio keeps the picture point under the client point anchor (the pointer), or without
// one the point at the centre of the view, where it was, so that the user keeps their place
// and their shapes in sight.
void CameraSetRatio(CameraWnd* w, int r, const POINT* anchor = nullptr) {
    ViewGeometry& g = w->geom;
    const ViewGeometry before = g;
    const SIZE clientBefore = ClientSize(w->hwnd);
    SIZE area = FitArea(w);
    if (!ApplyRatio(g, r, area.cx, area.cy)) return;
    FreeSurface(w);
    CameraLayout(w, false);  // shows or hides the bars for the new size
    const SIZE client = ClientSize(w->hwnd);
    const POINT from = anchor ? *anchor : POINT{clientBefore.cx / 2, clientBefore.cy / 2};
    const POINT to = anchor ? *anchor : POINT{client.cx / 2, client.cy / 2};
    g.scrollX = AnchoredScroll({before.displayW, clientBefore.cx, before.scrollX}, from.x, {g.displayW, client.cx, 0}, to.x);
    g.scrollY = AnchoredScroll({before.displayH, clientBefore.cy, before.scrollY}, from.y, {g.displayH, client.cy, 0}, to.y);
    if (g.hBar) SetScrollPos(w->hwnd, SB_HORZ, g.scrollX, TRUE);
    if (g.vBar) SetScrollPos(w->hwnd, SB_VERT, g.scrollY, TRUE);
    // Texts cover another part of the picture now: their boxes are grabbed where they are shown.
    for (MeasureShape& shape : MeasurementState.shapes)
        if (shape.kind == kToolText) ComputeHitBoxes(shape, *w, w->textPrompt);
    InvalidateRect(w->hwnd, nullptr, FALSE);
}

// The wheel over the view: with Ctrl it zooms in the ratio steps around the point under the
// pointer; without it it scrolls (vertically, or across when the picture is only wider than
// the view, or with Shift held); a tilt wheel (horizontal) scrolls across. lp holds the
// pointer in screen coordinates.
void CameraOnWheel(CameraWnd* w, WPARAM wp, LPARAM lp, bool tilt) {
    ViewGeometry& g = w->geom;
    const int delta = GET_WHEEL_DELTA_WPARAM(wp), keys = GET_KEYSTATE_WPARAM(wp);
    if (g.displayW <= 0 || g.displayH <= 0) return;
    const SIZE client = ClientSize(w->hwnd);
    if (!tilt && (keys & MK_CONTROL)) {
        w->scrollWheel = WheelCounter{};
        const int notches = w->zoomWheel.Add(delta);
        // The digital zoom and the calibration line (made at 100 %) keep their ratio.
        if (notches == 0 || g.zoom > 0 || w->calibLine.Active()) return;
        POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ScreenToClient(w->hwnd, &p);
        const bool inside = p.x >= 0 && p.y >= 0 && p.x < client.cx && p.y < client.cy;
        CameraSetRatio(w, WheelRatio(g.ratio, notches), inside ? &p : nullptr);
        return;
    }
    w->zoomWheel = WheelCounter{};
    const bool across = tilt || (keys & MK_SHIFT) || (!g.vBar && g.hBar);
    // A notch moves as far as a page of the scroll bar; finer wheels move in proportion.
    const int step = w->scrollWheel.Add(delta * ScalePx(kScrollPageStep, DpiOf(w->hwnd)));
    int& pos = across ? g.scrollX : g.scrollY;
    const int next = across ? ClampScroll(pos + (tilt ? step : -step), g.displayW, client.cx)
                            : ClampScroll(pos - step, g.displayH, client.cy);
    if (next == pos) return;
    pos = next;
    SetScrollPos(w->hwnd, across ? SB_HORZ : SB_VERT, pos, TRUE);
    w->ComposeNow();
}

void CameraOnScroll(CameraWnd* w, int bar, WPARAM wp) {
    SIZE client = ClientSize(w->hwnd);
    bool horizontal = bar == SB_HORZ;
    int& pos = horizontal ? w->geom.scrollX : w->geom.scrollY;
    int display = horizontal ? w->geom.displayW : w->geom.displayH;
    int extent = horizontal ? client.cx : client.cy;
    // The thumb position of the message is 16 bits wide; displays stay far below that.
    int next = ScrollTo(LOWORD(wp), HIWORD(wp), pos, display, extent, DpiOf(w->hwnd));
    if (next == pos) return;
    pos = next;
    SetScrollPos(w->hwnd, bar, pos, TRUE);
    w->ComposeNow();
}

// ---- Reset and tear-down ----

void ApplyCalibration(CameraWnd* w, float ppu, int unit) {
    w->ppu = ppu;
    w->unit = unit;
    w->unitText = ppu > 0 ? UnitText(unit) : L"";
    std::string line;
    UpdateRulerStep(w->ruler, ppu, &line);
    if (!line.empty()) OutputDebugStringA(line.c_str());
}

void AreaStop(CameraWnd* w);

void CameraTearDown(CameraWnd* w) {
    if (w->areaPick) AreaStop(w);  // the picture it was for is gone
    FreeSurface(w);
    w->ppu = -1.0f;
    w->unitText.clear();
    UpdateRulerStep(w->ruler, -1.0f);
    w->framePixels = nullptr;
    ClearAll(MeasurementState);
    ViewGeometry& g = w->geom;
    g.frameW = g.frameH = g.imageW = g.imageH = g.displayW = g.displayH = 0;
    g.ratio = 100;
    g.zoom = 0;
    InvalidateRect(w->hwnd, nullptr, TRUE);
}

void CameraSetPicture(CameraWnd* w, int frameW, int frameH, int imageW, int imageH) {
    FreeSurface(w);
    w->framePixels = nullptr;
    ViewGeometry& g = w->geom;
    g.frameW = frameW;
    g.frameH = frameH < 0 ? -frameH : frameH;
    g.imageW = imageW;
    g.imageH = imageH;
    g.displayW = g.imageW;
    g.displayH = g.imageH;
    g.ratio = 100;
    g.zoom = 0;
    ApplyCalibration(w, -1.0f, 0);
    PostMessageW(w->hwnd, WM_SIZE, 0, 0);
}

void CameraResetPicture(CameraWnd* w) {
    // A camera that failed to open leaves no picture: the view keeps its no-picture screen
    // instead of an empty picture area that shapes could be drawn on.
    if (!IsDeviceOpen()) {
        CameraSetPicture(w, 0, 0, 0, 0);
        return;
    }
    CameraSetPicture(w, CaptureState.width, CaptureState.height, requestedFormat.width, requestedFormat.height);
}

// ---- Painting ----

// Why a listed camera shows no picture, in words, over whatever is drawn.
void DrawProblem(CameraWnd* w, HDC dc, SIZE client) {
    const char* key = ProblemTextKey(CurrentCameraProblem());
    if (!key) return;
    std::wstring text = GetText(key);
    if (text.empty()) return;
    HGDIOBJ oldFont = SelectObject(dc, w->noDeviceFont);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    const int dpi = DpiOf(w->hwnd), left = ScalePx(22, dpi), top = ScalePx(18, dpi);  // as the no-device text
    RECT rc = {left, top, client.cx - left, client.cy - top};
    DrawTextW(dc, text.c_str(), int(text.size()), &rc, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

void PaintNoPicture(CameraWnd* w, HDC dc, SIZE client) {
    RECT all = {0, 0, client.cx, client.cy};
    auto fill = [&](COLORREF c) {
        HBRUSH b = CreateSolidBrush(c);
        FillRect(dc, &all, b);
        DeleteObject(b);
    };
    if (!DeviceList.empty()) {
        fill(kNoPictureListed);
        DrawProblem(w, dc, client);
        return;
    }
    if (w->noDeviceArt) {
        fill(kNoPictureArt);
        BITMAP bm = {};
        GetObjectW(w->noDeviceArt, sizeof(bm), &bm);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, w->noDeviceArt);
        BitBlt(dc, (client.cx - bm.bmWidth) / 2, (client.cy - bm.bmHeight) / 2, bm.bmWidth, bm.bmHeight, mem, 0, 0,
               SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
        return;
    }
    fill(kNoPictureText);
    HGDIOBJ oldFont = SelectObject(dc, w->noDeviceFont);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    const int dpi = DpiOf(w->hwnd);
    TextOutW(dc, ScalePx(22, dpi), ScalePx(18, dpi), w->noDevicePrompt, int(wcslen(w->noDevicePrompt)));
    SelectObject(dc, oldFont);
}

void CameraOnPaint(CameraWnd* w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w->hwnd, &ps);
    SIZE client = ClientSize(w->hwnd);
    const ViewGeometry& g = w->geom;
    if (g.displayW == 0 || g.displayH == 0) {
        PaintNoPicture(w, dc, client);
    } else {
        StripSpan sx = Strips(g.displayW, client.cx), sy = Strips(g.displayH, client.cy);
        if (sx.any) {
            RECT left = {0, 0, sx.before, client.cy}, right = {sx.after, 0, client.cx, client.cy};
            FillRect(dc, &left, w->stripBrush);
            FillRect(dc, &right, w->stripBrush);
        }
        if (sy.any) {
            RECT top = {0, 0, client.cx, sy.before}, bottom = {0, sy.after, client.cx, client.cy};
            FillRect(dc, &top, w->stripBrush);
            FillRect(dc, &bottom, w->stripBrush);
        }
        if (IsDeviceOpen()) {
            CameraCompose(w, dc);
            DrawProblem(w, dc, client);
        }
    }
    EndPaint(w->hwnd, &ps);
}

// ---- Commands and input ----

// The text dialog's word arrives as a wide string; a narrow "Init"/"OK"/"Cancel" is accepted
// too (its second byte is a letter, where a wide one has 0).
void CameraOnTextInput(CameraWnd* w, LPARAM lp) {
    if (!lp) return;
    const char* bytes = reinterpret_cast<const char*>(lp);
    if (bytes[0] != 0 && bytes[1] == 0)
        TextInput(MeasurementState, *w, reinterpret_cast<const wchar_t*>(lp));
    else
        TextInput(MeasurementState, *w, bytes);
}

void ScheduleRetry(CameraWnd* w);

void CameraOnCommand(CameraWnd* w, WPARAM wp, LPARAM lp) {
    switch (LOWORD(wp)) {
    case VIEW_CMD_DEVICE_REMOVED:
        OnDeviceRemoved();
        break;
    case VIEW_CMD_OPEN_DEVICE:
        OpenLastDevice();
        ScheduleRetry(w);
        break;
    case VIEW_CMD_FULLSCREEN_BUTTON:
        SetFocus(w->hwnd);  // so that Space takes a photo instead of pressing the button again
        PostMessageW(GetParent(w->hwnd), WMU_TOGGLE_FULLSCREEN, 0, 0);
        break;
    case VIEW_CMD_DRAW_SETTINGS: {
        if (!lp) break;
        int textSize = w->drawSettings.textSize;
        if (SetDrawSettings(w->drawSettings, w->overlay.get(), reinterpret_cast<const int32_t*>(lp)))
            InvalidateRect(w->hwnd, nullptr, FALSE);
        if (!w->labelFont || textSize != w->drawSettings.textSize) {
            if (w->labelFont) DeleteObject(w->labelFont);
            w->labelFont = MakeLabelFont(w->drawSettings.textSize, DpiOf(w->hwnd));
        }
        break;
    }
    case VIEW_CMD_SELECT_TOOL:
        if (w->areaPick) AreaStop(w);  // a measuring tool takes the mouse back
        SetTool(MeasurementState, *w, int32_t(lp));
        break;
    case VIEW_CMD_SET_RATIO:
        CameraSetRatio(w, int(lp));
        break;
    case VIEW_CMD_SET_CALIBRATION: {
        if (!lp) break;
        float ppu;
        int32_t unit;
        std::memcpy(&ppu, reinterpret_cast<const void*>(lp), sizeof ppu);
        std::memcpy(&unit, reinterpret_cast<const char*>(lp) + sizeof ppu, sizeof unit);
        ApplyCalibration(w, ppu, unit);
        InvalidateRect(w->hwnd, nullptr, FALSE);
        break;
    }
    case VIEW_CMD_TEXT_INPUT:
        CameraOnTextInput(w, lp);
        break;
    }
}

// ---- White-balance area ----

void AreaStop(CameraWnd* w) {
    const bool dragging = w->areaDragging;
    w->areaPick = false;
    w->areaDragging = false;
    if (dragging && GetCapture() == w->hwnd) ReleaseCapture();
    InvalidateRect(w->hwnd, nullptr, FALSE);
}

void AreaPress(CameraWnd* w, int x, int y) {
    w->areaDragging = true;
    w->areaFrom = w->areaTo = {x, y};
    SetCapture(w->hwnd);
}

void AreaMove(CameraWnd* w, int x, int y) {
    w->areaTo = {x, y};
    w->ComposeNow();
}

void AreaRelease(CameraWnd* w) {
    const POINT from = w->areaFrom, to = w->areaTo;
    AreaStop(w);
    SIZE client = ClientSize(w->hwnd);
    FramePoint a, b;
    const bool flipped = CaptureState.flipVertical != 0;
    if (!ClientToFrame(w->geom, client.cx, client.cy, flipped, from.x, from.y, &a) ||
        !ClientToFrame(w->geom, client.cx, client.cy, flipped, to.x, to.y, &b))
        return;
    FrameArea area = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1, std::max(a.y, b.y) + 1};
    SendMessageW(GetParent(w->hwnd), WMU_NEUTRAL_AREA, 0, reinterpret_cast<LPARAM>(&area));
}

void CameraOnKeyDown(CameraWnd* w, WPARAM key) {
    if (key == VK_ESCAPE && w->areaPick) {
        AreaStop(w);
        return;
    }
    if (key == VK_SPACE)
        PostMessageW(GetParent(w->hwnd), WM_COMMAND, CMD_SNAPSHOT, 0);
    else if (key == 'F')  // focus stack: start, or stop and save
        PostMessageW(GetParent(w->hwnd), WM_COMMAND, ID_FOCUS_STACK, 0);
    else if (key == VK_ESCAPE)  // drops a focus stack, else leaves full screen
        PostMessageW(GetParent(w->hwnd), WM_COMMAND, CMD_ESCAPE, 0);
    else if (key == VK_DELETE || key == VK_BACK)
        DeleteSelected(MeasurementState, *w);
}

// Watches a running camera for usable frames: after kNoPictureTicks ticks without one the view
// says so, and takes the message back when frames come.
void WatchFrames(CameraWnd* w) {
    if (!IsDeviceOpen()) {
        w->ticksWithoutFrame = 0;
        if (CurrentCameraProblem() == CameraProblem::NoPicture) SetCameraProblem(CameraProblem::None);
        return;
    }
    uint32_t frames = CaptureState.framesPublished.load(std::memory_order_relaxed);
    if (frames != w->framesSeen) {
        w->framesSeen = frames;
        w->ticksWithoutFrame = 0;
        if (CurrentCameraProblem() == CameraProblem::NoPicture) {
            SetCameraProblem(CameraProblem::None);
            InvalidateRect(w->hwnd, nullptr, FALSE);
        }
    } else if (++w->ticksWithoutFrame == kNoPictureTicks) {
        SetCameraProblem(CameraProblem::NoPicture);
        InvalidateRect(w->hwnd, nullptr, FALSE);
    }
}

void CameraOnTimer(CameraWnd* w, UINT_PTR id) {
    if (id != kReopenTimer) return;
    WatchFrames(w);
    if (w->retryTicks > 0 && --w->retryTicks == 0) PostMessageW(w->hwnd, WM_COMMAND, VIEW_CMD_OPEN_DEVICE, 0);
    if (w->reopenCountdown == 0) return;
    w->reopenCountdown += 100;
    if (w->reopenCountdown > kReopenThreshold) {
        w->reopenCountdown = 0;
        PostMessageW(w->hwnd, WM_COMMAND, VIEW_CMD_OPEN_DEVICE, 0);
    }
}

// A camera that is busy, blocked or was lost is tried again by itself while it stays listed.
void ScheduleRetry(CameraWnd* w) {
    if (!IsDeviceOpen() && !DeviceList.empty() && ProblemRetries(CurrentCameraProblem())) {
        if (w->retryTicks == 0) w->retryTicks = kRetryTicks;
        InvalidateRect(w->hwnd, nullptr, TRUE);
    }
}

void CameraOnDeviceChange(CameraWnd* w, WPARAM wp, LPARAM lp) {
    int change = ClassifyDeviceChange(wp, lp);
    if (change > 0)
        w->reopenCountdown = 1;
    else if (change < 0)
        PostMessageW(w->hwnd, WM_COMMAND, VIEW_CMD_DEVICE_REMOVED, 0);
}

// The objects that follow the display scale: the no-device font and picture, the label font and
// the corner button's icon. Made at creation and again when the window moves to a monitor of
// another scale; the composition surface is remade too, so its label fonts follow.
void CameraMakeScaled(CameraWnd* w) {
    HWND hwnd = w->hwnd;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
    const int dpi = DpiOf(hwnd), art = ArtScaleFor(dpi);
    if (w->noDeviceFont) DeleteObject(w->noDeviceFont);
    w->noDeviceFont = CreateFontW(FontHeightAt(18, dpi), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tohoma");
    if (w->labelFont) {
        DeleteObject(w->labelFont);
        w->labelFont = MakeLabelFont(w->drawSettings.textSize, dpi);
    }
    static const int noDeviceIds[kArtScales] = {IDB_NO_DEVICE, IDB_NO_DEVICE_15X, IDB_NO_DEVICE_2X};
    if (w->noDeviceArt) DeleteObject(w->noDeviceArt);
    w->noDeviceArt = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(noDeviceIds[art]), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    SIZE client = ClientSize(hwnd);
    CornerButtonPlace corner = CornerButtonAt(client.cx, client.cy, dpi);
    HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(w->fullScreen ? IDI_FULLSCREEN_LEAVE : IDI_FULLSCREEN),
                                               IMAGE_ICON, corner.icon, corner.icon, 0));
    if (w->cornerButton && icon)
        SendMessageW(w->cornerButton, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    if (w->cornerIcon) DestroyIcon(w->cornerIcon);
    w->cornerIcon = icon;
    FreeSurface(w);
    CameraLayout(w, false);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void CameraOnCreate(CameraWnd* w) {
    HWND hwnd = w->hwnd;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
    ClearAll(MeasurementState);  // no shapes, nothing selected or hovered, no grab
    w->stripBrush = CreateSolidBrush(kStripGrey);
    InitCaptureState(hwnd);
    RegisterDeviceNotifications(hwnd);
    SetTimer(hwnd, kReopenTimer, kReopenPeriodMs, nullptr);
    w->cornerButton = CreateWindowExW(0, L"BUTTON", nullptr, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_ICON, 0, 0,
                                      0, 0, hwnd, reinterpret_cast<HMENU>(INT_PTR(kCornerButtonId)), instance,
                                      nullptr);
    w->cornerTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, instance, nullptr);
    if (w->cornerTip && w->cornerButton) {
        TTTOOLINFOW ti = {sizeof(ti)};
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = hwnd;
        ti.uId = reinterpret_cast<UINT_PTR>(w->cornerButton);
        ti.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(w->cornerTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    CameraMakeScaled(w);
}

// The corner button's tooltip asks for its text: full screen, or how to leave it.
bool CameraOnTipText(CameraWnd* w, NMHDR* hdr) {
    if (hdr->code != TTN_GETDISPINFOW || hdr->idFrom != reinterpret_cast<UINT_PTR>(w->cornerButton)) return false;
    const std::wstring tip = w->fullScreen ? WithShortcut(GetText("tip leave fullscreen"), GetText("key esc"))
                                           : GetText("tip fullscreen");
    lstrcpynW(w->cornerTipText, tip.c_str(), int(std::size(w->cornerTipText)));
    reinterpret_cast<NMTTDISPINFOW*>(hdr)->lpszText = w->cornerTipText;
    return true;
}

void CameraOnDestroy(CameraWnd* w) {
    KillTimer(w->hwnd, kReopenTimer);
    UnregisterDeviceNotifications();
    ClearDeviceList();
    CameraTearDown(w);
    CloseSession();
    CameraTearDown(w);
    DeleteCaptureLocks();
    FlushFrameTrace();
    if (CaptureState.viewWindow == w->hwnd) CaptureState.viewWindow = nullptr;
    if (w->noDeviceFont) DeleteObject(w->noDeviceFont);
    if (w->labelFont) DeleteObject(w->labelFont);
    if (w->stripBrush) DeleteObject(w->stripBrush);
    if (w->noDeviceArt) DeleteObject(w->noDeviceArt);
    if (w->cornerIcon) DestroyIcon(w->cornerIcon);
    if (w->cornerTip) DestroyWindow(w->cornerTip);
}

LRESULT CALLBACK CameraWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* created = new CameraWnd;
        created->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    CameraWnd* w = FromHwnd(hwnd);
    if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        CameraOnCreate(w);
        return 0;
    case WM_COMMAND:
        CameraOnCommand(w, wp, lp);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        if (w->areaPick)
            AreaPress(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        else
            PressAt(MeasurementState, *w, LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_MOUSEMOVE:
        if (w->areaDragging)
            AreaMove(w, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        else if (!w->areaPick)
            MoveTo(MeasurementState, *w, LOWORD(lp), HIWORD(lp), (wp & MK_LBUTTON) != 0);
        return 0;
    case WM_LBUTTONUP:
        if (w->areaDragging)
            AreaRelease(w);
        else if (!w->areaPick)
            Release(MeasurementState, *w);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hwnd) {
            if (w->areaDragging) AreaStop(w);
            CancelPress(MeasurementState, *w);
        }
        return 0;
    case WM_CANCELMODE:
        if (w->areaPick) AreaStop(w);
        CancelPress(MeasurementState, *w);
        break;  // the default handling lets go of the capture too
    case WM_SETCURSOR:
        if (w->areaPick && LOWORD(lp) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_CROSS));
            return TRUE;
        }
        break;
    case WM_KEYDOWN:
        CameraOnKeyDown(w, wp);
        return 0;
    case WM_NOTIFY:
        if (CameraOnTipText(w, reinterpret_cast<NMHDR*>(lp))) return 0;
        break;
    case WM_HSCROLL:
        CameraOnScroll(w, SB_HORZ, wp);
        return 0;
    case WM_VSCROLL:
        CameraOnScroll(w, SB_VERT, wp);
        return 0;
    case WM_MOUSEWHEEL:
        CameraOnWheel(w, wp, lp, false);
        return 0;
    case WM_MOUSEHWHEEL:
        CameraOnWheel(w, wp, lp, true);
        return 0;
    case WM_SIZE:
        CameraLayout(w, lp == 0);
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        CameraMakeScaled(w);
        return 0;
    case WM_PAINT:
        CameraOnPaint(w);
        return 0;
    case WM_TIMER:
        CameraOnTimer(w, wp);
        return 0;
    case WM_DEVICECHANGE:
        CameraOnDeviceChange(w, wp, lp);
        return TRUE;
    case WMU_GRAPH_EVENT:
        OnGraphEvent();
        ScheduleRetry(w);
        return 0;
    case WMU_CAPTURE_STOPPED:
        w->framePixels = nullptr;  // the ring it pointed into is gone
        FlushFrameTrace();
        PostMessageW(GetParent(hwnd), msg, 0, 0);
        return 0;
    case WMU_CAPTURE_STARTED:
        // The no-picture watch starts afresh with every session.
        w->framesSeen = CaptureState.framesPublished.load(std::memory_order_relaxed);
        w->ticksWithoutFrame = 0;
        w->retryTicks = 0;
        PostMessageW(GetParent(hwnd), msg, 0, 0);
        return 0;
    case WMU_STILL_READY:
    case WMU_ZOOM_BUTTON:
        PostMessageW(GetParent(hwnd), msg, 0, 0);
        return 0;
    case WM_QUERYNEWPALETTE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wp) != hwnd) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_DESTROY:
        CameraOnDestroy(w);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        FreeSurface(w);
        delete w;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterCameraWndClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = CameraWndProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    wc.lpszClassName = kCameraWndClass;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateCameraView(HWND parent, HINSTANCE instance) {
    HWND view = CreateWindowExW(0, kCameraWndClass, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_HSCROLL | WS_VSCROLL | WS_TABSTOP |
                                    WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(ID_CAMERA_VIEW)), instance,
                                nullptr);
    if (view) ShowScrollBar(view, SB_BOTH, FALSE);
    return view;
}

void CameraViewTearDown(HWND view) {
    if (CameraWnd* w = FromHwnd(view)) CameraTearDown(w);
}

void CameraViewResetPicture(HWND view) {
    if (CameraWnd* w = FromHwnd(view)) CameraResetPicture(w);
}

void CameraViewSetPictureSize(HWND view, int frameW, int frameH, int imageW, int imageH) {
    if (CameraWnd* w = FromHwnd(view)) CameraSetPicture(w, frameW, frameH, imageW, imageH);
}

void CameraViewResetZoom(HWND view) {
    if (CameraWnd* w = FromHwnd(view)) {
        w->geom.zoom = 0;
        InvalidateRect(view, nullptr, FALSE);
    }
}

void CameraViewPickArea(HWND view, bool on) {
    CameraWnd* w = FromHwnd(view);
    if (!w) return;
    if (on) {
        w->areaPick = true;
        w->areaDragging = false;
    } else if (w->areaPick) {
        AreaStop(w);
    }
}

bool CameraViewPickingArea(HWND view) {
    CameraWnd* w = FromHwnd(view);
    return w && w->areaPick;
}

void CameraViewRequestCalibrationLine(HWND view) {
    if (CameraWnd* w = FromHwnd(view)) {
        w->calibLine.length = 0;
        w->calibLine.freshRequested = true;
        InvalidateRect(view, nullptr, FALSE);
    }
}

void CameraViewSetCalibrationLength(HWND view, int length) {
    if (CameraWnd* w = FromHwnd(view)) {
        w->calibLine.length = length;
        w->calibLine.freshRequested = false;
        // Calibrating can end while an end of the line is held (OK pressed with the keyboard
        // during the drag): the drag ends with it.
        MeasurementStateData& m = MeasurementState;
        if (length == 0 && (m.tool == kToolCalibLeft || m.tool == kToolCalibRight)) {
            m.tool = kToolNone;
            m.pressActive = false;
            w->ReleaseMouse();
        }
        InvalidateRect(view, nullptr, FALSE);
    }
}

int CameraViewCalibrationLength(HWND view) {
    CameraWnd* w = FromHwnd(view);
    return w ? w->calibLine.length : 0;
}

float CameraViewPixelsPerUnit(HWND view) {
    CameraWnd* w = FromHwnd(view);
    return w ? w->ppu : -1.0f;
}

int CameraViewUnit(HWND view) {
    CameraWnd* w = FromHwnd(view);
    return w ? w->unit : 0;
}

bool CameraViewCrossline(HWND view) {
    CameraWnd* w = FromHwnd(view);
    return w && w->crossline;
}

void CameraViewSetCrossline(HWND view, bool on) {
    if (CameraWnd* w = FromHwnd(view)) {
        w->crossline = on;
        InvalidateRect(view, nullptr, FALSE);
    }
}

void CameraViewSetPendingText(HWND view, const wchar_t* text) {
    if (CameraWnd* w = FromHwnd(view)) SetPendingText(MeasurementState, *w, text);
}

void CameraViewSetPrompts(HWND view, const wchar_t* noDevice, const wchar_t* textPrompt) {
    CameraWnd* w = FromHwnd(view);
    if (!w) return;
    if (noDevice) lstrcpynW(w->noDevicePrompt, noDevice, int(kPromptChars));
    if (textPrompt) lstrcpynW(w->textPrompt, textPrompt, int(kPromptChars));
    InvalidateRect(view, nullptr, TRUE);
}

std::wstring CameraViewNoDevicePrompt(HWND view) {
    CameraWnd* w = FromHwnd(view);
    return w ? w->noDevicePrompt : L"";
}

std::wstring CameraViewTextPrompt(HWND view) {
    CameraWnd* w = FromHwnd(view);
    return w ? w->textPrompt : L"";
}

int CameraViewZoom(HWND view) {
    CameraWnd* w = FromHwnd(view);
    return w ? w->geom.zoom : 0;
}

void CameraViewStepZoom(HWND view) {
    if (CameraWnd* w = FromHwnd(view)) {
        w->geom.zoom = NextZoom(w->geom.zoom);
        InvalidateRect(view, nullptr, FALSE);
    }
}

void CameraViewDeleteLast(HWND view) {
    if (CameraWnd* w = FromHwnd(view)) DeleteLast(MeasurementState, *w);
}

void CameraViewDeleteAll(HWND view) {
    if (CameraWnd* w = FromHwnd(view)) DeleteAll(MeasurementState, *w);
}

HBITMAP CameraViewSurfaceBitmap(HWND view) {
    CameraWnd* w = FromHwnd(view);
    return w ? w->surfaceBitmap : nullptr;
}

HDC CameraViewSurfaceDc(HWND view) {
    CameraWnd* w = FromHwnd(view);
    return w && w->surfaceBitmap ? w->surfaceDc : nullptr;
}

bool CameraViewDrawShapes(HWND view, HDC dc, int width, int height) {
    CameraWnd* w = FromHwnd(view);
    if (!w || !dc || width != w->geom.imageW || height != w->geom.imageH) return false;
    GdiSurface surface(dc, w->drawSettings, DpiOf(view));
    if (!surface.Ready()) return false;
    DrawOverlay(surface, MeasurementState, MakeOverlayParams(w));
    surface.Frame(0, 0, 0, 0);  // flushes the anti-aliased drawing
    return true;
}

CameraViewInfo CameraViewGetInfo(HWND view) {
    CameraViewInfo info;
    if (CameraWnd* w = FromHwnd(view)) {
        const ViewGeometry& g = w->geom;
        info.frameW = g.frameW;
        info.frameH = g.frameH;
        info.imageW = g.imageW;
        info.imageH = g.imageH;
        info.displayW = g.displayW;
        info.displayH = g.displayH;
        info.ratio = g.ratio;
        info.fit = g.fit;
        info.zoom = g.zoom;
        info.scrollX = g.scrollX;
        info.scrollY = g.scrollY;
        info.hBar = g.hBar;
        info.vBar = g.vBar;
        info.reopenCountdown = w->reopenCountdown;
        info.composedFrames = w->composedFrames;
        info.hasSurface = w->surfaceBitmap != nullptr;
    }
    return info;
}

void CameraViewSetFullScreen(HWND view, bool fullScreen) {
    CameraWnd* w = FromHwnd(view);
    if (!w || w->fullScreen == fullScreen) return;
    w->fullScreen = fullScreen;
    CameraMakeScaled(w);  // the button's other icon
}

bool CameraViewFullScreen(HWND view) {
    CameraWnd* w = FromHwnd(view);
    return w && w->fullScreen;
}
