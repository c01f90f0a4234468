#include "common/UCmdLine.h"
#include "common/UOs.h"
#include "server/PPrintProgram.h"
#include "tests/common/TestSupport.h"
#include "tests/server/StandIn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::writeFile;

const char* const kLaunch = "draxome.exe -cmdfile tmpCmdfile.3..ini -logfile tmpLog.3..txt -open tmpFilename.3..txt";

// The launch line as the exchange splits it.
struct JobArgs {
    std::string buffer;
    std::vector<char*> argv = UCmdLine::splitInto(kLaunch, buffer);
};

// What the stand-in wrote about its start: "program=", maybe "argv0=", then "arg=" lines.
std::string report()
{
    std::string r = testsupport::readFile("standin-args.txt");
    const size_t argv0 = r.find("argv0=");
    return argv0 == std::string::npos ? r : r.erase(argv0, r.find('\n', argv0) + 1 - argv0);
}

bool waitFor(const char* name)
{
    for (int waited = 0; waited < 20000 && !fs::exists(name); waited += 20)
        UOs::sleepMs(20);
    return fs::exists(name);
}

} // namespace

TEST(PPrintProgram, TheOutsideProgramIsPreferredAndStartedWithTheJobsArguments)
{
    TempDir dir(true);
    EXPECT_EQ(nullptr, PPrintProgram::findPrintProgram());
    fs::create_directory("sub");
    writeFile("sub/draxome.exe", "only the current directory counts");
    EXPECT_EQ(nullptr, PPrintProgram::findPrintProgram());
    const std::string args = "arg=-cmdfile\narg=tmpCmdfile.3..ini\narg=-logfile\narg=tmpLog.3..txt\narg=-open\n"
                             "arg=tmpFilename.3..txt\n";
    JobArgs job;
    for (const char* name : {"draxome.exe", "velquin.exe"}) {
        standin::install(dir.path(), name);
        writeFile("standin-sleep.txt", "");
        const char* program = PPrintProgram::findPrintProgram();
        ASSERT_STREQ(name, program);
        ASSERT_TRUE(PPrintProgram::runJob(program, job.argv.data(), false));
        EXPECT_TRUE(fs::exists("standin-done.txt")) << "awaited: the stand-in slept a second first";
        EXPECT_EQ(std::string("program=") + name + "\n" + args, report());
        if (standin::reportsArgv0()) {
            EXPECT_NE(std::string::npos, testsupport::readFile("standin-args.txt").find("argv0=draxome.exe\n"));
        }
        fs::remove("standin-sleep.txt");
        fs::remove("standin-done.txt");
        ASSERT_TRUE(PPrintProgram::runInventory(program));
        EXPECT_EQ(std::string("program=") + name + "\narg=-printlist\narg=-fontlist\narg=-ver\n", report());
    }
}

TEST(PPrintProgram, AViewJobIsNotAwaited)
{
    TempDir dir(true);
    standin::install(dir.path(), "draxome.exe");
    writeFile("standin-sleep.txt", "");
    JobArgs job;
    ASSERT_TRUE(PPrintProgram::runJob("draxome.exe", job.argv.data(), true));
    EXPECT_FALSE(fs::exists("standin-done.txt"));
    EXPECT_TRUE(waitFor("standin-done.txt"));
}

TEST(PPrintProgram, AProgramThatCannotStartIsReported)
{
    TempDir dir(true);
    JobArgs job;
    EXPECT_FALSE(PPrintProgram::runJob("draxome.exe", job.argv.data(), false));
    writeFile("draxome.exe", "this is not a program\n");
    for (bool view : {false, true})
        EXPECT_FALSE(PPrintProgram::runJob("draxome.exe", job.argv.data(), view));
    EXPECT_FALSE(PPrintProgram::runInventory("draxome.exe"));
}

// A server runs thousands of jobs: none may leave a handle behind, -view or not, and an
// awaited job after many unawaited ones is still awaited.
TEST(PPrintProgram, ManyJobsLeaveNoHandleBehind)
{
    TempDir dir(true);
    standin::install(dir.path(), "draxome.exe");
    JobArgs job;
    ASSERT_TRUE(PPrintProgram::runJob("draxome.exe", job.argv.data(), false));
    const int before = standin::openHandles();
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(PPrintProgram::runJob("draxome.exe", job.argv.data(), i % 3 == 0)) << i;
    EXPECT_EQ(before, standin::openHandles());
    UOs::sleepMs(500);
    fs::remove("standin-done.txt");
    writeFile("standin-sleep.txt", "");
    ASSERT_TRUE(PPrintProgram::runJob("draxome.exe", job.argv.data(), false));
    EXPECT_TRUE(fs::exists("standin-done.txt"));
}
