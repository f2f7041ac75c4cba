// The long form a temporary path takes when it is too long for the plain one.
#include "media/file_commit.h"

#include <gtest/gtest.h>

TEST(FileCommit, LongFormOfAbsolutePaths) {
    const struct { const wchar_t* path; const wchar_t* longForm; } cases[] = {
        {L"C:/P/a.jpg", L"\\\\?\\C:\\P\\a.jpg"},
        {L"\\\\server\\share\\a.jpg", L"\\\\?\\UNC\\server\\share\\a.jpg"},
        {L"\\\\?\\C:\\a.jpg", L"\\\\?\\C:\\a.jpg"},
        {L"P\\a.jpg", L"P\\a.jpg"},  // relative: unchanged
    };
    for (const auto& c : cases) EXPECT_EQ(LongFormPath(c.path), c.longForm) << c.path;
}
