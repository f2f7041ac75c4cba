// Recording video end to end: the real main window opens the virtual microscope, the record
// command runs the dialog, a script of steps drives it from a thread timer inside the dialog's
// own loop, and the files are read back (RIFF layout, pictures) and, where the machine has
// them, probed and decoded by ffprobe and ffmpeg.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "calib/shot_win.h"
#include "capture/camera_format.h"
#include "capture/capture_session_win.h"
#include "common/main_window_fixture_win.h"
#include "common/host_tools_win.h"
#include "common/modal_script_win.h"
#include "common/pump_win.h"
#include "common/scratch_files_win.h"
#include "common/stored_settings_win.h"
#include "common/vcam_harness_win.h"
#include "frame/capture_state_win.h"
#include "frame/mjpg_decode.h"
#include "media/avi_file.h"
#include "media/avi_recorder_win.h"
#include "media/media_names.h"
#include "media/photo_saver_win.h"
#include "media/record_rules.h"
#include "media/recording_journal.h"
#include "resources/record_dialog.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#undef DrawText  // the virtual microscope's own, not the Win32 macro
#include "testcam/picture.h"
#include "view/camera_view_win.h"

namespace {

HWND Dialog() {
    HWND dlg = FindWindowW(L"#32770", nullptr);
    return dlg && IsWindowVisible(dlg) && GetDlgItem(dlg, IDC_REC_CLOCK) ? dlg : nullptr;
}

std::wstring ItemText(HWND dlg, int id) { return WindowText(GetDlgItem(dlg, id)); }

int64_t VideoMs() { return CaptureState.mediaTime / 10000; }


// Main-window messages the recorder posts; kCloseCamera closes the camera as its unplugging does.
constexpr UINT kCloseCamera = WM_APP + 0x300;
WNDPROC mainProc = nullptr;
int coverRequests = 0;
LRESULT CALLBACK CountingMainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WMU_VIDEO_COVER) ++coverRequests;
    if (msg == kCloseCamera) return CloseSession(), 0;
    return CallWindowProcW(mainProc, hwnd, msg, wp, lp);
}

std::wstring ToastText() { return ShellState.mainWnd ? WindowText(GetDlgItem(ShellState.mainWnd, ID_PROMPT)) : L""; }

// ---- The fixture ----

constexpr int kStepMs = 50;
const CameraFormat kYuy2Vga = {kSubtypeYuy2, 640, 480, 0};

class RecordingTest : public MainWindowFixture {
protected:
    // Opens the main window on a virtual microscope streaming format; recordings go to a fresh
    // folder beside the test.
    void Open(const wchar_t* name, const wchar_t* formats, CameraFormat format, int language = 0) {
        ASSERT_NO_FATAL_FAILURE(AddCamera(name, std::wstring(L"--formats \"") + formats + L"\""));
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        LoadSettings();
        AppSettings.language = language;
        LoadTextTable(language);
        folder = BinPath(L"recordings\\") + name;
        lstrcpynW(AppSettings.imgDir, folder.c_str(), kImgDirChars);
        SHFileOp(folder);
        gRecentFiles.clear();
        requestedFormat = format;
        RecorderHooks() = {kSplitThresholdBytes, -1, 0};
        AppSettings.compressVideo = compressed;
        ASSERT_NO_FATAL_FAILURE(StartMaximised());
        const LONG_PTR counting = reinterpret_cast<LONG_PTR>(CountingMainProc);
        mainProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(main, GWLP_WNDPROC, counting));
        coverRequests = 0;
        streamingFrames = 4;
        ASSERT_TRUE(Streaming());
        ASSERT_EQ(CaptureState.width, format.width);
    }
    // Deletes the folder's files (a rerun starts empty).
    static void SHFileOp(const std::wstring& dir) {
        for (const std::wstring& name : FilesIn(dir)) DeleteFileW((dir + L"\\" + name).c_str());
    }
    void TearDown() override {
        RecorderHooks() = {kSplitThresholdBytes, -1, 0};
        MainWindowFixture::TearDown();
        ShellState = ShellStateData{};
        ShellState.instance = GetModuleHandleW(nullptr);
        if (!HasFailure() && !folder.empty()) SHFileOp(folder);  // kept for a look when a test failed
    }

    // Runs the record command (the dialog is modal) with these steps, one step per tick; a step
    // returns true when done. True when every step ran; a script that has not finished in time
    // fails and closes the dialog.
    bool Record(std::vector<ScriptStep> steps, DWORD timeoutMs = 60000) {
        steps.insert(steps.begin(), [] { return Dialog() != nullptr; });
        bool closed = false;
        RunScripted(
            [&] {
                PostMessageW(main, WM_COMMAND, ID_RECORD_VIDEO, 0);
                // The command runs the dialog inside this wait; it ends when the dialog has closed.
                closed = WaitUntil([] { return ScriptFinished() && !Dialog(); }, timeoutMs + 30000);
                return INT_PTR(0);
            },
            std::move(steps), timeoutMs, kStepMs);
        PumpMessages();
        return closed && !HasFailure();
    }

    // Steps: press a button of the dialog (Start, Stop, Pause...); wait for ms of video; do once.
    static ScriptStep Press(int id) {
        return [id] { return ClickDialogButton(Dialog(), id), true; };
    }
    static ScriptStep UntilVideo(int64_t ms) {
        return [ms] { return CaptureState.recording == 1 && VideoMs() >= ms; };
    }
    static ScriptStep Do(std::function<void()> action) {
        return [action] { return action(), true; };
    }

    std::wstring LastFile() const { return gRecentFiles.empty() ? L"" : gRecentFiles.back(); }

    // Checks the file's layout against the recorder's and returns it. The rate is that of the
    // frame rate measured when the file was opened, which the last file's status gives. A
    // compressed file holds one whole JPEG image in each frame.
    AviFile CheckLayout(const std::wstring& path, int w, int h, bool lastFile = true) {
        AviFile avi(path);
        EXPECT_TRUE(avi.ok) << "not an AVI: " << std::string(path.begin(), path.end());
        EXPECT_EQ(avi.streams, 1);
        EXPECT_EQ(avi.fccType, Fourcc("vids"));
        EXPECT_EQ(avi.fccHandler, Fourcc(compressed ? "MJPG" : "DIB "));
        EXPECT_EQ(avi.format.biCompression, compressed ? Fourcc("MJPG") : uint32_t(BI_RGB));
        EXPECT_EQ(avi.scale, 10u);
        if (lastFile) {
            EXPECT_EQ(avi.rate, AviStreamRate(GetRecorderStatus().fps));
        }
        EXPECT_EQ(avi.name, "Plexor 1.4");
        EXPECT_EQ(avi.format.biWidth, w);
        EXPECT_EQ(avi.format.biHeight, h);  // bottom-up
        EXPECT_EQ(avi.format.biBitCount, 24);
        EXPECT_EQ(avi.format.biSizeImage, AviFrameBytes(w, h));
        EXPECT_EQ(avi.frameRect.right, w);
        EXPECT_EQ(avi.frameRect.bottom, h);
        for (size_t i = 0; i < avi.frameSizes.size(); ++i) {
            const uint8_t* frame = &avi.bytes[avi.frameOffsets[i]];
            if (!compressed) {
                EXPECT_EQ(avi.frameSizes[i], AviFrameBytes(w, h));
            } else if (avi.frameSizes[i] < 4 || frame[0] != 0xFF || frame[1] != 0xD8 ||
                       JpegDataLength(frame, avi.frameSizes[i]) != avi.frameSizes[i]) {
                ADD_FAILURE() << "frame " << i << " is not one whole JPEG image";
                break;
            }
        }
        EXPECT_GE(avi.keyFrames, int(avi.frameOffsets.size()));  // every frame (dropped-frame entries may be too)
        EXPECT_EQ(avi.indexEntries, int(avi.entries));
        EXPECT_EQ(avi.length, avi.entries);
        return avi;
    }

    // ffprobe sees one rawvideo bgr24 (or mjpeg) stream of this size and rate and reads all its
    // frames; ffmpeg decodes every frame without an error (nothing to check without them on the
    // machine).
    void CheckWithFfmpeg(const std::wstring& path, int w, int h, uint32_t rate, size_t frames) {
        if (!HostHasFfmpeg()) return;
        const std::wstring unix = UnixPath(path);
        std::string probe = RunHost(L"ffprobe -v error -count_frames -show_entries "
                                    L"stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames -of default=nw=1 '" +
                                    unix + L"'");
        EXPECT_NE(probe.find(compressed ? "codec_name=mjpeg" : "codec_name=rawvideo"), std::string::npos) << probe;
        if (!compressed) {
            EXPECT_NE(probe.find("pix_fmt=bgr24"), std::string::npos) << probe;
        }
        EXPECT_NE(probe.find("width=" + std::to_string(w) + "\n"), std::string::npos) << probe;
        EXPECT_NE(probe.find("height=" + std::to_string(h) + "\n"), std::string::npos) << probe;
        const size_t at = probe.find("r_frame_rate=");
        int num = 0, den = 1;
        if (at != std::string::npos) std::sscanf(probe.c_str() + at, "r_frame_rate=%d/%d", &num, &den);
        EXPECT_EQ(num * 10, int(rate) * den) << probe;  // the stream header's rate over scale 10
        std::string errors = RunHost(L"ffmpeg -nostdin -v error -i '" + unix + L"' -f null - 2>&1");
        EXPECT_EQ(errors, "") << errors;
        EXPECT_NE(probe.find("nb_read_frames=" + std::to_string(frames) + "\n"), std::string::npos) << probe;
    }

    int32_t compressed = 0;  // "Compress video" for the recordings of the test (set before Open)
    std::wstring folder;
};

// The frame counter's dark plate of the virtual microscope sits at the top left (x 6.., y 6..27).
bool PlateAt(const AviFile& avi, size_t frame, int x, int y, int expected) {
    const uint8_t* p = avi.Pixel(frame, x, y);
    return std::abs(p[0] - expected) < 24 && std::abs(p[1] - expected) < 24 && std::abs(p[2] - expected) < 24;
}

// The number the virtual microscope drew on a frame ("#000123" at (12, 10), its font at scale 2,
// light on the dark plate); -1 when it cannot be read. bgr is the top-down picture, stride
// width x 3.
int64_t FrameNumber(const uint8_t* bgr, int width) {
    constexpr int kGlyphW = 10, kGlyphH = 14, kScale = 2;
    static std::vector<std::vector<bool>> digits;  // the font's lit pixels of 0..9
    if (digits.empty()) {
        for (char d = '0'; d <= '9'; ++d) {
            std::vector<uint8_t> glyph(kGlyphW * kGlyphH * 3, 0);
            const char text[2] = {d, 0};
            DrawText(glyph.data(), kGlyphW, kGlyphH, 0, 0, text, kScale, 255, 255, 255);
            std::vector<bool> lit;
            for (size_t i = 0; i < glyph.size(); i += 3) lit.push_back(glyph[i] > 128);
            digits.push_back(lit);
        }
    }
    int64_t number = 0;
    for (int k = 0; k < 6; ++k) {
        const int x0 = 12 + 12 * (k + 1), y0 = 10;
        int best = -1, bestMisses = kGlyphW * kGlyphH;
        for (int d = 0; d < 10; ++d) {
            int misses = 0;
            for (int y = 0; y < kGlyphH; ++y)
                for (int x = 0; x < kGlyphW; ++x)
                    misses += (bgr[(size_t(y0 + y) * width + x0 + x) * 3 + 1] > 140) != digits[d][y * kGlyphW + x];
            if (misses < bestMisses) best = d, bestMisses = misses;
        }
        if (bestMisses > kGlyphW * kGlyphH / 10) return -1;
        number = number * 10 + best;
    }
    return number;
}

// The numbers of every frame of a file, uncompressed or JPEG frames.
std::vector<int64_t> FrameNumbers(const AviFile& avi, bool compressed) {
    const int w = avi.format.biWidth, h = avi.format.biHeight;
    std::vector<uint8_t> bgr(size_t(w) * h * 3);
    std::vector<int64_t> numbers;
    tjhandle tj = tjInitDecompress();
    for (size_t i = 0; i < avi.frameOffsets.size(); ++i) {
        if (compressed) {
            if (tjDecompress2(tj, &avi.bytes[avi.frameOffsets[i]], avi.frameSizes[i], bgr.data(), w, w * 3, h, TJPF_BGR, 0))
                bgr.assign(bgr.size(), 0);
        } else {
            for (int y = 0; y < 30; ++y) std::memcpy(&bgr[size_t(y) * w * 3], avi.Pixel(i, 0, y), size_t(w) * 3);
        }
        numbers.push_back(FrameNumber(bgr.data(), w));
    }
    tjDestroy(tj);
    return numbers;
}

}  // namespace

// No frame falls between the files of a recording: every frame the camera delivered from the
// first one on is in a file or counted as not kept, and the numbers run on across the files.
static void ExpectNoFrameLost(const std::vector<int64_t>& numbers, const RecorderStatus& before) {
    const RecorderStatus after = GetRecorderStatus();
    EXPECT_EQ(after.totalWritten - before.totalWritten, int64_t(numbers.size()));
    int64_t missing = 0;
    for (size_t i = 0; i < numbers.size(); ++i) {
        ASSERT_GE(numbers[i], 0) << "frame " << i << " shows no number";
        if (i == 0) continue;
        ASSERT_GT(numbers[i], numbers[i - 1]) << "frame " << i;
        missing += numbers[i] - numbers[i - 1] - 1;
    }
    ASSERT_FALSE(numbers.empty());
    EXPECT_LE(missing, after.totalDropped - before.totalDropped)
        << "frames " << numbers.front() << " to " << numbers.back() << ", " << numbers.size() << " in the files";
}

// ---------------------------------------------------------------------------------------------

struct FormatCase {
    const wchar_t* name;
    const wchar_t* formats;
    CameraFormat format;
    bool effects;  // horizontal flip and invert on while recording
};

class RecordFormats : public RecordingTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(RecordFormats, FiveSecondsArePlayableUprightAndComplete) {
    const FormatCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Open(c.name, c.formats, c.format));
    const int w = c.format.width, h = c.format.height;
    CaptureState.flipHorizontal = c.effects;
    CaptureState.invert = c.effects;
    bool journalWhileRecording = false;
    ASSERT_TRUE(Record({Press(IDC_REC_START), UntilVideo(1000), Do([&] {
                            const std::wstring journal = JournalPathFor(CaptureState.videoPath);
                            journalWhileRecording = GetFileAttributesW(journal.c_str()) != INVALID_FILE_ATTRIBUTES;
                        }),
                        UntilVideo(5000), Press(IDC_REC_START)}));
    EXPECT_EQ(CaptureState.recording, 0);
    EXPECT_TRUE(journalWhileRecording);

    const std::wstring path = LastFile();
    ASSERT_EQ(path, CaptureState.videoPath);
    EXPECT_EQ(path.rfind(folder, 0), 0u);
    EXPECT_EQ(ToastText(), L"File saved: " + path);
    EXPECT_EQ(coverRequests, 1);
    EXPECT_NE(GetFileAttributesW(VideoCoverPath(path, L"jpg").c_str()), INVALID_FILE_ATTRIBUTES);  // the cover
    const RecorderStatus status = GetRecorderStatus();
    EXPECT_EQ(status.dropped, 0);  // every frame queued is in the file
    EXPECT_FALSE(status.writeFailed);

    AviFile avi = CheckLayout(path, w, h);
    ASSERT_EQ(int64_t(avi.frameOffsets.size()), status.framesWritten);
    // The file holds the video time the clock showed (the frames the queue held at the stop
    // included, and the positions of frames the camera did not send).
    EXPECT_EQ(int64_t(avi.entries) * CaptureState.frameDuration, CaptureState.mediaTime);
    EXPECT_EQ(GetFileAttributesW(JournalPathFor(path).c_str()), INVALID_FILE_ATTRIBUTES);  // closed cleanly
    EXPECT_LE(VideoMs(), 6500);

    // Upright, flipped and inverted as the view shows it: the dark plate (40) of the frame
    // counter at the top left, at the top right when flipped, light (215) when inverted.
    const size_t f = avi.frameOffsets.size() / 2;
    const int plate = c.effects ? 215 : 40;
    const int x = c.effects ? w - 1 - 8 : 8;
    EXPECT_TRUE(PlateAt(avi, f, x, 8, plate));
    EXPECT_TRUE(PlateAt(avi, f, x, 25, plate));

    CheckWithFfmpeg(path, w, h, avi.rate, avi.frameOffsets.size());
}

INSTANTIATE_TEST_SUITE_P(Cameras, RecordFormats,
                         ::testing::Values(FormatCase{L"Rec MJPG", L"MJPG 1280x720", {kSubtypeMjpg, 1280, 720, 0}, false},
                                           FormatCase{L"Rec YUY2", L"YUY2 640x480", kYuy2Vga, true},
                                           // 642 x 3 is not a multiple of 4: rows are padded
                                           FormatCase{L"Rec Odd", L"YUY2 642x480", {kSubtypeYuy2, 642, 480, 0}, false}),
                         [](const auto& info) { return std::to_string(info.index); });

// ---- Compressed recordings ----

constexpr int kCornerW = 320, kCornerH = 240;  // counter plate, ruler and tissue: what is compared

// The JPEG chroma subsampling of frame i (TJSAMP_...), -1 when its header cannot be read.
int Subsampling(const AviFile& avi, size_t i) {
    tjhandle tj = tjInitDecompress();
    int w = 0, h = 0, sub = -1, space = 0;
    if (tjDecompressHeader3(tj, &avi.bytes[avi.frameOffsets[i]], avi.frameSizes[i], &w, &h, &sub, &space) != 0) sub = -1;
    tjDestroy(tj);
    return sub;
}

// The top-left corner of every frame of the file as ffmpeg decodes it (BGR rows, one corner
// after the other): the frames as stored, none repeated where a late frame left an empty entry.
std::vector<uint8_t> FfmpegCorners(const std::wstring& path) {
    const std::wstring out = path + L".corners";
    RunHost(L"ffmpeg -nostdin -v error -y -i '" + UnixPath(path) + L"' -fps_mode passthrough -vf crop=" + std::to_wstring(kCornerW) + L":" +
            std::to_wstring(kCornerH) + L":0:0 -f rawvideo -pix_fmt bgr24 '" + UnixPath(out) + L"'");
    std::vector<uint8_t> corners = AviFile(out).bytes;
    DeleteFileW(out.c_str());
    return corners;
}

struct MjpegCase {
    const wchar_t* name;
    const wchar_t* formats;
    CameraFormat format;
    bool effectsMidway;  // horizontal flip and invert turned on 1 s into the recording
    int subsampling;     // of the frames in the file (after the effects): the camera's JPEGs are
                         // 4:2:2, the recorder's 4:2:0
};

class RecordMjpeg : public RecordingTest, public ::testing::WithParamInterface<MjpegCase> {};

TEST_P(RecordMjpeg, FfmpegDecodesEveryFrameAndOneIsWhatTheViewShowed) {
    const MjpegCase& c = GetParam();
    compressed = 1;
    ASSERT_NO_FATAL_FAILURE(Open(c.name, c.formats, c.format));
    const int w = c.format.width, h = c.format.height;
    std::vector<uint8_t> shown;  // the corner of the picture the view showed 1.5 s in
    ASSERT_TRUE(Record({Press(IDC_REC_START), UntilVideo(1000), Do([&] {
                            CaptureState.flipHorizontal = c.effectsMidway;
                            CaptureState.invert = c.effectsMidway;
                        }),
                        UntilVideo(1500), Do([&] {
                            const DisplayFrame* frame = GetCurrentFrame();  // unchanged for three frame periods
                            for (int y = 0; y < kCornerH; ++y)
                                shown.insert(shown.end(), frame + size_t(y) * w * 3, frame + (size_t(y) * w + kCornerW) * 3);
                        }),
                        UntilVideo(3000), Press(IDC_REC_START)}));

    const std::wstring path = LastFile();
    EXPECT_EQ(ToastText(), L"File saved: " + path);
    EXPECT_EQ(coverRequests, 1);
    EXPECT_NE(GetFileAttributesW(VideoCoverPath(path, L"jpg").c_str()), INVALID_FILE_ATTRIBUTES);
    const RecorderStatus status = GetRecorderStatus();
    EXPECT_EQ(status.dropped, 0);
    AviFile avi = CheckLayout(path, w, h);
    ASSERT_EQ(int64_t(avi.frameOffsets.size()), status.framesWritten);
    EXPECT_EQ(int64_t(avi.entries) * CaptureState.frameDuration, CaptureState.mediaTime);
    // The camera's JPEGs, then (once the effects are on) the recorder's.
    const int first = c.effectsMidway ? TJSAMP_422 : c.subsampling;
    size_t at = 0;
    while (at < avi.frameOffsets.size() && Subsampling(avi, at) == first) ++at;
    const size_t switchAt = at;
    while (at < avi.frameOffsets.size() && Subsampling(avi, at) == c.subsampling) ++at;
    EXPECT_EQ(at, avi.frameOffsets.size()) << "frame " << at << " is neither";
    EXPECT_GT(switchAt, 0u);
    if (c.effectsMidway) {
        EXPECT_LT(switchAt, avi.frameOffsets.size());
    }

    CheckWithFfmpeg(path, w, h, avi.rate, avi.frameOffsets.size());
    if (!HostHasFfmpeg()) return;
    // The picture drifts and counts its frames, so only the frame the view showed matches it.
    const std::vector<uint8_t> corners = FfmpegCorners(path);
    ASSERT_EQ(corners.size(), avi.frameOffsets.size() * shown.size());
    double best = 255;
    for (size_t at = 0; at < corners.size(); at += shown.size()) {
        int64_t sum = 0;
        for (size_t i = 0; i < shown.size(); ++i) sum += std::abs(int(corners[at + i]) - int(shown[i]));
        best = std::min(best, double(sum) / double(shown.size()));
    }
    EXPECT_LT(best, 4.0);  // JPEG error at quality 85
}

INSTANTIATE_TEST_SUITE_P(
    Cameras, RecordMjpeg,
    ::testing::Values(MjpegCase{L"Rec MJPEG Camera", L"MJPG 1280x720", {kSubtypeMjpg, 1280, 720, 0}, false, TJSAMP_422},
                      MjpegCase{L"Rec MJPEG YUY2", L"YUY2 640x480", kYuy2Vga, false, TJSAMP_420},
                      MjpegCase{L"Rec MJPEG Effects", L"MJPG 1280x720", {kSubtypeMjpg, 1280, 720, 0}, true, TJSAMP_420}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(RecordingTest, PauseStopsTheVideoTimeAndTheClock) {
    ASSERT_NO_FATAL_FAILURE(Open(L"Rec Pause", L"YUY2 640x480", kYuy2Vga));
    int64_t atPause = 0;
    DWORD pausedAt = 0;  // when the pause was first seen
    std::wstring clockAtPause;
    ASSERT_TRUE(Record({Press(IDC_REC_START), UntilVideo(1500), Press(IDC_REC_PAUSE),
                        [&] {  // half a second into the pause the queue is written out
                            if (!pausedAt) pausedAt = GetTickCount();
                            if (GetTickCount() - pausedAt < 500) return false;
                            atPause = VideoMs();
                            clockAtPause = ItemText(Dialog(), IDC_REC_CLOCK);
                            return true;
                        },
                        [&] { return GetTickCount() - pausedAt >= 2000; },
                        Do([&] {
                            EXPECT_EQ(ItemText(Dialog(), IDC_REC_PAUSE), L"Resume");
                            EXPECT_EQ(VideoMs(), atPause);
                            EXPECT_EQ(ItemText(Dialog(), IDC_REC_CLOCK), clockAtPause);
                        }),
                        Press(IDC_REC_PAUSE), UntilVideo(3000), Press(IDC_REC_START)}));
    AviFile avi = CheckLayout(LastFile(), 640, 480);
    // About 3 s of video for 5 s of recording, all of it in the file.
    EXPECT_EQ(int64_t(avi.entries) * CaptureState.frameDuration, CaptureState.mediaTime);
    EXPECT_LE(VideoMs(), 3600);
}

TEST_F(RecordingTest, LimitStopsByItselfAndAnnounces) {
    ASSERT_NO_FATAL_FAILURE(Open(L"Rec Limit", L"YUY2 640x480", kYuy2Vga));
    ASSERT_TRUE(Record({Do([] {
                            HWND list = GetDlgItem(Dialog(), IDC_REC_LIMIT);
                            SendMessageW(list, CB_SETCURSEL, 1, 0);  // 10 seconds
                            SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_REC_LIMIT, CBN_SELCHANGE), LPARAM(list));
                        }),
                      Press(IDC_REC_START)}));  // the script ends at the start; the dialog closes by itself
    EXPECT_EQ(AppSettings.maxRecordTime, 10);
    const int64_t ms = (CaptureState.accumulatedTime + CaptureState.mediaTime) / 10000;
    EXPECT_GE(ms, 10000);
    EXPECT_LE(ms, 11000);  // the first tick at or after 10.0 s, plus the queue written out
    ASSERT_FALSE(LastFile().empty());
    EXPECT_EQ(ToastText(), L"File saved: " + LastFile());
    CheckLayout(LastFile(), 640, 480);
}

// The same recordings uncompressed and with "Compress video" (an encoding YUY2 camera for the
// split, a passed-through MJPG one for the unplugging).
class RecordKinds : public RecordingTest, public ::testing::WithParamInterface<int32_t> {
protected:
    void SetUp() override { compressed = GetParam(); }
};

TEST_P(RecordKinds, SplitGivesConsecutivePlayableFiles) {
    ASSERT_NO_FATAL_FAILURE(Open(compressed ? L"Rec Split MJPEG" : L"Rec Split", L"YUY2 640x480", kYuy2Vga));
    // An uncompressed file of 640 x 480 takes 7 frames; a compressed one a few. An uncompressed
    // file has room for no more (as a file at AVIFile's limit): the writer waits for every next file.
    const int64_t threshold = compressed ? 200 << 10 : 6 << 20;
    RecorderHooks().splitThreshold = threshold;
    // (Beside 7 frames, room for the headers and index entries of a few dropped-frame entries.)
    RecorderHooks().fileLimitBytes = threshold + kAviFileOverheadBytes + (compressed ? 150 << 10 : 921600 + 4096);
    const RecorderStatus before = GetRecorderStatus();
    std::wstring shown = L"0.0";  // the clock: it goes on across files, never back
    const auto tenths = [](const std::wstring& clock) {
        int m = 0, s = 0, t = 0;
        return std::swscanf(clock.c_str(), L"%d:%d", &m, &s) == 2 ? (m * 60 + s) * 10
               : std::swscanf(clock.c_str(), L"%d.%d", &s, &t) == 2 ? s * 10 + t : -1;
    };
    ASSERT_TRUE(Record({Press(IDC_REC_START), [&] {
                            const std::wstring clock = ItemText(Dialog(), IDC_REC_CLOCK);
                            EXPECT_GE(tenths(clock), tenths(shown)) << "after " << tenths(shown);
                            shown = clock;
                            return gRecentFiles.size() >= 4 && CaptureState.recording == 1;
                        },
                        Press(IDC_REC_START)}));
    ASSERT_GE(gRecentFiles.size(), 4u);
    // The clock shows the video time of every file, each counted once.
    int64_t filesMs = 0;
    int64_t frames = 0;
    std::vector<int64_t> numbers;  // the camera's numbers of the frames of all the files, in order
    for (size_t i = 0; i < gRecentFiles.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(gRecentFiles[i - 1], gRecentFiles[i]);  // consecutive names, oldest first
        }
        AviFile avi = CheckLayout(gRecentFiles[i], 640, 480, i + 1 == gRecentFiles.size());
        if (i + 1 < gRecentFiles.size()) {  // the last file may end right after its split
            EXPECT_GE(avi.frameOffsets.size(), 1u);
            int64_t bytes = 0;
            for (uint32_t size : avi.frameSizes) bytes += size;
            EXPECT_GT(bytes, threshold);
            if (!compressed) {
                EXPECT_EQ(avi.frameOffsets.size(), 7u);  // full: the next frames waited for the next file
            }
        }
        EXPECT_LE(int64_t(avi.bytes.size()), RecorderHooks().fileLimitBytes);
        frames += int64_t(avi.frameOffsets.size());
        filesMs += int64_t(avi.entries) * 1000 * avi.scale / avi.rate;
        const std::vector<int64_t> inFile = FrameNumbers(avi, compressed);
        numbers.insert(numbers.end(), inFile.begin(), inFile.end());
        CheckWithFfmpeg(gRecentFiles[i], 640, 480, avi.rate, avi.frameOffsets.size());
        if (i + 1 < gRecentFiles.size()) {  // its own cover, requested before the next file began
            EXPECT_NE(GetFileAttributesW(VideoCoverPath(gRecentFiles[i], L"jpg").c_str()), INVALID_FILE_ATTRIBUTES) << i;
        }
    }
    if (!compressed) {
        EXPECT_GE(frames, int64_t(gRecentFiles.size()) * 7 - 7);  // every file but the last was full
    }
    EXPECT_NEAR(double(CaptureState.accumulatedTime + CaptureState.mediaTime) / 10000, double(filesMs), 100.0);
    ExpectNoFrameLost(numbers, before);
}

TEST_F(RecordingTest, StopDuringASplitRunsAfterIt) {
    ASSERT_NO_FATAL_FAILURE(Open(L"Rec Split Stop", L"YUY2 640x480", kYuy2Vga));
    const RecorderStatus before = GetRecorderStatus();
    ASSERT_TRUE(Record({Press(IDC_REC_START), UntilVideo(700), Do([] {
                            // The stop waits in the queue while the split waits for the writer.
                            PostMessageW(Dialog(), WM_COMMAND, IDC_REC_SPLIT, 0);
                            ClickDialogButton(Dialog(), IDC_REC_START);
                        })}));
    // The second file is kept when it got a frame before the stop; an empty one is removed and
    // not listed. Every video left in the folder is listed.
    ASSERT_GE(gRecentFiles.size(), 1u);
    ASSERT_LE(gRecentFiles.size(), 2u);
    EXPECT_EQ(FilesIn(folder, L"*.avi").size(), gRecentFiles.size());
    AviFile first = CheckLayout(gRecentFiles[0], 640, 480, false);
    EXPECT_GE(int64_t(first.entries) * CaptureState.frameDuration, 700 * 10000);
    std::vector<int64_t> numbers = FrameNumbers(first, false);
    if (gRecentFiles.size() == 2) {
        EXPECT_EQ(ToastText(), L"File saved: " + gRecentFiles[1]);
        AviFile second(gRecentFiles[1]);
        EXPECT_GE(second.frameOffsets.size(), 1u);
        const std::vector<int64_t> next = FrameNumbers(second, false);
        numbers.insert(numbers.end(), next.begin(), next.end());
    }
    ExpectNoFrameLost(numbers, before);
}

// The camera goes while a split waits for the writer: whichever file the writer is in by then
// is finished, the files are announced in order and no frame is lost.
TEST_F(RecordingTest, CameraClosedDuringASplitLeavesAnnouncedFiles) {
    ASSERT_NO_FATAL_FAILURE(Open(L"Rec Split Unplug", L"YUY2 640x480", kYuy2Vga));
    const RecorderStatus before = GetRecorderStatus();
    ASSERT_TRUE(Record({Press(IDC_REC_START), UntilVideo(700), Do([&] {
                            PostMessageW(Dialog(), WM_COMMAND, IDC_REC_SPLIT, 0);
                            PostMessageW(main, kCloseCamera, 0, 0);
                        }),
                        [] { return !IsDeviceOpen() && ItemText(Dialog(), IDC_REC_START) == L"Start"; },
                        Press(IDCANCEL)}));
    ASSERT_GE(gRecentFiles.size(), 1u);
    ASSERT_LE(gRecentFiles.size(), 2u);
    EXPECT_EQ(ToastText(), L"File saved: " + LastFile());
    std::vector<int64_t> numbers;
    for (const std::wstring& file : gRecentFiles) {
        const std::vector<int64_t> inFile = FrameNumbers(AviFile(file), false);
        numbers.insert(numbers.end(), inFile.begin(), inFile.end());
    }
    CheckLayout(gRecentFiles[0], 640, 480, false);
    ExpectNoFrameLost(numbers, before);
    // A next file the writer never went on in is not left behind.
    EXPECT_EQ(FilesIn(folder, L"*.avi").size(), gRecentFiles.size());
}

TEST_F(RecordingTest, SplitWithoutANextFileEndsWithTheFileAnnouncedAndSaysSo) {
    ASSERT_NO_FATAL_FAILURE(Open(L"Rec Split Nowhere", L"YUY2 640x480", kYuy2Vga));
    std::wstring deep = folder + L"\\";  // so deep that no file name fits in it
    deep.append(240 - deep.size(), L'd');
    ASSERT_TRUE(Record({Press(IDC_REC_START), UntilVideo(500), Do([&] {
                            lstrcpynW(AppSettings.imgDir, deep.c_str(), kImgDirChars);
                            RecorderHooks().splitThreshold = 0;  // the next tick splits
                        }),
                        [&] { return ToastText().find(L"could not be created: " + deep) != std::wstring::npos; },
                        [&] { return ItemText(Dialog(), IDC_REC_START) == L"Start"; }, Press(IDCANCEL)}));
    EXPECT_EQ(CaptureState.recording, 0);
    ASSERT_EQ(gRecentFiles.size(), 1u);  // announced
    AviFile avi = CheckLayout(gRecentFiles[0], 640, 480);
    EXPECT_EQ(int64_t(avi.frameOffsets.size()), GetRecorderStatus().framesWritten);
    EXPECT_GE(int64_t(avi.entries) * CaptureState.frameDuration, 500 * 10000);  // the half second waited for
    RemoveDirectoryW(deep.c_str());
}

TEST_F(RecordingTest, CloseBoxStopsAndAnnounces) {
    ASSERT_NO_FATAL_FAILURE(Open(L"Rec Close", L"MJPG 1280x720", {kSubtypeMjpg, 1280, 720, 0}));
    ASSERT_TRUE(Record({Press(IDC_REC_START), UntilVideo(1000),
                        Do([] { PostMessageW(Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); })}));
    EXPECT_EQ(CaptureState.recording, 0);
    ASSERT_FALSE(LastFile().empty());
    EXPECT_EQ(ToastText(), L"File saved: " + LastFile());
    const AviFile avi = CheckLayout(LastFile(), 1280, 720);
    EXPECT_EQ(int64_t(avi.frameOffsets.size()), GetRecorderStatus().framesWritten);
    EXPECT_GE(int64_t(avi.entries) * CaptureState.frameDuration, 1000 * 10000);
}

TEST_P(RecordKinds, UnpluggedCameraLeavesAnAnnouncedPlayableFile) {
    const std::wstring name = compressed ? L"Rec Unplug MJPEG" : L"Rec Unplug";
    ASSERT_NO_FATAL_FAILURE(Open(name.c_str(), L"MJPG 1280x720", {kSubtypeMjpg, 1280, 720, 0}));
    size_t framesAtUnplug = 0;
    ASSERT_TRUE(Record({Press(IDC_REC_START), UntilVideo(1500),
                        Do([&] { RunVcamctl(L"remove \"" + name + L"\""); }),
                      [&] { return !IsDeviceOpen() && !GetRecorderStatus().writerRunning && !LastFile().empty(); },
                      [&] {  // the dialog goes back to Start, which needs a camera; it still closes
                          HWND dlg = Dialog();
                          if (ItemText(dlg, IDC_REC_START) != L"Start" || IsWindowEnabled(GetDlgItem(dlg, IDC_REC_START)))
                              return false;
                          framesAtUnplug = size_t(GetRecorderStatus().framesWritten);
                          Press(IDCANCEL)();
                          return true;
                      }}));
    EXPECT_EQ(ToastText(), L"File saved: " + LastFile());
    AviFile avi = CheckLayout(LastFile(), 1280, 720);
    EXPECT_EQ(avi.frameOffsets.size(), framesAtUnplug);
    EXPECT_GE(avi.frameOffsets.size(), 5u);
    CheckWithFfmpeg(LastFile(), 1280, 720, avi.rate, avi.frameOffsets.size());
}

INSTANTIATE_TEST_SUITE_P(Kinds, RecordKinds, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param ? "Mjpeg" : "Uncompressed"; });

// The disk fills up at frame 20, or before the first frame: either way the recording stops by
// itself and says so; a file that got no frame is not kept and nothing is listed.
TEST_F(RecordingTest, FailingWritesStopTheRecordingAndSaySo) {
    ASSERT_NO_FATAL_FAILURE(Open(L"Rec Full", L"YUY2 640x480", kYuy2Vga));
    for (int32_t failFrom : {20, 0}) {
        SCOPED_TRACE(failFrom);
        gRecentFiles.clear();
        RecorderHooks().failWritesFromFrame = failFrom;
        ASSERT_TRUE(Record({Press(IDC_REC_START)}));  // the dialog stops by itself
        EXPECT_TRUE(GetRecorderStatus().writeFailed);
        if (failFrom == 0) {
            EXPECT_TRUE(gRecentFiles.empty());
            EXPECT_EQ(FilesIn(folder, L"*.avi").size(), 1u);  // the one of 20 frames only
            EXPECT_EQ(ToastText().rfind(L"Nothing was recorded - writing failed after 0.0 s", 0), 0u) << ToastText();
            continue;
        }
        AviFile avi = CheckLayout(LastFile(), 640, 480);
        EXPECT_EQ(avi.frameOffsets.size(), 20u);
        // 20 frames (and the positions of any the camera did not send) at the file's rate.
        const int64_t tenths = int64_t(avi.entries) * CaptureState.frameDuration / 1000000;
        const std::wstring kept = std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10);
        EXPECT_NE(ToastText().find(L"writing failed after " + kept + L" s"), std::wstring::npos) << ToastText();
        CheckWithFfmpeg(LastFile(), 640, 480, avi.rate, 20);
    }
}

// A save folder on a small file system that fills up mid-recording (VARDELO_SMALL_DISK names
// one, for example a tmpfs of 12 MB; without it the test is skipped).
TEST_F(RecordingTest, FullDiskLeavesAPlayableFileAndSaysSo) {
    const char* small = std::getenv("VARDELO_SMALL_DISK");
    if (!small) GTEST_SKIP() << "VARDELO_SMALL_DISK names no small file system";
    ASSERT_NO_FATAL_FAILURE(Open(L"Rec Disk", L"YUY2 640x480", kYuy2Vga));
    const std::wstring disk(small, small + std::strlen(small));
    lstrcpynW(AppSettings.imgDir, disk.c_str(), kImgDirChars);
    ASSERT_TRUE(Record({Press(IDC_REC_START)}));  // the dialog stops by itself
    EXPECT_TRUE(GetRecorderStatus().writeFailed);
    AviFile avi = CheckLayout(LastFile(), 640, 480);
    EXPECT_EQ(int64_t(avi.frameOffsets.size()), GetRecorderStatus().framesWritten);
    EXPECT_NE(ToastText().find(L"writing failed after"), std::wstring::npos);
    CheckWithFfmpeg(LastFile(), 640, 480, avi.rate, avi.frameOffsets.size());
    DeleteFileW(LastFile().c_str());
    DeleteFileW(VideoCoverPath(LastFile(), L"jpg").c_str());
}

// A disk slower than the camera: the queue stays within its bound, the frames it cannot keep are
// counted and told, and the video keeps the recording's time: it lasts as long as the recording
// ran (within two frames), not as long as the frames that reached it.
TEST_F(RecordingTest, SlowDiskKeepsTheQueueBoundedCountsDropsAndKeepsTheTime) {
    ASSERT_NO_FATAL_FAILURE(Open(L"Rec Slow", L"MJPG 1280x720", {kSubtypeMjpg, 1280, 720, 0}));
    RecorderHooks().writeDelayMs = 150;  // the writer keeps up with about 6 of 30 frames a second
    LARGE_INTEGER started = {}, stopped = {}, frequency;
    QueryPerformanceFrequency(&frequency);
    ASSERT_TRUE(Record({Do([&] {
                            QueryPerformanceCounter(&started);
                            ClickDialogButton(Dialog(), IDC_REC_START);
                        }),
                        [] { return GetRecorderStatus().dropped >= 30; },
                        Do([&] {
                            QueryPerformanceCounter(&stopped);
                            ClickDialogButton(Dialog(), IDC_REC_START);
                        })}));
    const RecorderStatus status = GetRecorderStatus();
    const size_t bound = RecorderQueueBound(size_t(1280) * 720 * 3, status.fps);
    EXPECT_LE(status.peakQueuedBytes, bound);
    EXPECT_GE(status.peakQueuedBytes, size_t(1280) * 720 * 3 * 4);
    AviFile avi = CheckLayout(LastFile(), 1280, 720);
    EXPECT_EQ(int64_t(avi.frameOffsets.size()), status.framesWritten);
    EXPECT_NE(ToastText().find(std::to_wstring(status.dropped) + L" frames could not be kept"), std::wstring::npos)
        << std::string(ToastText().begin(), ToastText().end());
    const double wallSeconds = double(stopped.QuadPart - started.QuadPart) / double(frequency.QuadPart);
    const double frame = double(avi.scale) / double(avi.rate);
    const double fileSeconds = double(avi.entries) * frame;
    EXPECT_GT(avi.entries, avi.frameOffsets.size() + 20);  // the positions of the frames not kept
    EXPECT_NEAR(fileSeconds, wallSeconds, 2 * frame + 0.02);
    if (HostHasFfmpeg()) {
        const std::string probe = RunHost(L"ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 '" +
                                          UnixPath(LastFile()) + L"'");
        EXPECT_NEAR(std::atof(probe.c_str()), wallSeconds, 2 * frame + 0.02) << probe;
    }
}

// The end of the Windows session (shutdown, log-off) during a recording: by the time
// WM_ENDSESSION returns the video is finished and playable, its journal gone and the list of
// recent files stored, because the process may end right after.
TEST_F(RecordingTest, EndOfSessionFinishesTheVideoBeforeReturning) {
    ASSERT_NO_FATAL_FAILURE(Open(L"Rec Session End", L"YUY2 640x480", kYuy2Vga));
    std::wstring path;
    ASSERT_TRUE(Record({Press(IDC_REC_START), UntilVideo(1000), Do([&] {
                            path = CaptureState.videoPath;
                            EXPECT_EQ(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
                            SendMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
                            EXPECT_EQ(CaptureState.recording, 0);
                            EXPECT_EQ(GetFileAttributesW(JournalPathFor(path).c_str()), INVALID_FILE_ATTRIBUTES);
                            EXPECT_NE(StoredText(L"LatestFiles").find(path + L";"), std::wstring::npos);
                        }),
                        [] { return ItemText(Dialog(), IDC_REC_START) == L"Start"; }, Press(IDCANCEL)}));
    AviFile avi = CheckLayout(path, 640, 480);
    EXPECT_GE(avi.frameOffsets.size(), 1u);
    CheckWithFfmpeg(path, 640, 480, avi.rate, avi.frameOffsets.size());
}

TEST_F(RecordingTest, FileThatCannotBeCreatedKeepsStartAndTellsTheUser) {
    ASSERT_NO_FATAL_FAILURE(Open(L"Rec Nowhere", L"YUY2 640x480", kYuy2Vga));
    // A folder so deep that no file name fits in it.
    std::wstring deep = folder + L"\\";
    deep.append(240 - deep.size(), L'd');
    lstrcpynW(AppSettings.imgDir, deep.c_str(), kImgDirChars);
    ASSERT_TRUE(Record({Press(IDC_REC_START),
                        [&] {
                            if (ToastText().find(L"could not be created: " + deep) == std::wstring::npos) return false;
                            EXPECT_EQ(ItemText(Dialog(), IDC_REC_START), L"Start");
                            EXPECT_EQ(CaptureState.recording, 0);
                            Press(IDCANCEL)();
                            return true;
                        }}));
    EXPECT_TRUE(gRecentFiles.empty());
    RemoveDirectoryW(deep.c_str());
}

struct LookCase {
    int language;
    const wchar_t* title;
    const wchar_t* stop;
    const wchar_t* pause;
    const wchar_t* resume;
    const wchar_t* shot;
};

class RecordDialogLook : public RecordingTest, public ::testing::WithParamInterface<LookCase> {};

TEST_P(RecordDialogLook, TextsClockPlaceAndLimitsWhileRecording) {
    const LookCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Open(c.language ? L"Rec Look ZH" : L"Rec Look EN", L"YUY2 640x480", kYuy2Vga, c.language));
    AppSettings.maxRecordTime = 1800;  // in the table, not in the list
    ASSERT_TRUE(Record({Do([&] {
                          HWND dlg = Dialog();
                          wchar_t title[64] = {};
                          GetWindowTextW(dlg, title, 64);
                          EXPECT_STREQ(title, c.title);
                          EXPECT_EQ(ItemText(dlg, IDC_REC_CLOCK), L"0.0");
                          HWND list = GetDlgItem(dlg, IDC_REC_LIMIT);
                          EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 6);
                          EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), CB_ERR);
                          RECT d, m;
                          GetWindowRect(dlg, &d);
                          GetWindowRect(ShellState.mainWnd, &m);
                          EXPECT_EQ(d.top, m.top + 68);
                          EXPECT_LE(std::abs((d.left + d.right) - (m.left + m.right)), 1);
                          HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageW(dlg, IDC_REC_CLOCK, WM_GETFONT, 0, 0));
                          LOGFONTW lf = {};
                          GetObjectW(font, sizeof(lf), &lf);
                          EXPECT_STREQ(lf.lfFaceName, L"Courier New");
                      }),
                      Press(IDC_REC_START), UntilVideo(2500),
                      Do([&] {
                          HWND dlg = Dialog();
                          EXPECT_EQ(ItemText(dlg, IDC_REC_START), c.stop);
                          EXPECT_EQ(ItemText(dlg, IDC_REC_PAUSE), c.pause);
                          EXPECT_EQ(ItemText(dlg, IDC_REC_CLOCK).substr(0, 2), L"2.");
                          Shot(ShellState.mainWnd, c.shot);
                      }),
                      Press(IDC_REC_PAUSE), [&] { return ItemText(Dialog(), IDC_REC_PAUSE) == c.resume; },
                      Press(IDC_REC_START)}));
    EXPECT_EQ(AppSettings.maxRecordTime, 1800);  // kept: no list entry was chosen
}

INSTANTIATE_TEST_SUITE_P(Languages, RecordDialogLook,
                         ::testing::Values(LookCase{0, L"Recording video", L"Stop", L"Pause", L"Resume", L"record_dialog_en"},
                                           LookCase{1, L"\u5F55\u5236\u89C6\u9891", L"\u505C\u6B62", L"\u6682\u505C",
                                                    L"\u7EE7\u7EED", L"record_dialog_zh"}),
                         [](const auto& info) { return std::to_string(info.index); });
