// Frame rate over the last second of preview frames, from millisecond time stamps of a
// 32-bit clock that wraps after 49.7 days. The stamps sit in a ring of fixed size, so the
// streaming thread allocates nothing per frame.
#pragma once

#include <cstddef>
#include <cstdint>

struct FrameRateMeter {
    // A second of stamps at up to this many frames a second; beyond it the oldest go early and
    // the rate is that of the last kCapacity frames.
    static constexpr size_t kCapacity = 512;
    uint32_t stamps[kCapacity] = {};  // streaming thread only
    size_t first = 0;                 // index of the oldest stamp
    size_t count = 0;                 // stamps held
};

// Records a frame at `now` and, when at least two frames of the last 1000 ms remain, stores the
// rate in `fps` and returns true; otherwise `fps` keeps its value.
bool UpdateFrameRate(FrameRateMeter& meter, uint32_t now, float& fps);
