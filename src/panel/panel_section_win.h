// What every section of the control panel shares: the drawing resources (fonts, metrics, the
// dark brush), the title bar (CtrlPanelHeaderWndClass, child 100 of each section) and the
// section side of the panel protocol: heights, collapsing, control colours and layout.
// User-interface thread only.
#pragma once
#include <windows.h>

#include "panel/panel_layout.h"

// Made by the first caller at the system's scale and kept for the life of the process; made
// again when the panel moves to a monitor of another scale.
struct PanelResources {
    HFONT headerFont = nullptr;   // "Segoe UI" 12 pt, weight 300: title bars
    HFONT controlFont = nullptr;  // "Segoe UI" 10 pt, weight 300: every other control
    int scrollStep = 0;           // height of "ZH" in the control font
    DialogBase base = {8, 16};    // the platform's dialog base units at the scale
    PanelMetrics metrics = {};
    int dpi = 96;                 // the display scale they are made for
};
const PanelResources& GetPanelResources();
// Makes the resources for the scale of panel (the container) when they are of another one, and
// gives every control below it the new fonts. Returns whether anything changed.
bool UpdatePanelResources(HWND panel);

// The dark brush the panel and its sections paint their background and controls with.
HBRUSH CtrlPanelBrush();

bool RegisterPanelHeaderClass(HINSTANCE instance);
// The title bar of section: child 100 across the top, title as its text, the header font.
HWND CreatePanelHeader(HWND section, const wchar_t* title);
// Whether the title bar shows its section open (for tests and the sections).
bool PanelHeaderOpen(HWND header);

// A control of a section, created hidden (the section shows it when it opens) with the
// control font.
HWND CreatePanelControl(HWND section, const wchar_t* cls, const wchar_t* text, DWORD style, int id);

// The section's answer to WMU_SECTION_HEIGHTS for a body of bodyUnits vertical dialog units.
LRESULT PanelSectionHeights(int bodyUnits);
// The section side of WMU_SECTION_TOGGLE from its title bar: show or hide controls
// 101..lastId and tell the container (the section's parent) that section index changed.
void PanelSectionToggled(HWND section, int index, int lastId, bool open);
// Every WM_CTLCOLOR* request, the old combined one (0x0019) included.
inline bool IsCtlColorMessage(UINT msg) {
    return msg == 0x0019 || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC);
}
// The answer to them: white text, transparent, the panel brush.
LRESULT PanelSectionCtlColor(HDC dc);
// Moves controls 100.. to rects[0..count) in one deferred batch; each control moved or sized
// is drawn afresh, and what it leaves uncovered is erased by the section.
void PanelSectionLayOut(HWND section, const PanelRect* rects, int count);
// Themed check boxes draw their text in the theme's colour, black on the dark panel; without a
// theme the box takes the section's white.
void PanelUnthemeControl(HWND control);
// Sets the text of a control (or the title bar, which is repainted) from the text table.
void PanelSetText(HWND section, int id, const char* key);
