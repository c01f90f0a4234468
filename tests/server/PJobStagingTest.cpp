#include "common/UCmdLine.h"
#include "common/UOs.h"
#include "common/UStopWatch.h"
#include "server/KeltoCmdLine.h"
#include "server/PJobStaging.h"
#include "tests/common/TestSupport.h"
#include "tests/server/StandIn.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::TempDir;
using testsupport::readFile;

std::string stampAfter(std::uint32_t ms, std::uint32_t startTick = 1000)
{
    UStopWatch w;
    w.setTicks(startTick, startTick + ms);
    return PJobStaging::formatStamp(w.seconds()).str();
}

std::vector<std::string> split(const UString& line)
{
    int argc = 0;
    char** argv = nullptr;
    EXPECT_TRUE(UCmdLine::getArgcArgv(line, argc, argv));
    std::vector<std::string> out(argv, argv + argc);
    UCmdLine::releaseArgcArgv(argc, argv);
    return out;
}

} // namespace

TEST(PJobStampTest, TenSignificantDigitsFromTheSinglePrecisionValue)
{
    EXPECT_EQ("3.", stampAfter(3000));
    EXPECT_EQ("12.34500027", stampAfter(12345));
    EXPECT_EQ("0.5", stampAfter(500));
    EXPECT_EQ("1.600000076e-002", stampAfter(16));
    EXPECT_EQ("3600.", stampAfter(3600000));
    EXPECT_EQ("1.", stampAfter(1000));
    EXPECT_EQ("60.", stampAfter(60000));
}

TEST(PJobStampTest, ExponentBelowATenthFixedFromATenth)
{
    EXPECT_EQ("0.1000000015", stampAfter(100));
    EXPECT_EQ("9.899999946e-002", stampAfter(99));
    EXPECT_EQ("1.000000047e-003", stampAfter(1));
    EXPECT_EQ("7.000000216e-003", stampAfter(7));
    // Nothing elapsed: no digits to show, the point kept.
    EXPECT_EQ("0.", stampAfter(0));
}

TEST(PJobStampTest, WrapOfTheTickCounterAndTheLongestUptime)
{
    EXPECT_EQ("3.200000152e-002", stampAfter(32, 0xFFFFFFF0u));
    EXPECT_EQ("4294967.5", stampAfter(0xFFFFFFFFu, 0));
    EXPECT_EQ("3.", stampAfter(3000, 0xFFFFF000u));
}

TEST(PJobStampTest, JobStampStopsTheUptimeWatch)
{
    TempDir dir(true);
    UStopWatch uptime;
    const std::uint32_t now = UOs::tickCount();
    uptime.setTicks(now - 5000, 0);
    const std::string stamp = PJobStaging::jobStamp(uptime).str();
    EXPECT_GE(uptime.endTick() - uptime.startTick(), 5000u);
    const double seconds = std::stod(stamp);
    EXPECT_GE(seconds, 5.0);
    EXPECT_LT(seconds, 65.0);
}

TEST(PJobStampTest, AStampInUseGetsASuffix)
{
    const UString base("3.");
    for (const char* busy : {"log", "cmd", "file"}) {
        TempDir dir(true);
        const std::string which = busy;
        const UString taken = which == "log"   ? PJobStaging::jobLogName(base)
                              : which == "cmd" ? PJobStaging::commandFileName(base)
                                               : PJobStaging::jobFileName(base);
        testsupport::writeFile(taken.str(), "an earlier job's file");
        EXPECT_STREQ("3.-2", PJobStaging::unusedStamp(base).str()) << busy;
        testsupport::writeFile(PJobStaging::commandFileName(UString("3.-2")).str(), "x");
        EXPECT_STREQ("3.-3", PJobStaging::unusedStamp(base).str()) << busy;
        // The earlier file is left as it was.
        EXPECT_EQ("an earlier job's file", readFile(taken.str()));
    }
    TempDir clean(true);
    EXPECT_STREQ("3.", PJobStaging::unusedStamp(base).str());
    // Other jobs' stamps are no obstacle.
    testsupport::writeFile("tmpLog.30.txt", "x");
    testsupport::writeFile("tmpLog.3.txt", "x");
    EXPECT_STREQ("3.", PJobStaging::unusedStamp(base).str());
}

TEST(PJobStagingTest, TemporaryNames)
{
    const UString n("3.");
    EXPECT_STREQ("tmpCmdfile.3..ini", PJobStaging::commandFileName(n).str());
    EXPECT_STREQ("tmpFilename.3..txt", PJobStaging::jobFileName(n).str());
    EXPECT_STREQ("tmpLog.3..txt", PJobStaging::jobLogName(n).str());
    EXPECT_STREQ("tmpCmdfile.1.600000076e-002.ini",
                 PJobStaging::commandFileName(UString("1.600000076e-002")).str());
}

TEST(PJobStagingTest, OptionsGetTheTemporaryNames)
{
    KeltoCmdLine o;
    ASSERT_TRUE(PJobStaging::prepareJobOptions(
        "-open report.pdf -printlist -logfile C:\\mine.txt -response out.txt", o, UString("3.")));
    EXPECT_STREQ("tmpFilename.3..txt", o.openFile.str());
    EXPECT_STREQ("tmpLog.3..txt", o.logFile.str());
    EXPECT_STREQ("out.txt", o.responseFile.str());
    EXPECT_TRUE(o.response);
    EXPECT_TRUE(o.printList);

    KeltoCmdLine noOpen;
    ASSERT_TRUE(PJobStaging::prepareJobOptions("-fontlist", noOpen, UString("12.34500027")));
    EXPECT_STREQ("", noOpen.openFile.str());
    EXPECT_STREQ("tmpLog.12.34500027.txt", noOpen.logFile.str());
}

TEST(PJobStagingTest, FailedParseAssignsNoTemporaryName)
{
    testsupport::LogCapture log;
    KeltoCmdLine o;
    EXPECT_FALSE(PJobStaging::prepareJobOptions("-logfile mine.txt -printlist -open", o, UString("3.")));
    EXPECT_STREQ("mine.txt", o.logFile.str());
    EXPECT_STREQ("", o.openFile.str());
    EXPECT_TRUE(o.printList);
    EXPECT_EQ("Error: Error in KeltoCmdLine::parse(): -open\r\n", log.text());
}

TEST(PJobStagingTest, CommandFileHoldsExactlyTheReceivedBytes)
{
    TempDir dir(true);
    const std::string text = "-open \"my file.txt\" -copies 2 -response rr";
    ASSERT_EQ(42u, text.size());
    const UString name = PJobStaging::commandFileName(UString("3."));
    ASSERT_EQ(PJobStaging::Written, PJobStaging::writeCommandFile(name, text.c_str()));
    EXPECT_EQ(text, readFile("tmpCmdfile.3..ini"));

    // Line ends and tabs are kept as they are; a longer earlier file is replaced.
    const std::string raw = "-ver\r\n-printlist\t-fontlist\n";
    ASSERT_EQ(PJobStaging::Written, PJobStaging::writeCommandFile(name, raw.c_str()));
    EXPECT_EQ(raw, readFile("tmpCmdfile.3..ini"));

    // Up to the first NUL.
    const char withNul[] = "-ver\0-printlist";
    ASSERT_EQ(PJobStaging::Written, PJobStaging::writeCommandFile(name, withNul));
    EXPECT_EQ("-ver", readFile("tmpCmdfile.3..ini"));

    ASSERT_EQ(PJobStaging::Written, PJobStaging::writeCommandFile(name, ""));
    EXPECT_EQ("", readFile("tmpCmdfile.3..ini"));
}

TEST(PJobStagingTest, CommandFileThatCannotBeCreated)
{
    TempDir dir(true);
    EXPECT_EQ(PJobStaging::CannotCreate, PJobStaging::writeCommandFile("missing/tmpCmdfile.3..ini", "-ver"));
    EXPECT_FALSE(std::filesystem::exists("missing"));
}

TEST(PJobStagingTest, CommandFileShortWrite)
{
    const std::string full = standin::failingWritePath();
    if (full.empty())
        GTEST_SKIP() << "this platform has no device whose writes fail";
    EXPECT_EQ(PJobStaging::CannotWrite,
              PJobStaging::writeCommandFile(UString(full.c_str()), std::string(100000, 'x').c_str()));
}

TEST(PJobStagingTest, LaunchLineAndItsArguments)
{
    KeltoCmdLine o;
    ASSERT_TRUE(PJobStaging::prepareJobOptions("-open report.pdf -logfile client.txt", o, UString("3.")));
    const UString cmd = PJobStaging::commandFileName(UString("3."));
    const UString line = PJobStaging::launchLine(cmd, o);
    EXPECT_STREQ("draxome.exe -cmdfile tmpCmdfile.3..ini -logfile tmpLog.3..txt -open tmpFilename.3..txt",
                 line.str());
    EXPECT_EQ((std::vector<std::string>{"draxome.exe", "-cmdfile", "tmpCmdfile.3..ini", "-logfile", "tmpLog.3..txt",
                                        "-open", "tmpFilename.3..txt"}),
              split(line));

    KeltoCmdLine noOpen;
    ASSERT_TRUE(PJobStaging::prepareJobOptions("-printlist", noOpen, UString("1.600000076e-002")));
    const UString line2 =
        PJobStaging::launchLine(PJobStaging::commandFileName(UString("1.600000076e-002")), noOpen);
    EXPECT_EQ((std::vector<std::string>{"draxome.exe", "-cmdfile", "tmpCmdfile.1.600000076e-002.ini", "-logfile",
                                        "tmpLog.1.600000076e-002.txt"}),
              split(line2));
}
