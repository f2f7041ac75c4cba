// Positions of recorded frames by their time (see record_timeline.h).
#include "media/record_timeline.h"

#include <algorithm>
#include <cmath>

namespace {

// Ticks to positions in double precision: the product of a day of ticks and a large rate does
// not fit 64 bits, and positions stay far below the 2^53 a double holds exactly.
double PositionsIn(const RecordTimeline& t, int64_t ticks) {
    return double(ticks) * double(t.rate) / (double(t.scale) * double(t.ticksPerSecond));
}

}  // namespace

RecordTimeline MakeTimeline(int64_t ticksPerSecond, uint32_t rate, uint32_t scale) {
    RecordTimeline t;
    t.ticksPerSecond = std::max<int64_t>(ticksPerSecond, 1);
    t.rate = std::max<uint32_t>(rate, 1);
    t.scale = std::max<uint32_t>(scale, 1);
    return t;
}

int64_t RecordTimeline::Place(int64_t stamp) {
    if (!started) {
        started = true;
        origin = stamp;
        return next;
    }
    const double at = std::round(PositionsIn(*this, stamp - origin));
    const double maxGap = double(kMaxGapSeconds) * double(rate) / double(scale);
    if (!(at >= double(next))) return next;  // early, or not a number
    if (at - double(next) > maxGap) return next;
    return int64_t(at);
}

RecordTimeline ContinueTimeline(const RecordTimeline& earlier, uint32_t rate, uint32_t scale) {
    RecordTimeline t = MakeTimeline(earlier.ticksPerSecond, rate, scale);
    if (earlier.started) {
        t.started = true;
        const double ticks = double(earlier.next) * double(earlier.scale) * double(earlier.ticksPerSecond) /
                             double(earlier.rate);
        t.origin = earlier.origin + int64_t(std::llround(ticks));
    }
    return t;
}
