// Time-lapse runs end to end: the real main window and the virtual microscope, the dialog driven
// from a script, the pictures and the video read back by ImageMagick and ffmpeg where the
// machine has them; the camera unplugged during a run; a change of camera asked about; a full
// disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/messages.h"
#include "calib/shot_win.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "common/host_tools_win.h"
#include "common/main_window_fixture_win.h"
#include "common/modal_script_win.h"
#include "common/pump_win.h"
#include "common/scratch_files_win.h"
#include "media/avi_file.h"
#include "media/photo_paths.h"
#include "media/timelapse_win.h"
#include "resources/timelapse_dialog.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"

namespace {

const CameraFormat kVga = {kSubtypeYuy2, 640, 480, 0};

class TimelapseTest : public MainWindowFixture {
protected:
    void Open(const wchar_t* name, int language = 0) {
        cameraName = name;
        ASSERT_NO_FATAL_FAILURE(AddCamera(name, L"--formats \"YUY2 640x480\""));
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        LoadSettings();
        AppSettings.language = language;
        LoadTextTable(language);
        // On the drive Wine maps to the machine's root, where its tools can read the files.
        CreateDirectoryW(BinPath(L"timelapse").c_str(), nullptr);
        folder = BinPath(L"timelapse\\") + name;
        RemoveTree(folder);
        CreateDirectoryW(folder.c_str(), nullptr);
        lstrcpynW(AppSettings.imgDir, folder.c_str(), kImgDirChars);
        gRecentFiles.clear();
        requestedFormat = kVga;
        ASSERT_NO_FATAL_FAILURE(StartMaximised());
        ASSERT_TRUE(Streaming());
    }
    void TearDown() override {
        StopTimelapse();
        TimelapseHooks() = {};
        MainWindowFixture::TearDown();
        AppSettings.language = 0;
        LoadTextTable(0);
        if (!HasFailure()) RemoveTree(folder);
    }
    static TimelapsePlan Plan(TimelapseStop stop, int64_t count, bool video) {
        TimelapsePlan p;
        p.intervalMs = 1000;
        p.stop = stop;
        p.count = count;
        p.take = TimelapseTake::CameraFrame;
        p.video = video;
        p.videoFps = 5;
        return p;
    }
    bool Ended(DWORD timeoutMs = 60000) { return WaitUntil([] { return !GetTimelapseStatus().running; }, timeoutMs); }
    // The run's pictures, sorted by name.
    std::vector<std::wstring> Pictures() const {
        std::vector<std::wstring> names = FilesIn(GetTimelapseStatus().folder, L"*.jpg");
        std::sort(names.begin(), names.end());
        return names;
    }
    std::wstring ToastText() const { return WindowText(GetDlgItem(main, ID_PROMPT)); }

    std::wstring folder, cameraName;
};

}  // namespace

// The dialog starts a run of five pictures a second apart with a video: five numbered JPEG files
// of the camera's size, the first of them and the video listed, a video of five frames that
// ffmpeg decodes, the indicator shown while the run goes on and the toast at the end.
TEST_F(TimelapseTest, DialogRunsFivePicturesAndAVideo) {
    ASSERT_NO_FATAL_FAILURE(Open(L"TL Five"));
    bool indicatorShown = false;
    RunScripted([&] { return INT_PTR(SendMessageW(main, WM_COMMAND, ID_TIMELAPSE, 0)); },
                {OnDialog(L"Time-lapse", [](HWND dlg) {
                    SetDlgItemInt(dlg, IDC_TL_INTERVAL, 1, FALSE);
                    SendDlgItemMessageW(dlg, IDC_TL_UNIT, CB_SETCURSEL, 0, 0);  // seconds
                    CheckRadioButton(dlg, IDC_TL_STOP_COUNT, IDC_TL_STOP_NEVER, IDC_TL_STOP_COUNT);
                    SetDlgItemInt(dlg, IDC_TL_COUNT, 5, FALSE);
                    CheckRadioButton(dlg, IDC_TL_TAKE_VIEW, IDC_TL_TAKE_FRAME, IDC_TL_TAKE_FRAME);
                    CheckDlgButton(dlg, IDC_TL_VIDEO, BST_CHECKED);
                    SetDlgItemInt(dlg, IDC_TL_VIDEO_FPS, 5, FALSE);
                    Shot(dlg, L"timelapse_dialog_en");
                    ClickDialogButton(dlg, IDOK);
                })});
    ASSERT_TRUE(GetTimelapseStatus().running);
    ASSERT_TRUE(WaitUntil([&] {
        HWND indicator = FindWindowExW(GetDlgItem(main, ID_HTOOLBAR), nullptr, kTimelapseWndClass, nullptr);
        indicatorShown = indicatorShown || (indicator && IsWindowVisible(indicator));
        return !GetTimelapseStatus().running;
    }, 60000));
    EXPECT_TRUE(indicatorShown);
    const TimelapseStatus s = GetTimelapseStatus();
    EXPECT_EQ(s.taken, 5);
    EXPECT_EQ(s.missed, 0);
    EXPECT_EQ(Pictures(), (std::vector<std::wstring>{L"0001.jpg", L"0002.jpg", L"0003.jpg", L"0004.jpg", L"0005.jpg"}));
    ASSERT_EQ(gRecentFiles.size(), 2u);  // the first picture, then the video
    EXPECT_EQ(gRecentFiles[0], s.folder + L"\\0001.jpg");
    EXPECT_EQ(gRecentFiles[1], s.video);
    EXPECT_NE(ToastText().find(L"Time-lapse finished: 5 pictures in " + s.folder), std::wstring::npos);
    AviFile avi(s.video);
    ASSERT_TRUE(avi.ok);
    EXPECT_EQ(avi.frameOffsets.size(), 5u);
    EXPECT_EQ(avi.rate, 50u);  // 5 frames a second, over a scale of 10
    if (HostHasFfmpeg()) {
        const std::string sizes = RunHost(L"cd '" + UnixPath(s.folder) + L"' && identify -format '%m %w %h\\n' 0*.jpg");
        EXPECT_EQ(sizes, "JPEG 640 480\nJPEG 640 480\nJPEG 640 480\nJPEG 640 480\nJPEG 640 480\n");
        const std::string frames = RunHost(L"ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of "
                                           L"default=nw=1:nk=1 '" + UnixPath(s.video) + L"'");
        EXPECT_EQ(frames, "5\n");
        EXPECT_EQ(RunHost(L"ffmpeg -nostdin -v error -i '" + UnixPath(s.video) + L"' -f null - 2>&1"), "");
    }
}

// The camera goes during a run: the run waits and names each picture it misses in missed.txt,
// and goes on when the same camera comes back. A change of camera by the user is asked about:
// declined, the run goes on; accepted, it ends first.
TEST_F(TimelapseTest, UnpluggedCameraIsWaitedForAndACameraChangeIsAskedAbout) {
    ASSERT_NO_FATAL_FAILURE(Open(L"TL Unplug"));
    ASSERT_TRUE(StartTimelapse(Plan(TimelapseStop::Never, 0, false)));
    ASSERT_TRUE(WaitUntil([] { return GetTimelapseStatus().taken >= 2; }, 30000));
    RunVcamctl(L"remove \"" + cameraName + L"\"");
    ASSERT_TRUE(WaitUntil([] { return GetTimelapseStatus().waitingForCamera && GetTimelapseStatus().missed >= 1; }, 30000));
    const int64_t takenBefore = GetTimelapseStatus().taken;
    ASSERT_EQ(RunVcamctl(L"add \"" + cameraName + L"\" --formats \"YUY2 640x480\""), 0);
    ASSERT_TRUE(WaitUntil([&] { return GetTimelapseStatus().taken > takenBefore; }, 60000));
    EXPECT_FALSE(GetTimelapseStatus().waitingForCamera);

    RunScripted([&] { return ReopenWithFormat(kVga), INT_PTR(0); },
                {OnDialog(L"Time-lapse", [](HWND box) { ClickDialogButton(box, IDNO); })});
    EXPECT_TRUE(GetTimelapseStatus().running);
    RunScripted([&] { return ReopenWithFormat(kVga), INT_PTR(0); },
                {OnDialog(L"Time-lapse", [](HWND box) { ClickDialogButton(box, IDYES); })});
    EXPECT_FALSE(GetTimelapseStatus().running);

    // The numbers of the pictures and of the missed ones make the run's slots, each once.
    const TimelapseStatus s = GetTimelapseStatus();
    const std::vector<std::wstring> pictures = FilesIn(s.folder, L"0*.jpg");
    EXPECT_EQ(int64_t(pictures.size()), s.taken);
    std::string log;
    {
        HANDLE f = CreateFileW((s.folder + L"\\" + kMissedLogName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        char block[8192];
        DWORD got = 0;
        ReadFile(f, block, sizeof block, &got, nullptr);
        CloseHandle(f);
        log.assign(block, got);
    }
    int64_t missedLines = 0;
    for (size_t at = log.find(".jpg\t"); at != std::string::npos; at = log.find(".jpg\t", at + 1)) {
        ++missedLines;
        const std::wstring name(log.begin() + ptrdiff_t(at - 6), log.begin() + ptrdiff_t(at + 4));
        EXPECT_EQ(std::count(pictures.begin(), pictures.end(), name), 0) << "taken and missed";
    }
    EXPECT_EQ(missedLines, s.missed);
    EXPECT_NE(log.find("no camera"), std::string::npos);
}

// A picture that cannot be written (a full disk) ends the run and says so; the pictures before
// it and a playable video of them stay. (In Chinese, with a look at the indicator.)
TEST_F(TimelapseTest, FailedPictureEndsTheRunAndKeepsWhatWasTaken) {
    ASSERT_NO_FATAL_FAILURE(Open(L"TL Full", 1));
    TimelapseHooks().failFromPicture = 3;
    ASSERT_TRUE(StartTimelapse(Plan(TimelapseStop::AfterCount, 10, true)));
    ASSERT_TRUE(WaitUntil([] { return GetTimelapseStatus().taken >= 1; }, 30000));
    PumpFor(300);
    Shot(main, L"timelapse_run_zh");
    ASSERT_TRUE(Ended());
    const TimelapseStatus s = GetTimelapseStatus();
    EXPECT_EQ(s.taken, 2);
    EXPECT_EQ(Pictures(), (std::vector<std::wstring>{L"0001.jpg", L"0002.jpg"}));
    EXPECT_EQ(ToastText(), TextWithPath(GetText("tl save failed"), s.folder + L"\\0003.jpg"));
    AviFile avi(s.video);
    EXPECT_TRUE(avi.ok);
    EXPECT_EQ(avi.frameOffsets.size(), 2u);
    if (HostHasFfmpeg()) {
        EXPECT_EQ(RunHost(L"ffmpeg -nostdin -v error -i '" + UnixPath(s.video) + L"' -f null - 2>&1"), "");
    }
}
