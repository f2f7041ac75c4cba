// Photo rules: the encoder a path gets, message texts and the open-folder target.
#include "media/photo_paths.h"

#include <gtest/gtest.h>

#include <map>

TEST(PhotoPaths, EncoderByTheExactEnding) {
    using E = PhotoEncoder;
    struct Case { const wchar_t* path; E encoder; } cases[] = {
        {L"C:\\P\\20230322-142501-007.jpg", E::Jpeg}, {L"C:\\P\\20230322-142501-007.png", E::Png},
        {L"C:\\P\\20230322-142501-007.tif", E::Tiff}, {L"C:\\P\\a.tiff", E::Tiff}, {L"C:\\P\\a.TIF", E::Png},
        {L"C:\\P\\a.JPG", E::Png}, {L"C:\\P\\a.jpeg", E::Png}, {L"jpg", E::Jpeg}, {L"pg", E::Png}, {L"", E::Png},
    };
    for (const auto& c : cases) EXPECT_EQ(PhotoEncoderFor(c.path), c.encoder) << c.path;
    EXPECT_EQ(PhotoEncoderFor(std::wstring(L"C:\\P\\a.") + PhotoExtension(2)), E::Tiff);
    EXPECT_STREQ(PhotoExtension(1), L"png");
    EXPECT_STREQ(PhotoExtension(7), L"jpg");
}

TEST(PhotoPaths, TextWithPathFillsThePlaceholder) {
    EXPECT_EQ(TextWithPath(L"File saved: %s", L"C:\\a.jpg"), L"File saved: C:\\a.jpg");
    EXPECT_EQ(TextWithPath(L"\u7167\u7247\u672A\u4FDD\u5B58\uFF1A%s", L"D:\\x"), L"\u7167\u7247\u672A\u4FDD\u5B58\uFF1AD:\\x");
    EXPECT_EQ(TextWithPath(L"", L"C:\\a.jpg"), L"C:\\a.jpg");  // a text missing from the table still names the file
}

TEST(PhotoPaths, OpenFolderTargetOrder) {
    // Files by pattern, as the file system would list them first.
    using Listing = std::map<std::wstring, std::wstring>;
    struct Case { const wchar_t* savePath; Listing files; const wchar_t* target; bool select; } cases[] = {
        {L"F\\last.png", {{L"F\\*.jpg", L"a.jpg"}}, L"F\\last.png", true},
        {L"", {{L"F\\*.jpg", L"a.jpg"}, {L"F\\*.png", L"b.png"}}, L"F\\a.jpg", true},
        {L"", {{L"F\\*.png", L"b.png"}, {L"F\\*.avi", L"c.avi"}}, L"F\\b.png", true},
        {L"", {{L"F\\*.tif", L"d.tif"}, {L"F\\*.avi", L"c.avi"}}, L"F\\d.tif", true},
        {L"", {{L"F\\*.tiff", L"e.tiff"}, {L"F\\*.avi", L"c.avi"}}, L"F\\e.tiff", true},
        {L"", {{L"F\\*.avi", L"c.avi"}}, L"F\\c.avi", true},
        {L"", {}, L"F", false},  // opened itself: selecting it would open its parent
    };
    for (const auto& c : cases) {
        auto first = [&](const std::wstring& pattern) {
            auto it = c.files.find(pattern);
            return it == c.files.end() ? std::wstring() : it->second;
        };
        const FolderTarget target = OpenFolderTarget(c.savePath, L"F", first);
        EXPECT_EQ(target.path, c.target);
        EXPECT_EQ(target.selectInFolder, c.select) << c.target;
    }
}
