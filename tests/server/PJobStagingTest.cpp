#include "common/UCmdLine.h"
#include "common/UStopWatch.h"
#include "server/KeltoCmdLine.h"
#include "server/PJobStaging.h"
#include "tests/common/TestSupport.h"
#include "tests/server/StandIn.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::readFile;
using testsupport::TempDir;

TEST(PJobStaging, StampsHaveTenSignificantDigitsOfTheSinglePrecisionSeconds)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {3000, "3."}, {12345, "12.34500027"}, {500, "0.5"}, {16, "1.600000076e-002"}, {3600000, "3600."},
        {100, "0.1000000015"}, {99, "9.899999946e-002"}, {1, "1.000000047e-003"}, {0, "0."},
        {0xFFFFFFFFu, "4294967.5"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.second, PJobStaging::formatStamp(static_cast<float>(c.first / 1000.0)).str()) << c.first;
    TempDir dir(true);
    UStopWatch uptime;
    uptime.start();
    EXPECT_LT(std::stod(PJobStaging::jobStamp(uptime).str()), 60.0);
}

TEST(PJobStaging, AStampInUseGetsTheFirstFreeSuffix)
{
    const UString base("3.");
    for (const UString& taken :
         {PJobStaging::jobLogName(base), PJobStaging::commandFileName(base), PJobStaging::jobFileName(base)}) {
        TempDir dir(true);
        testsupport::writeFile("tmpLog.30.txt", "another stamp is no obstacle");
        EXPECT_STREQ("3.", PJobStaging::unusedStamp(base).str());
        testsupport::writeFile(taken.str(), "an earlier job's file");
        EXPECT_STREQ("3.-2", PJobStaging::unusedStamp(base).str()) << taken.str();
        testsupport::writeFile(PJobStaging::commandFileName(UString("3.-2")).str(), "x");
        EXPECT_STREQ("3.-3", PJobStaging::unusedStamp(base).str()) << taken.str();
        EXPECT_EQ("an earlier job's file", readFile(taken.str()));
    }
}

TEST(PJobStaging, OptionsGetTheTemporaryNamesAndTheLaunchLineNamesThem)
{
    KeltoCmdLine o;
    ASSERT_TRUE(PJobStaging::prepareJobOptions("-open report.pdf -logfile C:\\mine.txt -response out.txt", o,
                                               UString("3.")));
    EXPECT_STREQ("out.txt", o.responseFile.str());
    EXPECT_STREQ("draxome.exe -cmdfile tmpCmdfile.3..ini -logfile tmpLog.3..txt -open tmpFilename.3..txt",
                 PJobStaging::launchLine(PJobStaging::commandFileName(UString("3.")), o).str());
    KeltoCmdLine noOpen;
    ASSERT_TRUE(PJobStaging::prepareJobOptions("-fontlist", noOpen, UString("1.6e-002")));
    EXPECT_STREQ("draxome.exe -cmdfile tmpCmdfile.1.6e-002.ini -logfile tmpLog.1.6e-002.txt",
                 PJobStaging::launchLine(PJobStaging::commandFileName(UString("1.6e-002")), noOpen).str());
    testsupport::LogCapture log;
    KeltoCmdLine failed;
    EXPECT_FALSE(PJobStaging::prepareJobOptions("-logfile mine.txt -open", failed, UString("3.")));
    EXPECT_STREQ("mine.txt", failed.logFile.str()) << "no temporary name after a failed parse";
}

TEST(PJobStaging, TheCommandFileHoldsExactlyTheReceivedBytes)
{
    TempDir dir(true);
    const UString name = PJobStaging::commandFileName(UString("3."));
    const char withNul[] = "-ver\r\n-printlist\t\"a b\"\0-fontlist";
    for (const char* text : {"-open \"my file.txt\" -copies 2 -response rr", withNul, ""}) {
        ASSERT_EQ(PJobStaging::Written, PJobStaging::writeCommandFile(name, text));
        EXPECT_EQ(text, readFile("tmpCmdfile.3..ini"));
    }
    EXPECT_EQ(PJobStaging::CannotCreate, PJobStaging::writeCommandFile("missing/tmpCmdfile.3..ini", "-ver"));
    const std::string full = standin::failingWritePath();
    if (!full.empty()) {
        EXPECT_EQ(PJobStaging::CannotWrite,
                  PJobStaging::writeCommandFile(UString(full.c_str()), std::string(100000, 'x').c_str()));
    }
}
