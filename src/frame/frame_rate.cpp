// Frame-rate ring: stamps older than a second are dropped, the rest give the rate.
#include "frame/frame_rate.h"

bool UpdateFrameRate(FrameRateMeter& meter, uint32_t now, float& fps) {
    constexpr size_t n = FrameRateMeter::kCapacity;
    if (meter.count == n) {  // full: the oldest goes
        meter.first = (meter.first + 1) % n;
        --meter.count;
    }
    meter.stamps[(meter.first + meter.count) % n] = now;
    ++meter.count;
    // Ages are unsigned differences, so the test holds across the clock's wrap and in the first
    // second after it starts.
    while (meter.count > 0 && uint32_t(now - meter.stamps[meter.first]) > 1000u) {
        meter.first = (meter.first + 1) % n;
        --meter.count;
    }
    if (meter.count < 2) return false;
    const uint32_t span = now - meter.stamps[meter.first];
    if (span == 0) return false;  // two frames in one millisecond: no rate yet
    fps = float(double(meter.count - 1) * 1000.0 / double(span));
    return true;
}
