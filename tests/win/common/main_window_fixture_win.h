// A gtest fixture for suites that drive the program's main window in-process as start-up makes
// it, usually against a virtual microscope added for the test.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "capture/camera_format.h"
#include "common/vcam_harness_win.h"
#include "view/camera_view_win.h"

// What start-up brings up before the main window: COM, GDI+ and the image encoders, common
// controls, the classes of the main window and its children (app_windows_win.h) and the tool
// art; and the virtual microscope's registration. False when that could not be registered.
bool StartAppServices();
void EndAppServices();
// The classes of the control panel, its files section and the image view, for suites that show
// the panel.
void RegisterPanelClasses();
// Destroys the main window and drops the quit message its destruction posts.
void CloseMainWindow(HWND main);

class MainWindowFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(StartAppServices()); }
    static void TearDownTestSuite();
    // For a suite that shares one camera: a virtual microscope called name with these vcamctl
    // options until the suite ends (call after the fixture's SetUpTestSuite).
    static void AddSuiteCamera(const std::wstring& name, const std::wstring& options);
    // Closes the main window, then removes the test's camera.
    void TearDown() override;

    // Adds a virtual microscope called name with these vcamctl options for this test.
    void AddCamera(const std::wstring& name, const std::wstring& options);
    // The main window as start-up creates it, not yet placed or shown.
    void Create();
    // The main window at (x, y) in width x height, shown and active; its view opens the camera
    // listed last on its first tick.
    void Start(int width, int height, int x = 0, int y = 0);
    // The main window shown maximised and painted.
    void StartMaximised();
    // AddCamera, the format asked for, Start, and frames composed (fatal failures otherwise).
    void OpenCamera(const std::wstring& name, const std::wstring& options, const CameraFormat& format, int width,
                    int height);
    // Waits until the camera is open and the view has composed streamingFrames (30 s at most).
    bool Streaming();

    CameraViewInfo Info() const { return CameraViewGetInfo(view); }
    // A pixel of the view as the screen shows it.
    COLORREF ViewPixel(int x, int y) const;

    HWND main = nullptr, view = nullptr, panel = nullptr;
    unsigned long long streamingFrames = 3;
    std::unique_ptr<ScopedCamera> camera;
};
