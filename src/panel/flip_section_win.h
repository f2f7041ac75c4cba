// The preview section of the control panel (CtrlPanelFlipWndClass, section 1): the display
// ratio of the camera view, the six image effects, the camera's own settings (exposure, white
// balance, anti-flicker, reset) and the live histogram.
#pragma once
#include <windows.h>

bool RegisterFlipSectionClass(HINSTANCE instance);

// Control ids of the section.
constexpr int kPreviewRatioText = 101;
constexpr int kPreviewRatioBar = 102;
constexpr int kPreviewRatio100 = 103;
constexpr int kPreviewFirstEffect = 104;  // 104-109: flip horz, flip vert, gray, binary, invert, emboss
constexpr int kPreviewExposure = 110;     // the camera's settings: quick-adjust pop-ups beside the button
constexpr int kPreviewWhiteBalance = 111;
constexpr int kPreviewAntiFlicker = 112;
constexpr int kPreviewResetCamera = 113;
constexpr int kPreviewHistogram = 114;
constexpr int kPreviewHistogramRgb = 115;  // check box: the channels' curves over the luminance
