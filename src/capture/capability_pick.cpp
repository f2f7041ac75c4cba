// Capability choice (see capability_pick.h).
#include "capture/capability_pick.h"

#include <cstddef>

int PickCapability(const std::vector<CapabilityInfo>& caps, uint32_t subtype, int32_t width, int32_t height) {
    int twin = -1;
    for (std::size_t i = 0; i < caps.size(); ++i) {
        const CapabilityInfo& c = caps[i];
        if (c.subtype != subtype || c.width != width || c.height != height) continue;
        if (!c.videoInfo2) return int(i);
        if (twin < 0) twin = int(i);
    }
    return twin;
}
