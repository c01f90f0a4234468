#include "common/UDateTime.h"
#include "common/ULog.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using testsupport::readFile;

class ULogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ULog::reset();
        ULog::setStyle(ULog::ServerStyle);
        name = std::string("ulog_test_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
        std::remove(name.c_str());
    }
    void TearDown() override
    {
        ULog::reset();
        ULog::setStyle(ULog::ServerStyle);
        std::remove(name.c_str());
    }
    std::string name;
};

} // namespace

TEST_F(ULogTest, NothingIsWrittenBeforeAStreamIsSet)
{
    ULog::write("lost", ULog::Error);
    ASSERT_TRUE(ULog::setStream(UString(name.c_str()), 0));
    ULog::write("kept", ULog::Error);
    EXPECT_EQ("Error: kept\r\n", readFile(name));
}

TEST_F(ULogTest, ServerPrefixesAndPlainLevels)
{
    ASSERT_TRUE(ULog::setStream(UString(name.c_str()), 0));
    ULog::write("e", 0);
    ULog::write("w", 1);
    ULog::write("i", 2);
    ULog::write("n", 3);
    ULog::write("d", 4);
    ULog::write("five", 5);
    ULog::write("seven", 7);
    ULog::write("minus", -1);
    ULog::write(UString("100% %s %n"), 2);
    EXPECT_EQ("Error: e\r\nWarning: w\r\nInfo: i\r\nNotice: n\r\nDebug: d\r\nfive\r\nseven\r\n"
              "minus\r\nInfo: 100% %s %n\r\n",
              readFile(name));
}

TEST_F(ULogTest, ServerLengthLimitIsExact)
{
    ASSERT_TRUE(ULog::setStream(UString(name.c_str()), 0));
    const std::string fits(9988, 'a');
    const std::string over(9989, 'b');
    ULog::write(fits.c_str(), ULog::Warning);
    ULog::write(over.c_str(), ULog::Warning);
    ULog::write("next", ULog::Info);
    EXPECT_EQ("Warning: " + fits + "\r\n" + ULog::kTooLong + "Info: next\r\n", readFile(name));
}

TEST_F(ULogTest, PrintProgramPrefixCarriesDateAndTime)
{
    char line[ULog::kLineSize];
    const UDateTime when(9, 5, 2, 6, 12, 2026);
    ULog::formatAt(line, "hello", ULog::Info, when);
    EXPECT_STREQ("Info[6/Dec/2026 2:5:9]: hello\r\n", line);
    ULog::formatAt(line, "w", ULog::Warning, when);
    EXPECT_STREQ("Warning[6/Dec/2026 2:5:9]: w\r\n", line);
    ULog::formatAt(line, "bare", 5, when);
    EXPECT_STREQ("bare\r\n", line);
    ULog::formatAt(line, "bare", 99, when);
    EXPECT_STREQ("bare\r\n", line);
}

TEST_F(ULogTest, PrintProgramLimitLeavesRoomForTheLongestPrefix)
{
    // The longest prefix has a two-digit day and two-digit hour, minute and second.
    const UDateTime longest(59, 59, 23, 31, 12, 2026);
    char line[ULog::kLineSize];
    const std::string fits(9966, 'a');
    ULog::formatAt(line, fits.c_str(), ULog::Warning, longest);
    const std::string got(line);
    EXPECT_EQ(31u + 9966u + 2u, got.size());
    EXPECT_EQ("\r\n", got.substr(got.size() - 2));
    const std::string over(9967, 'a');
    ULog::formatAt(line, over.c_str(), ULog::Warning, longest);
    EXPECT_STREQ(ULog::kTooLong, line);
}

TEST_F(ULogTest, PrintStyleWritesDatedLines)
{
    ULog::setStyle(ULog::PrintStyle);
    ASSERT_TRUE(ULog::setStream(UString(name.c_str()), 0));
    ULog::write("dated", ULog::Notice);
    const std::string got = readFile(name);
    EXPECT_EQ(0u, got.rfind("Notice[", 0)) << got;
    EXPECT_NE(std::string::npos, got.find("]: dated\r\n")) << got;
}

TEST_F(ULogTest, DeletedFileIsRecreatedAndUnopenableFileRetried)
{
    ASSERT_TRUE(ULog::setStream(UString(name.c_str()), 0));
    ULog::write("one", ULog::Info);
    std::remove(name.c_str());
    ULog::write("two", ULog::Info);
    EXPECT_EQ("Info: two\r\n", readFile(name));

    // A path whose directory does not exist loses the line, silently.
    ASSERT_TRUE(ULog::setStream(UString("no_such_dir_for_ulog/x.txt"), 0));
    ULog::write("gone", ULog::Info);
    ASSERT_TRUE(ULog::setStream(UString(name.c_str()), 0));
    ULog::write("three", ULog::Info);
    EXPECT_EQ("Info: two\r\nInfo: three\r\n", readFile(name));
}

TEST_F(ULogTest, SecondNonZeroStreamIsRefusedForGood)
{
    const std::string other = name + ".other";
    EXPECT_TRUE(ULog::setStream(UString(name.c_str()), 1));
    EXPECT_FALSE(ULog::setStream(UString(other.c_str()), 1));
    EXPECT_FALSE(ULog::setStream(UString(other.c_str()), 0));
    ULog::write("kept", ULog::Info);
    EXPECT_EQ("Info: kept\r\n", readFile(name));
    // Stream 0 alone never moves the counter.
    ULog::reset();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(ULog::setStream(UString(other.c_str()), 0));
}

using ULogDeathTest = ULogTest;

TEST_F(ULogDeathTest, FatalAlertsInTheProgramsStyleAndExitsWithZero)
{
    EXPECT_EXIT(ULog::fatal("boom"), ::testing::ExitedWithCode(0), "Allert: Error in boom");
    ULog::setStyle(ULog::PrintStyle);
    EXPECT_EXIT(ULog::fatal("boom"), ::testing::ExitedWithCode(0), "Allert: Info\\[.*\\]: boom");
}
