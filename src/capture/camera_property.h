// One camera image setting (range, default, current value and mode) and the eleven the
// program reads from a camera, in the order they are kept.
#pragma once
#include <cstdint>

struct CameraProperty {
    int32_t minimum = 0, maximum = 0, step = 0, defaultValue = 0;
    int32_t flags = 0;        // capability flags of the range query, then the current mode
    int32_t value = 0;
    int32_t autoCapable = 0;  // the camera can run this property automatically
    int32_t autoNow = 0;      // the property is automatic now
};

enum CameraPropertyIndex {
    kPropExposure,
    kPropWhiteBalance,
    kPropGain,
    kPropBrightness,
    kPropContrast,
    kPropHue,
    kPropSaturation,
    kPropSharpness,
    kPropGamma,
    kPropBacklight,
    kPropPowerLine,
    kCameraPropertyCount
};

struct CameraPropertyInfo {
    bool cameraControl;  // IAMCameraControl; otherwise IAMVideoProcAmp
    int32_t id;          // the interface's property id
};

// Interface and property id of each record, by CameraPropertyIndex.
constexpr CameraPropertyInfo kCameraPropertyInfo[kCameraPropertyCount] = {
    {true, 4},    // exposure
    {false, 7},   // white balance
    {false, 9},   // gain
    {false, 0},   // brightness
    {false, 1},   // contrast
    {false, 2},   // hue
    {false, 3},   // saturation
    {false, 4},   // sharpness
    {false, 5},   // gamma
    {false, 8},   // backlight compensation
    {false, 13},  // power-line frequency
};

// The order in which the video processing amplifier's properties are queried.
constexpr CameraPropertyIndex kProcAmpQueryOrder[] = {
    kPropGain, kPropWhiteBalance, kPropSaturation, kPropContrast, kPropHue,
    kPropBrightness, kPropSharpness, kPropGamma, kPropPowerLine, kPropBacklight};

// Zeroes every record except white balance and backlight compensation, which keep their
// last values until the next query (what a session teardown does).
void ResetCameraProperties(CameraProperty (&props)[kCameraPropertyCount]);
