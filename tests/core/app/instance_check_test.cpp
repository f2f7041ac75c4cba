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

// The session's mark tells a copy at this desk from one at another.
TEST(InstanceCheck, TheSessionMarkSaysWhereTheOtherCopyIs) {
    const MutexAnswer fresh{true, 0}, existing{true, 183}, denied{false, 5}, broken{false, 87};
    struct Case { MutexAnswer session, machine; OtherCopy where; } cases[] = {
        {fresh, fresh, OtherCopy::None},
        {denied, denied, OtherCopy::ThisSession},    // an elevated copy at this desk
        {fresh, existing, OtherCopy::OtherSession},  // this user at another desk
        {broken, denied, OtherCopy::OtherSession},   // another user
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.where, FindOtherCopy(c.session, c.machine)) << c.session.lastError << " " << c.machine.lastError;
}

}  // namespace
