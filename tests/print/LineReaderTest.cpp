#include "print/LineReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

TEST(LineReader, LineEnds)
{
    const std::string y999(999, 'y');
    // The bytes, the lines read with a buffer of kLineSize bytes (or of 4 and 1).
    const std::vector<std::pair<std::string, Lines>> cases = {
        // Every convention, mixed in one document; a pair is only ever one line end.
        { "a\r\nb\nc\rd\n\re", { "a", "b", "c", "d", "e" } },
        { "a\r\n\r\nb\n\nc\r\rd\n\r\n\re\r\n\nf", { "a", "", "b", "", "c", "", "d", "", "e", "", "f" } },
        { "\r\n\r\na", { "", "", "a" } },
        // The end of the file reports only a line with characters.
        { "", {} }, { "\t\x1b", {} }, { "\n", { "" } }, { "x\r\nlast", { "x", "last" } },
        // A form feed stays in its line and ends it; the line end right after it is its own.
        { "one\ftwo", { "one\f", "two" } }, { "a\f\r\nb", { "a\f", "b" } }, { "\f\fx", { "\f", "\f", "x" } },
        { "a\f\r\n\r\nb", { "a\f", "", "b" } },
        // Other control bytes are dropped, also between two line ends.
        { "a\tb \x1b" "c\x01\x08" "d", { "ab cd" } }, { std::string("a\0b", 3), { "ab" } },
        { "a\r\t\nb", { "a", "b" } },
        // Bytes of 128 and above are kept as they are: frames are told apart when drawn.
        { "\xda\xc4\xbf\r\n\xb3 \xba\r\n\xc8\xcd\xbc\xb0", { "\xda\xc4\xbf", "\xb3 \xba", "\xc8\xcd\xbc\xb0" } },
        // A line ends at 999 characters; its own line end right after adds no empty line.
        { std::string(2500, 'x'), { std::string(999, 'x'), std::string(999, 'x'), std::string(502, 'x') } },
        { y999 + "\r\nz", { y999, "z" } }, { y999 + "\n\nz", { y999, "", "z" } },
        { std::string(998, 'f') + "\fg", { std::string(998, 'f') + "\f", "g" } },
        { "abcde", { "abc", "de" } }, { "abc", {} } };
    for (size_t i = 0; i < cases.size(); ++i) {
        const int size = i + 2 == cases.size() ? 4 : i + 1 == cases.size() ? 1 : LineReader::kLineSize;
        std::FILE* f = std::tmpfile();
        std::fwrite(cases[i].first.data(), 1, cases[i].first.size(), f);
        std::rewind(f);
        LineReader reader(f);
        Lines lines;
        std::vector<char> line(static_cast<size_t>(size));
        for (int length = 0; reader.readLine(line.data(), size, length) && lines.size() <= cases[i].first.size();)
            lines.push_back(std::string(line.data(), static_cast<size_t>(length)));
        EXPECT_EQ(cases[i].second, lines) << ::testing::PrintToString(cases[i].first);
        std::fclose(f);
    }
}

TEST(LineReader, RewindDropsWhatIsBuffered)
{
    std::FILE* f = std::tmpfile();
    for (int i = 0; i < 3000; ++i)
        std::fprintf(f, "line %d\r\n", i);
    std::rewind(f);
    LineReader reader(f);
    char line[LineReader::kLineSize];
    int length = 0;
    for (int i = 0; i < 1234; ++i)
        ASSERT_TRUE(reader.readLine(line, sizeof line, length));
    ASSERT_TRUE(reader.rewind() && reader.readLine(line, sizeof line, length));
    EXPECT_STREQ("line 0", line);
    std::fclose(f);
}
