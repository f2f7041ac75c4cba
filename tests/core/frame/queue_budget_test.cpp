// The recorder queue's byte budget.
#include "frame/queue_budget.h"

#include <gtest/gtest.h>

TEST(QueueBudget, TakesFramesUpToTheBoundAndCountsTheRest) {
    QueueBudget b;
    b.Reset(30);
    EXPECT_TRUE(b.Reserve(10));
    EXPECT_TRUE(b.Reserve(20));
    EXPECT_FALSE(b.Reserve(1));
    EXPECT_FALSE(b.Reserve(size_t(-1)));  // no overflow past the bound
    EXPECT_EQ(b.dropped, 2);
    b.Release(10);
    EXPECT_TRUE(b.Reserve(10));
    EXPECT_EQ(b.queued, 30u);
    EXPECT_EQ(b.peak, 30u);
    b.Release(100);  // never below zero
    EXPECT_EQ(b.queued, 0u);
    b.Reset(5);
    EXPECT_EQ(b.dropped, 0);
    EXPECT_EQ(b.peak, 0u);
    EXPECT_FALSE(b.Reserve(6));
}
