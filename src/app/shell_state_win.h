// ShellState: the handles of the main window, its children and the modeless dialogs, and the
// layout sizes. Owned by the user-interface thread.
#pragma once
#include <windows.h>

struct ShellStateData {
    HINSTANCE instance = nullptr;
    HWND mainWnd = nullptr;
    HWND hToolbar = nullptr;
    HWND vToolbar = nullptr;
    HWND cameraView = nullptr;
    HWND panel = nullptr;
    int toolbarHeight = 52;
    int toolbarWidth = 59;
    int panelWidth = 0;
    HWND calibrationWnd = nullptr;  // modeless calibration window, when open
    HWND textInputDlg = nullptr;    // modeless text input dialog, when open
    HWND adjustPopup = nullptr;     // modeless quick-adjust pop-up, when open
    int adjustProperty = 0;         // command id of the button that last opened the pop-up
    WINDOWPLACEMENT savedPlacement = {sizeof(WINDOWPLACEMENT)};
};

extern ShellStateData ShellState;

constexpr wchar_t kMainWndClass[] = L"VardeloWndClass";
constexpr wchar_t kMainWndTitle[] = L"Vardelo\u667a\u80fd\u663e\u5fae\u955c";
constexpr wchar_t kInstanceMutexName[] = L"Global\\QuenzoLumiscan";
// The same mark in this session's namespace: tells a copy at this desk from one at another.
constexpr wchar_t kSessionMutexName[] = L"Local\\QuenzoLumiscan";

// Program entry, given the instance handle; returns the process exit code.
int VardeloMain(HINSTANCE instance);

bool RegisterMainWndClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);
void LayoutMainWindow();
void ToggleFullScreen();
// The message loop's part of Escape in full screen: a key-down of Escape for a window of the
// main window other than the camera view (a toolbar button that took the focus) is posted to
// the main window as CMD_ESCAPE; true when msg was taken.
bool TranslateFullScreenEscape(const MSG& msg);
// Makes tool (a MeasureTool value) the camera view's tool and checks its toolbar button.
void SelectTool(int tool);
