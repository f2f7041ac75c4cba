// The program's windows against a virtual microscope (see camera_app_win.h).
#include "common/camera_app_win.h"

#include <memory>

#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "common/main_window_fixture_win.h"
#include "common/pump_win.h"
#include "common/vcam_harness_win.h"
#include "view/camera_view_win.h"

namespace {
std::unique_ptr<ScopedCamera> camera;
}  // namespace

bool CameraApp::StartSuite(const wchar_t* name, const wchar_t* options) {
    if (!StartAppServices()) return false;
    RegisterPanelClasses();
    camera = std::make_unique<ScopedCamera>(name, options);
    return camera->ok();
}

void CameraApp::EndSuite() {
    camera.reset();
    EndAppServices();
}

bool CameraApp::Open(int x, int y, int w, int h, const CameraFormat& format) {
    requestedFormat = format;
    main = CreateMainWindow(ShellState.instance);
    if (!main) return false;
    SetWindowPos(main, HWND_TOP, x, y, w, h, SWP_SHOWWINDOW);
    SetActiveWindow(main);
    HWND view = ShellState.cameraView;
    return WaitUntil([&] { return IsDeviceOpen() && CameraViewGetInfo(view).composedFrames >= 3; }, 30000);
}

void CameraApp::Close() {
    CloseMainWindow(main);
    main = nullptr;
}
