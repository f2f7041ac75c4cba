// The main window with its control panel, in-process, as start-up makes it; helpers to read and
// drive the panel's sections with the messages their controls send.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/messages.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "app/toolbar_win.h"
#include "common/app_windows_win.h"
#include "common/main_window_fixture_win.h"
#include "common/modal_script_win.h"
#include "common/pump_win.h"
#include "common/vcam_harness_win.h"
#include "panel/ctrl_panel_win.h"
#include "settings/app_settings.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"
#include "view/measure_model.h"

class PanelFixture : public MainWindowFixture {
protected:
    static void SetUpTestSuite() {
        MainWindowFixture::SetUpTestSuite();
        RegisterCtrlPanelClass(GetModuleHandleW(nullptr));
    }
    void SetUp() override {
        AppSettings.language = 0;
        AppSettings.lastCamera[0] = 0;  // start-up opens the camera listed last
        LoadTextTable(0);
        ClearAll(MeasurementState);
        MeasurementState.tool = kToolNone;
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        AppSettings.language = 0;
        LoadTextTable(0);
    }
    // The main window at a fixed size; its view opens the last listed camera on the first tick.
    void Start(int width = 1366, int height = 768) {
        ASSERT_NO_FATAL_FAILURE(MainWindowFixture::Start(width, height));
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return Info().open[0] && Info().open[1]; }));
        PumpMessages();
    }
    CtrlPanelInfo Info() { return CtrlPanelGetInfo(panel); }
    HWND Section(int id) { return GetDlgItem(panel, id); }
    HWND Control(int section, int id) { return GetDlgItem(Section(section), id); }
    static std::vector<std::wstring> Rows(HWND combo) {
        std::vector<std::wstring> rows;
        int n = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t text[256] = {};
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            rows.push_back(text);
        }
        return rows;
    }
    static int Selected(HWND combo) { return int(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }
    // What a user's pick in a drop-down list of a section sends it.
    void Choose(int section, int id, int row) {
        HWND combo = Control(section, id);
        SendMessageW(combo, CB_SETCURSEL, row, 0);
        SendMessageW(Section(section), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }
    void Press(int section, int id) {
        SendMessageW(Section(section), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Control(section, id)));
    }
};
