// Frame-rate queue: stamps older than a second are dropped, the rest give the rate.
#include "frame/frame_rate.h"

bool UpdateFrameRate(FrameRateMeter& meter, uint32_t now, float& fps) {
    auto& q = meter.stamps;
    q.push_back(now);
    // Ages are unsigned differences, so the test holds across the clock's wrap and in the first
    // second after it starts.
    while (!q.empty() && uint32_t(now - q.front()) > 1000u) q.pop_front();
    if (q.size() < 2) return false;
    const uint32_t span = now - q.front();
    if (span == 0) return false;  // two frames in one millisecond: no rate yet
    fps = float(double(q.size() - 1) * 1000.0 / double(span));
    return true;
}
