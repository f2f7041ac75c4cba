// Splitting a folder path into the folders to create, one level at a time.
#include "settings/folder_path.h"

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
}  // namespace

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
