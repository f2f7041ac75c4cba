// The byte budget of the recorder queue: a camera faster than the disk must not grow the queue
// until the process runs out of memory and the whole recording is lost. Frames beyond the bound
// are dropped and counted, so the user can be told. Not thread-safe by itself: CaptureState
// keeps it under queueLock.
#pragma once
#include <cstddef>
#include <cstdint>

struct QueueBudget {
    size_t bound = 0;      // most bytes queued at once; 0 takes nothing
    size_t queued = 0;     // bytes of the copies in the queue (or reserved for one being made)
    size_t peak = 0;       // most bytes queued since Reset
    int64_t dropped = 0;   // frames not kept since Reset (no room, no memory)

    // Empties the budget for a new file with this bound.
    void Reset(size_t newBound);
    // Reserves bytes for a copy; false (and one more dropped frame) when they do not fit.
    bool Reserve(size_t bytes);
    // Gives back the bytes of a copy that left the queue or was never queued.
    void Release(size_t bytes);
};
