// Loading and saving AppSettings through the per-user settings store (the registry key
// "Software\Vardelo" under the current user). User-interface thread only.
#pragma once
#include <cstddef>
#include <string>

// Loads and checks every setting, loads the text table of the stored language, parses the
// stored calibrations and picks the default save folder when none is stored. Always succeeds.
void LoadSettings();

// Writes every setting, rebuilding the calibrations text from the calibration table and the
// recent-files text from the recent-files list, then makes sure the save folder and its
// "Thumbnails" sub-folder exist. Errors are not reported.
void SaveSettings();

// Creates every missing folder of path. A plain file standing where a folder is needed is left
// untouched and makes the result false, and folders that exist keep their attributes. Returns
// true when every folder of the path exists.
bool EnsureFolderPath(const std::wstring& path);

// The current user's documents folder, empty when the system has none.
std::wstring DocumentsFolder();

// The registry key of the settings, under the current user.
constexpr wchar_t kSettingsKey[] = L"Software\\Vardelo";
