// Portable rules of putting a finished file in place: the temporary name beside it, the long
// form of a path, and which failures of the final rename are worth waiting out.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Characters a path may have, with its terminator, before it needs the long form (MAX_PATH).
constexpr std::size_t kShortPathChars = 260;

// The temporary file beside finalPath: "~vdl" and number in eight hex digits, ".tmp", in the
// same folder. Never longer than the folder plus 17 characters.
std::wstring TemporaryPathFor(std::wstring_view finalPath, uint32_t number);

// True when path, with its terminator, fits in kShortPathChars.
bool FitsShortPath(std::wstring_view path);

// The long form of an absolute, normalised path ("C:\a" -> "\\?\C:\a", "\\server\share\a" ->
// "\\?\UNC\server\share\a"), which the file functions take at any length. "/" becomes "\". A
// path already in that form, or not absolute, comes back as it is.
std::wstring LongFormPath(std::wstring_view fullPath);

// A rename or replace that failed with this system error may work a moment later: a program
// holds the new file open without delete sharing (a virus scanner, the search indexer, a
// cloud-sync client), or still holds the file being replaced.
bool RenameMayClearUp(uint32_t error);
