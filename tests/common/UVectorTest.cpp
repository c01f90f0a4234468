#include "common/UVector.h"

#include <gtest/gtest.h>

TEST(UVectorDeathTest, GrowsAndEndsTheProcessOnABadIndex)
{
    UVector<int> v;
    for (int i = 1; i <= 1000; ++i)
        ASSERT_TRUE(v.add(i));
    EXPECT_EQ(1000, v[999]);
    EXPECT_FALSE(v.alloc(0x7fffffff));
    v.noEl = 0; // emptied by its owner: storage stays
    EXPECT_TRUE(v.add(5));
    EXPECT_EQ(1, v.size());
    EXPECT_EXIT({ v[1] = 3; }, ::testing::ExitedWithCode(0), "passed beyond array limit");
    EXPECT_EXIT({ v[-1] = 3; }, ::testing::ExitedWithCode(0), "passed beyond array limit");
}
