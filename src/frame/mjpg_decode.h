// Motion-JPEG samples decoded by TurboJPEG straight into a DisplayFrame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/display_frame.h"

// Decodes when the JPEG's header says exactly width x height; returns false for an unreadable
// header, another size or a failed or damaged decode (the caller then drops the frame; rows
// of a decode that failed midway may already be written).
bool DecodeMjpg(const uint8_t* buffer, size_t length, int width, int height, DisplayFrame* target);
