// The live read-out's figures: frames received and shown per second and the frame path's load
// over the last two seconds, and the frames dropped since the camera opened (by the camera, by
// the view, by the recorder); and their texts. Portable arithmetic, user-interface thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// One look at the counts (about twice a second).
struct ReadoutSample {
    int64_t at = 0;  // performance counter
    uint32_t received = 0, shown = 0;
    uint64_t busyTicks = 0;  // the frame path's time so far: the camera thread's and the view's
};

struct ReadoutFigures {
    double receivedFps = 0, shownFps = 0;
    int loadPercent = 0;
    int64_t cameraDropped = 0;  // reported by the camera; 0 when it does not say
    int64_t skipped = 0;        // received but never shown
    int64_t recorderDropped = 0;
    int64_t Dropped() const { return cameraDropped + skipped + recorderDropped; }
};

// The last few looks; rates and load come from the oldest to the newest of them.
class ReadoutHistory {
public:
    static constexpr int kLooks = 5;  // four intervals: two seconds at two looks a second
    void Clear() { count_ = 0; }
    void Add(const ReadoutSample& s);
    bool Ready() const { return count_ >= 2; }
    // Rates over the span held (zero before two looks); ticksPerSecond of the performance counter.
    ReadoutFigures Rates(int64_t ticksPerSecond) const;

private:
    std::array<ReadoutSample, kLooks> looks_{};
    int count_ = 0, next_ = 0;
};

// Frames the recorder could not keep since the camera opened: its total over finished files
// now less the total at the opening, plus the current file's while its writer runs.
int64_t RecorderDropsSinceOpen(int64_t totalNow, int64_t totalAtOpen, bool writerRunning, int64_t currentFile);

// The line and its tip from their texts: each "%s" takes the next value, "%%" is a percent
// sign; a text with fewer "%s" leaves the rest of the values out. Line: frames received per
// second, shown per second, load, frames dropped. Tip: dropped by the camera, skipped, by the
// recorder.
std::wstring FillTemplate(const std::wstring& text, const std::wstring* values, int count);
std::wstring ReadoutLine(const std::wstring& text, const ReadoutFigures& f);
std::wstring ReadoutTip(const std::wstring& text, const ReadoutFigures& f);
