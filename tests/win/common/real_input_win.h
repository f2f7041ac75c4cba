// Input as the user gives it (SendInput): the system routes it, activates the window under the
// pointer and sends it the messages a hand on the mouse or keyboard would. Each call pumps a
// little after sending, so the messages are delivered before the next one.
#pragma once
#include <windows.h>

// Moves the pointer to a client point of window, presses the left button, moves it dx, dy in
// four steps and lets go there.
void RealDrag(HWND window, POINT from, int dx, int dy);
// Presses and releases a key.
void RealKey(WORD key);
