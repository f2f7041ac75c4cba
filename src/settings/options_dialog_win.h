// The options dialog (133). User-interface thread only.
#pragma once
#include <windows.h>

// The options dialog, modal over owner (the main window). OK stores the choices in AppSettings,
// applies a new language to every window at once, saves the settings and asks the main window
// to pass the drawing style on to the camera view. Returns IDOK or IDCANCEL.
INT_PTR RunOptionsDialog(HWND owner);
