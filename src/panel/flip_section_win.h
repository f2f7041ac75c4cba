// The preview section of the control panel (CtrlPanelFlipWndClass, section 1): the display
// ratio of the camera view and the six image effects.
#pragma once
#include <windows.h>

bool RegisterFlipSectionClass(HINSTANCE instance);

// Control ids of the section.
constexpr int kPreviewRatioText = 101;
constexpr int kPreviewRatioBar = 102;
constexpr int kPreviewRatio100 = 103;
constexpr int kPreviewFirstEffect = 104;  // 104-109: flip horz, flip vert, gray, binary, invert, emboss
