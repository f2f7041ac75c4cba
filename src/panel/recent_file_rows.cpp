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
