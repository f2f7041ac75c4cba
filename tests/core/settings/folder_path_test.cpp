// The folders EnsureFolderPath visits for a path.
#include <gtest/gtest.h>

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

}  // namespace
