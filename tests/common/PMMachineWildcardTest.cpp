#include "common/PMMachineWildcard.h"
#include "common/PMValueASCIICharSet.h"
#include "common/PMValueChar.h"
#include "common/UString.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

bool matches(const char* pattern, const char* text, bool caseSensitive = true)
{
    PMMachineWildcard m;
    m.setPattern(pattern);
    m.caseSensitive = caseSensitive;
    EXPECT_TRUE(m.build()) << pattern;
    return m.match(text);
}

// A plain backtracking matcher to hold the machine against.
bool reference(const std::string& p, size_t i, const std::string& t, size_t j, bool cs)
{
    auto ascii = [](unsigned char c) { return c < 128; };
    auto up = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    if (i == p.size())
        return j == t.size();
    const unsigned char pc = static_cast<unsigned char>(p[i]);
    if (pc == '*') {
        for (size_t k = j; k <= t.size(); ++k) {
            if (reference(p, i + 1, t, k, cs))
                return true;
            if (k < t.size() && !ascii(static_cast<unsigned char>(t[k])))
                return false;
        }
        return false;
    }
    if (j == t.size())
        return false;
    const unsigned char tc = static_cast<unsigned char>(t[j]);
    if (pc == '?')
        return ascii(tc) && reference(p, i + 1, t, j + 1, cs);
    const bool same = cs ? pc == tc : up(pc) == up(tc);
    return same && reference(p, i + 1, t, j + 1, cs);
}

// The reached set after a match holds each node once and no more nodes than the machine has.
void expectListSound(const PMMachineWildcard& m)
{
    const PMMachineWildcard::NodeList& list = *m.current;
    ASSERT_LE(list.count, m.nodes.size());
    std::set<int> seen;
    for (int i = 0; i < list.count; ++i) {
        EXPECT_TRUE(seen.insert(list.nodes[i]).second) << "node " << list.nodes[i] << " twice";
        EXPECT_GE(list.nodes[i], 0);
        EXPECT_LT(list.nodes[i], m.nodes.size());
    }
}

} // namespace

TEST(PMValueTest, CharacterLabel)
{
    PMValueChar exact('x', true);
    PMValueChar anyCase('x', false);
    EXPECT_EQ(1, exact.getValueType());
    UString s;
    exact.toString(s);
    EXPECT_STREQ("{PMValueChar: c='x'}", s.str());
    EXPECT_TRUE(exact.match('x'));
    EXPECT_FALSE(exact.match('X'));
    EXPECT_TRUE(anyCase.match('X'));
    EXPECT_TRUE(anyCase.match('x'));
    EXPECT_FALSE(anyCase.match('y'));
    // Only ASCII letters fold: 0xD8 and 0xF8 are a letter pair in Latin-1, not here.
    PMValueChar latin(static_cast<char>(0xF8), false);
    EXPECT_FALSE(latin.match(0xD8));
    PMValueChar bracket('[', false);
    EXPECT_FALSE(bracket.match('{'));
}

TEST(PMValueTest, AsciiSetTakesExactlyTheLowHalf)
{
    PMValueASCIICharSet set;
    EXPECT_EQ(2, set.getValueType());
    UString s;
    set.toString(s);
    EXPECT_STREQ("{PMValueASCIICharSet:}", s.str());
    for (int mode = 0; mode < 2; ++mode) {
        set.caseSensitive = mode == 0;
        for (int c = 0; c < 256; ++c)
            EXPECT_EQ(c < 128, set.match(static_cast<unsigned char>(c))) << c << " mode " << mode;
    }
}

TEST(PMMachineWildcardTest, NodeCountFollowsThePattern)
{
    struct Case {
        const char* pattern;
        int nodes;
    } cases[] = {{"", 1}, {"abc", 4}, {"a?c", 4}, {"*", 4}, {"a*b*c", 10}, {"tmpLog*", 10}};
    for (const Case& c : cases) {
        PMMachineWildcard m;
        m.setPattern(c.pattern);
        ASSERT_TRUE(m.build());
        EXPECT_EQ(c.nodes, m.nodes.size()) << c.pattern;
        EXPECT_EQ(0, m.start);
        EXPECT_EQ(c.nodes - 1, m.final);
        for (int i = 0; i < m.nodes.size(); ++i)
            EXPECT_EQ(i, m.nodes[i]->index);
    }
}

TEST(PMMachineWildcardTest, AnchoredAtBothEnds)
{
    EXPECT_TRUE(matches("", ""));
    EXPECT_FALSE(matches("", "a"));
    EXPECT_TRUE(matches("tmpLog*", "tmpLog"));
    EXPECT_TRUE(matches("tmpLog*", "tmpLog12.txt"));
    EXPECT_FALSE(matches("tmpLog*", "xtmpLog1"));
    EXPECT_FALSE(matches("tmpLog*", "tmpLo"));
    EXPECT_TRUE(matches("*.ini", ".ini"));
    EXPECT_TRUE(matches("*.ini", "a.b.ini"));
    EXPECT_FALSE(matches("*.ini", "a.ini.bak"));
    EXPECT_TRUE(matches("abc", "abc"));
    EXPECT_FALSE(matches("abc", "abcd"));
    EXPECT_FALSE(matches("abc", "ab"));
}

TEST(PMMachineWildcardTest, QuestionMarkTakesOneCharacter)
{
    EXPECT_TRUE(matches("?", "a"));
    EXPECT_FALSE(matches("?", ""));
    EXPECT_FALSE(matches("?", "ab"));
    EXPECT_FALSE(matches("??", "a"));
    EXPECT_TRUE(matches("??", "ab"));
    EXPECT_TRUE(matches("a?c", "a.c"));
    EXPECT_FALSE(matches("?", "\xE9"));
}

TEST(PMMachineWildcardTest, StarTakesAnyAsciiRun)
{
    EXPECT_TRUE(matches("*", ""));
    std::string all;
    for (int c = 1; c < 128; ++c)
        all += static_cast<char>(c);
    EXPECT_TRUE(matches("*", all.c_str()));
    EXPECT_FALSE(matches("*", "caf\xE9"));
    EXPECT_FALSE(matches("*", "\x80"));
    EXPECT_TRUE(matches("a*b*c", "abc"));
    EXPECT_TRUE(matches("a*b*c", "aXbYc"));
    EXPECT_TRUE(matches("a*b*c", "abbbc"));
    EXPECT_FALSE(matches("a*b*c", "acb"));
    EXPECT_TRUE(matches("**", "xyz"));
    EXPECT_TRUE(matches("*a", "aaaa"));
    EXPECT_FALSE(matches("*a", "aaab"));
}

TEST(PMMachineWildcardTest, CaseSensitivityIsCopiedAtBuild)
{
    EXPECT_FALSE(matches("tmpLog*", "tmplog1"));
    EXPECT_TRUE(matches("tmpLog*", "TMPLOG1", false));
    EXPECT_TRUE(matches("TMPCMDFILE*", "tmpCmdfile.3..ini", false));

    // Clearing the flag after the build changes nothing: the labels hold their own copy.
    PMMachineWildcard m;
    m.setPattern("abc");
    ASSERT_TRUE(m.build());
    m.caseSensitive = false;
    EXPECT_FALSE(m.match("ABC"));
}

TEST(PMMachineWildcardTest, NonAsciiPatternBytesAreDroppedWithAWarning)
{
    testsupport::LogCapture log;
    PMMachineWildcard m;
    m.setPattern("a\xE9" "b");
    ASSERT_TRUE(m.build());
    EXPECT_EQ(3, m.nodes.size());
    EXPECT_TRUE(m.match("ab"));
    EXPECT_FALSE(m.match("a\xE9" "b"));
    EXPECT_EQ("Warning: PMMachineWildcard::build: ilegal character in pattern\r\n", log.text());
}

TEST(PMMachineWildcardTest, BuildWithoutPatternFailsAndLeavesNoNodes)
{
    testsupport::LogCapture log;
    PMMachineWildcard m;
    EXPECT_FALSE(m.build());
    EXPECT_EQ(0, m.nodes.size());
    EXPECT_FALSE(m.match(""));
    EXPECT_EQ("Error: PMMachineWildcard::build: pattern==NULL: a pattern wasn't specified\r\n", log.text());
}

TEST(PMMachineWildcardTest, SetPatternKeepsAPrivateCopy)
{
    char text[] = "ab*";
    PMMachineWildcard m;
    m.setPattern(text);
    text[0] = 'z';
    ASSERT_TRUE(m.build());
    EXPECT_TRUE(m.match("abc"));
    EXPECT_STREQ("ab*", m.pattern);
}

TEST(PMMachineWildcardTest, NodeListsHoldEachNodeOnce)
{
    // Two stars let a node be reached along two paths in one step: *a* on aa is the
    // smallest case. Longer texts and more stars multiply the paths.
    struct Case {
        const char* pattern;
        std::string text;
        bool expected;
    } cases[] = {
        {"*a*", "aa", true},
        {"*a*", std::string(200, 'a'), true},
        {"*a*a*a*a*", std::string(300, 'a'), true},
        {"*?*?*?*", std::string(100, 'x'), true},
        {"****a****", "bbbbbbbbab", true},
        {"*a*b*", std::string(100, 'a'), false},
    };
    for (const Case& c : cases) {
        PMMachineWildcard m;
        m.setPattern(c.pattern);
        ASSERT_TRUE(m.build());
        EXPECT_EQ(c.expected, m.match(c.text.c_str())) << c.pattern;
        expectListSound(m);
        // The machine is reusable: a second run gives the same answer.
        EXPECT_EQ(c.expected, m.match(c.text.c_str())) << c.pattern;
    }
}

TEST(PMMachineWildcardTest, LongRunsOfStarsNeedNoDeepStack)
{
    std::string pattern(20000, '*');
    pattern += "x";
    PMMachineWildcard m;
    m.setPattern(pattern.c_str());
    ASSERT_TRUE(m.build());
    EXPECT_TRUE(m.match("abcx"));
    EXPECT_FALSE(m.match("abcy"));
    expectListSound(m);
}

TEST(PMMachineWildcardTest, AgreesWithABacktrackingMatcher)
{
    std::mt19937 rng(20261206);
    const char patternChars[] = {'a', 'b', 'A', '?', '*', '*'};
    const char textChars[] = {'a', 'b', 'A', 'B', '.', '\xE9'};
    int matched = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string p, t;
        const int pl = static_cast<int>(rng() % 7);
        const int tl = static_cast<int>(rng() % 9);
        for (int i = 0; i < pl; ++i)
            p += patternChars[rng() % sizeof patternChars];
        for (int i = 0; i < tl; ++i)
            t += textChars[rng() % (round % 4 == 0 ? sizeof textChars : sizeof textChars - 1)];
        const bool cs = (round & 1) != 0;
        const bool want = reference(p, 0, t, 0, cs);
        matched += want;
        PMMachineWildcard m;
        m.setPattern(p.c_str());
        m.caseSensitive = cs;
        ASSERT_TRUE(m.build());
        ASSERT_EQ(want, m.match(t.c_str())) << "pattern '" << p << "' text '" << t << "' cs " << cs;
        expectListSound(m);
    }
    // Both answers must be well represented for the comparison to mean anything.
    EXPECT_GT(matched, 400);
    EXPECT_LT(matched, 3600);
}
