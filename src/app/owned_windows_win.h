// The windows the main window owns (the calibration window, the text input dialog, the
// quick-adjust pop-up) stay above it in the window order, as the system keeps them.
// User-interface thread only.
#pragma once
#include <windows.h>

// Whether a visible top-level window that owner owns lies below it in the window order.
bool OwnedWindowBelow(HWND owner);
// Puts every visible top-level window that owner owns back at the top of the window order,
// keeping their order among themselves; nothing is activated, moved or sized. Where they are
// already above their owner this changes nothing that can be seen.
void RaiseOwnedWindows(HWND owner);
