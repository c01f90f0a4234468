// The parts of the file jobs that only the real system shows: a directory given as the
// file, and the "default" program, which opens the file with whatever program Windows
// associates with its type (here the command interpreter, for a batch file).
#include "print/FileJob.h"
#include "print/PrintArgs.h"
#include "tests/print/PrintTestSupport.h"

#include <cstdio>

namespace {

namespace fs = std::filesystem;

class FileJobWin : public PrintWorkDir {
protected:
    void SetUp() override
    {
        PrintWorkDir::SetUp();
        options.setDefaults();
        set(options.printername, "Virtual A4");
    }
    PrintArgs options;
};

TEST_F(FileJobWin, DirectOfADirectoryCannotOpenIt)
{
    fs::create_directories("folder");
    set(options.filename, "folder");
    EXPECT_FALSE(FileJob(options).printDirect());
    EXPECT_EQ((Lines { "Error: draxomeDirect(): cannot open file" }), logged());
}

TEST_F(FileJobWin, RunDefaultOpensTheFileWithItsAssociatedProgram)
{
    writeFile("job.bat", "@echo opened %~nx0> \"%~f0.out\"\r\n");
    set(options.filename, "job.bat");
    options.run = true;
    set(options.runcommand, "default");
    options.response = true;
    set(options.responsepath, "r.txt");
    EXPECT_TRUE(FileJob(options).copyAndRun());
    EXPECT_EQ("opened job.bat\r\n", readFile("r.txt"));
    EXPECT_EQ(Lines {}, logged());
}

} // namespace
