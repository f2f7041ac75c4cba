// One camera sample into one DisplayFrame, by stream format, with the sample's length checked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/channel_gains.h"
#include "frame/display_frame.h"

// Converts a YUY2 or MJPG sample into target (DisplayFrameBytes(width, height) bytes). Returns
// false, leaving the frame for the caller to drop, for any other format, an empty or oversized
// frame, a YUY2 sample shorter than Yuy2SampleBytes(width, height) (a longer one is converted
// from its start), and an MJPG sample DecodeMjpg rejects. The white-balance gains are applied
// on the way (inside the YUY2 converter, to each row as it is decoded from a JPEG).
bool ConvertSample(SampleFormat format, const uint8_t* buffer, size_t length, int width, int height,
                   DisplayFrame* target, const ChannelGains& gains = ChannelGains{});


// A YUY2 still frame says its size only through its length: one longer than the preview's frame
// by a whole row or more is a picture of another size, whose start converted at the preview's
// size would be a sheared photo.
bool IsYuy2OfAnotherSize(size_t length, int width, int height);
