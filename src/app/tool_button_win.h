// Tool buttons: square owner-drawn icon buttons cut from the shared artwork strip, with hover,
// press and checked looks, a tooltip shown through the prompt toast, and a click posted to the
// toolbar.
#pragma once
#include <windows.h>

#include "app/tool_buttons.h"

constexpr wchar_t kToolButtonClass[] = L"zToolButtonWndClass";

// One per button; allocated zeroed by CreateToolButton, freed when the window is destroyed.
struct ToolButtonState {
    int x, y;                 // position in the toolbar
    int width, height;        // 52 x 52 at 96 dpi
    int srcX, srcY;           // top-left of the button's cell in the 1x strip
    int cellWidth, cellHeight;  // 40 x 40 in the 1x strip
    HDC backDC;               // back buffer: every drawing goes here, then to the screen
    HBITMAP backBitmap;
    HGDIOBJ backOld;
    int checked, hover, pressed;
    wchar_t tooltip[kToolTipChars];
    int orientation;          // kTipBelow (horizontal toolbar) or kTipRight (vertical toolbar)
    int art;                  // artwork scale drawn from (0 = 1x, 1 = 1.5x, 2 = 2x), from the display's
};

bool RegisterToolButtonClass(HINSTANCE instance);

// The ground colour every button is filled with before its picture; set once at start-up.
void SetToolButtonBackground(COLORREF color);

// Loads the 1x artwork strip (bitmap 150) and makes the green veil, once. Without it the buttons
// draw their ground and looks but no pictures. The 1.5x and 2x strips are loaded when a button
// first needs them; a button draws from the strip nearest its display scale, never stretched.
void LoadToolArt(HINSTANCE instance);
bool ToolArtLoaded();

// Creates a visible 52 x 52 button with window id `id` at (x, y) in parent; nullptr on failure.
// srcX is the cell's left edge in the 1x strip.
HWND CreateToolButton(HWND parent, int id, int x, int y, int srcX, int orientation);

// Places a button at (x, y) with the given side, for the toolbar's display scale.
void PlaceToolButton(HWND button, int x, int y, int size);
