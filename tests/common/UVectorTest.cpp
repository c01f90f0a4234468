#include "common/UVector.h"

#include <gtest/gtest.h>

TEST(UVector, GrowsByNeedPlusStep)
{
    UVector<int> v;
    EXPECT_EQ(10, v.capacity);
    EXPECT_EQ(100, v.step);
    EXPECT_TRUE(v.add(1));
    EXPECT_TRUE(v.add(2));
    EXPECT_EQ(10, v.capacity);
    EXPECT_TRUE(v.add(3));
    EXPECT_EQ(112, v.capacity);
    for (int i = 4; i <= 1000; ++i)
        ASSERT_TRUE(v.add(i));
    EXPECT_EQ(1000, v.noEl);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(i + 1, v[i]);
}

TEST(UVector, EmptiedByOwnerKeepsStorage)
{
    UVector<const char*> v;
    v.add("a");
    v.add("b");
    v.add("c");
    const int cap = v.capacity;
    v.noEl = 0;
    EXPECT_EQ(cap, v.capacity);
    v.add("d");
    EXPECT_STREQ("d", v[0]);
}

TEST(UVector, AllocRefusesImpossibleSizes)
{
    UVector<int> v;
    EXPECT_FALSE(v.alloc(0x7fffffff));
    EXPECT_EQ(10, v.capacity);
    EXPECT_TRUE(v.add(5));
    EXPECT_EQ(5, v[0]);
}

using UVectorDeathTest = ::testing::Test;

TEST(UVectorDeathTest, IndexAtCountEndsTheProcessWithStatusZero)
{
    UVector<int> v;
    v.add(1);
    EXPECT_EXIT({ v[1] = 3; }, ::testing::ExitedWithCode(0), "passed beyond array limit");
    EXPECT_EXIT({ v[-1] = 3; }, ::testing::ExitedWithCode(0), "passed beyond array limit");
}
