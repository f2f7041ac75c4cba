// The light under the virtual microscope and what the camera does with it: a colour cast like an
// LED ring's (--cast R,G,B), the exposure (camera control 4) that darkens and brightens the
// picture, the white balance (video proc amp 7) that shifts its colour temperature; and the
// serial number a camera may carry in its device path (--serial S). Kept apart from the other
// options: its own values in the instance key, its own command-line options.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct VcamLight {
    double cast[3] = {1.0, 1.0, 1.0};  // red, green, blue factors of the light
    std::wstring serial;               // empty: no serial number in the device path
    bool Tinted() const { return cast[0] != 1.0 || cast[1] != 1.0 || cast[2] != 1.0; }
};

// "1.0,0.85,0.7": three factors 0.05..4, red first.
bool ParseCast(const std::wstring& text, double (&rgb)[3]);
std::wstring CastText(const double (&rgb)[3]);
// A serial number: 1..64 letters and digits (what USB devices report).
bool IsValidSerial(const std::wstring& serial);

// Values "Cast" and "Serial" of an instance's key.
void ReadVcamLight(HKEY key, VcamLight* out);
void WriteVcamLight(HKEY key, const VcamLight& light);

// vcamctl's options of this kind at argv[i] (--cast R,G,B, --serial S): 1 taken (i moves past
// its value), 0 not one of them, -1 malformed.
int ParseVcamLightOption(int argc, wchar_t** argv, int& i, VcamLight* light);

// The plug-and-play device path of a camera with this serial number.
std::wstring SerialDevicePath(const std::wstring& serial);

// The camera's settings that act on the light it records.
struct LightSettings {
    long exposure = -6;  // log2 seconds; -6 is the picture as drawn
    bool exposureAuto = true;
    long whiteBalance = 4600;  // kelvin; 4600 is the light's own temperature
    bool whiteBalanceAuto = true;
};
constexpr long kNeutralExposure = -6;
constexpr long kNeutralWhiteBalance = 4600;

// The picture under the light: each channel scaled by the cast, the exposure (2^(steps / 2)
// from the neutral one, none in automatic mode) and the white balance (a warmer picture above
// the light's temperature, a cooler one below; none in automatic mode). Does nothing when all
// factors are 1.
void ApplyLight(uint8_t* bgr, size_t pixels, const VcamLight& light, const LightSettings& settings);
