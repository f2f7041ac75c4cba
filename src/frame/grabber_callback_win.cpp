// The preview and still callbacks: they run on the capture graph's streaming thread, convert
// into the frame ring or the still image, and only post or invalidate towards the UI thread.
#include "frame/grabber_callback_win.h"

#include <mmsystem.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "app/messages.h"
#include "frame/capture_state_win.h"
#include "frame/frame_effects.h"
#include "frame/frame_rate.h"
#include "frame/mjpg_decode.h"
#include "frame/perf_clock_win.h"
#include "frame/sample_convert.h"
#include "frame/signal_frame.h"
#include "frame/still_size.h"

PreviewGrabberCallback GrabberCallback;
StillGrabberCallback StillCallback;

namespace {

FrameRateMeter previewFrameRate;  // streaming thread; kept for the whole process

FrameEffects CurrentEffects() {
    FrameEffects fx;
    fx.flipHorizontal = CaptureState.flipHorizontal != 0;
    fx.gray = CaptureState.gray != 0;
    fx.binary = CaptureState.binary != 0;
    fx.invert = CaptureState.invert != 0;
    fx.emboss = CaptureState.emboss != 0;
    return fx;
}

// The open camera's software white balance, read once per frame.
ChannelGains CurrentGains() { return UnpackGains(CaptureState.channelGains.load(std::memory_order_relaxed)); }

// Adds the time from its making to its end to the frame path's time, whichever way the callback
// returns.
struct PathTimer {
    int64_t start = PerfNow();
    ~PathTimer() { CaptureState.counters.pathTicks.fetch_add(uint64_t(PerfNow() - start), std::memory_order_relaxed); }
};

// Appends a copy of the published frame (or of the camera's JPEG sample) to the recorder queue.
// Room is reserved in the queue's byte budget first, so a disk slower than the camera drops (and
// counts) frames instead of growing the queue without end. The copy is made outside the lock so that the writer thread is
// never held up by a frame-sized memcpy. Recording may stop (or pause) while the copy is made:
// the flags are read again under the lock, which is where a stop sets them, so no frame is
// queued after the stop.
void QueueFrameCopy(const uint8_t* frame, size_t bytes, CopyKind kind) {
    if (bytes == 0 || bytes > size_t(INT32_MAX)) return;
    CaptureStateData& cs = CaptureState;
    EnterCriticalSection(&cs.queueLock);
    const bool room = cs.recording != 0 && cs.paused == 0 && cs.queueBudget.Reserve(bytes);
    LeaveCriticalSection(&cs.queueLock);
    if (!room) return;
    bool pooled = false;
    uint8_t* copy = TakeCopyBuffer(bytes, &pooled);
    if (copy) std::memcpy(copy, frame, bytes);
    bool queued = false;
    EnterCriticalSection(&cs.queueLock);
    try {
        if (copy && cs.recording != 0 && cs.paused == 0) {
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            cs.recorderQueue.push_back(FrameCopy{copy, int32_t(bytes), kind, now.QuadPart - cs.pausedTicks, pooled});
            queued = true;
            if (cs.frameQueued) SetEvent(cs.frameQueued);
        }
    } catch (const std::bad_alloc&) {
    }
    if (!queued) {
        cs.queueBudget.Release(bytes);
        if (cs.recording != 0 && cs.paused == 0) ++cs.queueBudget.dropped;  // no memory for it
    }
    LeaveCriticalSection(&cs.queueLock);
    if (!queued) GiveBackCopyBuffer(copy, pooled);
}

}  // namespace

HRESULT GrabberCallbackBase::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ISampleGrabberCB)) {
        *object = static_cast<ISampleGrabberCB*>(this);  // static object: no reference is taken
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT PreviewGrabberCallback::BufferCB(double sampleTime, BYTE* buffer, long length) {
    CaptureStateData& cs = CaptureState;
    if (!cs.locksReady) return S_OK;
    const PathTimer timer;
    const size_t sampleBytes = buffer && length > 0 ? size_t(length) : 0;

    // 1. The camera's colour-bar frame is its zoom button: neither shown nor recorded.
    if (IsSignalFrame(buffer, sampleBytes)) {
        if (cs.viewWindow) PostMessageW(cs.viewWindow, WMU_ZOOM_BUTTON, 0, 0);
        return S_OK;
    }

    // 2. Frame rate; the frame's number among those received since the camera opened.
    const uint32_t sequence = cs.counters.received.fetch_add(1, std::memory_order_relaxed) + 1;
    float fps = cs.fps;
    if (UpdateFrameRate(previewFrameRate, timeGetTime(), fps)) cs.fps = fps;

    // 3, 4. Convert into the slot after the published one. A sample that cannot fill the frame
    // (short, undecodable, another size) is dropped: the view keeps the frame it shows, and
    // nothing stale or half-written is published or recorded.
    const SampleFormat format = SampleFormatOf(cs.subtype);
    if (format == SampleFormat::Other) return S_OK;
    const int32_t next = cs.currentSlot + 1 < 4 ? cs.currentSlot + 1 : 0;
    DisplayFrame* slot = cs.frameRing[next];
    if (!slot) return S_OK;
    const ChannelGains gains = CurrentGains();
    if (!ConvertSample(format, buffer, sampleBytes, cs.width, cs.height, slot, gains)) return S_OK;

    // 5. Effects in place (after the white balance the conversion applied).
    const FrameEffects effects = CurrentEffects();
    ApplyEffects(slot, cs.width, cs.height, effects);

    // 6. Publish, with who the frame is.
    cs.slotStamps[next] = {sequence, std::llround(sampleTime * 1e7), timer.start, PerfNow()};
    EnterCriticalSection(&cs.frameLock);
    cs.currentSlot = next;
    LeaveCriticalSection(&cs.frameLock);
    cs.framesPublished.fetch_add(1, std::memory_order_relaxed);

    // 7. Recorder copy: a compressed file of an unchanged MJPG picture takes the camera's JPEG
    // as it came (it decoded whole above), anything else the frame as the view shows it.
    if (cs.recording != 0 && cs.paused == 0) {
        const size_t jpegBytes = RecorderCopyKind(cs.compressedVideo != 0, format, effects, !gains.Neutral()) == CopyKind::CameraJpeg
                                     ? JpegDataLength(buffer, sampleBytes)
                                     : 0;
        if (jpegBytes)
            QueueFrameCopy(buffer, jpegBytes, CopyKind::CameraJpeg);
        else
            QueueFrameCopy(slot, DisplayFrameBytes(cs.width, cs.height), CopyKind::Frame);
    }

    // 8. Repaint on the UI thread. (Without a view there is nothing to repaint: a null window
    // would mean every window of the desktop.)
    if (cs.viewWindow) InvalidateRect(cs.viewWindow, nullptr, FALSE);
    return S_OK;
}

HRESULT StillGrabberCallback::BufferCB(double, BYTE* buffer, long length) {
    CaptureStateData& cs = CaptureState;
    if (!cs.locksReady) return S_OK;
    const size_t sampleBytes = buffer && length > 0 ? size_t(length) : 0;
    const SampleFormat format = SampleFormatOf(cs.subtype);
    // The still keeps its own size: many cameras deliver it larger than the preview.
    FrameSize size;
    const bool sized = StillFrameSize(format, buffer, sampleBytes, {cs.width, cs.height},
                                      {cs.stillPinWidth, cs.stillPinHeight}, &size);
    const size_t frameBytes = sized ? DisplayFrameBytes(size.width, size.height) : 0;
    char trace[64];
    std::snprintf(trace, sizeof trace, "StillCallback: %d %d\r\n", int(length), int(frameBytes > INT_MAX ? -1 : int(frameBytes)));
    OutputDebugStringA(trace);

    if (format == SampleFormat::Other || DisplayFrameBytes(cs.width, cs.height) == 0) {
        // No still image for this stream; the previous one is freed, not leaked.
        EnterCriticalSection(&cs.frameLock);
        uint8_t* old = cs.stillImage;
        cs.stillImage = nullptr;
        LeaveCriticalSection(&cs.frameLock);
        std::free(old);
        return S_OK;
    }
    // A still frame that cannot be read whole (short YUY2, unreadable or damaged JPEG) is not
    // handed on: saving it would save uninitialised memory. The last good still stays.
    if (frameBytes == 0) return S_OK;
    auto* image = static_cast<uint8_t*>(std::malloc(frameBytes));
    if (!image) return S_OK;
    if (!ConvertSample(format, buffer, sampleBytes, size.width, size.height, image, CurrentGains())) {
        std::free(image);
        return S_OK;
    }
    EnterCriticalSection(&cs.frameLock);
    uint8_t* old = cs.stillImage;
    cs.stillImage = image;
    cs.stillWidth = size.width;
    cs.stillHeight = size.height;
    LeaveCriticalSection(&cs.frameLock);
    std::free(old);  // a still image taken by the saver is not here: it is never freed under it
    if (cs.viewWindow) PostMessageW(cs.viewWindow, WMU_STILL_READY, 0, 0);
    return S_OK;
}
