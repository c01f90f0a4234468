#include "ClientTestSupport.h"

#include "client/ProgressLine.h"

#include <algorithm>
#include <cstdio>

TEST(ProgressLine, ShowsMegabytesAndPercent)
{
    EXPECT_EQ("sending report.txt: 0.0 of 12.0 MB (0%)", ProgressLine::format("report.txt", 0, 12000000));
    EXPECT_EQ("sending report.txt: 1.5 of 12.0 MB (12%)", ProgressLine::format("report.txt", 1500000, 12000000));
    EXPECT_EQ("sending r: 12.0 of 12.0 MB (100%)", ProgressLine::format("r", 12000000, 12000000));
    // More than announced never shows more than all of it; nothing to send is done at once.
    EXPECT_EQ("sending r: 1.0 of 1.0 MB (100%)", ProgressLine::format("r", 5000000, 1000000));
    EXPECT_EQ("sending r: 0.0 of 0.0 MB (100%)", ProgressLine::format("r", 0, 0));
    // Percentages of files near the 2 GiB limit do not overflow.
    EXPECT_EQ("sending r: 2147.5 of 2147.5 MB (99%)", ProgressLine::format("r", 2147483000LL, 2147483647LL));
    const std::string longName(60, 'n');
    EXPECT_EQ("sending ..." + std::string(37, 'n') + ": 0.0 of 0.0 MB (100%)", ProgressLine::format(longName, 0, 0));
}

TEST(ProgressLine, RedrawsInPlaceAndEndsTheLine)
{
    std::FILE* f = std::tmpfile();
    ASSERT_NE(nullptr, f);
    {
        ProgressLine line(f, "big.txt", 3000000);
        // Pieces that come faster than the redraw pace are drawn once.
        for (int i = 0; i < 30; ++i)
            line.advance(50000);
        line.finish();
        line.finish();
    }
    std::rewind(f);
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    std::fclose(f);
    // The first piece draws at once; finish draws the last state and one line end.
    EXPECT_EQ(0u, text.find("\rsending big.txt: 0.1 of 3.0 MB (1%)"));
    EXPECT_NE(std::string::npos, text.find("\rsending big.txt: 1.5 of 3.0 MB (50%)   \n"));
    EXPECT_EQ(text.size() - 1, text.find('\n'));
    EXPECT_LE(std::count(text.begin(), text.end(), '\r'), 4);
}
