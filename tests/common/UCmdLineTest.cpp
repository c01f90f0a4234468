#include "common/UCmdLine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> split(const std::string& text)
{
    int argc = -7;
    char** argv = nullptr;
    EXPECT_TRUE(UCmdLine::getArgcArgv(UString(text.c_str()), argc, argv)) << text;
    std::vector<std::string> out;
    if (argv == nullptr)
        return out;
    for (int i = 0; i < argc; ++i)
        out.push_back(argv[i]);
    EXPECT_EQ(nullptr, argv[argc]) << "no null entry after the arguments of " << text;
    UCmdLine::releaseArgcArgv(argc, argv);
    return out;
}

using Args = std::vector<std::string>;

// The same rules written as a state machine over the characters.
Args reference(const std::string& text)
{
    Args out;
    std::string cur;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == ' ' && !quoted) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    for (std::string& a : out)
        if (!a.empty() && a[0] == '"')
            a = a.size() >= 2 ? a.substr(1, a.size() - 2) : std::string();
    return out;
}

} // namespace

TEST(UCmdLineSplit, OnlyTheBlankSeparates)
{
    EXPECT_EQ(Args{""}, split(""));
    EXPECT_EQ((Args{"-open", "", "x.txt"}), split("-open  x.txt"));
    EXPECT_EQ((Args{"", "a", ""}), split(" a "));
    EXPECT_EQ((Args{"", "", "", ""}), split("   "));
    EXPECT_EQ(Args{"-printlist\t-ver"}, split("-printlist\t-ver"));
    EXPECT_EQ(Args{"a\r\nb"}, split("a\r\nb"));
    EXPECT_EQ((Args{"-printlist", "-fontlist", "-ver"}), split("-printlist -fontlist -ver"));
}

TEST(UCmdLineSplit, QuotesAsTheyStandOrStripped)
{
    // A whole quoted argument loses its quotes.
    EXPECT_EQ((Args{"-logfile", "C:\\My Logs\\job.txt", "-ver"}), split("-logfile \"C:\\My Logs\\job.txt\" -ver"));
    EXPECT_EQ(Args{""}, split("\"\""));
    // Begins with a quoted stretch: first and last character go, the closing quote stays.
    EXPECT_EQ(Args{"a b\""}, split("\"a b\"c"));
    // A quoted stretch inside an argument stays as it is.
    EXPECT_EQ((Args{"-name=\"a b\"", "y"}), split("-name=\"a b\" y"));
    // Unterminated: runs to the end, blanks included.
    EXPECT_EQ((Args{"x", "ab"}), split("x \"abc"));
    EXPECT_EQ(Args{"a b "}, split("\"a b c"));
    EXPECT_EQ(Args{"-x\"a b c"}, split("-x\"a b c"));
}

TEST(UCmdLineSplit, LoneQuoteGivesAnEmptyArgument)
{
    EXPECT_EQ(Args{""}, split("\""));
    EXPECT_EQ((Args{"a", ""}), split("a \""));
}

TEST(UCmdLineSplit, ManyArguments)
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "-v ";
    const Args args = split(text);
    ASSERT_EQ(5001u, args.size());
    EXPECT_EQ("-v", args[4999]);
    EXPECT_EQ("", args[5000]);
}

TEST(UCmdLineSplit, StopsAtTheFirstNul)
{
    const char text[] = "-ver\0-printlist";
    int argc = 0;
    char** argv = nullptr;
    ASSERT_TRUE(UCmdLine::getArgcArgv(UString(text), argc, argv));
    ASSERT_EQ(1, argc);
    EXPECT_STREQ("-ver", argv[0]);
    UCmdLine::releaseArgcArgv(argc, argv);
}

TEST(UCmdLineSplit, AgreesWithAStateMachine)
{
    std::mt19937 rng(4096);
    const char chars[] = {'a', 'b', ' ', ' ', '"', '\t', '-'};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int n = static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i)
            text += chars[rng() % sizeof chars];
        ASSERT_EQ(reference(text), split(text)) << "[" << text << "]";
    }
}
