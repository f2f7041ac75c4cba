// Motion-JPEG samples decoded with libjpeg-turbo straight into a DisplayFrame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/channel_gains.h"
#include "frame/display_frame.h"

// Decodes when the JPEG's header says exactly width x height; returns false for an unreadable
// header, another size, a fatal decode error (also one that follows a warning) or a frame cut
// short before its end marker or whose compressed data stops early at a marker (the caller
// then drops the frame; rows of a decode that failed midway may already be written). A frame
// whose every row was decoded with only warnings counts as decoded. The gains are applied to the rows a few at a time as they are decoded.
bool DecodeMjpg(const uint8_t* buffer, size_t length, int width, int height, DisplayFrame* target,
                const ChannelGains& gains = ChannelGains{});

// The bytes of the JPEG in a sample: up to and including its last end-of-image marker (FF D9)
// after the start of its first scan, 0 when it has none. Inside the compressed data every 0xFF
// is followed by a stuffed 0x00 or a restart marker, so the marker says the frame arrived
// whole; the same two bytes among the header's (a table's values, a thumbnail) say nothing.
// Cameras may pad the sample with bytes after it.
size_t JpegDataLength(const uint8_t* buffer, size_t length);
