// Layout of the main window's children (see main_layout.h).
#include "app/main_layout.h"

#include <cstdint>

int PanelWidthFromBaseUnit(int baseUnitX) {
    // MulDiv rounds half away from zero.
    int64_t num = int64_t(126) * baseUnitX;
    int64_t q = (num >= 0 ? num + 2 : num - 2) / 4;
    return int(q);
}

int ToolbarHeightAt(int dpi) { return ScalePx(kToolbarHeight, dpi); }
int ToolbarWidthAt(int dpi) { return ScalePx(kToolbarWidth, dpi); }

MainLayout ComputeMainLayout(int w, int h, int pw, bool fullScreen, int dpi) {
    const int th = ToolbarHeightAt(dpi), vw = ToolbarWidthAt(dpi);
    MainLayout l;
    if (!fullScreen) {
        l.hToolbar = {vw, 0, w - pw - vw, th};
        l.vToolbar = {0, 0, vw, h};
        l.cameraView = {vw, th, w - pw - vw, h - th};
        l.panel = {w - pw, 0, pw, h};
    } else {
        l.hToolbar = {0, 0, 0, 0};
        l.vToolbar = {0, 0, vw, h};
        l.cameraView = {vw, 0, w - vw, h};
        l.panel = {0, 0, 0, 0};
    }
    return l;
}
