// MyToolbarWndClass and VToolbarWndClass. A toolbar has no state of its own beyond its buttons:
// it creates them from the button tables, re-reads their tooltips on CMD_RELOAD_TEXTS, and
// posts the clicks of the ids it owns to its parent unchanged, dropping any other id.
#include "app/toolbar_win.h"

#include <string>

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "app/tool_buttons.h"
#include "settings/text_table.h"

namespace {

// One brush for both toolbars' class background; lives for the whole run.
HBRUSH toolbarBrush = nullptr;

// Puts the buttons where the table says at the toolbar's display scale.
template <std::size_t N>
void ToolbarPlaceButtons(HWND hwnd, const ToolButtonSpec (&buttons)[N]) {
    const int dpi = DpiOf(hwnd);
    for (const ToolButtonSpec& b : buttons) {
        HWND button = GetDlgItem(hwnd, b.id);
        if (!button) continue;
        ToolButtonPlace at = ToolButtonAt(b, dpi);
        PlaceToolButton(button, at.x, at.y, at.size);
    }
}

template <std::size_t N>
void ToolbarCreateButtons(HWND hwnd, const ToolButtonSpec (&buttons)[N], int orientation) {
    for (const ToolButtonSpec& b : buttons)
        CreateToolButton(hwnd, b.id, b.x, b.y, b.cell * kToolCellSize, orientation);
    if (DpiOf(hwnd) != kBaseDpi) ToolbarPlaceButtons(hwnd, buttons);
}

template <std::size_t N>
void ToolbarSetTooltips(HWND hwnd, const ToolButtonSpec (&buttons)[N]) {
    for (const ToolButtonSpec& b : buttons) {
        if (!b.tipKey) continue;
        HWND button = GetDlgItem(hwnd, b.id);
        if (!button) continue;
        // The button copies the text now; it is set again when the language changes.
        const std::wstring tip = ToolButtonTip(b);
        SendMessageW(button, WM_COMMAND, TOOLBTN_SET_TOOLTIP, reinterpret_cast<LPARAM>(tip.c_str()));
    }
}

template <std::size_t N>
LRESULT ToolbarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, const ToolButtonSpec (&buttons)[N],
                    int orientation, bool (*forwards)(int)) {
    switch (msg) {
    case WM_CREATE:
        ToolbarCreateButtons(hwnd, buttons, orientation);
        ToolbarSetTooltips(hwnd, buttons);
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        ToolbarPlaceButtons(hwnd, buttons);
        return 0;
    case WM_COMMAND: {
        int id = LOWORD(wp);
        if (id == CMD_RELOAD_TEXTS) ToolbarSetTooltips(hwnd, buttons);
        else if (forwards(id)) PostMessageW(GetParent(hwnd), WM_COMMAND, wp, lp);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK HToolbarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return ToolbarProc(hwnd, msg, wp, lp, kHToolbarButtons, kTipBelow, HToolbarForwards);
}

LRESULT CALLBACK VToolbarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return ToolbarProc(hwnd, msg, wp, lp, kVToolbarButtons, kTipRight, VToolbarForwards);
}

bool RegisterToolbarClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
    if (!toolbarBrush) toolbarBrush = CreateSolidBrush(RGB(21, 21, 25));
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = toolbarBrush;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateToolbar(HWND parent, const wchar_t* cls, int id, int width, int height) {
    HINSTANCE instance = ShellState.instance ? ShellState.instance : GetModuleHandleW(nullptr);
    return CreateWindowExW(0, cls, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

}  // namespace

bool RegisterHToolbarClass(HINSTANCE instance) {
    return RegisterToolbarClass(instance, kHToolbarClass, HToolbarProc);
}

bool RegisterVToolbarClass(HINSTANCE instance) {
    return RegisterToolbarClass(instance, kVToolbarClass, VToolbarProc);
}

HWND CreateHToolbar(HWND parent) {
    return CreateToolbar(parent, kHToolbarClass, ID_HTOOLBAR, 600, 84);
}

HWND CreateVToolbar(HWND parent) {
    return CreateToolbar(parent, kVToolbarClass, ID_VTOOLBAR, 42, 600);
}
