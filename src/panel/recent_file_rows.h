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

// Drops from files the entries gone() says are gone (asked once each), and from rows (each an
// index into files) the rows that showed them; the rows left show the same files as before.
// selectedRow, a row or -1, follows its file, or becomes -1 when that file was dropped.
// Returns how many files were dropped.
size_t DropGoneFiles(std::vector<std::wstring>& files, std::vector<size_t>& rows,
                     const std::function<bool(const std::wstring&)>& gone, int& selectedRow);

// "X:\" for a path on drive X (a letter, a colon, a backslash), empty otherwise (a network
// path, a relative one).
std::wstring PathDriveRoot(std::wstring_view path);

// The text a row shows: what follows the last backslash at index 1 or later; without one, the
// path from its third character (so "C:name" shows "name"); empty for a path shorter than that.
std::wstring_view RecentRowText(std::wstring_view path);
