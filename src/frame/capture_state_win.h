// CaptureState: the one process-wide record of the running capture, shared by the frame
// pipeline (streaming thread), the capture session and the view (UI thread) and the recorder
// (writer thread). Each field says which thread writes it and what guards it.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <qedit.h>
#include <vfw.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <vector>

#include "capture/camera_format.h"
#include "capture/camera_property.h"
#include "capture/format_catalogue.h"
#include "frame/channel_gains.h"
#include "frame/display_frame.h"
#include "frame/frame_counters.h"
#include "frame/queue_budget.h"
#include "frame/recorder_copy.h"
#include "frame/grabber_callback_win.h"  // GrabberCallback, StillCallback

// A frame copy for the recorder: a malloc'd DisplayFrame after effects, or the camera's JPEG
// sample for a compressed file (kind); whoever removes it from the queue frees it with free().
// stamp is the recording clock when the copy was queued: QueryPerformanceCounter ticks with the
// time spent paused taken off, so the writer places the frame at its time in the file.
struct FrameCopy {
    uint8_t* buffer;
    int32_t size;
    CopyKind kind = CopyKind::Frame;
    int64_t stamp = 0;
    bool pooled = false;  // the buffer holds CaptureState.spareBytes and may be used again
};

// The still image handed to the saver: pixels (malloc'd DisplayFrame) and their size.
struct StillImageData {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

struct CaptureStateData {
    // ---- Session graph (UI thread, while the graph is stopped) ----
    IMoniker* moniker = nullptr;
    ICaptureGraphBuilder2* graphBuilder = nullptr;
    IGraphBuilder* graph = nullptr;
    IMediaControl* mediaControl = nullptr;
    IMediaEventEx* mediaEvent = nullptr;
    IBaseFilter* source = nullptr;
    IBaseFilter* previewGrabberFilter = nullptr;
    IBaseFilter* stillGrabberFilter = nullptr;
    IBaseFilter* nullRenderer = nullptr;
    IBaseFilter* nullRenderer2 = nullptr;
    ISampleGrabber* previewGrabber = nullptr;  // non-null exactly while a camera is open
    ISampleGrabber* stillGrabber = nullptr;
    IPin* cameraOutPin = nullptr;
    IPin* stillPin = nullptr;
    IPin* grabberInPin = nullptr;
    IPin* grabberOutPin = nullptr;
    IPin* rendererInPin = nullptr;

    // ---- Format catalogue of the open device: yuy2Formats and mjpgFormats (UI thread) ----
    FormatCatalogue catalogue;

    // ---- Camera properties (UI thread): records by CameraPropertyIndex ----
    IAMCameraControl* cameraControl = nullptr;
    IAMVideoProcAmp* procAmp = nullptr;
    CameraProperty properties[kCameraPropertyCount];

    // ---- Frame ring ----
    // Buffers of width * height * 3 bytes: allocated and freed by the UI thread while no graph
    // runs; the streaming thread fills slot currentSlot + 1 (mod 4) and then publishes it.
    DisplayFrame* frameRing[4] = {};
    int32_t currentSlot = 0;       // written by the streaming thread under frameLock
    CRITICAL_SECTION frameLock;    // guards currentSlot and the still image hand-over
    bool locksReady = false;       // UI thread: InitCaptureState / DeleteCaptureLocks
    // Frames converted and published since the process started: written by the streaming
    // thread, read by the view to notice a camera that sends no usable picture.
    std::atomic<uint32_t> framesPublished{0};
    // Who the frame in each slot is: written by the streaming thread into the slot it fills,
    // before publishing it; read with currentSlot under frameLock.
    FrameStamp slotStamps[4];
    // Counts for the read-out and the trace (see frame_counters.h for who writes which); they
    // restart when a camera opens.
    FrameCounters counters;
    // The ring's buffers for readers on threads of their own (CopyNewestFrame): the UI thread
    // allocates and frees them holding ringLock exclusively, readers hold it shared while they
    // copy. ringWidth x ringHeight is the size the buffers were made for (0 x 0 while none are).
    // The streaming thread never takes it: the ring is made and freed only while no graph runs.
    SRWLOCK ringLock = SRWLOCK_INIT;
    int32_t ringWidth = 0;
    int32_t ringHeight = 0;

    // ---- Still image (streaming thread replaces it under frameLock; use Take/ReturnStillImage) ----
    uint8_t* stillImage = nullptr;
    int32_t stillWidth = 0;
    int32_t stillHeight = 0;
    // Size of the still pin's connected media type, 0 when unknown (UI thread, while the graph
    // is stopped): a YUY2 still says its size only this way.
    int32_t stillPinWidth = 0;
    int32_t stillPinHeight = 0;

    // ---- Effects: written by the preview section (UI thread), read per frame without a lock ----
    std::atomic<int32_t> flipHorizontal{0}, flipVertical{0}, gray{0}, binary{0}, invert{0}, emboss{0};
    // The open camera's software white balance (PackGains), applied before the effects: written
    // by the UI thread (camera settings), read once per frame without a lock; neutral while closed.
    std::atomic<uint64_t> channelGains{PackGains(ChannelGains{})};

    // ---- Running format (UI thread, while the graph is stopped) ----
    // Media subtype as its FOURCC, the first field of the subtype GUID (kSubtypeYuy2 or
    // kSubtypeMjpg); 0 when closed.
    uint32_t subtype = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t interpolated = 0;
    std::atomic<float> fps{30.0f};  // streaming thread; read by the recorder
    // The frame rate the camera's connection names (its AvgTimePerFrame), 0 when it names none
    // (UI thread, while the graph is stopped): the rate a recording's file is made with.
    float nominalFps = 0;

    HWND viewWindow = nullptr;  // UI thread, at the view's creation

    // ---- Recorder ----
    std::atomic<int32_t> recording{0}, paused{0};  // UI thread / recorder
    // 1 while the file being recorded is compressed ('MJPG'): the UI thread sets it when a file
    // opens, before recording; the streaming thread reads it to choose the copy it queues.
    std::atomic<int32_t> compressedVideo{0};
    wchar_t videoPath[260] = {};
    // Time spent paused in the current recording, taken off each copy's stamp, and when the pause
    // began (QueryPerformanceCounter ticks): written by the UI thread under queueLock, read by the
    // streaming thread under it.
    int64_t pausedTicks = 0;
    int64_t pausedSince = 0;
    std::deque<FrameCopy> recorderQueue;  // guarded by queueLock
    // Copy buffers the writer has given back, for the preview callback to fill again, so that a
    // recording allocates no frame-sized buffer per frame once it runs: guarded by queueLock.
    // Each holds spareBytes (the recording's frame size); the list never grows past the capacity
    // reserved at the start (kSpareCopies).
    std::vector<uint8_t*> spareCopies;
    size_t spareBytes = 0;
    QueueBudget queueBudget;              // bytes queued and frames dropped; guarded by queueLock
    CRITICAL_SECTION queueLock;
    HANDLE frameQueued = nullptr;     // manual-reset: set on each append, reset by the writer
    HANDLE writerFinished = nullptr;  // manual-reset: set by the writer when the file is closed
    // The fields below are set by the UI thread when a file opens, before its writer thread starts;
    // from then on the writer alone writes them until the UI thread has joined it (at a split the
    // writer sets them for the next file).
    int64_t frameDuration = 0;        // 100-ns units
    std::atomic<int64_t> mediaTime{0};     // writer thread; read by the record dialog
    std::atomic<int64_t> bytesWritten{0};  // writer thread; read by the record dialog
    int32_t frameIndex = 0;  // the next position in the file: frames and dropped-frame entries
    int32_t coverPosted = 0;
    // The file's AVIFile objects: made, written and released by the writer thread alone.
    PAVIFILE aviFile = nullptr;
    PAVISTREAM aviStream = nullptr;
    PAVISTREAM aviCompressedStream = nullptr;
    int64_t accumulatedTime = 0;  // record dialog
    // The recorder's own stop for a session teardown (UI thread; set by the recorder): it
    // finishes the writer before the session frees the events and the frames it uses.
    void (*finishRecorder)() = nullptr;
    // The focus stack's end for a session teardown (UI thread; set while a stack is being made):
    // its worker lets go of the frame ring before the session frees it.
    void (*finishStack)() = nullptr;
};

extern CaptureStateData CaptureState;

// Sets up the pipeline's locks and target window (the camera view's creation); fps is 30.
void InitCaptureState(HWND viewWindow);
// Deletes the two locks (the camera view's destruction, after the session is closed).
void DeleteCaptureLocks();

// Allocates the four ring buffers, zeroed (black), for CaptureState.width x height;
// currentSlot = 0. On failure nothing stays allocated and false is returned.
bool AllocateFrameRing();
// Frees the ring buffers; currentSlot = 0. Only while no graph runs.
void FreeFrameRing();

// The frame last published, or null when no camera is open. The pixels stay unchanged for
// three further frame periods; read them after this returns (the lock is already released).
// With stamp, also who that frame is.
DisplayFrame* GetCurrentFrame(FrameStamp* stamp = nullptr);

// The recorder's copy buffers. ResetCopyBuffers (UI thread, while nothing is recorded) frees the
// spare ones and keeps buffers of bytes from then on (0: none). TakeCopyBuffer (preview
// callback) gives a spare buffer when one fits, else a new one (null without memory);
// GiveBackCopyBuffer (whoever removed the copy from the queue) keeps it for the next frame or
// frees it.
constexpr size_t kSpareCopies = 64;
void ResetCopyBuffers(size_t bytes);
uint8_t* TakeCopyBuffer(size_t bytes, bool* pooled);
void GiveBackCopyBuffer(uint8_t* buffer, bool pooled);

// A copy of the frame last published, for a thread other than the UI thread (which may close the
// camera meanwhile). target must hold capacity bytes; false when no camera is open, the frame is
// larger than capacity, or the camera overwrote the frame while it was copied (a thread that
// was held up for three frame periods). width and height are the ring's frame size (0 x 0 when no
// camera is open) also when the copy fails; number, on success, is the count of frames published
// when the frame was taken.
struct NewestFrame {
    int32_t width = 0, height = 0;
    uint32_t number = 0;
};
bool CopyNewestFrame(uint8_t* target, size_t capacity, NewestFrame* frame);

// Maps a media subtype FOURCC to the pipeline's formats (anything but YUY2 and MJPG is Other).
SampleFormat SampleFormatOf(uint32_t subtype);

// Still image hand-over to the saver: Take moves the image out of CaptureState (null pixels
// when there is none), so a new still frame cannot free it while it is being saved; Return
// puts it back unless a newer still frame arrived meanwhile, in which case it is freed.
StillImageData TakeStillImage();
void ReturnStillImage(StillImageData image);
