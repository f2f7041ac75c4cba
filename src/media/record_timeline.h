// Where each recorded frame goes in its file. In an AVI file a frame's time is its position
// divided by the stream rate, so a frame the camera never sent or the queue could not keep
// would make the rest of the video early. Each frame is therefore placed by the time it was
// taken: positions left free before it become empty "dropped frame" entries, which players
// show as the frame before, and the video keeps the length of the recording.
#pragma once
#include <cstdint>

struct RecordTimeline {
    int64_t ticksPerSecond = 1;  // of the clock the frames are stamped with
    uint32_t rate = 1;           // the file's frames per second, as rate / scale
    uint32_t scale = 1;
    bool started = false;        // origin is set: the first frame has been placed
    int64_t origin = 0;          // clock time of position 0
    int64_t next = 0;            // the first position no entry holds yet

    // The position for a frame taken at stamp: the one its time falls on, never one already
    // taken (a frame early by jitter goes into the next free position). The first frame sets
    // the origin. A gap longer than kMaxGapSeconds (a clock that jumped) is not kept: the frame
    // goes into the next free position.
    int64_t Place(int64_t stamp);
    void Take(int64_t position) { next = position + 1; }
};

constexpr int64_t kMaxGapSeconds = 3600;

// A timeline for a file of rate / scale frames a second.
RecordTimeline MakeTimeline(int64_t ticksPerSecond, uint32_t rate, uint32_t scale);

// The timeline of the file that follows one of a recording: it begins where the earlier one
// ended (its origin is the clock time of the earlier one's next position), so the time between
// the files is kept; rate / scale may differ.
RecordTimeline ContinueTimeline(const RecordTimeline& earlier, uint32_t rate, uint32_t scale);
