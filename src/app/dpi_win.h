// The display scale of a window and system metrics at a scale, on every Windows the program
// runs on: the per-monitor functions are looked up at run time and, where the system lacks
// them, the system-wide scale stands in.
#pragma once
#include <windows.h>

// Dots per inch of the monitor the window is on (96 at 100 %); the system's for nullptr.
int DpiOf(HWND hwnd);

// The platform's dialog base units (pixels per 4 horizontal and 8 vertical dialog units) as at
// `dpi`: the system's (the system font's average width and height, at the system-wide scale)
// times dpi / system dpi.
SIZE DialogBaseUnitsAt(int dpi);

// Tests only: every window counts as being at `dpi` (0 ends it), as on a monitor of that scale.
void OverrideDpiForTests(int dpi);

// GetSystemMetrics(index) as at `dpi` (scroll-bar sizes, icon sizes).
int MetricForDpi(int index, int dpi);

// A point-size font height (negative, character height) at `dpi`.
inline int FontHeightAt(int points, int dpi) { return -MulDiv(points, dpi, 72); }
