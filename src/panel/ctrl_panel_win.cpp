// The control panel container. For now it is the dark column the sections will stack in: it
// paints its background and ignores the section messages it is sent.
#include "panel/ctrl_panel_win.h"

#include "app/messages.h"

namespace {

constexpr wchar_t kPanelClass[] = L"CtrlPanelWndClass";
HBRUSH gPanelBrush = nullptr;  // kept for the whole process, handed out to the sections

LRESULT CALLBACK CtrlPanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
    case WMU_PANEL_REFRESH:
    case WMU_FILE_ADDED:
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

HBRUSH CtrlPanelBrush() {
    if (!gPanelBrush) gPanelBrush = CreateSolidBrush(RGB(21, 21, 25));
    return gPanelBrush;
}

bool RegisterCtrlPanelClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = CtrlPanelProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CtrlPanelBrush();
    wc.lpszClassName = kPanelClass;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateCtrlPanel(HWND parent, int width) {
    HWND panel = CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL,
                                 0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(ID_CTRL_PANEL)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                                 reinterpret_cast<LPVOID>(INT_PTR(width)));
    if (panel) ShowScrollBar(panel, SB_VERT, FALSE);
    return panel;
}
