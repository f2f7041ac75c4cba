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

// Files deleted while listed leave the list and their rows; the other rows keep their files
// (in the section's order, not the list's) and the selection follows its file.
TEST(FilesRows, GoneFilesLeaveWithTheirRowsAndTheSelectionFollowsItsFile) {
    auto gone = [](const std::wstring& p) { return p.find(L"gone") != std::wstring::npos; };
    struct Case { std::vector<std::wstring> files; std::vector<size_t> rows; int selected;
                  std::vector<std::wstring> keptFiles; std::vector<size_t> keptRows; int nowSelected; size_t dropped; };
    const Case cases[] = {
        {{L"C:\\x", L"C:\\gone1", L"C:\\B", L"C:\\gone2"}, {2, 1, 3, 0}, 3, {L"C:\\x", L"C:\\B"}, {1, 0}, 1, 2},
        {{L"C:\\x", L"C:\\gone1", L"C:\\B"}, {2, 1, 0}, 1, {L"C:\\x", L"C:\\B"}, {1, 0}, -1, 1},  // the selected one went
        {{L"C:\\x", L"C:\\B"}, {1, 0}, 0, {L"C:\\x", L"C:\\B"}, {1, 0}, 0, 0},                      // nothing gone
        {{L"C:\\a", L"C:\\gone", L"C:\\new"}, {0, 1}, -1, {L"C:\\a", L"C:\\new"}, {0}, -1, 1},       // "new" has no row yet
        {{L"C:\\gone"}, {0}, 0, {}, {}, -1, 1},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> files = c.files;
        std::vector<size_t> rows = c.rows;
        int selected = c.selected;
        EXPECT_EQ(DropGoneFiles(files, rows, gone, selected), c.dropped);
        EXPECT_EQ(files, c.keptFiles);
        EXPECT_EQ(rows, c.keptRows);
        EXPECT_EQ(selected, c.nowSelected);
    }
    for (auto [path, root] : {std::pair{L"C:\\p\\a.jpg", L"C:\\"}, {L"d:\\a", L"d:\\"}, {L"\\\\server\\share\\a", L""},
                              {L"C:a", L""}, {L"1:\\a", L""}, {L"", L""}})
        EXPECT_EQ(PathDriveRoot(path), root) << path;
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
