// The frame trace, gathered only when asked for: for every frame the view shows, who it is and
// when it arrived, was published and was on screen; about twice a second, the counts and the
// process's CPU time. Records go into room reserved beforehand, so gathering allocates nothing;
// they are written out as text lines when the camera closes, the program ends or the room is full.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "frame/frame_counters.h"

struct TickRecord {
    int64_t at = 0;        // performance counter
    int64_t cpuTime = 0;   // the process's CPU time so far, 100-ns units
    int64_t uiCpuTime = 0; // the user-interface thread's share of it
    uint64_t pathTicks = 0, paintTicks = 0;  // the counters' times of the frame path
    uint32_t received = 0, shown = 0, skipped = 0;
    int64_t cameraDropped = -1;  // -1: the camera does not say
    int32_t displayWidth = 0, displayHeight = 0;  // the picture's size on screen
};

class FrameTrace {
public:
    void Reserve(size_t records);  // room for this many records of each kind
    bool Full() const;
    // Beyond the room reserved a record is not kept; the lines written say how many were lost.
    void AddShown(const FrameStamp& stamp, int64_t shownAt);
    void AddTick(const TickRecord& tick);
    // Writes "shown SEQUENCE SAMPLETIME ARRIVED PUBLISHED SHOWN" and "tick AT CPU RECEIVED SHOWN
    // SKIPPED CAMERADROPPED WIDTH HEIGHT UICPU PATHTICKS PAINTTICKS" lines, then "lost N" when
    // records were lost, and forgets them. False when writing failed.
    bool WriteTo(std::FILE* file);

private:
    struct Shown {
        FrameStamp stamp;
        int64_t at;
    };
    std::vector<Shown> shown_;
    std::vector<TickRecord> ticks_;
    size_t lost_ = 0;
};
