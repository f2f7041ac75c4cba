// What a new user meets on a 1366 x 768 screen: the panel's labels across English -> Chinese ->
// English, tooltips naming keys, a recent file deleted elsewhere, the preview scrolled into view,
// Escape out of full screen, the calibrate dialog above the main window after a drag on the view.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/messages.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "calib/shot_win.h"
#include "common/app_windows_win.h"
#include "common/main_window_fixture_win.h"
#include "common/modal_script_win.h"
#include "common/scratch_files_win.h"
#include "panel/ctrl_panel_files_win.h"
#include "panel/ctrl_panel_win.h"
#include "panel/source_section_win.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/text_table.h"
#include "view/calibration_dialogs_win.h"
#include "view/calibration_workflow.h"

namespace {

struct FirstUse : MainWindowFixture {
    static void SetUpTestSuite() { MainWindowFixture::SetUpTestSuite(), RegisterPanelClasses(); }
    void TearDown() override { MainWindowFixture::TearDown(), LoadTextTable(AppSettings.language = 0); }
};

// Each label reads back whole, as wide as its text, and is shown as a full redraw shows it.
void ExpectLabels(HWND source) {
    DibCanvas shown(300, 200), redrawn(300, 200);
    shown.CopyClient(source);
    RedrawWindow(source, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    redrawn.CopyClient(source);
    for (auto [id, key] : {std::pair{101, "name"}, {103, "resolution"}, {105, "format"}}) {
        HWND label = GetDlgItem(source, id);
        RECT r = RectIn(label, source), text = {};
        HDC dc = GetDC(label);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        DrawTextW(dc, GetText(key).c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
        ReleaseDC(label, dc);
        EXPECT_TRUE(WindowText(label) == GetText(key) && text.right <= r.right - r.left) << key;
        for (int y = r.top; y < r.bottom; ++y)  // the label and its list
            for (int x = 0; x < 300; ++x) ASSERT_EQ(shown.At(x, y), redrawn.At(x, y)) << key << " at " << x << "," << y;
    }
}

TEST_F(FirstUse, LabelsFilesFullScreenAndCalibrationAsANewUserMeetsThem) {
    const std::wstring folder = FreshTempFolder(L"first-use");
    gRecentFiles = {folder + L"\\a.jpg", folder + L"\\b.jpg"};
    for (const std::wstring& file : gRecentFiles) CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NO_FATAL_FAILURE(OpenCamera(L"First Use Scope", L"--formats \"MJPG 1280x720\"", {kSubtypeMjpg, 1280, 720, 0}, 1366, 768));
    HWND source = GetDlgItem(panel, 100), photo = GetDlgItem(ShellState.vToolbar, ID_TAKE_PHOTO);
    for (int language : {0, 1, 0}) {  // as the options dialog applies a language
        LoadTextTable(AppSettings.language = language);
        for (HWND w : {panel, ShellState.hToolbar, ShellState.vToolbar}) PostMessageW(w, WM_COMMAND, CMD_RELOAD_TEXTS, 0);
        PumpMessages();
        ExpectLabels(source);
        Shot(main, language ? L"first_use_zh" : L"first_use_en");
        EXPECT_STREQ(reinterpret_cast<ToolButtonState*>(GetWindowLongPtrW(photo, GWLP_USERDATA))->tooltip,
                     language ? L"\u62cd\u7167 (\u7a7a\u683c)" : L"Take photo (Space)");
        EXPECT_EQ(SourceButtonTipText(source, kSourceTimelapseButton), GetText("time-lapse") + L" (Ctrl+T)");
    }

    // a.jpg is deleted in another program: back here it has left; b.jpg's preview comes into view.
    HWND files = GetDlgItem(panel, 102), list = GetDlgItem(files, ID_FILES_LIST);
    DeleteFileW(gRecentFiles[0].c_str());
    SendMessageW(main, WM_ACTIVATEAPP, TRUE, 0);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }));
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    SendMessageW(files, WM_COMMAND, MAKEWPARAM(ID_FILES_LIST, LBN_SELCHANGE), LPARAM(list));
    RECT preview = RectIn(GetDlgItem(files, ID_FILES_VIEW), panel), client;
    GetClientRect(panel, &client);
    EXPECT_TRUE(preview.top >= 0 && preview.bottom <= client.bottom) << preview.top << " " << preview.bottom;

    // Full screen shows how to leave it; Escape does, and the panel is back.
    SendMessageW(main, WMU_TOGGLE_FULLSCREEN, 0, 0);
    NMTTDISPINFOW tip = {{nullptr, UINT_PTR(GetDlgItem(view, VIEW_CMD_FULLSCREEN_BUTTON)), TTN_GETDISPINFOW}};
    SendMessageW(view, WM_NOTIFY, 0, LPARAM(&tip));
    EXPECT_STREQ(tip.lpszText, L"Leave full screen (Esc)");
    SendMessageW(view, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !CameraViewFullScreen(view) && RectIn(panel, main).right > RectIn(panel, main).left; }));

    // A drag on the view while calibrating leaves the calibrate dialog above the main window.
    CalibrationState.calibratingSlot = 0;
    HWND calibrate = CreateCalibrateDialog(main);
    POINT at = {300, 300};
    ClientToScreen(view, &at);
    for (DWORD step : {MOUSEEVENTF_LEFTDOWN, 0, 0, MOUSEEVENTF_LEFTUP}) {  // a drag with the real mouse
        INPUT in = {INPUT_MOUSE};
        in.mi = {MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1), MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1),
                 0, step | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE};
        SendInput(1, &in, sizeof(in));
        PumpMessages();
        at.x += 20;
    }
    auto above = [&] { HWND w = main; while ((w = GetWindow(w, GW_HWNDPREV)) && w != calibrate) {} return w == calibrate; };
    EXPECT_TRUE(WaitUntil(above));
    PumpFor(700);  // past the half second the main window watches the order after an activation
    EXPECT_TRUE(above());
    SendMessageW(main, WM_COMMAND, ID_CALIBRATE, 0);  // the Calibration button brings it forward
    EXPECT_EQ(GetActiveWindow(), calibrate);
}

}  // namespace
