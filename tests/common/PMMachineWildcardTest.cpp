#include "common/PMMachineWildcard.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

namespace {

// A plain backtracking matcher to hold the machine against: '*' and '?' take ASCII only,
// and case folds only ASCII letters.
bool reference(const std::string& p, size_t i, const std::string& t, size_t j, bool cs)
{
    auto up = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    if (i == p.size())
        return j == t.size();
    const unsigned char pc = static_cast<unsigned char>(p[i]);
    if (pc == '*') {
        for (size_t k = j; k <= t.size(); ++k) {
            if (reference(p, i + 1, t, k, cs))
                return true;
            if (k < t.size() && static_cast<unsigned char>(t[k]) >= 128)
                return false;
        }
        return false;
    }
    const unsigned char tc = j < t.size() ? static_cast<unsigned char>(t[j]) : 0;
    const bool one = pc == '?' ? tc != 0 && tc < 128 : tc != 0 && (cs ? pc == tc : up(pc) == up(tc));
    return one && reference(p, i + 1, t, j + 1, cs);
}

// Matches twice (the machine is reusable) and checks that the reached set holds each node
// once, however many paths lead to it.
bool matches(const std::string& pattern, const std::string& text, bool cs)
{
    PMMachineWildcard m;
    m.setPattern(pattern.c_str());
    m.caseSensitive = cs;
    EXPECT_TRUE(m.build()) << pattern;
    const bool first = m.match(text.c_str());
    EXPECT_EQ(first, m.match(text.c_str())) << pattern;
    const PMMachineWildcard::NodeList& list = *m.current;
    std::set<int> seen;
    for (int i = 0; i < list.count; ++i) {
        EXPECT_TRUE(seen.insert(list.nodes[i]).second) << pattern << ": node " << list.nodes[i] << " twice";
        EXPECT_LT(list.nodes[i], m.nodes.size());
    }
    return first;
}

} // namespace

TEST(PMMachineWildcard, MatchesAsTheBacktrackingMatcher)
{
    // Long texts and runs of stars, where paths to one node multiply.
    EXPECT_TRUE(matches("*a*a*a*a*", std::string(300, 'a'), true));
    EXPECT_FALSE(matches("*a*b*", std::string(100, 'a'), true));
    EXPECT_TRUE(matches(std::string(20000, '*') + "x", "abcx", true));
    std::mt19937 rng(20261206);
    const char patternChars[] = {'a', 'b', 'A', '?', '*', '*'};
    const char textChars[] = {'a', 'b', 'A', 'B', '.', '\xE9'};
    int matched = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string p, t;
        for (int i = static_cast<int>(rng() % 7); i > 0; --i)
            p += patternChars[rng() % sizeof patternChars];
        for (int i = static_cast<int>(rng() % 9); i > 0; --i)
            t += textChars[rng() % (round % 4 == 0 ? sizeof textChars : sizeof textChars - 1)];
        const bool cs = (round & 1) != 0;
        const bool want = reference(p, 0, t, 0, cs);
        matched += want;
        ASSERT_EQ(want, matches(p, t, cs)) << "pattern '" << p << "' text '" << t << "' cs " << cs;
    }
    EXPECT_GT(matched, 300);
    EXPECT_LT(matched, 2700);
}

TEST(PMMachineWildcard, BadPatternsAreLogged)
{
    testsupport::LogCapture log;
    PMMachineWildcard none;
    EXPECT_FALSE(none.build());
    EXPECT_FALSE(none.match(""));
    // A byte beyond ASCII is dropped from the pattern.
    EXPECT_TRUE(matches("a\xE9" "b", "ab", true));
    EXPECT_EQ("Error: PMMachineWildcard::build: pattern==NULL: a pattern wasn't specified\r\n"
              "Warning: PMMachineWildcard::build: ilegal character in pattern\r\n",
              log.text());
}
