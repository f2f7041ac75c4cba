// The options dialog and the about box in-process, over the real main window with its toolbars,
// panel and the virtual microscope in its camera view: what OK stores in AppSettings and the
// registry, the next photo after a format and folder choice (also a folder that cannot be
// created), a language change reaching every window at once, OK re-sending the drawing style,
// Cancel after browsing, and the about box from the options dialog and from the logo.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "app/toolbar_win.h"
#include "calib/shot_win.h"
#include "capture/capture_session_win.h"
#include "common/main_window_fixture_win.h"
#include "common/modal_script_win.h"
#include "common/stored_settings_win.h"
#include "common/pump_win.h"
#include "media/photo_commands_win.h"
#include "resources/options_dialogs.h"
#include "settings/app_settings.h"
#include "settings/options_dialog_win.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"
#include "view/overlay.h"

namespace {

// What the main window sends the camera view as its drawing style.
WNDPROC viewProc = nullptr;
std::vector<int32_t> drawSettingsSeen;

LRESULT CALLBACK RecordingViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && LOWORD(wp) == VIEW_CMD_DRAW_SETTINGS && lp) {
        const int32_t* v = reinterpret_cast<const int32_t*>(lp);
        drawSettingsSeen.assign(v, v + kDrawSettingCount);
    }
    return CallWindowProcW(viewProc, hwnd, msg, wp, lp);
}

void DeleteSettingsKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
}

int Row(HWND dlg, int id) { return int(SendDlgItemMessageW(dlg, id, CB_GETCURSEL, 0, 0)); }
void Choose(HWND dlg, int id, int row) { SendDlgItemMessageW(dlg, id, CB_SETCURSEL, row, 0); }

// Horizontally centred over anchor, top 68 pixels below its top.
void ExpectPlacedOver(HWND dlg, HWND anchor) {
    RECT a, d;
    GetWindowRect(anchor, &a);
    GetWindowRect(dlg, &d);
    EXPECT_EQ(d.left, a.left + (a.right - a.left - (d.right - d.left)) / 2);
    EXPECT_EQ(d.top, a.top + 68);
}

// A colour list dropped down, so that a screenshot shows the swatches.
void ShotWithSwatches(HWND dlg, const wchar_t* name) {
    HWND list = GetDlgItem(dlg, IDC_OPT_TEXT_COLOR);
    SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    // For the picture only: the X server shows the dropped list (a window of its own) a moment
    // after it is mapped, and what was drawn before is lost.
    if (std::getenv("VARDELO_SHOT_DIR")) PumpFor(300);
    COMBOBOXINFO info = {sizeof(info)};
    GetComboBoxInfo(list, &info);
    RedrawWindow(info.hwndList, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    Shot(dlg, name);
    SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
}

struct OptionsDialogTest : MainWindowFixture {
    static void SetUpTestSuite() {
        MainWindowFixture::SetUpTestSuite();
        RegisterPanelClasses();
        AddSuiteCamera(L"Options Scope", L"--formats \"YUY2 640x480\"");
    }
    void SetUp() override {
        DeleteSettingsKey();
        saved = AppSettings;
        std::memset(&AppSettings, 0, sizeof(AppSettings));
        AppSettings.gridColor = AppSettings.lineColor = AppSettings.textColor = 0x0000FF;
        AppSettings.lineWidth = 1;
        AppSettings.textSize = 14;
        AppSettings.maxRecordTime = 30;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        oldFolder = std::wstring(temp) + L"vardelo_options_old";
        CopyTextField(AppSettings.imgDir, oldFolder);
        LoadTextTable(0);
        gRecentFiles.clear();
        gSavePath.clear();
        requestedFormat = {kSubtypeYuy2, 640, 480, 0};
        ASSERT_NO_FATAL_FAILURE(Start(1100, 720, 20, 10));
        ASSERT_TRUE(Streaming());
        viewProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(ShellState.cameraView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingViewProc)));
        drawSettingsSeen.clear();
    }
    void TearDown() override {
        if (!gSavePath.empty()) DeleteFileW(gSavePath.c_str());
        MainWindowFixture::TearDown();
        AppSettings = saved;
        LoadTextTable(0);
        DeleteSettingsKey();
    }
    INT_PTR RunOptions(std::vector<ScriptStep> steps) {
        return RunScripted([&] { return RunOptionsDialog(main); }, std::move(steps));
    }
    static HWND Options() {  // its title: the template's, or the table's in English or Chinese
        for (const wchar_t* title : {L"Options", L"Setting", L"\u8bbe\u7f6e"})
            if (HWND dlg = VisibleDialog(title)) return dlg;
        return nullptr;
    }
    // The photo button; the path of the photo saved, empty when none was.
    std::wstring TakePhoto() {
        gSavePath.clear();
        SendMessageW(main, WM_COMMAND, ID_TAKE_PHOTO, 0);
        PumpMessages();
        return gSavePath;
    }
    std::wstring Toast() { return WindowText(GetDlgItem(main, ID_PROMPT)); }
    AppSettingsData saved;
    std::wstring oldFolder;
};

TEST_F(OptionsDialogTest, OkStoresTheChoicesAColourOutsideThePaletteAsGreen) {
    AppSettings.textColor = 0x123456;
    const std::wstring typed = oldFolder + L"_typed";
    INT_PTR result = RunOptions({OnDialog(Options, [&](HWND dlg) {
        ExpectPlacedOver(dlg, main);
        EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_OPT_PHOTO_GROUP)), L"Image and video:");  // language 0: template texts
        EXPECT_EQ(Row(dlg, IDC_OPT_TEXT_COLOR), 3);
        EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_OPT_FOLDER)), oldFolder);
        ShotWithSwatches(dlg, L"options_en");
        Choose(dlg, IDC_OPT_LINE_WIDTH, 1);   // " 2"
        Choose(dlg, IDC_OPT_TEXT_SIZE, 16);   // " 24"
        EXPECT_EQ(SendDlgItemMessageW(dlg, IDC_OPT_FORMAT, CB_GETCOUNT, 0, 0), 3);
        Choose(dlg, IDC_OPT_FORMAT, 2);       // " TIFF"
        SetDlgItemTextW(dlg, IDC_OPT_FOLDER, typed.c_str());
        for (int box : {IDC_OPT_SCALE_BAR, IDC_OPT_PHOTO_MEASURES, IDC_OPT_COMPRESS_VIDEO, IDC_OPT_LABEL_BACK})
            EXPECT_EQ(IsDlgButtonChecked(dlg, box), UINT(BST_UNCHECKED)) << box;
        EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_OPT_COMPRESS_VIDEO)), L"Compress video (MJPEG)");
        SendDlgItemMessageW(dlg, IDC_OPT_SCALE_BAR, BM_CLICK, 0, 0);
        SendDlgItemMessageW(dlg, IDC_OPT_COMPRESS_VIDEO, BM_CLICK, 0, 0);
        SendDlgItemMessageW(dlg, IDC_OPT_LABEL_BACK, BM_CLICK, 0, 0);
        ClickDialogButton(dlg, IDOK);
    })});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(StoredNumber(L"ScaleBar"), 1u);
    EXPECT_EQ(StoredNumber(L"PhotoMeasures"), 0u);
    EXPECT_EQ(StoredNumber(L"CompressVideo"), 1u);
    EXPECT_EQ(StoredNumber(L"LabelBack"), 1u);
    EXPECT_EQ(AppSettings.textColor, 0x00FF00u);
    EXPECT_EQ(StoredNumber(L"TextColor"), 0x00FF00u);
    EXPECT_EQ(StoredNumber(L"LineWidth"), 2u);
    EXPECT_EQ(StoredNumber(L"TextSize"), 24u);
    EXPECT_EQ(StoredNumber(L"jpgPng"), 2u);
    EXPECT_EQ(StoredText(L"ImgDir"), typed);

    const std::wstring photo = TakePhoto();
    EXPECT_EQ(photo.substr(0, typed.size() + 1), typed + L"\\");
    EXPECT_EQ(photo.substr(photo.size() - 4), L".tif");
    EXPECT_EQ(Toast(), L"File saved: " + photo);
    DeleteFileW(photo.c_str());
    RemoveDirectoryW((typed + L"\\Thumbnails").c_str());
    RemoveDirectoryW(typed.c_str());
}

// A typed folder on a missing drive or with a forbidden character: the next photo goes to the
// default folder and the toast says so; the folder stays as typed.
TEST_F(OptionsDialogTest, TypedFolderThatCannotBeCreatedSendsThePhotoToTheDefaultFolder) {
    const std::wstring fallback = DefaultSaveFolder(DocumentsFolder());
    const bool fallbackExisted = GetFileAttributesW(fallback.c_str()) != INVALID_FILE_ATTRIBUTES;
    for (const wchar_t* typed : {L"Q:\\Vardelo photos", L"C:\\bad?name"}) {
        RunOptions({OnDialog(Options, [&](HWND dlg) {
            SetDlgItemTextW(dlg, IDC_OPT_FOLDER, typed);
            ClickDialogButton(dlg, IDOK);
        })});
        const std::wstring photo = TakePhoto();
        EXPECT_EQ(std::wstring(AppSettings.imgDir), typed);
        ASSERT_EQ(photo.substr(0, fallback.size() + 1), fallback + L"\\") << typed;
        EXPECT_EQ(Toast(), L"Image folder unavailable, saved to: " + photo);
        DeleteFileW(photo.c_str());
    }
    if (!fallbackExisted) RemoveDirectoryW(fallback.c_str());  // other tests look for a prefix without it
}

// A folder that is no whole path ("12", a name a stray key left) would put photos wherever the
// working folder is: OK warns, keeps the dialog open and stores nothing.
TEST_F(OptionsDialogTest, AFolderThatIsNoWholePathIsRefusedAndTheDialogStaysOpen) {
    HWND options = nullptr;
    INT_PTR result = RunOptions({
        [&] {
            if (!(options = Options())) return false;
            SetDlgItemTextW(options, IDC_OPT_FOLDER, L"12");
            ClickDialogButton(options, IDOK);
            return true;
        },
        [&] {
            HWND box = OwnedDialog(options);
            if (!box) return false;
            EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)).substr(0, 26), L"Give the whole path of the");
            ClickDialogButton(box, IDOK);
            return true;
        },
        [&] {
            if (OwnedDialog(options)) return false;
            EXPECT_TRUE(IsWindowVisible(options));
            ClickDialogButton(options, IDCANCEL);
            return true;
        },
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::wstring(AppSettings.imgDir), oldFolder);
    EXPECT_EQ(StoredText(L"ImgDir"), oldFolder);
}

// Language 5 shows English from the table and selects no language row; OK keeps it.
TEST_F(OptionsDialogTest, OkWithoutChangesSavesAndResendsTheDrawingStyle) {
    AppSettings.language = 5;
    RunOptions({OnDialog(Options, [&](HWND dlg) {
        EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_OPT_PHOTO_GROUP)), L"Photo and video:");
        EXPECT_EQ(Row(dlg, IDC_OPT_LANGUAGE), CB_ERR);
        ClickDialogButton(dlg, IDOK);
    })});
    EXPECT_EQ(StoredNumber(L"Language"), 5u);
    EXPECT_EQ(StoredNumber(L"TextSize"), 14u);
    EXPECT_EQ(StoredText(L"ImgDir"), oldFolder);
    PumpMessages();  // the main window's CMD_APPLY_DRAW_SETTINGS
    EXPECT_EQ(drawSettingsSeen, (std::vector<int32_t>{0x0000FF, 0x0000FF, 1, 0x0000FF, 14, 0}));
}

TEST_F(OptionsDialogTest, ChineseReachesToolbarsPanelViewAndTheNextDialogAtOnce) {
    RunOptions({OnDialog(Options, [&](HWND dlg) {
        Choose(dlg, IDC_OPT_LANGUAGE, 1);
        ClickDialogButton(dlg, IDOK);
    })});
    EXPECT_EQ(AppSettings.language, 1);
    EXPECT_EQ(StoredNumber(L"Language"), 1u);
    PumpMessages();  // CMD_RELOAD_TEXTS posted to the toolbars
    struct Bar { HWND hwnd; const ToolButtonSpec* buttons; size_t count; } bars[] = {
        {ShellState.hToolbar, kHToolbarButtons, std::size(kHToolbarButtons)},
        {ShellState.vToolbar, kVToolbarButtons, std::size(kVToolbarButtons)},
    };
    for (const Bar& bar : bars) {
        for (size_t i = 0; i < bar.count; ++i) {
            const ToolButtonSpec& b = bar.buttons[i];
            if (!b.tipKey) continue;
            auto* state = reinterpret_cast<ToolButtonState*>(GetWindowLongPtrW(GetDlgItem(bar.hwnd, b.id), GWLP_USERDATA));
            ASSERT_NE(state, nullptr) << b.id;
            EXPECT_EQ(std::wstring(state->tooltip), ToolButtonTip(b)) << b.tipKey;
        }
    }
    auto* line = reinterpret_cast<ToolButtonState*>(
        GetWindowLongPtrW(GetDlgItem(ShellState.hToolbar, ID_TOOL_LINE), GWLP_USERDATA));
    EXPECT_STREQ(line->tooltip, L"\u76f4\u7ebf");
    // The panel's sections re-read theirs too: the title bars of the source, preview and files sections.
    HWND panel = ShellState.panel;
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(GetDlgItem(GetDlgItem(panel, 100), 100)) == L"\u8bbe\u5907"; }));
    EXPECT_EQ(WindowText(GetDlgItem(GetDlgItem(panel, 101), 100)), L"\u9884\u89c8");
    EXPECT_EQ(WindowText(GetDlgItem(GetDlgItem(panel, 102), 100)), L"\u6587\u4ef6");
    EXPECT_EQ(CameraViewNoDevicePrompt(ShellState.cameraView), L"\u8bf7\u8fde\u63a5USB\u663e\u5fae\u955c");
    EXPECT_EQ(CameraViewTextPrompt(ShellState.cameraView), GetText("input tip"));

    RunOptions({OnDialog(Options, [&](HWND dlg) {
        EXPECT_EQ(WindowText(dlg), L"\u8bbe\u7f6e");
        EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_OPT_RULER_LABEL)), L"\u6807\u5c3a\u989c\u8272:");
        EXPECT_EQ(WindowText(GetDlgItem(dlg, IDOK)), L"\u786e\u5b9a");
        EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_OPT_SCALE_BAR)), GetText("scale bar"));
        EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_OPT_LABEL_BACK)), L"\u6807\u7B7E\u80CC\u666F");
        EXPECT_EQ(WindowText(GetDlgItem(dlg, IDC_OPT_ABOUT)), L"About");
        EXPECT_EQ(Row(dlg, IDC_OPT_LANGUAGE), 1);
        ShotWithSwatches(dlg, L"options_zh");
        ClickDialogButton(dlg, IDCANCEL);
    })});
}

// The folder picker opens at the folder in the field: a bare name typed into it is a folder
// there. The pick fills the field; Cancel stores nothing.
TEST_F(OptionsDialogTest, CancelAfterBrowsingKeepsTheOldFolder) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring start = std::wstring(temp) + L"vardelo_options_start";
    const std::wstring picked = start + L"\\picked";
    CreateDirectoryW(start.c_str(), nullptr);
    CreateDirectoryW(picked.c_str(), nullptr);
    HWND options = nullptr;
    INT_PTR result = RunOptions({
        [&] {
            options = Options();
            if (!options) return false;
            SetDlgItemTextW(options, IDC_OPT_FOLDER, start.c_str());
            ClickDialogButton(options, IDC_OPT_BROWSE);
            return true;
        },
        [&] {
            HWND picker = OwnedDialog(options);
            if (!picker) return false;
            Shot(picker, L"folder_picker");
            SetDlgItemTextW(picker, 1152 /* the name field */, L"picked");
            ClickDialogButton(picker, IDOK);
            return true;
        },
        [&] {
            if (OwnedDialog(options)) return false;
            std::wstring field = WindowText(GetDlgItem(options, IDC_OPT_FOLDER));
            EXPECT_EQ(lstrcmpiW(field.c_str(), picked.c_str()), 0) << "field: " << std::string(field.begin(), field.end());
            ClickDialogButton(options, IDCANCEL);
            return true;
        },
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::wstring(AppSettings.imgDir), oldFolder);
    EXPECT_EQ(StoredText(L"ImgDir"), oldFolder) << "Cancel stores nothing";
    RemoveDirectoryW(picked.c_str());
    RemoveDirectoryW(start.c_str());
}

TEST_F(OptionsDialogTest, AboutBoxShowsTheVersionOverTheOptionsDialogAndOverTheMainWindow) {
    const std::wstring version = [] {
        std::wstring v = L"Vardelo v";
        for (const char* p = VARDELO_VERSION; *p; ++p) v += wchar_t(*p);
        return v;
    }();
    HWND options = nullptr;
    RunOptions({
        [&] {
            options = Options();
            if (!options) return false;
            ClickDialogButton(options, IDC_OPT_ABOUT);
            return true;
        },
        [&] {
            HWND about = OwnedDialog(options);
            if (!about) return false;
            EXPECT_EQ(WindowText(about), L"About");
            EXPECT_EQ(WindowText(GetDlgItem(about, IDC_ABOUT_VERSION)), version);
            ExpectPlacedOver(about, options);
            Shot(about, L"about");
            ClickDialogButton(about, IDOK);
            return true;
        },
        [&] {
            if (OwnedDialog(options)) return false;
            ClickDialogButton(options, IDCANCEL);
            return true;
        },
    });

    // The vertical toolbar's logo posts ID_ABOUT; the main window answers with the about box.
    bool seen = false;
    RunScripted([&] {
        SendMessageW(ShellState.vToolbar, WM_COMMAND, ID_ABOUT, 0);
        PumpMessages();
        return INT_PTR(0);
    }, {[&] {
        HWND about = OwnedDialog(main);
        if (!about) return false;
        seen = true;
        ExpectPlacedOver(about, main);
        SendMessageW(about, WM_COMMAND, IDCANCEL, 0);  // Esc
        return true;
    }});
    EXPECT_TRUE(seen);
}

}  // namespace
