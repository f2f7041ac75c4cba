// The recent-files text: newest first, at most 10 paths, no path added after 764 characters,
// and reading it back.
#include <gtest/gtest.h>

#include <random>

#include "settings/recent_files.h"

namespace {

std::wstring PathOfLength(std::size_t n, wchar_t tag) {
    std::wstring p = L"C:\\";
    p += tag;
    p.resize(n, L'x');
    return p;
}

TEST(RecentFilesText, TwoFilesGiveNewerThenOlder) {
    EXPECT_EQ(BuildRecentFilesText({L"C:\\old.jpg", L"C:\\new.jpg"}), L"C:\\new.jpg;C:\\old.jpg;");
    EXPECT_EQ(BuildRecentFilesText({}), L"");
}

TEST(RecentFilesText, TwelveEntriesKeepTheTenNewest) {
    std::vector<std::wstring> list;
    for (int i = 0; i < 12; ++i) list.push_back(L"C:\\f" + std::to_wstring(i) + L".jpg");
    std::vector<std::wstring> back = ParseRecentFilesText(BuildRecentFilesText(list));
    ASSERT_EQ(back.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(back[i], list[11 - i]);
}

TEST(RecentFilesText, LongPathsStopAt764Characters) {
    // 200 + 1 characters each: after three 603 are written, the fourth makes 804 and is the last.
    std::vector<std::wstring> list;
    for (int i = 0; i < 8; ++i) list.push_back(PathOfLength(200, wchar_t(L'a' + i)));
    std::wstring text = BuildRecentFilesText(list);
    EXPECT_EQ(text.size(), 804u);
    EXPECT_EQ(ParseRecentFilesText(text).size(), 4u);
    // 763 characters written: one more path of the longest storable size still goes in and the
    // text is exactly 1023 characters; at 764 the text ends.
    list = {PathOfLength(259, L'e'), PathOfLength(259, L'd'), PathOfLength(242, L'c'),
            PathOfLength(259, L'b'), PathOfLength(259, L'a')};
    text = BuildRecentFilesText(list);
    EXPECT_EQ(ParseRecentFilesText(text).size(), 4u);
    EXPECT_EQ(text.size(), 1023u);
    list[2] = PathOfLength(243, L'c');
    EXPECT_EQ(BuildRecentFilesText(list).size(), 764u);
}

TEST(RecentFilesText, AlwaysFitsItsField) {
    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::wstring> list(rng() % 30);
        for (auto& p : list) p = PathOfLength(1 + rng() % 400, L'q');
        EXPECT_LE(BuildRecentFilesText(list).size(), 1023u);
    }
}

TEST(RecentFilesText, PathsThatCannotBeStoredAreLeftOut) {
    std::vector<std::wstring> list = {L"C:\\keep.jpg", L"", L"C:\\a;b.jpg", PathOfLength(260, L'l'),
                                      L"C:\\newest.png"};
    EXPECT_EQ(BuildRecentFilesText(list), L"C:\\newest.png;C:\\keep.jpg;");
}

TEST(RecentFilesText, ParsingOddTexts) {
    EXPECT_EQ(ParseRecentFilesText(L"C:\\a.jpg;C:\\b.jpg"), std::vector<std::wstring>{L"C:\\a.jpg"});
    EXPECT_EQ(ParseRecentFilesText(L";;C:\\a.jpg;;;C:\\b.jpg;;"),
              (std::vector<std::wstring>{L"C:\\a.jpg", L"C:\\b.jpg"}));
    EXPECT_TRUE(ParseRecentFilesText(L"").empty());
    EXPECT_TRUE(ParseRecentFilesText(L"no separator").empty());
    std::wstring big;
    for (int i = 0; i < 500; ++i) big += L"C:\\f" + std::to_wstring(i % 10) + L";";
    big.resize(5000, L'x');
    std::vector<std::wstring> paths = ParseRecentFilesText(big);
    EXPECT_FALSE(paths.empty());
    for (auto& p : paths) EXPECT_EQ(p.find(L';'), std::wstring::npos);
}

}  // namespace
