// The virtual microscope's light, exposure and white balance, and its serial number.
#include "vcam_light_win.h"

#include <cmath>
#include <cwchar>
#include <cwctype>

bool ParseCast(const std::wstring& text, double (&rgb)[3]) {
    double v[3];
    wchar_t rest = 0;
    if (swscanf(text.c_str(), L" %lf , %lf , %lf %lc", &v[0], &v[1], &v[2], &rest) != 3) return false;
    for (double f : v)
        if (!(f >= 0.05 && f <= 4.0)) return false;
    for (int i = 0; i < 3; ++i) rgb[i] = v[i];
    return true;
}

std::wstring CastText(const double (&rgb)[3]) {
    wchar_t buf[64];
    swprintf(buf, 64, L"%g,%g,%g", rgb[0], rgb[1], rgb[2]);
    return buf;
}

bool IsValidSerial(const std::wstring& serial) {
    if (serial.empty() || serial.size() > 64) return false;
    for (wchar_t c : serial)
        if (!std::iswalnum(c) || c > 127) return false;
    return true;
}

void ReadVcamLight(HKEY key, VcamLight* out) {
    *out = VcamLight{};
    wchar_t buf[128];
    DWORD size = sizeof(buf) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, L"Cast", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        buf[size / sizeof(wchar_t)] = 0;
        ParseCast(buf, out->cast);
    }
    size = sizeof(buf) - sizeof(wchar_t);
    if (RegQueryValueExW(key, L"Serial", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        buf[size / sizeof(wchar_t)] = 0;
        if (IsValidSerial(buf)) out->serial = buf;
    }
}

void WriteVcamLight(HKEY key, const VcamLight& light) {
    auto write = [&](const wchar_t* name, const std::wstring& text) {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    };
    if (light.Tinted()) write(L"Cast", CastText(light.cast));
    else RegDeleteValueW(key, L"Cast");
    if (!light.serial.empty()) write(L"Serial", light.serial);
    else RegDeleteValueW(key, L"Serial");
}

int ParseVcamLightOption(int argc, wchar_t** argv, int& i, VcamLight* light) {
    const std::wstring opt = argv[i];
    if (opt != L"--cast" && opt != L"--serial") return 0;
    if (i + 1 >= argc) return -1;
    const std::wstring value = argv[++i];
    if (opt == L"--cast") return ParseCast(value, light->cast) ? 1 : -1;
    if (!IsValidSerial(value)) return -1;
    light->serial = value;
    return 1;
}

std::wstring SerialDevicePath(const std::wstring& serial) {
    return L"\\\\?\\usb#vid_1d6b&pid_0103#" + serial + L"#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
}

void ApplyLight(uint8_t* bgr, size_t pixels, const VcamLight& light, const LightSettings& s) {
    const double exposure = s.exposureAuto ? 1.0 : std::pow(2.0, (s.exposure - kNeutralExposure) / 2.0);
    double warm = 1.0;  // red up, blue down
    if (!s.whiteBalanceAuto && s.whiteBalance > 0) warm = std::sqrt(double(s.whiteBalance) / kNeutralWhiteBalance);
    const double factor[3] = {light.cast[2] * exposure / warm, light.cast[1] * exposure, light.cast[0] * exposure * warm};
    if (factor[0] == 1.0 && factor[1] == 1.0 && factor[2] == 1.0) return;
    uint8_t lut[3][256];
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v) {
            const double out = v * factor[c] + 0.5;
            lut[c][v] = static_cast<uint8_t>(out > 255 ? 255 : out);
        }
    for (size_t i = 0; i < pixels; ++i, bgr += 3) {
        bgr[0] = lut[0][bgr[0]];
        bgr[1] = lut[1][bgr[1]];
        bgr[2] = lut[2][bgr[2]];
    }
}
