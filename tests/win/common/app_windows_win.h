// Registers the window classes the main window and its children need in a test process (the
// program does it at start-up).
#pragma once
#include <windows.h>

// Main window, camera view, prompt toast, both toolbars and the tool button.
void RegisterAppWindowClasses(HINSTANCE instance);
