// The modal record-video dialog (resource 134), opened by the main window's record command.
#pragma once
#include <windows.h>

// Runs the dialog over parent; returns 1 when it ended a recording, 2 when closed without one.
INT_PTR RunRecordDialog(HWND parent);
