// A time-lapse run: a picture every interval into a folder of its own inside the save folder
// (named after the start time, the pictures numbered in order), optionally a video of them, for
// hours and unattended. The system does not sleep while it runs; a camera that goes away is
// waited for (the pictures missed meanwhile are named in "missed.txt" in the folder); a picture
// that cannot be written ends the run with every earlier picture and a playable video kept.
// A small indicator in the toolbar's free end shows the run without hiding the picture.
// User-interface thread only.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "media/timelapse_plan.h"

constexpr wchar_t kTimelapseWndClass[] = L"TimelapseWndClass";
constexpr wchar_t kMissedLogName[] = L"missed.txt";

bool RegisterTimelapseIndicatorClass(HINSTANCE instance);
// The indicator inside the horizontal toolbar, hidden while no run goes on; placed again with
// the toolbar's client width.
HWND CreateTimelapseIndicator(HWND toolbar);
void PlaceTimelapseIndicator(int toolbarWidth, int toolbarHeight);

// The main window's command (the panel's button, Ctrl+T): the dialog and a new run, or, while a
// run goes on, the offer to stop it.
void TimelapseCommand(HWND owner);
// Starts a run with the camera that is open now; false, and the user told, when there is no
// camera or the folder cannot be made.
bool StartTimelapse(const TimelapsePlan& plan);
// Ends the run: the video is closed and listed, and the toast says how many pictures were taken
// (not while the program is closing).
void StopTimelapse();

struct TimelapseStatus {
    bool running = false;
    bool waitingForCamera = false;
    int64_t taken = 0;
    int64_t missed = 0;
    std::wstring folder;  // of the run going on, or of the last one
    std::wstring video;   // its video, empty without one
};
TimelapseStatus GetTimelapseStatus();

// Test-only: pictures from this number on fail to be written, as on a full disk (-1: none).
struct TimelapseTestHooks {
    int64_t failFromPicture = -1;
};
TimelapseTestHooks& TimelapseHooks();
