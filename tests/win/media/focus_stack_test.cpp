// The focus stack from the main window against the virtual microscope's depth specimen, as a
// user makes one: F starts and Escape drops a stack; the section's button starts one while the
// camera's focus sweeps over the specimen; the section counts the frames and says "all sharp —
// stop?" once the sweep adds nothing; the button stops and saves the photo and its depth map,
// listed and announced; the photo is measured against the camera's all-in-focus truth. A
// stack that is still being made when the window closes is saved, not lost.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/shell_state_win.h"
#include "calib/shot_win.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "common/main_window_fixture_win.h"
#include "common/picture_file_win.h"
#include "common/pump_win.h"
#include "common/scratch_files_win.h"
#include "common/stored_settings_win.h"
#include "frame/capture_state_win.h"
#include "media/focus_stack_mode_win.h"
#include "media/photo_commands_win.h"
#include "panel/ctrl_panel_win.h"
#include "panel/stack_section_win.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/text_table.h"
#include "testcam/depth_control_win.h"

namespace {

const wchar_t kScope[] = L"Stack Scope";
// The fused photo against the truth. The camera's frames come as JPEG (quality 85) and the
// specimen's finest detail is about a pixel, so the fusion stays some decibels under what the
// bench measures on uncompressed frames; this is still well above what a frame or a blend of
// misaligned frames gets (about 20 dB).
constexpr double kMinPsnr = 30.0;

class FocusStackTest : public MainWindowFixture {
protected:
    static void SetUpTestSuite() {
        MainWindowFixture::SetUpTestSuite();
        RegisterPanelClasses();
    }
    void SetUp() override {
        AppSettings = SettingsFromStored(StoredSettings{});
        AppSettings.jpgPng = 1;  // PNG: the photo is measured without JPEG's losses
        AppSettings.stackDepthMap = 1;
        LoadTextTable(kLanguageEnglish);
        folder = FreshTempFolder(L"vardelo-stack-test");
        ASSERT_TRUE(CopyTextField(AppSettings.imgDir, folder));
        gRecentFiles.clear();
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        RemoveTree(folder);
    }
    std::wstring Toast() {
        wchar_t text[600] = {};
        GetWindowTextW(GetDlgItem(main, ID_PROMPT), text, 600);
        return text;
    }
    HWND Section() { return CtrlPanelGetInfo(panel).sections[kStackSectionIndex]; }
    std::wstring SectionText(int id) {
        wchar_t text[300] = {};
        GetDlgItemTextW(Section(), id, text, 300);
        return text;
    }
    static double FocusNow() {
        double z = -1;
        return ReadFocusNow(kScope, &z) ? z : -1;
    }
    // Frames fused so far, waiting for at least n.
    static bool Fused(int n, DWORD timeoutMs = 30000) {
        return WaitUntil([&] { return CurrentFocusStackStatus().fused >= n; }, timeoutMs);
    }
    std::wstring folder;
};

TEST_F(FocusStackTest, SweepStackedSavedAndMeasuredAgainstTheTruth) {
    ASSERT_NO_FATAL_FAILURE(OpenCamera(kScope, L"--depth --formats \"MJPG 1280x720\" --fps 20",
                                       {kSubtypeMjpg, 1280, 720, 0}, 1366, 768));
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 100);
    ASSERT_NE(Section(), nullptr);
    EXPECT_EQ(SectionText(kStackStatus), GetText("stack idle"));
    EXPECT_EQ(SectionText(kStackStartStop), GetText("stack start"));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Section(), kStackCancel)));

    // The focus held at the bottom of the specimen.
    ASSERT_EQ(RunVcamctl(L"focus \"Stack Scope\" 0"), 0);
    ASSERT_TRUE(WaitUntil([] { return FocusNow() == 0.0; }, 20000));
    const uint32_t published = CaptureState.framesPublished;
    ASSERT_TRUE(WaitUntil([&] { return CaptureState.framesPublished > published + 2; }));

    // F starts a stack in the view, Escape drops it: nothing saved.
    SetFocus(view);
    SendMessageW(view, WM_KEYDOWN, 'F', 0);
    PumpMessages();
    EXPECT_EQ(Toast(), GetText("stack started"));
    ASSERT_TRUE(Fused(2));
    PumpMessages();
    EXPECT_EQ(SectionText(kStackStartStop), GetText("stack stop"));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Section(), kStackCancel)));
    SendMessageW(view, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_FALSE(CurrentFocusStackStatus().running);
    EXPECT_EQ(Toast(), GetText("stack cancelled"));
    EXPECT_TRUE(FilesIn(folder).empty());
    EXPECT_EQ(SectionText(kStackStatus), GetText("stack idle"));

    // The section's button starts one; the focus sweeps over the whole specimen.
    SendMessageW(GetDlgItem(Section(), kStackStartStop), BM_CLICK, 0, 0);
    PumpMessages();
    ASSERT_TRUE(Fused(1));
    ASSERT_EQ(RunVcamctl(L"focus \"Stack Scope\" sweep 8"), 0);
    ASSERT_TRUE(WaitUntil([] { return FocusNow() >= 0.999; }, 180000)) << "the sweep did not reach the top";
    // On its way back the sweep adds nothing: the hint comes.
    ASSERT_TRUE(WaitUntil([&] { return SectionText(kStackStatus) == GetText("stack hint"); }, 120000));
    EXPECT_EQ(GetText("stack hint"), L"all sharp \u2014 stop?");
    EXPECT_EQ(Toast(), GetText("stack hint"));
    EXPECT_EQ(CurrentFocusStackStatus().leftOut, 0);
    Shot(main, L"focus-stack-hint");

    // Stop saves the photo and the depth map beside it; the photo is listed and announced.
    SendMessageW(GetDlgItem(Section(), kStackStartStop), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_FALSE(CurrentFocusStackStatus().running);
    const std::vector<std::wstring> files = FilesIn(folder, L"*.png");
    ASSERT_EQ(files.size(), 2u);
    const std::wstring photo = folder + L"\\" + (files[0].find(L"-depth") == std::wstring::npos ? files[0] : files[1]);
    const std::wstring depth = photo.substr(0, photo.size() - 4) + L"-depth.png";
    ASSERT_EQ(gRecentFiles.size(), 1u);
    EXPECT_EQ(gRecentFiles[0], photo);
    EXPECT_EQ(Toast(), L"File saved: " + photo);

    PictureFile fused, truth, map;
    ASSERT_TRUE(ReadPictureFile(photo, &fused));
    ASSERT_TRUE(ReadPictureFile(depth, &map));
    const std::wstring truthPath = folder + L"\\truth.bmp";
    ASSERT_EQ(RunVcamctl(L"truth \"Stack Scope\" \"" + truthPath + L"\" --size 1280x720"), 0);
    ASSERT_TRUE(ReadPictureFile(truthPath, &truth));
    ASSERT_EQ(fused.width, 1280);
    ASSERT_EQ(fused.height, 720);
    if (const char* dir = std::getenv("VARDELO_SHOT_DIR")) {
        const std::wstring to(dir, dir + std::strlen(dir));
        CopyFileW(photo.c_str(), (to + L"\\focus-stack-photo.png").c_str(), FALSE);
        CopyFileW(depth.c_str(), (to + L"\\focus-stack-depth.png").c_str(), FALSE);
    }
    const double psnr = PicturePsnr(fused, truth, 16);
    std::printf("fused photo against the truth: PSNR %.2f dB\n", psnr);
    EXPECT_GT(psnr, kMinPsnr);
    // The depth map: the top of the dome (left of the middle) was sharp late, the slide's lowest
    // corner early: red against blue.
    const uint8_t* top = map.At(1280 * 3 / 10, 360);
    const uint8_t* low = map.At(8, 8);
    EXPECT_GT(top[2], top[0]);
    EXPECT_GT(low[0], low[2]);

    // A stack still being made when the window closes is saved with what it has.
    SendMessageW(view, WM_KEYDOWN, 'F', 0);
    PumpMessages();
    ASSERT_TRUE(Fused(2));
    CloseMainWindow(main);
    main = nullptr;
    EXPECT_FALSE(CurrentFocusStackStatus().running);
    EXPECT_EQ(FilesIn(folder, L"*.png").size(), 4u);
    EXPECT_EQ(gRecentFiles.size(), 2u);
}

}  // namespace
