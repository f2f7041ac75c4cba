// The capture session: one opened camera streaming through a sample grabber into the frame
// pipeline, with an optional still-pin branch; opening, closing, reopening, plug and unplug.
// Every function runs on the user-interface thread.
#pragma once
#include <windows.h>

#include "capture/camera_format.h"
#include "capture/camera_problem.h"

// True while a session is open (its preview grabber exists).
bool IsDeviceOpen();

bool OpenSession();
void CloseSession();
bool SetCameraFormat(const CameraFormat& format);
// Reopens the session on the device at index of the device list with format (taken by value:
// closing the session clears the catalogue a caller's entry may come from). Nothing happens
// when index is not a listed device, or when gCameraChangeAllowed says no.
void OpenDeviceWithFormat(int index, CameraFormat format);
// Asked before the user's choice reopens the camera (another camera, format or size): a run that
// takes pictures from it asks the user whether to end; false keeps the camera as it is. Null
// while nothing depends on the camera. UI thread.
extern bool (*gCameraChangeAllowed)();
// The same on the running session's device.
void ReopenWithFormat(const CameraFormat& format);
// With askUser the open-microscope dialog, preset with format; otherwise ReopenWithFormat.
void OpenWithFormat(const CameraFormat& format, bool askUser);

// The camera view's command 11 (start-up, plug-in, retries): unless a camera is open, open the
// one the user last had, else a hardware camera, else the one listed last; while a stand-in is
// open, switch to the remembered camera when it is listed again.
void OpenLastDevice();
// The camera view's command 3: close the session when its camera is gone.
void OnDeviceRemoved();
// The camera view's WMU_GRAPH_EVENT: drain the graph's event queue; a device-lost, error or
// abort event closes the session (CameraProblem::Lost) for the reopen timer to retry.
void OnGraphEvent();

// Why the last opening failed or the session ended (None while a camera runs or none is
// listed). The view shows it in words and, where ProblemRetries says so, tries again.
CameraProblem CurrentCameraProblem();
// The view's own findings (no picture for a while) and their end.
void SetCameraProblem(CameraProblem problem);

// Device-interface notifications for video capture devices, sent to window.
void RegisterDeviceNotifications(HWND window);
void UnregisterDeviceNotifications();
// For WM_DEVICECHANGE: 1 = a capture device arrived, -1 = one was removed, 0 = anything else.
int ClassifyDeviceChange(WPARAM wp, LPARAM lp);
