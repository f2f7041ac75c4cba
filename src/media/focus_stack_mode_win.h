// The focus-stack mode of the main window: the user starts it (the focus stack section's button
// or F in the camera view) and turns the focus slowly through the specimen; the view shows the
// fused picture as it grows, the section counts the frames and says "all sharp — stop?" once
// nothing has become sharper for a while. Stop (the button or F again) saves the picture as a
// photo (scale, measurements, the recent files) and, when that option is on, its depth map
// beside it; Escape or Cancel drops it. A camera that closes meanwhile ends the stack with what
// it has, saved. User-interface thread only.
#pragma once
#include <windows.h>

struct FocusStackStatus {
    bool running = false;
    int fused = 0;    // frames fused so far
    int leftOut = 0;  // frames that did not match the first one
    bool hint = false;  // nothing has become sharper for a while
};
FocusStackStatus CurrentFocusStackStatus();

// The main window's handling of ID_FOCUS_STACK, ID_FOCUS_STACK_CANCEL and WMU_STACK_PROGRESS.
// Returns true when msg was one of them.
bool MainOnFocusStackMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
