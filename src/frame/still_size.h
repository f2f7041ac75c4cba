// The size a still-button frame is converted at. Many cameras deliver the still at the sensor's
// full size beside a smaller preview, so a still keeps its own size: a JPEG says it in its
// header, a YUY2 frame through the still pin's media type.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/display_frame.h"

struct FrameSize {
    int width = 0;
    int height = 0;
};

// Stills larger than this on a side are refused rather than allocated.
constexpr int kMaxStillSide = 16384;

// The width and height a JPEG's header gives; false when the header cannot be read.
bool MjpgHeaderSize(const uint8_t* buffer, size_t length, FrameSize* size);

// The size to convert a still sample at. MJPG: its header's size. YUY2: the still pin's size
// when it is known (non-zero), else the preview's, and the sample must hold a whole frame of
// it; with only the preview's size to go by, a sample a row or more longer is a picture of
// some other size and is refused. False for any other format, a size outside 1..kMaxStillSide
// or an unreadable header.
bool StillFrameSize(SampleFormat format, const uint8_t* buffer, size_t length, FrameSize preview,
                    FrameSize stillPin, FrameSize* size);
