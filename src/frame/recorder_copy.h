// What the preview callback hands the recorder for one frame: the converted frame, or, for a
// compressed recording of an MJPG camera whose picture is recorded unchanged, the camera's own
// JPEG sample (no decode or encode on the way to the file).
#pragma once
#include <cstdint>

#include "frame/display_frame.h"
#include "frame/frame_effects.h"

enum class CopyKind : uint8_t {
    Frame,       // a DisplayFrame after effects
    CameraJpeg,  // the camera's JPEG sample, as it arrived
};

// The camera's JPEG is queued when the file is compressed, the camera streams MJPG and neither
// a software white balance (balanced) nor a horizontal flip or pixel effect changes the picture.
// (The vertical flip is the view's alone: no recording holds it.)
CopyKind RecorderCopyKind(bool compressedFile, SampleFormat format, const FrameEffects& effects,
                          bool balanced = false);
