#include "common/UStopWatch.h"
#include "server/KeltoCmdLine.h"
#include "server/PJobStaging.h"
#include "tests/common/TestSupport.h"
#include "tests/server/StandIn.h"

#include <gtest/gtest.h>

#include <string>

// The staged names, the command file's bytes and the launch line are held by the exchange
// tests; here the stamps and what only shows in a directory of this test's own.
TEST(PJobStaging, StampsHaveTenSignificantDigitsAndAStampInUseGetsTheFirstFreeSuffix)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {3000, "3."}, {12345, "12.34500027"}, {500, "0.5"}, {16, "1.600000076e-002"}, {3600000, "3600."},
        {100, "0.1000000015"}, {99, "9.899999946e-002"}, {1, "1.000000047e-003"}, {0, "0."},
        {0xFFFFFFFFu, "4294967.5"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.second, PJobStaging::formatStamp(static_cast<float>(c.first / 1000.0)).str()) << c.first;
    const UString base("3.");
    for (const UString& taken :
         {PJobStaging::jobLogName(base), PJobStaging::commandFileName(base), PJobStaging::jobFileName(base)}) {
        testsupport::TempDir dir(true);
        testsupport::writeFile("tmpLog.30.txt", "another stamp is no obstacle");
        UStopWatch uptime;
        uptime.start();
        EXPECT_LT(std::stod(PJobStaging::jobStamp(uptime).str()), 60.0);
        testsupport::writeFile(taken.str(), "an earlier job's file");
        EXPECT_STREQ("3.-2", PJobStaging::unusedStamp(base).str()) << taken.str();
        testsupport::writeFile(PJobStaging::commandFileName(UString("3.-2")).str(), "x");
        EXPECT_STREQ("3.-3", PJobStaging::unusedStamp(base).str()) << taken.str();
    }
}

TEST(PJobStaging, ACommandFileThatCannotBeWrittenIsReported)
{
    testsupport::TempDir dir(true);
    EXPECT_EQ(PJobStaging::CannotCreate, PJobStaging::writeCommandFile("missing/tmpCmdfile.3..ini", "-ver"));
    const std::string full = standin::failingWritePath();
    if (!full.empty()) {
        EXPECT_EQ(PJobStaging::CannotWrite,
                  PJobStaging::writeCommandFile(UString(full.c_str()), std::string(100000, 'x').c_str()));
    }
}
