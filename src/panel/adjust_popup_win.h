// The quick-adjust pop-up (dialog 140): one slider for brightness, contrast, saturation,
// sharpness, gain, exposure or white balance of the open camera, or for the camera view's
// display ratio; or the camera's power-line frequency choices. Modeless, owned by the main
// window, at most one. User-interface thread only.
#pragma once
#include <windows.h>

// The main window's adjust commands (3093-3097, 3099): records command as the quick-adjust
// property; with a camera open, creates the pop-up for it, or turns an open pop-up to the new
// quantity (label, range, value, place) and shows it. Without a camera nothing opens.
void RunAdjustCommand(int command);
// The same from a panel button (anchor, in screen pixels): the pop-up opens beside it.
void RunAdjustCommandAt(int command, const RECT* anchor);

// An open ratio pop-up shows the view's ratio (changed elsewhere, by the wheel or the panel).
void AdjustPopupFollowRatio(int ratio);

// Closes the pop-up if there is one: its camera was closed or replaced.
void CloseAdjustPopup();
