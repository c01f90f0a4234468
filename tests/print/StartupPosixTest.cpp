// Start-up of the print program on the in-memory machine of the native build: the log and
// its size limit, the adjustments and inventories, the default printer, the resolution
// choice, the description lines, the closing line and the exit codes. The job step is a
// recorder here, so these tests see exactly what start-up hands the job.
#include "print/PrintArgs.h"
#include "print/Startup.h"
#include "printer/fake/FakeSpooler.h"
#include "tests/print/PrintTestSupport.h"

#include <regex>

namespace {

namespace fs = std::filesystem;

struct JobSeen {
    bool called = false;
    std::string printername;
    std::string banner;
    std::string logpath;
    bool log = false;
    int hbanner = 0;
    int xres = -1;
    int yres = -1;
};

JobSeen gSeen;
bool gJobSucceeds = true;

bool recordingJob()
{
    gSeen.called = true;
    gSeen.printername = args.printername;
    gSeen.banner = args.banner;
    gSeen.logpath = args.logpath;
    gSeen.log = args.log;
    gSeen.hbanner = args.hbanner;
    gSeen.xres = args.resolution.xres;
    gSeen.yres = args.resolution.yres;
    ULog::write("the job ran", ULog::Info);
    return gJobSucceeds;
}

const std::string kHyphens = "Info: -----------------------------------------";

class Startup_ : public PrintWorkDir {
protected:
    void SetUp() override
    {
        PrintWorkDir::SetUp();
        args.setDefaults();
        gSeen = JobSeen();
        gJobSucceeds = true;
        FakeSpooler::clear();
        FakeSpooler::Printer& a4 = FakeSpooler::add("Virtual A4", "LPT1:", "Virtual A4 Driver");
        // Not in ascending order, so the log's order can be told from the sorted one.
        a4.resolutions = { 600, 600, 300, 300, 1200, 600 };
        FakeSpooler::add("Virtual Letter", "LPT2:", "Virtual Letter Driver");
        FakeSpooler::setDefaultDevice("Virtual A4,winspool,LPT1:");
        FakeSpooler::setVersion(true, 6, 1);
        FakeSpooler::addFont("Courier New", 0x31, 0x4);
        FakeSpooler::addFont("Arial", 0x22, 0x4);
        FakeSpooler::addFont("Lucida Console", 0x31, 0x4);
    }
    void TearDown() override
    {
        EXPECT_EQ(0, FakeSpooler::openPrinters()) << "a printer was left open";
        FakeSpooler::clear();
        args.setDefaults();
        PrintWorkDir::TearDown();
    }

    static int run(const std::string& commandLine) { return Startup::run(commandLine.c_str(), recordingJob); }

    static Lines logOf(const std::string& name) { return loggedIn(name); }

    // The lines from "Windows Version" to the job, for the description tests.
    static Lines described(const Lines& all)
    {
        Lines out;
        bool in = false;
        for (const std::string& line : all) {
            if (line.rfind("Info: Windows Version:", 0) == 0)
                in = true;
            if (line == "Info: the job ran")
                break;
            if (in)
                out.push_back(line);
        }
        return out;
    }

    static std::string config(const std::string& fields)
    {
        return "Info: Config:\t" + fields;
    }
};

const std::string kDefaultConfig =
    "filename=job.txt\thtext=35\tfontface=Courier New\torientation=DEFAULT\tpapersize=DEFAULT\tleft=0\tright=0"
    "\ttop=0\tbottom=0\tlogfile=prnlog.txt\tlog=enabled\tlogsize=10000\tgraph=disabled\tprintername=Virtual A4";

TEST_F(Startup_, RunOfAJobFromCommandLineToClosingLine)
{
    const std::string line = "-open job.txt  -docname \"a b\"\t-view";
    EXPECT_EQ(0, run(line));
    const Lines log = logOf("prnlog.txt");
    ASSERT_EQ(13u, log.size()) << ::testing::PrintToString(log);
    EXPECT_EQ("Info: Command line: " + line, log[0]) << "the text exactly as received";
    // The two blanks give an empty token, which the parser reports and skips.
    EXPECT_EQ("Error: Unknown option ", log[1]);
    EXPECT_TRUE(std::regex_match(
        log[2], std::regex("Info: LOG ON: [1-9][0-9]?-[1-9][0-9]?-[0-9]{4} \\(d-m-y\\), "
                           "(0|[1-9][0-9]?):(0|[1-9][0-9]?):(0|[1-9][0-9]?)")))
        << log[2];
    EXPECT_EQ((Lines { "Info: Windows Version: Windows XP", "Info: Version=v5.3.9", config(kDefaultConfig),
                       "Info: \tPossible resolutions:", "Info: \t\t600x600", "Info: \t\t300x300",
                       "Info: \t\t1200x600", "Info: \tchosen resolution=1200x600", "Info: the job ran", kHyphens }),
              Lines(log.begin() + 3, log.end()))
        << "-view outside a server job still ends with the hyphens";
}

TEST_F(Startup_, OptionsThatDoNotParseEndTheRunAtOnce)
{
    EXPECT_EQ(-1, run("-logfile job.log -open a.txt -htext 0 -printlist"));
    EXPECT_FALSE(gSeen.called);
    EXPECT_EQ((Lines { "Info: Command line: -logfile job.log -open a.txt -htext 0 -printlist",
                       "Error: command line: htext" }),
              logOf("prnlog.txt"))
        << "no LOG ON, no description, no closing line";
    EXPECT_FALSE(fs::exists("job.log"));
    EXPECT_FALSE(fs::exists("prntlist.txt"));
}

TEST_F(Startup_, ExitCodeFollowsTheJob)
{
    gJobSucceeds = false;
    EXPECT_EQ(1, run("-open job.txt"));
    EXPECT_EQ(kHyphens, logOf("prnlog.txt").back()) << "a failed job still closes the log";
    gJobSucceeds = true;
    EXPECT_EQ(0, run("-open job.txt"));
}

TEST_F(Startup_, ConfigLineShowsTheSettingsAndTheLogInUse)
{
    EXPECT_EQ(0, run("-open \"my job.txt\" -htext 4.27 -fontface \"Lucida Console\" -orientation landscape "
                     "-papersize a3 -left 10 -right 20 -top 5 -bottom 7 -logfile job.log -logsize 500 -graph "
                     "-printername \"Virtual Letter\""));
    EXPECT_EQ((Lines { "Info: Command line: -open \"my job.txt\" -htext 4.27 -fontface \"Lucida Console\" "
                       "-orientation landscape -papersize a3 -left 10 -right 20 -top 5 -bottom 7 -logfile job.log "
                       "-logsize 500 -graph -printername \"Virtual Letter\"" }),
              logOf("prnlog.txt"))
        << "only the command line goes to the default log";
    const Lines log = logOf("job.log");
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(config("filename=my job.txt\thtext=42\tfontface=Lucida Console\torientation=LANDSCAPE\tpapersize=A3"
                     "\tleft=10\tright=20\ttop=5\tbottom=7\tlogfile=job.log\tlog=enabled\tlogsize=500\tgraph=enabled"
                     "\tprintername=Virtual Letter"),
              log[3]);
    EXPECT_EQ("job.log", gSeen.logpath);
}

TEST_F(Startup_, LogLargerThanTheLimitIsEmptiedAtStart)
{
    writeFile("job.log", std::string(10001, '~'));
    EXPECT_EQ(0, run("-open job.txt -logfile job.log"));
    const std::string text = readFile("job.log");
    EXPECT_EQ(std::string::npos, text.find('~'));
    EXPECT_EQ(0u, text.find("Info[")) << "the run's own lines start the emptied file";
}

TEST_F(Startup_, LogOfExactlyTheLimitIsKeptAndAppendedTo)
{
    writeFile("job.log", std::string(10000, '~'));
    EXPECT_EQ(0, run("-open job.txt -logfile job.log"));
    const std::string text = readFile("job.log");
    EXPECT_EQ(std::string(10000, '~'), text.substr(0, 10000));
    EXPECT_EQ(10000u, text.find("Info["));
}

TEST_F(Startup_, LogSizeOptionSetsTheLimit)
{
    writeFile("job.log", std::string(600, '~'));
    EXPECT_EQ(0, run("-open job.txt -logfile job.log -logsize 599"));
    EXPECT_EQ(std::string::npos, readFile("job.log").find('~'));
}

TEST_F(Startup_, DefaultLogCountsTheCommandLineAlreadyWrittenToIt)
{
    // The command line is logged before the size is checked, so a default log at the limit
    // is over it by then and starts afresh.
    writeFile("prnlog.txt", std::string(10000, '~'));
    EXPECT_EQ(0, run("-open job.txt"));
    const Lines log = logOf("prnlog.txt");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(0u, log[0].find("Info: LOG ON: "));
}

TEST_F(Startup_, DisabledLogStaysInTheDefaultFileWithoutLimit)
{
    writeFile("prnlog.txt", std::string(20000, '~'));
    EXPECT_EQ(0, run("-disablelog -logfile other.txt -open job.txt"));
    EXPECT_FALSE(fs::exists("other.txt")) << "the other file is neither created nor written";
    const std::string text = readFile("prnlog.txt");
    EXPECT_EQ(std::string(20000, '~'), text.substr(0, 20000)) << "no size limit without the log";
    const Lines log = logOf("prnlog.txt");
    const Lines description = described(log);
    ASSERT_GE(description.size(), 3u);
    EXPECT_EQ(config("filename=job.txt\thtext=35\tfontface=Courier New\torientation=DEFAULT\tpapersize=DEFAULT"
                     "\tleft=0\tright=0\ttop=0\tbottom=0\tlogfile=prnlog.txt\tlog=disabled\tlogsize=10000"
                     "\tgraph=disabled\tprintername=Virtual A4"),
              description[2]);
}

TEST_F(Startup_, LogThatCannotBeCreatedIsDisabledAndItsLinesAreLost)
{
    EXPECT_EQ(0, run("-open job.txt -logfile no-such-dir/job.log"));
    EXPECT_TRUE(gSeen.called);
    EXPECT_FALSE(gSeen.log);
    EXPECT_EQ("no-such-dir/job.log", gSeen.logpath);
    EXPECT_EQ(1u, logOf("prnlog.txt").size()) << "the default log got only the command line";
}

TEST_F(Startup_, BannerIsNeverTallerThanTheText)
{
    EXPECT_EQ(0, run("-open job.txt -htext 1.5 -banner Top"));
    EXPECT_EQ(15, gSeen.hbanner);
    EXPECT_EQ("Top", gSeen.banner);
    EXPECT_EQ(0, run("-open job.txt -htext 5 -hbanner 2.5 -banner Top"));
    EXPECT_EQ(25, gSeen.hbanner);
}

TEST_F(Startup_, InventoriesAreWrittenBeforeTheJob)
{
    EXPECT_EQ(0, run("-printlist -fontlist -reslist -ver -open job.txt"));
    EXPECT_EQ("Virtual A4\nVirtual Letter\n", readFile("prntlist.txt"));
    EXPECT_EQ("Courier New\nLucida Console\n", readFile("fontlist.txt"));
    EXPECT_EQ("600x600\n300x300\n1200x600\n", readFile("reslist.txt")) << "the printer's order";
    EXPECT_EQ("v5.3.9", readFile("version.txt"));
    EXPECT_TRUE(gSeen.called);
}

TEST_F(Startup_, InventoriesThatCannotBeWrittenWarnAndTheRunGoesOn)
{
    for (const char* name : { "prntlist.txt", "fontlist.txt", "reslist.txt" })
        fs::create_directories(name);
    EXPECT_EQ(0, run("-printlist -fontlist -reslist -open job.txt"));
    EXPECT_TRUE(gSeen.called);
    Lines warnings;
    for (const std::string& line : logOf("prnlog.txt"))
        if (line.rfind("Warning:", 0) == 0 || line.rfind("Error:", 0) == 0)
            warnings.push_back(line);
    EXPECT_EQ((Lines { "Error: printlist(...): if( prnlst==NULL )",
                       "Warning: Main::WinMain(): could not create printer list",
                       "Warning: Main::WinMain(): could not create font list",
                       "Warning: Main::WinMain(): could not create resolution list" }),
              warnings);
}

TEST_F(Startup_, ResolutionListOfTheNamedPrinter)
{
    FakeSpooler::find("Virtual Letter")->resolutions = { 150, 150 };
    EXPECT_EQ(0, run("-reslist -printername \"Virtual Letter\" -open job.txt"));
    EXPECT_EQ("150x150\n", readFile("reslist.txt"));
}

TEST_F(Startup_, NoDefaultPrinterLeavesTheNameEmpty)
{
    FakeSpooler::setDefaultDevice(nullptr);
    gJobSucceeds = false;
    EXPECT_EQ(1, run("-open job.txt"));
    EXPECT_EQ("", gSeen.printername);
    const Lines log = logOf("prnlog.txt");
    ASSERT_EQ(14u, log.size()) << ::testing::PrintToString(log);
    EXPECT_EQ((Lines { "Warning: Main::WinMain() : could not get default printer",
                       "Error: getprinter: OpenPrinter(): cannot open printer",
                       "Error: enumres(...): b=getprinter(prname, printer) : printer missing",
                       "Error: WinMain(...) : cannot get minres; using default resolution",
                       "Info: Windows Version: Windows XP", "Info: Version=v5.3.9",
                       config("filename=job.txt\thtext=35\tfontface=Courier New\torientation=DEFAULT"
                              "\tpapersize=DEFAULT\tleft=0\tright=0\ttop=0\tbottom=0\tlogfile=prnlog.txt"
                              "\tlog=enabled\tlogsize=10000\tgraph=disabled\tprintername="),
                       "Error: getprinter: OpenPrinter(): cannot open printer",
                       "Error: enumres(...): b=getprinter(prname, printer) : printer missing",
                       "Info: \tchosen resolution=printer default", "Info: the job ran", kHyphens }),
              Lines(log.begin() + 2, log.end()));
}

TEST_F(Startup_, NamedPrinterIsNotReplacedByTheDefault)
{
    FakeSpooler::setDefaultDevice(nullptr);
    EXPECT_EQ(0, run("-open job.txt -printername \"Virtual Letter\""));
    EXPECT_EQ("Virtual Letter", gSeen.printername);
    for (const std::string& line : logOf("prnlog.txt"))
        EXPECT_EQ(std::string::npos, line.find("default printer")) << line;
}

TEST_F(Startup_, ResolutionChosenByMinres)
{
    EXPECT_EQ(0, run("-open job.txt -minres 400"));
    EXPECT_EQ(600, gSeen.xres);
    EXPECT_EQ(600, gSeen.yres);
    EXPECT_EQ("Info: \tchosen resolution=600x600", described(logOf("prnlog.txt")).back());
}

TEST_F(Startup_, DefaultresWinsOverAGivenResolution)
{
    EXPECT_EQ(0, run("-open job.txt -defaultres -resolution 600 600"));
    EXPECT_EQ(0, gSeen.xres);
    EXPECT_EQ(0, gSeen.yres);
    EXPECT_EQ("Info: \tchosen resolution=printer default", described(logOf("prnlog.txt")).back());
}

TEST_F(Startup_, GivenResolutionIsUsedUnchecked)
{
    EXPECT_EQ(0, run("-open job.txt -resolution 333 777"));
    EXPECT_EQ(333, gSeen.xres);
    EXPECT_EQ(777, gSeen.yres);
    EXPECT_EQ("Info: \tchosen resolution=333x777", described(logOf("prnlog.txt")).back());
}

TEST_F(Startup_, PrinterWithoutResolutionsKeepsItsDefault)
{
    FakeSpooler::find("Virtual A4")->reportsResolutions = false;
    EXPECT_EQ(0, run("-open job.txt"));
    EXPECT_EQ(0, gSeen.xres);
    const Lines description = described(logOf("prnlog.txt"));
    ASSERT_EQ(5u, description.size()) << ::testing::PrintToString(description);
    EXPECT_EQ("Error: enumres(...): DeviceCapabilities() : cannot get number of resolutions", description[3])
        << "no resolution lines when they cannot be enumerated";
    EXPECT_EQ("Info: \tchosen resolution=printer default", description[4]);
}

TEST_F(Startup_, WindowsVersionNamesFollowTheMinorVersion)
{
    for (const auto& minor : std::vector<std::pair<int, std::string>> {
             { 0, "Windows 9x/Me" }, { 10, "Windows 9x/Me" }, { 90, "Windows 9x/Me" }, { 51, "Windows NT/2000" },
             { 1, "Windows XP" }, { 2, "Unknown" } }) {
        args.setDefaults();
        fs::remove("prnlog.txt");
        FakeSpooler::setVersion(true, 5, minor.first);
        run("-open job.txt");
        EXPECT_EQ("Info: Windows Version: " + minor.second, described(logOf("prnlog.txt")).front()) << minor.first;
    }
    EXPECT_STREQ("Windows NT/2000", Startup::windowsName(6)) << "classes 4 to 6";
    EXPECT_STREQ("Unknown", Startup::windowsName(8));
}
TEST_F(Startup_, ClosingLineIsLeftOutOnlyForAServerJobThatDoesNotWait)
{
    EXPECT_EQ(0, run("-open job.txt -view -logfile tmpLog.3.txt"));
    EXPECT_EQ("Info: the job ran", logOf("tmpLog.3.txt").back());
    args.setDefaults();
    EXPECT_EQ(0, run("-open job.txt -logfile tmpLog.4.txt"));
    EXPECT_EQ(kHyphens, logOf("tmpLog.4.txt").back());

    PrintArgs o;
    o.view = true;
    for (const char* path : { "tmpCmdfile.7.ini", "jobs\\tmpFilename.7.txt", "tmpLog.7.txt" }) {
        std::snprintf(o.logpath, PrintArgs::kTextSize, "%s", path);
        EXPECT_FALSE(Startup::writesClosingLine(o)) << path;
    }
    std::snprintf(o.logpath, PrintArgs::kTextSize, "%s", "tmplog.7.txt");
    EXPECT_TRUE(Startup::writesClosingLine(o)) << "the names are compared with their case";
}

// The whole program with its real job step, on the in-memory printers.
class WholeRun : public Startup_ {
protected:
    static int print(const std::string& commandLine)
    {
        return Startup::run(commandLine.c_str(), Startup::printJob);
    }

    // True when the log holds these lines in this order, others between them allowed.
    static ::testing::AssertionResult holdsInOrder(const Lines& log, const Lines& wanted)
    {
        size_t at = 0;
        for (const std::string& line : log)
            if (at < wanted.size() && line == wanted[at])
                ++at;
        if (at == wanted.size())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "missing '" << wanted[at] << "' in " << ::testing::PrintToString(log);
    }
};

TEST_F(WholeRun, PrintsALaidOutJobOnTheDefaultPrinter)
{
    writeFile("job.txt", "first line\r\nsecond line\r\n");
    EXPECT_EQ(0, print("-open job.txt"));
    EXPECT_TRUE(holdsInOrder(logOf("prnlog.txt"),
                             { "Info: \tchosen resolution=1200x600", "Info: Init printer...", "Info: Start printing...",
                               "Info: Printing page 1", "Info: End printing...", kHyphens }));
    EXPECT_TRUE(FakeSpooler::find("Virtual A4")->rawDocuments.empty());
}

TEST_F(WholeRun, ResponseAloneDoesNotChangeThePrintMode)
{
    writeFile("job.txt", "text\r\n");
    EXPECT_EQ(0, print("-open job.txt -response r.txt"));
    EXPECT_TRUE(holdsInOrder(logOf("prnlog.txt"), { "Info: Printing page 1", "Info: End printing..." }));
    EXPECT_FALSE(fs::exists("r.txt"));
}

TEST_F(WholeRun, MissingFileFailsTheJob)
{
    EXPECT_EQ(1, print("-open missing.txt"));
    EXPECT_TRUE(holdsInOrder(logOf("prnlog.txt"),
                             { "Error: fopen(filename, \"rb\"): cannot open file",
                               "Error: Printfile::startPrinting() : could not parse document", kHyphens }));
}

TEST_F(WholeRun, InventoriesWithoutAFileEndWithExitCode1)
{
    EXPECT_EQ(1, print("-printlist -fontlist -reslist -ver"));
    for (const char* name : { "prntlist.txt", "fontlist.txt", "reslist.txt", "version.txt" })
        EXPECT_TRUE(fs::exists(name)) << name;
    EXPECT_TRUE(holdsInOrder(logOf("prnlog.txt"),
                             { "Error: Printfile::openFile(): no file specified; use -open parameter to specify one",
                               "Error: Printfile::startPrinting() : could not parse document", kHyphens }));
}

TEST_F(WholeRun, UnknownPrinterFailsTheJob)
{
    writeFile("job.txt", "text\r\n");
    EXPECT_EQ(1, print("-open job.txt -printername \"Office Laser\""));
    EXPECT_TRUE(holdsInOrder(logOf("prnlog.txt"),
                             { "Info: Init printer...",
                               "Error: b=getprinter(args.printername, printer): canot find specified printer",
                               "Error: Printfile::startPrinting() : could not parse document" }));
}

TEST_F(WholeRun, DirectSendsTheFileRaw)
{
    writeFile("job.prn", "raw\r\n\f");
    EXPECT_EQ(0, print("-open job.prn -direct -docname Nightly -printername \"Virtual Letter\""));
    const FakeSpooler::Printer* letter = FakeSpooler::find("Virtual Letter");
    ASSERT_EQ(1u, letter->rawDocuments.size());
    EXPECT_EQ("raw\r\n\f", letter->rawDocuments[0].data);
    EXPECT_EQ("Nightly", letter->rawDocuments[0].name);
    for (const std::string& line : logOf("prnlog.txt"))
        EXPECT_EQ(std::string::npos, line.find("Start printing")) << "no page layout for a raw job";
}

TEST_F(WholeRun, DirectOnUnknownPrinterLogsTheChain)
{
    writeFile("job.prn", "raw");
    EXPECT_EQ(1, print("-open job.prn -direct -printername Nowhere -defaultres"));
    EXPECT_TRUE(holdsInOrder(logOf("prnlog.txt"),
                             { "Error: draxomeDirect() : cannot open printer",
                               "Error: draxomeDirect(): cannot print document",
                               "Error: Printfile::startPrinting() : could not print file", kHyphens }));
}

TEST_F(WholeRun, CopyModePrintsNothing)
{
    writeFile("job.txt", "text\r\n");
    EXPECT_EQ(0, print("-open job.txt -copy out\\x\\job.txt -direct"));
    EXPECT_EQ("text\r\n", readFile("out/x/job.txt"));
    EXPECT_TRUE(FakeSpooler::find("Virtual A4")->rawDocuments.empty());
    for (const std::string& line : logOf("prnlog.txt"))
        EXPECT_EQ(std::string::npos, line.find("printing")) << line;
}

} // namespace
