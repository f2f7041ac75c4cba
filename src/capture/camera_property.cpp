// Camera property records (see camera_property.h).
#include "capture/camera_property.h"

void ResetCameraProperties(CameraProperty (&props)[kCameraPropertyCount]) {
    for (int i = 0; i < kCameraPropertyCount; ++i) {
        if (i == kPropWhiteBalance || i == kPropBacklight) continue;
        props[i] = CameraProperty{};
    }
}
