// The main window in-process: class, title, minimum tracking size and full-screen round trip.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/shell_state_win.h"
#include "common/pump_win.h"

namespace {

struct MainWindowTest : ::testing::Test {
    static void SetUpTestSuite() { RegisterMainWndClass(GetModuleHandleW(nullptr)); }
    void SetUp() override {
        ShellState.instance = GetModuleHandleW(nullptr);
        hwnd = CreateMainWindow(ShellState.instance);
        ASSERT_NE(hwnd, nullptr);
    }
    void TearDown() override {
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
        PumpMessages();
        // The main window quits the loop when destroyed; drop that quit message.
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    HWND hwnd = nullptr;
};

TEST_F(MainWindowTest, HasTitleAndMinimumTrackingSize) {
    wchar_t title[64];
    GetWindowTextW(hwnd, title, 64);
    EXPECT_STREQ(title, L"Vardelo\u667a\u80fd\u663e\u5fae\u955c");
    MINMAXINFO mmi = {};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, 798);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 520);
    EXPECT_EQ(ShellState.panelWidth, MulDiv(126, LOWORD(GetDialogBaseUnits()), 4));
}

TEST_F(MainWindowTest, FullScreenRoundTripRestoresPlacement) {
    SetWindowPos(hwnd, nullptr, 40, 30, 900, 600, SWP_NOZORDER);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    PumpMessages();
    RECT before;
    GetWindowRect(hwnd, &before);

    SendMessageW(hwnd, 0x8008 /* WMU_TOGGLE_FULLSCREEN */, 0, 0);
    PumpMessages();
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION, 0);
    MONITORINFO mi = {sizeof(mi)};
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &mi);
    RECT full;
    GetWindowRect(hwnd, &full);
    EXPECT_TRUE(EqualRect(&full, &mi.rcMonitor));

    SendMessageW(hwnd, 0x8008, 0, 0);
    PumpMessages();
    EXPECT_NE(GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION, 0);
    RECT after;
    GetWindowRect(hwnd, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

}  // namespace
