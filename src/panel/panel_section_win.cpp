// The panel's shared drawing resources, the section title bar and the section side of the
// panel protocol (see panel_section_win.h).
#include "panel/panel_section_win.h"

#include <new>

#include "app/messages.h"
#include "settings/text_table.h"

namespace {

constexpr wchar_t kHeaderClass[] = L"CtrlPanelHeaderWndClass";
constexpr int kHeaderId = 100;
constexpr COLORREF kHeaderBack = RGB(52, 52, 66);
constexpr COLORREF kHeaderText = RGB(255, 255, 255);
constexpr COLORREF kHeaderHotText = RGB(0, 0, 255);

HBRUSH gPanelBrush = nullptr;
PanelResources gResources;
bool gResourcesMade = false;

HFONT MakeLightFont(int points, int dpiY) {
    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(points, dpiY, 72);
    lf.lfWeight = 300;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpyW(lf.lfFaceName, L"Segoe UI");
    return CreateFontIndirectW(&lf);
}

HINSTANCE InstanceOf(HWND hwnd) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
}

// ---- Title bar ----

struct HeaderState {
    HWND hwnd = nullptr;
    bool hot = false;   // the pointer is over the bar, which then holds the mouse capture
    bool open = false;  // the section is expanded
};

void HeaderRepaintNow(HeaderState* h) {
    InvalidateRect(h->hwnd, nullptr, FALSE);
    UpdateWindow(h->hwnd);
}

void HeaderOnPaint(HeaderState* h) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h->hwnd, &ps);
    RECT rc;
    GetClientRect(h->hwnd, &rc);
    wchar_t text[64] = {};
    int len = GetWindowTextW(h->hwnd, text, 64);
    HGDIOBJ oldFont = SelectObject(dc, GetPanelResources().headerFont);
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text, len, &extent);
    SetTextColor(dc, h->hot ? kHeaderHotText : kHeaderText);
    SetBkColor(dc, kHeaderBack);
    ExtTextOutW(dc, 5, (rc.bottom - extent.cy) / 2, ETO_OPAQUE | ETO_CLIPPED, &rc, text, UINT(len), nullptr);
    Chevron c = ChevronFor(rc.right, rc.bottom, h->open);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(WHITE_PEN));
    MoveToEx(dc, c.a.x, c.a.y, nullptr);
    LineTo(dc, c.apex.x, c.apex.y);
    LineTo(dc, c.b.x, c.b.y);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
    EndPaint(h->hwnd, &ps);
}

void HeaderOnMouseMove(HeaderState* h, LPARAM lp) {
    if (!h->hot) {
        SetCapture(h->hwnd);
        h->hot = true;
        HeaderRepaintNow(h);
        return;
    }
    RECT rc;
    GetClientRect(h->hwnd, &rc);
    POINT pt = {short(LOWORD(lp)), short(HIWORD(lp))};
    if (!PtInRect(&rc, pt)) {
        h->hot = false;
        ReleaseCapture();
        HeaderRepaintNow(h);
    }
}

void HeaderToggle(HeaderState* h) {
    h->open = !h->open;
    InvalidateRect(h->hwnd, nullptr, FALSE);
    PostMessageW(GetParent(h->hwnd), WMU_SECTION_TOGGLE, h->open ? 1 : 0, 0);
}

LRESULT CALLBACK HeaderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* h = new (std::nothrow) HeaderState();
        if (!h) return FALSE;
        h->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(h));
    }
    auto* h = reinterpret_cast<HeaderState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!h) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_PAINT:
        HeaderOnPaint(h);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the text fill covers the whole bar
    case WM_MOUSEMOVE:
        HeaderOnMouseMove(h, lp);
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away (another window, a dialog): the bar is no longer hot.
        if (h->hot && reinterpret_cast<HWND>(lp) != hwnd) {
            h->hot = false;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        POINT pt = {short(LOWORD(lp)), short(HIWORD(lp))};
        if (PtInRect(&rc, pt)) HeaderToggle(h);
        return 0;
    }
    case WMU_SECTION_TOGGLE:
        HeaderToggle(h);
        return 0;
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
        InvalidateRect(hwnd, nullptr, FALSE);
        return r;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete h;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

const PanelResources& GetPanelResources() {
    if (gResourcesMade) return gResources;
    gResourcesMade = true;
    HDC screen = GetDC(nullptr);
    int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    gResources.headerFont = MakeLightFont(12, dpiY);
    gResources.controlFont = MakeLightFont(10, dpiY);
    if (screen) {
        HGDIOBJ old = SelectObject(screen, gResources.controlFont);
        SIZE zh = {};
        GetTextExtentPoint32W(screen, L"ZH", 2, &zh);
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
        gResources.scrollStep = zh.cy;
    }
    if (gResources.scrollStep <= 0) gResources.scrollStep = 13;
    LONG units = GetDialogBaseUnits();
    gResources.base = {LOWORD(units), HIWORD(units)};
    gResources.metrics = PanelMetricsFor(gResources.base);
    return gResources;
}

HBRUSH CtrlPanelBrush() {
    if (!gPanelBrush) gPanelBrush = CreateSolidBrush(RGB(21, 21, 25));
    return gPanelBrush;
}

bool RegisterPanelHeaderClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.style = CS_HREDRAW;
    wc.lpfnWndProc = HeaderProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kHeaderClass;
    return RegisterClassExW(&wc) != 0;
}

HWND CreatePanelHeader(HWND section, const wchar_t* title) {
    HWND header = CreateWindowExW(0, kHeaderClass, title, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, section,
                                  reinterpret_cast<HMENU>(INT_PTR(kHeaderId)), InstanceOf(section), nullptr);
    if (header) SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(GetPanelResources().headerFont), FALSE);
    return header;
}

bool PanelHeaderOpen(HWND header) {
    auto* h = reinterpret_cast<HeaderState*>(GetWindowLongPtrW(header, GWLP_USERDATA));
    return h && h->open;
}

HWND CreatePanelControl(HWND section, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
    HWND control = CreateWindowExW(0, cls, text, WS_CHILD | style, 0, 0, 0, 0, section,
                                   reinterpret_cast<HMENU>(INT_PTR(id)), InstanceOf(section), nullptr);
    if (control)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetPanelResources().controlFont), FALSE);
    return control;
}

LRESULT PanelSectionHeights(int bodyUnits) {
    return LRESULT(PackSectionHeights(SectionHeightsFor(GetPanelResources().base, bodyUnits)));
}

void PanelSectionToggled(HWND section, int index, int lastId, bool open) {
    for (int id = kHeaderId + 1; id <= lastId; ++id)
        if (HWND child = GetDlgItem(section, id)) ShowWindow(child, open ? SW_SHOW : SW_HIDE);
    PostMessageW(GetParent(section), WMU_SECTION_TOGGLE, WPARAM(index), open ? 1 : 0);
}

LRESULT PanelSectionCtlColor(HDC dc) {
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(21, 21, 45));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(CtrlPanelBrush());
}

void PanelSectionLayOut(HWND section, const PanelRect* rects, int count) {
    HDWP dwp = BeginDeferWindowPos(count);
    for (int i = 0; i < count && dwp; ++i) {
        HWND child = GetDlgItem(section, kHeaderId + i);
        if (!child) continue;
        const PanelRect& r = rects[i];
        dwp = DeferWindowPos(dwp, child, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (dwp) EndDeferWindowPos(dwp);
}

void PanelSetText(HWND section, int id, const char* key) {
    SetDlgItemTextW(section, id, GetText(key).c_str());
}
