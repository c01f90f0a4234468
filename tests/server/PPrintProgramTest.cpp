#include "common/UCmdLine.h"
#include "common/UOs.h"
#include "server/KeltoCmdLine.h"
#include "server/PJobStaging.h"
#include "server/PPrintProgram.h"
#include "tests/common/TestSupport.h"
#include "tests/server/StandIn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

// What the stand-in wrote about its start.
struct Report {
    std::string program;
    bool hasArgv0 = false;
    std::string argv0;
    std::vector<std::string> args;
};

Report readReport()
{
    Report r;
    std::istringstream in(testsupport::readFile("standin-args.txt"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("program=", 0) == 0) {
            r.program = line.substr(8);
        } else if (line.rfind("argv0=", 0) == 0) {
            r.hasArgv0 = true;
            r.argv0 = line.substr(6);
        } else if (line.rfind("arg=", 0) == 0) {
            r.args.push_back(line.substr(4));
        }
    }
    return r;
}

bool waitForFile(const char* name, int ms)
{
    for (int waited = 0; waited < ms; waited += 20) {
        if (fs::exists(name))
            return true;
        UOs::sleepMs(20);
    }
    return fs::exists(name);
}

// The launch line of a job staged at 3 s with a document, split as the exchange splits it.
struct JobArgs {
    JobArgs()
    {
        KeltoCmdLine o;
        EXPECT_TRUE(PJobStaging::prepareJobOptions("-open report.pdf -printlist", o, UString("3.")));
        EXPECT_TRUE(UCmdLine::getArgcArgv(PJobStaging::launchLine(PJobStaging::commandFileName(UString("3.")), o),
                                          argc, argv));
    }
    ~JobArgs() { UCmdLine::releaseArgcArgv(argc, argv); }
    int argc = 0;
    char** argv = nullptr;
};

const std::vector<std::string> kJobArgs = {"-cmdfile", "tmpCmdfile.3..ini", "-logfile", "tmpLog.3..txt",
                                           "-open", "tmpFilename.3..txt"};

} // namespace

TEST(PPrintProgramTest, FindPrefersTheOutsideProgram)
{
    TempDir dir(true);
    EXPECT_EQ(nullptr, PPrintProgram::findPrintProgram());
    testsupport::writeFile("draxome.exe", "x");
    EXPECT_STREQ("draxome.exe", PPrintProgram::findPrintProgram());
    testsupport::writeFile("velquin.exe", "x");
    EXPECT_STREQ("velquin.exe", PPrintProgram::findPrintProgram());
    fs::remove("draxome.exe");
    EXPECT_STREQ("velquin.exe", PPrintProgram::findPrintProgram());
    fs::remove("velquin.exe");
    EXPECT_EQ(nullptr, PPrintProgram::findPrintProgram());
    // Only the current directory counts.
    fs::create_directory("sub");
    testsupport::writeFile("sub/draxome.exe", "x");
    EXPECT_EQ(nullptr, PPrintProgram::findPrintProgram());
}

TEST(PPrintProgramTest, JobRunsWithTheLaunchArgumentsAndIsAwaited)
{
    TempDir dir(true);
    standin::install(dir.path(), "draxome.exe");
    testsupport::writeFile("standin-sleep.txt", "");
    JobArgs job;
    const char* program = PPrintProgram::findPrintProgram();
    ASSERT_STREQ("draxome.exe", program);
    ASSERT_TRUE(PPrintProgram::runJob(program, job.argv, false));
    // Awaited: the stand-in slept a second before writing, and has finished now.
    EXPECT_TRUE(fs::exists("standin-done.txt"));
    const Report r = readReport();
    EXPECT_EQ("draxome.exe", r.program);
    EXPECT_EQ(kJobArgs, r.args);
    EXPECT_EQ(standin::reportsArgv0(), r.hasArgv0);
    if (r.hasArgv0) {
        EXPECT_EQ("draxome.exe", r.argv0);
    }
}

TEST(PPrintProgramTest, ViewJobIsNotAwaited)
{
    TempDir dir(true);
    standin::install(dir.path(), "draxome.exe");
    testsupport::writeFile("standin-sleep.txt", "");
    JobArgs job;
    ASSERT_TRUE(PPrintProgram::runJob("draxome.exe", job.argv, true));
    EXPECT_FALSE(fs::exists("standin-done.txt"));
    // It still runs to its end on its own.
    ASSERT_TRUE(waitForFile("standin-done.txt", 20000));
    EXPECT_EQ(kJobArgs, readReport().args);
}

TEST(PPrintProgramTest, OutsideProgramRunsInPlaceOfThePrintProgram)
{
    TempDir dir(true);
    standin::install(dir.path(), "draxome.exe");
    standin::install(dir.path(), "velquin.exe");
    JobArgs job;
    const char* program = PPrintProgram::findPrintProgram();
    ASSERT_STREQ("velquin.exe", program);
    ASSERT_TRUE(PPrintProgram::runJob(program, job.argv, false));
    const Report r = readReport();
    EXPECT_EQ("velquin.exe", r.program);
    EXPECT_EQ(kJobArgs, r.args);
    // A job's vector names the print program first, whichever program is started.
    if (r.hasArgv0) {
        EXPECT_EQ("draxome.exe", r.argv0);
    }
}

TEST(PPrintProgramTest, InventoryRun)
{
    for (const char* name : {"draxome.exe", "velquin.exe"}) {
        TempDir dir(true);
        standin::install(dir.path(), name);
        testsupport::writeFile("standin-sleep.txt", "");
        ASSERT_TRUE(PPrintProgram::runInventory(name)) << name;
        EXPECT_TRUE(fs::exists("standin-done.txt")) << name;
        const Report r = readReport();
        EXPECT_EQ(name, r.program);
        EXPECT_EQ((std::vector<std::string>{"-printlist", "-fontlist", "-ver"}), r.args);
        EXPECT_EQ(standin::reportsArgv0(), r.hasArgv0);
        if (r.hasArgv0) {
            EXPECT_EQ(name, r.argv0);
        }
    }
}

TEST(PPrintProgramTest, ProgramThatCannotStartIsReported)
{
    TempDir dir(true);
    JobArgs job;
    EXPECT_FALSE(PPrintProgram::runJob("draxome.exe", job.argv, false));
    EXPECT_FALSE(PPrintProgram::runInventory("draxome.exe"));
    // A file of that name that is no program.
    testsupport::writeFile("draxome.exe", "this is not a program\n");
    EXPECT_FALSE(PPrintProgram::runJob("draxome.exe", job.argv, false));
    EXPECT_FALSE(PPrintProgram::runJob("draxome.exe", job.argv, true));
    EXPECT_FALSE(PPrintProgram::runInventory("draxome.exe"));
    EXPECT_FALSE(fs::exists("standin-args.txt"));
}

// A server runs thousands of jobs: none may leave a handle behind, -view or not, and an
// awaited job after many unawaited ones is still awaited.
TEST(PPrintProgramTest, ManyJobsLeaveNoHandleBehind)
{
    TempDir dir(true);
    standin::install(dir.path(), "draxome.exe");
    JobArgs job;
    ASSERT_TRUE(PPrintProgram::runJob("draxome.exe", job.argv, false));
    const int before = standin::openHandles();
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(PPrintProgram::runJob("draxome.exe", job.argv, i % 3 == 0)) << i;
    EXPECT_EQ(before, standin::openHandles());
    UOs::sleepMs(500);
    fs::remove("standin-done.txt");
    testsupport::writeFile("standin-sleep.txt", "");
    ASSERT_TRUE(PPrintProgram::runJob("draxome.exe", job.argv, false));
    EXPECT_TRUE(fs::exists("standin-done.txt"));
}
