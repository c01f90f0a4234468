#include "common/UString.h"

#include <gtest/gtest.h>

#include <string>

TEST(UString, GrowthLeavesTenThousandSpareBytesAndCopiesAreExact)
{
    UString s("abc");
    s += 'd';
    EXPECT_EQ(10005, s.capacity());
    const char* before = s.str();
    for (int i = 0; i < 9000; ++i)
        s += 'x';
    EXPECT_EQ(before, s.str()) << "within the margin nothing moves";
    UString copy(s);
    EXPECT_EQ(9004, copy.capacity());
    EXPECT_EQ(9004, copy.length());
}

TEST(UString, AssignsConcatenatesAndComparesWithNullAsEmpty)
{
    const char* const null = nullptr;
    UString s(null);
    s += null;
    EXPECT_TRUE(s == null);
    s = 'q';
    EXPECT_STREQ("q", s.str());
    EXPECT_FALSE(UString("a") == "A");
    EXPECT_FALSE(UString("a") == UString("ab"));
    EXPECT_STREQ("-2147483648", UString(-2147483647 - 1).str());
    // Results are built in the left operand's scratch; the operand itself stays.
    UString x("x");
    EXPECT_STREQ("x-7", (x + -7).str());
    EXPECT_STREQ("xy", (x + 'y').str());
    EXPECT_EQ(25001, (x + std::string(25000, 'b').c_str()).length());
    EXPECT_STREQ("x", x.str());
    // Its own text as the source, with a buffer that must be replaced.
    UString self("self");
    self = self.str() + 2;
    self += self;
    EXPECT_STREQ("lflf", self.str());
}
