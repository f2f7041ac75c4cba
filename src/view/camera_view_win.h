// The camera view window (CameraWndClass): the live picture with the measurement overlay.
#pragma once
#include <windows.h>

bool RegisterCameraWndClass(HINSTANCE instance);

// Called by the capture session around opening and closing a camera.
void CameraViewTearDown(HWND view);      // free the composition surface, clear shapes, sizes 0
void CameraViewResetPicture(HWND view);  // new picture: sizes from the pipeline and requestedFormat
void CameraViewResetZoom(HWND view);     // digital zoom back to 0

// ---- Calibration and text annotation hooks (calibration dialogs, text input dialog, main window) ----
// The calibration line: 4800 asks for a fresh centred line at the next composition, 0 ends
// calibrating. Invalidates the view.
void CameraViewSetCalibrationLength(HWND view, int length);
// Current length of the calibration line in image pixels (0 while not calibrating).
int CameraViewCalibrationLength(HWND view);
// Pixels per unit of the calibration the view labels with (<= 0: not calibrated).
float CameraViewPixelsPerUnit(HWND view);
// The crossline overlay flag; setting it invalidates the view.
bool CameraViewCrossline(HWND view);
void CameraViewSetCrossline(HWND view, bool on);
// The text input dialog's field changed: the pending annotation shows text (at most 255
// characters are kept) and the view is invalidated.
void CameraViewSetPendingText(HWND view, const wchar_t* text);
