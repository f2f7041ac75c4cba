// The calibration dialogs and the text input dialog in-process, over a real camera view (a
// picture size but no camera): what the manager lists, what rename, delete, apply and
// calibrate store in the slots, the settings and the view, what they post to the main window,
// the calibrate dialog's OK and refusals, the text dialog's round trip with the view, and the
// texts in both languages. Modal dialogs are driven by a thread timer that runs a script of
// steps inside their message loops.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/shell_state_win.h"
#include "calib/calibration_lists_win.h"
#include "calib/shot_win.h"
#include "common/modal_script_win.h"
#include "common/pump_win.h"
#include "resources/calibration_dialogs.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/calibration_dialogs_win.h"
#include "view/calibration_table.h"
#include "view/calibration_workflow.h"
#include "view/camera_view_win.h"
#include "view/measure_model.h"
#include "view/text_input_dialog_win.h"

namespace {

// ---- The stand-in main window: records the commands posted to it ----

std::vector<int> posted;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && lp == 0) posted.push_back(LOWORD(wp));
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int CountPosted(int command) {
    int n = 0;
    for (int c : posted) n += c == command;
    return n;
}

// ---- Scripts run inside modal loops (common/modal_script_win.h) ----

using Step = ScriptStep;
void Click(HWND dlg, int id) { ClickDialogButton(dlg, id); }

int SelectedRow(HWND list) { return int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }

Calibration SlideSlot() {
    Calibration slot;
    EmptyCalibration(slot);
    SetCalibrationName(slot, L"Slide");
    StoreCalibration(slot, 0, 400, 1.0f, 1280, 720, 20230322);
    return slot;
}

float ViewPpu() { return CameraViewPixelsPerUnit(ShellState.cameraView); }

struct CalibrationDialogsTest : ::testing::Test {
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        HINSTANCE instance = GetModuleHandleW(nullptr);
        RegisterCameraWndClass(instance);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = instance;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = L"CalibrationTestHost";
        RegisterClassW(&wc);
    }
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        AppSettings = AppSettingsData{};
        AppSettings.language = 0;
        LoadTextTable(0);
        for (auto& slot : CalibrationTable) EmptyCalibration(slot);
        CalibrationState = CalibrationStateData{};
        ClearAll(MeasurementState);
        MeasurementState.tool = kToolNone;
        MeasurementState.stage = 0;
        MeasurementState.pending = MeasureShape{};
        posted.clear();

        HINSTANCE instance = GetModuleHandleW(nullptr);
        host = CreateWindowExW(0, L"CalibrationTestHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 40, 1100,
                               700, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(host, nullptr);
        view = CreateCameraView(host, instance);
        ASSERT_NE(view, nullptr);
        MoveWindow(view, 0, 0, 1000, 600, TRUE);
        CameraViewSetPictureSize(view, 1280, 720, 1280, 720);
        PumpMessages();
        ShellState.instance = instance;
        ShellState.mainWnd = host;
        ShellState.cameraView = view;
    }
    void TearDown() override {
        if (ShellState.calibrationWnd) DestroyWindow(ShellState.calibrationWnd);
        if (ShellState.textInputDlg) DestroyWindow(ShellState.textInputDlg);
        DestroyWindow(host);
        PumpMessages();
        ShellState.mainWnd = ShellState.cameraView = nullptr;
        ShellState.calibrationWnd = ShellState.textInputDlg = nullptr;
    }
    // The manager with its Apply and Calibrate buttons enabled, as when a camera is open.
    static void EnableCameraButtons(HWND dlg) {
        EnableWindow(GetDlgItem(dlg, IDC_CALIB_APPLY), TRUE);
        EnableWindow(GetDlgItem(dlg, IDC_CALIB_CALIBRATE), TRUE);
    }
    // Expected top-left of a dialog of width w placed over the host.
    POINT BelowHostTop(HWND dlg) {
        RECT h, d;
        GetWindowRect(host, &h);
        GetWindowRect(dlg, &d);
        return {h.left + (h.right - h.left - (d.right - d.left)) / 2, h.top + 68};
    }
    void ExpectBelowHostTop(HWND dlg) {
        RECT d;
        GetWindowRect(dlg, &d);
        POINT p = BelowHostTop(dlg);
        EXPECT_EQ(d.left, p.x);
        EXPECT_EQ(d.top, p.y);
    }
    HWND host = nullptr, view = nullptr;
};

const wchar_t kManagerTitle[] = L"Config calibrations";

// ---- Manager ----

TEST_F(CalibrationDialogsTest, ManagerListsTheTenSlotsInFiveColumns) {
    CalibrationTable[0] = SlideSlot();
    CalibrationTable[1] = SlideSlot();
    SetCalibrationName(CalibrationTable[1], L"Old");
    CalibrationTable[1].date = 20191231;
    CalibrationTable[1].resolution = PackResolution(320, 240);
    CalibrationState.managerRow = 1;
    INT_PTR result = RunScripted([&] { return RunCalibrationManager(host); }, {
        OnDialog(kManagerTitle, [&](HWND dlg) {
            ExpectBelowHostTop(dlg);
            HWND list = GetDlgItem(dlg, IDC_CALIB_LIST);
            HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
            EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 5);
            const wchar_t* titles[] = {L"Name", L"Value", L"Unit", L"Date", L"Resolution"};
            const int widths[] = {128, 88, 78, 118, 128};
            const int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER, LVCFMT_LEFT, LVCFMT_LEFT};
            for (int c = 0; c < 5; ++c) {
                wchar_t title[64] = {};
                LVCOLUMNW col = {};
                col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
                col.pszText = title;
                col.cchTextMax = 64;
                SendMessageW(list, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&col));
                EXPECT_STREQ(title, titles[c]);
                EXPECT_EQ(col.cx, widths[c]);
                EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, formats[c]) << c;
            }
            DWORD ex = DWORD(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
            EXPECT_EQ(ex & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES), DWORD(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES));
            EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 10);
            EXPECT_EQ(ItemText(list, 0, 0), L"Slide");
            EXPECT_EQ(ItemText(list, 0, 1), L"400.00");
            EXPECT_EQ(ItemText(list, 0, 2), L"mm");
            EXPECT_EQ(ItemText(list, 0, 3), L"03/22/2023");
            EXPECT_EQ(ItemText(list, 0, 4), L"1280x720");
            EXPECT_EQ(ItemText(list, 1, 0), L"Old");
            EXPECT_EQ(ItemText(list, 1, 3), L"");  // before 2020
            EXPECT_EQ(ItemText(list, 1, 4), L"");  // below 640 x 480
            for (int c = 0; c < 5; ++c) EXPECT_EQ(ItemText(list, 9, c), L"");
            EXPECT_EQ(SelectedRow(list), 1);  // the manager row
            // No camera open: nothing to apply or calibrate against.
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_CALIB_APPLY)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_CALIB_CALIBRATE)));
            Shot(dlg, L"manager_en");
            // A disabled button's command does nothing.
            SelectRow(list, 0);
            Click(dlg, IDC_CALIB_APPLY);
            Click(dlg, IDC_CALIB_CALIBRATE);
        }),
        [&] {
            HWND dlg = VisibleDialog(kManagerTitle);
            EXPECT_EQ(CalibrationState.appliedSlot, -1);
            Click(dlg, IDCANCEL);
            return true;
        },
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(CalibrationState.managerRow, -1);  // the applied slot: none
    EXPECT_FALSE(CalibrationState.managerPositionSet);
    EXPECT_EQ(CountPosted(CMD_CALIBRATION_CHANGED), 0);
}

TEST_F(CalibrationDialogsTest, RenameStoresACleanNameInTheEditedRowAndTheSettings) {
    int step = 0;
    RunScripted([&] { return RunCalibrationManager(host); }, {
        OnDialog(kManagerTitle, [&](HWND dlg) {
            SelectRow(GetDlgItem(dlg, IDC_CALIB_LIST), 2);
            Click(dlg, IDC_CALIB_RENAME);
        }),
        [&] {
            HWND list = GetDlgItem(VisibleDialog(kManagerTitle), IDC_CALIB_LIST);
            HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
            if (!edit) return false;
            EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 19);
            SetWindowTextW(edit, L"My,slide;with a very long name");  // past the limit, as a paste could be
            SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
            SendMessageW(edit, WM_CHAR, VK_RETURN, 0);
            return true;
        },
        [&] {
            HWND dlg = VisibleDialog(kManagerTitle);
            HWND list = GetDlgItem(dlg, IDC_CALIB_LIST);
            if (SendMessageW(list, LVM_GETEDITCONTROL, 0, 0) && ++step < 50) return false;
            EXPECT_EQ(ItemText(list, 2, 0), L"My_slide_with a ver");
            // A slow second click on the selected row edits it too: the name goes to that row,
            // not to the row Rename chose last.
            SelectRow(list, 5);
            SetFocus(list);
            SendMessageW(list, LVM_EDITLABELW, 5, 0);
            HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
            EXPECT_NE(edit, nullptr);
            SetWindowTextW(edit, L"Five");
            SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
            SendMessageW(edit, WM_CHAR, VK_RETURN, 0);
            return true;
        },
        [&] {
            HWND dlg = VisibleDialog(kManagerTitle);
            HWND list = GetDlgItem(dlg, IDC_CALIB_LIST);
            if (SendMessageW(list, LVM_GETEDITCONTROL, 0, 0)) return false;
            EXPECT_EQ(ItemText(list, 5, 0), L"Five");
            Click(dlg, IDCANCEL);
            return true;
        },
    });
    EXPECT_STREQ(CalibrationTable[2].name, L"My_slide_with a ver");
    EXPECT_STREQ(CalibrationTable[5].name, L"Five");
    EXPECT_EQ(CalibrationTable[2].pixelsPerUnit, -1.0f);
    EXPECT_EQ(StoredCalibrations(),
              L",0,0,0,0,0;,0,0,0,0,0;My_slide_with a ver,0,0,0,0,0;,0,0,0,0,0;,0,0,0,0,0;Five,0,0,0,0,0;"
              L",0,0,0,0,0;,0,0,0,0,0;,0,0,0,0,0;,0,0,0,0,0;");
}

TEST_F(CalibrationDialogsTest, DoubleClickOnARowStartsRenamingIt) {
    RunScripted([&] { return RunCalibrationManager(host); }, {
        OnDialog(kManagerTitle, [&](HWND dlg) {
            HWND list = GetDlgItem(dlg, IDC_CALIB_LIST);
            SelectRow(list, 4);
            NMITEMACTIVATE act = {};
            act.hdr = {list, IDC_CALIB_LIST, UINT(NM_DBLCLK)};
            act.iItem = 4;
            SendMessageW(dlg, WM_NOTIFY, IDC_CALIB_LIST, reinterpret_cast<LPARAM>(&act));
            EXPECT_EQ(CalibrationState.managerRow, 4);
        }),
        [&] {
            HWND list = GetDlgItem(VisibleDialog(kManagerTitle), IDC_CALIB_LIST);
            HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
            if (!edit) return false;
            SendMessageW(list, LVM_CANCELEDITLABEL, 0, 0);  // cancelled: nothing stored
            return true;
        },
        [&] {
            HWND dlg = VisibleDialog(kManagerTitle);
            if (SendMessageW(GetDlgItem(dlg, IDC_CALIB_LIST), LVM_GETEDITCONTROL, 0, 0)) return false;
            // A double-click below the rows selects nothing and starts nothing.
            NMITEMACTIVATE act = {};
            act.hdr = {GetDlgItem(dlg, IDC_CALIB_LIST), IDC_CALIB_LIST, UINT(NM_DBLCLK)};
            act.iItem = -1;
            SendMessageW(dlg, WM_NOTIFY, IDC_CALIB_LIST, reinterpret_cast<LPARAM>(&act));
            EXPECT_EQ(CalibrationState.managerRow, -1);
            Click(dlg, IDCANCEL);
            return true;
        },
    });
    EXPECT_EQ(CalibrationTable[4].name[0], 0);
    EXPECT_EQ(StoredCalibrations(), L"<missing>");
}

TEST_F(CalibrationDialogsTest, DeleteAsksFirstAndUncalibratesTheViewWhenTheSlotIsApplied) {
    CalibrationTable[0] = SlideSlot();
    CalibrationTable[4] = SlideSlot();
    CalibrationState.appliedSlot = 0;
    struct { float ppu; int32_t unit; } applied = {400.0f, 0};
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_CALIBRATION, reinterpret_cast<LPARAM>(&applied));
    ASSERT_FLOAT_EQ(ViewPpu(), 400.0f);

    auto deleteRow = [&](int row, int answer) -> std::vector<Step> {
        return {
            OnDialog(kManagerTitle, [=](HWND dlg) {
                SelectRow(GetDlgItem(dlg, IDC_CALIB_LIST), row);
                Click(dlg, IDC_CALIB_DELETE);
            }),
            OnDialog(L"Calibrate", [=](HWND box) {
                EXPECT_EQ(GetWindow(box, GW_OWNER), VisibleDialog(kManagerTitle));
                bool sawText = false;
                for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                    sawText |= WindowText(c) == L"Delete selected data ?";
                EXPECT_TRUE(sawText);
                EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
                EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
                // No is the default button.
                EXPECT_TRUE(SendDlgItemMessageW(box, IDNO, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON);
                Click(box, answer);
            }),
            [] { return !VisibleDialog(L"Calibrate"); },
        };
    };
    std::vector<Step> steps = deleteRow(4, IDNO);  // No: nothing changes
    steps.push_back([&] {
        EXPECT_FLOAT_EQ(CalibrationTable[4].pixelsPerUnit, 400.0f);
        EXPECT_EQ(StoredCalibrations(), L"<missing>");
        return true;
    });
    for (Step& s : deleteRow(4, IDYES)) steps.push_back(s);  // not the applied slot
    steps.push_back([&] {
        EXPECT_EQ(CalibrationTable[4].pixelsPerUnit, -1.0f);
        EXPECT_FLOAT_EQ(ViewPpu(), 400.0f);
        EXPECT_EQ(CountPosted(CMD_CALIBRATION_CHANGED), 0);
        return true;
    });
    for (Step& s : deleteRow(0, IDYES)) steps.push_back(s);  // the applied slot
    steps.push_back([&] {
        HWND dlg = VisibleDialog(kManagerTitle);
        HWND list = GetDlgItem(dlg, IDC_CALIB_LIST);
        for (int c = 0; c < 5; ++c) EXPECT_EQ(ItemText(list, 0, c), L"");
        Click(dlg, IDCANCEL);
        return true;
    });
    RunScripted([&] { return RunCalibrationManager(host); }, steps);
    PumpMessages();
    EXPECT_EQ(CalibrationTable[0].pixelsPerUnit, -1.0f);
    EXPECT_EQ(CalibrationTable[0].name[0], 0);
    EXPECT_LE(ViewPpu(), 0.0f);                        // the view is uncalibrated
    EXPECT_EQ(CalibrationState.appliedSlot, 0);        // but the applied index stays
    EXPECT_EQ(CountPosted(CMD_CALIBRATION_CHANGED), 1);
    EXPECT_EQ(StoredCalibrations().substr(0, 22), L",0,0,0,0,0;,0,0,0,0,0;");
}

TEST_F(CalibrationDialogsTest, ApplySendsTheSlotToTheViewAndEndsWithSix) {
    CalibrationTable[3] = SlideSlot();
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 50);
    INT_PTR result = RunScripted([&] { return RunCalibrationManager(host); }, {
        OnDialog(kManagerTitle, [&](HWND dlg) {
            EnableCameraButtons(dlg);
            SelectRow(GetDlgItem(dlg, IDC_CALIB_LIST), 3);
            Click(dlg, IDC_CALIB_APPLY);
        }),
    });
    EXPECT_EQ(result, IDC_CALIB_APPLY);
    EXPECT_FLOAT_EQ(ViewPpu(), 400.0f);
    EXPECT_EQ(CameraViewGetInfo(view).ratio, 100);
    EXPECT_EQ(CalibrationState.appliedSlot, 3);
    EXPECT_EQ(CalibrationState.managerRow, 3);
    EXPECT_FALSE(CalibrationState.managerPositionSet);
    PumpMessages();
    EXPECT_EQ(CountPosted(CMD_CALIBRATION_CHANGED), 1);

    // An empty slot can be applied too: the view becomes uncalibrated.
    result = RunScripted([&] { return RunCalibrationManager(host); }, {
        OnDialog(kManagerTitle, [&](HWND dlg) {
            EXPECT_EQ(SelectedRow(GetDlgItem(dlg, IDC_CALIB_LIST)), 3);
            EnableCameraButtons(dlg);
            SelectRow(GetDlgItem(dlg, IDC_CALIB_LIST), 7);
            Click(dlg, IDC_CALIB_APPLY);
        }),
    });
    EXPECT_EQ(result, IDC_CALIB_APPLY);
    EXPECT_LE(ViewPpu(), 0.0f);
    EXPECT_EQ(CalibrationState.appliedSlot, 7);
}

TEST_F(CalibrationDialogsTest, CalibrateRemembersTheSlotAndWhereTheManagerWas) {
    RECT moved = {};
    INT_PTR result = RunScripted([&] { return RunCalibrationManager(host); }, {
        OnDialog(kManagerTitle, [&](HWND dlg) {
            EnableCameraButtons(dlg);
            SetWindowPos(dlg, nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            GetWindowRect(dlg, &moved);
            SelectRow(GetDlgItem(dlg, IDC_CALIB_LIST), 6);
            Click(dlg, IDC_CALIB_CALIBRATE);
        }),
    });
    EXPECT_EQ(result, IDC_CALIB_CALIBRATE);
    EXPECT_EQ(CalibrationState.calibratingSlot, 6);
    EXPECT_EQ(CalibrationState.managerRow, 6);
    ASSERT_TRUE(CalibrationState.managerPositionSet);
    EXPECT_EQ(CalibrationState.managerLeft, moved.left);
    EXPECT_EQ(CalibrationState.managerTop, moved.top);

    // The next opening comes back there, with the row selected; nothing selected does nothing.
    RunScripted([&] { return RunCalibrationManager(host); }, {
        OnDialog(kManagerTitle, [&](HWND dlg) {
            RECT r;
            GetWindowRect(dlg, &r);
            EXPECT_EQ(r.left, moved.left);
            EXPECT_EQ(r.top, moved.top);
            HWND list = GetDlgItem(dlg, IDC_CALIB_LIST);
            EXPECT_EQ(SelectedRow(list), 6);
            EnableCameraButtons(dlg);
            LVITEMW none = {};
            none.stateMask = LVIS_SELECTED;
            SendMessageW(list, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&none));
            Click(dlg, IDC_CALIB_CALIBRATE);
            Click(dlg, IDC_CALIB_APPLY);
            Click(dlg, IDC_CALIB_DELETE);
            Click(dlg, IDC_CALIB_RENAME);
        }),
        [&] {
            HWND dlg = VisibleDialog(kManagerTitle);
            EXPECT_NE(dlg, nullptr);
            EXPECT_EQ(VisibleDialog(L"Calibrate"), nullptr);
            Click(dlg, IDCANCEL);
            return true;
        },
    });
    EXPECT_FALSE(CalibrationState.managerPositionSet);
}

TEST_F(CalibrationDialogsTest, HelpShowsThePictureOverTheMainWindow) {
    RunScripted([&] { return RunCalibrationManager(host); }, {
        OnDialog(kManagerTitle, [&](HWND dlg) {
            Click(dlg, IDC_CALIB_HELP);
        }),
        OnDialog(L"Help", [&](HWND help) {
            ExpectBelowHostTop(help);
            EXPECT_NE(SendDlgItemMessageW(help, IDC_HELP_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
            EXPECT_EQ(WindowText(GetDlgItem(help, IDC_HELP_LINE1)), L"1. Connect and open the USB microscope.");
            Shot(help, L"help_en");
            Click(help, IDOK);
        }),
        [&] {
            if (VisibleDialog(L"Help")) return false;
            Click(VisibleDialog(kManagerTitle), IDCANCEL);
            return true;
        },
    });
}

// ---- Calibrate dialog ----

TEST_F(CalibrationDialogsTest, CalibrateDialogStoresTheTypedLength) {
    CalibrationTable[1] = SlideSlot();
    SetCalibrationName(CalibrationTable[1], L"Stage");
    CalibrationTable[1].unit = 1;
    CalibrationState.calibratingSlot = 1;
    HWND dlg = CreateCalibrateDialog(host);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(ShellState.calibrationWnd, dlg);
    EXPECT_TRUE(IsWindowVisible(dlg));
    ExpectBelowHostTop(dlg);
    EXPECT_EQ(WindowText(dlg), L"Calibrate - ID:2 Name:Stage");
    HWND units = GetDlgItem(dlg, IDC_CALIB_UNIT_LIST);
    ASSERT_EQ(SendMessageW(units, CB_GETCOUNT, 0, 0), 2);
    wchar_t item[64];
    SendMessageW(units, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"millimeters(mm)");
    SendMessageW(units, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"microns(\u03bcm)");
    EXPECT_EQ(SendMessageW(units, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_CALIB_UNIT_TEXT)), L"\u03bcm");
    EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_CALIB_LENGTH)), L"");

    // The user picks millimetres: the caption follows.
    SendMessageW(units, CB_SETCURSEL, 0, 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_CALIB_UNIT_LIST, CBN_SELCHANGE), reinterpret_cast<LPARAM>(units));
    EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_CALIB_UNIT_TEXT)), L"mm");
    CameraViewSetCalibrationLength(view, 400);  // the line as the user left it
    Shot(dlg, L"calibrate_en");

    // Lengths that are not positive numbers are refused; the dialog stays and says why under the
    // field until the length is edited.
    HWND note = GetDlgItem(dlg, IDC_CALIB_LENGTH_NOTE);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(WindowText(note), L"");
    for (const wchar_t* bad : {L"", L"abc", L"0", L"-2", L",", L"-0,5"}) {
        SetDlgItemTextW(dlg, IDC_CALIB_LENGTH, bad);
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(IsWindow(dlg)) << bad;
        EXPECT_EQ(WindowText(note), L"Type a length greater than 0.") << bad;
    }
    Shot(dlg, L"calibrate_refused_en");
    EXPECT_EQ(CalibrationTable[1].unit, 1);
    EXPECT_EQ(StoredCalibrations(), L"<missing>");

    SYSTEMTIME before;
    GetLocalTime(&before);
    SetDlgItemTextW(dlg, IDC_CALIB_LENGTH, L" 0,25");  // a decimal comma: 0.25
    EXPECT_EQ(WindowText(note), L"");
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    SYSTEMTIME after;
    GetLocalTime(&after);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(ShellState.calibrationWnd, nullptr);
    const Calibration& slot = CalibrationTable[1];
    EXPECT_STREQ(slot.name, L"Stage");
    EXPECT_EQ(slot.unit, 0);
    EXPECT_EQ(slot.referencePixels, 400);
    EXPECT_EQ(slot.referenceLength, 0.25f);
    EXPECT_FLOAT_EQ(slot.pixelsPerUnit, 1600.0f);
    EXPECT_EQ(slot.resolution, PackResolution(1280, 720));
    int32_t d1 = DateNumber(before.wYear, before.wMonth, before.wDay);
    int32_t d2 = DateNumber(after.wYear, after.wMonth, after.wDay);
    EXPECT_TRUE(slot.date == d1 || slot.date == d2) << slot.date;
    EXPECT_EQ(CameraViewCalibrationLength(view), 0);  // the line is gone
    EXPECT_LE(ViewPpu(), 0.0f);                       // not the applied slot: the view is untouched
    PumpMessages();
    EXPECT_EQ(CountPosted(ID_CALIBRATE), 1);          // the manager comes back
    EXPECT_EQ(CountPosted(CMD_CALIBRATION_CHANGED), 0);
    std::wstring stored = StoredCalibrations();
    EXPECT_EQ(stored.substr(0, 11), L",0,0,0,0,0;");
    std::wstring record = L"Stage,0,400,1048576000,47187200," + std::to_wstring(slot.date) + L";";
    EXPECT_EQ(stored.substr(11, record.size()), record);
}

TEST_F(CalibrationDialogsTest, RecalibratingTheAppliedSlotUpdatesTheView) {
    CalibrationTable[0] = SlideSlot();
    CalibrationState.appliedSlot = 0;
    CalibrationState.calibratingSlot = 0;
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 50);
    HWND dlg = CreateCalibrateDialog(host);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_CALIB_UNIT_LIST, CB_GETCURSEL, 0, 0), 0);

    // A line the view has not drawn yet is only the request: OK is refused.
    CameraViewRequestCalibrationLine(view);
    SetDlgItemTextW(dlg, IDC_CALIB_LENGTH, L"2");
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(IsWindow(dlg));
    EXPECT_FLOAT_EQ(CalibrationTable[0].pixelsPerUnit, 400.0f);

    CameraViewSetCalibrationLength(view, 500);
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_FLOAT_EQ(CalibrationTable[0].pixelsPerUnit, 250.0f);
    EXPECT_FLOAT_EQ(ViewPpu(), 250.0f);
    EXPECT_EQ(CameraViewGetInfo(view).ratio, 100);
    PumpMessages();
    EXPECT_EQ(CountPosted(CMD_CALIBRATION_CHANGED), 1);
    EXPECT_EQ(CountPosted(ID_CALIBRATE), 1);
}

TEST_F(CalibrationDialogsTest, CancelLeavesTheSlotAndBringsTheManagerBack) {
    CalibrationTable[2] = SlideSlot();
    CalibrationState.calibratingSlot = 2;
    HWND dlg = CreateCalibrateDialog(host);
    ASSERT_NE(dlg, nullptr);
    CameraViewSetCalibrationLength(view, 600);
    SetDlgItemTextW(dlg, IDC_CALIB_LENGTH, L"3");
    SendMessageW(dlg, WM_CLOSE, 0, 0);  // the close box is Cancel (posted as IDCANCEL)
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }));
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(ShellState.calibrationWnd, nullptr);
    EXPECT_FLOAT_EQ(CalibrationTable[2].pixelsPerUnit, 400.0f);
    EXPECT_EQ(CameraViewCalibrationLength(view), 0);
    EXPECT_EQ(StoredCalibrations(), L"<missing>");
    PumpMessages();
    EXPECT_EQ(CountPosted(ID_CALIBRATE), 1);

    CalibrationState.calibratingSlot = -1;  // no slot chosen: no dialog
    EXPECT_EQ(CreateCalibrateDialog(host), nullptr);
    CalibrationState.calibratingSlot = 10;
    EXPECT_EQ(CreateCalibrateDialog(host), nullptr);
}

TEST_F(CalibrationDialogsTest, CalibrateCommandNeedsAnOpenCamera) {
    // Without a camera the manager does not even open.
    RunCalibrateCommand();
    EXPECT_EQ(ShellState.calibrationWnd, nullptr);
    EXPECT_EQ(VisibleDialog(kManagerTitle), nullptr);
}

// ---- Text input dialog ----

TEST_F(CalibrationDialogsTest, TextInputTypesIntoThePendingTextAndCommitsOnOk) {
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SELECT_TOOL, kToolText);
    HWND dlg = CreateTextInputDialog(host);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(ShellState.textInputDlg, dlg);
    EXPECT_TRUE(IsWindowVisible(dlg));
    ExpectBelowHostTop(dlg);
    EXPECT_EQ(WindowText(dlg), L"Input text");
    EXPECT_EQ(MeasurementState.pending.kind, kToolText);
    EXPECT_EQ(MeasurementState.stage, kToolText);
    EXPECT_EQ(MeasurementState.pending.p1.x, 1280 / 2 - 100);
    HWND field = GetDlgItem(dlg, IDC_TEXT_FIELD);
    EXPECT_EQ(SendMessageW(field, EM_GETLIMITTEXT, 0, 0), 256);

    SetWindowTextW(field, L"Scale bar");
    EXPECT_STREQ(MeasurementState.pending.text, L"Scale bar");
    Shot(dlg, L"text_input_en");
    std::wstring longText(300, L'x');
    SetWindowTextW(field, longText.c_str());
    EXPECT_EQ(std::wstring(MeasurementState.pending.text), std::wstring(255, L'x'));
    SetWindowTextW(field, L"Cell wall");

    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(ShellState.textInputDlg, nullptr);
    ASSERT_EQ(MeasurementState.shapes.size(), 1u);
    EXPECT_STREQ(MeasurementState.shapes[0].text, L"Cell wall");
    EXPECT_EQ(MeasurementState.shapes[0].kind, kToolText);
    PumpMessages();
    EXPECT_EQ(CountPosted(CMD_TEXT_INPUT_DONE), 1);
}

TEST_F(CalibrationDialogsTest, TextInputCancelAndEmptyOkAddNothing) {
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SELECT_TOOL, kToolText);
    HWND dlg = CreateTextInputDialog(host);
    ASSERT_NE(dlg, nullptr);
    SetDlgItemTextW(dlg, IDC_TEXT_FIELD, L"dropped");
    SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_TRUE(MeasurementState.shapes.empty());

    dlg = CreateTextInputDialog(host);
    ASSERT_NE(dlg, nullptr);
    SetDlgItemTextW(dlg, IDC_TEXT_FIELD, L"");
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(MeasurementState.shapes.empty());  // the prompt is never stored
    PumpMessages();
    EXPECT_EQ(CountPosted(CMD_TEXT_INPUT_DONE), 2);
}

// ---- Languages ----

TEST_F(CalibrationDialogsTest, ChineseTextsComeFromTheTable) {
    AppSettings.language = 1;
    LoadTextTable(1);
    CalibrationTable[0] = SlideSlot();
    RunScripted([&] { return RunCalibrationManager(host); }, {
        [&] {
            HWND dlg = VisibleDialog(L"\u6821\u51c6\u7ba1\u7406");  // 校准管理
            if (!dlg) return false;
            EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_CALIB_RENAME)), L"\u91cd\u547d\u540d");
            EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_CALIB_APPLY)), L"\u5e94\u7528");
            EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_CALIB_HELP)), L"\u5e2e\u52a9");
            Shot(dlg, L"manager_zh");
            Click(dlg, IDC_CALIB_HELP);
            return true;
        },
        [&] {
            HWND help = VisibleDialog(L"\u5e2e\u52a9");  // the caption is translated too
            if (!help) return false;
            EXPECT_EQ(WindowText(GetDlgItem(help, IDC_HELP_LINE1)), GetText("howto 1"));
            EXPECT_EQ(WindowText(GetDlgItem(help, IDOK)), L"\u786e\u5b9a");
            Shot(help, L"help_zh");
            Click(help, IDOK);
            return true;
        },
        [&] {
            if (VisibleDialog(L"\u5e2e\u52a9")) return false;
            HWND dlg = VisibleDialog(L"\u6821\u51c6\u7ba1\u7406");
            SelectRow(GetDlgItem(dlg, IDC_CALIB_LIST), 0);
            Click(dlg, IDC_CALIB_DELETE);
            return true;
        },
        [&] {
            HWND box = VisibleDialog(L"\u6821\u51c6");  // "calibrate" = 校准
            if (!box) return false;
            Shot(box, L"delete_zh");
            Click(box, IDNO);
            return true;
        },
        [&] {
            if (VisibleDialog(L"\u6821\u51c6")) return false;
            Click(VisibleDialog(L"\u6821\u51c6\u7ba1\u7406"), IDCANCEL);
            return true;
        },
    });

    CalibrationState.calibratingSlot = 0;
    HWND dlg = CreateCalibrateDialog(host);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(WindowText(dlg), L"Calibrate - ID:1 Name:Slide");
    EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_CALIB_TIP1)), GetText("calib tip1"));
    EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_CALIB_UNIT_TIP)), L"\u5355\u4f4d:");
    EXPECT_EQ(WindowText(GetDlgItem(dlg, IDCANCEL)), L"\u53d6\u6d88");
    wchar_t item[64];
    SendDlgItemMessageW(dlg, IDC_CALIB_UNIT_LIST, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"\u6beb\u7c73(mm)");
    Shot(dlg, L"calibrate_zh");
    CameraViewSetCalibrationLength(view, 400);
    SetDlgItemTextW(dlg, IDC_CALIB_LENGTH, L"0");
    SendMessageW(dlg, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_CALIB_LENGTH_NOTE)), L"\u8bf7\u8f93\u5165\u5927\u4e8e0\u7684\u957f\u5ea6\u3002");
    Shot(dlg, L"calibrate_refused_zh");
    DestroyWindow(dlg);

    HWND text = CreateTextInputDialog(host);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(WindowText(text), L"\u8f93\u5165\u6587\u5b57:");
    EXPECT_EQ(WindowText(GetDlgItem(text, IDOK)), L"\u786e\u5b9a");
    Shot(text, L"text_input_zh");
    DestroyWindow(text);
}

TEST_F(CalibrationDialogsTest, AnyLanguageButZeroTakesTheTableEvenInEnglish) {
    AppSettings.language = 5;
    LoadTextTable(5);
    RunScripted([&] { return RunCalibrationManager(host); }, {
        OnDialog(L"Manage calibration data", [&](HWND dlg) {
            Click(dlg, IDCANCEL);
        }),
    });
    HWND text = CreateTextInputDialog(host);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(WindowText(text), L"Input text:");
    DestroyWindow(text);
}

}  // namespace
