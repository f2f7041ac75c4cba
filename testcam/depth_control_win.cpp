// Focus commands and the truth picture of the depth specimen (see depth_control_win.h).
#include "depth_control_win.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#include "vcam_config_win.h"

namespace {

std::wstring InstanceKey(const std::wstring& name) { return std::wstring(kVcamRootKey) + L"\\" + name; }

bool ReadNumber(HKEY key, const wchar_t* value, double* out) {
    wchar_t buf[64];
    DWORD size = sizeof(buf) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    buf[size / sizeof(wchar_t)] = 0;
    *out = _wtof(buf);
    return true;
}

void WriteNumber(HKEY key, const wchar_t* value, double number) {
    wchar_t buf[64];
    swprintf(buf, 64, L"%.6f", number);
    RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(buf), DWORD((wcslen(buf) + 1) * sizeof(wchar_t)));
}

}  // namespace

bool SendFocusCommand(const std::wstring& name, double position, double sweepSeconds) {
    HKEY key;
    if (!IsValidInstanceName(name) ||
        RegOpenKeyExW(HKEY_CURRENT_USER, InstanceKey(name).c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return false;
    DWORD serial = 0, size = sizeof(serial), type = 0;
    if (RegQueryValueExW(key, L"FocusCommand", nullptr, &type, reinterpret_cast<BYTE*>(&serial), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        serial = 0;
    if (sweepSeconds <= 0) WriteNumber(key, L"Focus", position);
    WriteNumber(key, L"FocusSweep", sweepSeconds > 0 ? sweepSeconds : 0);
    serial = serial + 1 == 0 ? 1 : serial + 1;  // 0 stays "no command"
    RegSetValueExW(key, L"FocusCommand", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&serial), sizeof(serial));
    RegCloseKey(key);
    return true;
}

FocusCommand ReadFocusCommand(const std::wstring& name) {
    FocusCommand c;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, InstanceKey(name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return c;
    DWORD serial = 0, size = sizeof(serial), type = 0;
    if (RegQueryValueExW(key, L"FocusCommand", nullptr, &type, reinterpret_cast<BYTE*>(&serial), &size) == ERROR_SUCCESS &&
        type == REG_DWORD)
        c.serial = serial;
    ReadNumber(key, L"Focus", &c.position);
    ReadNumber(key, L"FocusSweep", &c.sweepSeconds);
    RegCloseKey(key);
    return c;
}

bool ReadFocusNow(const std::wstring& name, double* position) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, InstanceKey(name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const bool ok = ReadNumber(key, L"FocusNow", position);
    RegCloseKey(key);
    return ok;
}

void WriteFocusNow(const std::wstring& name, double position) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, InstanceKey(name).c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
    WriteNumber(key, L"FocusNow", position);
    RegCloseKey(key);
}

bool WriteBmp(const std::wstring& path, const uint8_t* bgr, int width, int height) {
    const DWORD rowBytes = DWORD(width * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + rowBytes * DWORD(height);
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = -height;  // top-down
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = rowBytes * DWORD(height);
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    bool ok = std::fwrite(&file, sizeof(file), 1, f) == 1 && std::fwrite(&info, sizeof(info), 1, f) == 1;
    std::vector<uint8_t> row(rowBytes, 0);
    for (int y = 0; ok && y < height; ++y) {
        std::memcpy(row.data(), bgr + size_t(y) * width * 3, size_t(width) * 3);
        ok = std::fwrite(row.data(), 1, rowBytes, f) == rowBytes;
    }
    return std::fclose(f) == 0 && ok;
}
