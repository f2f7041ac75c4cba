// zToolButtonWndClass: one icon button of a toolbar. It paints from a back buffer, blends the
// green veil for hover/press/checked, tracks the mouse with capture so leaving is noticed, and
// posts WM_COMMAND(id) to its toolbar for a press and release inside it.
#include "app/tool_button_win.h"

#include <windowsx.h>

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "resources/resource.h"

namespace {

// The shared artwork, loaded once per scale and kept for the whole run (user-interface thread
// only): the strips at 1x, 1.5x and 2x and the green veil.
struct ToolStripData {
    HBITMAP strip[kArtScales] = {};
    HDC stripDC[kArtScales] = {};
    bool tried[kArtScales] = {};
    HBITMAP veil = nullptr;
    HDC veilDC = nullptr;
    int veilSide = 0;
};
ToolStripData ToolStrip;

HDC LoadStrip(HINSTANCE instance, int art) {
    static const int ids[kArtScales] = {IDB_TOOL_ART, IDB_TOOL_ART_15X, IDB_TOOL_ART_2X};
    if (ToolStrip.stripDC[art] || ToolStrip.tried[art]) return ToolStrip.stripDC[art];
    ToolStrip.tried[art] = true;
    auto* strip = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(ids[art]), IMAGE_BITMAP, 0, 0, 0));
    if (!strip) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        DeleteObject(strip);
        return nullptr;
    }
    SelectObject(dc, strip);  // kept selected for the whole run
    ToolStrip.strip[art] = strip;
    ToolStrip.stripDC[art] = dc;
    return dc;
}

HINSTANCE ProgramInstance();

COLORREF toolButtonBackground = RGB(21, 21, 25);

// The state record a window took over in WM_NCCREATE; from then on the window frees it.
ToolButtonState* adoptedState = nullptr;

void ToolButtonFreeBackBuffer(ToolButtonState* s) {
    if (!s->backDC) return;
    SelectObject(s->backDC, s->backOld);
    DeleteObject(s->backBitmap);
    DeleteDC(s->backDC);
    s->backDC = nullptr;
    s->backBitmap = nullptr;
}

void ToolButtonMakeBackBuffer(HWND hwnd, ToolButtonState* s) {
    ToolButtonFreeBackBuffer(s);
    HDC screen = GetDC(hwnd);
    s->backDC = CreateCompatibleDC(screen);
    s->backBitmap = CreateCompatibleBitmap(screen, s->width, s->height);
    ReleaseDC(hwnd, screen);
    if (!s->backDC || !s->backBitmap) {
        if (s->backBitmap) DeleteObject(s->backBitmap);
        if (s->backDC) DeleteDC(s->backDC);
        s->backDC = nullptr;
        s->backBitmap = nullptr;
        return;
    }
    s->backOld = SelectObject(s->backDC, s->backBitmap);
}

void ToolButtonDraw(ToolButtonState* s) {
    if (!s->backDC) return;
    RECT rc = {0, 0, s->width, s->height};
    HBRUSH ground = CreateSolidBrush(toolButtonBackground);
    FillRect(s->backDC, &rc, ground);
    DeleteObject(ground);
    // The picture at its artwork scale; the 1x strip stands in when another is missing.
    int art = s->art;
    HDC strip = ToolStrip.stripDC[0] ? LoadStrip(ProgramInstance(), art) : nullptr;
    if (!strip) {
        art = 0;
        strip = ToolStrip.stripDC[0];
    }
    if (strip) {
        const int cw = ArtPx(s->cellWidth, art), ch = ArtPx(s->cellHeight, art);
        BitBlt(s->backDC, (s->width - cw) / 2, (s->height - ch) / 2, cw, ch, strip, ArtPx(s->srcX, art),
               ArtPx(s->srcY, art), SRCCOPY);
    }
    int alpha = ToolButtonVeilAlpha(s->hover, s->pressed, s->checked);
    if (alpha && ToolStrip.veilDC) {
        BLENDFUNCTION bf = {AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0};
        // The veil is one flat colour, 80 x 80; a larger button gets it stretched.
        int sw = s->width < ToolStrip.veilSide ? s->width : ToolStrip.veilSide;
        int sh = s->height < ToolStrip.veilSide ? s->height : ToolStrip.veilSide;
        AlphaBlend(s->backDC, 0, 0, s->width, s->height, ToolStrip.veilDC, 0, 0, sw, sh, bf);
    }
}

void ToolButtonShow(HWND hwnd, ToolButtonState* s, HDC hdc) {
    if (s->backDC) BitBlt(hdc, 0, 0, s->width, s->height, s->backDC, 0, 0, SRCCOPY);
}

void ToolButtonRedraw(HWND hwnd, ToolButtonState* s) {
    ToolButtonDraw(s);
    HDC hdc = GetDC(hwnd);
    ToolButtonShow(hwnd, s, hdc);
    ReleaseDC(hwnd, hdc);
}

void ToolButtonOnPaint(HWND hwnd, ToolButtonState* s) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    ToolButtonShow(hwnd, s, hdc);
    EndPaint(hwnd, &ps);
}

void ToolButtonOnCommand(HWND hwnd, ToolButtonState* s, int cmd, LPARAM lp) {
    switch (cmd) {
    case TOOLBTN_SET_CHECKED:
        s->checked = lp != 0;
        ToolButtonRedraw(hwnd, s);
        break;
    case TOOLBTN_SET_TOOLTIP:
        CopyCut(s->tooltip, kToolTipChars, reinterpret_cast<const wchar_t*>(lp));
        break;
    }
}

void ToolButtonOnMouseMove(HWND hwnd, ToolButtonState* s, LPARAM lp) {
    // Unsigned 16-bit coordinates: while the button holds the capture, a mouse left of or above
    // it arrives with large values and so counts as outside.
    int inside = ToolButtonInside(LOWORD(lp), HIWORD(lp), s->width, s->height);
    if (inside == s->hover) return;
    HWND toolbar = GetParent(hwnd);
    HWND main = toolbar ? GetParent(toolbar) : nullptr;
    if (s->tooltip[0] && inside && main) {
        POINT t = {0, 0};
        MapWindowPoints(toolbar, main, &t, 1);
        TipPoint at = ToolTipAnchor(s->orientation, s->x, s->y, s->width, s->height, t.x, t.y, DpiOf(hwnd));
        ShowPrompt(main, s->tooltip, at.x, at.y);
    }
    if (!inside && main) {
        if (HWND prompt = GetDlgItem(main, ID_PROMPT))
            SendMessageW(prompt, WM_COMMAND, PROMPT_CMD_CLOSE_SOON, 0);
    }
    s->hover = inside;
    if (!s->pressed) {
        if (inside && GetCapture() != hwnd) SetCapture(hwnd);
        else if (!inside && GetCapture() == hwnd) ReleaseCapture();
    }
    ToolButtonRedraw(hwnd, s);
}

void ToolButtonOnLButtonDown(HWND hwnd, ToolButtonState* s) {
    SetFocus(hwnd);
    SetCapture(hwnd);
    s->pressed = 1;
    ToolButtonRedraw(hwnd, s);
}

void ToolButtonOnLButtonUp(HWND hwnd, ToolButtonState* s) {
    if (!s->hover && GetCapture() == hwnd) ReleaseCapture();
    s->pressed = 0;
    ToolButtonRedraw(hwnd, s);
    if (s->hover)
        PostMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), 0), 0);
}

void ToolButtonOnCancelMode(HWND hwnd, ToolButtonState* s) {
    if (GetCapture() != hwnd) return;
    ReleaseCapture();
    s->hover = 0;
    s->pressed = 0;
    ToolButtonRedraw(hwnd, s);
}

void ToolButtonOnSize(HWND hwnd, ToolButtonState* s, int width, int height) {
    if (!width || !height) return;
    s->width = width;
    s->height = height;
    s->art = ArtScaleFor(DpiOf(hwnd));
    ToolButtonMakeBackBuffer(hwnd, s);
    ToolButtonDraw(s);
}

LRESULT CALLBACK ToolButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* s = static_cast<ToolButtonState*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
        adoptedState = s;
    }
    auto* s = reinterpret_cast<ToolButtonState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE:
        s->art = ArtScaleFor(DpiOf(hwnd));
        ToolButtonMakeBackBuffer(hwnd, s);
        ToolButtonDraw(s);
        return 0;
    case WM_PAINT:
        ToolButtonOnPaint(hwnd, s);
        return 0;
    case WM_PRINTCLIENT:
        ToolButtonShow(hwnd, s, reinterpret_cast<HDC>(wp));
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the back buffer covers every pixel
    case WM_COMMAND:
        ToolButtonOnCommand(hwnd, s, LOWORD(wp), lp);
        return 0;
    case WM_MOUSEMOVE:
        ToolButtonOnMouseMove(hwnd, s, lp);
        return 0;
    case WM_LBUTTONDOWN:
        ToolButtonOnLButtonDown(hwnd, s);
        return 0;
    case WM_LBUTTONUP:
        ToolButtonOnLButtonUp(hwnd, s);
        return 0;
    case WM_CANCELMODE:
        ToolButtonOnCancelMode(hwnd, s);
        return 0;
    case WM_SIZE:
        ToolButtonOnSize(hwnd, s, LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        ToolButtonFreeBackBuffer(s);
        delete s;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HINSTANCE ProgramInstance() {
    return ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
}

}  // namespace

bool RegisterToolButtonClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = ToolButtonProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kToolButtonClass;
    return RegisterClassExW(&wc) != 0;
}

void SetToolButtonBackground(COLORREF color) {
    toolButtonBackground = color;
}

bool ToolArtLoaded() {
    return ToolStrip.stripDC[0] != nullptr;
}

void LoadToolArt(HINSTANCE instance) {
    if (ToolStrip.stripDC[0] || ToolStrip.veil) return;
    if (!LoadStrip(instance, 0)) {
        OutputDebugStringA("ToolButtonWnd_Init failed.\r\n");
        return;
    }
    int side = kToolVeilSide;
    HDC screen = GetDC(nullptr);
    HBITMAP veil = CreateCompatibleBitmap(screen, side, side);
    HDC veilDC = veil ? CreateCompatibleDC(screen) : nullptr;
    ReleaseDC(nullptr, screen);
    if (!veil || !veilDC) {
        if (veil) DeleteObject(veil);
        OutputDebugStringA("ToolButtonWnd_Init failed..\r\n");
        return;
    }
    SelectObject(veilDC, veil);
    RECT rc = {0, 0, side, side};
    HBRUSH green = CreateSolidBrush(RGB(0, 111, 0));
    FillRect(veilDC, &rc, green);
    DeleteObject(green);
    ToolStrip.veil = veil;
    ToolStrip.veilDC = veilDC;
    ToolStrip.veilSide = side;
    OutputDebugStringA("ToolButtonWnd_Init OK\r\n");
}

HWND CreateToolButton(HWND parent, int id, int x, int y, int srcX, int orientation) {
    auto* s = new ToolButtonState();  // zeroed
    s->x = x;
    s->y = y;
    s->width = kToolButtonSize;
    s->height = kToolButtonSize;
    s->srcX = srcX;
    s->srcY = 0;
    s->cellWidth = kToolCellSize;
    s->cellHeight = kToolCellSize;
    s->orientation = orientation;
    adoptedState = nullptr;
    HWND hwnd = CreateWindowExW(0, kToolButtonClass, L"", WS_CHILD | WS_VISIBLE, x, y, s->width, s->height,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ProgramInstance(), s);
    // A window that got as far as WM_NCCREATE has freed the state in its WM_NCDESTROY.
    if (!hwnd && adoptedState != s) delete s;
    adoptedState = nullptr;
    return hwnd;
}

void PlaceToolButton(HWND button, int x, int y, int size) {
    auto* s = reinterpret_cast<ToolButtonState*>(GetWindowLongPtrW(button, GWLP_USERDATA));
    if (!s) return;
    s->x = x;
    s->y = y;
    SetWindowPos(button, nullptr, x, y, size, size, SWP_NOZORDER | SWP_NOACTIVATE);
    // The same size at another scale sends no WM_SIZE: the artwork is chosen again here.
    s->art = ArtScaleFor(DpiOf(button));
    ToolButtonDraw(s);
    InvalidateRect(button, nullptr, FALSE);
}
