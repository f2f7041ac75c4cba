// The choice of what the recorder gets from the preview callback (see recorder_copy.h).
#include "frame/recorder_copy.h"

CopyKind RecorderCopyKind(bool compressedFile, SampleFormat format, const FrameEffects& effects, bool balanced) {
    const bool changed =
        balanced || effects.flipHorizontal || effects.gray || effects.binary || effects.invert || effects.emboss;
    return compressedFile && format == SampleFormat::Mjpg && !changed ? CopyKind::CameraJpeg : CopyKind::Frame;
}
