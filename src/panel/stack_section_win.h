// The focus stack section of the control panel (CtrlPanelStackWndClass): the button that starts
// a stack and, while one is made, stops and saves it; Cancel; the depth-map option; and the
// stack's status ("12 frames fused", "all sharp — stop?").
#pragma once
#include <windows.h>

bool RegisterStackSectionClass(HINSTANCE instance);

// Control ids of the section.
constexpr int kStackStartStop = 101;
constexpr int kStackCancel = 102;
constexpr int kStackDepthOption = 103;
constexpr int kStackStatus = 104;
