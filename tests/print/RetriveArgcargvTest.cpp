#include "print/PrintArgs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> split(const char* text)
{
    int argc = -7;
    char** argv = nullptr;
    EXPECT_EQ(0, retrive_argcargv(text, argc, argv));
    std::vector<std::string> tokens;
    for (int i = 0; i < argc; ++i)
        tokens.push_back(argv[i]);
    release_argcargv(argc, argv);
    return tokens;
}

using Tokens = std::vector<std::string>;

} // namespace

TEST(RetriveArgcargv, OnlyTheSpaceSeparates)
{
    EXPECT_EQ((Tokens{"-open", "a.txt", "-ver"}), split("-open a.txt -ver"));
    EXPECT_EQ((Tokens{"-graph\t-view"}), split("-graph\t-view"));
    EXPECT_EQ((Tokens{"-htext", "5\r\n-ver"}), split("-htext 5\r\n-ver"));
    EXPECT_EQ((Tokens{"-docname", "x\n"}), split("-docname x\n"));
}

TEST(RetriveArgcargv, EverySpaceMakesAToken)
{
    EXPECT_EQ((Tokens{""}), split(""));
    EXPECT_EQ((Tokens{""}), split(nullptr));
    EXPECT_EQ((Tokens{"", ""}), split(" "));
    EXPECT_EQ((Tokens{"-open", "", "x.txt"}), split("-open  x.txt"));
    EXPECT_EQ((Tokens{"", "a", ""}), split(" a "));
}

TEST(RetriveArgcargv, QuotedStretchesKeepSpaces)
{
    EXPECT_EQ((Tokens{"-open", "c:\\my docs\\a.txt", "-ver"}), split("-open \"c:\\my docs\\a.txt\" -ver"));
    // Quotes inside a token stay; only a token that starts with one loses its ends.
    EXPECT_EQ((Tokens{"a\"b c\"d", "e"}), split("a\"b c\"d e"));
    EXPECT_EQ((Tokens{"a b\""}), split("\"a b\"c"));
    EXPECT_EQ((Tokens{"x", "", "y"}), split("x \"\" y"));
    // Two adjacent quotes are an empty stretch and do not swallow the following space.
    EXPECT_EQ((Tokens{"a\"\"", "b"}), split("a\"\" b"));
}

TEST(RetriveArgcargv, UnterminatedQuoteRunsToTheEnd)
{
    EXPECT_EQ((Tokens{"ab"}), split("\"abc"));
    EXPECT_EQ((Tokens{"x", "a b"}), split("x \"a b "));
    // A token made of a single double quote is empty.
    EXPECT_EQ((Tokens{"-banner", ""}), split("-banner \""));
    EXPECT_EQ((Tokens{""}), split("\""));
}
