// The jobs that hand the file on unchanged: copied, or run through another program whose
// output is collected. Natively the shell seam's POSIX side runs them, under Wine the
// Windows shell itself, with the same expectations.
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

TEST_F(FileJobTest, CopyAndRunModes)
{
    // writeout, under a path with blanks; it pauses before it writes FILE.out, so that
    // file is only there when the job waited.
    const fs::path built(DRAXOME_WRITEOUT);
    const fs::path program = fs::absolute("my tools") / ("write out" + built.extension().string());
    fs::create_directories("my tools");
    fs::copy_file(built, program);
    const std::string w = program.string();
    const std::string body = "first line\r\n";
    const std::string warn = "Warning: Printfile::startPrinting() : could not create directory for 'out\\y.txt'. It "
                             "is possible that the directory already exists.";
    const std::string noOutput = "Error: Printfile::startPrinting() : The executed process '" + w
        + "' did not created the output file 'my job.txt.out'";
    // file, -copy, -run, -response; the result, the response file's text ("-": none) and
    // the log.
    const std::vector<std::tuple<std::string, std::string, std::string, std::string, bool, std::string, Lines>> cases = {
        { "my job.txt", "out\\y.txt", "", "", true, "-", {} }, { "my job.txt", "out\\y.txt", "", "", true, "-", { warn } },
        { "my job.txt", "c.txt", "", "r.txt", false, "-",
            { "Error: The argument '-response' was specified without '-run'." } },
        { "missing.txt", "c.txt", w, "r.txt", false, "-",
            { "Error: Printfile::startPrinting() : could not copy 'missing.txt' to 'c.txt'" } },
        { "my job.txt", "", w, "r.txt", true, "writeout: my job.txt\n" + body, {} },
        { "my job.txt", "c.txt", w, "r.txt", true, "writeout: c.txt\n" + body, {} },
        { "my job.txt", "c.txt", "no-such-program", "r.txt", false, "-",
            { "Error: Printfile::startPrinting() : could not run 'no-such-program' with 'my job.txt'" } },
        { "my job.txt", "", w, "", false, "-", { noOutput } } };
    PrintArgs options;
    for (const auto& c : cases) {
        writeFile("my job.txt", body);
        for (const char* old : { "r.txt", "log.txt", "my job.txt.out" })
            fs::remove(old);
        set(options.filename, std::get<0>(c));
        options.copy = !std::get<1>(c).empty();
        options.run = !std::get<2>(c).empty();
        options.response = !std::get<3>(c).empty();
        set(options.copytarget, std::get<1>(c));
        set(options.runcommand, std::get<2>(c));
        set(options.responsepath, std::get<3>(c));
        EXPECT_EQ(std::get<4>(c), FileJob(options).copyAndRun()) << std::get<1>(c) << std::get<2>(c);
        EXPECT_EQ(std::get<5>(c), fs::exists("r.txt") ? readFile("r.txt") : "-") << std::get<1>(c) << std::get<2>(c);
        EXPECT_EQ(std::get<6>(c), logged()) << std::get<1>(c) << std::get<2>(c);
        if (options.copy && std::get<0>(c) != "missing.txt") {
            EXPECT_EQ(body, readFile(std::get<1>(c) == "c.txt" ? "c.txt" : "out/y.txt"));
        }
        EXPECT_FALSE(options.run && !options.response && fs::exists("my job.txt.out")) << "the job did not wait";
    }
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
                  "Error: draxomeDirect(): cannot open file", "Error: draxomeDirect() : cannot open printer",
                  "Error: draxomeDirect(): cannot print document" }),
        logged());
}
