// The capture layer's stand-in view (see capture_host_win.h).
#include "common/capture_host_win.h"

#include <map>

#include "app/messages.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "capture/device_list_win.h"
#include "common/pump_win.h"
#include "common/stored_settings_win.h"
#include "frame/capture_state_win.h"

namespace {

std::map<UINT, int> posted;

LRESULT CALLBACK HostViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= kWmApp && msg < kWmApp + 32) posted[msg]++;
    if (msg == WM_DEVICECHANGE) {
        int change = ClassifyDeviceChange(wp, lp);
        if (change > 0) CaptureHostFixture::arrivals++;
        if (change < 0) CaptureHostFixture::removals++;
        return TRUE;
    }
    if (msg == WMU_GRAPH_EVENT) OnGraphEvent();
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int CaptureHostFixture::arrivals = 0;
int CaptureHostFixture::removals = 0;

void CaptureHostFixture::SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostViewProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kMainWndClass;
    RegisterClassW(&wc);
    ASSERT_TRUE(EnsureVcamRegistered());
}

void CaptureHostFixture::SetUp() {
    view = CreateWindowW(kMainWndClass, L"stand-in view", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(view, nullptr);
    InitCaptureState(view);
    RegisterDeviceNotifications(view);
    ClearPosted();
    arrivals = removals = 0;
    ForgetCameraRecords();
}

void CaptureHostFixture::TearDown() {
    CloseSession();
    ClearDeviceList();
    UnregisterDeviceNotifications();
    PumpMessages();
    DeleteCaptureLocks();
    DestroyWindow(view);
    camera.reset();
}

void CaptureHostFixture::OpenCamera(const std::wstring& name, const std::wstring& options) {
    camera.reset();  // a camera of the same name is gone first
    camera = std::make_unique<ScopedCamera>(name, options);
    ASSERT_TRUE(camera->ok());
    OpenLastDevice();
    ASSERT_TRUE(IsDeviceOpen());
}

int CaptureHostFixture::Posted(UINT msg) { return posted.count(msg) ? posted[msg] : 0; }

void CaptureHostFixture::ClearPosted() { posted.clear(); }

bool CaptureHostFixture::FramesFlow() {
    const uint32_t start = CaptureState.framesPublished;
    return WaitUntil([&] { return CaptureState.framesPublished - start >= 3; }, 20000);
}
