// The system's folder picker and save dialog (the common item dialogs), opened in the folder the
// program names every time rather than where they were last used. User-interface thread, with
// COM initialised.
#pragma once
#include <windows.h>

#include <string>

// The folder picker with its path field and Quick access, starting in start (when it exists).
// True with the chosen folder's file-system path when the user picks one.
bool PickFolder(HWND owner, const std::wstring& start, std::wstring* picked);

// What the save dialog offers: one file type, and the name it suggests.
struct SaveRequest {
    std::wstring folder;      // where it opens
    std::wstring fileName;    // suggested name
    std::wstring typeName;    // "CSV files (*.csv)"
    std::wstring typeFilter;  // "*.csv"
    std::wstring extension;   // added to a typed name without one: "csv"
};
// The save dialog; asks before an existing file is replaced. True with the chosen file-system
// path when the user chooses one.
bool AskSavePath(HWND owner, const SaveRequest& request, std::wstring* path);
