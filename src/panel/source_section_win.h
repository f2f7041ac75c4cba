// The source section of the control panel (CtrlPanelSourceWndClass, section 0): the camera in
// use, its frame size and stream format, the folder, settings, time-lapse and mosaic buttons,
// and the live read-out (readout_line_win.h, control 109).
#pragma once
#include <windows.h>

#include <string>

bool RegisterSourceSectionClass(HINSTANCE instance);

// Control ids of the section.
constexpr int kSourceDeviceList = 102;
constexpr int kSourceSizeList = 104;
constexpr int kSourceFormatList = 106;
constexpr int kSourceFolderButton = 107;
constexpr int kSourceSettingsButton = 108;
constexpr int kSourceTimelapseButton = 110;
constexpr int kSourceMosaicButton = 111;

// The tooltip of button id (the time-lapse or mosaic button), which names its key.
std::wstring SourceButtonTipText(HWND section, int id);
