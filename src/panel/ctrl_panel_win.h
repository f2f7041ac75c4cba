// The control panel container (CtrlPanelWndClass) at the main window's right edge: it stacks
// the sections one under the other, scrolls them when they do not fit and passes the panel's
// broadcasts on to them.
#pragma once
#include <windows.h>

#include "panel/panel_section_win.h"

// Registers the container, the title bar and the source, preview and focus stack section
// classes.
bool RegisterCtrlPanelClass(HINSTANCE instance);
// Creates the panel as child 109 of parent, width in pixels, its scroll bar hidden.
HWND CreateCtrlPanel(HWND parent, int width);

// Section indices of the container's table (also what each section reports when toggled).
constexpr int kSourceSectionIndex = 0;
constexpr int kPreviewSectionIndex = 1;
constexpr int kStackSectionIndex = 2;
constexpr int kFilesSectionIndex = 3;

// A snapshot of the container, for the tests.
struct CtrlPanelInfo {
    int count = 0;          // used table entries
    HWND sections[4] = {};  // null where a section's class is not registered
    bool open[4] = {};
    int contentHeight = 0;
    int position = 0;
    bool barShown = false;
};
CtrlPanelInfo CtrlPanelGetInfo(HWND panel);
