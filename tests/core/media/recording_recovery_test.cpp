// What keeps a recording's time and what brings back a recording cut short: the timeline that
// places frames by when they were taken, the journal beside a file being written, and the
// rebuilt file made from the frame chunks a crash left.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "media/avi_rebuild.h"
#include "media/record_rules.h"
#include "media/record_timeline.h"
#include "media/recording_journal.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
uint32_t Get32(const Bytes& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, &b[at], 4);
    return v;
}
void Chunk(Bytes& b, const char* id, const Bytes& data) {
    b.insert(b.end(), id, id + 4);
    Put32(b, uint32_t(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1) b.push_back(0);
}
Bytes Jpeg(size_t n, uint8_t fill, bool whole = true) {
    Bytes j(n, fill);
    j[0] = 0xFF, j[1] = 0xD8;
    if (whole) j[n - 2] = 0xFF, j[n - 1] = 0xD9;
    return j;
}
ReadBytes Reader(const Bytes& file) {
    return [&file](uint64_t offset, uint8_t* out, size_t n) -> size_t {
        if (offset >= file.size()) return 0;
        n = std::min<size_t>(n, file.size() - size_t(offset));
        std::memcpy(out, &file[size_t(offset)], n);
        return n;
    };
}

// The file rebuilt from a scan, as the recovery writes it.
Bytes Rebuild(const Bytes& source, const RecordingJournal& j, const AviScan& scan) {
    Bytes out = RebuiltAviHead(j, scan.chunks);
    for (const AviChunkRef& c : scan.chunks) {
        const size_t end = std::min(source.size(), size_t(c.offset + ChunkSpan(c)));
        out.insert(out.end(), source.begin() + ptrdiff_t(c.offset), source.begin() + ptrdiff_t(end));
        out.resize(out.size() + (c.offset + ChunkSpan(c) - end), 0);  // a pad byte the crash left unwritten
    }
    const Bytes index = RebuiltAviIndex(scan.chunks);
    out.insert(out.end(), index.begin(), index.end());
    return out;
}

}  // namespace

TEST(RecordTimeline, FramesKeepTheirTimeAcrossGapsJitterAndFiles) {
    // 10 MHz clock, 30 frames a second: a frame every 333,333 ticks.
    RecordTimeline t = MakeTimeline(10000000, 300, 10);
    struct Step { int64_t ms; int64_t position; } steps[] = {
        {1000, 0},   // the first frame sets the origin
        {1033, 1},
        {1060, 2},   // early by jitter: the next free position
        {1100, 3},
        {1300, 9},   // frames 4..8 never came: five dropped-frame entries before this one
        {1301, 10},  // two frames within one period: never the same position
        {1333 + 3600 * 1000 + 100000, 11},  // a clock that jumped by hours: the gap is not kept
    };
    for (const Step& s : steps) {
        const int64_t at = t.Place(s.ms * 10000);
        EXPECT_EQ(at, s.position) << s.ms;
        t.Take(at);
    }
    // The next file goes on where this one's time ended (its next position), at its own rate.
    RecordTimeline earlier = MakeTimeline(10000000, 300, 10);
    earlier.Take(earlier.Place(0));
    earlier.Take(earlier.Place(33333333));  // 3.33 s: position 100
    RecordTimeline next = ContinueTimeline(earlier, 150, 10);
    EXPECT_EQ(next.Place(33666667), 0);           // where the earlier file's time ends
    EXPECT_EQ(next.Place(33666667 + 666667), 1);  // one period later at 15 a second
    // A day at a fast clock stays exact: positions are computed without overflow.
    RecordTimeline day = MakeTimeline(int64_t(3) << 30, 1000000, 10);
    day.Place(0);
    EXPECT_EQ(day.Place((int64_t(3) << 30) * 3000), 300000000);  // kMaxGapSeconds keeps it within an hour
    RecordTimeline hour = MakeTimeline(int64_t(3) << 30, 300, 10);
    hour.Place(0);
    EXPECT_EQ(hour.Place((int64_t(3) << 30) * 3599), 3599 * 30);
}

TEST(RecordingJournal, RoundTripAndRefusals) {
    const RecordingJournal j = {1280, 720, true, 300, 10};
    RecordingJournal back;
    ASSERT_TRUE(ParseJournal(JournalText(j), &back));
    EXPECT_EQ(back.width, 1280);
    EXPECT_EQ(back.height, 720);
    EXPECT_TRUE(back.compressed);
    EXPECT_EQ(back.rate, 300u);
    EXPECT_EQ(back.scale, 10u);
    const std::string whole = JournalText({640, 480, false, 150, 10});
    for (const std::string& bad : {whole.substr(0, whole.size() - 5), std::string("width 640\n"), std::string(),
                                   whole.substr(0, whole.find("width")) + "width 0\nheight 4\nframes DIB\nrate 1\nscale 1\nend\n",
                                   whole.substr(0, whole.find("frames")) + "frames H264\nrate 1\nscale 1\nend\n"})
        EXPECT_FALSE(ParseJournal(bad, &back)) << bad;
    EXPECT_EQ(JournalPathFor(L"C:\\v\\a.avi"), L"C:\\v\\a.avi.rec");
    EXPECT_EQ(VideoPathForJournal(L"C:\\v\\a.avi.REC"), L"C:\\v\\a.avi");
    EXPECT_EQ(VideoPathForJournal(L"C:\\v\\a.avi"), L"");
}

TEST(AviRebuild, KeepsWholeFramesOnlyAndMakesAFileWithHeadersAndIndex) {
    const RecordingJournal mjpg = {64, 48, true, 300, 10};
    Bytes crashed(2048, 0);  // the space AVIFile keeps for the headers it never wrote
    Chunk(crashed, "00dc", Jpeg(301, 1));
    Chunk(crashed, "00dc", {});  // a dropped-frame entry
    Chunk(crashed, "00dc", Jpeg(400, 2));
    Chunk(crashed, "00dc", Jpeg(500, 3, false));  // its end never reached the disk
    Chunk(crashed, "00dc", Jpeg(200, 4));
    AviScan scan = ScanRecordedAvi(Reader(crashed), crashed.size(), mjpg);
    ASSERT_EQ(scan.result, AviScanResult::Frames);
    ASSERT_EQ(scan.chunks.size(), 3u);  // nothing after the broken frame is trusted
    EXPECT_EQ(scan.frames, 2u);
    EXPECT_EQ(scan.chunks[0].offset, 2048u);
    EXPECT_EQ(scan.chunks[1].size, 0u);

    const Bytes rebuilt = Rebuild(crashed, mjpg, scan);
    EXPECT_EQ(Get32(rebuilt, 4), rebuilt.size() - 8);  // RIFF size
    EXPECT_EQ(ScanRecordedAvi(Reader(rebuilt), rebuilt.size(), mjpg).result, AviScanResult::Whole);
    // The index points at each chunk's id, counted from the movie list's 'movi'.
    const size_t movi = std::string(rebuilt.begin(), rebuilt.end()).find("movi");
    const size_t index = rebuilt.size() - 8 - 16 * 3;
    ASSERT_EQ(std::string(&rebuilt[index], &rebuilt[index] + 4), "idx1");
    for (size_t e = 0; e < 3; ++e) {
        const size_t entry = index + 8 + 16 * e;
        EXPECT_EQ(Get32(rebuilt, movi + Get32(rebuilt, entry + 8)), Get32(rebuilt, entry)) << e;
        EXPECT_EQ(Get32(rebuilt, entry + 12), scan.chunks[e].size);
        EXPECT_EQ(Get32(rebuilt, entry + 4), e == 1 ? 0u : 0x10u);  // key frames; the empty entry is none
    }
    const size_t strh = std::string(rebuilt.begin(), rebuilt.end()).find("strh");
    EXPECT_EQ(Get32(rebuilt, strh + 8 + 20), 10u);  // scale
    EXPECT_EQ(Get32(rebuilt, strh + 8 + 24), 300u);  // rate
    EXPECT_EQ(Get32(rebuilt, strh + 8 + 32), 3u);   // length: every entry

    // A last frame of odd size whose pad byte never reached the disk is whole all the same.
    Bytes unpadded(2048, 0);
    Chunk(unpadded, "00dc", Jpeg(301, 5));
    unpadded.pop_back();
    scan = ScanRecordedAvi(Reader(unpadded), unpadded.size(), mjpg);
    EXPECT_EQ(scan.frames, 1u);
    const Bytes padded = Rebuild(unpadded, mjpg, scan);
    EXPECT_EQ(ScanRecordedAvi(Reader(padded), padded.size(), mjpg).result, AviScanResult::Whole);

    // Uncompressed frames are whole when they have the frame's size; a chunk cut off by the end
    // of the file is left out.
    const RecordingJournal dib = {3, 2, false, 300, 10};
    Bytes raw(600, 0);
    Chunk(raw, "00db", Bytes(AviFrameBytes(3, 2), 7));
    Chunk(raw, "00db", Bytes(AviFrameBytes(3, 2), 8));
    raw.resize(raw.size() - 3);
    scan = ScanRecordedAvi(Reader(raw), raw.size(), dib);
    EXPECT_EQ(scan.result, AviScanResult::Frames);
    EXPECT_EQ(scan.frames, 1u);

    // Nothing written yet, and bytes that are no recording of this kind.
    EXPECT_EQ(ScanRecordedAvi(Reader(Bytes(4096, 0)), 4096, dib).result, AviScanResult::NoFrames);
    Bytes foreign(4096);
    for (size_t i = 0; i < foreign.size(); ++i) foreign[i] = uint8_t(i * 31 + 7);
    EXPECT_EQ(ScanRecordedAvi(Reader(foreign), foreign.size(), dib).result, AviScanResult::Unreadable);
    Bytes wrongSize(100, 0);
    Chunk(wrongSize, "00db", Bytes(5, 1));  // not this journal's frame size
    EXPECT_EQ(ScanRecordedAvi(Reader(wrongSize), wrongSize.size(), dib).result, AviScanResult::Unreadable);
}
