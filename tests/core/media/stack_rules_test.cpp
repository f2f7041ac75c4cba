// The focus-stack mode's rules: when the hint shows, the status line, the depth map's name.
#include "media/stack_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StackRules, HintAndStatusLine) {
    struct Case {
        int fused, leftOut, quiet;
        const char* key;
    };
    const Case cases[] = {
        {1, 0, 0, "stack running"},
        {4, 0, 40, "stack running"},  // too few frames for the hint
        {30, 0, kHintQuietFrames - 1, "stack running"},
        {30, 0, kHintQuietFrames, "stack hint"},
        {30, 3, 2, "stack running skipped"},
        {30, 3, kHintQuietFrames, "stack hint"},
    };
    for (const Case& c : cases) {
        const StackStatusLine line = StackStatusFor(c.fused, c.leftOut, c.quiet);
        EXPECT_STREQ(line.key, c.key) << c.fused << " " << c.leftOut << " " << c.quiet;
        EXPECT_EQ(line.fused, c.fused);
        EXPECT_EQ(line.leftOut, c.leftOut);
    }
}

TEST(StackRules, DepthMapBesideThePhoto) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\Photos\\20230322-142501-007.png", L"C:\\Photos\\20230322-142501-007-depth.png"},
        {L"C:\\Photos\\20230322-142501-007.jpg", L"C:\\Photos\\20230322-142501-007-depth.jpg"},
        {L"C:\\My.Photos\\shot", L"C:\\My.Photos\\shot-depth"},  // a dot in a folder is no extension
    };
    for (const auto& c : cases) EXPECT_EQ(DepthMapPathFor(c.first), c.second);
}

}  // namespace
