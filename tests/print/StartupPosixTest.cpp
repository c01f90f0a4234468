// One run of the print program on the in-memory machine of the native build, from the
// command line to the closing line. Most tests use a recording job step, so they see
// exactly what start-up hands the job; WholeRun runs the program's own job step.
#include "print/Startup.h"
#include "printer/fake/FakeSpooler.h"
#include "tests/print/PrintTestSupport.h"

#include <filesystem>
#include <regex>

namespace {

namespace fs = std::filesystem;

struct JobSeen {
    std::string printername, logpath;
    bool log = false;
    int hbanner = 0, xres = -1, yres = -1;
};
JobSeen gSeen;

bool recordingJob()
{
    gSeen = { args.printername, args.logpath, args.log, args.hbanner, args.resolution.xres, args.resolution.yres };
    ULog::write("the job ran", ULog::Info);
    return !args.direct; // -direct stands for a job that fails here
}

const std::string kHyphens = "Info: -----------------------------------------";

class Startup_ : public PrintWorkDir {
protected:
    void SetUp() override
    {
        PrintWorkDir::SetUp();
        gSeen = JobSeen();
        FakeSpooler::clear();
        // Not in ascending order, so the log's order can be told from the sorted one.
        FakeSpooler::add("Virtual A4", "LPT1:", "Virtual A4 Driver").resolutions = { 600, 600, 300, 300, 1200, 600 };
        FakeSpooler::add("Virtual Letter", "LPT2:", "Virtual Letter Driver");
        FakeSpooler::setDefaultDevice("Virtual A4,winspool,LPT1:");
        FakeSpooler::setVersion(true, 6, 1);
        FakeSpooler::addFont("Courier New", 0x31, 0x4);
        FakeSpooler::addFont("Arial", 0x22, 0x4);
    }
    void TearDown() override
    {
        EXPECT_EQ(0, FakeSpooler::openPrinters()) << "a printer was left open";
        FakeSpooler::clear();
        PrintWorkDir::TearDown();
    }

    static int run(const std::string& line, Startup::Job job = recordingJob)
    {
        args.setDefaults();
        return Startup::run(line.c_str(), job);
    }

    // Whether the log holds these lines in this order, others between them allowed.
    static ::testing::AssertionResult holds(const std::string& log, const Lines& wanted)
    {
        size_t at = 0;
        for (const std::string& line : logged(log))
            if (at < wanted.size() && line == wanted[at])
                ++at;
        if (at == wanted.size())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "missing '" << wanted[at] << "' in " << readFile(log);
    }
};

} // namespace

TEST_F(Startup_, RunOfAJobFromCommandLineToClosingLine)
{
    const std::string line = "-open job.txt  -htext 4.27 -view -graph -orientation landscape";
    EXPECT_EQ(1, run(line + " -direct"));
    EXPECT_EQ(0, run(line));
    const Lines log = logged("prnlog.txt");
    ASSERT_EQ(26u, log.size()) << readFile("prnlog.txt");
    EXPECT_EQ("Info: Command line: " + line, log[13]);
    EXPECT_EQ("Error: Unknown option ", log[14]);
    EXPECT_TRUE(std::regex_match(log[15], std::regex("Info: LOG ON: [0-9]+-[0-9]+-[0-9]{4} \\(d-m-y\\), [0-9:]+")));
    EXPECT_EQ((Lines { "Info: Windows Version: Windows XP", "Info: Version=v5.3.9",
                  "Info: Config:\tfilename=job.txt\thtext=42\tfontface=Courier New\torientation=LANDSCAPE"
                  "\tpapersize=DEFAULT\tleft=0\tright=0\ttop=0\tbottom=0\tlogfile=prnlog.txt\tlog=enabled"
                  "\tlogsize=10000\tgraph=enabled\tprintername=Virtual A4",
                  "Info: \tPossible resolutions:", "Info: \t\t600x600", "Info: \t\t300x300", "Info: \t\t1200x600",
                  "Info: \tchosen resolution=1200x600", "Info: the job ran", kHyphens }),
        Lines(log.begin() + 16, log.end()));
    // Options that do not parse end the run at once: no log file of their own, no
    // inventory, no description, no closing line.
    EXPECT_EQ(-1, run("-logfile job.log -htext 0 -printlist"));
    EXPECT_EQ("Error: command line: htext", logged("prnlog.txt").back());
    EXPECT_FALSE(fs::exists("job.log") || fs::exists("prntlist.txt"));
}

TEST_F(Startup_, TheLogIsEmptiedOnceItExceedsItsLimit)
{
    // The options, the log file, its size before; whether that was kept. The default log
    // already holds the command line when its size is looked at; without the log there
    // is no limit.
    const std::vector<std::tuple<std::string, std::string, size_t, bool>> cases = {
        { "-logfile job.log", "job.log", 10001, false }, { "-logfile job.log", "job.log", 10000, true },
        { "-logfile job.log -logsize 599", "job.log", 600, false }, { "", "prnlog.txt", 10000, false },
        { "-disablelog -logfile job.log", "prnlog.txt", 20000, true } };
    for (const auto& c : cases) {
        writeFile(std::get<1>(c), std::string(std::get<2>(c), '~'));
        EXPECT_EQ(0, run("-open job.txt " + std::get<0>(c)));
        EXPECT_EQ(std::get<3>(c), readFile(std::get<1>(c)).find('~') == 0) << std::get<0>(c);
        EXPECT_EQ(std::get<1>(c), gSeen.logpath);
    }
    // A log that cannot be created is turned off.
    EXPECT_EQ(0, run("-open job.txt -logfile no-such-dir/job.log"));
    EXPECT_FALSE(gSeen.log);
}

TEST_F(Startup_, InventoriesBannerPrinterAndResolution)
{
    EXPECT_EQ(0, run("-printlist -fontlist -reslist -open job.txt -htext 1.5 -banner Top"));
    EXPECT_EQ("Virtual A4\nVirtual Letter\n", readFile("prntlist.txt"));
    EXPECT_EQ("Courier New\n", readFile("fontlist.txt"));
    EXPECT_EQ("600x600\n300x300\n1200x600\n", readFile("reslist.txt"));
    EXPECT_EQ(15, gSeen.hbanner) << "a banner is never taller than the text";
    // The printer and resolution a job gets.
    const std::vector<std::pair<std::string, std::string>> cases = { { "-minres 400", "Virtual A4 600x600" },
        { "-defaultres -resolution 600 600", "Virtual A4 0x0" }, { "-resolution 333 777", "Virtual A4 333x777" },
        { "-printername \"Virtual Letter\" -minres 301", "Virtual Letter 600x600" } };
    for (const auto& c : cases) {
        EXPECT_EQ(0, run("-open job.txt " + c.first));
        EXPECT_EQ(c.second, gSeen.printername + " " + std::to_string(gSeen.xres) + "x" + std::to_string(gSeen.yres));
    }
    for (const char* name : { "prntlist.txt", "fontlist.txt", "reslist.txt" }) {
        fs::remove(name);
        fs::create_directories(name);
    }
    FakeSpooler::setDefaultDevice(nullptr);
    EXPECT_EQ(0, run("-printlist -fontlist -reslist -open job.txt"));
    EXPECT_EQ("", gSeen.printername);
    EXPECT_TRUE(holds("prnlog.txt",
        { "Warning: Main::WinMain(): could not create printer list",
            "Warning: Main::WinMain(): could not create font list",
            "Warning: Main::WinMain() : could not get default printer",
            "Warning: Main::WinMain(): could not create resolution list",
            "Error: WinMain(...) : cannot get minres; using default resolution",
            "Info: \tchosen resolution=printer default", "Info: the job ran" }));
}

TEST_F(Startup_, WindowsVersionAndClosingLine)
{
    for (const auto& v : std::vector<std::pair<int, std::string>> { { 0, "Windows 9x/Me" }, { 90, "Windows 9x/Me" },
             { 51, "Windows NT/2000" }, { 1, "Windows XP" }, { 2, "Unknown" } }) {
        FakeSpooler::setVersion(true, 5, v.first);
        run("-open job.txt");
        EXPECT_TRUE(holds("prnlog.txt", { "Info: Windows Version: " + v.second, kHyphens }));
    }
    // Only the log of a print server job whose client does not wait has no closing line.
    EXPECT_EQ(0, run("-open job.txt -view -logfile tmpLog.3.txt"));
    EXPECT_EQ("Info: the job ran", logged("tmpLog.3.txt").back());
    EXPECT_EQ(0, run("-open job.txt -view -logfile tmplog.4.txt"));
    EXPECT_EQ(kHyphens, logged("tmplog.4.txt").back());
}

TEST_F(Startup_, WholeRunsWithTheProgramsOwnJob)
{
    writeFile("job.txt", "first line\r\nsecond line\r\n");
    EXPECT_EQ(0, run("-open job.txt -orientation landscape -defaultres", Startup::printJob));
    EXPECT_TRUE(holds("prnlog.txt",
        { "Info: Init printer...", "Info: Printer settings:\tWidth: 284milimeters(3358pixels)\tHeight: "
                                   "197milimeters(2329pixels)",
            "Info: Start printing...", "Info: Printing page 1", "Info: End printing...", kHyphens }));
    EXPECT_EQ(1, run("-open missing.txt", Startup::printJob));
    EXPECT_TRUE(holds("prnlog.txt",
        { "Error: fopen(filename, \"rb\"): cannot open file",
            "Error: Printfile::startPrinting() : could not parse document", kHyphens }));
    EXPECT_EQ(1, run("-open job.txt -printername Nowhere", Startup::printJob));
    EXPECT_TRUE(holds("prnlog.txt",
        { "Error: b=getprinter(args.printername, printer): canot find specified printer",
            "Error: Printfile::startPrinting() : could not parse document" }));
    EXPECT_EQ(0, run("-open job.txt -direct -docname Nightly -printername \"Virtual Letter\"", Startup::printJob));
    const FakeSpooler::Printer* letter = FakeSpooler::find("Virtual Letter");
    ASSERT_EQ(1u, letter->rawDocuments.size());
    EXPECT_EQ("first line\r\nsecond line\r\n", letter->rawDocuments[0].data);
    EXPECT_EQ("Nightly", letter->rawDocuments[0].name);
    EXPECT_EQ(0, run("-open job.txt -copy out\\x\\job.txt -direct", Startup::printJob));
    EXPECT_EQ(readFile("job.txt"), readFile("out/x/job.txt"));
    EXPECT_EQ(1u, letter->rawDocuments.size());
    EXPECT_TRUE(FakeSpooler::find("Virtual A4")->rawDocuments.empty());
}
