// ImageWndClass (see image_view_win.h): loading, the scaled cache, scroll bars, dragging and
// painting. The arithmetic is in image_view_rules.h and view/view_geometry.h.
#include "app/image_view_win.h"

#include <windowsx.h>

#include <new>
#include <string>

#include "app/dpi_win.h"
#include "app/image_view_rules.h"
#include "app/picture_check.h"
#include "app/messages.h"
#include "settings/app_settings.h"
#include "view/view_geometry.h"
#include "view/view_zoom.h"

namespace {

HBRUSH groundBrush = nullptr;  // class background and ground bands, kept for the whole process

SIZE ClientSize(HWND hwnd) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    return {rc.right, rc.bottom};
}

bool Loaded(const ImageViewState* s) { return s->pixels && s->scaledWidth > 0 && s->scaledHeight > 0; }

void DropCache(ImageViewState* s) {
    if (s->cacheDc) {
        SelectObject(s->cacheDc, s->cacheOldBitmap);
        DeleteDC(s->cacheDc);
    }
    if (s->cache) DeleteObject(s->cache);
    s->cache = nullptr;
    s->cacheDc = nullptr;
    s->cacheOldBitmap = nullptr;
}

void DropPicture(ImageViewState* s) {
    DropCache(s);
    s->pixels.reset();
    s->pixelBytes = 0;
    s->imageWidth = s->imageHeight = s->scaledWidth = s->scaledHeight = 0;
}

void SetThumb(ImageViewState* s, int bar, int pos) {
    if (s->barStyles && (bar == SB_HORZ ? s->hBarShown : s->vBarShown)) SetScrollPos(s->window, bar, pos, TRUE);
}

// Shows the bars the scaled picture needs, clamps the scroll position to the client area left
// and sets each shown bar's range.
void ImageUpdateBars(ImageViewState* s) {
    // Showing a bar, and setting a range on a hidden one, sends size messages of its own while
    // the bars are half done; the update in progress decides for them.
    if (s->updatingBars) return;
    s->updatingBars = true;
    HWND hwnd = s->window;
    SIZE client = ClientSize(hwnd);
    // The bars are drawn at the window's display scale, so their thickness is taken at it too.
    const int dpi = DpiOf(hwnd);
    ImageBars bars = ImageViewBars(s->barStyles, s->scaledWidth, s->scaledHeight, client.cx, client.cy, s->hBarShown,
                                   s->vBarShown, MetricForDpi(SM_CXVSCROLL, dpi), MetricForDpi(SM_CYHSCROLL, dpi));
    s->scrollX = ClampScroll(s->scrollX, s->scaledWidth, bars.clientW);
    s->scrollY = ClampScroll(s->scrollY, s->scaledHeight, bars.clientH);
    if (!s->barStyles) {
        s->hBarShown = s->vBarShown = 0;
        ShowScrollBar(hwnd, SB_BOTH, FALSE);
        s->updatingBars = false;
        return;
    }
    bool showH = bars.hBar != bool(s->hBarShown), showV = bars.vBar != bool(s->vBarShown);
    s->hBarShown = bars.hBar;
    s->vBarShown = bars.vBar;
    if (showH) ShowScrollBar(hwnd, SB_HORZ, bars.hBar);
    if (showV) ShowScrollBar(hwnd, SB_VERT, bars.vBar);
    auto setRange = [&](int bar, int scaled, int client, int pos) {
        BarRange r = ScrollBarRange(scaled, client, DpiOf(hwnd));
        SCROLLINFO si = {sizeof(si)};
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = r.min;
        si.nMax = r.max;
        si.nPage = UINT(r.page);
        si.nPos = pos;
        SetScrollInfo(hwnd, bar, &si, TRUE);
    };
    if (s->hBarShown) setRange(SB_HORZ, s->scaledWidth, bars.clientW, s->scrollX);
    if (s->vBarShown) setRange(SB_VERT, s->scaledHeight, bars.clientH, s->scrollY);
    s->updatingBars = false;
}

void ImageLoad(ImageViewState* s, const wchar_t* path) {
    HWND hwnd = s->window;
    DropPicture(s);
    ImageSource source = ImageSourceFor(path ? path : L"", [](const std::wstring& file) -> int64_t {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return -1;
        return int64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    });
    s->videoBadge = source.videoBadge;
    DecodedPicture picture;
    s->lastLoad = source.file.empty() ? PictureLoad::Unreadable : LoadPictureFile(source.file.c_str(), picture);
    if (s->lastLoad != PictureLoad::Ok) {
        ImageUpdateBars(s);
        InvalidateRect(hwnd, nullptr, TRUE);
        return;
    }
    s->imageWidth = picture.width;
    s->imageHeight = picture.height;
    s->pixels = std::move(picture.rows);
    s->pixelBytes = picture.size;
    BITMAPINFOHEADER& h = s->pixelHeader;
    h = {};
    h.biSize = sizeof(h);
    h.biWidth = s->imageWidth;
    h.biHeight = s->imageHeight;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(s->pixelBytes);
    s->scaledWidth = ScaledExtent(s->imageWidth, s->scale);
    s->scaledHeight = ScaledExtent(s->imageHeight, s->scale);
    ImageUpdateBars(s);
    SIZE client = ClientSize(hwnd);
    s->scrollX = CentredScroll(s->scaledWidth, client.cx);
    s->scrollY = CentredScroll(s->scaledHeight, client.cy);
    SetThumb(s, SB_HORZ, s->scrollX);
    SetThumb(s, SB_VERT, s->scrollY);
    InvalidateRect(hwnd, nullptr, FALSE);
}

// A new scale keeps the picture point at the centre of the view where it was.
void ImageSetScale(ImageViewState* s, int scale) {
    const SIZE before = ClientSize(s->window);
    const ZoomAxis fromX{s->scaledWidth, before.cx, s->scrollX}, fromY{s->scaledHeight, before.cy, s->scrollY};
    s->scale = scale;
    s->scaledWidth = ScaledExtent(s->imageWidth, scale);
    s->scaledHeight = ScaledExtent(s->imageHeight, scale);
    DropCache(s);
    ImageUpdateBars(s);
    const SIZE after = ClientSize(s->window);
    s->scrollX = AnchoredScroll(fromX, before.cx / 2, {s->scaledWidth, after.cx, 0}, after.cx / 2);
    s->scrollY = AnchoredScroll(fromY, before.cy / 2, {s->scaledHeight, after.cy, 0}, after.cy / 2);
    SetThumb(s, SB_HORZ, s->scrollX);
    SetThumb(s, SB_VERT, s->scrollY);
    InvalidateRect(s->window, nullptr, TRUE);
}

// The picture at the scaled size: copied at 100, shrunk by deleting rows and columns (no
// smoothing), enlarged with the default stretching; the play triangle on a video's cover, at the
// display scale (the picture's own pixels are not scaled with the display).
// Enlarging is bounded like decoding: a cache above the picture limit is not made (the view
// then shows its ground), rather than a bitmap of gigabytes.
void BuildCache(ImageViewState* s) {
    if (int64_t(s->scaledWidth) * s->scaledHeight > kMaxPicturePixels) return;
    HDC screen = GetDC(nullptr);
    s->cache = CreateCompatibleBitmap(screen, s->scaledWidth, s->scaledHeight);
    s->cacheDc = s->cache ? CreateCompatibleDC(screen) : nullptr;
    ReleaseDC(nullptr, screen);
    if (!s->cacheDc) {
        DropCache(s);
        return;
    }
    s->cacheOldBitmap = SelectObject(s->cacheDc, s->cache);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(&s->pixelHeader);
    if (s->scaledWidth < s->imageWidth || s->scaledHeight < s->imageHeight) SetStretchBltMode(s->cacheDc, COLORONCOLOR);
    StretchDIBits(s->cacheDc, 0, 0, s->scaledWidth, s->scaledHeight, 0, 0, s->imageWidth, s->imageHeight,
                  s->pixels.get(), info, DIB_RGB_COLORS, SRCCOPY);
    if (s->videoBadge) {
        PlayBadge badge = PlayBadgeAt(s->scaledWidth, s->scaledHeight, DpiOf(s->window));
        POINT corners[3];
        for (int i = 0; i < 3; ++i) corners[i] = {badge.corners[i].x, badge.corners[i].y};
        HBRUSH fill = CreateSolidBrush(kImageBadgeFill);
        HGDIOBJ oldBrush = SelectObject(s->cacheDc, fill);
        HGDIOBJ oldPen = SelectObject(s->cacheDc, GetStockObject(WHITE_PEN));
        Polygon(s->cacheDc, corners, 3);
        SelectObject(s->cacheDc, oldPen);
        SelectObject(s->cacheDc, oldBrush);
        DeleteObject(fill);
    }
}

void FillGround(HDC hdc, int left, int top, int right, int bottom) {
    RECT r = {left, top, right, bottom};
    FillRect(hdc, &r, groundBrush);
}

void ImageDraw(ImageViewState* s, HDC hdc) {
    SIZE c = ClientSize(s->window);
    if (Loaded(s) && !s->cache) BuildCache(s);
    if (!Loaded(s) || !s->cache) {
        FillGround(hdc, 0, 0, c.cx, c.cy);
        return;
    }
    StripSpan sx = Strips(s->scaledWidth, c.cx), sy = Strips(s->scaledHeight, c.cy);
    if (sx.any) {
        FillGround(hdc, 0, 0, sx.before, c.cy);
        FillGround(hdc, sx.after, 0, c.cx, c.cy);
    }
    if (sy.any) {
        FillGround(hdc, 0, 0, c.cx, sy.before);
        FillGround(hdc, 0, sy.after, c.cx, c.cy);
    }
    BlitSpan bx = BlitAxis(s->hBarShown || c.cx < s->scaledWidth, s->scrollX, s->scaledWidth, c.cx);
    BlitSpan by = BlitAxis(s->vBarShown || c.cy < s->scaledHeight, s->scrollY, s->scaledHeight, c.cy);
    BitBlt(hdc, bx.dst, by.dst, bx.length, by.length, s->cacheDc, bx.src, by.src, SRCCOPY);
}

void ImageDrawNow(ImageViewState* s) {
    HDC hdc = GetDC(s->window);
    ImageDraw(s, hdc);
    ReleaseDC(s->window, hdc);
}

void ImageOnPaint(ImageViewState* s) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(s->window, &ps);
    ImageDraw(s, hdc);
    EndPaint(s->window, &ps);
}

void ImageOnScroll(ImageViewState* s, int bar, WPARAM wp) {
    SIZE c = ClientSize(s->window);
    bool horizontal = bar == SB_HORZ;
    int& pos = horizontal ? s->scrollX : s->scrollY;
    int scaled = horizontal ? s->scaledWidth : s->scaledHeight;
    int client = horizontal ? c.cx : c.cy;
    // The tracking position from the bar itself: the message carries only 16 bits of it.
    SCROLLINFO si = {sizeof(si)};
    si.fMask = SIF_TRACKPOS;
    int thumb = GetScrollInfo(s->window, bar, &si) ? si.nTrackPos : int(HIWORD(wp));
    int next = ScrollTo(LOWORD(wp), thumb, pos, scaled, client, DpiOf(s->window));
    if (next == pos) return;
    pos = next;
    SetScrollPos(s->window, bar, pos, TRUE);
    ImageDrawNow(s);
}

void ImageOnPress(ImageViewState* s, LPARAM lp, WPARAM clickKind) {
    s->dragging = 1;
    s->lastX = GET_X_LPARAM(lp);
    s->lastY = GET_Y_LPARAM(lp);
    SetFocus(s->window);
    if (HWND parent = GetParent(s->window))
        PostMessageW(parent, WMU_IMAGE_CLICK, clickKind, GetDlgCtrlID(s->window));
}

void ImageOnMouseMove(ImageViewState* s, WPARAM wp, LPARAM lp) {
    if (!s->dragging || !(wp & MK_LBUTTON)) return;
    int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    if (x == s->lastX && y == s->lastY) return;
    SIZE c = ClientSize(s->window);
    if (PanImage(s->scrollX, s->scrollY, x - s->lastX, y - s->lastY, s->scaledWidth, s->scaledHeight, c.cx, c.cy)) {
        SetThumb(s, SB_HORZ, s->scrollX);
        SetThumb(s, SB_VERT, s->scrollY);
        ImageDrawNow(s);
    }
    s->lastX = x;
    s->lastY = y;
}

void ImageOnRelease(ImageViewState* s) {
    s->dragging = 0;
    if (GetCapture() == s->window) ReleaseCapture();
    InvalidateRect(s->window, nullptr, FALSE);
}

LRESULT CALLBACK ImageWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* created = new (std::nothrow) ImageViewState();
        if (!created) return FALSE;
        created->window = hwnd;
        created->barStyles = (reinterpret_cast<CREATESTRUCTW*>(lp)->style & (WS_HSCROLL | WS_VSCROLL)) != 0;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* s = reinterpret_cast<ImageViewState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        // Bars are shown only when a picture needs them; the styles alone show them at creation.
        ShowScrollBar(hwnd, SB_BOTH, FALSE);
        ImageUpdateBars(s);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == IMAGE_CMD_LOAD) ImageLoad(s, reinterpret_cast<const wchar_t*>(lp));
        else if (LOWORD(wp) == IMAGE_CMD_SET_SCALE) ImageSetScale(s, int(lp));
        return 0;
    case WM_SIZE:
        ImageUpdateBars(s);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        // Another display scale: the play triangle is drawn again at its size, and the bars
        // are decided with their new thickness.
        DropCache(s);
        ImageUpdateBars(s);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_HSCROLL:
        ImageOnScroll(s, SB_HORZ, wp);
        return 0;
    case WM_VSCROLL:
        ImageOnScroll(s, SB_VERT, wp);
        return 0;
    case WM_LBUTTONDOWN:
        ImageOnPress(s, lp, 0);
        return 0;
    case WM_LBUTTONDBLCLK:
        ImageOnPress(s, lp, 1);
        return 0;
    case WM_MOUSEMOVE:
        ImageOnMouseMove(s, wp, lp);
        return 0;
    case WM_LBUTTONUP:
        ImageOnRelease(s);
        return 0;
    case WM_PAINT:
        ImageOnPaint(s);
        return 0;
    case WM_PRINTCLIENT:
        ImageDraw(s, reinterpret_cast<HDC>(wp));
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DropPicture(s);
        delete s;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterImageWndClass(HINSTANCE instance) {
    if (!groundBrush) groundBrush = CreateSolidBrush(kImageGround);
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = ImageWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = groundBrush;
    wc.lpszClassName = kImageWndClass;
    return RegisterClassExW(&wc) != 0;
}
