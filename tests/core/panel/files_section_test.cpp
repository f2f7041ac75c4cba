// The files section's rows (which files, in which order, with which text) and its sizes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel/files_section_layout.h"
#include "panel/recent_file_rows.h"

namespace {

TEST(FilesRows, OrdinalOrder) {
    struct Case { std::wstring a, b; bool less; };
    const Case cases[] = {
        {L"C:\\p\\B.jpg", L"C:\\p\\x.jpg", true},   // upper case before lower case
        {L"C:\\p\\x.jpg", L"C:\\p\\B.jpg", false},
        {L"C:\\p\\a", L"C:\\p\\a.jpg", true},       // a proper prefix first
        {L"C:\\p\\a.jpg", L"C:\\p\\a", false},
        {L"C:\\p\\a.jpg", L"C:\\p\\a.jpg", false},
        {L"C:\\p\\z.jpg", L"C:\\p\\\u4e2d.jpg", true},  // compared as unsigned 16-bit units
        {L"C:\\p\\\u00e9", L"C:\\p\\\uffff", true},
    };
    for (const Case& c : cases) EXPECT_EQ(OrdinalLess(c.a, c.b), c.less);
}

// The list keeps the order the files were saved in (the stored list keeps the newest of it);
// only the rows are in ordinal order.
TEST(FilesRows, KeepsOpenableFilesInTheirOrderAndListsThemOrdinally) {
    std::vector<std::wstring> list = {L"C:\\p\\x.jpg", L"C:\\p\\gone.jpg", L"C:\\p\\B.jpg", L"C:\\p\\x.jpg"};
    KeepListedFiles(list, [](const std::wstring& p) { return p.find(L"gone") == std::wstring::npos; });
    EXPECT_EQ(list, (std::vector<std::wstring>{L"C:\\p\\x.jpg", L"C:\\p\\B.jpg", L"C:\\p\\x.jpg"}));
    EXPECT_EQ(ListedOrder(list), (std::vector<size_t>{1, 0, 2}));
}

// Files deleted while listed leave with their rows; the selection follows its file, or goes.
TEST(FilesRows, GoneFilesLeaveWithTheirRowsAndTheSelectionFollowsItsFile) {
    std::vector<std::wstring> files = {L"x", L"-1", L"B", L"-2", L"new"};  // "new" has no row yet
    std::vector<size_t> rows = {2, 1, 3, 0};
    int selected = 3, lost = 1;
    EXPECT_EQ(DropGoneFiles(files, rows, [](const std::wstring& p) { return p[0] == L'-'; }, selected), 2u);
    EXPECT_TRUE(files == (std::vector<std::wstring>{L"x", L"B", L"new"}) && rows == (std::vector<size_t>{1, 0}) && selected == 1);
    DropGoneFiles(files, rows, [](const std::wstring& p) { return p == L"x"; }, lost);
    EXPECT_TRUE(rows == std::vector<size_t>{0} && lost == -1);
}

TEST(FilesRows, RowTextFollowsTheLastBackslash) {
    struct Case { const wchar_t* path; const wchar_t* text; };
    const Case cases[] = {
        {L"C:\\Vardelo Files\\20230322-142501-007.jpg", L"20230322-142501-007.jpg"},
        {L"C:\\a.avi", L"a.avi"},
        {L"C:\\dir\\", L""},
        {L"\\a.jpg", L".jpg"},  // a backslash at index 0 is not looked at
        {L"C:name.png", L"name.png"},
        {L"ab", L""},
        {L"\u4e2d\u6587\\\u7167\u7247.jpg", L"\u7167\u7247.jpg"},
    };
    for (const Case& c : cases) EXPECT_EQ(RecentRowText(c.path), c.text) << "row of a path of " << wcslen(c.path);
}

TEST(FilesLayout, ExpandedHeightFollowsTheWidth) {
    struct Case { int width; DialogBase base; int collapsed, expanded; };
    const Case cases[] = {
        {236, {8, 16}, 29, 29 + 266 + 177},
        {219, {8, 16}, 29, 29 + 266 + 164},  // 17 pixels narrower (the panel's scroll bar)
        {205, {7, 13}, 24, 24 + 216 + 153},  // 14 x 13 / 8 = 22.75 and 133 x 13 / 8 = 216.1, rounded
        {0, {8, 16}, 29, 29 + 266},
    };
    for (const Case& c : cases) {
        SectionHeights h = FilesSectionHeights(c.width, c.base);
        EXPECT_EQ(h.collapsed, c.collapsed) << c.width;
        EXPECT_EQ(h.expanded, c.expanded) << c.width;
    }
}

TEST(FilesLayout, TitleListAndFourByThreeView) {
    FilesLayout l = LayOutFilesSection(236, {8, 16});
    EXPECT_EQ(l[0], (PanelRect{0, 0, 236, 28}));
    EXPECT_EQ(l[1], (PanelRect{0, 29 + 4, 236, 256}));
    EXPECT_EQ(l[2], (PanelRect{0, 29 + 266, 236, 177}));
    EXPECT_EQ(l[2].y + l[2].height, FilesSectionHeights(236, {8, 16}).expanded);
}

}  // namespace
