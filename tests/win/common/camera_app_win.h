// The program's windows against a virtual microscope, for tests that drive them as a user
// would: the platform services and window classes start-up brings up, one camera for the suite,
// and a main window whose camera view is streaming.
#pragma once
#include <windows.h>

#include "capture/camera_format.h"

class CameraApp {
public:
    // Once per suite: COM, GDI+, the image encoders, common controls, the window classes of the
    // main window, its camera view, toolbars, buttons, toast and panel, and a virtual microscope called
    // name with the given vcamctl options. False when the camera could not be added.
    static bool StartSuite(const wchar_t* name, const wchar_t* options);
    static void EndSuite();

    // The main window at (x, y) in w x h, shown and active, the camera opened with format; true
    // once the camera view has composed frames (30 s at most).
    bool Open(int x, int y, int w, int h, const CameraFormat& format);
    // Destroys the main window and drops the quit message its destruction posts.
    void Close();
    HWND main = nullptr;
};
