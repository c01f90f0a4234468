#include "common/UCmdLine.h"
#include "server/KeltoCmdLine.h"
#include "server/PJobGuard.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::LogCapture;

// The server's directory and printer list as a test sets them up; counts how often the
// guard asks.
struct Site {
    std::vector<std::string> files{"draxome.exe", "draxomeServer.exe", "draxomeServerLog.txt", "prntlist.txt",
                                   "fontlist.txt", "version.txt", "prnlog.txt", "tmpCmdfile.3..ini",
                                   "tmpFilename.3..txt", "tmpLog.3..txt", "LongReportName.txt"};
    std::vector<std::string> printers{"Virtual A4", "Virtual Letter", "\\\\printhost\\Office"};
    std::vector<UString> allowRun;
    bool directoryWorks = true;
    int directoryAsked = 0;
    int printersAsked = 0;

    PJobGuard guard()
    {
        return PJobGuard(
            allowRun,
            [this](std::vector<UString>& names) {
                ++directoryAsked;
                for (const auto& f : files)
                    names.push_back(UString(f.c_str()));
                return directoryWorks;
            },
            [this](std::vector<UString>& lines) {
                ++printersAsked;
                for (const auto& p : printers)
                    lines.push_back(UString(p.c_str()));
                return true;
            });
    }
};

struct Verdict {
    bool allowed;
    std::string error;
    std::string description;
};

// The job's line as the server receives it: parsed by the server, then checked.
Verdict judge(Site& site, const std::string& line)
{
    LogCapture quiet;
    KeltoCmdLine job;
    int argc = 0;
    char** argv = nullptr;
    bool parsed = UCmdLine::getArgcArgv(UString(line.c_str()), argc, argv);
    if (parsed)
        parsed = job.parse(argc, argv);
    UCmdLine::releaseArgcArgv(argc, argv);
    PJobGuard guard = site.guard();
    if (!parsed)
        return {false, "could not parse", "x"};
    const bool allowed = guard.check(UString(line.c_str()), job);
    return {allowed, guard.error().str(), guard.description().str()};
}

void expectAllowed(Site& site, const std::vector<std::string>& lines)
{
    for (const auto& line : lines) {
        const Verdict v = judge(site, line);
        EXPECT_TRUE(v.allowed) << line << "\n  refused: " << v.error;
        EXPECT_EQ("", v.error) << line;
    }
}

void expectRefused(Site& site, const std::vector<std::string>& lines, const std::string& errorPart)
{
    for (const auto& line : lines) {
        const Verdict v = judge(site, line);
        EXPECT_FALSE(v.allowed) << line;
        EXPECT_NE(std::string::npos, v.error.find(errorPart)) << line << "\n  error: " << v.error;
        EXPECT_NE("", v.description) << line;
    }
}

} // namespace

TEST(PJobGuardTest, OrdinaryJobsPass)
{
    Site site;
    expectAllowed(site, {
                            "",
                            "-open report.txt",
                            "-open \"C:\\My Reports\\report 1.txt\" -printlist -fontlist -ver -reslist",
                            "-open r.txt -printername \"Virtual Letter\" -htext 3 -orientation landscape",
                            "-open r.txt -printername Virtual",
                            "-open r.txt -direct -view -disablelog",
                            "-open r.txt -logfile C:\\anywhere\\log.txt",
                            // Option words inside a quoted value are no options.
                            "-open r.txt -banner \"-run cmd.exe -cmdfile x\"",
                            "-open r.txt -docname \"-copy C:\\x\"",
                            // Only the blank separates: a tab keeps the word whole.
                            "-open r.txt -run\tcmd.exe",
                            // Not options of the print program: other case, other words.
                            "-open r.txt -Run cmd.exe -CMDFILE x -Copy C:\\x -run2 x --run x",
                            // A token that begins with a quote loses its first and last character.
                            "-open r.txt \"-runx\" x",
                            "-open r.txt \"-cmdfile\"x",
                            "-open r.txt -\"cmdfile\" x",
                        });
    EXPECT_EQ(0, site.directoryAsked) << "no -copy or -response, no listing";
    EXPECT_EQ(0, site.printersAsked) << "local printers need no list";
}

TEST(PJobGuardTest, CommandFilesAreRefusedWhereverTheyStand)
{
    Site site;
    expectRefused(site,
                  {
                      "-cmdfile C:\\secret.txt",
                      "-open r.txt -cmdfile r.txt",
                      "-open r.txt -cmdfile",
                      "-docname -cmdfile x",
                      "\"-cmdfile\" C:\\secret.txt",
                      "-open r.txt  -cmdfile  prnlog.txt",
                      "-open r.txt -cmdfile \"C:\\Program Files\\a.ini\"",
                      "-open r.txt \"-cmdfilex",
                  },
                  "Refused -cmdfile");
    // -trustclients is the only way; -allowrun does not name command files.
    const Verdict v = judge(site, "-cmdfile x");
    EXPECT_NE(std::string::npos, v.description.find("-trustclients"));
}

TEST(PJobGuardTest, RunNeedsAnAllowedNameExactly)
{
    Site none;
    expectRefused(none, {"-open r.txt -run default", "-run notepad.exe"}, "Refused -run");

    Site site;
    site.allowRun = {UString("default"), UString("C:\\Program Files\\conv.exe"), UString("conv")};
    expectAllowed(site, {
                            "-open r.txt -run default -response out.txt",
                            "-open r.txt -run \"C:\\Program Files\\conv.exe\" -response out.txt",
                            "-open r.txt -run conv -run default",
                            // A -run in a value is still looked at; here it names an allowed program.
                            "-open r.txt -banner -run default",
                        });
    expectRefused(site,
                  {
                      "-open r.txt -run Default",
                      "-open r.txt -run DEFAULT",
                      "-open r.txt -run cmd.exe",
                      "-open r.txt -run conv.exe",
                      "-open r.txt -run \"conv \"",
                      "-open r.txt -run C:\\Program Files\\conv.exe",
                      "-open r.txt -run \"C:\\Program Files\\conv.exe\"x",
                      "-open r.txt -run default -run cmd.exe",
                      "-open r.txt -run",
                      "-open r.txt -run  default",
                      "-open r.txt -docname -run cmd.exe",
                      "-open r.txt -run -run default",
                      // An unterminated quote runs to the end; the token loses the x.
                      "-open r.txt \"-runx",
                  },
                  "Refused -run");
    const Verdict v = judge(site, "-open r.txt -run cmd.exe");
    EXPECT_EQ("Refused -run 'cmd.exe': this server allows no such program for printer clients", v.error);
    EXPECT_NE(std::string::npos, v.description.find("-allowrun"));
}

TEST(PJobGuardTest, CopyAndResponseTakeNewPlainNamesOnly)
{
    Site site;
    site.allowRun = {UString("default")};
    expectAllowed(site, {
                            "-open r.txt -copy out.txt",
                            "-open r.txt -copy \"out.txt\"",
                            "-open r.txt -copy A_b-c.1.txt",
                            "-open r.txt -copy noextension",
                            "-open r.txt -copy .hidden",
                            "-open r.txt -copy report.exe.txt",
                            "-open r.txt -copy console.txt -response nulls.txt -run default",
                            "-open r.txt -copy com10.txt -response lpt.txt -run default",
                            "-open r.txt -run default -response answer.txt",
                            "-open r.txt -response a.txt -response b.txt",
                        });
    struct Case {
        const char* value;
        const char* why;
    };
    const Case cases[] = {
        {"C:\\x.txt", "not a plain file name"},
        {"..\\x.txt", "not a plain file name"},
        {"sub/x.txt", "not a plain file name"},
        {"\\\\host\\share\\x.txt", "not a plain file name"},
        {"x.txt:hidden", "not a plain file name"},
        {"LONGRE~1.TXT", "not a plain file name"},
        {"\"a b.txt\"", "not a plain file name"},
        {"\"x.txt \"", "not a plain file name"},
        {"x$.txt", "not a plain file name"},
        {"\"\"", "no file name"},
        {"x.txt.", "ends with a dot"},
        {"x.", "ends with a dot"},
        {"..", "ends with a dot"},
        {"nul", "device name"},
        {"NUL.txt", "device name"},
        {"Con.log", "device name"},
        {"aux", "device name"},
        {"prn.a.b", "device name"},
        {"com1", "device name"},
        {"COM9.txt", "device name"},
        {"lpt1.txt", "device name"},
        {"x.exe", "extension"},
        {"X.EXE", "extension"},
        {"version.dll", "extension"},
        {"run.Bat", "extension"},
        {"a.cmd", "extension"},
        {"a.com", "extension"},
        {"a.ps1", "extension"},
        {"a.js", "extension"},
        {"a.vbs", "extension"},
        {"a.hta", "extension"},
        {"a.msi", "extension"},
        {"a.lnk", "extension"},
        {"a.scr", "extension"},
        {"a.msc", "extension"},
        {"draxome.exe.manifest", "extension"},
        {"draxome.exe.local", "extension"},
        {"a.reg", "extension"},
        {".exe", "extension"},
        {"prntlist.txt", "exists"},
        {"PRNTLIST.TXT", "exists"},
        {"DraxomeServerLog.Txt", "exists"},
        {"tmpLog.3..txt", "exists"},
        {"longreportname.txt", "exists"},
        {"draxome.EXE", "extension"},
    };
    for (const char* option : {"-copy", "-response"}) {
        for (const Case& c : cases) {
            const std::string line = std::string("-open r.txt -run default ") + option + " " + c.value;
            const Verdict v = judge(site, line);
            EXPECT_FALSE(v.allowed) << line;
            EXPECT_EQ(0u, v.error.find(std::string("Refused ") + option)) << line << "\n  " << v.error;
            EXPECT_NE(std::string::npos, v.error.find(c.why)) << line << "\n  " << v.error;
        }
        // The value may look like anything, even an option, and the option may stand last.
        expectRefused(site, {std::string("-open r.txt ") + option + " ", std::string("-docname ") + option + " C:\\x"},
                      std::string("Refused ") + option);
        EXPECT_FALSE(judge(site, std::string("-open r.txt ") + option).allowed);
    }
}

TEST(PJobGuardTest, TheDirectoryIsListedOnceAndOnlyWhenNeeded)
{
    Site site;
    judge(site, "-open r.txt -copy a.txt -response b.txt -response c.txt");
    EXPECT_EQ(1, site.directoryAsked);
    // Nothing is asked about a name that is refused anyway.
    judge(site, "-open r.txt -copy C:\\a.txt");
    EXPECT_EQ(1, site.directoryAsked);

    Site broken;
    broken.directoryWorks = false;
    const Verdict v = judge(broken, "-open r.txt -copy a.txt");
    EXPECT_FALSE(v.allowed);
    EXPECT_NE(std::string::npos, v.error.find("could not be listed")) << v.error;
}

TEST(PJobGuardTest, PrintersOfOtherMachinesMustBeInstalled)
{
    Site site;
    expectAllowed(site, {
                            "-open r.txt -printername \\\\printhost\\Office",
                            "-open r.txt -printername \"\\\\printhost\\Office\"",
                            "-open r.txt -printername \"Virtual A4\"",
                            "-open r.txt -printername Unknown",
                            // The print program fails on the missing value itself.
                            "-open r.txt -printername",
                        });
    EXPECT_EQ(2, site.printersAsked) << "only the two remote names need the list";
    expectRefused(site,
                  {
                      "-open r.txt -printername \\\\attacker\\share",
                      "-open r.txt -printername \\\\PRINTHOST\\Office",
                      "-open r.txt -printername \\\\printhost\\Office\\",
                      "-open r.txt -printername \\\\printhost\\office",
                      "-open r.txt -printername //attacker/share",
                      "-open r.txt -printername \\/attacker\\share",
                      "-open r.txt -printername \" \\\\attacker\\share\"",
                      "-open r.txt -printername \\\\?\\UNC\\attacker\\share",
                      "-open r.txt -printername \\\\10.0.0.9\\p",
                      "-open r.txt -docname -printername \\\\attacker\\p",
                      "-open r.txt -printername \\\\printhost\\Office -printername \\\\attacker\\p",
                  },
                  "Refused -printername");
    const Verdict v = judge(site, "-open r.txt -printername \\\\attacker\\share");
    EXPECT_NE(std::string::npos, v.description.find("prntlist.txt"));
}

TEST(PJobGuardTest, AnOpenHiddenFromTheServerIsRefused)
{
    Site site;
    expectAllowed(site, {
                            "-open a.txt -open b.txt",
                            "-docname -open x.txt",
                            "\"-open\" x.txt",
                            "-open -printlist",
                        });
    expectRefused(site,
                  {
                      "-listenaddr -open C:\\secret.txt",
                      "-logfile -open C:\\secret.txt",
                      "-open x.txt -logfile -open C:\\secret.txt",
                      "-allowrun -open C:\\secret.txt",
                      "-open -open C:\\secret.txt",
                      "-response -open C:\\secret.txt",
                  },
                  "Refused -open");
    const Verdict v = judge(site, "-listenaddr -open C:\\secret.txt");
    EXPECT_EQ(0u, v.error.find("Refused -open as argument 2:")) << v.error;
}

TEST(PJobGuardTest, ALineTheServerCannotParseIsRefused)
{
    Site site;
    expectRefused(site, {"-printlist -open", "-open r.txt -response", "-logfile", "-clienttimeout x",
                          "-clienttimeout -open C:\\secret.txt"},
                  "could not parse");
}

// The print program reads only the head of its command file: the last token it sees may
// be cut from a longer one the server saw whole.
TEST(PJobGuardTest, TheCutOfThePrintProgramIsCheckedToo)
{
    Site site;
    site.allowRun = {UString("default")};
    auto padded = [](const std::string& head, const std::string& tail) {
        // head, then harmless options up to a blank right before the cut minus tail.
        const size_t limit = PJobGuard::kPrintProgramReads - tail.size();
        std::string line = head;
        while (line.size() + 9 < limit)
            line += " -hcenter";
        line.resize(limit, ' ');
        return line + tail;
    };
    // The first 5000 bytes end in "-copy abc.exe": the print program copies to abc.exe.
    const std::string cutToExe = padded("-open r.txt -run default", "-copy abc.exe") + ".txt";
    ASSERT_EQ(5000u + 4u, cutToExe.size());
    expectRefused(site, {cutToExe}, "extension");
    // "-openNOW" whole for the server, "-open" for the print program.
    expectRefused(site, {padded("-open r.txt", "-open") + "NOW C:\\secret.txt"}, "Refused -open");
    expectRefused(site, {padded("-open r.txt", "-cmdfile") + "x y.ini"}, "Refused -cmdfile");
    // A quoted value cut before its closing quote loses its last character instead.
    expectRefused(site, {padded("-open r.txt -run default", "-copy \"x.exe.") + "txt\""}, "extension");
    // The same lines with the tail inside the head are ordinary.
    expectAllowed(site, {padded("-open r.txt -run default", "-copy abc.exe.txt"),
                         padded("-open r.txt", "-hcenter") + " -hcenter -hcenter"});
}

TEST(PJobGuardTest, TextsOfTheClientCannotForgeLogLines)
{
    Site site;
    const Verdict v = judge(site, "-open r.txt -run \"x\r\nError: forged\"");
    EXPECT_EQ("Refused -run 'x??Error: forged': this server allows no such program for printer clients", v.error);
    const Verdict longName = judge(site, "-open r.txt -copy " + std::string(300, 'a') + "\\x");
    EXPECT_EQ(std::string::npos, longName.error.find(std::string(81, 'a')));
    EXPECT_NE(std::string::npos, longName.error.find(std::string(80, 'a') + "...'"));
}

TEST(PJobGuardTest, PlainNames)
{
    EXPECT_EQ(nullptr, PJobGuard::plainNameFault("out.txt"));
    EXPECT_EQ(nullptr, PJobGuard::plainNameFault("a"));
    EXPECT_EQ(nullptr, PJobGuard::plainNameFault("nul_x.txt"));
    EXPECT_EQ(nullptr, PJobGuard::plainNameFault("com.txt"));
    EXPECT_EQ(nullptr, PJobGuard::plainNameFault("exe"));
    EXPECT_EQ(nullptr, PJobGuard::plainNameFault("x.exe_"));
    EXPECT_NE(nullptr, PJobGuard::plainNameFault(""));
    EXPECT_NE(nullptr, PJobGuard::plainNameFault("caf\xe9.txt"));
    EXPECT_NE(nullptr, PJobGuard::plainNameFault("x\t.txt"));
    EXPECT_NE(nullptr, PJobGuard::plainNameFault("lpt0"));
}

TEST(PJobGuardTest, ThePrinterListIsReadLineByLine)
{
    testsupport::TempDir dir(true);
    std::vector<UString> lines;
    EXPECT_FALSE(PJobGuard::readPrinterList(lines)) << "no prntlist.txt";
    testsupport::writeFile("prntlist.txt", "Virtual A4\n\\\\host\\p\r\nlast");
    ASSERT_TRUE(PJobGuard::readPrinterList(lines));
    ASSERT_EQ(3u, lines.size());
    EXPECT_STREQ("Virtual A4", lines[0].str());
    EXPECT_STREQ("\\\\host\\p", lines[1].str());
    EXPECT_STREQ("last", lines[2].str());

    testsupport::writeFile("Report.TXT", "x");
    std::vector<UString> names;
    ASSERT_TRUE(PJobGuard::listDirectory(names));
    bool found = false;
    for (const UString& n : names)
        found = found || n == "Report.TXT";
    EXPECT_TRUE(found);
}
