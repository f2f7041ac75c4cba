// The two toolbars: MyToolbarWndClass (measuring tools, above the camera view) and
// VToolbarWndClass (device, capture and adjustment commands, at the left edge). They make their
// tool buttons, set the tooltips from the text table and pass the buttons' clicks they own on
// to the main window.
#pragma once
#include <windows.h>

constexpr wchar_t kHToolbarClass[] = L"MyToolbarWndClass";
constexpr wchar_t kVToolbarClass[] = L"VToolbarWndClass";

bool RegisterHToolbarClass(HINSTANCE instance);
bool RegisterVToolbarClass(HINSTANCE instance);  // after RegisterHToolbarClass: shares its brush

HWND CreateHToolbar(HWND parent);  // window id ID_HTOOLBAR
HWND CreateVToolbar(HWND parent);  // window id ID_VTOOLBAR
