// The main window's side of the camera view: creating it with its settings and texts, and the
// main-window handlers of the capture messages, the zoom button, the drawing settings and the
// shape-deleting commands. User-interface thread only.
#pragma once
#include <windows.h>

// Step 2 of the main window's creation: the camera view with hidden scroll bars, the drawing
// settings and the two prompt texts of the current language. Stores the handle in ShellState.
HWND CreateMainCameraView(HWND mainWnd);

// Sends the camera view the six drawing settings of AppSettings (VIEW_CMD_DRAW_SETTINGS).
void SendDrawSettingsToView();

// The main window's handling of WMU_DEVICES_CHANGED, WMU_CAPTURE_STARTED, WMU_CAPTURE_STOPPED,
// WMU_ZOOM_BUTTON and of the commands 1008, 3028 and 3029. Returns true when msg was one of them.
bool MainOnViewMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
