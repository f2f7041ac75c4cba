// The calibration dialogs: the manager of the ten slots (modal), the calibrate dialog that sits
// beside the calibration line while the user adjusts it (modeless), and the help dialog
// (modal); and the main window's calibrate command that strings them together.
// User-interface thread only.
#pragma once
#include <windows.h>

// The manager, modal over owner. Ends with IDC_CALIB_CALIBRATE (3017: calibrate the slot now
// in CalibrationState.calibratingSlot), 6 (a slot was applied) or 2 (closed).
INT_PTR RunCalibrationManager(HWND owner);

// Creates the calibrate dialog for CalibrationState.calibratingSlot, owned by owner, keeps its
// handle in ShellState.calibrationWnd and shows it. Null when no slot is being calibrated or
// the dialog could not be made. OK and Cancel end the calibration line and post ID_CALIBRATE
// to the main window, so the manager comes back.
HWND CreateCalibrateDialog(HWND owner);

// The help dialog, modal over owner (placed over the main window).
INT_PTR ShowCalibrationHelp(HWND owner);

// ID_CALIBRATE: with a camera open and no calibrate dialog, run the manager; when it ends with
// "Calibrate", open the calibrate dialog, set the view to ratio 100 and ask it for a fresh
// calibration line. While the calibrate dialog is open, activate it instead.
void RunCalibrateCommand();

// Places a dialog horizontally centred over the main window (its owner when there is no main
// window) with its top 68 pixels below that window's top; size and z-order unchanged.
void PlaceDialogBelowMainTop(HWND dlg);
// The same over anchor (nothing when anchor is null).
void PlaceDialogBelowTopOf(HWND dlg, HWND anchor);
