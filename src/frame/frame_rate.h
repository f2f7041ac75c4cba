// Frame rate over the last second of preview frames, from millisecond time stamps of a
// 32-bit clock that wraps after 49.7 days.
#pragma once

#include <cstdint>
#include <deque>

struct FrameRateMeter {
    std::deque<uint32_t> stamps;  // streaming thread only
};

// Records a frame at `now` and, when at least two frames of the last 1000 ms remain, stores the
// rate in `fps` and returns true; otherwise `fps` keeps its value.
bool UpdateFrameRate(FrameRateMeter& meter, uint32_t now, float& fps);
