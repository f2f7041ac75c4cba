// Why a listed camera shows no picture, in the words the camera view uses, and which graph
// results and events mean what. Portable.
#pragma once
#include <cstdint>

enum class CameraProblem {
    None,
    Busy,        // another program has the camera
    Blocked,     // the system's privacy settings keep programs away from the camera
    CannotOpen,  // the camera refused the format or the graph
    NoPicture,   // open, but no usable frame came for a while
    Lost,        // the device stopped (sleep, USB reset) and is reopened when it answers again
};

// The camera view's reopen timer tries again by itself after these.
bool ProblemRetries(CameraProblem problem);

// What a camera that fails to bind, connect or run (IMoniker::BindToObject,
// IGraphBuilder::Connect, IMediaControl::Run) says by its result.
CameraProblem ProblemOfStartFailure(int32_t hresult);

// The text key of the view's message; null for None.
const char* ProblemTextKey(CameraProblem problem);

// A graph event that ends the stream: device lost (param2 0; 1 says it is back), error abort,
// or a stream stopped by an error.
bool EndsTheStream(long eventCode, intptr_t param2);

// Ticks of the view's 100 ms timer without a usable frame before the view says so.
constexpr int kNoPictureTicks = 30;
