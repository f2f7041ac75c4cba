// The files section of the control panel (CtrlPanelFilesWndClass, section index 2, window id
// 102): the recent photos and videos listed one row per entry of gRecentFiles, the selected
// one previewed in an image view below, a double click opening it with its program.
// User-interface thread only.
#pragma once
#include <windows.h>

// Its index in the panel's table is kFilesSectionIndex (ctrl_panel_win.h).
constexpr wchar_t kFilesSectionClass[] = L"CtrlPanelFilesWndClass";
constexpr int kFilesSectionId = 102;
// The section's children.
constexpr int ID_FILES_TITLE = 100;
constexpr int ID_FILES_LIST = 101;
constexpr int ID_FILES_VIEW = 102;
constexpr int kFilesPreviewScale = 25;

constexpr COLORREF kFilesRowSelected = RGB(145, 220, 220);
constexpr COLORREF kFilesRow = RGB(255, 255, 250);

bool RegisterCtrlPanelFilesClass(HINSTANCE instance);

// The panel creates the section (id kFilesSectionId) with its own width in pixels as the
// creation parameter. At creation gRecentFiles keeps only the files that can be opened for
// reading, sorted ordinally; the list shows it row for row from then on.

// Opens a file with its associated program. Every open of the section goes through this
// pointer, which starts at ShellOpenFile (tests put an observer in its place).
using FileOpenFunction = void (*)(HWND owner, const wchar_t* path);
extern FileOpenFunction gOpenFile;
void ShellOpenFile(HWND owner, const wchar_t* path);
