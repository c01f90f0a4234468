#include "common/UStopWatch.h"
#include "server/KeltoCmdLine.h"
#include "server/PJobHistory.h"
#include "server/PJobStaging.h"
#include "tests/common/TestSupport.h"
#include "tests/server/StandIn.h"

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(PJobHistory, TheFilesOfTheLastJobsStayAndOlderOnesGo)
{
    testsupport::TempDir dir(true);
    PJobHistory::reset();
    PJobHistory::setKeep(2);
    auto files = [](const char* stamp) {
        const UString s(stamp);
        return std::to_string(std::filesystem::exists(PJobStaging::commandFileName(s).str())) +
               std::to_string(std::filesystem::exists(PJobStaging::jobFileName(s).str())) +
               std::to_string(std::filesystem::exists(PJobStaging::jobLogName(s).str()));
    };
    // A job that left no file (refused, say) takes no place in the history.
    for (const char* stamp : {"1.", "2.", "3.", "4.", "5."}) {
        if (std::string(stamp) != "4.") {
            testsupport::writeFile(PJobStaging::commandFileName(UString(stamp)).str(), "x");
            testsupport::writeFile(PJobStaging::jobLogName(UString(stamp)).str(), "x");
        }
        if (std::string(stamp) == "2.")
            testsupport::writeFile(PJobStaging::jobFileName(UString(stamp)).str(), "x");
        PJobHistory::finished(UString(stamp));
    }
    EXPECT_EQ("000 000 101 000 101", files("1.") + " " + files("2.") + " " + files("3.") + " " + files("4.") + " " +
                                         files("5."));
    testsupport::writeFile("tmpLog.other.txt", "not a job of this history");
    PJobHistory::setKeep(0);
    PJobHistory::finished(UString("6."));
    EXPECT_EQ("000 000 1", files("3.") + " " + files("5.") + " " + std::to_string(std::filesystem::exists("tmpLog.other.txt")));
    PJobHistory::reset();
}
