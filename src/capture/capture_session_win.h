// The capture session: one opened camera streaming through a sample grabber into the frame
// pipeline, with an optional still-pin branch; opening, closing, reopening, plug and unplug.
// Every function runs on the user-interface thread.
#pragma once
#include <windows.h>

#include "capture/camera_format.h"

// True while a session is open (its preview grabber exists).
bool IsDeviceOpen();

bool OpenSession();
void CloseSession();
bool SetCameraFormat(const CameraFormat& format);
void ReopenWithFormat(const CameraFormat& format);
void OpenWithFormat(const CameraFormat& format, bool askUser);

// The camera view's command 11: open the camera listed last unless one is open.
void OpenLastDevice();
// The camera view's command 3: close the session when its camera is gone.
void OnDeviceRemoved();
// The camera view's WMU_GRAPH_EVENT: drain the graph's event queue.
void OnGraphEvent();

// Device-interface notifications for video capture devices, sent to window.
void RegisterDeviceNotifications(HWND window);
void UnregisterDeviceNotifications();
// For WM_DEVICECHANGE: 1 = a capture device arrived, -1 = one was removed, 0 = anything else.
int ClassifyDeviceChange(WPARAM wp, LPARAM lp);
