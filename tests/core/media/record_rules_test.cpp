// The recorder's arithmetic and the record dialog's rules.
#include "media/record_rules.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RecordRules, StreamRateAndFrameDuration) {
    struct Case { float fps; uint32_t rate; int64_t duration; } cases[] = {
        {29.97f, 300, 333667},
        {3.0f, 30, 2000000},   // the 5 fps floor is for the time accounting only
        {30.0f, 300, 333333},
        {5.0f, 50, 2000000},
        {14.96f, 150, 668449},
        {0.02f, 1, 2000000},   // a rate of 0 would make an unplayable file
        {0.0f, 1, 2000000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AviStreamRate(c.fps), c.rate) << c.fps;
        EXPECT_EQ(FrameDuration(c.fps), c.duration) << c.fps;
    }
}

TEST(RecordRules, FramesAreWrittenBottomUpInPaddedRows) {
    struct Case { int w, h; size_t bytes; } cases[] = {
        {1920, 1080, 6220800}, {1280, 720, 2764800}, {640, 480, 921600},  // unchanged
        {3, 2, 24}, {5, 1, 16}, {0, 4, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(AviFrameBytes(c.w, c.h), c.bytes) << c.w << "x" << c.h;

    // 3 x 2: rows of 9 bytes become rows of 12, the top row last.
    std::vector<uint8_t> frame(18);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(i + 1);
    std::vector<uint8_t> out(24, 0xEE);
    CopyFrameBottomUp(frame.data(), 3, 2, out.data());
    const std::vector<uint8_t> expected = {10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0,
                                           1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0};
    EXPECT_EQ(out, expected);
}

// A compressed file takes the camera's JPEG unchanged only when the recorded picture is the
// camera's (MJPG, no horizontal flip or pixel effect); the writer encodes every other frame.
TEST(RecordRules, CompressedFilesPassUnchangedCameraJpegsAndEncodeTheRest) {
    FrameEffects none, flip, gray, binary, invert, emboss;
    flip.flipHorizontal = gray.gray = binary.binary = invert.invert = emboss.emboss = true;
    struct Case { bool compressed; SampleFormat format; FrameEffects fx; CopyKind copy; FrameWrite write; bool balanced = false; } cases[] = {
        {true, SampleFormat::Mjpg, none, CopyKind::CameraJpeg, FrameWrite::AsIs},
        {true, SampleFormat::Mjpg, none, CopyKind::Frame, FrameWrite::Encode, true},  // a software white balance
        {true, SampleFormat::Mjpg, flip, CopyKind::Frame, FrameWrite::Encode},
        {true, SampleFormat::Mjpg, gray, CopyKind::Frame, FrameWrite::Encode},
        {true, SampleFormat::Mjpg, binary, CopyKind::Frame, FrameWrite::Encode},
        {true, SampleFormat::Mjpg, invert, CopyKind::Frame, FrameWrite::Encode},
        {true, SampleFormat::Mjpg, emboss, CopyKind::Frame, FrameWrite::Encode},
        {true, SampleFormat::Yuy2, none, CopyKind::Frame, FrameWrite::Encode},
        {false, SampleFormat::Mjpg, none, CopyKind::Frame, FrameWrite::BottomUpRows},
        {false, SampleFormat::Yuy2, invert, CopyKind::Frame, FrameWrite::BottomUpRows},
    };
    for (const auto& c : cases) {
        const CopyKind copy = RecorderCopyKind(c.compressed, c.format, c.fx, c.balanced);
        EXPECT_EQ(copy, c.copy) << &c - cases;
        EXPECT_EQ(ChooseFrameWrite(c.compressed, copy), c.write) << &c - cases;
    }
    // A camera JPEG queued for a compressed file that reaches an uncompressed one is not written.
    EXPECT_EQ(ChooseFrameWrite(false, CopyKind::CameraJpeg), FrameWrite::Drop);
}

TEST(RecordRules, FrameIsWrittenOnlyWithRoomLeftForTheIndex) {
    const uint64_t m = kCloseMarginBytes;
    struct Case { uint64_t free; size_t frame; int64_t frames; bool room; } cases[] = {
        {m + 100 + 16, 100, 0, true}, {m + 100 + 15, 100, 0, false},
        {m + 100 + 16 * 1001, 100, 1000, true}, {m + 100 + 16 * 1000, 100, 1000, false},
        {0, 100, 0, false},
    };
    for (const auto& c : cases) EXPECT_EQ(HasRoomForFrame(c.free, c.frame, c.frames), c.room) << c.free;
}

TEST(RecordRules, AFileStaysWithinWhatAviFileCanAddress) {
    const int64_t o = kAviFileOverheadBytes, l = kAviFileLimitBytes;
    const size_t hd = 1920 * 1080 * 3;
    struct Case { int64_t bytes, frames; size_t frame; bool fits; } cases[] = {
        {0, 0, hd, true},
        {l - o - int64_t(hd) - 25, 0, hd, true},  // the first frame exactly fills it
        {l - o - int64_t(hd) - 24, 0, hd, false},
        {l - o - 100 - 25 * 11, 10, 100, true},   // ten frames before, each with its header and index entry
        {l - o - 100 - 25 * 11 + 1, 10, 100, false},
        {0, 0, size_t(INT32_MAX) + 1, false},
    };
    for (const auto& c : cases) EXPECT_EQ(FrameFitsAviFile(c.bytes, c.frames, c.frame, l), c.fits) << c.bytes;
    // Splitting at the threshold leaves room for a full queue of 1080p frames and more.
    EXPECT_TRUE(FrameFitsAviFile(kSplitThresholdBytes + int64_t(kQueueBoundCeiling), 400, hd, l));
}

TEST(RecordRules, LimitListShowsTheStoredLimit) {
    struct Case { int32_t stored; int index; } cases[] = {
        {0, 0}, {10, 1}, {30, 2}, {60, 3}, {300, 4}, {600, 5},
        {1800, -1}, {28800, -1},  // in the table but not in the list: nothing selected
        {45, 0}, {-3, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(RecordLimitListIndex(c.stored), c.index) << c.stored;
}

TEST(RecordRules, StartUsesTheSelectedLimitElseTheStoredOne) {
    struct Case { int index; int32_t stored; int32_t limit; } cases[] = {
        {1, 600, 10}, {5, 0, 600}, {0, 3600, 0},
        {-1, 3600, 3600}, {-1, 28800, 28800}, {-1, 45, 0}, {6, 1800, 1800},
    };
    for (const auto& c : cases) EXPECT_EQ(RecordLimitForStart(c.index, c.stored), c.limit) << c.index << " " << c.stored;
}

TEST(RecordRules, ClockText) {
    struct Case { int64_t ms; const wchar_t* text; } cases[] = {
        {0, L"0.0"}, {99, L"0.0"}, {59900, L"59.9"}, {59999, L"59.9"}, {60000, L"1:00"},
        {754300, L"12:34"}, {36000000, L"600:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(RecordClockText(c.ms), c.text) << c.ms;
}

TEST(RecordRules, TimerStopsAtTheLimitOrAFailedWriteAndSplitsLargeFiles) {
    using A = RecordTickAction;
    const int64_t t = kSplitThresholdBytes;
    struct Case { int64_t ms; int32_t limit; int64_t bytes; bool failed; A action; } cases[] = {
        {9999, 10, 0, false, A::None},
        {10000, 10, 0, false, A::Stop},
        {10000, 10, t + 1, false, A::Stop},  // the limit comes first
        {999999, 0, 0, false, A::None},      // no limit
        {5000, 0, t, false, A::None},
        {5000, 0, t + 1, false, A::Split},
        {5000, 0, 0, true, A::Stop},
    };
    for (const auto& c : cases) EXPECT_EQ(DecideRecordTick(c.ms, c.limit, c.bytes, t, c.failed), c.action) << c.ms;
}

TEST(RecordRules, QueueHoldsAboutOneSecondOfFrames) {
    const size_t hd = 1920 * 1080 * 3;
    struct Case { size_t frame; float fps; size_t bound; } cases[] = {
        {921600, 30.0f, 30 * 921600},
        {921600, 2.0f, 4 * 921600},        // at least four frames
        {921600, 200.0f, 60 * 921600},     // at most sixty
        {hd, 30.0f, 30 * hd},              // one second of 1080p: 186,624,000 bytes
        {size_t(200) << 20, 30.0f, size_t(400) << 20},  // never less than two frames
    };
    for (const auto& c : cases) EXPECT_EQ(RecorderQueueBound(c.frame, c.fps), c.bound) << c.frame << " " << c.fps;
    EXPECT_EQ(RecorderQueueBound(hd, 60.0f), kQueueBoundCeiling);
}

TEST(RecordRules, AnnouncementSaysWhatTheFileLacks) {
    const std::wstring dropped = L"%d frames could not be kept", failed = L"writing failed after %s s";
    EXPECT_EQ(VideoSavedText(L"File saved: C:\\v.avi", 0, dropped, false, 0, failed), L"File saved: C:\\v.avi");
    EXPECT_EQ(VideoSavedText(L"File saved: C:\\v.avi", 12, dropped, false, 0, failed),
              L"File saved: C:\\v.avi - 12 frames could not be kept");
    EXPECT_EQ(VideoSavedText(L"File saved: C:\\v.avi", 3, dropped, true, 12345, failed),
              L"File saved: C:\\v.avi - 3 frames could not be kept - writing failed after 12.3 s");
    EXPECT_EQ(FillIn(L"no token", L"%s", L"x"), L"no token");
}
