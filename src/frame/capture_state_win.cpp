// The CaptureState instance, the frame ring and the still image hand-over.
#include "frame/capture_state_win.h"

#include <cstdlib>
#include <cstring>

CaptureStateData CaptureState;

void InitCaptureState(HWND viewWindow) {
    if (!CaptureState.locksReady) {
        InitializeCriticalSection(&CaptureState.frameLock);
        InitializeCriticalSection(&CaptureState.queueLock);
        CaptureState.locksReady = true;
    }
    CaptureState.viewWindow = viewWindow;
    CaptureState.fps = 30.0f;
}

void DeleteCaptureLocks() {
    if (!CaptureState.locksReady) return;
    DeleteCriticalSection(&CaptureState.frameLock);
    DeleteCriticalSection(&CaptureState.queueLock);
    CaptureState.locksReady = false;
}

namespace {

void FreeRingBuffers() {
    for (auto& slot : CaptureState.frameRing) {
        std::free(slot);
        slot = nullptr;
    }
    CaptureState.currentSlot = 0;
    for (FrameStamp& s : CaptureState.slotStamps) s = FrameStamp{};
    CaptureState.ringWidth = CaptureState.ringHeight = 0;
}

}  // namespace

bool AllocateFrameRing() {
    AcquireSRWLockExclusive(&CaptureState.ringLock);
    FreeRingBuffers();
    const size_t bytes = DisplayFrameBytes(CaptureState.width, CaptureState.height);
    bool made = bytes != 0;
    for (auto& slot : CaptureState.frameRing) {
        if (!made) break;
        // Zeroed: the view shows slot 0 from the start, so until the first frame arrives it
        // shows black rather than whatever the memory held (often an earlier session's frame).
        slot = static_cast<DisplayFrame*>(std::calloc(bytes, 1));
        made = slot != nullptr;
    }
    if (made) {
        CaptureState.ringWidth = CaptureState.width;
        CaptureState.ringHeight = CaptureState.height;
    } else {
        FreeRingBuffers();
    }
    ReleaseSRWLockExclusive(&CaptureState.ringLock);
    return made;
}

void FreeFrameRing() {
    AcquireSRWLockExclusive(&CaptureState.ringLock);
    FreeRingBuffers();
    ReleaseSRWLockExclusive(&CaptureState.ringLock);
}

bool CopyNewestFrame(uint8_t* target, size_t capacity, NewestFrame* frame) {
    CaptureStateData& cs = CaptureState;
    if (!cs.locksReady) return false;
    AcquireSRWLockShared(&cs.ringLock);
    bool copied = false;
    frame->width = cs.ringWidth;
    frame->height = cs.ringHeight;
    const size_t bytes = DisplayFrameBytes(cs.ringWidth, cs.ringHeight);
    if (bytes != 0 && bytes <= capacity) {
        // The slot published when the count read first was (or one newer): the streaming thread
        // starts refilling it only after three more frames are published.
        const uint32_t before = cs.framesPublished.load();
        EnterCriticalSection(&cs.frameLock);
        const int32_t slot = cs.currentSlot;
        LeaveCriticalSection(&cs.frameLock);
        const DisplayFrame* source = slot >= 0 && slot < 4 ? cs.frameRing[slot] : nullptr;
        if (source) {
            std::memcpy(target, source, bytes);
            copied = cs.framesPublished.load() - before <= 2;
            frame->number = before;
        }
    }
    ReleaseSRWLockShared(&cs.ringLock);
    return copied;
}

DisplayFrame* GetCurrentFrame(FrameStamp* stamp) {
    if (!CaptureState.previewGrabber || !CaptureState.locksReady) return nullptr;
    EnterCriticalSection(&CaptureState.frameLock);
    const int32_t slot = CaptureState.currentSlot;
    if (stamp) *stamp = slot >= 0 && slot < 4 ? CaptureState.slotStamps[slot] : FrameStamp{};
    LeaveCriticalSection(&CaptureState.frameLock);
    return slot >= 0 && slot < 4 ? CaptureState.frameRing[slot] : nullptr;
}

SampleFormat SampleFormatOf(uint32_t subtype) {
    if (subtype == kSubtypeYuy2) return SampleFormat::Yuy2;
    if (subtype == kSubtypeMjpg) return SampleFormat::Mjpg;
    return SampleFormat::Other;
}

StillImageData TakeStillImage() {
    StillImageData image;
    if (!CaptureState.locksReady) return image;
    EnterCriticalSection(&CaptureState.frameLock);
    image.pixels = CaptureState.stillImage;
    image.width = CaptureState.stillWidth;
    image.height = CaptureState.stillHeight;
    CaptureState.stillImage = nullptr;
    LeaveCriticalSection(&CaptureState.frameLock);
    return image;
}

void ReturnStillImage(StillImageData image) {
    if (!image.pixels) return;
    if (!CaptureState.locksReady) {
        std::free(image.pixels);
        return;
    }
    EnterCriticalSection(&CaptureState.frameLock);
    const bool keep = CaptureState.stillImage == nullptr;
    if (keep) {
        CaptureState.stillImage = image.pixels;
        CaptureState.stillWidth = image.width;
        CaptureState.stillHeight = image.height;
    }
    LeaveCriticalSection(&CaptureState.frameLock);
    if (!keep) std::free(image.pixels);
}

void ResetCopyBuffers(size_t bytes) {
    CaptureStateData& cs = CaptureState;
    if (!cs.locksReady) return;
    EnterCriticalSection(&cs.queueLock);
    for (uint8_t* b : cs.spareCopies) std::free(b);
    cs.spareCopies.clear();
    cs.spareBytes = bytes;
    LeaveCriticalSection(&cs.queueLock);
    try {
        cs.spareCopies.reserve(bytes ? kSpareCopies : 0);  // before recording: nobody else touches it
    } catch (const std::bad_alloc&) {
    }
}

uint8_t* TakeCopyBuffer(size_t bytes, bool* pooled) {
    CaptureStateData& cs = CaptureState;
    uint8_t* buffer = nullptr;
    EnterCriticalSection(&cs.queueLock);
    const size_t spareBytes = cs.spareBytes;
    if (bytes <= spareBytes && !cs.spareCopies.empty()) {
        buffer = cs.spareCopies.back();
        cs.spareCopies.pop_back();
    }
    LeaveCriticalSection(&cs.queueLock);
    *pooled = bytes <= spareBytes;
    // Only while the spare buffers are fewer than the frames in flight (the first second of a
    // recording): a new buffer, allocated outside the lock.
    if (!buffer) buffer = static_cast<uint8_t*>(std::malloc(*pooled ? spareBytes : bytes));
    return buffer;
}

void GiveBackCopyBuffer(uint8_t* buffer, bool pooled) {
    if (!buffer) return;
    CaptureStateData& cs = CaptureState;
    bool kept = false;
    if (pooled && cs.locksReady) {
        EnterCriticalSection(&cs.queueLock);
        kept = cs.spareCopies.size() < cs.spareCopies.capacity();
        if (kept) cs.spareCopies.push_back(buffer);  // within the capacity: no allocation
        LeaveCriticalSection(&cs.queueLock);
    }
    if (!kept) std::free(buffer);
}
