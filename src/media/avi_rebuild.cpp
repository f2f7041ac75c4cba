// Rebuilding a video whose recording was cut short (see avi_rebuild.h).
#include "media/avi_rebuild.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/record_rules.h"  // AviFrameBytes

namespace {

constexpr uint32_t Fourcc(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}
constexpr uint32_t kUncompressedId = Fourcc("00db");
constexpr uint32_t kCompressedId = Fourcc("00dc");
constexpr uint32_t kJunkId = Fourcc("JUNK");
constexpr uint32_t kKeyFrameFlag = 0x10;  // AVIIF_KEYFRAME
constexpr uint32_t kHasIndexFlag = 0x10;  // AVIF_HASINDEX

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

bool IsFrameId(uint32_t id) { return id == kUncompressedId || id == kCompressedId; }

bool ReadWhole(const ReadBytes& read, uint64_t offset, uint8_t* out, size_t n) { return read(offset, out, n) == n; }

// The most data one frame of the journal's kind may hold.
uint64_t MaxFrameBytes(const RecordingJournal& j) {
    const uint64_t raw = AviFrameBytes(j.width, j.height);
    return j.compressed ? raw * 4 + (uint64_t(1) << 20) : raw;
}

enum class ChunkCheck { Frame, Junk, Cut, Foreign };

// What the chunk whose header is at offset is: a whole frame of the journal's kind (an empty
// dropped-frame entry included), padding, one cut off by the end of the file (or a JPEG frame
// that lost its end), or something else.
ChunkCheck CheckChunk(const ReadBytes& read, uint64_t offset, uint64_t fileSize, const RecordingJournal& j,
                      AviChunkRef* chunk) {
    uint8_t head[8];
    if (offset + 8 > fileSize || !ReadWhole(read, offset, head, 8)) return ChunkCheck::Cut;
    chunk->offset = offset;
    chunk->id = Le32(head);
    chunk->size = Le32(head + 4);
    const bool frame = IsFrameId(chunk->id);
    if (!frame && chunk->id != kJunkId) return ChunkCheck::Foreign;
    if (offset + 8 + uint64_t(chunk->size) > fileSize) return frame ? ChunkCheck::Cut : ChunkCheck::Foreign;
    if (!frame) return ChunkCheck::Junk;
    if (chunk->size == 0) return ChunkCheck::Frame;
    if (chunk->size > MaxFrameBytes(j)) return ChunkCheck::Foreign;
    if (!j.compressed) return chunk->size == AviFrameBytes(j.width, j.height) ? ChunkCheck::Frame : ChunkCheck::Foreign;
    // A JPEG frame: its start marker, and its end marker as the last bytes written.
    uint8_t start[2], end[2];
    if (chunk->size < 4 || !ReadWhole(read, offset + 8, start, 2) || start[0] != 0xFF || start[1] != 0xD8)
        return ChunkCheck::Foreign;
    if (!ReadWhole(read, offset + 8 + chunk->size - 2, end, 2) || end[0] != 0xFF || end[1] != 0xD9)
        return ChunkCheck::Cut;
    return ChunkCheck::Frame;
}

// A closed file: 'RIFF' size 'AVI ', whose top-level chunks, read within the RIFF size, end
// with the index.
bool IsClosedAvi(const ReadBytes& read, uint64_t fileSize) {
    uint8_t head[12];
    if (fileSize < 12 || !ReadWhole(read, 0, head, 12)) return false;
    if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "AVI ", 4) != 0) return false;
    const uint64_t end = 8 + uint64_t(Le32(head + 4));
    if (end > fileSize) return false;
    bool movie = false, index = false;
    for (uint64_t at = 12; at + 8 <= end;) {
        uint8_t chunk[12];
        if (!ReadWhole(read, at, chunk, 12)) return false;
        const uint32_t size = Le32(chunk + 4);
        if (std::memcmp(chunk, "LIST", 4) == 0 && std::memcmp(chunk + 8, "movi", 4) == 0) movie = true;
        if (std::memcmp(chunk, "idx1", 4) == 0) index = true;
        at += 8 + uint64_t(size) + (size & 1);
    }
    return movie && index;
}

// The first chunk of the movie data: a whole frame chunk followed by another chunk's header
// of ours, or by the end of the file. Looked for at even offsets (chunks are word-aligned).
bool FindFirstChunk(const ReadBytes& read, uint64_t fileSize, const RecordingJournal& j, uint64_t* found) {
    constexpr size_t kBlock = size_t(1) << 20;
    std::vector<uint8_t> block(size_t(std::min<uint64_t>(kBlock + 8, fileSize)));  // no more than a small file needs
    const uint64_t limit = std::min(fileSize, kMovieSearchBytes);
    for (uint64_t base = 0; base < limit; base += kBlock) {
        const size_t got = read(base, block.data(), std::min<uint64_t>(block.size(), fileSize - base));
        for (size_t i = 0; i + 4 <= got && i < kBlock; i += 2) {
            if (block[i] != '0' || block[i + 1] != '0' || block[i + 2] != 'd' || (block[i + 3] != 'b' && block[i + 3] != 'c'))
                continue;
            AviChunkRef first, next;
            if (CheckChunk(read, base + i, fileSize, j, &first) != ChunkCheck::Frame) continue;
            const uint64_t after = base + i + ChunkSpan(first);
            const ChunkCheck following = CheckChunk(read, after, fileSize, j, &next);
            if (after + 8 > fileSize || following != ChunkCheck::Foreign) {
                *found = base + i;
                return true;
            }
        }
    }
    return false;
}

void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void PutBytes(std::vector<uint8_t>& b, const void* data, size_t n) {
    const size_t at = b.size();
    b.resize(at + n);
    if (n) std::memcpy(&b[at], data, n);
}
void PutId(std::vector<uint8_t>& b, const char (&id)[5]) { PutBytes(b, id, 4); }

}  // namespace

AviScan ScanRecordedAvi(const ReadBytes& read, uint64_t fileSize, const RecordingJournal& j) {
    AviScan scan;
    if (IsClosedAvi(read, fileSize)) {
        scan.result = AviScanResult::Whole;
        return scan;
    }
    uint64_t at = 0;
    if (!FindFirstChunk(read, fileSize, j, &at)) {
        // Nothing but zeros (the space kept for the headers) is a recording cut before its
        // first frame; anything else is not ours to rewrite.
        std::vector<uint8_t> block(size_t(std::min<uint64_t>(fileSize, kMovieSearchBytes)));
        const size_t got = read(0, block.data(), block.size());
        const bool zeros = std::all_of(block.begin(), block.begin() + ptrdiff_t(got), [](uint8_t b) { return b == 0; });
        scan.result = zeros && fileSize <= kMovieSearchBytes ? AviScanResult::NoFrames : AviScanResult::Unreadable;
        return scan;
    }
    for (;;) {
        AviChunkRef chunk;
        const ChunkCheck check = CheckChunk(read, at, fileSize, j, &chunk);
        if (check == ChunkCheck::Junk) {
            at += ChunkSpan(chunk);
            continue;
        }
        if (check != ChunkCheck::Frame) break;  // cut short, or the end of what was written
        scan.chunks.push_back(chunk);
        if (chunk.size > 0) ++scan.frames;
        at += ChunkSpan(chunk);
    }
    scan.result = scan.frames > 0 ? AviScanResult::Frames : AviScanResult::NoFrames;
    return scan;
}

std::vector<uint8_t> RebuiltAviHead(const RecordingJournal& j, const std::vector<AviChunkRef>& chunks) {
    uint64_t movieBytes = 4;  // 'movi'
    uint32_t largest = 0;
    for (const AviChunkRef& c : chunks) {
        movieBytes += ChunkSpan(c);
        largest = std::max(largest, c.size);
    }
    const uint32_t entries = uint32_t(chunks.size());
    const uint32_t indexBytes = 8 + 16 * entries;
    const uint32_t rate = std::max<uint32_t>(j.rate, 1), scale = std::max<uint32_t>(j.scale, 1);
    const uint32_t frameBytes = uint32_t(AviFrameBytes(j.width, j.height));
    const char(&handler)[5] = j.compressed ? "MJPG" : "DIB ";
    const char kName[] = "Plexor 1.4";  // the stream's name, as every file of ours has it
    constexpr uint32_t kNameBytes = sizeof kName + 1;  // with its terminator, padded to even

    std::vector<uint8_t> strl;
    PutId(strl, "strh");
    Put32(strl, 56);
    PutId(strl, "vids");
    PutId(strl, handler);
    Put32(strl, 0);  // flags
    Put16(strl, 0);  // priority
    Put16(strl, 0);  // language
    Put32(strl, 0);  // initial frames
    Put32(strl, scale);
    Put32(strl, rate);
    Put32(strl, 0);  // start
    Put32(strl, entries);
    Put32(strl, std::max(largest, frameBytes));
    Put32(strl, 0xFFFFFFFFu);  // default quality
    Put32(strl, 0);            // sample size: frames vary
    Put16(strl, 0);
    Put16(strl, 0);
    Put16(strl, uint16_t(j.width));
    Put16(strl, uint16_t(j.height));
    PutId(strl, "strf");
    Put32(strl, 40);
    Put32(strl, 40);
    Put32(strl, uint32_t(j.width));
    Put32(strl, uint32_t(j.height));  // positive: bottom-up rows
    Put16(strl, 1);
    Put16(strl, 24);
    if (j.compressed) PutId(strl, "MJPG"); else Put32(strl, 0);
    Put32(strl, frameBytes);
    for (int i = 0; i < 4; ++i) Put32(strl, 0);
    PutId(strl, "strn");
    Put32(strl, kNameBytes);
    PutBytes(strl, kName, sizeof kName);
    strl.resize(strl.size() + (kNameBytes - sizeof kName), 0);

    std::vector<uint8_t> hdrl;
    PutId(hdrl, "avih");
    Put32(hdrl, 56);
    Put32(hdrl, uint32_t(std::llround(1e6 * scale / rate)));
    Put32(hdrl, uint32_t(std::min<double>(double(std::max(largest, frameBytes)) * rate / scale, 4294967295.0)));
    Put32(hdrl, 0);  // padding granularity
    Put32(hdrl, kHasIndexFlag);
    Put32(hdrl, entries);
    Put32(hdrl, 0);  // initial frames
    Put32(hdrl, 1);  // streams
    Put32(hdrl, std::max(largest, frameBytes));
    Put32(hdrl, uint32_t(j.width));
    Put32(hdrl, uint32_t(j.height));
    for (int i = 0; i < 4; ++i) Put32(hdrl, 0);
    PutId(hdrl, "LIST");
    Put32(hdrl, uint32_t(4 + strl.size()));
    PutId(hdrl, "strl");
    PutBytes(hdrl, strl.data(), strl.size());

    std::vector<uint8_t> head;
    PutId(head, "RIFF");
    Put32(head, uint32_t(4 + 12 + hdrl.size() + 8 + movieBytes + indexBytes));
    PutId(head, "AVI ");
    PutId(head, "LIST");
    Put32(head, uint32_t(4 + hdrl.size()));
    PutId(head, "hdrl");
    PutBytes(head, hdrl.data(), hdrl.size());
    PutId(head, "LIST");
    Put32(head, uint32_t(movieBytes));
    PutId(head, "movi");
    return head;
}

std::vector<uint8_t> RebuiltAviIndex(const std::vector<AviChunkRef>& chunks) {
    std::vector<uint8_t> index;
    PutId(index, "idx1");
    Put32(index, uint32_t(16 * chunks.size()));
    uint32_t offset = 4;  // from the 'movi' of the movie list
    for (const AviChunkRef& c : chunks) {
        Put32(index, c.id);
        Put32(index, c.size > 0 ? kKeyFrameFlag : 0);
        Put32(index, offset);
        Put32(index, c.size);
        offset += uint32_t(ChunkSpan(c));
    }
    return index;
}
