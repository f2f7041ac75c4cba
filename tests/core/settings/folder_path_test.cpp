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

TEST(IsFullFolderPath, DrivesSharesAndLongFormsOnly) {
    const struct { const wchar_t* path; bool full; } cases[] = {
        {L"D:\\Pics", true}, {L"d:/Pics", true}, {L"D:\\", true}, {L"\\\\server\\share", true},
        {L"\\\\server\\share\\Pics", true}, {L"\\\\?\\D:\\Pics", true}, {L"//server/share", true},
        {L"", false}, {L"12", false}, {L"Pics\\Sub", false}, {L"D:", false}, {L"D:Pics", false},
        {L"\\Pics", false}, {L"\\\\server", false}, {L"\\\\server\\", false}, {L"\\\\\\share", false},
        {L"1:\\Pics", false}, {L" D:\\Pics", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsFullFolderPath(c.path), c.full) << std::wstring(c.path).size();
}

// Folders and files in memory. Records what the walk creates; it has no way to change a
// folder's attributes, which is the point: Documents, Pictures and the save folder keep theirs.
struct FakeFolders : FolderSystem {
    std::map<std::wstring, Kind> entries;
    Paths created;
    Kind KindOf(const std::wstring& path) override {
        auto it = entries.find(path);
        return it == entries.end() ? Kind::Missing : it->second;
    }
    bool CreateFolder(const std::wstring& path) override {
        created.push_back(path);
        entries[path] = Kind::Folder;
        return true;
    }
};

TEST(EnsureFolders, CreatesWhatIsMissingAndLeavesTheRest) {
    const std::wstring docs = L"C:\\Users\\ann\\Documents", save = docs + L"\\Vardelo Files";
    const std::wstring thumbs = save + L"\\Thumbnails";
    using Kind = FolderSystem::Kind;
    const struct { const wchar_t* name; Kind save, thumbs; bool ok; Paths created; } cases[] = {
        {L"both there", Kind::Folder, Kind::Folder, true, {}},
        {L"thumbnails missing", Kind::Folder, Kind::Missing, true, {thumbs}},
        {L"save folder missing", Kind::Missing, Kind::Missing, true, {save, thumbs}},
        {L"a file in the way", Kind::File, Kind::Missing, false, {thumbs}},
    };
    for (const auto& c : cases) {
        FakeFolders fs;
        for (const std::wstring& f : Paths{L"C:\\Users", L"C:\\Users\\ann", docs}) fs.entries[f] = Kind::Folder;
        if (c.save != Kind::Missing) fs.entries[save] = c.save;
        if (c.thumbs != Kind::Missing) fs.entries[thumbs] = c.thumbs;
        EXPECT_EQ(EnsureFolders(thumbs, fs), c.ok) << c.name;
        EXPECT_EQ(fs.created, c.created) << c.name;
        EXPECT_EQ(fs.entries[save], c.save == Kind::Missing ? Kind::Folder : c.save) << c.name;
    }
}

}  // namespace
