// The live histogram in the preview section (CtrlPanelHistogramWndClass): the luminance of the
// picture (and, when asked, its three channels) a few times a second from the frame the view
// shows, subsampled, with clipped shadows marked blue at the left and clipped highlights red at
// the right. It reads the frame ring on the user-interface thread; the frame path does nothing
// for it.
#pragma once
#include <windows.h>

#include "frame/histogram.h"

bool RegisterHistogramClass(HINSTANCE instance);
// A child of parent with control id, hidden, zero size until laid out.
HWND CreateHistogramView(HWND parent, int id);
// The red, green and blue curves over the luminance.
void HistogramViewShowChannels(HWND view, bool on);
// Reads the current frame now (the timer does so four times a second while the view is shown and
// new frames came); returns whether there is a histogram.
bool HistogramViewUpdate(HWND view);
// What the view shows: false while it has nothing (no camera, or no frame yet).
bool HistogramViewGet(HWND view, FrameHistogram* out);
