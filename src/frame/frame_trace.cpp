// Gathering and writing the frame trace's records.
#include "frame/frame_trace.h"

#include <cinttypes>

void FrameTrace::Reserve(size_t records) {
    shown_.reserve(records);
    ticks_.reserve(records);
}

bool FrameTrace::Full() const {
    return shown_.size() == shown_.capacity() || ticks_.size() == ticks_.capacity();
}

void FrameTrace::AddShown(const FrameStamp& stamp, int64_t shownAt) {
    if (shown_.size() < shown_.capacity())
        shown_.push_back({stamp, shownAt});
    else
        ++lost_;
}

void FrameTrace::AddTick(const TickRecord& tick) {
    if (ticks_.size() < ticks_.capacity())
        ticks_.push_back(tick);
    else
        ++lost_;
}

bool FrameTrace::WriteTo(std::FILE* file) {
    bool ok = true;
    for (const Shown& s : shown_)
        ok = std::fprintf(file, "shown %" PRIu32 " %" PRId64 " %" PRId64 " %" PRId64 " %" PRId64 "\n", s.stamp.sequence,
                          s.stamp.sampleTime, s.stamp.arrived, s.stamp.published, s.at) > 0 && ok;
    for (const TickRecord& t : ticks_)
        ok = std::fprintf(file,
                          "tick %" PRId64 " %" PRId64 " %" PRIu32 " %" PRIu32 " %" PRIu32 " %" PRId64 " %d %d %" PRId64
                          " %" PRIu64 " %" PRIu64 "\n",
                          t.at, t.cpuTime, t.received, t.shown, t.skipped, t.cameraDropped, int(t.displayWidth),
                          int(t.displayHeight), t.uiCpuTime, t.pathTicks, t.paintTicks) > 0 && ok;
    if (lost_) ok = std::fprintf(file, "lost %zu\n", lost_) > 0 && ok;
    shown_.clear();
    ticks_.clear();
    lost_ = 0;
    return ok;
}
