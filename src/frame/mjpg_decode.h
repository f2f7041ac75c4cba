// Motion-JPEG samples decoded by TurboJPEG straight into a DisplayFrame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/display_frame.h"

// Decodes when the JPEG's header says exactly width x height; returns false for an unreadable
// header, another size, a fatal decode error (also one that follows a warning) or a frame cut
// short before its end marker (the caller then drops the frame; rows of a decode that failed
// midway may already be written). A frame whose every row was decoded with only warnings
// counts as decoded.
bool DecodeMjpg(const uint8_t* buffer, size_t length, int width, int height, DisplayFrame* target);
