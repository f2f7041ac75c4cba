// A time-lapse: a picture every interval, for a number of pictures, a duration or until stopped.
// Picture k is due at start + k x interval on a monotonic clock (never by adding up timer
// delays, so hours of pictures do not drift); a picture late by a whole interval or more is
// passed over and counted, never taken twice. Also the names of the pictures and the texts of
// the intervals. Portable: the clock is the caller's.
#pragma once
#include <cstdint>
#include <string>

enum class TimelapseStop : int32_t { AfterCount, AfterDuration, Never };
enum class TimelapseTake : int32_t { View, CameraFrame };  // the view as shown (a photo) or the frame alone

struct TimelapsePlan {
    int64_t intervalMs = 10000;
    TimelapseStop stop = TimelapseStop::AfterCount;
    int64_t count = 100;          // pictures, with AfterCount
    int64_t durationMs = 3600000;  // with AfterDuration: the last picture is due within it
    TimelapseTake take = TimelapseTake::View;
    bool video = false;            // also a video of the pictures
    int32_t videoFps = 10;         // its playback rate
};

// What the dialog shows: the numbers in the user's units (the interval in seconds, minutes or
// hours; the duration in minutes or hours), kept as the user typed them.
struct TimelapseForm {
    int64_t interval = 10;
    int32_t intervalUnit = 0;  // 0 seconds, 1 minutes, 2 hours
    TimelapseStop stop = TimelapseStop::AfterCount;
    int64_t count = 100;
    int64_t duration = 60;
    int32_t durationUnit = 0;  // 0 minutes, 1 hours
    TimelapseTake take = TimelapseTake::View;
    bool video = false;
    int32_t videoFps = 10;
};

constexpr int64_t kTimelapseMinIntervalMs = 1000;
constexpr int64_t kTimelapseMaxIntervalMs = int64_t(24) * 3600 * 1000;
constexpr int32_t kTimelapseMaxVideoFps = 60;

// The plan brought within its limits: an interval of 1 s to 24 h, at least one picture, a
// duration of at least one interval, a playback rate of 1 to 60.
TimelapsePlan ClampTimelapsePlan(TimelapsePlan plan);

// The plan of a form, within its limits.
TimelapsePlan PlanFromForm(const TimelapseForm& form);

// Pictures the plan can take at most; -1 without an end.
int64_t TimelapseSlots(const TimelapsePlan& plan);

// What to do at nowMs for a run that began at startMs and whose next picture is slot nextSlot.
struct TimelapseStep {
    enum Kind { Wait, Take, Done } kind = Wait;
    int64_t slot = 0;    // Take: the picture's slot (its number is slot + 1)
    int64_t missed = 0;  // Take or Done: slots passed over before it (late by an interval or more)
    int64_t waitMs = 0;  // Wait: until the next slot is due
};
TimelapseStep NextTimelapseStep(const TimelapsePlan& plan, int64_t startMs, int64_t nextSlot, int64_t nowMs);

// Time until the last picture is due (0 once it is); -1 without an end.
int64_t TimelapseLeftMs(const TimelapsePlan& plan, int64_t startMs, int64_t nowMs);

// "0001.jpg": the picture's number with at least four digits, as many as the last number needs
// (six without an end), so that every program sorts the files in order.
std::wstring TimelapsePictureName(const TimelapsePlan& plan, int64_t number, const wchar_t* extension);

// The run's folder name from its start time: "YYYYMMDD-HHMMSS", with "-2", "-3"... for the
// attempts after the first (a name taken already).
std::wstring TimelapseFolderName(int year, int month, int day, int hour, int minute, int second, int attempt);
// "HH:MM:SS".
std::wstring ClockTimeText(int hour, int minute, int second);

// "1 h 5 min", "1 min 30 s", "45 s": the largest units first, zero units left out; the unit
// words are the caller's (they are translated). Whole seconds; "0 s" for less than one.
std::wstring DurationText(int64_t ms, const std::wstring& hours, const std::wstring& minutes,
                          const std::wstring& seconds);
