// Placement of the main window's four children from its client size, in windowed and
// full-screen mode. Pure arithmetic, shared by the window code and the tests.
#pragma once
#include "app/display_scale.h"

struct ChildRect {
    int x, y, width, height;
    bool operator==(const ChildRect& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

struct MainLayout {
    ChildRect hToolbar, vToolbar, cameraView, panel;
};

constexpr int kToolbarHeight = 52;  // horizontal toolbar, at 96 dpi
constexpr int kToolbarWidth = 59;   // vertical toolbar, at 96 dpi

// The toolbars' thickness at a display scale (ScalePx of the figures above).
int ToolbarHeightAt(int dpi);
int ToolbarWidthAt(int dpi);

// The panel is 126 horizontal dialog units wide: 126 * baseUnitX / 4, rounded like MulDiv.
int PanelWidthFromBaseUnit(int baseUnitX);

// The toolbars scale with dpi; the panel width is given (it follows the dialog units).
MainLayout ComputeMainLayout(int clientWidth, int clientHeight, int panelWidth, bool fullScreen, int dpi = kBaseDpi);
