#include "common/UCmdLine.h"
#include "common/UOs.h"
#include "server/PPrintProgram.h"
#include "tests/common/TestSupport.h"
#include "tests/server/StandIn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// A -view job, and a program file that is no program, are held by the exchange tests.
namespace {

namespace fs = std::filesystem;
using testsupport::writeFile;

// What the stand-in wrote about its start, without the line of its first argument.
std::string report()
{
    std::string r = testsupport::readFile("standin-args.txt");
    const size_t argv0 = r.find("argv0=");
    return argv0 == std::string::npos ? r : r.erase(argv0, r.find('\n', argv0) + 1 - argv0);
}

} // namespace

TEST(PPrintProgram, TheOutsideProgramIsPreferredAndStartedWithTheJobsArgumentsAndAwaited)
{
    testsupport::TempDir dir(true);
    fs::create_directory("sub");
    writeFile("sub/draxome.exe", "only the current directory counts");
    EXPECT_EQ(nullptr, PPrintProgram::findPrintProgram());
    std::string buffer;
    std::vector<char*> argv = UCmdLine::splitInto("draxome.exe -cmdfile c.ini -logfile l.txt", buffer);
    for (const char* name : {"draxome.exe", "velquin.exe"}) {
        standin::install(dir.path(), name);
        writeFile("standin-sleep.txt", "");
        ASSERT_STREQ(name, PPrintProgram::findPrintProgram());
        ASSERT_TRUE(PPrintProgram::runJob(name, argv.data(), false));
        EXPECT_TRUE(fs::exists("standin-done.txt")) << "awaited: the stand-in slept a second first";
        EXPECT_EQ(std::string("program=") + name + "\narg=-cmdfile\narg=c.ini\narg=-logfile\narg=l.txt\n", report());
        ASSERT_TRUE(PPrintProgram::runInventory(name));
        EXPECT_EQ(std::string("program=") + name + "\narg=-printlist\narg=-fontlist\narg=-ver\n", report());
        fs::remove("standin-sleep.txt");
        fs::remove("standin-done.txt");
    }
    fs::remove("draxome.exe");
    fs::remove("velquin.exe");
    EXPECT_FALSE(PPrintProgram::runJob("draxome.exe", argv.data(), false));
    EXPECT_FALSE(PPrintProgram::runInventory("draxome.exe"));
}

// A server runs thousands of jobs: none may leave a handle behind, -view or not, and an
// awaited job after many unawaited ones is still awaited.
TEST(PPrintProgram, ManyJobsLeaveNoHandleBehind)
{
    testsupport::TempDir dir(true);
    standin::install(dir.path(), "draxome.exe");
    std::string buffer;
    std::vector<char*> argv = UCmdLine::splitInto("draxome.exe -ver", buffer);
    ASSERT_TRUE(PPrintProgram::runJob("draxome.exe", argv.data(), false));
    const int before = standin::openHandles();
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(PPrintProgram::runJob("draxome.exe", argv.data(), i % 3 == 0)) << i;
    EXPECT_EQ(before, standin::openHandles());
    UOs::sleepMs(500);
    fs::remove("standin-done.txt");
    writeFile("standin-sleep.txt", "");
    ASSERT_TRUE(PPrintProgram::runJob("draxome.exe", argv.data(), false));
    EXPECT_TRUE(fs::exists("standin-done.txt"));
}
