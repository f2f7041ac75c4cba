// The live mosaic's window (see mosaic_window_win.h). The mosaic is drawn into a picture of the
// view's size kept between paints; after each step of the worker only the part of it the placed
// frames changed is drawn again, unless the fitted view had to grow. Each paint copies that
// picture into a back buffer, outlines the field there and copies it to the window.
#include "media/mosaic_window_win.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "media/photo_commands_win.h"
#include "media/photo_paths.h"
#include "media/photo_saver_win.h"
#include "media/record_rules.h"  // FillIn
#include "resources/resource.h"
#include "settings/app_settings.h"
#include "settings/text_table.h"
#include "view/calibration_workflow.h"
#include "view/camera_view_win.h"
#include "view/dib_rows.h"

namespace {

constexpr int kBarHeight = 40;     // status line and button, at 96 dpi
constexpr int kButtonWidth = 140, kButtonHeight = 28;
constexpr int kJpegLargestSide = 65500;
const uint8_t kGround[3] = {40, 36, 33};  // around the mosaic (blue, green, red)
constexpr COLORREF kBarBack = RGB(32, 33, 38), kBarText = RGB(220, 220, 226);

struct MosaicWnd {
    HWND hwnd = nullptr;
    HWND stop = nullptr;
    HFONT font = nullptr;
    int fontDpi = 0;
    // The mosaic drawn at the view's size (top-down 24-bit DIB section) and the back buffer a
    // paint composes the outline in.
    HBITMAP cache = nullptr;
    uint8_t* cacheBits = nullptr;
    int viewW = 0, viewH = 0;
    HBITMAP back = nullptr;
    MosaicViewport viewport;
    bool fitted = true;
    MosaicStatus status;
    PhotoScale scale;        // the frames' pixel size, kept while the camera shows the mosaic's size
    bool notSaved = false;   // a save failed: the mosaic is kept for another try
    bool settled = false;    // saved, or given up by the user: nothing to save when the window goes
    bool dragging = false;
    POINT last = {};
};

HWND gWindow = nullptr;

MosaicWnd* StateOf(HWND hwnd) { return reinterpret_cast<MosaicWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

int BarHeight(HWND hwnd) { return ScalePx(kBarHeight, DpiOf(hwnd)); }

void ShowToast(const std::wstring& text) {
    if (ShellState.mainWnd) ShowPrompt(ShellState.mainWnd, text.c_str(), 0, ShellState.toolbarHeight + 1);
}

std::wstring Size(const std::wstring& pattern, int w, int h) {
    return FillIn(FillIn(pattern, L"%w", std::to_wstring(w)), L"%h", std::to_wstring(h));
}

std::wstring StatusText(const MosaicWnd* w) {
    const MosaicStatus& s = w->status;
    std::wstring placed;
    if (s.placed > 0)
        placed = Size(FillIn(GetText("mosaic placed"), L"%d", std::to_wstring(s.placed)), s.bounds.Width(), s.bounds.Height());
    std::wstring condition;
    if (w->notSaved)
        condition = GetText("mosaic not saved");
    else if (s.noCamera)
        condition = GetText("mosaic no camera");
    else if (s.otherSize)
        condition = Size(GetText("mosaic other size"), s.frameWidth, s.frameHeight);
    else if (s.placed == 0)
        condition = GetText("mosaic start");
    else if (s.state == MosaicState::Full)
        condition = GetText("mosaic full");
    else if (s.state == MosaicState::Lost)
        condition = GetText("mosaic lost");
    if (placed.empty()) return condition;
    return condition.empty() ? placed : placed + L"  \u00B7  " + condition;
}

bool Warning(const MosaicStatus& s) {
    return s.placed > 0 && (s.state == MosaicState::Lost || s.state == MosaicState::Full);
}

// The field's outline in client coordinates.
RECT Outline(const MosaicViewport& v, const MosaicStatus& s) {
    double c[4];
    ViewCorners(v, s.fieldX, s.fieldY, s.fieldX + s.frameWidth, s.fieldY + s.frameHeight, c);
    return {LONG(std::floor(c[0])), LONG(std::floor(c[1])), LONG(std::ceil(c[2])), LONG(std::ceil(c[3]))};
}

void Redraw(MosaicWnd* w, const ViewPixels& part) {
    if (!w->cacheBits || part.Empty()) return;
    MosaicReading reading;
    const MosaicCanvas* canvas = reading.Canvas();
    if (!canvas) return;
    RenderMosaic(*canvas, w->viewport, w->cacheBits, DibRowBytes(w->viewW), w->viewW, w->viewH, part, kGround);
}

void RedrawAll(MosaicWnd* w) {
    Redraw(w, {0, 0, w->viewW, w->viewH});
    InvalidateRect(w->hwnd, nullptr, FALSE);
}

void FreeBuffers(MosaicWnd* w) {
    if (w->cache) DeleteObject(w->cache);
    if (w->back) DeleteObject(w->back);
    w->cache = w->back = nullptr;
    w->cacheBits = nullptr;
    w->viewW = w->viewH = 0;
}

void MosaicOnSize(MosaicWnd* w) {
    RECT rc;
    GetClientRect(w->hwnd, &rc);
    const int dpi = DpiOf(w->hwnd), bar = BarHeight(w->hwnd);
    const int vw = std::max(1, int(rc.right)), vh = std::max(1, int(rc.bottom) - bar);
    if (w->stop) {
        const int bw = ScalePx(kButtonWidth, dpi), bh = ScalePx(kButtonHeight, dpi), pad = ScalePx(8, dpi);
        MoveWindow(w->stop, rc.right - bw - pad, vh + (bar - bh) / 2, bw, bh, TRUE);
    }
    if (vw == w->viewW && vh == w->viewH) return;
    FreeBuffers(w);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = vw;
    bi.bmiHeader.biHeight = -vh;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    w->cache = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC screen = GetDC(w->hwnd);
    w->back = CreateCompatibleBitmap(screen, vw, vh);
    ReleaseDC(w->hwnd, screen);
    if (!w->cache || !bits || !w->back) {  // nothing to draw into: the window shows its ground
        FreeBuffers(w);
        return;
    }
    w->cacheBits = static_cast<uint8_t*>(bits);
    w->viewW = vw;
    w->viewH = vh;
    if (w->fitted) w->viewport = FitViewport(w->status.bounds, vw, vh, 0.04);
    RedrawAll(w);
}

// The frames' pixel size from the calibration applied to the view while the camera shows frames
// of the mosaic's size. The last one applied stays: a camera that restarts (which takes the
// calibration off the view) leaves the frames' size as it was.
void KeepScale(MosaicWnd* w) {
    if (!IsDeviceOpen() || !ShellState.cameraView || CaptureState.width != w->status.frameWidth ||
        CaptureState.height != w->status.frameHeight)
        return;
    const CameraViewInfo info = CameraViewGetInfo(ShellState.cameraView);
    PhotoScale scale = ViewPhotoScale(CameraViewPixelsPerUnit(ShellState.cameraView), info.imageW, info.imageH,
                                      info.frameW, info.frameH, w->status.frameWidth, w->status.frameHeight, 0);
    if (!HasScale(scale)) return;
    scale.unit = CameraViewUnit(ShellState.cameraView);
    scale.name = AppliedCalibrationName();
    w->scale = scale;
}

void MosaicOnStep(MosaicWnd* w) {
    MosaicRect changed;
    const MosaicStatus before = w->status;
    w->status = TakeMosaicStep(&changed);
    KeepScale(w);
    if (w->fitted && w->viewW > 0) {
        const MosaicViewport v = FollowGrowth(w->viewport, w->status.bounds, w->viewW, w->viewH);
        if (v.scale != w->viewport.scale || v.x != w->viewport.x || v.y != w->viewport.y) {
            w->viewport = v;
            RedrawAll(w);
            return;
        }
    }
    Redraw(w, ViewOf(w->viewport, changed, w->viewW, w->viewH));
    // The picture where it changed, and the old and the new outline with the label around them.
    const int margin = ScalePx(40, DpiOf(w->hwnd));
    auto invalidate = [&](const MosaicStatus& s) {
        if (s.placed == 0) return;
        RECT r = Outline(w->viewport, s);
        InflateRect(&r, margin, margin);
        r.top -= margin;
        InvalidateRect(w->hwnd, &r, FALSE);
    };
    invalidate(before);
    invalidate(w->status);
    const ViewPixels p = ViewOf(w->viewport, changed, w->viewW, w->viewH);
    if (!p.Empty()) {
        const RECT r = {p.x0, p.y0, p.x1, p.y1};
        InvalidateRect(w->hwnd, &r, FALSE);
    }
    RECT bar;
    GetClientRect(w->hwnd, &bar);
    bar.top = w->viewH;
    InvalidateRect(w->hwnd, &bar, FALSE);
}

void DrawOutline(MosaicWnd* w, HDC dc) {
    if (w->status.placed == 0) return;
    const int dpi = DpiOf(w->hwnd);
    const bool warning = Warning(w->status);
    const COLORREF colour = warning ? kMosaicWarningColour : kMosaicTrackingColour;
    HPEN pen = CreatePen(PS_SOLID, ScalePx(2, dpi), colour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const RECT r = Outline(w->viewport, w->status);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    if (w->status.state != MosaicState::Lost) return;  // a full mosaic says so in the status line
    // "move slower" above the outline (below its top edge when there is no room), on a dark backing.
    const std::wstring text = GetText("move slower");
    HGDIOBJ oldFont = SelectObject(dc, w->font);
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
    const int pad = ScalePx(4, dpi);
    int x = std::max(0, std::min(int(r.left), w->viewW - int(extent.cx) - 2 * pad));
    int y = r.top - extent.cy - 2 * pad - ScalePx(2, dpi);
    if (y < 0) y = std::max(0, int(r.top) + ScalePx(4, dpi));
    const RECT label = {x, y, x + extent.cx + 2 * pad, y + extent.cy + 2 * pad};
    SetBkColor(dc, RGB(20, 20, 24));
    SetTextColor(dc, colour);
    ExtTextOutW(dc, x + pad, y + pad, ETO_OPAQUE, &label, text.c_str(), UINT(text.size()), nullptr);
    SelectObject(dc, oldFont);
}

void MakeFont(MosaicWnd* w) {
    const int dpi = DpiOf(w->hwnd);
    if (w->font && w->fontDpi == dpi) return;
    if (w->font) DeleteObject(w->font);
    LOGFONTW lf = {};
    lf.lfHeight = FontHeightAt(9, dpi);
    lstrcpynW(lf.lfFaceName, L"Segoe UI", LF_FACESIZE);
    w->font = CreateFontIndirectW(&lf);
    w->fontDpi = dpi;
    if (w->stop) SendMessageW(w->stop, WM_SETFONT, WPARAM(w->font), TRUE);
}

void MosaicOnPaint(MosaicWnd* w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w->hwnd, &ps);
    RECT rc;
    GetClientRect(w->hwnd, &rc);
    MakeFont(w);
    if (w->cache && w->back) {
        HDC cacheDc = CreateCompatibleDC(dc), backDc = CreateCompatibleDC(dc);
        HGDIOBJ oldCache = SelectObject(cacheDc, w->cache), oldBack = SelectObject(backDc, w->back);
        BitBlt(backDc, 0, 0, w->viewW, w->viewH, cacheDc, 0, 0, SRCCOPY);
        DrawOutline(w, backDc);
        BitBlt(dc, 0, 0, w->viewW, w->viewH, backDc, 0, 0, SRCCOPY);
        SelectObject(cacheDc, oldCache);
        SelectObject(backDc, oldBack);
        DeleteDC(cacheDc);
        DeleteDC(backDc);
    }
    RECT bar = rc;
    bar.top = w->viewH;
    SetBkColor(dc, kBarBack);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &bar, nullptr, 0, nullptr);
    RECT text = bar;
    text.left += ScalePx(10, DpiOf(w->hwnd));
    text.right -= ScalePx(kButtonWidth + 16, DpiOf(w->hwnd));
    HGDIOBJ oldFont = SelectObject(dc, w->font);
    SetTextColor(dc, Warning(w->status) || w->notSaved ? kMosaicWarningColour : kBarText);
    const std::wstring status = StatusText(w);
    DrawTextW(dc, status.c_str(), int(status.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
    EndPaint(w->hwnd, &ps);
}

// The mosaic as a photo: in the photo format, except that a mosaic too large for JPEG is saved as
// TIFF (and the toast says so).
bool SaveMosaic(MosaicWnd* w) {
    MosaicReading reading;
    const MosaicCanvas* canvas = reading.Canvas();
    if (!canvas || canvas->Bounds().Empty()) return false;
    const MosaicRect b = canvas->Bounds();
    std::wstring extension = PhotoExtension(AppSettings.jpgPng), note;
    if (extension == L"jpg" && (b.Width() > kJpegLargestSide || b.Height() > kJpegLargestSide)) {
        extension = L"tif";
        note = GetText("mosaic as tiff");
    }
    PhotoPicture picture;
    if (!MakePhotoPicture(b.Width(), b.Height(), &picture)) return false;
    canvas->ReadBgr(0, b.x0, b.y0, b.Width(), b.Height(), picture.bits, size_t(picture.stride));
    picture.scale = w->scale;
    AddScaleBar(&picture);
    return !SavePicturePhoto(picture, extension, LocalMediaTime(), note).empty();
}

// Stop and save: the worker stopped, the mosaic saved and the window closed; a mosaic that
// could not be saved is kept, and the window says so.
void MosaicOnStop(MosaicWnd* w) {
    StopMosaicRun();
    MosaicRect changed;
    w->status = TakeMosaicStep(&changed);
    if (w->status.placed == 0) {
        w->settled = true;
        ShowToast(GetText("mosaic nothing"));
        DestroyWindow(w->hwnd);
        return;
    }
    if (SaveMosaic(w)) {
        w->settled = true;
        DestroyWindow(w->hwnd);
        return;
    }
    w->notSaved = true;
    InvalidateRect(w->hwnd, nullptr, FALSE);
}

void MosaicOnClose(MosaicWnd* w) {
    MosaicRect changed;
    w->status = TakeMosaicStep(&changed);
    if (w->status.placed == 0) {
        w->settled = true;
        DestroyWindow(w->hwnd);
        return;
    }
    const int answer = MessageBoxW(w->hwnd, GetText("mosaic save ask").c_str(), GetText("mosaic title").c_str(),
                                   MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) {
        MosaicOnStop(w);
    } else if (answer == IDNO) {
        w->settled = true;
        DestroyWindow(w->hwnd);
    }
}

void MosaicOnDestroy(MosaicWnd* w) {
    // Closing the program (the owner takes this window with it) loses nothing: the mosaic is saved.
    if (!w->settled && MosaicRunExists()) {
        StopMosaicRun();
        MosaicRect changed;
        w->status = TakeMosaicStep(&changed);
        if (w->status.placed > 0) SaveMosaic(w);
    }
    EndMosaicRun();
}

void Zoom(MosaicWnd* w, int x, int y, double factor) {
    if (w->status.bounds.Empty() || w->viewW <= 0) return;
    w->viewport = ZoomViewport(w->viewport, w->status.bounds, w->viewW, w->viewH, x, y, factor);
    w->fitted = false;
    RedrawAll(w);
}

LRESULT CALLBACK MosaicProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* created = static_cast<MosaicWnd*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        created->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    MosaicWnd* w = StateOf(hwnd);
    if (!w) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        w->stop = CreateWindowExW(0, L"BUTTON", GetText("mosaic stop").c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                                  BS_PUSHBUTTON, 0, 0, 10, 10, hwnd, HMENU(INT_PTR(kMosaicStopButton)), nullptr, nullptr);
        MakeFont(w);
        return 0;
    case WM_SIZE:
        MosaicOnSize(w);
        return 0;
    case WM_PAINT:
        MosaicOnPaint(w);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WMU_MOSAIC_STEP:
        MosaicOnStep(w);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == kMosaicStopButton) MosaicOnStop(w);
        return 0;
    case WM_MOUSEWHEEL: {
        POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ScreenToClient(hwnd, &p);
        Zoom(w, p.x, p.y, GET_WHEEL_DELTA_WPARAM(wp) > 0 ? 1.25 : 0.8);
        return 0;
    }
    case WM_LBUTTONDOWN:
        w->dragging = true;
        w->last = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        SetCapture(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        if (w->dragging && (wp & MK_LBUTTON) && w->viewport.scale > 0) {
            const POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (p.x == w->last.x && p.y == w->last.y) return 0;
            w->viewport.x -= (p.x - w->last.x) / w->viewport.scale;
            w->viewport.y -= (p.y - w->last.y) / w->viewport.scale;
            w->last = p;
            w->fitted = false;
            RedrawAll(w);
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (w->dragging) {
            w->dragging = false;
            if (msg == WM_LBUTTONUP) ReleaseCapture();
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        w->fitted = true;
        w->viewport = FitViewport(w->status.bounds, w->viewW, w->viewH, 0.04);
        RedrawAll(w);
        return 0;
    case WM_DPICHANGED: {
        const RECT* r = reinterpret_cast<const RECT*>(lp);
        SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
        MakeFont(w);
        return 0;
    }
    case WM_CLOSE:
        MosaicOnClose(w);
        return 0;
    case WM_DESTROY:
        MosaicOnDestroy(w);
        return 0;
    case WM_NCDESTROY:
        if (gWindow == hwnd) gWindow = nullptr;
        FreeBuffers(w);
        if (w->font) DeleteObject(w->font);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete w;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterMosaicWndClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = MosaicProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.lpszClassName = kMosaicWndClass;
    return RegisterClassExW(&wc) != 0;
}

HWND MosaicWindow() { return gWindow; }

void CloseMosaicForExit() {
    if (gWindow) DestroyWindow(gWindow);  // its destruction saves the mosaic
}

void MosaicCommand(HWND owner) {
    if (gWindow) {
        if (IsIconic(gWindow)) ShowWindow(gWindow, SW_RESTORE);
        SetForegroundWindow(gWindow);
        return;
    }
    if (!IsDeviceOpen() || CaptureState.width <= 0) {
        ShowToast(GetText("mosaic needs camera"));
        return;
    }
    // Two thirds of the owner's monitor, centred on the owner.
    MONITORINFO mi = {sizeof(mi)};
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &mi);
    RECT work = mi.rcWork, o;
    GetWindowRect(owner, &o);
    const int ww = (work.right - work.left) * 2 / 3, wh = (work.bottom - work.top) * 2 / 3;
    const int x = std::max(int(work.left), int(o.left + o.right - ww) / 2);
    const int y = std::max(int(work.top), int(o.top + o.bottom - wh) / 2);
    auto* state = new MosaicWnd;
    HWND hwnd = CreateWindowExW(0, kMosaicWndClass, GetText("mosaic title").c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                x, y, ww, wh, owner, nullptr, ShellState.instance, state);
    if (!hwnd) {
        delete state;
        return;
    }
    if (!StartMosaicRun(hwnd)) {
        DestroyWindow(hwnd);
        ShowToast(GetText("mosaic needs camera"));
        return;
    }
    gWindow = hwnd;
    MosaicRect changed;
    state->status = TakeMosaicStep(&changed);
    KeepScale(state);
    ShowWindow(hwnd, SW_SHOW);
}

MosaicWindowInfo GetMosaicWindowInfo() {
    MosaicWindowInfo info;
    MosaicWnd* w = gWindow ? StateOf(gWindow) : nullptr;
    if (!w) return info;
    info.status = w->status;
    info.viewport = w->viewport;
    info.fitted = w->fitted;
    info.warning = Warning(w->status);
    info.outline = Outline(w->viewport, w->status);
    info.statusText = StatusText(w);
    return info;
}
