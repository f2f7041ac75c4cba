// The frame trace of the running program (see frame_trace.h), on when the environment variable
// VARDELO_TRACE names a file; the file is replaced at the program's first write and added to
// afterwards. User-interface thread only.
#pragma once

#include "frame/frame_trace.h"

bool FrameTraceOn();
// The view has put the frame on screen (its drawing flushed) at shownAt.
void TraceFrameShown(const FrameStamp& stamp, int64_t shownAt);
// The read-out's look at the counts (user-interface thread); the process's and the thread's CPU
// times are added here.
void TraceTick(TickRecord tick);
// Writes what was gathered (the camera closed, the program ends).
void FlushFrameTrace();
