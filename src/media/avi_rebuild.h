// Rebuilding a video whose recording was cut short (see recording_journal.h): its frame chunks
// are on disk one after the other, but the headers before them and the index after them were
// never written. The scan finds the whole chunks (a chunk cut off by the end of the file, or a
// JPEG frame without its end, is left out: a frame is never half-shown); the rebuilt file is the
// headers the journal describes, those chunks and an index of them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "media/recording_journal.h"

// One chunk of the movie data: where its 8-byte header sits in the source file, its id (as the
// four bytes read little-endian) and the size of its data (0 for a dropped-frame entry).
struct AviChunkRef {
    uint64_t offset = 0;
    uint32_t id = 0;
    uint32_t size = 0;
};
// Bytes a chunk takes: its header, its data and the pad byte after odd data.
inline uint64_t ChunkSpan(const AviChunkRef& c) { return 8 + uint64_t(c.size) + (c.size & 1); }

// Reads up to n bytes at offset; returns how many were read.
using ReadBytes = std::function<size_t(uint64_t offset, uint8_t* out, size_t n)>;

enum class AviScanResult {
    Whole,       // a closed file: headers, movie and index are there; nothing to rebuild
    Frames,      // frame chunks without (complete) headers: chunks says which to keep
    NoFrames,    // nothing of a frame in it (an empty file or one cut before its first frame)
    Unreadable,  // bytes that are not a recording of the journal's kind
};
struct AviScan {
    AviScanResult result = AviScanResult::Unreadable;
    std::vector<AviChunkRef> chunks;  // in file order, dropped-frame entries included
    uint64_t frames = 0;              // chunks that hold a picture
};
// How far from the start the first frame chunk is looked for.
constexpr uint64_t kMovieSearchBytes = uint64_t(16) << 20;
AviScan ScanRecordedAvi(const ReadBytes& read, uint64_t fileSize, const RecordingJournal& j);

// The rebuilt file: RebuiltAviHead, then each chunk's ChunkSpan bytes copied from the source in
// order, then RebuiltAviIndex. The head's sizes account for all three.
std::vector<uint8_t> RebuiltAviHead(const RecordingJournal& j, const std::vector<AviChunkRef>& chunks);
std::vector<uint8_t> RebuiltAviIndex(const std::vector<AviChunkRef>& chunks);
