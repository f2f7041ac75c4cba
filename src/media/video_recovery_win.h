// Recordings cut short by a crash, a kill or a power cut: at start the journals left beside
// videos in the save folders are looked for on a thread of their own, each such video is
// rebuilt from the frames on disk (the original bytes stay until the rebuilt file is complete)
// and the user is told; a journal whose video is gone or never got a frame is removed quietly.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Starts looking in these folders (UI thread, once); the outcomes come to notify as
// WMU_VIDEO_RECOVERED and are handled by MainOnRecoveryMessage.
void StartVideoRecovery(HWND notify, std::vector<std::wstring> folders);
// The save folders the program uses: the image folder and the default one.
std::vector<std::wstring> RecoveryFolders();
// Stops the search between two files and waits for it (UI thread, at shutdown). A rebuild that
// was under way is abandoned: its video and journal stay for the next start.
void StopVideoRecovery();
// True while the search runs (for the tests).
bool VideoRecoveryRunning();

// The main window's handling of WMU_VIDEO_RECOVERED: a rebuilt video joins the recent files
// with the toast "Recovered video: <path>"; one that could not be rebuilt is named in a toast.
bool MainOnRecoveryMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
