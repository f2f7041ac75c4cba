// Choosing the folder to save into (see save_folder_win.h).
#include "media/save_folder_win.h"

#include <windows.h>

#include "settings/app_settings.h"
#include "settings/folder_path.h"
#include "settings/settings_store.h"

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A relative path (from an older version or an edited registry) would depend on the working
// folder of the moment: not usable, the default folder is used instead.
bool Usable(const std::wstring& folder) {
    if (!IsFullFolderPath(folder)) return false;
    EnsureFolderPath(folder);
    return IsFolder(folder);
}

}  // namespace

SaveFolder UsableSaveFolder() {
    std::wstring chosen = AppSettings.imgDir;
    while (chosen.size() > 3 && (chosen.back() == L'\\' || chosen.back() == L'/')) chosen.pop_back();
    if (Usable(chosen)) return {chosen, false};
    const std::wstring fallback = DefaultSaveFolder(DocumentsFolder());
    if (fallback != chosen && Usable(fallback)) {
        OutputDebugStringW((L"Image folder unusable, saving in " + fallback + L"\r\n").c_str());
        return {fallback, true};
    }
    return {chosen.empty() ? fallback : chosen, false};
}
