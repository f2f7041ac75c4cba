// The focus stack's worker thread (see stack_worker_win.h).
//
// Reading the ring: the streaming thread converts each frame into the slot after the published
// one, so a published slot is rewritten only when four more frames have come. The worker takes
// the slot and the count of published frames under frameLock, reads the slot (the only stage of
// the stack that reads a frame), and then looks at the count again: more than two new frames
// means the slot may have been rewritten while it was read, and the frame is dropped. The
// count is raised after the slot is published, so the count read with the slot may lag by one;
// two is the margin that stays safe with that lag.
#include "frame/stack_worker_win.h"

#include <atomic>

#include "frame/capture_state_win.h"
#include "frame/focus_stack.h"

namespace {

constexpr DWORD kIdleWaitMs = 4;  // between looks at the ring while no new frame has come

struct StackRun {
    // The stack: the worker thread uses it while it runs, the UI thread before and after.
    FocusStack stack;
    int width = 0, height = 0;
    bool exists = false;  // UI thread
    // The fused picture's lock: exclusive while the worker commits a frame, shared while the
    // view composes from it.
    SRWLOCK picture = SRWLOCK_INIT;
    // The thread and its stop event (manual-reset); made and closed by the UI thread.
    HANDLE thread = nullptr;
    HANDLE stop = nullptr;
    HWND notify = nullptr;  // set by the UI thread before the thread starts
    UINT message = 0;
    // Written by the worker, read by the UI thread.
    std::atomic<int> fused{0}, leftOut{0}, quiet{0};
};

StackRun run;

DWORD WINAPI StackThread(void*) {
    CaptureStateData& cs = CaptureState;
    uint32_t seen = cs.framesPublished.load();
    while (WaitForSingleObject(run.stop, 0) == WAIT_TIMEOUT) {
        EnterCriticalSection(&cs.frameLock);
        const int32_t slot = cs.currentSlot;
        const uint32_t published = cs.framesPublished.load();
        LeaveCriticalSection(&cs.frameLock);
        if (published == seen || slot < 0 || slot > 3 || !cs.frameRing[slot]) {
            WaitForSingleObject(run.stop, kIdleWaitMs);
            continue;
        }
        seen = published;
        const bool prepared = run.stack.Prepare(cs.frameRing[slot]);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (cs.framesPublished.load() - published > 2) continue;  // the slot may have changed under us
        if (!prepared) {
            ++run.leftOut;
            PostMessageW(run.notify, run.message, 0, 0);
            continue;
        }
        run.stack.Measure();
        AcquireSRWLockExclusive(&run.picture);
        run.stack.Commit();
        ReleaseSRWLockExclusive(&run.picture);
        run.fused = run.stack.Frames();
        run.quiet = run.stack.QuietFrames();
        PostMessageW(run.notify, run.message, 0, 0);
        if (cs.viewWindow) InvalidateRect(cs.viewWindow, nullptr, FALSE);
    }
    return 0;
}

}  // namespace

bool StartStackWorker(HWND notify, UINT message) {
    CaptureStateData& cs = CaptureState;
    if (run.exists || !cs.previewGrabber || !cs.locksReady || cs.width <= 0 || cs.height <= 0) return false;
    if (!run.stack.Start(cs.width, cs.height)) return false;
    run.stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    run.notify = notify;
    run.message = message;
    run.fused = run.leftOut = run.quiet = 0;
    run.width = cs.width;
    run.height = cs.height;
    run.thread = run.stop ? CreateThread(nullptr, 0, StackThread, nullptr, 0, nullptr) : nullptr;
    if (!run.thread) {
        if (run.stop) CloseHandle(run.stop);
        run.stop = nullptr;
        run.stack.Clear();
        return false;
    }
    run.exists = true;
    return true;
}

bool StackExists() { return run.exists; }
bool StackRunning() { return run.thread != nullptr; }

void StopStackWorker() {
    if (!run.thread) return;
    SetEvent(run.stop);
    WaitForSingleObject(run.thread, INFINITE);
    CloseHandle(run.thread);
    CloseHandle(run.stop);
    run.thread = run.stop = nullptr;
}

StackProgress CurrentStackProgress() {
    StackProgress p;
    p.fused = run.fused;
    p.leftOut = run.leftOut;
    p.quiet = run.quiet;
    return p;
}

const uint8_t* FinishedStackPicture(int* width, int* height) {
    if (!run.exists || run.thread || run.stack.Frames() == 0) return nullptr;
    run.stack.Finish();
    *width = run.width;
    *height = run.height;
    return run.stack.Fused();
}

bool RenderStackDepthMap(uint8_t* bgr) {
    if (!run.exists || run.thread || run.stack.Frames() == 0) return false;
    run.stack.RenderDepthMap(bgr);
    return true;
}

void DiscardStack() {
    StopStackWorker();
    run.stack.Clear();
    run.exists = false;
    run.fused = run.leftOut = run.quiet = 0;
}

StackPictureHold::StackPictureHold() {
    // The first frame makes the picture: until then the view shows the camera.
    if (!run.exists || run.fused == 0) return;
    AcquireSRWLockShared(&run.picture);
    pixels = run.stack.Fused();
}

StackPictureHold::~StackPictureHold() {
    if (pixels) ReleaseSRWLockShared(&run.picture);
}
