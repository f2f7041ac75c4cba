// The about box (139). User-interface thread only.
#pragma once
#include <windows.h>

// The about box with the program's version, modal over owner (the options dialog, or the main
// window for the toolbar's logo), placed over it. Returns IDOK or IDCANCEL.
INT_PTR RunAboutDialog(HWND owner);
