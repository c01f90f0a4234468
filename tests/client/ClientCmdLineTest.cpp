#include "ClientTestSupport.h"

#include "client/ClientCmdLine.h"

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

std::string quoted(const std::string& arg)
{
    std::string out;
    EXPECT_TRUE(ClientCmdLine::quote(arg, out)) << arg;
    return out;
}

bool spellable(const std::string& arg)
{
    std::string out;
    return ClientCmdLine::quote(arg, out);
}

// Every string of up to maxLength characters from alphabet.
std::vector<std::string> allStrings(const std::string& alphabet, size_t maxLength)
{
    std::vector<std::string> all{""};
    size_t from = 0;
    for (size_t len = 1; len <= maxLength; ++len) {
        const size_t to = all.size();
        for (size_t i = from; i < to; ++i)
            for (char c : alphabet)
                all.push_back(all[i] + c);
        from = to;
    }
    return all;
}

} // namespace

TEST(ClientCmdLine, PlainArgumentsTravelAsTheyAre)
{
    EXPECT_EQ("-open", quoted("-open"));
    EXPECT_EQ("c:\\jobs\\a.txt", quoted("c:\\jobs\\a.txt"));
    // Only the blank separates: tabs and line ends are ordinary characters.
    EXPECT_EQ("a\tb", quoted("a\tb"));
    EXPECT_EQ("x\r\ny", quoted("x\r\ny"));
    // Quotes that pair up around the blanks already do the work.
    EXPECT_EQ("-x=\"a b\"", quoted("-x=\"a b\""));
}

TEST(ClientCmdLine, BlanksEmptinessAndLeadingQuotesAreWrapped)
{
    EXPECT_EQ("\"my report.txt\"", quoted("my report.txt"));
    EXPECT_EQ("\"\"", quoted(""));
    EXPECT_EQ("\" \"", quoted(" "));
    // A leading quote would be stripped if the argument stood alone.
    EXPECT_EQ("\"\"abc\"\"", quoted("\"abc\""));
    // An odd number of quotes: the stretch that the wrapper opens is closed by the
    // argument's own quote, and a filler character is stripped in place of a closing one.
    EXPECT_EQ("\"Pipe 3/4\"x", quoted("Pipe 3/4\""));
}

TEST(ClientCmdLine, ArgumentsWithBlanksOnBothSidesOfTheirQuotesAreRefused)
{
    EXPECT_FALSE(spellable("\"a b\" c"));
    EXPECT_FALSE(spellable("a \"b c\""));
    EXPECT_FALSE(spellable("Pipe 3/4\" fittings"));
    Args args{"-open", "ok.txt", "-banner", "a \"b c\"", "-ver"};
    std::string text;
    size_t bad = 99;
    EXPECT_FALSE(ClientCmdLine::join(args, text, bad));
    EXPECT_EQ(3u, bad);
}

TEST(ClientCmdLine, AJoinedLineSplitsBackIntoTheSameArguments)
{
    const Args args{"-open", "dir with blanks/my report.txt", "-banner", "Monthly \"final\" report", "",
                    "-docname", "\"quoted\"", "-fontface", "Courier New", "-pages", "1-3,5 8", "12\"", "-ver"};
    std::string text;
    size_t bad = 0;
    ASSERT_TRUE(ClientCmdLine::join(args, text, bad));
    EXPECT_EQ(args, splitLikeThePrintProgram(text));
    EXPECT_EQ(args, splitLikeTheServer(text));
}

// Every argument of up to three characters from the characters that matter, between two
// others: what the client spells must split back to it, at the server and at the print
// program, and what it refuses must have no spelling at all (every candidate spelling up
// to two characters longer is tried).
TEST(ClientCmdLine, SpellsExactlyTheArgumentsThatHaveASpelling)
{
    const std::string alphabet = "a \"\t";
    const std::vector<std::string> spellings = allStrings(alphabet, 5);
    for (const std::string& arg : allStrings(alphabet, 3)) {
        const Args want{"x", arg, "y"};
        std::string text;
        size_t bad = 0;
        if (ClientCmdLine::join(want, text, bad)) {
            EXPECT_EQ(want, splitLikeThePrintProgram(text)) << "[" << arg << "] as [" << text << "]";
            EXPECT_EQ(want, splitLikeTheServer(text)) << "[" << arg << "] as [" << text << "]";
            continue;
        }
        for (const std::string& e : spellings) {
            if (e.size() > arg.size() + 2)
                break;
            EXPECT_NE(want, splitLikeThePrintProgram("x " + e + " y")) << "[" << arg << "] refused, yet [" << e
                                                                         << "] spells it";
            EXPECT_NE(want, splitLikeTheServer("x " + e + " y")) << "[" << arg << "] refused, yet [" << e
                                                                   << "] spells it for the server";
        }
    }
}
