// Placement of the main window's four children from its client size, in windowed and
// full-screen mode. Pure arithmetic, shared by the window code and the tests.
#pragma once

struct ChildRect {
    int x, y, width, height;
    bool operator==(const ChildRect& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

struct MainLayout {
    ChildRect hToolbar, vToolbar, cameraView, panel;
};

constexpr int kToolbarHeight = 52;  // horizontal toolbar
constexpr int kToolbarWidth = 59;   // vertical toolbar

// The panel is 126 horizontal dialog units wide: 126 * baseUnitX / 4, rounded like MulDiv.
int PanelWidthFromBaseUnit(int baseUnitX);

MainLayout ComputeMainLayout(int clientWidth, int clientHeight, int panelWidth, bool fullScreen);
