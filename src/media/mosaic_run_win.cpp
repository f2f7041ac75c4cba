// The live mosaic's worker (see mosaic_run_win.h). The worker looks for a newer frame every few
// milliseconds; locating a frame reads the mosaic without the lock (the worker is its only
// writer), laying it in holds the lock exclusively, and the window's reading holds it shared.
#include "media/mosaic_run_win.h"

#include <atomic>
#include <memory>
#include <new>
#include <string>  // before dshow.h (through capture_state_win.h), which retires what it uses
#include <vector>

#include "app/messages.h"
#include "frame/capture_state_win.h"

namespace {

constexpr DWORD kLookMs = 4;  // between looks for a newer frame

struct MosaicRun {
    HANDLE thread = nullptr;
    HANDLE stop = nullptr;              // manual-reset: set by the UI thread to end the worker
    HWND notify = nullptr;              // UI thread, before the worker starts
    std::unique_ptr<LiveMosaic> mosaic;  // worker thread while it runs; its canvas read under gLock
    std::vector<uint8_t> frame;         // worker thread: the frame being placed
    // Guarded by gLock (the worker writes, the UI thread reads and clears changed):
    MosaicStatus status;
    MosaicRect changed;
    std::atomic<bool> posted{false};   // a WMU_MOSAIC_STEP is waiting: set by the worker, cleared by the UI
};

SRWLOCK gLock = SRWLOCK_INIT;
MosaicRun* gRun = nullptr;  // UI thread: made at the start, freed at the end

void Notify(MosaicRun* run) {
    if (!run->posted.exchange(true)) PostMessageW(run->notify, WMU_MOSAIC_STEP, 0, 0);
}

// A status change that is not a placement (no camera, another size), told once.
void SetCondition(MosaicRun* run, bool noCamera, bool otherSize) {
    AcquireSRWLockExclusive(&gLock);
    const bool change = run->status.noCamera != noCamera || run->status.otherSize != otherSize;
    run->status.noCamera = noCamera;
    run->status.otherSize = otherSize;
    ReleaseSRWLockExclusive(&gLock);
    if (change) Notify(run);
}

DWORD WINAPI MosaicWorker(void* param) {
    auto* run = static_cast<MosaicRun*>(param);
    LiveMosaic& mosaic = *run->mosaic;
    const int w = mosaic.FrameWidth(), h = mosaic.FrameHeight();
    uint32_t seen = CaptureState.framesPublished.load() - 1;  // the frame shown now counts as new
    while (WaitForSingleObject(run->stop, kLookMs) == WAIT_TIMEOUT) {
        const uint32_t published = CaptureState.framesPublished.load();
        if (published == seen) continue;
        NewestFrame newest;
        const bool copied = CopyNewestFrame(run->frame.data(), run->frame.size(), &newest);
        seen = published;
        if (!copied || newest.width != w || newest.height != h) {
            // No camera, another size, or a copy overtaken by the camera (tried again next time).
            const bool camera = newest.width > 0;
            SetCondition(run, !camera, camera && (newest.width != w || newest.height != h));
            continue;
        }
        MosaicStep step = mosaic.Locate(run->frame.data(), size_t(w) * 3, newest.number);
        AcquireSRWLockExclusive(&gLock);
        mosaic.Place(run->frame.data(), size_t(w) * 3, &step);
        MosaicStatus& s = run->status;
        s.state = step.state;
        s.placed = mosaic.Placed();
        s.bounds = mosaic.Canvas().Bounds();
        s.fieldX = mosaic.FieldX();
        s.fieldY = mosaic.FieldY();
        s.noCamera = s.otherSize = false;
        s.shading = mosaic.Shading();
        if (step.placed) run->changed = run->changed.Empty() ? step.changed : Union(run->changed, step.changed);
        ReleaseSRWLockExclusive(&gLock);
        Notify(run);
    }
    return 0;
}

}  // namespace

bool StartMosaicRun(HWND notify) {
    if (gRun || CaptureState.width <= 0 || CaptureState.height <= 0 || !CaptureState.previewGrabber) return false;
    auto* run = new (std::nothrow) MosaicRun;
    if (!run) return false;
    run->notify = notify;
    try {
        run->mosaic = std::make_unique<LiveMosaic>();
        run->frame.resize(DisplayFrameBytes(CaptureState.width, CaptureState.height));
    } catch (const std::bad_alloc&) {
        delete run;
        return false;
    }
    if (!run->mosaic->Start(CaptureState.width, CaptureState.height)) {
        delete run;
        return false;
    }
    run->status.frameWidth = CaptureState.width;
    run->status.frameHeight = CaptureState.height;
    run->status.running = true;
    run->stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    run->thread = run->stop ? CreateThread(nullptr, 0, MosaicWorker, run, 0, nullptr) : nullptr;
    if (!run->thread) {
        if (run->stop) CloseHandle(run->stop);
        delete run;
        return false;
    }
    // Below the camera's thread and the windows: a busy worker skips frames, the picture stays smooth.
    SetThreadPriority(run->thread, THREAD_PRIORITY_BELOW_NORMAL);
    gRun = run;
    return true;
}

void StopMosaicRun() {
    if (!gRun || !gRun->thread) return;
    SetEvent(gRun->stop);
    WaitForSingleObject(gRun->thread, INFINITE);
    CloseHandle(gRun->thread);
    CloseHandle(gRun->stop);
    gRun->thread = gRun->stop = nullptr;
    AcquireSRWLockExclusive(&gLock);
    gRun->status.running = false;
    ReleaseSRWLockExclusive(&gLock);
}

void EndMosaicRun() {
    StopMosaicRun();
    delete gRun;
    gRun = nullptr;
}

bool MosaicRunExists() { return gRun != nullptr; }

MosaicStatus TakeMosaicStep(MosaicRect* changed) {
    *changed = {};
    if (!gRun) return {};
    gRun->posted = false;
    AcquireSRWLockExclusive(&gLock);
    const MosaicStatus status = gRun->status;
    *changed = gRun->changed;
    gRun->changed = {};
    ReleaseSRWLockExclusive(&gLock);
    return status;
}

MosaicReading::MosaicReading() { AcquireSRWLockShared(&gLock); }
MosaicReading::~MosaicReading() { ReleaseSRWLockShared(&gLock); }
const MosaicCanvas* MosaicReading::Canvas() const { return gRun ? &gRun->mosaic->Canvas() : nullptr; }
