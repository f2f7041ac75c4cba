// The rows of the files section: which recent files it lists, in which order, and the text of
// a row. gRecentFiles keeps the order the files were saved in (the stored list keeps the newest);
// the section shows its entries through an order of its own.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Code unit by code unit as unsigned 16-bit values, a proper prefix first (case-sensitive:
// "B.jpg" comes before "x.jpg").
bool OrdinalLess(std::wstring_view a, std::wstring_view b);

// Keeps the paths for which openable() holds, in their order.
void KeepListedFiles(std::vector<std::wstring>& paths, const std::function<bool(const std::wstring&)>& openable);
// The indices of paths in the order the section lists them: ordinal order of the paths (equal
// paths keep their order).
std::vector<size_t> ListedOrder(const std::vector<std::wstring>& paths);

// The text a row shows: what follows the last backslash at index 1 or later; without one, the
// path from its third character (so "C:name" shows "name"); empty for a path shorter than that.
std::wstring_view RecentRowText(std::wstring_view path);
