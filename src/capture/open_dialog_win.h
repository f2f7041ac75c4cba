// The open-microscope dialog (131): choose a listed camera, its stream format and resolution,
// and open it. User-interface thread only.
#pragma once
#include <windows.h>

#include "capture/camera_format.h"

// Runs the dialog modally over the main window, preset with format (its size preselects the
// resolution; 0 x 0 takes the running or the stored size). Returns 1 after Open, 2 after Cancel.
INT_PTR ShowOpenDialog(const CameraFormat& format);

// What the main window and the source section preset the dialog with: the running subtype and
// the camera view's image size (interpolated 0) while a camera is open, else all zero.
CameraFormat OpenDialogPreset();
