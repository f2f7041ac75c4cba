// Photos from the main window against the virtual microscope: the view's picture exactly as
// shown with its shapes, Space and the photo button, the still button at the still's own size,
// two photos in one millisecond, an unusable and an unwritable folder, the video cover, and the
// file writer that never leaves a half-written file.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../../core/view/test_shapes.h"
#include "app/main_view_win.h"
#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "common/modal_script_win.h"
#include "common/picture_files_win.h"
#include "common/pump_win.h"
#include "common/scratch_files_win.h"
#include "common/stored_settings_win.h"
#include "common/main_window_fixture_win.h"
#include "common/vcam_harness_win.h"
#include "frame/capture_state_win.h"
#include "calib/shot_win.h"
#include "media/measure_export_win.h"
#include "media/photo_commands_win.h"
#include "media/photo_paths.h"
#include "media/photo_saver_win.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/camera_view_win.h"
#include "view/calibration_workflow.h"
#include "view/measure_model.h"
#include "view/measure_table.h"

namespace {

const wchar_t kScope[] = L"Photo Scope";
constexpr uint32_t kLineColor = 0xFF00FF;  // magenta
constexpr uint32_t kTextColor = 0x00FFFF;  // yellow

std::vector<WPARAM> filesAdded;  // WMU_FILE_ADDED as the panel received it

LRESULT CALLBACK PanelSpyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WMU_FILE_ADDED) filesAdded.push_back(wp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

class PhotoTest : public MainWindowFixture {
protected:
    static void SetUpTestSuite() {
        MainWindowFixture::SetUpTestSuite();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = PanelSpyProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PhotoTestPanelSpy";
        RegisterClassW(&wc);
    }
    void SetUp() override {
        AppSettings = SettingsFromStored(StoredSettings{});
        AppSettings.lineColor = kLineColor;
        AppSettings.textColor = kTextColor;
        AppSettings.lineWidth = 2;
        LoadTextTable(kLanguageEnglish);
        folder = FreshTempFolder(L"vardelo-photo-test");
        ASSERT_TRUE(CopyTextField(AppSettings.imgDir, folder));
        gRecentFiles.clear();
        gSavePath.clear();
        filesAdded.clear();
        ClearAll(MeasurementState);
        MeasurementState.tool = kToolNone;
    }
    void TearDown() override {
        if (spy) DestroyWindow(spy);
        MainWindowFixture::TearDown();
        CaptureState.videoPath[0] = 0;
        RemoveTree(folder);
    }
    // The main window with the scope streaming at ratio 100 and the panel replaced by a spy.
    void Open(const wchar_t* options, const CameraFormat& format) {
        ASSERT_NO_FATAL_FAILURE(AddCamera(kScope, options));
        requestedFormat = format;
        ASSERT_NO_FATAL_FAILURE(Start(1366, 768));
        spy = CreateWindowExW(0, L"PhotoTestPanelSpy", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ShellState.panel = spy;
        ASSERT_TRUE(Streaming());
        SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_RATIO, 100);
        SendDrawSettingsToView();
    }
    // A line and a text on the picture, drawn before the next photo.
    void DrawShapes() {
        MeasureShape text = Shape(kToolText, {80, 200}, {0, 0});
        lstrcpynW(text.text, L"WWWWWW", kMaxShapeText + 1);
        MeasurementState.shapes = {Shape(kToolLine, {60, 100}, {400, 100}), text};
        unsigned long long frames = CameraViewGetInfo(view).composedFrames;
        ASSERT_TRUE(WaitUntil([&] { return CameraViewGetInfo(view).composedFrames > frames + 1; }));
    }
    std::wstring Toast() {
        wchar_t text[600] = {};
        GetWindowTextW(GetDlgItem(main, ID_PROMPT), text, 600);
        return text;
    }
    std::wstring OnlyFile() {
        std::vector<std::wstring> files = FilesIn(folder);
        return files.size() == 1 ? folder + L"\\" + files[0] : std::wstring();
    }
    // What a saved photo must leave behind: the toast, the list, the stored list, the panel's note.
    void ExpectAnnounced(const std::wstring& path, const std::wstring& toast) {
        EXPECT_EQ(Toast(), toast);
        EXPECT_EQ(gSavePath, path);
        ASSERT_FALSE(gRecentFiles.empty());
        EXPECT_EQ(gRecentFiles.back(), path);
        EXPECT_EQ(StoredText(L"LatestFiles").substr(0, path.size() + 1), path + L";");
        PumpMessages();
        ASSERT_FALSE(filesAdded.empty());
        EXPECT_EQ(filesAdded.back(), gRecentFiles.size() - 1);
    }

    std::wstring folder;
    HWND spy = nullptr;
};

TEST_F(PhotoTest, PhotoIsThePictureAsShownWithItsShapes) {
    AppSettings.jpgPng = 1;
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720\"", {kSubtypeMjpg, 1280, 720, 0}));
    DrawShapes();
    SendMessageW(main, WM_COMMAND, ID_TAKE_PHOTO, 0);
    // Read before any message runs: no new frame is composed in between.
    HDC surface = CameraViewSurfaceDc(view);
    ASSERT_NE(surface, nullptr);
    const std::wstring path = OnlyFile();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.substr(path.size() - 4), L".png");
    Picture pic;
    ASSERT_TRUE(LoadPicture(path, &pic));
    EXPECT_TRUE(pic.png);
    CameraViewInfo info = CameraViewGetInfo(view);
    EXPECT_EQ(pic.width, info.displayW);
    EXPECT_EQ(pic.height, info.displayH);
    int differ = 0;
    for (int y = 0; y < pic.height; y += 13)
        for (int x = 0; x < pic.width; x += 11) differ += pic.At(x, y) != GetPixel(surface, x, y);
    EXPECT_EQ(differ, 0);
    // The line and the text at their places, in their colours (0x00BBGGRR is a COLORREF).
    EXPECT_EQ(pic.At(230, 100), COLORREF(kLineColor));
    int textPixels = 0;
    for (int y = 200; y < 240; ++y)
        for (int x = 80; x < 260; ++x) textPixels += pic.At(x, y) == COLORREF(kTextColor);
    EXPECT_GT(textPixels, 30);
    ExpectAnnounced(path, L"File saved: " + path);
}

// The label background: off, the specimen around the text; on, the label stands on black (the
// yellow text's contrasting colour).
TEST_F(PhotoTest, LabelBackgroundIsInThePhotoOnlyWhenChosen) {
    AppSettings.jpgPng = 1;
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"MJPG 1280x720\"", {kSubtypeMjpg, 1280, 720, 0}));
    int black[2] = {0, 0};
    for (int on : {0, 1}) {
        AppSettings.labelBacking = on;
        SendDrawSettingsToView();
        DrawShapes();
        SendMessageW(main, WM_COMMAND, ID_TAKE_PHOTO, 0);
        Picture pic;
        ASSERT_TRUE(LoadPicture(gSavePath, &pic));
        for (int y = 200; y < 240; ++y)
            for (int x = 80; x < 260; ++x) black[on] += pic.At(x, y) == RGB(0, 0, 0);
    }
    EXPECT_LT(black[0], 20);
    EXPECT_GT(black[1], 500);
}

TEST_F(PhotoTest, SpaceInTheViewSavesAJpegOfTheViewSize) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"YUY2 642x480\"", {kSubtypeYuy2, 642, 480, 0}));
    PostMessageW(view, WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !OnlyFile().empty(); }));
    const std::wstring path = OnlyFile();
    Picture pic;
    ASSERT_TRUE(LoadPicture(path, &pic));
    EXPECT_TRUE(pic.jpeg);
    EXPECT_EQ(pic.width, 642);
    EXPECT_EQ(pic.height, 480);
    ExpectAnnounced(path, L"File saved: " + path);
}

// The still button's frame at its own size (rows of 1926 and 3846 bytes are no whole words),
// pixel for pixel the converted still: no overlay, no shear.
TEST_F(PhotoTest, StillButtonSavesTheStillAtItsOwnSize) {
    struct Run { const wchar_t* options; CameraFormat format; int w, h; } runs[] = {
        {L"--formats \"YUY2 640x480\" --still-size 642x482", {kSubtypeYuy2, 640, 480, 0}, 642, 482},
        {L"--formats \"MJPG 1280x720\" --still-size 1282x962", {kSubtypeMjpg, 1280, 720, 0}, 1282, 962},
    };
    AppSettings.jpgPng = 1;
    for (const Run& run : runs) {
        ASSERT_NO_FATAL_FAILURE(Open(run.options, run.format));
        DrawShapes();
        ASSERT_EQ(RunVcamctl(L"still \"" + std::wstring(kScope) + L"\""), 0);
        ASSERT_TRUE(WaitUntil([&] { return !OnlyFile().empty(); }, 20000));
        const std::wstring path = OnlyFile();
        Picture pic;
        ASSERT_TRUE(LoadPicture(path, &pic));
        EXPECT_EQ(pic.width, run.w);
        EXPECT_EQ(pic.height, run.h);
        StillImageData still = TakeStillImage();
        ASSERT_NE(still.pixels, nullptr);
        ASSERT_EQ(still.width, run.w);
        EXPECT_TRUE(pic.bgr == std::vector<uint8_t>(still.pixels, still.pixels + pic.bgr.size()));
        ReturnStillImage(still);
        ExpectAnnounced(path, L"File saved: " + path);
        DestroyWindow(main);
        main = nullptr;
        PumpMessages();
        DeleteFileW(path.c_str());
        ClearAll(MeasurementState);
    }
}

TEST_F(PhotoTest, TwoPhotosInOneMillisecondGetTwoFiles) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"YUY2 640x480\"", {kSubtypeYuy2, 640, 480, 0}));
    const MediaTime t{2023, 3, 22, 14, 25, 1, 7};
    ASSERT_TRUE(SavePhoto(PhotoSource::View, t));
    ASSERT_TRUE(SavePhoto(PhotoSource::View, t));
    ASSERT_EQ(gRecentFiles.size(), 2u);
    EXPECT_EQ(gRecentFiles[0], folder + L"\\20230322-142501-007.jpg");
    EXPECT_EQ(gRecentFiles[1], folder + L"\\20230322-142501-008.jpg");
    EXPECT_EQ(FilesIn(folder).size(), 2u);
    EXPECT_EQ(StoredText(L"LatestFiles"), gRecentFiles[1] + L";" + gRecentFiles[0] + L";");
}

// Folders the system refuses files in: nothing is saved, the toast says so. Z:\\proc takes no files
// (the photo is named); a locked folder (scripts/test) refuses them as Controlled folder access does.
TEST_F(PhotoTest, UnwritableFolderSavesNothingAndSaysSo) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"YUY2 640x480\"", {kSubtypeYuy2, 640, 480, 0}));
    const char* locked = std::getenv("VARDELO_LOCKED_FOLDER");
    const std::wstring lockedFolder = locked ? std::wstring(locked, locked + std::strlen(locked)) : std::wstring();
    struct Case { std::wstring folder; std::wstring toast; } cases[] = {
        {L"Z:\\proc", L"Photo not saved: Z:\\proc\\20230322-142501-007.jpg"},
        {lockedFolder, TextWithPath(GetText("folder denied"), lockedFolder)},
    };
    for (const Case& c : cases) {
        if (c.folder.empty()) continue;  // no locked folder on this machine
        ASSERT_TRUE(CopyTextField(AppSettings.imgDir, c.folder));
        EXPECT_FALSE(SavePhoto(PhotoSource::View, {2023, 3, 22, 14, 25, 1, 7}));
        EXPECT_EQ(GetFileAttributesW((c.folder + L"\\20230322-142501-007.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(gRecentFiles.empty());
        EXPECT_TRUE(gSavePath.empty());
        EXPECT_EQ(Toast(), c.toast);
    }
    PumpMessages();
    EXPECT_TRUE(filesAdded.empty());
}

// An image folder that cannot be made (a file stands in its way): the photo goes to the default
// folder in the documents, the toast says where, and the setting stays as the user chose it.
TEST_F(PhotoTest, UnusableFolderFallsBackToTheDefaultFolder) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"YUY2 640x480\"", {kSubtypeYuy2, 640, 480, 0}));
    HANDLE f = CreateFileW((folder + L"\\in the way").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
    const std::wstring chosen = folder + L"\\in the way\\photos";
    ASSERT_TRUE(CopyTextField(AppSettings.imgDir, chosen));
    ASSERT_TRUE(SavePhoto(PhotoSource::View, LocalMediaTime()));
    const std::wstring fallback = DefaultSaveFolder(DocumentsFolder());
    ASSERT_EQ(gSavePath.substr(0, fallback.size() + 1), fallback + L"\\");
    EXPECT_NE(GetFileAttributesW(gSavePath.c_str()), INVALID_FILE_ATTRIBUTES);
    ExpectAnnounced(gSavePath, L"Image folder unavailable, saved to: " + gSavePath);
    EXPECT_EQ(std::wstring(AppSettings.imgDir), chosen);
    DeleteFileW(gSavePath.c_str());
}

TEST_F(PhotoTest, VideoCoverBesideTheVideo) {
    ASSERT_NO_FATAL_FAILURE(Open(L"--formats \"YUY2 640x480\"", {kSubtypeYuy2, 640, 480, 0}));
    struct Case { int jpgPng; const wchar_t* cover; bool png, tiff; } cases[] = {
        {0, L"\\20230322-142501-007.jpg", false, false},
        {1, L"\\20230322-142501-007.png", true, false},
        {2, L"\\20230322-142501-007.tif", false, true},
    };
    for (const Case& c : cases) {
        AppSettings.jpgPng = c.jpgPng;
        lstrcpynW(CaptureState.videoPath, (folder + L"\\20230322-142501-007.avi").c_str(), 260);
        PostMessageW(main, WMU_VIDEO_COVER, 0, 0);
        const std::wstring cover = folder + c.cover;
        ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesW(cover.c_str()) != INVALID_FILE_ATTRIBUTES; }));
        Picture pic;
        ASSERT_TRUE(LoadPicture(cover, &pic));
        EXPECT_EQ(pic.png, c.png);
        EXPECT_EQ(pic.tiff, c.tiff);
        EXPECT_EQ(pic.width, 640);
    }
    EXPECT_TRUE(gRecentFiles.empty());  // no list entry and no toast for a cover
    EXPECT_EQ(GetDlgItem(main, ID_PROMPT), nullptr);
}

// The writer behind every save: the final name appears only for a whole file, never replaces
// one, and no temporary file is left behind.
TEST(WholeFile, NeverHalfWritten) {
    const std::wstring folder = FreshTempFolder(L"vardelo-whole-file-test");
    const std::wstring path = folder + L"\\photo.jpg";
    auto writeBytes = [](bool succeed) {
        return [succeed](const std::wstring& temporary) {
            HANDLE f = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD done = 0;
            WriteFile(f, "half", 4, &done, nullptr);
            CloseHandle(f);
            return succeed;
        };
    };
    struct Case { const char* what; bool writerSucceeds; bool existsBefore; bool ok; } cases[] = {
        {"the writer fails midway", false, false, false},
        {"the writer succeeds", true, false, true},
        {"the name is taken meanwhile", true, true, false},
    };
    for (const Case& c : cases) {
        DeleteFileW(path.c_str());
        if (c.existsBefore) CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        EXPECT_EQ(WriteWholeFile(path, writeBytes(c.writerSucceeds)), c.ok) << c.what;
        std::vector<std::wstring> files = FilesIn(folder);
        EXPECT_EQ(files.size(), c.ok || c.existsBefore ? 1u : 0u) << c.what;
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
        EXPECT_EQ(data.nFileSizeLow, c.ok ? 4u : 0u) << c.what;  // a file that was there stays as it was
    }
    RemoveTree(folder);
}

// A program that opens the new file without delete sharing (a virus scanner, the search indexer)
// holds the rename up for a moment: the file still gets its name. A folder of 247 characters, too
// deep for the system's own temporary names, takes a photo whose name fits.
TEST(WholeFile, WaitsForAHolderAndWorksInDeepFolders) {
    const std::wstring folder = FreshTempFolder(L"vardelo-whole-file-held");
    std::thread holder;
    EXPECT_TRUE(WriteWholeFile(folder + L"\\held.jpg", [&](const std::wstring& temporary) {
        HANDLE held = WriteBytesToFile(temporary, "whole", 5)
                          ? CreateFileW(temporary.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr)
                          : INVALID_HANDLE_VALUE;
        if (held != INVALID_HANDLE_VALUE) holder = std::thread([held] { Sleep(200); CloseHandle(held); });
        return held != INVALID_HANDLE_VALUE;
    }));
    if (holder.joinable()) holder.join();
    EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{L"held.jpg"});
    std::wstring deep = folder;
    while (deep.size() + 41 < 247) deep += L"\\" + std::wstring(40, L'd');
    deep += L"\\" + std::wstring(246 - deep.size(), L'e');
    ASSERT_TRUE(EnsureFolderPath(deep));
    const uint8_t pixels[4 * 4 * 3] = {};
    EXPECT_TRUE(SaveBgrImage(pixels, 4, 4, 12, deep + L"\\a.png"));
    EXPECT_EQ(FilesIn(deep), std::vector<std::wstring>{L"a.png"});
    RemoveTree(folder);
}

// ---- The scale that travels with the picture, measurements to take away ----

// Kept for reading them with ImageMagick on the Linux side, when VARDELO_KEEP_DIR names a folder.
void Keep(const std::wstring& path) {
    const char* dir = std::getenv("VARDELO_KEEP_DIR");
    if (!dir) return;
    std::wstring target(dir, dir + std::strlen(dir));
    target += path.substr(path.find_last_of(L'\\'));
    CopyFileW(path.c_str(), target.c_str(), FALSE);
}

struct ViewCalibration {
    float ppu;
    int32_t unit;
} calibrationOf400 = {0.4f, 1};

class PhotoScaleTest : public PhotoTest {
protected:
    // 400 pixels per millimetre on the virtual microscope, calibrated as 0.4 pixels per µm.
    void StartCalibrated(const wchar_t* options, const CameraFormat& format) {
        ASSERT_NO_FATAL_FAILURE(Open(options, format));
        EmptyCalibration(CalibrationTable[0]);
        SetCalibrationName(CalibrationTable[0], L"Tissue 40x");
        CalibrationState.appliedSlot = 0;
        SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_CALIBRATION, reinterpret_cast<LPARAM>(&calibrationOf400));
    }
    void TearDown() override {
        CalibrationState.appliedSlot = -1;
        CaptureState.invert = 0;
        PhotoTest::TearDown();
    }
};

// Ruler-coloured pixels in the bottom-right fifth of a picture.
int RulerPixelsInCorner(const Picture& pic) {
    int n = 0;
    for (int y = pic.height * 4 / 5; y < pic.height; ++y)
        for (int x = pic.width * 3 / 5; x < pic.width; ++x) n += pic.At(x, y) == COLORREF(AppSettings.gridColor);
    return n;
}

TEST_F(PhotoScaleTest, PhotosRecordTheirPixelSizeAndCarryTheBarAndTheTable) {
    StartCalibrated(L"--formats \"YUY2 1280x720\" --ppmm 400 --still-size 2560x1440", {kSubtypeYuy2, 1280, 720, 0});
    AppSettings.gridColor = 0x00FFFF;  // yellow ruler
    AppSettings.scaleBar = 1;
    AppSettings.measuresWithPhotos = 1;
    DrawShapes();
    struct Case { int jpgPng; PhotoSource source; uint32_t density; } cases[] = {
        {1, PhotoSource::View, 400000},     // pixels per metre
        {0, PhotoSource::View, 4000},       // pixels per centimetre
        {1, PhotoSource::Still, 800000},    // the still has twice the pixels over the same field
    };
    int ms = 0;
    for (const Case& c : cases) {
        AppSettings.jpgPng = c.jpgPng;
        if (c.source == PhotoSource::Still) {  // saved by the main window as the still arrives
            const size_t before = gRecentFiles.size();
            ASSERT_EQ(RunVcamctl(L"still \"" + std::wstring(kScope) + L"\""), 0);
            ASSERT_TRUE(WaitUntil([&] { return gRecentFiles.size() > before; }, 20000));
        } else {
            ASSERT_TRUE(SavePhoto(c.source, {2023, 3, 22, 14, 25, 1, ms++}));
        }
        const std::wstring path = gSavePath;
        EXPECT_EQ(RecordedDensity(FileBytes(path)), c.density) << c.jpgPng;
        Picture pic;
        ASSERT_TRUE(LoadPicture(path, &pic));
        EXPECT_GT(RulerPixelsInCorner(pic), 200) << "scale bar in " << c.jpgPng;
        const std::vector<uint8_t> csv = FileBytes(MeasurementsPathFor(path));
        ASSERT_GT(csv.size(), 3u);
        EXPECT_EQ(std::string(csv.begin(), csv.begin() + 3), "\xEF\xBB\xBF");
        EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);  // heading, line, text
        Keep(path);
    }
    // 10 pixels per µm is 100000 pixels per centimetre, beyond JFIF's 16 bits: JFIF keeps no
    // unit, the EXIF resolution carries the figure.
    struct { float ppu; int32_t unit; } fine = {10.0f, 1};
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_CALIBRATION, reinterpret_cast<LPARAM>(&fine));
    AppSettings.jpgPng = 0;
    ASSERT_TRUE(SavePhoto(PhotoSource::View, {2023, 3, 22, 14, 25, 1, ms++}));
    EXPECT_EQ(RecordedDensity(FileBytes(gSavePath)), 0u);
    Keep(gSavePath);
    SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_CALIBRATION, reinterpret_cast<LPARAM>(&calibrationOf400));
    // The live view stays without the bar.
    CameraViewInfo info = CameraViewGetInfo(view);
    HDC surface = CameraViewSurfaceDc(view);
    int ruler = 0;
    for (int y = info.displayH * 4 / 5; y < info.displayH; y += 2)
        for (int x = info.displayW * 3 / 5; x < info.displayW; x += 2)
            ruler += GetPixel(surface, x, y) == COLORREF(AppSettings.gridColor);
    EXPECT_EQ(ruler, 0);
    // A dark picture (the inverted tissue) for looking at the backing.
    CaptureState.invert = 1;
    AppSettings.jpgPng = 1;
    unsigned long long frames = CameraViewGetInfo(view).composedFrames;
    ASSERT_TRUE(WaitUntil([&] { return CameraViewGetInfo(view).composedFrames > frames + 2; }));
    ASSERT_TRUE(SavePhoto(PhotoSource::View, {2023, 3, 22, 14, 25, 2, 0}));
    Keep(gSavePath);
}

TEST_F(PhotoScaleTest, WithoutTheOptionsPhotosGetNeitherBarNorTable) {
    StartCalibrated(L"--formats \"YUY2 640x480\" --ppmm 400", {kSubtypeYuy2, 640, 480, 0});
    AppSettings.gridColor = 0x00FFFF;
    AppSettings.jpgPng = 1;
    DrawShapes();
    ASSERT_TRUE(SavePhoto(PhotoSource::View, LocalMediaTime()));
    Picture pic;
    ASSERT_TRUE(LoadPicture(gSavePath, &pic));
    EXPECT_EQ(RulerPixelsInCorner(pic), 0);
    EXPECT_EQ(RecordedDensity(FileBytes(gSavePath)), 400000u);  // the pixel size is always recorded
    EXPECT_EQ(FilesIn(folder).size(), 1u);
}

// TIFF photos with the scale and the table beside them, kept for the analysis-program check on
// the Linux side (tests/e2e/tiff_results.sh): a line, a circle and an angle on the virtual
// microscope's 500 pixels per mm, calibrated in µm, in mm and not at all, and a 640 x 480
// camera stretched to 1920 x 1080 (1.5 pixels per µm across, 1.125 down).
TEST_F(PhotoScaleTest, TiffPhotosCarryTheScaleAndTheTable) {
    struct Case { const wchar_t* formats; CameraFormat format; float ppu; int32_t unit; } cases[] = {
        {L"--formats \"YUY2 1280x720\" --ppmm 500", {kSubtypeYuy2, 1280, 720, 0}, 0.5f, 1},
        {L"--formats \"YUY2 1280x720\" --ppmm 500", {kSubtypeYuy2, 1280, 720, 0}, 500.0f, 0},
        {L"--formats \"YUY2 1280x720\" --ppmm 500", {kSubtypeYuy2, 1280, 720, 0}, -1.0f, 0},
        {L"--formats \"YUY2 640x480\" --ppmm 500", {kSubtypeYuy2, 1920, 1080, 1}, 1.5f, 1},
    };
    AppSettings.jpgPng = 2;
    AppSettings.measuresWithPhotos = 1;
    for (int i = 0; i < 4; ++i) {
        const Case& c = cases[i];
        if (i == 0 || c.format.width != cases[i - 1].format.width) {
            if (main) DestroyWindow(main);
            main = nullptr;
            PumpMessages();
            ASSERT_NO_FATAL_FAILURE(Open(c.formats, c.format));
        }
        MeasurementState.shapes = {Shape(kToolLine, {60, 100}, {400, 100}),             // 680 µm
                                   Shape(kToolCircle, {640, 360}, {690, 360}),           // radius 100 µm
                                   Shape(kToolAngle, {300, 500}, {400, 500}, {400, 400})};  // 45°
        struct { float ppu; int32_t unit; } calibration = {c.ppu, c.unit};
        SendMessageW(view, WM_COMMAND, VIEW_CMD_SET_CALIBRATION, reinterpret_cast<LPARAM>(&calibration));
        const unsigned long long frames = CameraViewGetInfo(view).composedFrames;
        ASSERT_TRUE(WaitUntil([&] { return CameraViewGetInfo(view).composedFrames > frames + 1; }));
        ASSERT_TRUE(SavePhoto(PhotoSource::View, {2023, 3, 22, 14, 25, 1, i}));
        Picture pic;
        ASSERT_TRUE(LoadPicture(gSavePath, &pic)) << i;
        EXPECT_TRUE(pic.tiff);
        EXPECT_EQ(pic.width, c.format.width);
        Keep(gSavePath);
        Keep(MeasurementsPathFor(gSavePath));
    }
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            text = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

// Another program holding the clipboard for a moment (clipboard history, remote desktop) is waited for.
TEST_F(PhotoScaleTest, ContextMenuCommandsFillTheClipboard) {
    StartCalibrated(L"--formats \"YUY2 640x480\" --ppmm 400", {kSubtypeYuy2, 640, 480, 0});
    DrawShapes();
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool opened = false;
    std::thread holder([&] {
        opened = OpenClipboard(nullptr);
        SetEvent(held);
        Sleep(100);
        if (opened) CloseClipboard();
    });
    WaitForSingleObject(held, INFINITE);
    SendMessageW(main, WM_COMMAND, ID_COPY_MEASUREMENTS, 0);
    holder.join();
    CloseHandle(held);
    EXPECT_TRUE(opened);
    const std::wstring text = ClipboardText();
    EXPECT_EQ(text, TabSeparated(MeasurementTable(MeasurementState.shapes, 0.4f, 1, 1.0, L"Tissue 40x")));
    // The line's 340 pixels at 0.4 pixels per µm, as its label prints it, in µm of the calibration.
    EXPECT_EQ(text.substr(0, 8), L" \tLabel\t");
    EXPECT_NE(text.find(L"\t850.00000\t\u00B5m\tTissue 40x\tLine\t"), std::wstring::npos) << text;
    EXPECT_EQ(Toast(), L"Measurements copied");

    SendMessageW(main, WM_COMMAND, ID_COPY_PICTURE, 0);
    HDC surface = CameraViewSurfaceDc(view);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE h = GetClipboardData(CF_DIB);
    ASSERT_NE(h, nullptr);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(h));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 640);
    EXPECT_EQ(header->biHeight, 480);
    EXPECT_EQ(header->biBitCount, 24);
    EXPECT_EQ(header->biXPelsPerMeter, 400000);  // the pixel size of 0.4 pixels per µm, as a photo records it
    EXPECT_EQ(header->biYPelsPerMeter, 400000);
    const auto* rows = reinterpret_cast<const uint8_t*>(header + 1);
    int differ = 0;
    for (int y = 0; y < 480; y += 17)
        for (int x = 0; x < 640; x += 13) {
            const uint8_t* p = rows + size_t(479 - y) * 1920 + x * 3;  // bottom-up rows
            differ += RGB(p[2], p[1], p[0]) != GetPixel(surface, x, y);
        }
    GlobalUnlock(h);
    CloseClipboard();
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(Toast(), L"Picture copied");
}

TEST_F(PhotoScaleTest, RightClickOpensTheContextMenuInBothLanguages) {
    StartCalibrated(L"--formats \"YUY2 640x480\" --ppmm 400", {kSubtypeYuy2, 640, 480, 0});
    struct Case { int language; bool shapes; const wchar_t* first; const wchar_t* shot; } cases[] = {
        {kLanguageEnglish, false, L"Copy measurements", L"context_menu_empty_en"},
        {kLanguageEnglish, true, L"Copy measurements", L"context_menu_en"},
        {kLanguageChinese, true, L"\u590D\u5236\u6D4B\u91CF\u6570\u636E", L"context_menu_zh"},
    };
    for (const Case& c : cases) {
        LoadTextTable(c.language);
        if (c.shapes) DrawShapes();
        // The open context menu, read and closed from inside the menu's own loop. The system turns
        // the button's release into WM_CONTEXTMENU.
        std::vector<std::wstring> menuTexts;
        std::vector<bool> menuEnabled;
        RunScripted([&] { return INT_PTR(SendMessageW(view, WM_RBUTTONUP, 0, MAKELPARAM(200, 150))); },
                    {OnDialog([] { return FindWindowW(L"#32768", nullptr); }, [&](HWND popup) {
                        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
                        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
                            wchar_t text[128] = {};
                            GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
                            menuTexts.push_back(text);
                            menuEnabled.push_back(!(GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_GRAYED));
                        }
                        Shot(ShellState.mainWnd, c.shot);
                        EndMenu();
                    })});
        ASSERT_EQ(menuTexts.size(), 3u);
        EXPECT_EQ(menuTexts[0], c.first);
        EXPECT_EQ(menuTexts[2], GetText("copy picture"));
        EXPECT_EQ(menuEnabled, (std::vector<bool>{c.shapes, c.shapes, true}));
    }
    LoadTextTable(kLanguageEnglish);
}

// The save dialog opens in the save folder every time, also after a save elsewhere: a bare name
// lands there, replacing a file of that name once the dialog has asked.
TEST_F(PhotoScaleTest, SaveMeasurementsOpensInTheSaveFolderAndReplacesWhenAsked) {
    StartCalibrated(L"--formats \"YUY2 640x480\" --ppmm 400", {kSubtypeYuy2, 640, 480, 0});
    DrawShapes();
    const std::wstring elsewhere = FreshTempFolder(L"vardelo-csv-elsewhere");
    const std::wstring path = folder + L"\\table.csv";
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));  // replaced
    // Answered inside the dialog's own loop: a name typed into its field, then Yes to replacing.
    auto saveAs = [&](const std::wstring& typed, bool replaces) {
        HWND save = nullptr;
        std::vector<ScriptStep> steps = {OnDialog([] { return OwnedDialog(ShellState.mainWnd); }, [&](HWND dlg) {
            save = dlg;
            if (replaces) Shot(dlg, L"save_measurements_dialog");
            SetDlgItemTextW(dlg, 1152 /* the file name */, typed.c_str());
            PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        })};
        if (replaces)
            steps.push_back(OnDialog([&] { return save ? OwnedDialog(save) : nullptr; },
                                     [](HWND confirm) { PostMessageW(confirm, WM_COMMAND, IDYES, 0); }));
        RunScripted([&] { return INT_PTR(SendMessageW(main, WM_COMMAND, ID_SAVE_MEASUREMENTS, 0)); }, steps);
    };
    saveAs(elsewhere + L"\\first.csv", false);
    EXPECT_EQ(FilesIn(elsewhere), std::vector<std::wstring>{L"first.csv"});
    saveAs(L"table.csv", true);
    const std::vector<uint8_t> csv = FileBytes(path);
    EXPECT_EQ(std::string(csv.begin(), csv.end()), CsvUtf8(MeasurementTable(MeasurementState.shapes, 0.4f, 1, 1.0, L"Tissue 40x")));
    EXPECT_EQ(Toast(), L"Measurements saved: " + path);
    EXPECT_EQ(FilesIn(folder).size(), 1u);  // no temporary file left
    RemoveTree(elsewhere);
}

}  // namespace
