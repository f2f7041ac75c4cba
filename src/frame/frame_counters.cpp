// Restart and the shown/skipped bookkeeping of the live picture's counts.
#include "frame/frame_counters.h"

void ResetFrameCounters(FrameCounters& c) {
    c.received = 0;
    c.pathTicks = 0;
    c.shown = 0;
    c.skipped = 0;
    c.paintTicks = 0;
    c.lastShown = 0;
    c.resyncShown = false;
    c.opens.fetch_add(1, std::memory_order_relaxed);
}

bool NoteFrameShown(FrameCounters& c, uint32_t sequence) {
    if (sequence == 0 || sequence == c.lastShown) return false;
    // A frame older than the one shown last cannot come from this camera opening: begin anew.
    const bool counted = !c.resyncShown && sequence > c.lastShown;
    if (counted) c.skipped.fetch_add(sequence - c.lastShown - 1, std::memory_order_relaxed);
    c.resyncShown = false;
    c.lastShown = sequence;
    c.shown.fetch_add(1, std::memory_order_relaxed);
    return true;
}
