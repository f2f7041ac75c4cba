// Files the tests make on disk: removing a file or a folder with all it holds, the files a
// folder holds, and a fresh empty folder in the temporary folder.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Removes the file, or the folder and everything below it; nothing when there is none.
void RemoveTree(const std::wstring& path);
// The names of the files in the folder (not its folders) that match the pattern.
std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern = L"*");
// The folder name in the temporary folder, emptied and made afresh.
std::wstring FreshTempFolder(const wchar_t* name);
