#include "common/PMMachineWildcard.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

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

// '*' and '?' take ASCII only; case folds only ASCII letters.
TEST(PMMachineWildcard, StarsAndQuestionMarksOverASCII)
{
    const struct {
        const char* pattern;
        const char* text;
        bool cs, match;
    } cases[] = {
        {"", "", true, true}, {"", "a", false, false}, {"a", "", false, false}, {"a", "A", true, false},
        {"a", "A", false, true}, {"aB", "Ab", false, true}, {"?", "", true, false},
        {"?", "b", true, true}, {"?", "\xE9", true, false}, {"??", "a", true, false}, {"*", "", true, true},
        {"*", "ab.A", true, true}, {"*", "a\xE9", true, false}, {"a*", "ab\xE9", false, false},
        {"a*b", "aXXb", true, true}, {"a*b", "aXXbc", true, false}, {"*a?", "bab", true, true},
        {"*a?", "ba", true, false}, {"A*b?", "axxBc", false, true}, {"A*b?", "axxBc", true, false},
        {"**a", "a", true, true}, {"?*?", "ab", true, true}, {"?*?", "a", true, false}, {"*.*", "a.b", true, true},
        {"*.*", "ab", true, false}, {"a*a", "a", true, false}, {"*ab", "aab", true, true}, {"b*", "ab", true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.match, matches(c.pattern, c.text, c.cs)) << c.pattern << " " << c.text << " " << c.cs;
    // Long texts and runs of stars, where paths to one node multiply.
    EXPECT_TRUE(matches("*a*a*a*a*", std::string(300, 'a'), true));
    EXPECT_FALSE(matches("*a*b*", std::string(100, 'a'), true));
    EXPECT_TRUE(matches(std::string(20000, '*') + "x", "abcx", true));
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
