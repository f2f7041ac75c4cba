// The folders EnsureFolderPath visits for a path.
#include <gtest/gtest.h>

#include <map>

#include "settings/folder_path.h"

namespace {

using Paths = std::vector<std::wstring>;

TEST(FolderPathPrefixes, EveryFolderAfterTheFirstComponent) {
    const struct { const wchar_t* path; Paths folders; } cases[] = {
        {L"C:\\Users\\ann\\Pics\\Thumbnails", {L"C:\\Users", L"C:\\Users\\ann", L"C:\\Users\\ann\\Pics",
                                                L"C:\\Users\\ann\\Pics\\Thumbnails"}},
        {L"C:\\Pics\\", {L"C:\\Pics"}},
        {L"C:\\Pics\\\\Sub", {L"C:\\Pics", L"C:\\Pics\\\\Sub"}},
        {L"C:/Pics/Sub", {L"C:/Pics", L"C:/Pics/Sub"}},
        {L"\\\\server\\share\\Pics\\Sub", {L"\\\\server\\share\\Pics", L"\\\\server\\share\\Pics\\Sub"}},
        {L"\\\\?\\C:\\Pics", {L"\\\\?\\C:\\Pics"}},
        {L"C:", {}},
        {L"C:\\", {}},
        {L"", {}},
        {L"Pics\\Sub", {L"Pics\\Sub"}},
    };
    for (const auto& c : cases) EXPECT_EQ(FolderPathPrefixes(c.path), c.folders) << std::wstring(c.path).size();
}

// Folders in memory: path -> read-only flag. Records what the walk changes.
struct FakeFolders : FolderSystem {
    std::map<std::wstring, bool> folders;
    Paths created, cleared;
    Kind KindOf(const std::wstring& path, bool* readOnly) override {
        auto it = folders.find(path);
        if (it == folders.end()) return Kind::Missing;
        *readOnly = it->second;
        return Kind::Folder;
    }
    bool CreateFolder(const std::wstring& path) override {
        created.push_back(path);
        folders[path] = false;
        return true;
    }
    void ClearReadOnly(const std::wstring& path) override {
        cleared.push_back(path);
        folders[path] = false;
    }
};

// Documents and its parents are read-only (customised folders): only the save folder and its
// "Thumbnails" may lose the attribute.
TEST(EnsureFolders, ClearsReadOnlyOnlyOnTheLastLevels) {
    const std::wstring docs = L"C:\\Users\\ann\\Documents", save = docs + L"\\Vardelo Files";
    const struct { const wchar_t* name; size_t levels; bool saveExists; Paths cleared, created; } cases[] = {
        {L"both there", 2, true, {save, save + L"\\Thumbnails"}, {}},
        {L"thumbnails missing", 2, true, {save}, {save + L"\\Thumbnails"}},
        {L"save folder missing", 2, false, {}, {save, save + L"\\Thumbnails"}},
        {L"no level writable", 0, true, {}, {}},
    };
    for (const auto& c : cases) {
        FakeFolders fs;
        for (const std::wstring& f : Paths{L"C:\\Users", L"C:\\Users\\ann", docs}) fs.folders[f] = true;
        if (c.saveExists) fs.folders[save] = true;
        if (c.saveExists && c.created.empty()) fs.folders[save + L"\\Thumbnails"] = true;
        EXPECT_TRUE(EnsureFolders(save + L"\\Thumbnails", c.levels, fs)) << c.name;
        EXPECT_EQ(fs.cleared, c.cleared) << c.name;
        EXPECT_EQ(fs.created, c.created) << c.name;
        EXPECT_TRUE(fs.folders[docs]) << c.name;
    }
}

}  // namespace
