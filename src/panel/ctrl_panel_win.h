// The control panel container (CtrlPanelWndClass) at the main window's right edge.
#pragma once
#include <windows.h>

bool RegisterCtrlPanelClass(HINSTANCE instance);
// Creates the panel as child 109 of parent, width in pixels, its scroll bar hidden.
HWND CreateCtrlPanel(HWND parent, int width);
// The dark brush the panel and its sections paint their background with.
HBRUSH CtrlPanelBrush();
