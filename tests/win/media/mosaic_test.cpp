// The live mosaic end to end: the real main window and the virtual microscope over its large slide,
// its field moved by vcamctl as a hand would. One walk: the mosaic window from the main window's
// command, frames placed along a path where the slide's truth says they belong, the field lost
// over an empty part of the slide (warning outline, "move slower", nothing placed), found again
// far from where it was lost, frames of another size after the camera was reopened left out,
// and Stop and save: a PNG with the calibration's scale that shows the true slide; zooming and
// fitting again; a mosaic closed without saving leaves nothing, one open when the program closes
// is saved.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/messages.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "common/main_window_fixture_win.h"
#include "common/modal_script_win.h"
#include "common/picture_files_win.h"
#include "common/pump_win.h"
#include "common/scratch_files_win.h"
#include "frame/capture_state_win.h"
#include "media/mosaic_window_win.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "testcam/slide.h"
#include "view/calibration_table.h"
#include "view/calibration_workflow.h"

namespace {

const wchar_t kCamera[] = L"Mosaic Slide";
constexpr int kSlideW = 8000, kSlideH = 6000;
constexpr uint32_t kSeed = 1;
constexpr int kStartX = 1800, kStartY = 1500;  // where the field is when the mosaic starts

struct ViewCalibration {
    float ppu;
    int32_t unit;
};

class MosaicTest : public MainWindowFixture {
protected:
    static void SetUpTestSuite() {
        MainWindowFixture::SetUpTestSuite();
        RegisterMosaicWndClass(GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        if (HWND w = MosaicWindow()) DestroyWindow(w);
        CalibrationState.appliedSlot = -1;
        MainWindowFixture::TearDown();
        if (!HasFailure()) RemoveTree(folder);
    }
    static bool Vcam(const std::wstring& args) { return RunVcamctl(args) == 0; }
    static MosaicWindowInfo Info() { return GetMosaicWindowInfo(); }
    // The field's true place in the latest frame the camera made.
    bool TruthAt(int* x, int* y) const {
        FILE* f = _wfopen(truth.c_str(), L"rb");
        if (!f) return false;
        char line[64];
        bool any = false;
        unsigned n;
        while (fgets(line, sizeof line, f)) any = std::sscanf(line, "%u %d %d", &n, x, y) == 3;
        fclose(f);
        return any;
    }
    // The field found, tracking, at (x, y) of the mosaic (the start's place at 0, 0).
    bool FoundAt(double x, double y) {
        return WaitUntil([&] {
            const MosaicStatus s = Info().status;
            return s.state == MosaicState::Tracking && std::fabs(s.fieldX - x) < 1 && std::fabs(s.fieldY - y) < 1;
        }, 60000);
    }
    std::wstring folder, truth;
};

}  // namespace

TEST_F(MosaicTest, FollowsTheSlideLosesAndFindsTheFieldAndSavesTheTrueSlide) {
    folder = FreshTempFolder(L"mosaic");
    truth = folder + L"\\truth.txt";
    ASSERT_NO_FATAL_FAILURE(AddCamera(kCamera, L"--formats \"YUY2 640x480,YUY2 320x240\" --slide 8000x6000@1"));
    ASSERT_TRUE(Vcam(std::wstring(L"move \"") + kCamera + L"\" " + std::to_wstring(kStartX) + L" " +
                     std::to_wstring(kStartY)));
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    LoadSettings();
    AppSettings.jpgPng = 1;  // PNG
    lstrcpynW(AppSettings.imgDir, folder.c_str(), kImgDirChars);
    gRecentFiles.clear();
    requestedFormat = {kSubtypeYuy2, 640, 480, 0};
    ASSERT_NO_FATAL_FAILURE(StartMaximised());
    ASSERT_TRUE(Streaming());
    // 0.5 pixels per µm: the saved mosaic records 500,000 pixels per metre.
    EmptyCalibration(CalibrationTable[0]);
    SetCalibrationName(CalibrationTable[0], L"Slide");
    CalibrationState.appliedSlot = 0;
    ViewCalibration calibration = {0.5f, 1};
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_CALIBRATION, reinterpret_cast<LPARAM>(&calibration));

    SendMessageW(main, WM_COMMAND, ID_MOSAIC, 0);
    ASSERT_TRUE(MosaicWindow());
    ASSERT_TRUE(WaitUntil([] { return Info().status.placed > 0; }, 30000));
    EXPECT_EQ(Info().status.bounds.x0, 0);

    // A U along the slide: every frame where the truth says, the whole mosaic fitted, the field
    // outlined in the tracking colour.
    ASSERT_TRUE(Vcam(std::wstring(L"places \"") + kCamera + L"\" \"" + truth + L"\""));
    ASSERT_TRUE(Vcam(std::wstring(L"path \"") + kCamera + L"\" --speed 8 2300,1500 2300,1850 1800,1850"));
    int tx = 0, ty = 0;
    ASSERT_TRUE(WaitUntil([&] { return TruthAt(&tx, &ty) && tx == 1800 && ty == 1850; }, 60000));
    ASSERT_TRUE(FoundAt(1800 - kStartX, 1850 - kStartY));
    MosaicWindowInfo info = Info();
    EXPECT_TRUE(info.fitted);
    EXPECT_FALSE(info.warning);
    EXPECT_NEAR(info.status.bounds.Width(), 500 + 640, 1);  // a fraction of a pixel may take one off
    EXPECT_NEAR(info.status.bounds.Height(), 350 + 480, 1);
    RECT client;
    GetClientRect(MosaicWindow(), &client);
    EXPECT_GE(info.outline.left, 0);
    EXPECT_LE(info.outline.right, client.right);

    // Over an empty disc of the slide: lost, the warning shown, nothing placed.
    const SlideRegion empty = SlideScene(kSlideW, kSlideH, kSeed).EmptyRegions()[1];
    ASSERT_TRUE(Vcam(std::wstring(L"move \"") + kCamera + L"\" " + std::to_wstring(empty.x - 320) + L" " +
                     std::to_wstring(empty.y - 240)));
    ASSERT_TRUE(WaitUntil([] { return Info().status.state == MosaicState::Lost; }, 30000));
    info = Info();
    EXPECT_TRUE(info.warning);
    EXPECT_NE(info.statusText.find(L"move slower"), std::wstring::npos) << std::string(info.statusText.begin(), info.statusText.end());
    const int placed = info.status.placed;
    const uint32_t frames = CaptureState.framesPublished.load();
    ASSERT_TRUE(WaitUntil([&] { return CaptureState.framesPublished.load() - frames >= 10; }, 30000));
    PumpMessages();
    EXPECT_EQ(Info().status.placed, placed);

    // Back over the mosaic, far from where the field was lost: found again.
    ASSERT_TRUE(Vcam(std::wstring(L"move \"") + kCamera + L"\" 2300 1500"));
    ASSERT_TRUE(FoundAt(2300 - kStartX, 1500 - kStartY));
    EXPECT_FALSE(Info().warning);

    // The camera reopened at another size (its frame ring made anew under the worker): nothing
    // placed meanwhile, and the mosaic goes on at its own size.
    // The count is taken once the worker has met a frame of the other size: the frames of the
    // old size before it may still have been placed after the reopening.
    ReopenWithFormat({kSubtypeYuy2, 320, 240, 0});
    ASSERT_TRUE(WaitUntil([] { return Info().status.otherSize; }, 30000));
    const int before = Info().status.placed;
    const uint32_t smallFrames = CaptureState.framesPublished.load();
    ASSERT_TRUE(WaitUntil([&] { return CaptureState.framesPublished.load() - smallFrames >= 10; }, 30000));
    PumpMessages();
    EXPECT_EQ(Info().status.placed, before);
    ReopenWithFormat({kSubtypeYuy2, 640, 480, 0});
    ASSERT_TRUE(WaitUntil([&] { return !Info().status.otherSize && Info().status.placed > before; }, 30000));
    ASSERT_TRUE(FoundAt(2300 - kStartX, 1500 - kStartY));

    // Stop and save: the window goes, the picture is listed, and it shows the true slide.
    const MosaicRect bounds = Info().status.bounds;
    SendMessageW(GetDlgItem(MosaicWindow(), kMosaicStopButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return MosaicWindow() == nullptr; }));
    ASSERT_EQ(gRecentFiles.size(), 1u);
    const std::wstring path = gRecentFiles.back();
    EXPECT_EQ(path.substr(path.size() - 4), L".png");
    EXPECT_EQ(RecordedDensity(FileBytes(path)), 500000u);
    Picture saved;
    ASSERT_TRUE(LoadPicture(path, &saved));
    ASSERT_EQ(saved.width, bounds.Width());
    ASSERT_EQ(saved.height, bounds.Height());
    std::vector<uint8_t> slide(saved.bgr.size());
    SlideScene(kSlideW, kSlideH, kSeed).Crop(kStartX + bounds.x0, kStartY + bounds.y0, saved.width, saved.height, slide.data());
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < slide.size(); i += 3) {
        if (!(saved.bgr[i] | saved.bgr[i + 1] | saved.bgr[i + 2])) continue;  // not covered
        for (int c = 0; c < 3; ++c) sum += std::abs(int(saved.bgr[i + c]) - int(slide[i + c]));
        n += 3;
    }
    EXPECT_GT(n, slide.size() * 3 / 4);
    EXPECT_LT(sum / std::max<size_t>(n, 1), 4.0);

    // Another mosaic: the wheel zooms in and a double click fits again; closed with No to the
    // question whether to save, it leaves nothing.
    SendMessageW(main, WM_COMMAND, ID_MOSAIC, 0);
    ASSERT_TRUE(WaitUntil([] { return Info().status.placed > 0; }, 30000));
    HWND window = MosaicWindow();
    const double fitted = Info().viewport.scale;
    POINT middle = {100, 100};
    ClientToScreen(window, &middle);
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(middle.x, middle.y));
    EXPECT_FALSE(Info().fitted);
    EXPECT_GT(Info().viewport.scale, fitted);
    SendMessageW(window, WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 100));
    EXPECT_TRUE(Info().fitted);
    RunScripted([&] { return INT_PTR(SendMessageW(window, WM_CLOSE, 0, 0)); },
                {OnDialog(L"Live mosaic", [](HWND dlg) { ClickDialogButton(dlg, IDNO); })});
    EXPECT_EQ(MosaicWindow(), nullptr);
    EXPECT_EQ(gRecentFiles.size(), 1u);

    // A mosaic still open when the program closes is saved.
    SendMessageW(main, WM_COMMAND, ID_MOSAIC, 0);
    ASSERT_TRUE(WaitUntil([] { return Info().status.placed > 0; }, 30000));
    CloseMainWindow(main);
    main = nullptr;
    EXPECT_EQ(MosaicWindow(), nullptr);
    EXPECT_EQ(gRecentFiles.size(), 2u);
}
