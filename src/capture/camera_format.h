// A camera stream format and the format the next opening of a camera uses.
#pragma once
#include <cstdint>

// Media subtypes as the FOURCC that is also the first field of the platform's subtype GUID.
constexpr uint32_t kSubtypeMjpg = 0x47504A4D;  // 'MJPG'
constexpr uint32_t kSubtypeYuy2 = 0x32595559;  // 'YUY2'

struct CameraFormat {
    uint32_t subtype = kSubtypeMjpg;
    int32_t width = 0;
    int32_t height = 0;
    int32_t interpolated = 0;  // 1: a synthetic size; the camera runs at 640 x 480 and the view scales up
    bool operator==(const CameraFormat& o) const {
        return subtype == o.subtype && width == o.width && height == o.height && interpolated == o.interpolated;
    }
};

// The format the next opening of a camera uses; set at start-up from the settings and by the
// dialogs and the source section. User-interface thread only.
extern CameraFormat requestedFormat;
