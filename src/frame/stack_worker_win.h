// The focus stack's worker: a thread of its own that takes the newest camera frame from the frame
// ring whenever it is free (frames that come while it works are skipped), fuses it into the stack
// and tells the user-interface thread (PostMessage) and the camera view (InvalidateRect). The
// camera's streaming thread is not touched: the worker reads the ring as the view does and checks
// afterwards that the slot it read was not reused meanwhile. The fused picture is shared with the
// view's painting under its own lock, held only while the worker writes it.
#pragma once
#include <windows.h>

#include <cstdint>

// What the worker has done so far (read on the user-interface thread after its message).
struct StackProgress {
    int fused = 0;       // frames fused, the first included
    int leftOut = 0;     // frames that did not match the first one
    int quiet = 0;       // fused frames in a row that made nearly nothing sharper
};

// Starts a stack at the running camera's size; progress is posted to notify as message (wParam
// and lParam 0), and the camera view is repainted with every fused frame. UI thread. False when
// no camera is open, a stack already exists, or the memory for it is not there.
bool StartStackWorker(HWND notify, UINT message);
// Whether a stack exists (fusing or stopped and not yet discarded).
bool StackExists();
bool StackRunning();
// Ends the worker thread (waits for the frame it is on); the fused picture stays. UI thread.
void StopStackWorker();
// The stack's figures now.
StackProgress CurrentStackProgress();
// After StopStackWorker: the finishing touch (no lone choices), then the fused picture and its
// depth map for saving; null when there is no stack. The pictures stay until DiscardStack.
const uint8_t* FinishedStackPicture(int* width, int* height);
// Renders the depth map (false colour) into bgr, width x height x 3 bytes; false without a stack.
bool RenderStackDepthMap(uint8_t* bgr);
// Stops the worker if it runs and frees the stack. UI thread.
void DiscardStack();

// The fused picture for the camera view's composition, held (the worker cannot write it) while
// this object lives; pixels is null when no stack is shown. UI thread.
class StackPictureHold {
public:
    StackPictureHold();
    ~StackPictureHold();
    StackPictureHold(const StackPictureHold&) = delete;
    StackPictureHold& operator=(const StackPictureHold&) = delete;
    const uint8_t* pixels = nullptr;
};
