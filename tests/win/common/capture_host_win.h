// A stand-in for the camera view in tests of the capture layer: a window that counts the
// program's messages posted to it, classifies capture-device notices as the view does and drains
// graph events, with the capture state made for it; and a virtual microscope for each test.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/vcam_harness_win.h"

class CaptureHostFixture : public ::testing::Test {
public:
    static int arrivals, removals;  // device notices the window classified

protected:
    // COM, the window's class (named as the main window's, which vcamctl tells of plugging) and
    // the virtual microscope's registration.
    static void SetUpTestSuite();
    // The window, the capture state and device notices for it, counts cleared.
    void SetUp() override;
    // Closes the session and frees what the capture state holds; removes the test's camera.
    void TearDown() override;

    // Adds a virtual microscope called name with these vcamctl options for this test, then opens
    // the camera listed last (fatal failure unless it opened).
    void OpenCamera(const std::wstring& name, const std::wstring& options);
    // How many times msg was posted to the window since SetUp.
    static int Posted(UINT msg);
    static void ClearPosted();
    // Waits until the streaming thread has published three more frames (20 s at most).
    static bool FramesFlow();

    HWND view = nullptr;
    std::unique_ptr<ScopedCamera> camera;
};
