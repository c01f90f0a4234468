#include "print/LineReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Every line the reader reports for these bytes, read with the layout's 1000-byte buffer.
std::vector<std::string> readAll(const std::string& bytes, int size = LineReader::kLineSize)
{
    std::FILE* f = std::tmpfile();
    EXPECT_NE(nullptr, f);
    if (f == nullptr)
        return {};
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    LineReader reader(f);
    std::vector<std::string> out;
    std::vector<char> line(static_cast<size_t>(size > 0 ? size : 1));
    int length = -1;
    while (reader.readLine(line.data(), size, length)) {
        EXPECT_EQ(std::string(line.data()).size(), static_cast<size_t>(length));
        out.push_back(std::string(line.data(), static_cast<size_t>(length)));
        if (out.size() > bytes.size() + 1) {
            ADD_FAILURE() << "the reader does not come to an end";
            break;
        }
    }
    EXPECT_EQ(0, length);
    std::fclose(f);
    return out;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(LineReader, EveryKindOfLineEndEndsOneLine)
{
    EXPECT_EQ((Lines { "a", "b", "c" }), readAll("a\r\nb\r\nc\r\n"));
    EXPECT_EQ((Lines { "a", "b", "c" }), readAll("a\n\rb\n\rc"));
    EXPECT_EQ((Lines { "a", "b", "c" }), readAll("a\rb\rc\r"));
    EXPECT_EQ((Lines { "a", "b", "c" }), readAll("a\nb\nc\n"));
    // Mixed in one document.
    EXPECT_EQ((Lines { "a", "b", "c", "d" }), readAll("a\r\nb\nc\rd"));
}

TEST(LineReader, EmptyLinesSurviveEveryLineEndConvention)
{
    // After CR LF an empty line is one more CR LF.
    EXPECT_EQ((Lines { "a", "", "b" }), readAll("a\r\n\r\nb\r\n"));
    EXPECT_EQ((Lines { "a", "", "", "b" }), readAll("a\r\n\r\n\r\nb"));
    // A report written with bare line feeds keeps its empty lines too.
    EXPECT_EQ((Lines { "a", "", "b" }), readAll("a\n\nb"));
    EXPECT_EQ((Lines { "a", "", "", "b" }), readAll("a\n\n\nb"));
    EXPECT_EQ((Lines { "a", "", "b" }), readAll("a\r\rb"));
    EXPECT_EQ((Lines { "a", "", "b" }), readAll("a\n\r\n\rb"));
    // A pair is only ever one line end: CR LF LF is one line end and an empty line.
    EXPECT_EQ((Lines { "a", "", "b" }), readAll("a\r\n\nb"));
    // At the very start of the document too.
    EXPECT_EQ((Lines { "", "a" }), readAll("\na"));
    EXPECT_EQ((Lines { "", "", "a" }), readAll("\r\n\r\na"));
    // A dropped control byte between two line ends changes nothing.
    EXPECT_EQ((Lines { "a", "", "", "b" }), readAll("a\n\n\t\nb"));
    EXPECT_EQ((Lines { "a", "b" }), readAll("a\r\t\nb"));
}

TEST(LineReader, EndOfFileReportsOnlyALineWithCharacters)
{
    EXPECT_EQ(Lines {}, readAll(""));
    EXPECT_EQ(Lines {}, readAll("\t\x1b"));
    // A document that starts with a line end starts with an empty line.
    EXPECT_EQ((Lines { "" }), readAll("\n"));
    EXPECT_EQ((Lines { "" }), readAll("\r\n"));
    EXPECT_EQ((Lines { "", "" }), readAll("\r\n\r\n"));
    EXPECT_EQ((Lines { "last" }), readAll("last"));
    EXPECT_EQ((Lines { "x", "last" }), readAll("x\r\nlast"));
}

TEST(LineReader, FormFeedStaysInItsLineAndEndsIt)
{
    EXPECT_EQ((Lines { "page one\f", "page two" }), readAll("page one\fpage two"));
    // The line end right after a form feed is the form feed's own: a form feed alone on
    // its line, as reports write it, adds no empty line.
    EXPECT_EQ((Lines { "a\f", "b" }), readAll("a\f\nb"));
    EXPECT_EQ((Lines { "a\f", "b" }), readAll("a\f\r\nb"));
    EXPECT_EQ((Lines { "a\f", "b" }), readAll("a\f\n\rb"));
    EXPECT_EQ((Lines { "\f", "\f", "x" }), readAll("\f\fx"));
    EXPECT_EQ((Lines { "a", "\f", "b" }), readAll("a\r\n\f\r\nb"));
    // Only one line end is the form feed's: the next one ends an empty line.
    EXPECT_EQ((Lines { "a\f", "", "b" }), readAll("a\f\r\n\r\nb"));
}

TEST(LineReader, OtherControlBytesAreDropped)
{
    EXPECT_EQ((Lines { "ab cd" }), readAll("a\tb \x1b" "c\x01\x08" "d\x0b"));
    EXPECT_EQ((Lines { "ab" }), readAll(std::string("a\0b", 3)));
    EXPECT_EQ((Lines { "x\x7f\xff" }), readAll("x\x7f\xff"));
}

TEST(LineReader, BoxCharactersOfCodePage437BecomeRuleCharacters)
{
    // A single frame, a double frame and a shading block that stays as it is.
    EXPECT_EQ((Lines { "------", "|    |", "------" }),
        readAll("\xda\xc4\xc4\xc4\xc4\xbf\r\n\xb3    \xb3\r\n\xc0\xc4\xc4\xc4\xc4\xd9\r\n"));
    EXPECT_EQ((Lines { "-=-", "| |", "---" }), readAll("\xc9=\xbb\r\n\xba \xba\r\n\xc8\xcd\xbc"));
    EXPECT_EQ((Lines { "\xb0\xb1\xb2" "A" }), readAll("\xb0\xb1\xb2" "A"));
}

TEST(LineReader, ALineEndsAt999Characters)
{
    const std::string longLine(2500, 'x');
    const Lines lines = readAll(longLine + "\r\nnext\r\n");
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(999u, lines[0].size());
    EXPECT_EQ(999u, lines[1].size());
    EXPECT_EQ(502u, lines[2].size());
    EXPECT_EQ("next", lines[3]);

    // A line of exactly 999 characters ends at the limit, and its own line end right after
    // it adds no empty line, whichever convention.
    EXPECT_EQ((Lines { std::string(999, 'y'), "z" }), readAll(std::string(999, 'y') + "\r\nz"));
    EXPECT_EQ((Lines { std::string(999, 'y'), "z" }), readAll(std::string(999, 'y') + "\nz"));
    EXPECT_EQ((Lines { std::string(999, 'y'), "", "z" }), readAll(std::string(999, 'y') + "\n\nz"));
    // A form feed may be the 999th character.
    const Lines withFeed = readAll(std::string(998, 'f') + "\fg");
    ASSERT_EQ(2u, withFeed.size());
    EXPECT_EQ(std::string(998, 'f') + "\f", withFeed[0]);
    EXPECT_EQ("g", withFeed[1]);
}

TEST(LineReader, ASmallerBufferLimitsTheLineToItsRoom)
{
    EXPECT_EQ((Lines { "abc", "de" }), readAll("abcde", 4));
    // No room for a character: nothing is read, nothing written beyond the NUL.
    EXPECT_EQ(Lines {}, readAll("abc", 1));
}

TEST(LineReader, RewindReadsTheDocumentAgain)
{
    // Longer than the reader's own buffer, so a rewind must drop what is buffered.
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    std::FILE* f = std::tmpfile();
    ASSERT_NE(nullptr, f);
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    LineReader reader(f);
    char line[LineReader::kLineSize];
    int length = 0;
    int count = 0;
    for (int i = 0; i < 1234; ++i)
        ASSERT_TRUE(reader.readLine(line, sizeof line, length));
    ASSERT_TRUE(reader.rewind());
    while (reader.readLine(line, sizeof line, length)) {
        EXPECT_EQ("line " + std::to_string(count), std::string(line));
        ++count;
    }
    EXPECT_EQ(3000, count);
    std::fclose(f);

    LineReader detached;
    EXPECT_FALSE(detached.rewind());
    EXPECT_FALSE(detached.readLine(line, sizeof line, length));
}
