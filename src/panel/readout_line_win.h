// The live read-out: one line at the foot of the source section, renewed about twice a second,
// with a tip that says where the dropped frames went. It reads the frame path's counts (no lock),
// the camera's own count of dropped frames (IAMDroppedFrames, where its capture pin or filter
// answers) and the recorder's, and makes the text here on the user-interface thread: the frame
// path itself only counts.
#pragma once
#include <windows.h>

#include <string>

#include "panel/live_readout.h"

constexpr int kSourceReadout = 109;  // the line's control id in the source section

// The line (hidden until the section opens), its tip and its timer on section.
void CreateReadoutLine(HWND section);
// The section's WM_TIMER: true when it was the read-out's.
bool ReadoutOnTimer(HWND section, UINT_PTR timer);
// The language changed: the line and tip in the new one at once.
void ReadoutReloadTexts(HWND section);
// The figures shown last, and the text the line's tip holds (for the tests).
ReadoutFigures CurrentReadout();
std::wstring ReadoutTipText(HWND section);
