#include "common/UCmdLine.h"
#include "common/UOs.h"
#include "server/PPrintProgram.h"
#include "server/PViewSlots.h"
#include "tests/common/TestSupport.h"
#include "tests/server/StandIn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::writeFile;

} // namespace

// Which program runs (velquin.exe before draxome.exe), its arguments, awaiting it and a
// program that will not start at all are held by the exchange and start-up tests; here
// what only many runs, or a program that comes late, show.

// A server runs thousands of jobs: none may leave a handle behind, -view or not, and an
// awaited job after many unawaited ones is still awaited.
TEST(PPrintProgram, ManyJobsLeaveNoHandleBehind)
{
    testsupport::TempDir dir(true);
    standin::install(dir.path(), "draxome.exe");
    std::string buffer;
    std::vector<char*> argv = UCmdLine::splitInto("draxome.exe -ver", buffer);
    ASSERT_EQ(PPrintProgram::Ran, PPrintProgram::runJob("draxome.exe", argv.data(), false));
    const int before = standin::openHandles();
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(PPrintProgram::Ran, PPrintProgram::runJob("draxome.exe", argv.data(), i % 3 == 0)) << i;
    // A -view program's handle is held while it runs, and given up once it has ended.
    for (int i = 0; i < 200 && PViewSlots::running() > 0; ++i)
        UOs::sleepMs(25);
    EXPECT_EQ(before, standin::openHandles());
    UOs::sleepMs(500);
    fs::remove("standin-done.txt");
    writeFile("standin-sleep.txt", "");
    ASSERT_EQ(PPrintProgram::Ran, PPrintProgram::runJob("draxome.exe", argv.data(), false));
    EXPECT_TRUE(fs::exists("standin-done.txt"));
    EXPECT_NE(std::string::npos, testsupport::readFile("standin-args.txt").find("\narg=-ver\n"));
}

// A start that fails is tried again, a Warning with the system's reason before each try:
// the job runs once its program can start.
TEST(PPrintProgram, AFailedStartIsTriedAgain)
{
    testsupport::TempDir dir(true);
    testsupport::LogCapture log;
    writeFile("draxome.exe", "not a program\n");
    std::string buffer;
    std::vector<char*> argv = UCmdLine::splitInto("draxome.exe -ver", buffer);
    std::thread mend([&] {
        for (int i = 0; i < 500 && log.text().find("Warning: PPrintProgram::start(): could not start "
                                                   "'draxome.exe': error ") != 0; ++i)
            UOs::sleepMs(10);
        standin::install(".", "draxome.exe");
    });
    EXPECT_EQ(PPrintProgram::Ran, PPrintProgram::runJob("draxome.exe", argv.data(), false));
    mend.join();
    EXPECT_TRUE(fs::exists("standin-done.txt"));
}
