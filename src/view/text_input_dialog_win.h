// The "Input text" dialog of the text tool: a modeless dialog whose field the camera view shows
// live as the pending text annotation. User-interface thread only.
#pragma once
#include <windows.h>

// Creates the dialog owned by owner, keeps its handle in ShellState.textInputDlg and shows it;
// it announces itself to the camera view ("Init"). Null when it could not be made. OK and
// Cancel tell the view, post CMD_TEXT_INPUT_DONE to the main window and destroy the dialog.
HWND CreateTextInputDialog(HWND owner);
