// The depth specimen's controls between vcamctl and a running virtual microscope: the focus
// commands and the focus the camera is at, kept as values of the instance's registry key (Focus,
// FocusSweep, FocusCommand written by vcamctl; FocusNow by the camera at each frame); and the
// all-in-focus truth written as a picture file.
#pragma once
#include <windows.h>

#include <string>

#include "depth_specimen.h"

// Holds the focus at position (0..1), or sweeps it from where it is (sweepSeconds > 0, a pass
// from 0 to 1 in that time). False when there is no such instance.
bool SendFocusCommand(const std::wstring& name, double position, double sweepSeconds);
// The last command sent (serial 0 when none was).
FocusCommand ReadFocusCommand(const std::wstring& name);
// Where the camera's focus is now, as it last told; false before it told anything.
bool ReadFocusNow(const std::wstring& name, double* position);
void WriteFocusNow(const std::wstring& name, double position);

// Writes a width x height BGR picture (rows top-down, width * 3 bytes apart) as a 24-bit BMP.
bool WriteBmp(const std::wstring& path, const uint8_t* bgr, int width, int height);
