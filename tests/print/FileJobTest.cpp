// The jobs that hand the file on unchanged: copied, or run through another program whose
// output is collected. Natively the shell seam's POSIX side runs them, under Wine the
// Windows shell itself, with the same expectations.
#include "print/FileJob.h"
#include "tests/print/PrintTestSupport.h"

#include <chrono>
#include <filesystem>
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

    // The job with these of -copy, -run and -response (empty: not given); its result.
    bool job(const std::string& copy, const std::string& run, const std::string& response)
    {
        options.copy = !copy.empty();
        options.run = !run.empty();
        options.response = !response.empty();
        set(options.copytarget, copy);
        set(options.runcommand, run);
        set(options.responsepath, response);
        return FileJob(options).copyAndRun();
    }

    // The writeout program, copied to dir under the name stem; its absolute path.
    static std::string writeout(const std::string& dir, const std::string& stem = "writeout")
    {
        const fs::path built(DRAXOME_WRITEOUT);
        const fs::path target = fs::path(dir) / (stem + built.extension().string());
        fs::create_directories(dir);
        fs::copy_file(built, target, fs::copy_options::overwrite_existing);
        return fs::absolute(target).string();
    }

    PrintArgs options;
};

const std::string kRunFailed = "Error: Printfile::startPrinting() : The executed process '";

} // namespace

TEST_F(FileJobTest, MakeDirectoriesReportsTheLastLevel)
{
    EXPECT_TRUE(makeDirectories("a\\b\\c\\f.txt"));
    EXPECT_TRUE(fs::is_directory("a/b/c"));
    EXPECT_FALSE(makeDirectories("a\\b\\c\\g.txt")) << "the whole directory part existed";
    EXPECT_TRUE(makeDirectories("plain.txt"));
    const std::string path = "long\\" + std::string(4994, 'x');
    EXPECT_FALSE(makeDirectories((path + "x").c_str())) << "5000 characters";
    EXPECT_FALSE(fs::exists("long"));
    EXPECT_TRUE(makeDirectories(path.c_str()));
}

TEST_F(FileJobTest, CopyModes)
{
    fs::create_directories("out");
    EXPECT_TRUE(job("out\\x\\y.txt", "", ""));
    EXPECT_EQ(readFile("job.txt"), readFile("out/x/y.txt"));
    EXPECT_EQ(Lines {}, logged()) << "a directory that was created gives no Warning";
    EXPECT_TRUE(job("out\\x\\y.txt", "", "")) << "the target is replaced";
    EXPECT_FALSE(job("c.txt", "", "r.txt"));
    EXPECT_EQ(readFile("job.txt"), readFile("c.txt"));
    set(options.filename, "missing.txt");
    EXPECT_FALSE(job("d.txt", writeout("bin"), "r.txt"));
    EXPECT_FALSE(fs::exists("d.txt") || fs::exists("r.txt"));
    EXPECT_EQ((Lines { "Warning: Printfile::startPrinting() : could not create directory for 'out\\x\\y.txt'. It is "
                       "possible that the directory already exists.",
                  "Error: The argument '-response' was specified without '-run'.",
                  "Error: Printfile::startPrinting() : could not copy 'missing.txt' to 'd.txt'" }),
        logged());
}

TEST_F(FileJobTest, RunModesCollectTheProgramsOutput)
{
    const std::string program = writeout("bin");
    // writeout pauses before it writes, so its file is only there when the job waited.
    EXPECT_TRUE(job("", program, "r.txt"));
    EXPECT_EQ("writeout: job.txt\n" + readFile("job.txt"), readFile("r.txt"));
    EXPECT_TRUE(job("c.txt", program, "r2.txt"));
    EXPECT_EQ("writeout: c.txt\n" + readFile("job.txt"), readFile("r2.txt"));
    EXPECT_FALSE(fs::exists("job.txt.out.out"));
    // Blanks in the program's and the file's paths.
    fs::create_directories("my jobs");
    writeFile("my jobs/a b.txt", "blank paths\n");
    set(options.filename, "my jobs/a b.txt");
    EXPECT_TRUE(job("", writeout("my tools", "write out"), "my jobs/response file.txt"));
    EXPECT_EQ("writeout: my jobs/a b.txt\nblank paths\n", readFile("my jobs/response file.txt"));
    EXPECT_EQ(Lines {}, logged());
}

TEST_F(FileJobTest, RunFailures)
{
    const std::string program = writeout("bin");
    fs::remove("job.txt.out");
    EXPECT_FALSE(job("", program, "")) << "without -response the job does not wait";
    EXPECT_FALSE(fs::exists("job.txt.out"));
    EXPECT_FALSE(job("c.txt", "no-such-program-here", "r.txt"));
    writeFile("job.txt", "no output, please\n");
    std::this_thread::sleep_for(std::chrono::seconds(2));
    fs::remove("job.txt.out");
    EXPECT_FALSE(job("", program, "r.txt"));
    EXPECT_EQ((Lines { kRunFailed + program + "' did not created the output file 'job.txt.out'",
                  "Error: Printfile::startPrinting() : could not run 'no-such-program-here' with 'job.txt'",
                  kRunFailed + program + "' did not created the output file 'job.txt.out'" }),
        logged());
}

TEST_F(FileJobTest, DirectFailsWithoutAFileOrPrinter)
{
    options.filename[0] = '\0';
    EXPECT_FALSE(FileJob(options).printDirect());
    set(options.filename, "missing.txt");
    EXPECT_FALSE(FileJob(options).printDirect());
    set(options.filename, "job.txt");
    set(options.printername, "Nowhere");
    EXPECT_FALSE(FileJob(options).printDirect());
    EXPECT_EQ((Lines { "Error: draxomeDirect(): cannot open filename; filename is EMPTY",
                  "Error: draxomeDirect(): cannot open file", "Error: draxomeDirect() : cannot open printer",
                  "Error: draxomeDirect(): cannot print document" }),
        logged());
}
