// The AVI recorder: uncompressed 24-bit video files (or, with "Compress video", 'MJPG' files)
// written through AVIFile by one writer thread per file, fed from the recorder queue that the preview callback fills. Every function here
// runs on the user-interface thread; the writer thread only writes, counts and posts.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "media/record_rules.h"  // kAviFileLimitBytes

// Fills CaptureState.videoPath with a new time-stamped name in the save folder (the next free
// millisecond when the name is taken).
void MakeVideoPath();

// Starts the writer thread, which opens CaptureState.videoPath (compressed when
// AppSettings.compressVideo is 1) at the frame rate the camera's connection names (else the one
// measured). False, with nothing left open or running, when no camera is open or the file
// cannot be created.
bool StartRecording();

// Pauses or resumes queueing. The time spent paused is taken off the stamps of the frames that
// follow, so the video goes on where it paused.
void SetRecordingPaused(bool pause);

// Ends the recording and waits for the writer to drain the queue and close the file, keeping
// this thread's messages flowing meanwhile. Nothing happens when no writer is running.
void StopRecording();

// Reports the finished file once: recent-files entry, settings, the files section and the
// "File saved" toast, with the frames that could not be kept and a failed write if any. A file
// without a frame is not kept: nothing is listed, and the toast says nothing was recorded.
void AnnounceVideo();

// Goes on in a new file: the next file is named and handed to the writer, which opens it and
// closes the current one between two frames, so no frame is lost; the finished file is then announced and
// its time joins CaptureState.accumulatedTime. When the next file cannot be made the recording
// ends with the current file (announced) and the user is told.
void SplitRecording();

// The path of file fileNumber of the recording (the number a cover request carries), empty when
// the recording has no such file; CaptureState.videoPath when that path belongs to no recording.
std::wstring RecordedVideoPath(int fileNumber);

// Tells the user that the file CaptureState.videoPath could not be created.
void ShowRecordingNotCreated();

// For the capture session's teardown and the end of the Windows session: finishes the writer
// (without dispatching messages) and announces the file, before the session frees anything the
// writer uses or the system ends the process. userStop: the video's time runs up to now, as at
// the user's stop (not when the camera went away).
void FinishRecordingForTeardown(bool userStop);

// How the current (or last) file is doing, for the record dialog and the tests.
struct RecorderStatus {
    bool writerRunning;    // a writer thread exists (until StopRecording has joined it)
    bool writeFailed;      // a frame write failed; nothing more is written to this file
    int64_t dropped;       // frames not kept in this file (queue full, no memory)
    int64_t framesWritten; // frames in this file
    size_t peakQueuedBytes;
    float fps;             // the measured frame rate the file was opened with
    // Since the program started, over every finished file: frames written and not kept, and the
    // most bytes the queue held at once.
    int64_t totalWritten;
    int64_t totalDropped;
    size_t totalPeakQueuedBytes;
};
RecorderStatus GetRecorderStatus();

// Test-only settings; the program never changes them.
struct RecorderTestHooks {
    int64_t splitThreshold;      // bytes after which the dialog splits
    int32_t failWritesFromFrame; // -1: never; else frame writes from this index on fail
    DWORD writeDelayMs;          // the writer waits this long before each frame: a slow disk
    int64_t fileLimitBytes = kAviFileLimitBytes;  // the most bytes a file may take
};
RecorderTestHooks& RecorderHooks();
