// The main window in-process: class, title, minimum tracking size and full-screen round trip.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/shell_state_win.h"
#include "common/main_window_fixture_win.h"
#include "common/pump_win.h"

namespace {

struct MainWindowTest : MainWindowFixture {
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(Create()); }
};

TEST_F(MainWindowTest, HasTitleAndMinimumTrackingSize) {
    wchar_t title[64];
    GetWindowTextW(main, title, 64);
    EXPECT_STREQ(title, L"Vardelo\u667a\u80fd\u663e\u5fae\u955c");
    MINMAXINFO mmi = {};
    SendMessageW(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, 798);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 520);
    EXPECT_EQ(ShellState.panelWidth, MulDiv(126, LOWORD(GetDialogBaseUnits()), 4));
}

TEST_F(MainWindowTest, FullScreenRoundTripRestoresPlacement) {
    SetWindowPos(main, nullptr, 40, 30, 900, 600, SWP_NOZORDER);
    ShowWindow(main, SW_SHOWNORMAL);
    PumpMessages();
    RECT before;
    GetWindowRect(main, &before);

    SendMessageW(main, 0x8008 /* WMU_TOGGLE_FULLSCREEN */, 0, 0);
    PumpMessages();
    EXPECT_EQ(GetWindowLongW(main, GWL_STYLE) & WS_CAPTION, 0);
    MONITORINFO mi = {sizeof(mi)};
    GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTOPRIMARY), &mi);
    RECT full;
    GetWindowRect(main, &full);
    EXPECT_TRUE(EqualRect(&full, &mi.rcMonitor));

    SendMessageW(main, 0x8008, 0, 0);
    PumpMessages();
    EXPECT_NE(GetWindowLongW(main, GWL_STYLE) & WS_CAPTION, 0);
    RECT after;
    GetWindowRect(main, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

}  // namespace
