// The jobs that hand the file on unchanged. Their copy and run modes are held by the
// system tests, which run the real program against writeout under Wine.
#include "print/FileJob.h"
#include "tests/print/PrintTestSupport.h"

#include <filesystem>

namespace fs = std::filesystem;

class FileJobTest : public PrintWorkDir {};

TEST_F(FileJobTest, MakeDirectoriesReportsTheLastLevel)
{
    EXPECT_TRUE(makeDirectories("a\\b\\c\\f.txt") && fs::is_directory("a/b/c"));
    EXPECT_FALSE(makeDirectories("a\\b\\c\\g.txt")) << "the whole directory part existed";
    EXPECT_TRUE(makeDirectories("plain.txt"));
    const std::string path = "long\\" + std::string(4994, 'x');
    EXPECT_FALSE(makeDirectories((path + "x").c_str()) || fs::exists("long")) << "5000 characters";
    EXPECT_TRUE(makeDirectories(path.c_str()));
}

TEST_F(FileJobTest, DirectFailsWithoutAFileOrPrinter)
{
    PrintArgs options;
    EXPECT_FALSE(FileJob(options).printDirect());
    set(options.filename, "missing.txt");
    EXPECT_FALSE(FileJob(options).printDirect());
    writeFile("job.txt", "x");
    set(options.filename, "job.txt");
    set(options.printername, "Nowhere");
    EXPECT_FALSE(FileJob(options).printDirect());
    EXPECT_EQ((Lines { "Error: draxomeDirect(): cannot open filename; filename is EMPTY",
                  "Error: draxomeDirect(): cannot open file",
                  "Error: Printfile::startPrinting(): cannot open 'missing.txt': error",
                  "Error: draxomeDirect() : cannot open printer",
                  "Error: draxomeDirect(): cannot open the printer 'Nowhere': error",
                  "Error: draxomeDirect(): cannot print document" }),
        withoutSystemText(logged()));
}
