// Putting a finished file in place: it is written in full under a temporary name beside its
// final one, then renamed, so that no half-written file ever stands under the final name. Photos,
// video covers and measurement tables all go through here. User-interface thread: the rename may
// wait up to about a second for a program that holds the new file.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

// Writes the file whose name it is given; true when every byte is there and the file closed.
using FileWriter = std::function<bool(const std::wstring& temporary)>;

// Fills path through write(temporary), which writes a temporary file in the same folder; that
// file then takes the name path, unless a file of that name exists by then (nothing is ever
// replaced). On any failure the temporary file is removed and false returned. Any folder that
// path fits in works, however long its own path.
bool WriteWholeFile(const std::wstring& path, const FileWriter& write);

// The same, but a file of that name is replaced in place: it keeps its permissions, its
// creation time and its other attributes (ReplaceFileW).
bool ReplaceWholeFile(const std::wstring& path, const FileWriter& write);

// Writes size bytes to file (created or emptied); true only when every byte was written and the
// file closed. Meant for the temporary file of the two above.
bool WriteBytesToFile(const std::wstring& file, const void* data, size_t size);

// Asked after a failed save into folder: true when the folder exists and Windows refuses to let
// this program create files in it ("access denied"), as Controlled folder access does for
// Documents, Pictures and the desktop until the user allows the program.
bool FolderRefusesNewFiles(const std::wstring& folder);
