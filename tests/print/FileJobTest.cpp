// The jobs that hand the file on unchanged: copied, run through another program, or (its
// failures here; its bytes on the in-memory and the virtual printers elsewhere) raw to
// the spooler. Natively the shell seam's POSIX side runs them, under Wine the Windows
// shell itself, with the same expectations.
#include "print/FileJob.h"
#include "print/PrintArgs.h"
#include "tests/print/PrintTestSupport.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

namespace fs = std::filesystem;

class FileJobTest : public PrintWorkDir {
protected:
    void SetUp() override
    {
        PrintWorkDir::SetUp();
        options.setDefaults();
        writeFile("job.txt", "first line\r\nsecond line\r\n");
        set(options.filename, "job.txt");
    }

    static void set(char* field, const std::string& value)
    {
        std::snprintf(field, PrintArgs::kTextSize, "%s", value.c_str());
    }

    void copyTo(const std::string& target)
    {
        options.copy = true;
        set(options.copytarget, target);
    }

    void runWith(const std::string& program)
    {
        options.run = true;
        set(options.runcommand, program);
    }

    void respondTo(const std::string& path)
    {
        options.response = true;
        set(options.responsepath, path);
    }

    // The writeout program, copied to a path of this test's choice; its absolute path.
    static std::string writeout(const std::string& where)
    {
        const fs::path built(DRAXOME_WRITEOUT);
        fs::path target = fs::path(where) / built.filename();
        fs::create_directories(where);
        fs::copy_file(built, target, fs::copy_options::overwrite_existing);
        return fs::absolute(target).string();
    }

    static std::string writeoutNamed(const std::string& where, const std::string& stem)
    {
        const fs::path built(DRAXOME_WRITEOUT);
        fs::path target = fs::path(where) / (stem + built.extension().string());
        fs::create_directories(where);
        fs::copy_file(built, target, fs::copy_options::overwrite_existing);
        return fs::absolute(target).string();
    }

    static bool appears(const std::string& name, int seconds)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < until) {
            if (fs::exists(name))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    PrintArgs options;
};

TEST_F(FileJobTest, MakeDirectoriesCreatesEveryLevelAndReportsTheLast)
{
    EXPECT_TRUE(makeDirectories("a\\b\\c\\f.txt"));
    EXPECT_TRUE(fs::is_directory("a/b/c"));
    // The whole directory part exists now: its creation fails, and that is the answer.
    EXPECT_FALSE(makeDirectories("a\\b\\c\\g.txt"));
    // Existing levels on the way do not count, only the last.
    EXPECT_TRUE(makeDirectories("a\\b\\d\\g.txt"));
    EXPECT_TRUE(fs::is_directory("a/b/d"));
    // No backslash, no directory part: nothing to make.
    EXPECT_TRUE(makeDirectories("plain.txt"));
    EXPECT_EQ(Lines {}, logged());
}

TEST_F(FileJobTest, MakeDirectoriesRefusesPathsOf5000Characters)
{
    const std::string dir = "long";
    std::string path = dir + "\\" + std::string(5000 - dir.size() - 1, 'x');
    ASSERT_EQ(5000u, path.size());
    EXPECT_FALSE(makeDirectories(path.c_str()));
    EXPECT_FALSE(fs::exists(dir)) << "nothing is created for a refused path";
    path.pop_back();
    EXPECT_TRUE(makeDirectories(path.c_str()));
    EXPECT_TRUE(fs::is_directory(dir));
}

TEST_F(FileJobTest, CopyIntoNewNestedDirectory)
{
    fs::create_directories("out");
    copyTo("out\\x\\y.txt");
    EXPECT_TRUE(FileJob(options).copyAndRun());
    EXPECT_EQ(readFile("job.txt"), readFile("out/x/y.txt"));
    EXPECT_EQ(Lines {}, logged()) << "a directory that was created gives no Warning";
}

TEST_F(FileJobTest, CopyIntoExistingDirectoryWarnsAndSucceeds)
{
    fs::create_directories("out");
    writeFile("out/y.txt", "an older copy that is longer than the job itself\n");
    copyTo("out\\y.txt");
    EXPECT_TRUE(FileJob(options).copyAndRun());
    EXPECT_EQ(readFile("job.txt"), readFile("out/y.txt")) << "the target is replaced";
    EXPECT_EQ((Lines { "Warning: Printfile::startPrinting() : could not create directory for 'out\\y.txt'. "
                       "It is possible that the directory already exists." }),
              logged());
}

TEST_F(FileJobTest, CopyOfMissingFileFails)
{
    set(options.filename, "missing.txt");
    copyTo("c.txt");
    runWith(writeout("bin"));
    EXPECT_FALSE(FileJob(options).copyAndRun());
    EXPECT_FALSE(fs::exists("c.txt"));
    EXPECT_EQ((Lines { "Error: Printfile::startPrinting() : could not copy 'missing.txt' to 'c.txt'" }), logged())
        << "a failed copy ends the job before any run";
}

TEST_F(FileJobTest, CopyWithResponseButWithoutRunFailsAfterCopying)
{
    copyTo("c.txt");
    respondTo("r.txt");
    EXPECT_FALSE(FileJob(options).copyAndRun());
    EXPECT_EQ(readFile("job.txt"), readFile("c.txt"));
    EXPECT_EQ((Lines { "Error: The argument '-response' was specified without '-run'." }), logged());
}

TEST_F(FileJobTest, RunWithResponseWaitsAndCollectsTheOutput)
{
    runWith(writeout("bin"));
    respondTo("r.txt");
    EXPECT_TRUE(FileJob(options).copyAndRun());
    // writeout pauses before it writes, so the file is only there when the job waited.
    EXPECT_EQ("writeout: job.txt\n" + readFile("job.txt"), readFile("r.txt"));
    EXPECT_EQ(readFile("job.txt.out"), readFile("r.txt"));
    EXPECT_EQ(Lines {}, logged());
}

TEST_F(FileJobTest, RunWithoutResponseDoesNotWaitAndFails)
{
    const std::string program = writeout("bin");
    runWith(program);
    EXPECT_FALSE(FileJob(options).copyAndRun());
    EXPECT_FALSE(fs::exists("job.txt.out")) << "the job did not wait for the program";
    EXPECT_EQ((Lines { "Error: Printfile::startPrinting() : The executed process '" + program
                       + "' did not created the output file 'job.txt.out'" }),
              logged());
    EXPECT_TRUE(appears("job.txt.out", 20)) << "the program was started all the same";
}

TEST_F(FileJobTest, CopyThenRunWorksOnTheCopy)
{
    copyTo("c.txt");
    runWith(writeout("bin"));
    respondTo("r.txt");
    EXPECT_TRUE(FileJob(options).copyAndRun());
    EXPECT_EQ("writeout: c.txt\n" + readFile("job.txt"), readFile("r.txt"));
    EXPECT_TRUE(fs::exists("c.txt.out"));
    EXPECT_FALSE(fs::exists("job.txt.out"));
}

TEST_F(FileJobTest, ProgramThatCannotStartIsNamedWithTheJobsFile)
{
    copyTo("c.txt");
    runWith("no-such-program-here");
    respondTo("r.txt");
    EXPECT_FALSE(FileJob(options).copyAndRun());
    // The copy ran, but the message names the job's own file.
    EXPECT_EQ((Lines { "Error: Printfile::startPrinting() : could not run 'no-such-program-here' with 'job.txt'" }),
              logged());
    EXPECT_FALSE(fs::exists("r.txt"));
}

TEST_F(FileJobTest, ProgramThatWritesNoOutputFailsAfterItEnds)
{
    writeFile("job.txt", "no output, please\n");
    const std::string program = writeout("bin");
    runWith(program);
    respondTo("r.txt");
    writeFile("r.txt", "left from an earlier job");
    EXPECT_FALSE(FileJob(options).copyAndRun());
    EXPECT_EQ((Lines { "Error: Printfile::startPrinting() : The executed process '" + program
                       + "' did not created the output file 'job.txt.out'" }),
              logged());
}

TEST_F(FileJobTest, ProgramAndFileWithBlanksInTheirPaths)
{
    fs::create_directories("my jobs");
    writeFile("my jobs/a b.txt", "blank paths\n");
    set(options.filename, "my jobs/a b.txt");
    runWith(writeoutNamed("my tools", "write out"));
    respondTo("my jobs/response file.txt");
    EXPECT_TRUE(FileJob(options).copyAndRun());
    // The file reaches the program as its parameter text, without quotes of our own.
    EXPECT_EQ("writeout: my jobs/a b.txt\nblank paths\n", readFile("my jobs/response file.txt"));
}

TEST_F(FileJobTest, DirectWithoutFileName)
{
    options.filename[0] = '\0';
    EXPECT_FALSE(FileJob(options).printDirect());
    EXPECT_EQ((Lines { "Error: draxomeDirect(): cannot open filename; filename is EMPTY" }), logged());
}

TEST_F(FileJobTest, DirectOfMissingFile)
{
    set(options.filename, "missing.txt");
    set(options.printername, "No Such Printer");
    EXPECT_FALSE(FileJob(options).printDirect());
    EXPECT_EQ((Lines { "Error: draxomeDirect(): cannot open file" }), logged());
}

TEST_F(FileJobTest, DirectOnUnknownPrinter)
{
    set(options.printername, "No Such Printer");
    EXPECT_FALSE(FileJob(options).printDirect());
    EXPECT_EQ((Lines { "Error: draxomeDirect() : cannot open printer", "Error: draxomeDirect(): cannot print document" }),
              logged());
}

} // namespace
