// The main-window fixture and the services start-up brings up (see main_window_fixture_win.h).
#include "common/main_window_fixture_win.h"

#include <commctrl.h>
#include <gdiplus.h>

#include "app/image_view_win.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "capture/capture_session_win.h"
#include "common/app_windows_win.h"
#include "common/pump_win.h"
#include "common/stored_settings_win.h"
#include "media/photo_saver_win.h"
#include "panel/ctrl_panel_files_win.h"
#include "panel/ctrl_panel_win.h"

namespace {
ULONG_PTR gdiplusToken = 0;
std::unique_ptr<ScopedCamera> suiteCamera;
}  // namespace

bool StartAppServices() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
    FindImageEncoders();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    ShellState.instance = instance;
    RegisterAppWindowClasses(instance);
    LoadToolArt(instance);
    return EnsureVcamRegistered();
}

void EndAppServices() {
    Gdiplus::GdiplusShutdown(gdiplusToken);
    CoUninitialize();
}

void RegisterPanelClasses() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterCtrlPanelClass(instance);
    RegisterCtrlPanelFilesClass(instance);
    RegisterImageWndClass(instance);
}

void CloseMainWindow(HWND main) {
    if (main && IsWindow(main)) DestroyWindow(main);
    PumpMessages();
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

void MainWindowFixture::TearDownTestSuite() {
    suiteCamera.reset();
    EndAppServices();
}

void MainWindowFixture::AddSuiteCamera(const std::wstring& name, const std::wstring& options) {
    suiteCamera = std::make_unique<ScopedCamera>(name, options);
    ASSERT_TRUE(suiteCamera->ok());
}

void MainWindowFixture::TearDown() {
    CloseMainWindow(main);
    main = nullptr;
    camera.reset();
}

void MainWindowFixture::AddCamera(const std::wstring& name, const std::wstring& options) {
    camera.reset();  // a camera of the same name is gone first
    camera = std::make_unique<ScopedCamera>(name, options);
    ASSERT_TRUE(camera->ok());
}

void MainWindowFixture::Create() {
    ForgetCameraRecords();  // as on a first start: every camera is new to the program
    ShellState.instance = GetModuleHandleW(nullptr);
    main = CreateMainWindow(ShellState.instance);
    ASSERT_NE(main, nullptr);
    view = ShellState.cameraView;
    panel = ShellState.panel;
    ASSERT_NE(view, nullptr);
}

void MainWindowFixture::Start(int width, int height, int x, int y) {
    ASSERT_NO_FATAL_FAILURE(Create());
    if (width) {
        SetWindowPos(main, HWND_TOP, x, y, width, height, SWP_SHOWWINDOW);
        SetActiveWindow(main);
    } else {
        ShowWindow(main, SW_SHOWMAXIMIZED);
        UpdateWindow(main);
    }
}

void MainWindowFixture::StartMaximised() { Start(0, 0); }

void MainWindowFixture::OpenCamera(const std::wstring& name, const std::wstring& options, const CameraFormat& format,
                                   int width, int height) {
    ASSERT_NO_FATAL_FAILURE(AddCamera(name, options));
    requestedFormat = format;
    ASSERT_NO_FATAL_FAILURE(Start(width, height));
    ASSERT_TRUE(Streaming());
}

bool MainWindowFixture::Streaming() {
    return WaitUntil([&] { return IsDeviceOpen() && Info().composedFrames >= streamingFrames; }, 30000);
}

COLORREF MainWindowFixture::ViewPixel(int x, int y) const {
    HDC dc = GetDC(view);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(view, dc);
    return c;
}
