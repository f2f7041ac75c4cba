// The camera view window (CameraWndClass): the live picture with the measurement overlay.
#pragma once
#include <windows.h>

bool RegisterCameraWndClass(HINSTANCE instance);

// Called by the capture session around opening and closing a camera.
void CameraViewTearDown(HWND view);      // free the composition surface, clear shapes, sizes 0
void CameraViewResetPicture(HWND view);  // new picture: sizes from the pipeline and requestedFormat
void CameraViewResetZoom(HWND view);     // digital zoom back to 0
