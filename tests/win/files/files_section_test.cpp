// The files section in the main window's control panel, in-process as start-up makes it: the
// listed files (existing ones only, ordinal order), rows appended for new photos, preview on
// selection, opening through gOpenFile, heights that follow the width, collapsing, texts and
// row colours; with the virtual microscope, a photo taken becomes the last row.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/image_view_win.h"
#include "app/messages.h"
#include "app/shell_state_win.h"
#include "app/tool_button_win.h"
#include "calib/shot_win.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "common/main_window_fixture_win.h"
#include "common/pump_win.h"
#include "common/stored_settings_win.h"
#include "common/vcam_harness_win.h"
#include "files/files_fixture_win.h"
#include "panel/ctrl_panel_files_win.h"
#include "panel/ctrl_panel_win.h"
#include "panel/files_section_layout.h"
#include "panel/panel_section_win.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"

namespace {

std::vector<std::wstring> opened;

void RecordOpen(HWND, const wchar_t* path) { opened.push_back(path); }

const wchar_t* const kFive[] = {L"x.jpg", L"B.jpg", L"20231104-101500-001.jpg", L"20231104-101533-250.png",
                                L"\u6837\u54c1-\u7ec6\u80de.jpg"};

struct FilesSectionTest : MainWindowFixture {
    static void SetUpTestSuite() {
        MainWindowFixture::SetUpTestSuite();
        StartFilesTests();
        RegisterCtrlPanelClass(GetModuleHandleW(nullptr));
        SetToolButtonBackground(RGB(21, 21, 25));
        const COLORREF colours[] = {RGB(200, 60, 60), RGB(60, 200, 60), RGB(60, 60, 200), RGB(200, 200, 60),
                                    RGB(60, 200, 200)};
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(WritePicture(Scratch(kFive[i]), 640, 480, colours[i]));
    }
    void SetUp() override {
        AppSettings.jpgPng = 0;
        AppSettings.language = 0;
        LoadTextTable(kLanguageEnglish);
        opened.clear();
        gOpenFile = RecordOpen;
    }
    void TearDown() override {
        gOpenFile = ShellOpenFile;
        gRecentFiles.clear();
        MainWindowFixture::TearDown();
        AppSettings.language = 0;
        LoadTextTable(kLanguageEnglish);
    }
    // The main window over the given recent files, its panel with the files section open.
    void Start(std::vector<std::wstring> files, int width = 1366, int height = 768) {
        gRecentFiles = std::move(files);
        ASSERT_NO_FATAL_FAILURE(MainWindowFixture::Start(width, height));
        ASSERT_NE(panel, nullptr);
        section = GetDlgItem(panel, kFilesSectionId);
        ASSERT_NE(section, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return CtrlPanelGetInfo(panel).open[kFilesSectionIndex]; }));
        PumpMessages();
        list = GetDlgItem(section, ID_FILES_LIST);
        preview = GetDlgItem(section, ID_FILES_VIEW);
        ASSERT_TRUE(list && preview);
    }
    void Select(int row, bool doubleClick = false) {
        SendMessageW(list, LB_SETCURSEL, WPARAM(row), 0);
        SendMessageW(section, WM_COMMAND, MAKEWPARAM(ID_FILES_LIST, doubleClick ? LBN_DBLCLK : LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }
    ImageViewState* View() const {
        return reinterpret_cast<ImageViewState*>(GetWindowLongPtrW(preview, GWLP_USERDATA));
    }
    int Rows() const { return int(SendMessageW(list, LB_GETCOUNT, 0, 0)); }
    int Width(HWND w) const {
        RECT r;
        GetClientRect(w, &r);
        return r.right;
    }
    std::wstring Title() const {
        wchar_t text[64] = {};
        GetWindowTextW(GetDlgItem(section, ID_FILES_TITLE), text, 64);
        return text;
    }

    HWND section = nullptr, list = nullptr, preview = nullptr;  // the files section, its list and view
};

// Rows in ordinal order; the list itself keeps the order the files were saved in, so the stored
// list still names the newest first.
TEST_F(FilesSectionTest, ListsExistingFilesInOrdinalOrderAndStoresTheNewest) {
    Start({Scratch(L"x.jpg"), Scratch(L"gone.jpg"), Scratch(L"B.jpg"), L"C:\\nowhere\\y.jpg"});
    EXPECT_EQ(gRecentFiles, (std::vector<std::wstring>{Scratch(L"x.jpg"), Scratch(L"B.jpg")}));
    EXPECT_EQ(Rows(), 2);
    Select(0, true);
    EXPECT_EQ(opened.back(), Scratch(L"B.jpg"));
    SaveSettings();
    EXPECT_EQ(StoredText(L"LatestFiles"), Scratch(L"B.jpg") + L";" + Scratch(L"x.jpg") + L";");
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & (LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT),
              LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
    EXPECT_EQ(View()->scale, kFilesPreviewScale);
}

// The stored text as the settings load reads it: a last path without its ";" is not listed.
TEST_F(FilesSectionTest, StoredListWithoutFinalSeparatorLosesItsLastPath) {
    std::wstring text = Scratch(L"x.jpg") + L";" + Scratch(L"B.jpg");
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"LatestFiles", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   DWORD((text.size() + 1) * 2));
    RegCloseKey(key);
    LoadSettings();
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
    Start(gRecentFiles);
    EXPECT_EQ(gRecentFiles, std::vector<std::wstring>{Scratch(L"x.jpg")});
}

TEST_F(FilesSectionTest, SelectionPreviewsAndDoubleClickOpens) {
    Start({Scratch(L"x.jpg"), Scratch(L"B.jpg")});
    Select(1);
    EXPECT_EQ(View()->lastLoad, PictureLoad::Ok);
    EXPECT_EQ(View()->scaledWidth, 160);
    EXPECT_TRUE(opened.empty());
    Select(0, true);
    EXPECT_EQ(opened, std::vector<std::wstring>{Scratch(L"B.jpg")});
    EXPECT_EQ(View()->lastLoad, PictureLoad::Ok);
    // The view's double click opens the selected row's file too.
    SendMessageW(preview, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(preview, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpMessages();
    EXPECT_EQ(opened, (std::vector<std::wstring>{Scratch(L"B.jpg"), Scratch(L"B.jpg")}));
    // No selection: an empty preview, nothing opened.
    Select(-1, true);
    EXPECT_FALSE(View()->pixels);
    SendMessageW(section, WMU_IMAGE_CLICK, 1, ID_FILES_VIEW);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(FilesSectionTest, VideoWithoutCoverPreviewsNothingButOpens) {
    std::wstring video = Scratch(L"20231104-101600-000.avi");
    ASSERT_TRUE(WriteBytes(video, {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}));
    Start({video});
    Select(0);
    EXPECT_FALSE(View()->pixels);
    EXPECT_EQ(View()->videoBadge, 1);
    Select(0, true);
    EXPECT_EQ(opened, std::vector<std::wstring>{video});
}

TEST_F(FilesSectionTest, FileDeletedAfterListingLeavesTheListWhenChosen) {
    std::wstring path = Scratch(L"soon-gone.jpg");
    ASSERT_TRUE(WritePicture(path, 64, 48, RGB(1, 2, 3)));
    Start({path});
    ASSERT_EQ(Rows(), 1);
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    Select(0, true);
    EXPECT_FALSE(View()->pixels);
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(gRecentFiles.empty());
    EXPECT_TRUE(opened.empty());
}

// A saved file is appended to the list and posted as WMU_FILE_ADDED: it becomes the last row,
// even where it would sort first, and the selection stays.
TEST_F(FilesSectionTest, AddedFileBecomesTheLastRow) {
    Start({Scratch(L"x.jpg"), Scratch(L"B.jpg"), Scratch(L"20231104-101533-250.png")});
    ASSERT_EQ(Rows(), 3);
    Select(1);
    gRecentFiles.push_back(Scratch(L"20231104-101500-001.jpg"));
    PostMessageW(panel, WMU_FILE_ADDED, gRecentFiles.size() - 1, 0);  // the panel passes it on
    PumpMessages();
    EXPECT_EQ(Rows(), 4);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    Select(3);
    EXPECT_EQ(View()->lastLoad, PictureLoad::Ok);
    Select(3, true);
    EXPECT_EQ(opened.back(), Scratch(L"20231104-101500-001.jpg"));
}

// In a low window the panel shows its scroll bar; collapsing the sections above lets it go,
// the files section widens and its expanded height follows. Its own title bar collapses and
// reopens it.
TEST_F(FilesSectionTest, HeightsFollowTheWidthAndTheTitleBarCollapses) {
    Start({}, 1366, 620);  // low enough for the bar with every section open
    ASSERT_TRUE(CtrlPanelGetInfo(panel).barShown);
    DialogBase base = GetPanelResources().base;
    int narrow = Width(section);
    SectionHeights h = UnpackSectionHeights(uint32_t(SendMessageW(section, WMU_SECTION_HEIGHTS, 0, 0)));
    EXPECT_EQ(h, FilesSectionHeights(narrow, base));
    for (int id : {100, 101, 103}) SendMessageW(GetDlgItem(GetDlgItem(panel, id), 100), WMU_SECTION_TOGGLE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !CtrlPanelGetInfo(panel).barShown && Width(section) > narrow; }));
    int wide = Width(section);
    SectionHeights wider = UnpackSectionHeights(uint32_t(SendMessageW(section, WMU_SECTION_HEIGHTS, 0, 0)));
    EXPECT_EQ(wider, FilesSectionHeights(wide, base));
    EXPECT_EQ(wider.expanded - h.expanded, int(0.75 * wide) - int(0.75 * narrow));
    RECT vr;
    GetWindowRect(preview, &vr);
    EXPECT_EQ(vr.right - vr.left, wide);
    EXPECT_EQ(vr.bottom - vr.top, int(0.75 * wide));

    SendMessageW(GetDlgItem(section, ID_FILES_TITLE), WMU_SECTION_TOGGLE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !CtrlPanelGetInfo(panel).open[kFilesSectionIndex]; }));
    EXPECT_FALSE(IsWindowVisible(list) || IsWindowVisible(preview));
    SendMessageW(GetDlgItem(section, ID_FILES_TITLE), WMU_SECTION_TOGGLE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return CtrlPanelGetInfo(panel).open[kFilesSectionIndex]; }));
    EXPECT_TRUE(IsWindowVisible(list) && IsWindowVisible(preview));
}

TEST_F(FilesSectionTest, TitleFollowsTheLanguage) {
    Start({});
    EXPECT_EQ(Title(), L"Files");
    LoadTextTable(kLanguageChinese);
    SendMessageW(panel, WM_COMMAND, CMD_RELOAD_TEXTS, 0);
    ASSERT_TRUE(WaitUntil([&] { return Title() == GetText("files"); }));
    EXPECT_NE(Title(), L"Files");
}

TEST_F(FilesSectionTest, RowsAreDrawnInTheirColours) {
    Start({Scratch(L"B.jpg")});
    DibCanvas canvas(100, 20);
    for (UINT state : {UINT(ODS_SELECTED), 0u}) {
        DRAWITEMSTRUCT di = {ODT_LISTBOX, ID_FILES_LIST, 0, ODA_DRAWENTIRE, state, list, canvas.Dc(), {0, 0, 100, 20}, 0};
        SendMessageW(section, WM_DRAWITEM, ID_FILES_LIST, reinterpret_cast<LPARAM>(&di));
        ExpectColour(canvas.At(99, 19), state ? kFilesRowSelected : kFilesRow, state ? "selected" : "plain");
    }
}

// With the virtual microscope streaming: a photo taken with the photo command becomes the last
// row, though it sorts before the others, and previews on selection.
TEST_F(FilesSectionTest, PhotoTakenBecomesTheLastRow) {
    ASSERT_NO_FATAL_FAILURE(AddCamera(L"Files Scope", L"--formats \"MJPG 640x480\""));
    requestedFormat = {kSubtypeMjpg, 640, 480, 0};
    std::wstring photos = Scratch(L"0-photos");
    CreateDirectoryW(photos.c_str(), nullptr);
    ASSERT_TRUE(CopyTextField(AppSettings.imgDir, photos));
    Start({Scratch(L"x.jpg"), Scratch(L"B.jpg"), Scratch(L"20231104-101533-250.png")});
    ASSERT_TRUE(Streaming());
    SendMessageW(main, WM_COMMAND, ID_TAKE_PHOTO, 0);
    ASSERT_TRUE(WaitUntil([&] { return Rows() == 4; }));
    ASSERT_EQ(gRecentFiles.size(), 4u);
    EXPECT_EQ(gRecentFiles.back().substr(0, photos.size()), photos);
    Select(3);
    EXPECT_EQ(View()->lastLoad, PictureLoad::Ok);
    EXPECT_EQ(View()->imageWidth, Info().displayW);
    Select(3, true);
    EXPECT_EQ(opened, std::vector<std::wstring>{gRecentFiles.back()});
}

// Five files listed beside the live picture, the last a photo just taken and previewed, in both
// languages (written as files-section-en.bmp and -zh.bmp when VARDELO_SHOT_DIR is set).
TEST_F(FilesSectionTest, ScreenshotsInBothLanguages) {
    ASSERT_NO_FATAL_FAILURE(AddCamera(L"Files Scope", L"--formats \"MJPG 640x480\""));
    requestedFormat = {kSubtypeMjpg, 640, 480, 0};
    std::wstring photos = Scratch(L"0-photos");
    CreateDirectoryW(photos.c_str(), nullptr);
    ASSERT_TRUE(CopyTextField(AppSettings.imgDir, photos));
    for (int language : {kLanguageEnglish, kLanguageChinese}) {
        AppSettings.language = language;
        LoadTextTable(language);
        std::vector<std::wstring> four;
        for (const wchar_t* name : kFive) four.push_back(Scratch(name));
        four.erase(four.begin() + 2);
        Start(four);
        ASSERT_TRUE(Streaming());
        SendMessageW(main, WM_COMMAND, ID_TAKE_PHOTO, 0);
        ASSERT_TRUE(WaitUntil([&] { return Rows() == 5; }));
        Select(4);
        EXPECT_EQ(View()->lastLoad, PictureLoad::Ok);
        EXPECT_EQ(Title(), GetText("files"));
        SendMessageW(panel, WM_VSCROLL, SB_BOTTOM, 0);  // the whole preview in sight
        PumpMessages();
        Shot(main, language == kLanguageChinese ? L"files-section-zh" : L"files-section-en");
        CloseMainWindow(main);
    }
}

}  // namespace
