// What the options dialog's photo choices do to the next photo, against the virtual microscope:
// " PNG" makes it a PNG in the folder typed; a typed folder that cannot be created sends it to
// the default folder, and the toast says so.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "common/modal_script_win.h"
#include "common/pump_win.h"
#include "common/vcam_harness_win.h"
#include "media/photo_commands_win.h"
#include "media/photo_saver_win.h"
#include "resources/options_dialogs.h"
#include "settings/app_settings.h"
#include "settings/options_dialog_win.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"

namespace {

class OptionsPhotoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
        FindImageEncoders();
        HINSTANCE instance = GetModuleHandleW(nullptr);
        RegisterMainWndClass(instance);
        RegisterCameraWndClass(instance);
        RegisterPromptClass(instance);
        ASSERT_TRUE(EnsureVcamRegistered());
        camera = std::make_unique<ScopedCamera>(L"Options Scope", L"--formats \"YUY2 640x480\"");
        ASSERT_TRUE(camera->ok());
    }
    static void TearDownTestSuite() {
        camera.reset();
        Gdiplus::GdiplusShutdown(gdiplusToken);
        CoUninitialize();
    }
    void SetUp() override {
        saved = AppSettings;
        AppSettings = SettingsFromStored(StoredSettings{});
        LoadTextTable(kLanguageEnglish);
        gRecentFiles.clear();
        gSavePath.clear();
        requestedFormat = {kSubtypeYuy2, 640, 480, 0};
        ShellState.instance = GetModuleHandleW(nullptr);
        main = CreateMainWindow(ShellState.instance);
        ASSERT_NE(main, nullptr);
        SetWindowPos(main, HWND_TOP, 0, 0, 1200, 760, SWP_SHOWWINDOW);
        ASSERT_TRUE(WaitUntil([&] { return IsDeviceOpen() && CameraViewGetInfo(ShellState.cameraView).composedFrames >= 3; }, 30000));
    }
    void TearDown() override {
        if (IsWindow(main)) DestroyWindow(main);
        PumpMessages();
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        if (!gSavePath.empty()) DeleteFileW(gSavePath.c_str());
        AppSettings = saved;
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    }
    // The options dialog with " PNG" and folder typed, closed with OK; then the photo button.
    void ChoosePngInAndTakePhoto(const std::wstring& folder) {
        RunScripted([&] { return RunOptionsDialog(main); }, {[&] {
            HWND dlg = VisibleDialog(L"Options");
            if (!dlg) return false;
            SendDlgItemMessageW(dlg, IDC_OPT_FORMAT, CB_SETCURSEL, 1, 0);
            SetDlgItemTextW(dlg, IDC_OPT_FOLDER, folder.c_str());
            Click(dlg, IDOK);
            return true;
        }});
        SendMessageW(main, WM_COMMAND, ID_TAKE_PHOTO, 0);
        PumpMessages();
    }
    std::wstring Toast() {
        wchar_t text[600] = {};
        GetWindowTextW(GetDlgItem(main, ID_PROMPT), text, 600);
        return text;
    }
    static ULONG_PTR gdiplusToken;
    static std::unique_ptr<ScopedCamera> camera;
    AppSettingsData saved;
    HWND main = nullptr;
};
ULONG_PTR OptionsPhotoTest::gdiplusToken = 0;
std::unique_ptr<ScopedCamera> OptionsPhotoTest::camera;

TEST_F(OptionsPhotoTest, NextPhotoIsAPngInTheTypedFolder) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"vardelo_options_png";
    ChoosePngInAndTakePhoto(folder);
    ASSERT_EQ(gSavePath.substr(0, folder.size() + 1), folder + L"\\");
    EXPECT_EQ(gSavePath.substr(gSavePath.size() - 4), L".png");
    EXPECT_NE(GetFileAttributesW(gSavePath.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Toast(), L"File saved: " + gSavePath);
    DeleteFileW(gSavePath.c_str());
    RemoveDirectoryW((folder + L"\\Thumbnails").c_str());
    RemoveDirectoryW(folder.c_str());
    gSavePath.clear();
}

TEST_F(OptionsPhotoTest, TypedFolderThatCannotBeCreatedFallsBackAndSaysSo) {
    const std::wstring fallback = DefaultSaveFolder(DocumentsFolder());
    const bool fallbackExisted = GetFileAttributesW(fallback.c_str()) != INVALID_FILE_ATTRIBUTES;
    for (const wchar_t* typed : {L"Q:\\Vardelo photos", L"C:\\bad?name"}) {
        ChoosePngInAndTakePhoto(typed);
        EXPECT_EQ(std::wstring(AppSettings.imgDir), typed);  // kept as the user chose it
        ASSERT_EQ(gSavePath.substr(0, fallback.size() + 1), fallback + L"\\") << typed;
        EXPECT_EQ(gSavePath.substr(gSavePath.size() - 4), L".png");
        EXPECT_EQ(Toast(), L"Image folder unavailable, saved to: " + gSavePath);
        DeleteFileW(gSavePath.c_str());
        gSavePath.clear();
    }
    if (!fallbackExisted) RemoveDirectoryW(fallback.c_str());  // other tests look for a prefix without it
}

}  // namespace
