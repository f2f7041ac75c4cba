// Temporary names beside a file, the long form of a path, and which rename failures are waited out.
#include "media/file_commit.h"

#include <gtest/gtest.h>

namespace {

TEST(FileCommit, TemporaryNameSitsBesideTheFileAndStaysShort) {
    EXPECT_EQ(TemporaryPathFor(L"C:\\P\\20230322-142501-007.jpg", 0x1a2b3c4d), L"C:\\P\\~vdl1a2b3c4d.tmp");
    EXPECT_EQ(TemporaryPathFor(L"D:/P/a.csv", 7), L"D:/P/~vdl00000007.tmp");
    EXPECT_EQ(TemporaryPathFor(L"a.csv", 0xffffffff), L"~vdlffffffff.tmp");
    // A folder of 246 characters, past what the system's own temporary names accept, with a
    // 12-character name that fits: the temporary path is longer and needs the long form.
    const std::wstring folder = L"C:\\" + std::wstring(243, L'd');
    const std::wstring file = folder + L"\\20230322.jpg";
    ASSERT_TRUE(FitsShortPath(file));
    EXPECT_FALSE(FitsShortPath(TemporaryPathFor(file, 1)));
    EXPECT_EQ(TemporaryPathFor(file, 1).size(), folder.size() + 17);
}

TEST(FileCommit, LongFormOfAbsolutePaths) {
    const struct { const wchar_t* path; const wchar_t* longForm; } cases[] = {
        {L"C:\\P\\a.jpg", L"\\\\?\\C:\\P\\a.jpg"},
        {L"C:/P/a.jpg", L"\\\\?\\C:\\P\\a.jpg"},
        {L"\\\\server\\share\\P\\a.jpg", L"\\\\?\\UNC\\server\\share\\P\\a.jpg"},
        {L"\\\\?\\C:\\P\\a.jpg", L"\\\\?\\C:\\P\\a.jpg"},
        {L"P\\a.jpg", L"P\\a.jpg"},  // relative: unchanged
        {L"C:a.jpg", L"C:a.jpg"},
    };
    for (const auto& c : cases) EXPECT_EQ(LongFormPath(c.path), c.longForm) << c.path;
}

TEST(FileCommit, OnlyAHeldFileIsWaitedFor) {
    const struct { uint32_t error; bool wait; } cases[] = {
        {5, true}, {32, true}, {33, true}, {1175, true}, {1176, true},  // denied, sharing, lock, replace
        {183, false}, {80, false}, {2, false}, {3, false}, {112, false},  // exists, missing, disk full
    };
    for (const auto& c : cases) EXPECT_EQ(RenameMayClearUp(c.error), c.wait) << c.error;
}

}  // namespace
