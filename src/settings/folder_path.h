// The folders EnsureFolderPath walks for a path, and the walk itself over a small file-system
// interface, so the rules can be checked without touching the file system.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Every folder of path that may have to be created, shortest first, each without its trailing
// separator. "\" and "/" both separate. The first component (a drive such as "C:", or the
// server and share of a "\\server\share" path) is never included, nor are empty components.
std::vector<std::wstring> FolderPathPrefixes(std::wstring_view path);

// True for a path that names a folder wherever the program runs: a drive and its root ("D:\\Pics",
// "D:/Pics", "D:\\"), a share ("\\\\server\\share\\Pics") or either in long form ("\\\\?\\D:\\Pics").
// A relative path ("Pics", "D:Pics", "\\Pics") would depend on the working folder of the moment,
// so it is not one.
bool IsFullFolderPath(std::wstring_view path);

// What the walk needs of the file system.
class FolderSystem {
public:
    enum class Kind { Missing, Folder, File };
    virtual ~FolderSystem() = default;
    virtual Kind KindOf(const std::wstring& path) = 0;
    virtual bool CreateFolder(const std::wstring& path) = 0;  // true when made or already there
};

// Creates every missing folder of path, shortest first, and goes on past a failure. A file
// standing where a folder belongs is left untouched, and so are the attributes of folders that
// exist: on a folder, read-only marks a customised one (its desktop.ini: a translated name, an
// icon), such as Documents or Pictures, and does not keep files from being written into it.
// Returns true when every folder of the path exists.
bool EnsureFolders(std::wstring_view path, FolderSystem& fs);
