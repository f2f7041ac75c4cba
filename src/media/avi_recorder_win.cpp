// The AVI recorder. The preview callback queues a copy of each frame (within the queue's byte
// budget), stamped with the time it was taken; one writer thread per recording takes the copies,
// turns them into bottom-up padded rows and appends them to one uncompressed 'vids' stream
// through AVIFile. With "Compress video" the stream is 'MJPG' instead: the writer passes the
// camera's JPEG samples through or encodes the frames itself, every frame a key frame. Each frame
// goes to the position its time falls on; positions no frame reached are empty entries, so the
// video keeps the length of the recording when frames go missing.
// The writer thread makes, writes and releases every AVIFile object (COM objects of its own
// apartment) and keeps a journal beside each open file, so a recording cut short can be rebuilt.
// The UI thread starts and stops recordings and names the files; a split hands the writer the
// next name while the preview goes on queueing: the writer opens the next file and goes on in it
// between two frames, so no frame falls between the files. A session teardown ends the
// recording first, so the writer never outlives the events and the queue it uses.
#include "media/avi_recorder_win.h"

#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/display_scale.h"
#include "app/dpi_win.h"
#include "app/messages.h"
#include "app/prompt_win.h"
#include "app/shell_state_win.h"
#include "capture/capture_session_win.h"
#include "frame/capture_state_win.h"
#include "media/avi_file_win.h"
#include "media/jpeg_encoder.h"
#include "media/media_names.h"
#include "media/photo_commands_win.h"  // gSavePath, LocalMediaTime
#include "media/photo_paths.h"
#include "media/record_rules.h"
#include "media/record_timeline.h"
#include "media/recording_journal.h"
#include "media/save_folder_win.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/text_table.h"
#include "view/measure_table.h"  // Utf8

namespace {

constexpr int kVideoToastY = 38;  // at 96 dpi, scaled with the main window's display scale
constexpr DWORD kCoverAfterMs = 500;
constexpr DWORD kWriterWaitMs = 30;

int VideoToastY() { return ScalePx(kVideoToastY, DpiOf(ShellState.mainWnd)); }

int64_t ClockNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t ClockFrequency() {
    LARGE_INTEGER f;
    return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : 1000;
}

// The run of the current recording, beside the fields CaptureState holds.
struct WriterRun {
    HANDLE thread = nullptr;  // UI thread: created at start, joined and cleared by the wait
    int width = 0;            // UI thread at start; read by the writer (the same for every file)
    int height = 0;
    float fps = 0;            // UI thread at start and when it takes over a split's next file
    bool compressed = false;  // UI thread at start: 'MJPG' files
    JpegEncoder encoder;      // writer thread; freed when the writer ends
    bool announced = true;    // UI thread: the file has been reported
    SaveFolder folder;        // UI thread: where the current file went
    // The first file, for the writer to open: UI thread before the writer starts. Whether it
    // opened: the writer, before it sets `opened`.
    AviLayout first;
    HANDLE opened = nullptr;  // manual-reset; made once, kept for the process
    bool openSucceeded = false;
    // The folder of the file, for its free space, its path and journal, its number in the
    // recording (the cover request names it) and its timeline: writer thread (and the UI thread
    // before the writer starts).
    std::wstring fileFolder;
    std::wstring filePath;
    int fileNumber = 0;
    RecordTimeline timeline;
    // The recording clock when the user stopped (the file's time runs up to it, so frames lost at
    // the end shorten nothing), 0 when the recording ended without the user (the camera went):
    // UI thread under queueLock, before `recording` goes down; the writer reads it after.
    int64_t stopStamp = 0;
    std::atomic<bool> writeFailed{false};   // writer thread
    std::atomic<int64_t> framesWritten{0};  // writer thread
};
WriterRun gRun;

// A split: the UI thread names the next file and hands it over (Handed); the writer, between two
// frames, opens it, closes the current file, keeps its figures in `finished` and goes on in the
// next one (Done); or it cannot open it and goes on in the current file (Failed); or the
// recording ends before that (Cancelled). The UI thread takes the outcome (None again). The state
// is guarded by queueLock; whoever the state names owns `next` and `finished`.
enum class SwitchState { None, Handed, Done, Failed, Cancelled };
struct NextFile {
    AviLayout layout;
    SaveFolder folder;
    int number = 0;
};
struct FinishedFile {
    int64_t framesWritten = 0, dropped = 0, mediaTime = 0, frameDuration = 0;
    bool writeFailed = false;
    size_t peakQueuedBytes = 0;
};
struct FileSwitch {
    SwitchState state = SwitchState::None;
    NextFile next;
    FinishedFile finished;
    HANDLE given = nullptr;  // manual-reset: the writer has left Handed; made once, kept for the run
};
FileSwitch gSwitch;

// The paths of the files of the running (or last) recording by number, for their cover
// pictures (UI thread).
std::vector<std::wstring> gRecordingFiles;

RecorderTestHooks gHooks = {kSplitThresholdBytes, -1, 0};

// Long-running scripts (scripts/soak) set two variables; nobody else does:
//   VARDELO_SPLIT_BYTES  recordings split after this many bytes instead of near the file limit
//   VARDELO_RECORD_LOG   a line is appended for each finished file: its path, its number in the
//                        recording (0 the first), frames written, frames not kept and 1 when a
//                        write failed (else 0), tab-separated, UTF-8
std::wstring gRecordLog;  // UI thread; read once at the first recording

void ReadScriptVariables() {
    static bool read = false;
    if (read) return;
    read = true;
    if (const wchar_t* split = _wgetenv(L"VARDELO_SPLIT_BYTES")) {
        const long long bytes = _wtoi64(split);
        if (bytes > 0 && bytes < gHooks.splitThreshold) gHooks.splitThreshold = bytes;
    }
    if (const wchar_t* log = _wgetenv(L"VARDELO_RECORD_LOG")) gRecordLog = log;
}

// Totals over the finished files (UI thread, after each writer is joined).
int64_t gTotalWritten = 0, gTotalDropped = 0;
size_t gTotalPeak = 0;

// ---- Files (writer thread) ----

AviHandles CurrentAvi() {
    const CaptureStateData& cs = CaptureState;
    return {cs.aviFile, cs.aviStream, cs.aviCompressedStream};
}

void SetCurrentAvi(const AviHandles& avi) {
    CaptureStateData& cs = CaptureState;
    cs.aviFile = avi.file;
    cs.aviStream = avi.stream;
    cs.aviCompressedStream = avi.compressed;
}

// Closes the current file (its headers and index are written) and removes its journal; a file
// that holds no frame is removed too.
void CloseCurrentFile() {
    AviHandles avi = CurrentAvi();
    FinishAviFile(avi, gRun.filePath, gRun.framesWritten == 0);
    SetCurrentAvi(avi);
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

// Makes the opened file the current one: its counters start at 0 and its timeline follows the
// earlier file's (when there was one), so the time between two files is kept.
void BeginFile(const AviLayout& layout, const AviHandles& avi, int number, bool continues) {
    CaptureStateData& cs = CaptureState;
    SetCurrentAvi(avi);
    gRun.filePath = layout.path;
    gRun.fileFolder = FolderOf(layout.path);
    gRun.fileNumber = number;
    const uint32_t rate = AviStreamRate(layout.fps);
    gRun.timeline = continues ? ContinueTimeline(gRun.timeline, rate, kAviRateScale)
                              : MakeTimeline(ClockFrequency(), rate, kAviRateScale);
    cs.frameDuration = FrameDuration(layout.fps);
    cs.frameIndex = 0;
    cs.coverPosted = 0;
    cs.bytesWritten = 0;
    cs.mediaTime = 0;
    gRun.framesWritten = 0;
    gRun.writeFailed = false;
}

// ---- Frames (writer thread) ----

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

// Writes the entry at the file's next position: a frame, or with no bytes an empty entry that
// players show as the frame before. False, with nothing more to be written to this file, when
// the write fails.
bool WriteEntry(const void* sample, size_t bytes) {
    CaptureStateData& cs = CaptureState;
    LONG written = 0;
    const bool ok = (gHooks.failWritesFromFrame < 0 || gRun.framesWritten < gHooks.failWritesFromFrame) &&
                    WriteAviEntry(CurrentAvi(), cs.frameIndex, sample, bytes, &written);
    if (!ok) {
        gRun.writeFailed = true;
        OutputDebugStringW(L"Video frame not written: the file ends here.\r\n");
        return false;
    }
    cs.frameIndex += 1;
    cs.bytesWritten += written;
    cs.mediaTime = int64_t(cs.frameIndex) * cs.frameDuration;
    return true;
}

enum class WriteResult { Written, Skipped, Full };

// Appends one frame copy to the file at the position of its time, after empty entries for the
// positions no frame reached. After a failed write nothing more is written: the file ends with
// the last good frame and its index stays consistent. A frame the file has no room for
// (AVIFile's 2 GiB) is not written into it: Full when it may wait for the next file, else
// skipped and counted.
WriteResult WriteCopy(const FrameCopy& copy, bool mayWait) {
    CaptureStateData& cs = CaptureState;
    if (gRun.writeFailed) return WriteResult::Skipped;
    const void* sample = nullptr;
    size_t bytes = 0;
    uint8_t* owned = nullptr;
    const bool ready = SampleOf(copy, &sample, &bytes, &owned) && bytes <= size_t(LONG_MAX);
    RecordTimeline timeline = gRun.timeline;
    timeline.next = cs.frameIndex;
    const int64_t position = std::min<int64_t>(timeline.Place(copy.stamp), INT32_MAX - 1);
    const int64_t entries = position + 1;  // in the file once this frame is in it
    const bool fits = ready && FrameFitsAviFile(cs.bytesWritten, entries - 1, bytes, gHooks.fileLimitBytes);
    if (!fits) {
        std::free(owned);
        if (ready && mayWait) return WriteResult::Full;
        CountDropped();  // this frame is skipped; the user is told how many were
        return WriteResult::Skipped;
    }
    if (gHooks.writeDelayMs) Sleep(gHooks.writeDelayMs);
    ULARGE_INTEGER freeBytes;
    const bool room = !GetDiskFreeSpaceExW(gRun.fileFolder.c_str(), &freeBytes, nullptr, nullptr) ||
                      HasRoomForFrame(freeBytes.QuadPart, bytes, entries - 1);
    bool ok = room;
    while (ok && cs.frameIndex < position) ok = WriteEntry(nullptr, 0);
    if (ok) ok = WriteEntry(sample, bytes);
    std::free(owned);
    gRun.timeline = timeline;
    gRun.timeline.next = cs.frameIndex;
    if (!ok) {
        gRun.writeFailed = true;
        return WriteResult::Skipped;
    }
    gRun.framesWritten += 1;
    return WriteResult::Written;
}

// At the stop: the file's time runs on to the moment of the stop, in empty entries, so that frames
// the queue could not keep at the end do not make the video shorter than the recording.
void KeepTimeUntil(int64_t stopStamp) {
    CaptureStateData& cs = CaptureState;
    if (stopStamp == 0 || !gRun.timeline.started || gRun.writeFailed) return;
    RecordTimeline timeline = gRun.timeline;
    timeline.next = cs.frameIndex;
    const int64_t end = std::min<int64_t>(timeline.Place(stopStamp), INT32_MAX - 1);
    while (cs.frameIndex < end && FrameFitsAviFile(cs.bytesWritten, cs.frameIndex, 0, gHooks.fileLimitBytes) &&
           WriteEntry(nullptr, 0)) {
    }
    gRun.timeline.next = cs.frameIndex;
}

void PostCoverRequest() {
    CaptureState.coverPosted = 1;
    HWND main = CaptureState.viewWindow ? GetParent(CaptureState.viewWindow) : nullptr;
    if (main) PostMessageW(main, WMU_VIDEO_COVER, WPARAM(gRun.fileNumber), 0);
}

// Writes one copy and frees it. The cover of a file is asked for once it holds half a second of
// video, or, at the stop, once it holds a frame at all. While recording, a copy the file has no
// room for is kept (false): it waits for the next file.
bool WriteAndFree(FrameCopy copy, bool draining) {
    CaptureStateData& cs = CaptureState;
    const WriteResult result = WriteCopy(copy, !draining);
    if (result == WriteResult::Full) return false;
    if (result == WriteResult::Written && cs.coverPosted == 0 && (draining || cs.mediaTime / 10000 > kCoverAfterMs))
        PostCoverRequest();
    GiveBackCopyBuffer(copy.buffer, copy.pooled);
    return true;
}

SwitchState CurrentSwitchState() {
    EnterCriticalSection(&CaptureState.queueLock);
    const SwitchState state = gSwitch.state;
    LeaveCriticalSection(&CaptureState.queueLock);
    return state;
}

void GiveSwitch(SwitchState outcome) {
    EnterCriticalSection(&CaptureState.queueLock);
    gSwitch.state = outcome;
    SetEvent(gSwitch.given);
    LeaveCriticalSection(&CaptureState.queueLock);
}

// Writer thread, between two frames: the next file is opened; the current one is then finished
// (its cover requested if it had none yet, as a stop would) and the next one takes its place;
// every frame still queued goes into the next file. Frames not kept so far count for the
// finished file. When the next file cannot be opened the writer stays in the current one.
void SwitchFile() {
    CaptureStateData& cs = CaptureState;
    const NextFile& next = gSwitch.next;
    AviHandles avi;
    if (!OpenAviFile(next.layout, &avi)) {
        GiveSwitch(SwitchState::Failed);
        return;
    }
    if (cs.coverPosted == 0 && gRun.framesWritten > 0) PostCoverRequest();
    FinishedFile& f = gSwitch.finished;
    f.framesWritten = gRun.framesWritten;
    f.writeFailed = gRun.writeFailed;
    f.mediaTime = cs.mediaTime;
    f.frameDuration = cs.frameDuration;
    EnterCriticalSection(&cs.queueLock);
    f.dropped = cs.queueBudget.dropped;
    f.peakQueuedBytes = cs.queueBudget.peak;
    cs.queueBudget.dropped = 0;
    cs.queueBudget.peak = cs.queueBudget.queued;
    LeaveCriticalSection(&cs.queueLock);
    CloseCurrentFile();
    BeginFile(next.layout, avi, next.number, true);
    GiveSwitch(SwitchState::Done);
}

// The writer: opens the first file (the UI thread waits for that), then writes what is queued
// until the recording ends, and finally what is left. COM is its own: the AVIFile objects are
// made, used and released in this thread's apartment and no other thread calls them. (A
// single-threaded apartment: AVIFileInit may initialise COM that way itself.)
DWORD WINAPI WriterThread(void*) {
    CaptureStateData& cs = CaptureState;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    AVIFileInit();
    AviHandles first;
    gRun.openSucceeded = OpenAviFile(gRun.first, &first);
    if (gRun.openSucceeded) BeginFile(gRun.first, first, 0, false);
    SetEvent(gRun.opened);
    if (gRun.openSucceeded) {
        FrameCopy copy;
        // A frame taken from the queue that the full file could not take: it goes first into the
        // next file, which the record dialog asks for once the file has passed its split
        // threshold. Meanwhile the queue holds what comes (up to its bound).
        FrameCopy waiting = {};
        while (cs.recording == 1) {
            if (CurrentSwitchState() == SwitchState::Handed) SwitchFile();
            if (waiting.buffer) {
                if (WriteAndFree(waiting, false))
                    waiting = {};
                else
                    Sleep(kWriterWaitMs);  // the split is looked for as often as the queue
                continue;
            }
            if (WaitForSingleObject(cs.frameQueued, kWriterWaitMs) != WAIT_OBJECT_0) continue;
            if (TakeFront(copy) && !WriteAndFree(copy, false)) waiting = copy;
        }
        // A next file handed over after the last frame was taken is given back: what is still
        // queued belongs to this file, which the stop finishes.
        EnterCriticalSection(&cs.queueLock);
        if (gSwitch.state == SwitchState::Handed) {
            gSwitch.state = SwitchState::Cancelled;
            SetEvent(gSwitch.given);
        }
        LeaveCriticalSection(&cs.queueLock);
        // Recording has ended, so nothing more is queued: write what is left, in order. (One
        // copy at a time under the lock, so the preview is not held up while the disk catches up.)
        if (waiting.buffer) WriteAndFree(waiting, true);
        while (TakeFront(copy)) WriteAndFree(copy, true);
        KeepTimeUntil(gRun.stopStamp);
        EnterCriticalSection(&cs.queueLock);
        ResetEvent(cs.frameQueued);
        LeaveCriticalSection(&cs.queueLock);
        gRun.encoder.Release();
        CloseCurrentFile();
        SetEvent(cs.writerFinished);
    }
    AVIFileExit();
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

// ---- The UI thread's side ----

// Waits for the event. With dispatch, every other wake-up handles one message of this thread,
// so the posted cover request and repaints are served during the wait (a WM_QUIT is put back
// for the message loop and ends the dispatching). A message handled here may end the wait's
// purpose (a nested stop joins the writer): over() is asked before each wait. True when the
// event was set.
bool WaitDispatching(HANDLE event, bool dispatch, const std::function<bool()>& over) {
    while (!over()) {
        // MWMO_INPUTAVAILABLE: messages already in the queue wake the wait too, not only new ones.
        DWORD r = dispatch ? MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE)
                           : WaitForSingleObject(event, INFINITE);
        if (r == WAIT_OBJECT_0) return true;
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(int(msg.wParam));
                dispatch = false;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return false;
}

// What the announcement of one file says.
struct FileReport {
    std::wstring path;
    bool fallback;  // saved in the default folder, the image folder could not be used
    int number;     // in the recording, 0 the first
    int64_t framesWritten, dropped, frameDuration;
    bool writeFailed;
};

void ShowVideoToast(const std::wstring& text) {
    // Not while the main window is being destroyed (it is hidden first): no toast is made then.
    if (ShellState.mainWnd && IsWindowVisible(ShellState.mainWnd))
        ShowPrompt(ShellState.mainWnd, text.c_str(), 0, VideoToastY());
}

// A file that holds frames is listed and saved in the settings. One without a frame was removed
// by the writer: nothing is listed, and when it was the recording's only file the user is told
// nothing was recorded (and why, when a write failed).
void LogFinishedFile(const FileReport& file) {
    if (gRecordLog.empty()) return;
    FILE* f = _wfopen(gRecordLog.c_str(), L"ab");
    if (!f) return;
    fprintf(f, "%s\t%d\t%lld\t%lld\t%d\n", Utf8(file.path).c_str(), file.number, static_cast<long long>(file.framesWritten),
            static_cast<long long>(file.dropped), file.writeFailed ? 1 : 0);
    fclose(f);
}

void Announce(const FileReport& file) {
    LogFinishedFile(file);
    const int64_t keptMs = file.framesWritten * file.frameDuration / 10000;
    if (file.framesWritten == 0) {
        if (file.number == 0)
            ShowVideoToast(VideoSavedText(GetText("rec nothing"), file.dropped, GetText("rec dropped"), file.writeFailed,
                                          0, GetText("rec write failed")));
        return;
    }
    gSavePath = file.path;
    AddRecentFile(file.path);
    SaveSettings();
    if (ShellState.panel) PostMessageW(ShellState.panel, WMU_FILE_ADDED, WPARAM(gRecentFiles.size() - 1), 0);
    const std::wstring saved = file.fallback ? TextWithPath(GetText("saved elsewhere"), file.path)
                                             : TextWithPath(L"File saved: %s", file.path);
    ShowVideoToast(VideoSavedText(saved, file.dropped, GetText("rec dropped"), file.writeFailed, keptMs,
                                  GetText("rec write failed")));
}

void AddToTotals(int64_t written, int64_t dropped, size_t peak) {
    gTotalWritten += written;
    gTotalDropped += dropped;
    gTotalPeak = std::max(gTotalPeak, peak);
}

// While a recording runs the system is told why the program holds up a shutdown or log-off.
void BlockShutdown(bool block) {
    if (!ShellState.mainWnd) return;
    if (block)
        ShutdownBlockReasonCreate(ShellState.mainWnd, GetText("rec shutdown").c_str());
    else
        ShutdownBlockReasonDestroy(ShellState.mainWnd);
}

// UI thread: takes the outcome of a split once the writer has given it. After a switch the
// finished file is announced, its time joins the clock and the next file becomes the current
// one. A next file the writer could not open, or never went on in, was never made (or is
// gone): it leaves the recording's list. Returns the outcome taken.
SwitchState TakeSwitchOutcome() {
    CaptureStateData& cs = CaptureState;
    if (!cs.locksReady) return SwitchState::None;
    EnterCriticalSection(&cs.queueLock);
    const SwitchState state = gSwitch.state;
    const bool given = state == SwitchState::Done || state == SwitchState::Failed || state == SwitchState::Cancelled;
    if (given) {
        gSwitch.state = SwitchState::None;
        ResetEvent(gSwitch.given);
    }
    LeaveCriticalSection(&cs.queueLock);
    NextFile& next = gSwitch.next;
    if (state == SwitchState::Cancelled || state == SwitchState::Failed) {
        if (!gRecordingFiles.empty()) gRecordingFiles.pop_back();
    } else if (state == SwitchState::Done) {
        const FinishedFile& f = gSwitch.finished;
        AddToTotals(f.framesWritten, f.dropped, f.peakQueuedBytes);
        cs.accumulatedTime += f.mediaTime;
        if (!gRun.announced)
            Announce({cs.videoPath, gRun.folder.fallback, next.number - 1, f.framesWritten, f.dropped, f.frameDuration,
                      f.writeFailed});
        lstrcpynW(cs.videoPath, next.layout.path.c_str(), int(std::size(cs.videoPath)));
        gRun.folder = next.folder;
        gRun.fps = next.layout.fps;
        gRun.announced = false;
    }
    return state;
}

// Joins the writer once it has set the finished event (see WaitDispatching). A nested wait may
// join the writer first; the outer wait then simply ends.
void WaitForWriter(bool dispatch) {
    CaptureStateData& cs = CaptureState;
    if (!WaitDispatching(cs.writerFinished, dispatch, [] { return gRun.thread == nullptr; })) return;
    ResetEvent(cs.writerFinished);
    WaitForSingleObject(gRun.thread, INFINITE);
    CloseHandle(gRun.thread);
    gRun.thread = nullptr;
    ResetCopyBuffers(0);  // nothing is queued any more: the spare buffers go
    BlockShutdown(false);
    TakeSwitchOutcome();
    const RecorderStatus last = GetRecorderStatus();
    AddToTotals(last.framesWritten, last.dropped, last.peakQueuedBytes);
}

// Ends queueing: under the lock, so no frame is queued after the flag is down. A stop of the
// user's (or of the system's) keeps the recording's time up to now; paused, up to the pause.
void ClearRecordingFlag(bool keepTime) {
    CaptureStateData& cs = CaptureState;
    EnterCriticalSection(&cs.queueLock);
    gRun.stopStamp = !keepTime ? 0 : (cs.paused ? cs.pausedSince : ClockNow()) - cs.pausedTicks;
    cs.recording = 0;
    LeaveCriticalSection(&cs.queueLock);
}

// Frees every queued copy (a start that failed; the writer never took them).
void EmptyQueue() {
    CaptureStateData& cs = CaptureState;
    EnterCriticalSection(&cs.queueLock);
    for (FrameCopy& c : cs.recorderQueue) std::free(c.buffer);
    cs.recorderQueue.clear();
    cs.queueBudget.Reset(cs.queueBudget.bound);
    for (uint8_t* b : cs.spareCopies) std::free(b);
    cs.spareCopies.clear();
    ResetEvent(cs.frameQueued);
    LeaveCriticalSection(&cs.queueLock);
}

// The failure of a start is the user's loss: they are told the file could not be made.
void ShowNotCreated(const std::wstring& where) {
    if (!ShellState.mainWnd) return;
    ShowPrompt(ShellState.mainWnd, TextWithPath(GetText("rec not created"), where).c_str(), 0, VideoToastY());
}

// A new time-stamped name in folder (the next free millisecond when the name is taken); empty
// when there is no folder or the name (or its journal's) does not fit the path buffer.
std::wstring NewVideoPath(const std::wstring& folder) {
    std::wstring path;
    if (!folder.empty())
        path = MakeFreeMediaPath(folder, LocalMediaTime(), L"avi", [](const std::wstring& p) {
            return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES;
        });
    if (path.size() + std::wcslen(kJournalSuffix) >= std::size(CaptureState.videoPath)) path.clear();
    return path;
}

// The rate a file is made with: the one the camera's connection names, else the one measured.
float RecordingRate() {
    const float nominal = CaptureState.nominalFps;
    return nominal > 0 ? nominal : float(CaptureState.fps);
}

}  // namespace

void MakeVideoPath() {
    // As photos: the image folder, or the default folder when the image folder cannot be used.
    gRun.folder = UsableSaveFolder();
    // A name that does not fit the buffer is no name: the start then fails and says so.
    const std::wstring path = NewVideoPath(gRun.folder.path);
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
    ReadScriptVariables();
    if (!gSwitch.given) gSwitch.given = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!gRun.opened) gRun.opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!gSwitch.given || !gRun.opened) return false;
    const float fps = RecordingRate();
    const bool compressed = AppSettings.compressVideo == 1;
    gRun.width = cs.width;
    gRun.height = cs.height;
    gRun.fps = fps;
    gRun.compressed = compressed;
    gRun.first = {cs.videoPath, cs.width, cs.height, fps, compressed};
    gRun.filePath.clear();
    gRecordingFiles.assign(1, cs.videoPath);

    ResetCopyBuffers(copyBytes);  // frame-sized buffers go round between the preview and the writer
    EnterCriticalSection(&cs.queueLock);
    for (FrameCopy& c : cs.recorderQueue) std::free(c.buffer);
    cs.recorderQueue.clear();
    cs.queueBudget.Reset(RecorderQueueBound(copyBytes, fps));
    ResetEvent(cs.frameQueued);
    cs.pausedTicks = 0;
    cs.paused = 0;
    cs.compressedVideo = compressed ? 1 : 0;
    cs.recording = 1;  // frames queue from now on; the writer takes them once its file is open
    LeaveCriticalSection(&cs.queueLock);
    ResetEvent(cs.writerFinished);
    ResetEvent(gRun.opened);
    cs.mediaTime = 0;
    cs.bytesWritten = 0;

    gRun.thread = CreateThread(nullptr, 0, WriterThread, nullptr, 0, nullptr);
    // Opening a file is quick; the writer says at once whether it could.
    if (gRun.thread) WaitForSingleObject(gRun.opened, INFINITE);
    if (!gRun.thread || !gRun.openSucceeded) {
        ClearRecordingFlag(false);
        if (gRun.thread) {
            WaitForSingleObject(gRun.thread, INFINITE);
            CloseHandle(gRun.thread);
            gRun.thread = nullptr;
        }
        EmptyQueue();
        return false;
    }
    gRun.announced = false;
    cs.finishRecorder = [] { FinishRecordingForTeardown(false); };
    BlockShutdown(true);
    return true;
}

void SetRecordingPaused(bool pause) {
    CaptureStateData& cs = CaptureState;
    if (!cs.locksReady) return;
    EnterCriticalSection(&cs.queueLock);
    if (pause && cs.paused == 0) {
        cs.pausedSince = ClockNow();
        cs.paused = 1;
    } else if (!pause && cs.paused != 0) {
        cs.pausedTicks += ClockNow() - cs.pausedSince;
        cs.paused = 0;
    }
    LeaveCriticalSection(&cs.queueLock);
}

void StopRecording() {
    if (!gRun.thread) return;
    ClearRecordingFlag(true);
    WaitForWriter(true);
}

void AnnounceVideo() {
    TakeSwitchOutcome();  // a file finished by a split is reported before the one after it
    if (gRun.announced) return;
    gRun.announced = true;
    const RecorderStatus status = GetRecorderStatus();
    Announce({CaptureState.videoPath, gRun.folder.fallback, int(gRecordingFiles.size()) - 1, status.framesWritten,
              status.dropped, CaptureState.frameDuration, status.writeFailed});
}

void SplitRecording() {
    CaptureStateData& cs = CaptureState;
    if (cs.recording != 1 || !gRun.thread) {  // nothing to go on from: a new recording
        MakeVideoPath();
        if (!StartRecording()) ShowRecordingNotCreated();
        return;
    }
    // The preview keeps queueing meanwhile: the next file is named here and handed to the
    // writer, which opens it and goes on in it from the next frame it takes.
    NextFile next;
    next.folder = UsableSaveFolder();
    next.layout = {NewVideoPath(next.folder.path), gRun.width, gRun.height, RecordingRate(), gRun.compressed};
    next.number = int(gRecordingFiles.size());
    const std::wstring where = next.layout.path.empty() ? next.folder.path : next.layout.path;
    SwitchState outcome = SwitchState::Failed;
    if (!next.layout.path.empty()) {
        gRecordingFiles.push_back(next.layout.path);
        EnterCriticalSection(&cs.queueLock);
        gSwitch.next = std::move(next);
        gSwitch.state = SwitchState::Handed;
        LeaveCriticalSection(&cs.queueLock);
        // The finished file is announced as soon as the writer has left it. A message handled
        // during the wait may end the recording (the camera is unplugged): the outcome is then
        // taken by that stop.
        WaitDispatching(gSwitch.given, true, [] { return !gRun.thread || CurrentSwitchState() != SwitchState::Handed; });
        outcome = TakeSwitchOutcome();
    }
    if (outcome == SwitchState::Failed && gRun.thread) {
        // No next file: the recording ends with this one, which is announced, and the user is told.
        StopRecording();
        AnnounceVideo();
        cs.accumulatedTime += cs.mediaTime;
        cs.mediaTime = 0;
        ShowNotCreated(where);
    }
}

void FinishRecordingForTeardown(bool userStop) {
    if (!gRun.thread) return;
    ClearRecordingFlag(userStop);
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

std::wstring RecordedVideoPath(int fileNumber) {
    // The list is the recording's while the current video path is one of its files.
    const std::wstring current = CaptureState.videoPath;
    if (std::find(gRecordingFiles.begin(), gRecordingFiles.end(), current) == gRecordingFiles.end()) return current;
    return fileNumber >= 0 && size_t(fileNumber) < gRecordingFiles.size() ? gRecordingFiles[size_t(fileNumber)]
                                                                           : std::wstring();
}

RecorderTestHooks& RecorderHooks() { return gHooks; }

void ShowRecordingNotCreated() {
    ShowNotCreated(CaptureState.videoPath[0] ? std::wstring(CaptureState.videoPath) : gRun.folder.path);
}
