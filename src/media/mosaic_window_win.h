// The live mosaic's window (MosaicWndClass): a window of its own beside the main window, owned by
// it, that shows the whole mosaic so far fitted to the window (the wheel zooms about the mouse,
// dragging pans, a double click fits again) with the camera's field outlined where it was last
// found: green while frames are placed, orange with "move slower" while the field is lost, orange
// while the mosaic cannot grow. Below it a status line and "Stop and save", which saves it as a
// photo with the calibration's scale; closing the window asks whether to save, and when the
// program closes a mosaic is saved. User-interface thread only; the mosaic itself is built by
// the worker of mosaic_run_win.h.
#pragma once
#include <windows.h>

#include <string>

#include "media/mosaic_run_win.h"
#include "view/mosaic_view.h"

constexpr wchar_t kMosaicWndClass[] = L"MosaicWndClass";
constexpr int kMosaicStopButton = 1;  // control id of "Stop and save"
constexpr COLORREF kMosaicTrackingColour = RGB(70, 220, 100);
constexpr COLORREF kMosaicWarningColour = RGB(255, 150, 20);

bool RegisterMosaicWndClass(HINSTANCE instance);

// The main window's command (the panel's button, Ctrl+M): the window and a new mosaic from the
// open camera, or the open window brought forward; without a camera the toast says to open one.
void MosaicCommand(HWND owner);
HWND MosaicWindow();  // the open mosaic window, or null
// The end of the Windows session: the window closed and its mosaic saved before the process ends.
void CloseMosaicForExit();

// What the window shows (for tests).
struct MosaicWindowInfo {
    MosaicStatus status;
    MosaicViewport viewport;
    bool fitted = true;
    bool warning = false;     // the outline in the warning colour (lost: "move slower" beside it)
    RECT outline = {};        // the field's outline in the window's client coordinates
    std::wstring statusText;  // the status line
};
MosaicWindowInfo GetMosaicWindowInfo();
