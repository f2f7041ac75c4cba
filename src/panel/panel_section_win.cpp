// The panel's shared drawing resources, the section title bar and the section side of the
// panel protocol (see panel_section_win.h).
#include "panel/panel_section_win.h"

#include <new>

#include "app/display_scale.h"
#include "app/dpi_win.h"
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
    const int dpi = GetPanelResources().dpi;
    ExtTextOutW(dc, ScalePx(5, dpi), (rc.bottom - extent.cy) / 2, ETO_OPAQUE | ETO_CLIPPED, &rc, text, UINT(len),
                nullptr);
    Chevron c = ChevronFor(rc.right, rc.bottom, h->open, dpi);
    HPEN pen = CreatePen(PS_SOLID, ScalePx(1, dpi), RGB(255, 255, 255));
    HGDIOBJ oldPen = SelectObject(dc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(WHITE_PEN));
    MoveToEx(dc, c.a.x, c.a.y, nullptr);
    LineTo(dc, c.apex.x, c.apex.y);
    LineTo(dc, c.b.x, c.b.y);
    SelectObject(dc, oldPen);
    if (pen) DeleteObject(pen);
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

PanelResources MakePanelResources(int dpi) {
    PanelResources r;
    r.dpi = dpi;
    r.headerFont = MakeLightFont(12, dpi);
    r.controlFont = MakeLightFont(10, dpi);
    if (HDC screen = GetDC(nullptr)) {
        HGDIOBJ old = SelectObject(screen, r.controlFont);
        SIZE zh = {};
        GetTextExtentPoint32W(screen, L"ZH", 2, &zh);
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
        r.scrollStep = zh.cy;
    }
    if (r.scrollStep <= 0) r.scrollStep = ScalePx(13, dpi);
    SIZE units = DialogBaseUnitsAt(dpi);
    r.base = {int(units.cx), int(units.cy)};
    r.metrics = PanelMetricsFor(r.base);
    return r;
}

BOOL CALLBACK SetPanelFont(HWND child, LPARAM) {
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    const bool header = lstrcmpiW(cls, kHeaderClass) == 0;
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(header ? gResources.headerFont : gResources.controlFont),
                 FALSE);
    return TRUE;
}

}  // namespace

const PanelResources& GetPanelResources() {
    if (gResourcesMade) return gResources;
    gResourcesMade = true;
    gResources = MakePanelResources(DpiOf(nullptr));
    return gResources;
}

bool UpdatePanelResources(HWND panel) {
    const int dpi = DpiOf(panel);
    if (gResourcesMade && gResources.dpi == dpi) return false;
    PanelResources old = gResources;
    const bool hadFonts = gResourcesMade;
    gResources = MakePanelResources(dpi);
    gResourcesMade = true;
    // Every control takes the new fonts before the old ones go.
    EnumChildWindows(panel, SetPanelFont, 0);
    if (hadFonts) {
        DeleteObject(old.headerFont);
        DeleteObject(old.controlFont);
    }
    return true;
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
        // Without the old bits: a right-aligned label that changed width draws its text
        // elsewhere, and what the control showed before must not stay beside the new text.
        dwp = DeferWindowPos(dwp, child, nullptr, r.x, r.y, r.width, r.height,
                             SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
    if (dwp) EndDeferWindowPos(dwp);
}

void PanelSetText(HWND section, int id, const char* key) {
    SetDlgItemTextW(section, id, GetText(key).c_str());
}

void PanelUnthemeControl(HWND control) {
    static auto setTheme = [] {
        using SetThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
        // From the system folder by name: the process search path also covers the program's folder.
        HMODULE uxtheme = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return uxtheme ? reinterpret_cast<SetThemeFn>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme")))
                       : nullptr;
    }();
    if (setTheme && control) setTheme(control, L"", L"");
}
