// The rows of the files section: which recent files it lists, in which order, and the text of
// a row. The section shows gRecentFiles row for row, so these work on that list in place.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Code unit by code unit as unsigned 16-bit values, a proper prefix first (case-sensitive:
// "B.jpg" comes before "x.jpg").
bool OrdinalLess(std::wstring_view a, std::wstring_view b);

// Keeps the paths for which openable() holds and sorts them ordinally (equal paths keep their order).
void KeepListedFiles(std::vector<std::wstring>& paths, const std::function<bool(const std::wstring&)>& openable);

// The text a row shows: what follows the last backslash at index 1 or later; without one, the
// path from its third character (so "C:name" shows "name"); empty for a path shorter than that.
std::wstring_view RecentRowText(std::wstring_view path);
