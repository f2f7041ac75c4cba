// The recent-files list and its stored text form.
#include "settings/recent_files.h"

std::vector<std::wstring> gRecentFiles;

std::wstring BuildRecentFilesText(const std::vector<std::wstring>& oldestFirst) {
    std::wstring text;
    std::size_t count = 0;
    for (auto it = oldestFirst.rbegin(); it != oldestFirst.rend(); ++it) {
        if (count >= kRecentFilesWritten || text.size() >= kRecentFilesStopAt) break;
        const std::wstring& path = *it;
        if (path.empty() || path.size() > kRecentFileMaxChars || path.find(L';') != std::wstring::npos)
            continue;
        text += path;
        text += L';';
        ++count;
    }
    return text;
}

std::vector<std::wstring> ParseRecentFilesText(std::wstring_view text) {
    std::vector<std::wstring> paths;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(L';', pos);
        if (end == std::wstring_view::npos) break;
        if (end > pos) paths.emplace_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return paths;
}

void AddRecentFile(const std::wstring& path) { gRecentFiles.push_back(path); }
