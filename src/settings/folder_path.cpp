// Splitting a folder path into the folders to create, one level at a time.
#include "settings/folder_path.h"

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
}  // namespace

bool IsFullFolderPath(std::wstring_view path) {
    if (path.size() >= 4 && path.substr(0, 4) == L"\\\\?\\") path.remove_prefix(4);
    const auto letter = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); };
    if (path.size() >= 3 && letter(path[0]) && path[1] == L':' && IsSeparator(path[2])) return true;
    if (path.size() < 5 || !IsSeparator(path[0]) || !IsSeparator(path[1]) || IsSeparator(path[2])) return false;
    const std::size_t share = path.find_first_of(L"\\/", 2);  // the separator after the server
    return share != std::wstring_view::npos && share + 1 < path.size() && !IsSeparator(path[share + 1]);
}

std::vector<std::wstring> FolderPathPrefixes(std::wstring_view path) {
    std::vector<std::wstring> prefixes;
    std::wstring p(path);
    if (p.empty() || !IsSeparator(p.back())) p += L'\\';

    // Separators before the first creatable folder: one after the drive, four for
    // "\\server\share\" (also "\\?\C:\").
    std::size_t skip = 1;
    if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) skip = 4;

    std::size_t seen = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (!IsSeparator(p[i])) continue;
        ++seen;
        if (seen <= skip) continue;
        if (i == 0 || IsSeparator(p[i - 1])) continue;  // empty component
        prefixes.emplace_back(p, 0, i);
    }
    return prefixes;
}

bool EnsureFolders(std::wstring_view path, FolderSystem& fs) {
    bool ok = true;
    const std::vector<std::wstring> folders = FolderPathPrefixes(path);
    for (std::size_t i = 0; i < folders.size(); ++i) {
        switch (fs.KindOf(folders[i])) {
        case FolderSystem::Kind::Folder:
            break;
        case FolderSystem::Kind::File:
            ok = false;
            break;
        case FolderSystem::Kind::Missing:
            if (!fs.CreateFolder(folders[i])) ok = false;
            break;
        }
    }
    return ok;
}
