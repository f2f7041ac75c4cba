// What a new user meets on a 1366 x 768 screen, walked with real input: the labels of the panel
// across English -> Chinese -> English, tooltips naming their keys, a recent file deleted behind
// the program's back and the preview scrolled into view, Escape out of full screen, and the
// calibrate dialog staying above the main window after a drag on the view.
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
#include "common/real_input_win.h"
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
    void Language(int language) {  // as the options dialog applies it
        LoadTextTable(AppSettings.language = language);
        for (HWND w : {panel, ShellState.hToolbar, ShellState.vToolbar}) PostMessageW(w, WM_COMMAND, CMD_RELOAD_TEXTS, 0);
        PumpMessages();
    }
    // The labels read back whole in the language, as wide as their text, clear of the lists, and
    // shown as a full redraw shows them (nothing of an earlier text left).
    void ExpectLabels(const wchar_t* shot) {
        HWND source = GetDlgItem(panel, 100);
        RECT band = RectIn(GetDlgItem(source, 101), source), last = RectIn(GetDlgItem(source, 106), source);
        band = {0, band.top, last.right, last.bottom};
        DibCanvas shown(band.right, band.bottom), redrawn(band.right, band.bottom);
        shown.CopyClient(source);
        for (auto [id, key] : {std::pair{101, "name"}, {103, "resolution"}, {105, "format"}}) {
            HWND label = GetDlgItem(source, id);
            EXPECT_EQ(WindowText(label), GetText(key));
            HDC dc = GetDC(label);
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
            SIZE text = {};
            GetTextExtentPoint32W(dc, GetText(key).c_str(), int(GetText(key).size()), &text);
            ReleaseDC(label, dc);
            RECT r = RectIn(label, source), list = RectIn(GetDlgItem(source, id + 1), source), both;
            EXPECT_LE(text.cx, r.right - r.left) << key;
            EXPECT_FALSE(IntersectRect(&both, &r, &list)) << key;
        }
        RedrawWindow(source, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        redrawn.CopyClient(source);
        int differ = 0;
        for (int y = band.top; y < band.bottom; ++y)
            for (int x = 0; x < band.right; ++x) differ += shown.At(x, y) != redrawn.At(x, y);
        EXPECT_EQ(differ, 0) << "pixels of the labels that a full redraw changes";
        Shot(main, shot);
    }
};

TEST_F(FirstUse, LabelsFilesFullScreenAndCalibrationAsANewUserMeetsThem) {
    const std::wstring folder = FreshTempFolder(L"first-use");
    for (const wchar_t* name : {L"\\a.jpg", L"\\b.jpg"}) {
        HANDLE f = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(f);
    }
    gRecentFiles = {folder + L"\\a.jpg", folder + L"\\b.jpg"};
    LoadTextTable(AppSettings.language = 0);
    ASSERT_NO_FATAL_FAILURE(OpenCamera(L"First Use Scope", L"--formats \"MJPG 1280x720\"", {kSubtypeMjpg, 1280, 720, 0}, 1366, 768));
    ASSERT_TRUE(WaitUntil([&] { return CtrlPanelGetInfo(panel).open[kFilesSectionIndex]; }));
    HWND photo = GetDlgItem(ShellState.vToolbar, ID_TAKE_PHOTO), source = GetDlgItem(panel, 100);
    auto tip = [&] { return std::wstring(reinterpret_cast<ToolButtonState*>(GetWindowLongPtrW(photo, GWLP_USERDATA))->tooltip); };
    for (int language : {0, 1, 0}) {
        Language(language);
        ExpectLabels(language ? L"first_use_zh" : L"first_use_en");
        EXPECT_EQ(tip(), language ? L"\u62cd\u7167 (\u7a7a\u683c)" : L"Take photo (Space)");
        EXPECT_EQ(SourceButtonTipText(source, kSourceTimelapseButton), GetText("time-lapse") + L" (Ctrl+T)");
    }

    // a.jpg is deleted in another program: back in this one (activated) it has left the list;
    // choosing b.jpg scrolls its preview into view.
    HWND files = GetDlgItem(panel, 102), list = GetDlgItem(files, ID_FILES_LIST);
    DeleteFileW((folder + L"\\a.jpg").c_str());
    SendMessageW(main, WM_ACTIVATEAPP, TRUE, 0);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }));
    EXPECT_EQ(gRecentFiles, std::vector<std::wstring>{folder + L"\\b.jpg"});
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    SendMessageW(files, WM_COMMAND, MAKEWPARAM(ID_FILES_LIST, LBN_SELCHANGE), LPARAM(list));
    PumpMessages();
    RECT preview = RectIn(GetDlgItem(files, ID_FILES_VIEW), panel), shown;
    GetClientRect(panel, &shown);
    EXPECT_GT(CtrlPanelGetInfo(panel).position, 0);
    Shot(main, L"first_use_preview");
    EXPECT_TRUE(preview.top >= 0 && preview.bottom <= shown.bottom) << preview.top << " " << preview.bottom;

    // Full screen shows how to leave it; Escape does.
    SendMessageW(main, WMU_TOGGLE_FULLSCREEN, 0, 0);
    NMTTDISPINFOW info = {{nullptr, UINT_PTR(GetDlgItem(view, VIEW_CMD_FULLSCREEN_BUTTON)), TTN_GETDISPINFOW}};
    SendMessageW(view, WM_NOTIFY, 0, LPARAM(&info));
    EXPECT_STREQ(info.lpszText, L"Leave full screen (Esc)");
    Shot(main, L"first_use_full_screen");
    RealKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !CameraViewFullScreen(view); }));
    for (HWND shown : {panel, ShellState.hToolbar})
        EXPECT_TRUE(RectIn(shown, main).right > RectIn(shown, main).left && RectIn(shown, main).bottom > RectIn(shown, main).top);

    // Calibrating: a drag on the view leaves the calibrate dialog above the main window.
    CalibrationState.calibratingSlot = 0;
    HWND calibrate = CreateCalibrateDialog(main);
    ASSERT_NE(calibrate, nullptr);
    RECT rc;
    GetClientRect(view, &rc);
    RealDrag(view, {rc.right / 2, rc.bottom / 2}, 40, 0);
    auto above = [&] {  // in the window order
        for (HWND w = GetWindow(main, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
            if (w == calibrate) return true;
        return false;
    };
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_TRUE(WaitUntil(above));
    PumpFor(700);  // past the time the main window watches the order after an activation
    EXPECT_TRUE(above());
    Shot(main, L"first_use_calibrating");
    SendMessageW(main, WM_COMMAND, ID_CALIBRATE, 0);  // the Calibration button brings it forward
    EXPECT_EQ(GetActiveWindow(), calibrate);
    DestroyWindow(calibrate);
}

}  // namespace
