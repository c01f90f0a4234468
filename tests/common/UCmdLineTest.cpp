#include "common/UCmdLine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

Args split(const std::string& text)
{
    int argc = -7;
    char** argv = nullptr;
    EXPECT_TRUE(UCmdLine::getArgcArgv(UString(text.c_str()), argc, argv)) << text;
    Args out(argv, argv + argc);
    EXPECT_EQ(nullptr, argv[argc]) << text;
    UCmdLine::releaseArgcArgv(argc, argv);
    // Splitting in place gives the same arguments (the spans are what both are made of).
    std::string buffer;
    std::vector<char*> inPlace = UCmdLine::splitInto(UString(text.c_str()), buffer);
    EXPECT_EQ(out, Args(inPlace.begin(), inPlace.end() - 1)) << text;
    return out;
}

// The same rules written as a state machine over the characters.
Args reference(const std::string& text)
{
    Args out(1);
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == ' ' && !quoted)
            out.emplace_back();
        else
            out.back() += c;
    }
    for (std::string& a : out)
        if (!a.empty() && a[0] == '"')
            a = a.size() >= 2 ? a.substr(1, a.size() - 2) : std::string();
    return out;
}

} // namespace

TEST(UCmdLine, SplitsOnBlanksOutsideQuotes)
{
    const std::pair<const char*, Args> cases[] = {
        {"", {""}}, {"-open  x.txt", {"-open", "", "x.txt"}}, {" a ", {"", "a", ""}},
        {"-printlist\t-ver a\r\nb", {"-printlist\t-ver", "a", "b"}}, {"a\n\r\n\rb \r\n", {"a", "b", "", ""}},
        {"\"x\r\ny\" z\r", {"x\r\ny", "z", ""}},
        {"-logfile \"C:\\My Logs\\job.txt\" -ver", {"-logfile", "C:\\My Logs\\job.txt", "-ver"}},
        {"\"\"", {""}}, {"\"a b\"c", {"a b\""}}, {"-name=\"a b\" y", {"-name=\"a b\"", "y"}},
        {"x \"abc", {"x", "ab"}}, {"-x\"a b c", {"-x\"a b c"}}, {"a \"", {"a", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, split(c.first)) << c.first;
    const std::vector<UCmdLine::Span> spans = UCmdLine::spans("ab \"c d\" e", 10);
    EXPECT_EQ(3, spans.at(1).start);
    EXPECT_EQ(8, spans.at(1).end);
}

TEST(UCmdLine, AgreesWithAStateMachine)
{
    std::mt19937 rng(4096);
    const char chars[] = {'a', 'b', ' ', ' ', '"', '\t', '-'};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int i = static_cast<int>(rng() % 12); i > 0; --i)
            text += chars[rng() % sizeof chars];
        ASSERT_EQ(reference(text), split(text)) << "[" << text << "]";
    }
}

// Every argument of up to three characters from the characters that matter, between two
// others: what join spells must split back to it, and what it refuses must have no
// spelling at all (every candidate up to two characters longer).
TEST(UCmdLine, SpellsExactlyTheArgumentsThatHaveASpelling)
{
    std::vector<std::string> all{""};
    for (size_t i = 0; all[i].size() < 5; ++i)
        for (char c : std::string("a \"\n"))
            all.push_back(all[i] + c);
    for (size_t a = 0; all[a].size() <= 3; ++a) {
        const Args want{"x", all[a], "y"};
        std::string text;
        size_t bad = 0;
        const bool spelt = UCmdLine::join(want, text, bad);
        EXPECT_TRUE(!spelt || want == split(text)) << "[" << all[a] << "] as [" << text << "]";
        for (size_t e = 0; bad == 1 && e < all.size() && all[e].size() <= all[a].size() + 2; ++e)
            EXPECT_NE(want, split("x " + all[e] + " y")) << "[" << all[a] << "] has [" << all[e] << "]";
    }
}
