// Registers the window classes the main window and its children need in a test process (the
// program does it at start-up); where a window lies in another's client area.
#pragma once
#include <windows.h>

// Main window, camera view, prompt toast, both toolbars and the tool button.
void RegisterAppWindowClasses(HINSTANCE instance);

// The window's rectangle in the client coordinates of other (its parent, usually).
RECT RectIn(HWND window, HWND other);
