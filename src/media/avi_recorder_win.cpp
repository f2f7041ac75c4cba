// The AVI recorder. The preview callback queues a copy of each frame (within the queue's byte
// budget); one writer thread per file takes the copies, turns them into bottom-up padded rows
// and appends them to one uncompressed 'vids' stream through AVIFile. With "Compress video" the
// stream is 'MJPG' instead: the writer passes the camera's JPEG samples through or encodes the
// frames itself, every frame a key frame. The UI thread starts and stops recordings; the writer
// only writes, counts and posts the cover request. A session teardown ends the recording first,
// so the writer never outlives the events and the queue it uses.
#include "media/avi_recorder_win.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <string>

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "media/jpeg_encoder.h"
#include "media/media_names.h"
#include "media/photo_commands_win.h"  // gSavePath, LocalMediaTime
#include "media/photo_paths.h"
#include "media/record_rules.h"
#include "media/save_folder_win.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"

namespace {

constexpr int kVideoToastY = 38;  // at 96 dpi, scaled with the main window's display scale
constexpr DWORD kCoverAfterMs = 500;
constexpr DWORD kWriterWaitMs = 30;

int VideoToastY() { return ScalePx(kVideoToastY, DpiOf(ShellState.mainWnd)); }

// The run of the current file, beside the fields CaptureState holds.
struct WriterRun {
    HANDLE thread = nullptr;  // UI thread: created at start, joined and cleared by the wait
    int width = 0;            // UI thread at start; read by the writer
    int height = 0;
    float fps = 0;            // UI thread at start
    bool compressed = false;  // UI thread at start: an 'MJPG' file
    JpegEncoder encoder;      // writer thread; freed when the writer ends
    bool announced = true;    // UI thread: the file has been reported
    SaveFolder folder;        // UI thread: where the next or current file goes
    std::wstring fileFolder;  // UI thread at start: the folder of the file, for its free space
    std::atomic<bool> writeFailed{false};   // writer thread
    std::atomic<int64_t> framesWritten{0};  // writer thread
};
WriterRun gRun;

RecorderTestHooks gHooks = {kSplitThresholdBytes, -1, 0};

// Totals over the finished files (UI thread, after each writer is joined).
int64_t gTotalWritten = 0, gTotalDropped = 0;
size_t gTotalPeak = 0;

FOURCC DibHandler() { return mmioFOURCC('D', 'I', 'B', ' '); }
FOURCC MjpgHandler() { return mmioFOURCC('M', 'J', 'P', 'G'); }

// Compressed files are written straight to their stream (their data is compressed already);
// uncompressed ones through the 'DIB ' compressed stream.
PAVISTREAM WriteStream() {
    return CaptureState.aviCompressedStream ? CaptureState.aviCompressedStream : CaptureState.aviStream;
}

// Removes the front copy, giving its bytes back to the budget; false when the queue is empty.
bool TakeFront(FrameCopy& copy) {
    CaptureStateData& cs = CaptureState;
    EnterCriticalSection(&cs.queueLock);
    const bool any = !cs.recorderQueue.empty();
    if (any) {
        copy = cs.recorderQueue.front();
        cs.recorderQueue.pop_front();
        cs.queueBudget.Release(size_t(copy.size));
        if (cs.recorderQueue.empty() && cs.frameQueued) ResetEvent(cs.frameQueued);
    }
    LeaveCriticalSection(&cs.queueLock);
    return any;
}

void CountDropped() {
    EnterCriticalSection(&CaptureState.queueLock);
    ++CaptureState.queueBudget.dropped;
    LeaveCriticalSection(&CaptureState.queueLock);
}

// The bytes of the sample to write for one copy: the copy itself, the encoder's buffer, or rows
// made into *owned (freed by the caller). False when the copy cannot be written (it is not a
// frame of this file, or there is no memory for it).
bool SampleOf(const FrameCopy& copy, const void** sample, size_t* bytes, uint8_t** owned) {
    const int w = gRun.width, h = gRun.height;
    const FrameWrite how = ChooseFrameWrite(gRun.compressed, copy.kind);
    if (how == FrameWrite::AsIs) {
        *sample = copy.buffer;
        *bytes = size_t(copy.size);
        return copy.size > 0;
    }
    if (how == FrameWrite::Drop || copy.size != int32_t(size_t(w) * h * 3)) return false;  // not a frame of this file
    if (how == FrameWrite::Encode) {
        const uint8_t* jpeg = nullptr;
        if (!gRun.encoder.Encode(copy.buffer, w, h, &jpeg, bytes)) return false;
        *sample = jpeg;
        return true;
    }
    *bytes = AviFrameBytes(w, h);
    *owned = static_cast<uint8_t*>(std::malloc(*bytes));
    if (!*owned) return false;
    CopyFrameBottomUp(copy.buffer, w, h, *owned);
    *sample = *owned;
    return true;
}

// Appends one frame copy to the file. After a failed write nothing more is written: the file
// ends with the last good frame and its index stays consistent.
bool WriteCopy(const FrameCopy& copy) {
    CaptureStateData& cs = CaptureState;
    if (gRun.writeFailed) return false;
    const void* sample = nullptr;
    size_t bytes = 0;
    uint8_t* owned = nullptr;
    if (!SampleOf(copy, &sample, &bytes, &owned) || bytes > size_t(LONG_MAX)) {
        // this frame is skipped; the user is told how many were
        std::free(owned);
        CountDropped();
        return false;
    }
    if (gHooks.writeDelayMs) Sleep(gHooks.writeDelayMs);
    LONG written = 0;
    HRESULT hr = E_FAIL;
    ULARGE_INTEGER freeBytes;
    const bool room = !GetDiskFreeSpaceExW(gRun.fileFolder.c_str(), &freeBytes, nullptr, nullptr) ||
                      HasRoomForFrame(freeBytes.QuadPart, bytes, cs.frameIndex);
    if (room && (gHooks.failWritesFromFrame < 0 || cs.frameIndex < gHooks.failWritesFromFrame))
        hr = AVIStreamWrite(WriteStream(), cs.frameIndex, 1, const_cast<void*>(sample), LONG(bytes), AVIIF_KEYFRAME,
                            nullptr, &written);
    std::free(owned);
    if (FAILED(hr)) {
        gRun.writeFailed = true;
        OutputDebugStringW(L"Video frame not written: the file ends here.\r\n");
        return false;
    }
    cs.frameIndex += 1;
    cs.bytesWritten += written;
    gRun.framesWritten += 1;
    return true;
}

void PostCoverRequest() {
    CaptureState.coverPosted = 1;
    HWND main = CaptureState.viewWindow ? GetParent(CaptureState.viewWindow) : nullptr;
    if (main) PostMessageW(main, WMU_VIDEO_COVER, 0, 0);
}

// Writes one copy and frees it; the media time grows by the frames actually in the file.
void WriteAndFree(FrameCopy copy, bool draining) {
    CaptureStateData& cs = CaptureState;
    if (draining && cs.coverPosted == 0) PostCoverRequest();
    const bool written = WriteCopy(copy);
    if (!draining && cs.coverPosted == 0 && cs.mediaTime / 10000 > kCoverAfterMs) PostCoverRequest();
    if (written) cs.mediaTime += cs.frameDuration;
    std::free(copy.buffer);
}

void ReleaseAviHandles() {
    CaptureStateData& cs = CaptureState;
    if (cs.aviCompressedStream) AVIStreamRelease(cs.aviCompressedStream);
    if (cs.aviStream) AVIStreamRelease(cs.aviStream);
    if (cs.aviFile) AVIFileRelease(cs.aviFile);
    cs.aviCompressedStream = nullptr;
    cs.aviStream = nullptr;
    cs.aviFile = nullptr;
}

DWORD WINAPI WriterThread(void*) {
    CaptureStateData& cs = CaptureState;
    FrameCopy copy;
    while (cs.recording == 1) {
        if (WaitForSingleObject(cs.frameQueued, kWriterWaitMs) != WAIT_OBJECT_0) continue;
        if (TakeFront(copy)) WriteAndFree(copy, false);
    }
    // Recording has ended, so nothing more is queued: write what is left, in order. (One copy
    // at a time under the lock, so the preview is not held up while the disk catches up.)
    while (TakeFront(copy)) WriteAndFree(copy, true);
    EnterCriticalSection(&cs.queueLock);
    ResetEvent(cs.frameQueued);
    LeaveCriticalSection(&cs.queueLock);
    gRun.encoder.Release();
    ReleaseAviHandles();
    SetEvent(cs.writerFinished);
    return 0;
}

// Joins the writer once it has set the finished event. With dispatch, every other wake-up
// handles one message of this thread, so the posted cover request and repaints are served
// during the wait. A nested wait (a message handled here that ends the recording too) may
// join the writer first; the outer wait then simply ends.
void WaitForWriter(bool dispatch) {
    CaptureStateData& cs = CaptureState;
    while (gRun.thread) {
        HANDLE finished = cs.writerFinished;
        // MWMO_INPUTAVAILABLE: messages already in the queue wake the wait too, not only new ones.
        DWORD r = dispatch ? MsgWaitForMultipleObjectsEx(1, &finished, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE)
                           : WaitForSingleObject(finished, INFINITE);
        if (r == WAIT_OBJECT_0) {
            ResetEvent(finished);
            WaitForSingleObject(gRun.thread, INFINITE);
            CloseHandle(gRun.thread);
            gRun.thread = nullptr;
            const RecorderStatus last = GetRecorderStatus();
            gTotalWritten += last.framesWritten;
            gTotalDropped += last.dropped;
            gTotalPeak = std::max(gTotalPeak, last.peakQueuedBytes);
            break;
        }
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {  // keep it for the message loop; stop dispatching
                PostQuitMessage(int(msg.wParam));
                dispatch = false;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// Ends queueing: under the lock, so no frame is queued after the flag is down.
void ClearRecordingFlag() {
    CaptureStateData& cs = CaptureState;
    EnterCriticalSection(&cs.queueLock);
    cs.recording = 0;
    LeaveCriticalSection(&cs.queueLock);
}

// The failure of a start is the user's loss: they are told the file could not be made.
void ShowNotCreated() {
    if (!ShellState.mainWnd) return;
    const std::wstring where = CaptureState.videoPath[0] ? std::wstring(CaptureState.videoPath) : gRun.folder.path;
    ShowPrompt(ShellState.mainWnd, TextWithPath(GetText("rec not created"), where).c_str(), 0, VideoToastY());
}

bool OpenVideoFile(float fps, bool compressed) {
    CaptureStateData& cs = CaptureState;
    const int w = cs.width, h = cs.height;
    const DWORD frameBytes = DWORD(AviFrameBytes(w, h));
    static bool aviFileReady = false;
    if (!aviFileReady) {
        AVIFileInit();  // kept for the whole run
        aviFileReady = true;
    }
    if (AVIFileOpenW(&cs.aviFile, cs.videoPath, OF_WRITE | OF_CREATE, nullptr) != AVIERR_OK) {
        cs.aviFile = nullptr;
        return false;
    }
    AVISTREAMINFOW info = {};
    info.fccType = streamtypeVIDEO;
    info.fccHandler = compressed ? MjpgHandler() : DibHandler();
    info.dwScale = kAviRateScale;
    info.dwRate = AviStreamRate(fps);
    info.dwSuggestedBufferSize = frameBytes;
    info.dwQuality = DWORD(-1);
    SetRect(&info.rcFrame, 0, 0, w, h);
    lstrcpynW(info.szName, L"Plexor 1.4", int(std::size(info.szName)));
    if (AVIFileCreateStreamW(cs.aviFile, &cs.aviStream, &info) != AVIERR_OK) cs.aviStream = nullptr;

    AVICOMPRESSOPTIONS options = {};
    options.fccType = streamtypeVIDEO;
    options.fccHandler = DibHandler();
    options.dwKeyFrameEvery = 15;
    options.dwQuality = DWORD(-1);
    options.dwFlags = AVICOMPRESSF_KEYFRAMES | AVICOMPRESSF_VALID;
    BITMAPINFOHEADER format = {};
    format.biSize = sizeof(format);
    format.biWidth = w;
    format.biHeight = h;  // positive: bottom-up rows (a JPEG image is top-down whatever it says)
    format.biPlanes = 1;
    format.biBitCount = 24;
    format.biCompression = compressed ? MjpgHandler() : BI_RGB;
    format.biSizeImage = frameBytes;
    // Without a stream to write to there is no recording: the start fails rather than writing
    // nothing for as long as the user records. A compressed file's frames are JPEG images
    // already: no compressor stands between them and the stream.
    bool ready = cs.aviStream != nullptr;
    if (ready && !compressed)
        ready = AVIMakeCompressedStream(&cs.aviCompressedStream, cs.aviStream, &options, nullptr) == AVIERR_OK;
    if (ready) ready = AVIStreamSetFormat(WriteStream(), 0, &format, sizeof(format)) == AVIERR_OK;
    if (!ready) {
        ReleaseAviHandles();
        DeleteFileW(cs.videoPath);
        return false;
    }
    return true;
}

}  // namespace

void MakeVideoPath() {
    // As photos: the image folder, or the default folder when the image folder cannot be used.
    gRun.folder = UsableSaveFolder();
    std::wstring path;
    if (!gRun.folder.path.empty())
        path = MakeFreeMediaPath(gRun.folder.path, LocalMediaTime(), L"avi", [](const std::wstring& p) {
            return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES;
        });
    // A name that does not fit the buffer is no name: the start then fails and says so.
    if (path.size() >= std::size(CaptureState.videoPath)) path.clear();
    lstrcpynW(CaptureState.videoPath, path.c_str(), int(std::size(CaptureState.videoPath)));
}

bool StartRecording() {
    CaptureStateData& cs = CaptureState;
    if (gRun.thread) {  // never two writers
        StopRecording();
        AnnounceVideo();
    }
    const size_t copyBytes = size_t(cs.width) * size_t(cs.height) * 3;
    if (!IsDeviceOpen() || !cs.locksReady || !cs.frameQueued || !cs.writerFinished || copyBytes == 0 ||
        copyBytes > size_t(INT32_MAX) || cs.videoPath[0] == 0)
        return false;
    const float fps = cs.fps;
    const bool compressed = AppSettings.compressVideo == 1;
    if (!OpenVideoFile(fps, compressed)) return false;
    cs.frameDuration = FrameDuration(fps);
    gRun.width = cs.width;
    gRun.height = cs.height;
    gRun.fps = fps;
    gRun.compressed = compressed;
    gRun.fileFolder = cs.videoPath;
    gRun.fileFolder.erase(std::min(gRun.fileFolder.size(), gRun.fileFolder.find_last_of(L'\\') + 1));
    gRun.writeFailed = false;
    gRun.framesWritten = 0;

    EnterCriticalSection(&cs.queueLock);
    for (FrameCopy& c : cs.recorderQueue) std::free(c.buffer);
    cs.recorderQueue.clear();
    cs.queueBudget.Reset(RecorderQueueBound(copyBytes, fps));
    ResetEvent(cs.frameQueued);
    LeaveCriticalSection(&cs.queueLock);
    ResetEvent(cs.writerFinished);

    cs.mediaTime = 0;
    cs.coverPosted = 0;
    cs.frameIndex = 0;
    cs.bytesWritten = 0;
    cs.paused = 0;
    cs.compressedVideo = compressed ? 1 : 0;
    cs.recording = 1;
    gRun.announced = false;
    cs.finishRecorder = FinishRecordingForTeardown;
    gRun.thread = CreateThread(nullptr, 0, WriterThread, nullptr, 0, nullptr);
    if (!gRun.thread) {
        cs.recording = 0;
        ReleaseAviHandles();
        DeleteFileW(cs.videoPath);
        gRun.announced = true;
        return false;
    }
    return true;
}

void StopRecording() {
    if (!gRun.thread) return;
    ClearRecordingFlag();
    WaitForWriter(true);
}

void AnnounceVideo() {
    if (gRun.announced) return;
    gRun.announced = true;
    const RecorderStatus status = GetRecorderStatus();
    const std::wstring path = CaptureState.videoPath;
    gSavePath = path;
    AddRecentFile(path);
    SaveSettings();
    if (ShellState.panel) PostMessageW(ShellState.panel, WMU_FILE_ADDED, WPARAM(gRecentFiles.size() - 1), 0);
    // Not while the main window is being destroyed (it is hidden first): no toast is made then.
    if (ShellState.mainWnd && IsWindowVisible(ShellState.mainWnd)) {
        const int64_t keptMs = int64_t(status.framesWritten) * CaptureState.frameDuration / 10000;
        const std::wstring saved = gRun.folder.fallback ? TextWithPath(GetText("saved elsewhere"), path)
                                                        : TextWithPath(L"File saved: %s", path);
        std::wstring text = VideoSavedText(saved, status.dropped, GetText("rec dropped"), status.writeFailed, keptMs,
                                           GetText("rec write failed"));
        ShowPrompt(ShellState.mainWnd, text.c_str(), 0, VideoToastY());
    }
}

void SplitRecording() {
    CaptureStateData& cs = CaptureState;
    if (cs.recording == 1) {
        // The stop writes out what is still queued, so the file's time is final only after it;
        // the clock goes on reading accumulated + media time meanwhile and never jumps.
        StopRecording();
        AnnounceVideo();
        cs.accumulatedTime += cs.mediaTime;
        cs.mediaTime = 0;
    }
    MakeVideoPath();
    if (!StartRecording()) ShowNotCreated();
}

void FinishRecordingForTeardown() {
    if (!gRun.thread) return;
    ClearRecordingFlag();
    // The writer waits for nothing on this thread, so a plain wait cannot deadlock, and no
    // message of this thread runs in the middle of the teardown.
    WaitForWriter(false);
    AnnounceVideo();
}

RecorderStatus GetRecorderStatus() {
    RecorderStatus s = {};
    s.writerRunning = gRun.thread != nullptr;
    s.writeFailed = gRun.writeFailed;
    s.framesWritten = gRun.framesWritten;
    s.fps = gRun.fps;
    s.totalWritten = gTotalWritten;
    s.totalDropped = gTotalDropped;
    s.totalPeakQueuedBytes = gTotalPeak;
    if (CaptureState.locksReady) {
        EnterCriticalSection(&CaptureState.queueLock);
        s.dropped = CaptureState.queueBudget.dropped;
        s.peakQueuedBytes = CaptureState.queueBudget.peak;
        LeaveCriticalSection(&CaptureState.queueLock);
    }
    return s;
}

RecorderTestHooks& RecorderHooks() { return gHooks; }

void ShowRecordingNotCreated() { ShowNotCreated(); }
