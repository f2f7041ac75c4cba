// The live picture's counts, for the read-out and the trace: frames the camera delivered, frames
// the view showed and skipped, and the time each side spent on them. Plain atomics, no lock: the
// camera's streaming thread and the user-interface thread each add to their own fields, and a
// reader takes each value whole.
#pragma once

#include <atomic>
#include <cstdint>

// Who one ring slot's frame is and when it went where (performance-counter ticks).
struct FrameStamp {
    uint32_t sequence = 0;   // its number among the frames received since the camera opened; 0: none
    int64_t sampleTime = 0;  // the sample's start time, 100-ns units
    int64_t arrived = 0;     // when the preview callback got the sample
    int64_t published = 0;   // when the converted frame was published
};

struct FrameCounters {
    // ---- Streaming thread ----
    std::atomic<uint32_t> received{0};   // camera frames that reached the callback (button frames not)
    std::atomic<uint64_t> pathTicks{0};  // time spent in the callback
    // ---- User-interface thread (atomic so that others read whole values) ----
    std::atomic<uint32_t> shown{0};       // frames the view composed at least once
    std::atomic<uint32_t> skipped{0};     // frames received but replaced before the view showed them
    std::atomic<uint64_t> paintTicks{0};  // time the view spent composing
    std::atomic<uint32_t> opens{0};       // how often the counts restarted (a camera opened)
    uint32_t lastShown = 0;    // sequence of the frame shown last
    bool resyncShown = false;  // the view was hidden: the next frame shown starts the skip count afresh
};

// Restarts the counts for a camera being opened (user-interface thread, no frame arriving).
void ResetFrameCounters(FrameCounters& c);

// The view composed the frame `sequence` (user-interface thread): true when it had not shown it
// before; frames numbered between the last one shown and this one were skipped.
bool NoteFrameShown(FrameCounters& c, uint32_t sequence);
