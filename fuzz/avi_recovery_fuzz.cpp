// Fuzzes what the start-up recovery reads: the journal beside a video cut short and the video's
// bytes. The journal must read back what it says; the scan may keep only whole frame chunks of
// the journal's kind that lie inside the file, in order and without overlap; and the file
// rebuilt from them (head, those chunks, index) must be a closed recording whose index points
// at exactly those chunks, which a second scan leaves alone.
//
// Input: the journal text up to the first zero byte, then the video. A text that is no journal
// still runs the scan, with a journal picked by the text's length (so that a mutated journal
// does not stop the fuzzing of the walk).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "media/avi_rebuild.h"
#include "media/record_rules.h"
#include "media/recording_journal.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Check(bool ok) {
    if (!ok) std::abort();
}

uint32_t Le32(const Bytes& b, uint64_t at) {
    Check(at + 4 <= b.size());
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
bool IdAt(const Bytes& b, uint64_t at, const char (&id)[5]) { return at + 4 <= b.size() && std::memcmp(&b[at], id, 4) == 0; }

// The source as the recovery reads it: never more than asked, never past the end.
ReadBytes Reader(const uint8_t* file, uint64_t size) {
    return [file, size](uint64_t offset, uint8_t* out, size_t n) -> size_t {
        if (offset >= size) return 0;
        n = size_t(std::min<uint64_t>(n, size - offset));
        if (n) std::memcpy(out, file + offset, n);
        return n;
    };
}

// The rebuilt file as the recovery writes it (a last pad byte never written is a zero).
Bytes Rebuild(const uint8_t* file, uint64_t size, const RecordingJournal& j, const AviScan& scan) {
    Bytes out = RebuiltAviHead(j, scan.chunks);
    for (const AviChunkRef& c : scan.chunks) {
        const uint64_t end = std::min(size, c.offset + ChunkSpan(c));
        out.insert(out.end(), file + c.offset, file + end);
        out.resize(out.size() + size_t(c.offset + ChunkSpan(c) - end), 0);
    }
    const Bytes index = RebuiltAviIndex(scan.chunks);
    out.insert(out.end(), index.begin(), index.end());
    return out;
}

// Walks the rebuilt file as a player would: RIFF AVI, the header list, the movie list with the
// kept chunks back to back, the index naming each of them.
void CheckRebuilt(const Bytes& out, const uint8_t* file, const AviScan& scan, const RecordingJournal& j) {
    Check(IdAt(out, 0, "RIFF") && IdAt(out, 8, "AVI ") && Le32(out, 4) == out.size() - 8);
    Check(IdAt(out, 12, "LIST") && IdAt(out, 20, "hdrl"));
    const uint64_t movieList = 20 + uint64_t(Le32(out, 16));
    Check(Le32(out, 32 + 16) == scan.chunks.size());  // avih total frames = index entries
    Check(Le32(out, 32 + 32) == uint32_t(j.width) && Le32(out, 32 + 36) == uint32_t(j.height));
    Check(IdAt(out, movieList, "LIST") && IdAt(out, movieList + 8, "movi"));
    const uint64_t movi = movieList + 8;
    uint64_t at = movi + 4;
    for (const AviChunkRef& c : scan.chunks) {
        Check(Le32(out, at) == c.id && Le32(out, at + 4) == c.size);
        Check(std::memcmp(&out[at + 8], file + c.offset + 8, c.size) == 0);
        at += ChunkSpan(c);
    }
    Check(at == movieList + 8 + Le32(out, movieList + 4));
    Check(IdAt(out, at, "idx1") && Le32(out, at + 4) == 16 * scan.chunks.size());
    Check(at + 8 + 16 * scan.chunks.size() == out.size());
    for (size_t e = 0; e < scan.chunks.size(); ++e) {
        const uint64_t entry = at + 8 + 16 * e;
        const uint64_t chunk = movi + Le32(out, entry + 8);
        Check(Le32(out, entry) == scan.chunks[e].id && Le32(out, entry + 12) == scan.chunks[e].size);
        Check(Le32(out, chunk) == scan.chunks[e].id && Le32(out, chunk + 4) == scan.chunks[e].size);
        Check((Le32(out, entry + 4) != 0) == (scan.chunks[e].size != 0));  // key frame unless dropped
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t textLength = zero ? size_t(zero - data) : size;
    const std::string_view text(reinterpret_cast<const char*>(data), textLength);
    const uint8_t* file = zero ? zero + 1 : data + size;
    const uint64_t fileSize = uint64_t(data + size - file);

    RecordingJournal j;
    if (ParseJournal(text, &j)) {
        Check(j.width >= 1 && j.width <= 16384 && j.height >= 1 && j.height <= 16384 && j.rate >= 1 && j.scale >= 1);
        RecordingJournal again;
        Check(ParseJournal(JournalText(j), &again));
        Check(again.width == j.width && again.height == j.height && again.compressed == j.compressed &&
              again.rate == j.rate && again.scale == j.scale);
    } else {
        static const RecordingJournal kFallback[] = {
            {4, 2, false, 30, 1}, {8, 4, true, 300, 10}, {1, 1, false, 1000000, 1}, {5, 3, true, 1, 1000000}};
        j = kFallback[textLength % 4];
    }

    // An exact-size copy of the video, so a read one byte past it is caught.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[fileSize ? fileSize : 1]);
    if (fileSize) std::memcpy(copy.get(), file, fileSize);
    const AviScan scan = ScanRecordedAvi(Reader(copy.get(), fileSize), fileSize, j);

    if (scan.result != AviScanResult::Frames) {
        Check(scan.frames == 0);
        return 0;
    }
    Check(!scan.chunks.empty() && scan.frames > 0);
    uint64_t frames = 0, next = 0;
    for (const AviChunkRef& c : scan.chunks) {
        Check(c.offset >= next && c.offset % 2 == 0);               // in order, word-aligned, no overlap
        Check(c.offset + 8 + uint64_t(c.size) <= fileSize);          // whole (only a last pad byte may be missing)
        Check(c.id == 0x62643030u || c.id == 0x63643030u);           // '00db' or '00dc'
        if (c.size > 0) {
            ++frames;
            const uint8_t* body = copy.get() + c.offset + 8;
            if (j.compressed)
                Check(c.size >= 4 && body[0] == 0xFF && body[1] == 0xD8 && body[c.size - 2] == 0xFF && body[c.size - 1] == 0xD9);
            else
                Check(c.size == AviFrameBytes(j.width, j.height));
        }
        next = c.offset + ChunkSpan(c);
    }
    Check(frames == scan.frames);
    for (size_t i = 0; i + 1 < scan.chunks.size(); ++i)  // only the last chunk may lack its pad byte
        Check(scan.chunks[i].offset + ChunkSpan(scan.chunks[i]) <= fileSize);

    const Bytes rebuilt = Rebuild(copy.get(), fileSize, j, scan);
    CheckRebuilt(rebuilt, copy.get(), scan, j);
    Check(ScanRecordedAvi(Reader(rebuilt.data(), rebuilt.size()), rebuilt.size(), j).result == AviScanResult::Whole);
    return 0;
}
