#include "app/instance_check.h"

#include <gtest/gtest.h>

namespace {

TEST(InstanceCheck, ExistingOrForbiddenMutexMeansAnotherCopy) {
    struct Case { bool created; uint32_t error; bool another; } cases[] = {
        {true, 0, false},      // created: the first copy
        {true, 183, true},     // opened an existing one
        {false, 5, true},      // exists, held by another user or an elevated copy
        {false, 87, false},    // any other failure: start as the first copy
    };
    for (const Case& c : cases) EXPECT_EQ(AnotherCopyRuns(c.created, c.error), c.another) << c.error;
}

}  // namespace
