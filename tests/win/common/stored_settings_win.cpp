// The program's settings as the registry holds them (see stored_settings_win.h).
#include "common/stored_settings_win.h"

#include "capture/camera_settings_win.h"
#include "settings/settings_store.h"

DWORD StoredNumber(const wchar_t* name) {
    DWORD n = 0, size = sizeof(n);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &n, &size) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return n;
}

std::wstring StoredText(const wchar_t* name, const wchar_t* missing) {
    wchar_t text[2048] = {};
    DWORD size = sizeof(text);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return missing;
    return text;
}

void ForgetCameraRecords() { RegDeleteTreeW(HKEY_CURRENT_USER, kCamerasKey); }
