// What the calibration tests read and pick: the manager's list rows and the slots as stored.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "common/stored_settings_win.h"

inline std::wstring ItemText(HWND list, int row, int column) {
    wchar_t buf[256] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buf;
}

inline void SelectRow(HWND list, int row) {
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

// The "Calibrations" value in the settings, or "<missing>".
inline std::wstring StoredCalibrations() { return StoredText(L"Calibrations", L"<missing>"); }
