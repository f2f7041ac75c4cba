// PromptWndClass: the self-closing toast. ShowPrompt either re-targets the existing toast
// (id ID_PROMPT) or creates it; the toast sizes itself to its one-line text and counts 100 ms
// ticks until it destroys itself.
#include "app/prompt_win.h"

#include "app/dpi_win.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "app/tool_buttons.h"

namespace {

constexpr COLORREF kPromptGround = RGB(255, 250, 205);

// Made on first use at the parent's display scale and made again when a toast is shown at
// another scale; measuring and painting share it.
HFONT promptFont = nullptr;
int promptFontDpi = 0;

void EnsurePromptFont(int dpi) {
    if (promptFont && promptFontDpi == dpi) return;
    LOGFONTW lf = {};
    lf.lfHeight = FontHeightAt(12, dpi);
    lstrcpyW(lf.lfFaceName, L"Segoe UI");
    HFONT font = CreateFontIndirectW(&lf);
    if (!font) return;
    // A toast that is up gets the new font with the text ShowPrompt gives it next.
    if (promptFont) DeleteObject(promptFont);
    promptFont = font;
    promptFontDpi = dpi;
}

void PromptLayoutWindow(HWND hwnd, PromptState* s) {
    HDC hdc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(hdc, promptFont);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(hdc, s->text, lstrlenW(s->text), &size);
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    RECT parent = {0, 0, 0, 0};
    if (HWND p = GetParent(hwnd)) GetClientRect(p, &parent);
    PromptRect r = PromptLayout(size.cx, size.cy, s->x, s->y, parent.right, DpiOf(hwnd));
    SetWindowPos(hwnd, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PromptSetText(HWND hwnd, PromptState* s, const wchar_t* text) {
    CopyCut(s->text, kPromptTextChars, text);
    PromptLayoutWindow(hwnd, s);
    InvalidateRect(hwnd, nullptr, TRUE);
    s->ticks = 0;
}

void PromptOnCommand(HWND hwnd, PromptState* s, int cmd, LPARAM lp) {
    switch (cmd) {
    case PROMPT_CMD_MOVE: {
        s->x = LOWORD(lp);
        s->y = HIWORD(lp);
        if (s->x > 0 || s->y > 0) SetWindowPos(hwnd, nullptr, s->x, s->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case PROMPT_CMD_CLOSE_SOON:
        s->ticks = kPromptCloseSoonTicks;
        break;
    case PROMPT_CMD_RELAYOUT:
        PromptLayoutWindow(hwnd, s);
        break;
    case PROMPT_CMD_RESTART:
        s->ticks = 0;
        s->autoHide = static_cast<int>(lp);
        break;
    }
}

void PromptOnPaint(HWND hwnd, PromptState* s) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    SetBkMode(hdc, OPAQUE);
    SetBkColor(hdc, kPromptGround);
    SetTextColor(hdc, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(hdc, promptFont);
    const PromptMargins m = PromptTextOrigin(DpiOf(hwnd));
    ExtTextOutW(hdc, m.left, m.top, ETO_CLIPPED | ETO_OPAQUE, &rc, s->text, lstrlenW(s->text), nullptr);
    SelectObject(hdc, old);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK PromptProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* rec = static_cast<const PromptState*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        auto* s = new PromptState();  // zeroed
        if (rec) {
            s->x = rec->x;
            s->y = rec->y;
            s->autoHide = rec->autoHide;
            CopyCut(s->text, kPromptTextChars, rec->text);
        }
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    }
    auto* s = reinterpret_cast<PromptState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE: {
        wchar_t text[kPromptTextChars];
        CopyCut(text, kPromptTextChars, s->text);
        PromptSetText(hwnd, s, text);
        SetTimer(hwnd, kPromptTimerId, 100, nullptr);
        return 0;
    }
    case WM_SETTEXT:
        PromptSetText(hwnd, s, reinterpret_cast<const wchar_t*>(lp));
        return TRUE;
    case WM_GETTEXT: {
        // The toast's text lives in its record; hand that out so GetWindowText sees it.
        if (!wp) return 0;
        CopyCut(reinterpret_cast<wchar_t*>(lp), wp, s->text);
        return lstrlenW(reinterpret_cast<wchar_t*>(lp));
    }
    case WM_GETTEXTLENGTH:
        return lstrlenW(s->text);
    case WM_COMMAND:
        PromptOnCommand(hwnd, s, LOWORD(wp), lp);
        return 0;
    case WM_TIMER:
        if (wp == kPromptTimerId && PromptTick(s->ticks, s->autoHide)) DestroyWindow(hwnd);
        return 0;
    case WM_PAINT:
        PromptOnPaint(hwnd, s);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_DESTROY:
        KillTimer(hwnd, kPromptTimerId);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete s;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterPromptClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = PromptProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(kPromptGround);
    wc.lpszClassName = kPromptClass;
    return RegisterClassExW(&wc) != 0;
}

HWND ShowPrompt(HWND parent, const wchar_t* text, int x, int y) {
    EnsurePromptFont(DpiOf(parent));
    // A negative place would turn into a huge unsigned one in the move command; 0 means the
    // same thing (centre, or the top edge) and survives the packing.
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (HWND toast = GetDlgItem(parent, ID_PROMPT)) {
        SetWindowPos(toast, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessageW(toast, WM_COMMAND, PROMPT_CMD_RESTART, kPromptAutoHide);
        SendMessageW(toast, WM_COMMAND, PROMPT_CMD_MOVE, MAKELPARAM(x, y));
        SendMessageW(toast, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : L""));
        return toast;
    }
    PromptState rec = {};
    CopyCut(rec.text, kPromptTextChars, text);
    rec.x = x;
    rec.y = y;
    rec.autoHide = kPromptAutoHide;
    HINSTANCE instance = ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
    HWND toast = CreateWindowExW(0, kPromptClass, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_PROMPT)), instance, &rec);
    if (toast) SetWindowPos(toast, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return toast;
}
