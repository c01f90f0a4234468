// One run of the print program on the in-memory machine of the native build: what
// start-up decides and describes, and which job step runs. The log limits, inventories,
// exit codes and closing line are held by the system tests of the real program.
#include "print/Startup.h"
#include "printer/fake/FakeSpooler.h"
#include "tests/print/PrintTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <regex>

namespace {

// What the job step saw: printer and resolution; how the last run ended.
std::string gSeen;
int gExit = 0;

int recordingJob()
{
    gSeen = std::string(args.printername) + " " + std::to_string(args.resolution.xres) + "x"
        + std::to_string(args.resolution.yres);
    ULog::write("the job ran", ULog::Info);
    return Startup::kOk;
}

class Startup_ : public PrintWorkDir {
protected:
    void SetUp() override
    {
        PrintWorkDir::SetUp();
        FakeSpooler::clear();
        // Not in ascending order, so the log's order can be told from the sorted one.
        FakeSpooler::add("Virtual A4", "LPT1:", "Virtual A4 Driver").resolutions = { 600, 600, 300, 300, 1200, 600 };
        FakeSpooler::add("Virtual Letter", "LPT2:", "Virtual Letter Driver");
        FakeSpooler::setDefaultDevice("Virtual A4,winspool,LPT1:");
        FakeSpooler::setVersion(true, 6, 1);
    }
    void TearDown() override
    {
        EXPECT_EQ(0, FakeSpooler::openPrinters()) << "a printer was left open";
        FakeSpooler::clear();
        PrintWorkDir::TearDown();
    }

    // Runs the command line; the last n lines of the log.
    static Lines run(const std::string& line, size_t n, Startup::Job job = recordingJob)
    {
        args.setDefaults();
        gExit = Startup::run(line.c_str(), job);
        const Lines log = logged("prnlog.txt");
        return Lines(log.end() - static_cast<long>(std::min(n, log.size())), log.end());
    }
};

const std::string kHyphens = "Info: -----------------------------------------";

} // namespace

TEST_F(Startup_, TheRunIsDescribedBeforeTheJob)
{
    const std::string line = "-open job.txt  -htext 4.27 -graph -orientation landscape -papersize a5";
    const Lines log = run(line, 13);
    EXPECT_EQ((Lines { "Info: Command line: " + line, "Error: Unknown option " }), Lines(log.begin(), log.begin() + 2));
    EXPECT_TRUE(std::regex_match(log[2], std::regex("Info: LOG ON: [0-9]+-[0-9]+-[0-9]{4} \\(d-m-y\\), [0-9:]+")));
    EXPECT_EQ((Lines { "Info: Windows Version: Windows XP", "Info: Version=v5.3.9",
                  "Info: Config:\tfilename=job.txt\thtext=42\tfontface=Courier New\torientation=LANDSCAPE"
                  "\tpapersize=A5\tleft=0\tright=0\ttop=0\tbottom=0\tlogfile=prnlog.txt\tlog=enabled"
                  "\tlogsize=10000\tgraph=enabled\tprintername=Virtual A4",
                  "Info: \tPossible resolutions:", "Info: \t\t600x600", "Info: \t\t300x300", "Info: \t\t1200x600",
                  "Info: \tchosen resolution=1200x600", "Info: the job ran", kHyphens }),
        Lines(log.begin() + 3, log.end()));
}

// The print server names the job's log after -cmdfile: the client's mistyped options are
// logged there, where the client gets them. A stand-alone run's -logfile still begins only
// after the parse, and -disablelog in a job still logs into the default log.
TEST_F(Startup_, AServerJobLogsEveryLineIntoItsJobLog)
{
    writeFile("tmpCmdfile.1.txt", "-orientaton landscape");
    writeFile("off.txt", "-disablelog");
    const char* rows[][3] = {{"-cmdfile tmpCmdfile.1.txt -logfile tmpLog.1.txt", "tmpLog.1.txt", "tmpLog.1.txt"},
                             {"-cmdfile tmpCmdfile.1.txt -logfile mine.txt", "prnlog.txt", "mine.txt"},
                             {"-cmdfile off.txt -cmdfile tmpCmdfile.1.txt -logfile tmpLog.2.txt", "tmpLog.2.txt",
                              "prnlog.txt"}};
    for (const auto& r : rows) {
        args.setDefaults();
        Startup::run(r[0], recordingJob);
        const Lines parse = logged(r[1]), job = logged(r[2]);
        EXPECT_EQ((Lines {"Info: Command line: " + std::string(r[0]), "Error: Unknown option -orientaton",
                      "Error: Unknown option landscape"}), Lines(parse.begin(), parse.begin() + 3)) << r[0];
        EXPECT_EQ(kHyphens, job.back()) << r[0];
        std::remove(r[1]);
        std::remove(r[2]);
    }
    // A -view job of the server still prints when its log is sent: the log has no closing line.
    writeFile("view.txt", "-view");
    args.setDefaults();
    Startup::run("-cmdfile view.txt -logfile tmpLog.3.txt", recordingJob);
    EXPECT_NE(kHyphens, logged("tmpLog.3.txt").back());
}

TEST(StartupNames, VersionClassesAtTheirBounds)
{
    const std::pair<int, std::string> names[] = { { 0, "Unknown" }, { 1, "Windows 9x/Me" }, { 3, "Windows 9x/Me" },
        { 4, "Windows NT/2000" }, { 6, "Windows NT/2000" }, { 7, "Windows XP" }, { 8, "Unknown" } };
    for (const auto& n : names)
        EXPECT_EQ(n.second, Startup::windowsName(n.first)) << n.first;
}

TEST_F(Startup_, PrinterAndResolutionTheJobGets)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        { "-minres 400", "Virtual A4 600x600", "Info: \tchosen resolution=600x600" },
        { "-defaultres -resolution 600 600", "Virtual A4 0x0", "Info: \tchosen resolution=printer default" },
        { "-resolution 333 777", "Virtual A4 333x777", "Info: \tchosen resolution=333x777" },
        { "-printername \"Virtual Letter\" -minres 301", "Virtual Letter 600x600", "Info: \tchosen resolution=600x600" } };
    for (const auto& c : cases) {
        EXPECT_EQ(std::get<2>(c), run("-open job.txt " + std::get<0>(c), 3).at(0)) << std::get<0>(c);
        EXPECT_EQ(std::get<1>(c), gSeen);
    }
    FakeSpooler::setDefaultDevice(nullptr);
    EXPECT_EQ((Lines { "Error: enumres(...): b=getprinter(prname, printer) : printer missing",
                  "Info: \tchosen resolution=printer default", "Info: the job ran", kHyphens }),
        run("-open job.txt", 4));
    EXPECT_EQ(" 0x0", gSeen);
}

TEST_F(Startup_, TheProgramsJobPrintsLaidOutRawOrNotAtAll)
{
    writeFile("job.txt", "first line\r\n");
    // A printer that cannot tell its papers is given the paper the job wants, without a word.
    const Lines printed = run("-open job.txt -papersize letter", 99, Startup::printJob);
    EXPECT_TRUE(std::none_of(printed.begin(), printed.end(), [](const std::string& l) { return l[0] == 'W'; }));
    const size_t n = printed.size();
    EXPECT_EQ((Lines { "Info: Printing page 1", "Info: End printing..." }), (Lines { printed[n - 5], printed[n - 2] }));
    for (const char* line : { "-open job.txt -direct -docname Nightly -printername \"Virtual Letter\"",
             "-open job.txt -copy out\\x\\job.txt -direct", "-open job.txt -copy out\\y.txt" }) {
        run(line, 0, Startup::printJob);
        EXPECT_EQ(Startup::kOk, gExit) << line;
    }
    const FakeSpooler::Printer* letter = FakeSpooler::find("Virtual Letter");
    ASSERT_EQ(1u, letter->rawDocuments.size());
    EXPECT_EQ("first line\r\n", letter->rawDocuments[0].data);
    EXPECT_EQ("Nightly", letter->rawDocuments[0].name);
    EXPECT_EQ("first line\r\n", readFile("out/x/job.txt"));
    std::filesystem::create_directory("adir");
    EXPECT_EQ((Lines { "Error: Printfile::startPrinting() : could not copy 'job.txt' to 'adir'",
                  "Error: Printfile::startPrinting(): cannot copy 'job.txt' to 'adir': error 21: Is a directory", kHyphens }),
        run("-open job.txt -copy adir", 3, Startup::printJob));
    FakeSpooler::find("Virtual Letter")->startsDocument = false;
    for (const auto& [line, error] : { std::pair<std::string, std::string> { "-open missing.txt", "parse document" },
             { "-open job.txt -direct -printername \"Virtual Letter\"", "print file" } }) {
        EXPECT_EQ((Lines { "Error: Printfile::startPrinting() : could not " + error, kHyphens }),
            run(line, 2, Startup::printJob));
        EXPECT_EQ(Startup::kJobFailed, gExit);
    }
    // Options that would waste paper end the run with -1 before anything prints; an empty
    // file prints nothing and the run succeeds.
    writeFile("empty.txt", "");
    const std::vector<std::tuple<std::string, int, std::string>> unprinted = {
        { "-open job.txt -htext -2", Startup::kBadOptions,
            "Error: command line: htext '-2': the height must be a number of millimetres, at least 0.1" },
        { "-open job.txt -left 300", Startup::kBadOptions,
            "Error: command line: -left 300 -right 0 -htext 3.5: not one character fits across the page" },
        { "-open empty.txt", Startup::kOk,
            "Warning: Printfile::startPrinting(): the file 'empty.txt' is empty: nothing to print" } };
    for (const auto& c : unprinted) {
        std::filesystem::remove("prnlog.txt");
        const Lines log = run(std::get<0>(c), 40, Startup::printJob);
        EXPECT_EQ(std::get<1>(c), gExit) << std::get<0>(c);
        EXPECT_TRUE(std::any_of(log.begin(), log.end(),
            [&](const std::string& l) { return l.rfind(std::get<2>(c), 0) == 0; })) << std::get<0>(c);
        EXPECT_TRUE(std::none_of(log.begin(), log.end(),
            [](const std::string& l) { return l == "Info: Start printing..."; })) << std::get<0>(c);
    }
    // Refused runs keep the default log within its limit too.
    writeFile("prnlog.txt", std::string(20000, '~'));
    run("-open job.txt -pages x", 0, Startup::printJob);
    EXPECT_EQ(0u, readFile("prnlog.txt.1").find(std::string(20000, '~') + "Info["));
    EXPECT_FALSE(std::filesystem::exists("prnlog.txt"));
}
