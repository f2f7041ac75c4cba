// Display scale of a window (see dpi_win.h).
#include "app/dpi_win.h"

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

template <typename Fn>
Fn User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int gDpiOverride = 0;

}  // namespace

void OverrideDpiForTests(int dpi) { gDpiOverride = dpi > 0 ? dpi : 0; }

SIZE DialogBaseUnitsAt(int dpi) {
    const LONG units = GetDialogBaseUnits();
    int height = HIWORD(units);
    // The vertical unit is the height of the system font. Read from the font itself, as some
    // platform layers scale the reported unit a second time at scales above 100 %.
    if (HDC screen = GetDC(nullptr)) {
        HGDIOBJ old = SelectObject(screen, GetStockObject(SYSTEM_FONT));
        TEXTMETRICW tm = {};
        if (GetTextMetricsW(screen, &tm) && tm.tmHeight > 0) height = tm.tmHeight;
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
    }
    const int system = SystemDpi();
    return {MulDiv(LOWORD(units), dpi, system), MulDiv(height, dpi, system)};
}

int DpiOf(HWND hwnd) {
    if (gDpiOverride) return gDpiOverride;
    static const auto forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (hwnd && forWindow) {
        UINT dpi = forWindow(hwnd);
        if (dpi) return int(dpi);
    }
    return SystemDpi();
}

int MetricForDpi(int index, int dpi) {
    static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, UINT(dpi));
    // Without per-monitor metrics the system's are those of the system-wide scale.
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}
