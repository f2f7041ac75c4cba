// The program's windows against a virtual microscope (see camera_app_win.h).
#include "common/camera_app_win.h"

#include <memory>
#include <string>

#include <commctrl.h>
#include <gdiplus.h>

#include "app/image_view_win.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "capture/capture_session_win.h"
#include "common/app_windows_win.h"
#include "common/pump_win.h"
#include "common/vcam_harness_win.h"
#include "media/photo_saver_win.h"
#include "panel/ctrl_panel_files_win.h"
#include "panel/ctrl_panel_win.h"
#include "view/camera_view_win.h"

namespace {
ULONG_PTR gdiplusToken = 0;
std::unique_ptr<ScopedCamera> camera;
}  // namespace

bool CameraApp::StartSuite(const wchar_t* name, const wchar_t* options) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
    FindImageEncoders();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    ShellState.instance = instance;
    RegisterAppWindowClasses(instance);
    RegisterCtrlPanelClass(instance);
    RegisterCtrlPanelFilesClass(instance);
    RegisterImageWndClass(instance);
    LoadToolArt(instance);
    if (!EnsureVcamRegistered()) return false;
    camera = std::make_unique<ScopedCamera>(name, options);
    return camera->ok();
}

void CameraApp::EndSuite() {
    camera.reset();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    CoUninitialize();
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
    if (main && IsWindow(main)) DestroyWindow(main);
    main = nullptr;
    PumpMessages();
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}
