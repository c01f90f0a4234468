#include "print/LineStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(LineStore, ColumnsPastALinesEndReadAsSpaces)
{
    LineStore store;
    ASSERT_TRUE(store.reserve(3));
    ASSERT_TRUE(store.add("|--|", 4));
    ASSERT_TRUE(store.add("", 0));
    ASSERT_TRUE(store.add("=", 1));
    EXPECT_EQ(3, store.size());

    EXPECT_EQ('|', store.at(0, 0));
    EXPECT_EQ('|', store.at(0, 3));
    EXPECT_EQ(' ', store.at(0, 4));
    EXPECT_EQ(' ', store.at(0, 998));
    EXPECT_EQ(' ', store.at(1, 0));
    EXPECT_EQ('=', store.at(2, 0));
    // Outside the document: above the first line, below the last, left of the margin.
    EXPECT_EQ(' ', store.at(-1, 0));
    EXPECT_EQ(' ', store.at(3, 0));
    EXPECT_EQ(' ', store.at(0, -1));

    // The texts as C strings, for code that walks them itself.
    EXPECT_STREQ("|--|", store.lines()[0]);
    EXPECT_STREQ("", store.lines()[1]);
    EXPECT_EQ(4, store.length(0));
}

TEST(LineStore, TakesNoMoreLinesThanReservedAndCopiesItsTexts)
{
    LineStore store;
    ASSERT_TRUE(store.reserve(1));
    char text[] = "abc";
    ASSERT_TRUE(store.add(text, 2));
    text[0] = 'X';
    EXPECT_STREQ("ab", store.line(0));
    EXPECT_FALSE(store.add("more", 4));
    EXPECT_FALSE(store.add(nullptr, 3));
    EXPECT_EQ(1, store.size());

    // A fresh reservation drops every line.
    ASSERT_TRUE(store.reserve(0));
    EXPECT_EQ(0, store.size());
    EXPECT_FALSE(store.add("x", 1));
    EXPECT_FALSE(store.reserve(-1));
}

TEST(LineStore, DropLastRemovesTheFormFeedOnly)
{
    LineStore store;
    ASSERT_TRUE(store.reserve(2));
    ASSERT_TRUE(store.add("end\f", 4));
    ASSERT_TRUE(store.add("", 0));
    store.dropLast(0);
    store.dropLast(1);
    store.dropLast(7);
    EXPECT_STREQ("end", store.line(0));
    EXPECT_EQ(3, store.length(0));
    EXPECT_EQ(' ', store.at(0, 3));
    EXPECT_EQ(0, store.length(1));
}

TEST(LineStore, ManyLongLinesKeepTheirTextsAcrossBlocks)
{
    // Far more text than one block holds, with lines of every length up to the limit.
    const int count = 3000;
    LineStore store;
    ASSERT_TRUE(store.reserve(count));
    std::string text;
    for (int i = 0; i < count; ++i) {
        const int length = (i * 37) % 1000;
        text.assign(static_cast<size_t>(length), static_cast<char>('a' + i % 26));
        ASSERT_TRUE(store.add(text.data(), length));
    }
    for (int i = 0; i < count; ++i) {
        const int length = (i * 37) % 1000;
        ASSERT_EQ(length, store.length(i));
        ASSERT_EQ(static_cast<size_t>(length), std::strlen(store.line(i)));
        if (length > 0) {
            EXPECT_EQ('a' + i % 26, store.line(i)[0]);
            EXPECT_EQ('a' + i % 26, store.line(i)[length - 1]);
        }
    }
    store.clear();
    EXPECT_EQ(0, store.size());
    EXPECT_EQ(nullptr, store.lines());
}
