#include "common/UString.h"

#include <gtest/gtest.h>

#include <string>

TEST(UString, GrowthLeavesTenThousandSpareBytes)
{
    UString s("abc");
    EXPECT_EQ(3, s.length());
    EXPECT_EQ(3, s.capacity());
    s += 'd';
    EXPECT_STREQ("abcd", s.str());
    EXPECT_EQ(10005, s.capacity());
    // Within the margin nothing moves.
    const char* before = s.str();
    for (int i = 0; i < 9000; ++i)
        s += 'x';
    EXPECT_EQ(before, s.str());
    EXPECT_EQ(9004, s.length());
}

TEST(UString, AssignmentAndNulls)
{
    UString s("hello");
    s = "";
    EXPECT_EQ(0, s.length());
    EXPECT_TRUE(s.isEmpty());
    s = "abc";
    s = static_cast<const char*>(nullptr);
    EXPECT_TRUE(s.isEmpty());
    EXPECT_STREQ("", s.str());
    UString n(static_cast<const char*>(nullptr));
    EXPECT_TRUE(n.isEmpty());
    s += static_cast<const char*>(nullptr);
    EXPECT_TRUE(s.isEmpty());
    s = 'q';
    EXPECT_STREQ("q", s.str());
    EXPECT_EQ(1, s.length());
}

TEST(UString, AssignmentFromItselfOrItsOwnText)
{
    UString s("self");
    s = s;
    EXPECT_STREQ("self", s.str());
    s = s.str() + 2; // a tail of its own text, with a buffer that must be replaced
    EXPECT_STREQ("lf", s.str());
    UString t("ab");
    t += t;
    EXPECT_STREQ("abab", t.str());
    UString u("xy");
    EXPECT_STREQ("xyxy", (u + u).str());
}

TEST(UString, EqualityWithNullMeansEmpty)
{
    UString empty;
    UString full("a");
    EXPECT_TRUE(empty == static_cast<const char*>(nullptr));
    EXPECT_FALSE(full == static_cast<const char*>(nullptr));
    EXPECT_TRUE(full == "a");
    EXPECT_FALSE(full == "A");
    EXPECT_TRUE(full == UString("a"));
    EXPECT_FALSE(full == UString("ab"));
}

TEST(UString, TokenizerYieldsEmptyTokensBetweenDelimiters)
{
    UString text("a,b,,c");
    UString delims(",");
    UString out;
    int pos = 0;
    std::string tokens;
    while (pos < text.length()) {
        out.clear();
        text.token(delims, out, pos);
        tokens += "[" + std::string(out.str()) + "]";
    }
    EXPECT_EQ("[a][b][][c]", tokens);
    EXPECT_EQ(6, pos);

    // No delimiters: the rest is one token. out is appended to, not cleared.
    UString rest("x y");
    UString acc("<");
    pos = 0;
    rest.token(UString(), acc, pos);
    EXPECT_STREQ("<x y", acc.str());
    EXPECT_EQ(3, pos);
}

TEST(UString, InsertKeepsTheRest)
{
    UString s("1-3");
    s.insert(' ', 0);
    EXPECT_EQ(4, s.length());
    EXPECT_STREQ(" 1-3", s.str());
    s.insert('!', s.length());
    EXPECT_STREQ(" 1-3!", s.str());
    s.insert('2', 3);
    EXPECT_STREQ(" 1-23!", s.str());
    // The swapped buffers keep working for later growth.
    for (int i = 0; i < 20000; ++i)
        s.insert('z', 1);
    EXPECT_EQ(20006, s.length());
    EXPECT_EQ('1', s[20001]);
}

TEST(UString, ConcatenationLeavesTheLeftOperand)
{
    UString x("x");
    EXPECT_STREQ("x12", (x + 12).str());
    EXPECT_STREQ("xy", (x + 'y').str());
    EXPECT_STREQ("x-7", (x + -7).str());
    EXPECT_STREQ("xabc", (x + "abc").str());
    EXPECT_STREQ("xx", (x + UString("x")).str());
    EXPECT_STREQ("x", (x + static_cast<const char*>(nullptr)).str());
    EXPECT_STREQ("x", x.str());
    EXPECT_EQ(1, x.length());
    // Long results reuse and regrow the scratch correctly.
    std::string big(25000, 'b');
    UString r = x + big.c_str();
    EXPECT_EQ(25001, r.length());
    EXPECT_STREQ("x7", (x + 7).str());
}

TEST(UString, ConstructionFromIntAndCopy)
{
    EXPECT_STREQ("-2147483648", UString(-2147483647 - 1).str());
    UString a("copy me");
    UString b(a);
    a += '!';
    EXPECT_STREQ("copy me", b.str());
    EXPECT_EQ(7, b.capacity());
}
