// The recorder's arithmetic and the record dialog's rules, kept apart from the platform so they
// can be tested natively: the AVI stream rate and frame duration, the bottom-up padded frame
// rows, the time-limit table, the clock text and the timer's stop-or-split decision.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "frame/recorder_copy.h"

// ---- AVI stream ----
constexpr uint32_t kAviRateScale = 10;  // the stream rate is given in tenths of a frame per second

// round(fps x 10), the stream header's rate over a scale of 10; at least 1 (a rate of 0 would make
// the file unplayable), 1 also for a frame rate that is not a number.
uint32_t AviStreamRate(float fps);

// The media time of one frame in 100-ns units: trunc(10,000,000 / max(fps, 5)). The 5 frames per
// second floor applies only here, to the time accounting.
int64_t FrameDuration(float fps);

// One frame as written to the file: 24-bit rows padded to whole 32-bit words, bottom-up.
size_t AviFrameBytes(int width, int height);
// Copies a top-down DisplayFrame (rows of width x 3) into the bottom-up padded layout; the padding
// bytes are zeroed. out holds AviFrameBytes(width, height).
void CopyFrameBottomUp(const uint8_t* frame, int width, int height, uint8_t* out);

// Whether the volume has room for one more frame of frameBytes with what the file needs when it
// is closed: an index entry for every frame (16 bytes each) and a margin for the headers. A full
// disk does not always make the frame write fail, and a file whose index cannot be written is
// not playable, so the writer stops before that.
constexpr uint64_t kCloseMarginBytes = uint64_t(1) << 20;
bool HasRoomForFrame(uint64_t freeBytes, size_t frameBytes, int64_t framesInFile);

// How the writer puts one queued copy into its file: an uncompressed file takes a frame as
// bottom-up padded rows; a compressed ('MJPG') file takes the camera's JPEG as it is and
// encodes a frame. A camera JPEG that reaches an uncompressed file (queued for the file before)
// is dropped.
enum class FrameWrite { BottomUpRows, AsIs, Encode, Drop };
FrameWrite ChooseFrameWrite(bool compressedFile, CopyKind copy);

// The most bytes one AVI file written through AVIFile may hold: its offsets and chunk sizes are
// signed 32-bit, and past 2 GiB the file's headers and index no longer describe its frames.
constexpr int64_t kAviFileLimitBytes = INT32_MAX;
// What a file holds beside its frames' data: the headers up to the movie list, list headers and
// the index's own header.
constexpr int64_t kAviFileOverheadBytes = int64_t(64) << 10;
// Whether one more frame of frameBytes fits under limit in a file that holds framesInFile frames
// of sampleBytes in all: each frame also takes a chunk header (and a pad byte when odd) and an
// index entry.
bool FrameFitsAviFile(int64_t sampleBytes, int64_t framesInFile, size_t frameBytes, int64_t limit);

// ---- Recording limits ----
// The recorder queue holds at most this many bytes (see RecorderQueueBound).
constexpr size_t kQueueBoundCeiling = size_t(256) << 20;
// A file is closed and the recording goes on in a new one once this many bytes are written: early
// enough that the frames written until the next file takes over (at most what the queue holds,
// and a margin for the frames that arrive meanwhile) still fit the file.
constexpr int64_t kSplitThresholdBytes = kAviFileLimitBytes - int64_t(kQueueBoundCeiling) - (int64_t(64) << 20);

// The time limits in seconds (0 = no limit); the dialog's list shows the first six.
constexpr int kRecordLimitCount = 11;
constexpr int32_t kRecordLimits[kRecordLimitCount] = {0, 10, 30, 60, 300, 600, 1800, 3600, 7200, 14400, 28800};
constexpr int kRecordLimitListCount = 6;
extern const char* const kRecordLimitKeys[kRecordLimitListCount];  // text keys of the list entries

// The list entry that shows a stored limit: its index in the table, 0 for a value the table does
// not hold, and -1 (no entry selected) for a table value beyond the six listed.
int RecordLimitListIndex(int32_t storedSeconds);
// The limit a start uses: the selected entry's value, or, with no entry selected, the stored
// value when the table holds it (else 0, no limit).
int32_t RecordLimitForStart(int listIndex, int32_t storedSeconds);

// The clock of elapsed video time: "59.9" below a minute (seconds and tenths), "1:00", "12:34"
// from a minute on (minutes and seconds).
std::wstring RecordClockText(int64_t elapsedMs);

// What the dialog's timer does at a tick while recording, in this order: stop at the time limit,
// stop when the file could not be written, split a file grown past the threshold.
enum class RecordTickAction { None, Stop, Split };
RecordTickAction DecideRecordTick(int64_t elapsedMs, int32_t limitSeconds, int64_t bytesWritten,
                                  int64_t splitThreshold, bool writeFailed);

// ---- Recorder queue ----
// The most bytes of frame copies the queue may hold: about one second of frames at the camera's
// rate (at least 4 frames, at most 60), and never more than kQueueBoundCeiling unless that is less
// than two frames.
size_t RecorderQueueBound(size_t frameBytes, float fps);

// ---- Announcing a finished file ----
// The saved message ("File saved: <path>"), then what the file lacks: droppedText with its "%d"
// replaced by the number of frames that could not be kept, and failedText with its "%s" replaced
// by the seconds of video the file holds (one decimal) when writing failed.
std::wstring VideoSavedText(const std::wstring& savedText, int64_t dropped, const std::wstring& droppedText,
                            bool writeFailed, int64_t keptMs, const std::wstring& failedText);
// pattern with its first occurrence of token replaced by value (unchanged without the token).
std::wstring FillIn(const std::wstring& pattern, const wchar_t* token, const std::wstring& value);
