// The folders EnsureFolderPath walks for a path, worked out without touching the file system.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Every folder of path that may have to be created, shortest first, each without its trailing
// separator. "\" and "/" both separate. The first component (a drive such as "C:", or the
// server and share of a "\\server\share" path) is never included, nor are empty components.
std::vector<std::wstring> FolderPathPrefixes(std::wstring_view path);
