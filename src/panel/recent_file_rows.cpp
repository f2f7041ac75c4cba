// Rows of the files section (see recent_file_rows.h).
#include "panel/recent_file_rows.h"

#include <algorithm>
#include <cstdint>

bool OrdinalLess(std::wstring_view a, std::wstring_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        uint16_t x = uint16_t(a[i]), y = uint16_t(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

void KeepListedFiles(std::vector<std::wstring>& paths, const std::function<bool(const std::wstring&)>& openable) {
    paths.erase(std::remove_if(paths.begin(), paths.end(), [&](const std::wstring& p) { return !openable(p); }),
                paths.end());
}

std::vector<size_t> ListedOrder(const std::vector<std::wstring>& paths) {
    std::vector<size_t> order(paths.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return OrdinalLess(paths[a], paths[b]); });
    return order;
}

std::wstring_view RecentRowText(std::wstring_view path) {
    for (size_t i = path.size(); i-- > 1;) {
        if (path[i] == L'\\') return path.substr(i + 1);
    }
    return path.size() > 2 ? path.substr(2) : std::wstring_view();
}

size_t DropGoneFiles(std::vector<std::wstring>& files, std::vector<size_t>& rows,
                     const std::function<bool(const std::wstring&)>& gone, int& selectedRow) {
    std::vector<size_t> newIndex(files.size());  // where each file goes; files.size() when dropped
    size_t kept = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        if (gone(files[i])) {
            newIndex[i] = files.size();
            continue;
        }
        newIndex[i] = kept;
        if (kept != i) files[kept] = std::move(files[i]);
        ++kept;
    }
    const size_t dropped = files.size() - kept;
    if (!dropped) return 0;
    std::vector<size_t> keptRows;
    int selected = -1;
    for (size_t row = 0; row < rows.size(); ++row) {
        if (rows[row] >= newIndex.size() || newIndex[rows[row]] == files.size()) continue;
        if (int(row) == selectedRow) selected = int(keptRows.size());
        keptRows.push_back(newIndex[rows[row]]);
    }
    files.resize(kept);
    rows = std::move(keptRows);
    selectedRow = selected;
    return dropped;
}

std::wstring PathDriveRoot(std::wstring_view path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return {};
    const wchar_t letter = path[0];
    if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'))) return {};
    return std::wstring(path.substr(0, 3));
}
