#include "common/UDateTime.h"
#include "common/UException.h"
#include "common/ULog.h"
#include "common/UMemory.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <new>

using testsupport::LogCapture;
using testsupport::readFile;

TEST(ULog, ServerLinesPrefixesAndTheExactLengthLimit)
{
    LogCapture log;
    for (int level : {0, 1, 2, 3, 4, 5, 7, -1})
        ULog::write("m", level);
    ULog::write(UString("100% %s %n"), ULog::Info);
    const std::string fits(9988, 'a');
    ULog::write(fits.c_str(), ULog::Warning);
    ULog::write(std::string(9989, 'b').c_str(), ULog::Warning);
    EXPECT_EQ("Error: m\r\nWarning: m\r\nInfo: m\r\nNotice: m\r\nDebug: m\r\nm\r\nm\r\nm\r\nInfo: 100% %s %n\r\n"
              "Warning: " + fits + "\r\n" + ULog::kTooLong,
              log.text());
    // The print program's lines within the same limit, with the longest prefix: two-digit
    // day, hour, minute and second.
    char line[ULog::kLineSize];
    const UDateTime longest(59, 59, 23, 31, 12, 2026);
    ULog::formatAt(line, std::string(9966, 'a').c_str(), ULog::Warning, longest);
    EXPECT_EQ("Warning[31/Dec/2026 23:59:59]: " + std::string(9966, 'a') + "\r\n", line);
    ULog::formatAt(line, std::string(9967, 'a').c_str(), ULog::Warning, longest);
    EXPECT_STREQ(ULog::kTooLong, line);
}

TEST(ULog, TheStreamIsReopenedForEveryLineAndSetOnce)
{
    testsupport::TempDir dir;
    const std::string name = (dir / "log.txt").string();
    ULog::reset();
    ULog::setStyle(ULog::PrintStyle);
    ULog::write("lost", ULog::Error);
    ASSERT_TRUE(ULog::setStream(UString(name.c_str()), 1));
    ULog::write("one", ULog::Info);
    std::remove(name.c_str());
    ULog::write("two", ULog::Info);
    // A second stream with a number is refused for good; the first stays.
    EXPECT_FALSE(ULog::setStream(UString((name + ".other").c_str()), 1));
    EXPECT_FALSE(ULog::setStream(UString((name + ".other").c_str()), 0));
    ULog::write("three", ULog::Info);
    EXPECT_EQ(0u, readFile(name).find("Info[")) << readFile(name);
    EXPECT_NE(std::string::npos, readFile(name).find("]: two\r\nInfo[")) << readFile(name);
    EXPECT_EQ(std::string::npos, readFile(name).find("one"));
    ULog::reset();
    ULog::setStyle(ULog::ServerStyle);
}

TEST(ULog, AFullLogMovesToItsFirstGenerationAndNoLineIsLost)
{
    testsupport::TempDir dir;
    const std::string name = (dir / "log.txt").string();
    ULog::reset();
    ASSERT_TRUE(ULog::setStream(UString(name.c_str()), 0));
    ULog::setLimit(30);
    // "Info: line N\r\n" is 14 bytes: two fit in 30, the third starts a new file, the
    // fifth replaces the generation kept. A line longer than the limit still gets written.
    for (const char* line : {"line 1", "line 2", "line 3", "line 4", "line 5"})
        ULog::write(line, ULog::Info);
    EXPECT_EQ("Info: line 3\r\nInfo: line 4\r\n", readFile(name + ".1"));
    EXPECT_EQ("Info: line 5\r\n", readFile(name));
    ULog::write(std::string(40, 'x').c_str(), ULog::Info);
    ULog::write(std::string(40, 'y').c_str(), ULog::Info);
    EXPECT_EQ("Info: " + std::string(40, 'x') + "\r\n", readFile(name + ".1"));
    EXPECT_EQ("Info: " + std::string(40, 'y') + "\r\n", readFile(name));
    ULog::reset();
    ULog::write("z", ULog::Info);
    EXPECT_EQ("Info: " + std::string(40, 'y') + "\r\n", readFile(name)) << "no stream, nothing written";
}

TEST(ULog, UntrustedTextCanNeitherBreakNorStartALine)
{
    struct Case {
        std::string text;
        int most;
        const char* shown;
    };
    const Case cases[] = {
        {"x\r\nInfo: forged", 200, "x??Info: forged"}, {"\x01\x1f\x7f\x80\xff ~", 200, "????? ~"},
        {"abcdef", 6, "abcdef"}, {"abcdefg", 6, "abcdef..."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.shown, std::string(ULog::untrusted(c.text.c_str(), c.most).str())) << c.text;
    // An abort record may come from the peer: every field is shown that way.
    LogCapture log;
    UException e;
    e.setError("x\r\nInfo: PPrinterServer::run(): connection accepted");
    e.setDescription(std::string(5000, 'd').c_str());
    e.print(ULog::Error, 0);
    EXPECT_EQ("Error: Exception information:\r\nError: \tException Name: UException\r\n"
              "Error: \tError Message: x??Info: PPrinterServer::run(): connection accepted\r\n"
              "Error: \tDescription: " + std::string(200, 'd') + "...\r\nError: \tSource: \r\n",
              log.text());
}

TEST(ULogDeathTest, FatalAndExhaustedMemoryAlertInTheProgramsStyleAndExitWithZero)
{
    ULog::setStyle(ULog::ServerStyle);
    EXPECT_EXIT(ULog::fatal("boom"), ::testing::ExitedWithCode(0), "Allert: Error in boom");
    EXPECT_EXIT(
        {
            // What a failed new calls.
            UMemory::endOnFailedNew();
            std::get_new_handler()();
        },
        ::testing::ExitedWithCode(0), "Allert: Error in operator new: memory allocation error");
    ULog::setStyle(ULog::PrintStyle);
    EXPECT_EXIT(ULog::fatal("boom"), ::testing::ExitedWithCode(0), "Allert: Info\\[.*\\]: boom");
    ULog::setStyle(ULog::ServerStyle);
}
