// The recent-files list (full paths of the saved photos and videos, oldest first, in memory
// without limit) and its stored text: newest first, each path followed by ";".
// User-interface thread only.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

extern std::vector<std::wstring> gRecentFiles;

// Appends a copy of path (the newest entry) to the list.
void AddRecentFile(const std::wstring& path);

constexpr std::size_t kRecentFilesWritten = 10;     // at most this many paths are stored
constexpr std::size_t kRecentFilesStopAt = 764;     // no path is added once this many characters are written
constexpr std::size_t kRecentFileMaxChars = 259;    // longer paths are never stored

// The stored text for a list kept oldest first: the newest paths first, at most 10, and none
// added once 764 characters are written, so the text always fits 1023 characters. Paths that
// cannot be stored faithfully (empty, longer than 259 characters, or holding the ";" that
// separates entries) are left out.
std::wstring BuildRecentFilesText(const std::vector<std::wstring>& oldestFirst);

// The paths of a stored text in text order (newest first). Each path ends at a ";"; a last
// piece without one is not a complete entry and is dropped, as are empty entries.
std::vector<std::wstring> ParseRecentFilesText(std::wstring_view text);
