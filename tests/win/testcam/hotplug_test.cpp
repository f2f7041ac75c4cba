// vcamctl's plug events: adding and removing a camera sends WM_DEVICECHANGE with a capture
// device interface to Vardelo's main window and its camera view, from another process.
#include <gtest/gtest.h>
#include <windows.h>
#include <dbt.h>

#include <vector>

#include "common/pump_win.h"
#include "common/vcam_harness_win.h"

namespace {

const GUID kCaptureCategory = {0x65e8773d, 0x8f56, 0x11d0, {0xa3, 0xb9, 0x00, 0xa0, 0xc9, 0x22, 0x31, 0x96}};

struct PlugEvent {
    HWND hwnd;
    WPARAM event;
    DWORD deviceType;
    GUID classGuid;
};
std::vector<PlugEvent> g_events;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DEVICECHANGE && lp) {
        auto* hdr = reinterpret_cast<DEV_BROADCAST_HDR*>(lp);
        PlugEvent e{hwnd, wp, hdr->dbch_devicetype, GUID_NULL};
        if (hdr->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE)
            e.classGuid = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(lp)->dbcc_classguid;
        g_events.push_back(e);
        return TRUE;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

TEST(VcamHotPlug, AddAndRemoveAnnounceToMainWindowAndCameraView) {
    ASSERT_TRUE(EnsureVcamRegistered());
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = inst;
    wc.lpszClassName = L"VardeloWndClass";
    RegisterClassW(&wc);
    wc.lpszClassName = L"CameraWndClass";
    RegisterClassW(&wc);
    HWND main = CreateWindowW(L"VardeloWndClass", L"Vardelo", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                              inst, nullptr);
    ASSERT_TRUE(main);
    HWND view = CreateWindowW(L"CameraWndClass", L"", WS_CHILD, 0, 0, 100, 100, main, nullptr, inst, nullptr);
    ASSERT_TRUE(view);
    g_events.clear();

    ScopedCamera plug(L"Vcam Plug", L"--formats \"YUY2 640x480\"");  // removed however the test ends
    ASSERT_TRUE(plug.ok());
    ASSERT_TRUE(WaitUntil([] { return g_events.size() >= 2; }, 10000));
    ASSERT_EQ(RunVcamctl(L"remove \"Vcam Plug\""), 0);
    ASSERT_TRUE(WaitUntil([] { return g_events.size() >= 4; }, 10000));
    ASSERT_EQ(g_events.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(g_events[i].event, i < 2 ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE);
        EXPECT_EQ(g_events[i].deviceType, static_cast<DWORD>(DBT_DEVTYP_DEVICEINTERFACE));
        EXPECT_TRUE(IsEqualGUID(g_events[i].classGuid, kCaptureCategory));
    }
    EXPECT_EQ(g_events[0].hwnd, main);
    EXPECT_EQ(g_events[1].hwnd, view);
    DestroyWindow(main);
    UnregisterClassW(L"CameraWndClass", inst);
    UnregisterClassW(L"VardeloWndClass", inst);
}
