// The main window: VardeloWndClass, its children's layout, full-screen mode and the
// switchboard of commands and private messages.
#include <windows.h>

#include "app/main_layout.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kOverlappedBits = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

bool IsFullScreen() {
    return (GetWindowLongW(ShellState.mainWnd, GWL_STYLE) & kOverlappedBits) == 0;
}

void MainOnCreate(HWND hwnd) {
    ShellState.mainWnd = hwnd;
    ShellState.toolbarHeight = kToolbarHeight;
    ShellState.toolbarWidth = kToolbarWidth;
    ShellState.panelWidth = PanelWidthFromBaseUnit(LOWORD(GetDialogBaseUnits()));
    LayoutMainWindow();
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        MainOnCreate(hwnd);
        return 0;
    case WM_SIZE:
        LayoutMainWindow();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
        mmi->ptMinTrackSize.x = 798;
        mmi->ptMinTrackSize.y = 520;
        return 0;
    }
    case WMU_TOGGLE_FULLSCREEN:
        ToggleFullScreen();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        ShellState.mainWnd = nullptr;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterMainWndClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kMainWndClass;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
    return CreateWindowExW(0, kMainWndClass, kMainWndTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

void LayoutMainWindow() {
    if (!ShellState.mainWnd) return;
    RECT rc;
    GetClientRect(ShellState.mainWnd, &rc);
    MainLayout l = ComputeMainLayout(rc.right, rc.bottom, ShellState.panelWidth, IsFullScreen());
    struct { HWND hwnd; ChildRect r; } items[] = {
        {ShellState.hToolbar, l.hToolbar}, {ShellState.vToolbar, l.vToolbar},
        {ShellState.cameraView, l.cameraView}, {ShellState.panel, l.panel}};
    int count = 0;
    for (auto& it : items) count += it.hwnd != nullptr;
    if (!count) return;
    HDWP dwp = BeginDeferWindowPos(count);
    for (auto& it : items) {
        if (it.hwnd && dwp)
            dwp = DeferWindowPos(dwp, it.hwnd, nullptr, it.r.x, it.r.y, it.r.width, it.r.height,
                                 SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (dwp) EndDeferWindowPos(dwp);
}

void ToggleFullScreen() {
    HWND hwnd = ShellState.mainWnd;
    if (!hwnd) return;
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    if (style & kOverlappedBits) {
        WINDOWPLACEMENT wp = {sizeof(wp)};
        if (!GetWindowPlacement(hwnd, &wp)) return;
        MONITORINFO mi = {sizeof(mi)};
        if (!GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &mi)) return;
        ShellState.savedPlacement = wp;
        SetWindowLongW(hwnd, GWL_STYLE, style & ~LONG(kOverlappedBits));
        SetWindowPos(hwnd, HWND_TOP, mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right - mi.rcMonitor.left,
                     mi.rcMonitor.bottom - mi.rcMonitor.top, SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
        if (ShellState.cameraView) SetFocus(ShellState.cameraView);
    } else {
        SetWindowLongW(hwnd, GWL_STYLE, style | LONG(kOverlappedBits));
        SetWindowPlacement(hwnd, &ShellState.savedPlacement);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
    }
}
