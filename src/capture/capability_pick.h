// Which of a camera's stream capabilities to set for a format. Drivers often list each format
// twice, with a VideoInfo2 block first and a VideoInfo twin after it; the Sample Grabber takes
// only VideoInfo, so the twin is the one to set. Portable.
#pragma once
#include <cstdint>
#include <vector>

struct CapabilityInfo {
    int index;  // the capability's index in IAMStreamConfig
    uint32_t subtype;
    int32_t width, height;
    bool videoInfo2;
};

// Position in caps of the capability for (subtype, width, height): the first VideoInfo one,
// else the first VideoInfo2 one; -1 when the camera does not offer the format.
int PickCapability(const std::vector<CapabilityInfo>& caps, uint32_t subtype, int32_t width, int32_t height);
