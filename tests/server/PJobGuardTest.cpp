// The safety rules of the job checks: every refused form and every allowed form, on a
// server directory and printer list of this test.
#include "server/KeltoCmdLine.h"
#include "server/PJobGuard.h"
#include "server/PJobStaging.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Site {
    std::vector<UString> allowRun{UString("default"), UString("C:\\Program Files\\conv.exe")};
    bool directoryWorks = true;
    int directoryAsked = 0;
    int printersAsked = 0;
    std::string description;

    // "" when the line is allowed, else the refusal.
    std::string judge(const std::string& line)
    {
        testsupport::LogCapture quiet;
        KeltoCmdLine job;
        if (!PJobStaging::prepareJobOptions(UString(line.c_str()), job, UString("1.")))
            return "the server's parse refuses it";
        PJobGuard guard(
            allowRun,
            [this](std::vector<UString>& names) {
                ++directoryAsked;
                for (const char* f : {"draxome.exe", "draxomeServerLog.txt", "prntlist.txt", "tmpLog.3..txt",
                                      "LongReportName.txt"})
                    names.push_back(UString(f));
                return directoryWorks;
            },
            [this](std::vector<UString>& lines) {
                ++printersAsked;
                lines = {UString("Virtual A4"), UString("\\\\printhost\\Office")};
                return true;
            });
        const bool allowed = guard.check(UString(line.c_str()), job);
        EXPECT_EQ(allowed, guard.error().isEmpty()) << line;
        description = guard.description().str();
        return guard.error().str();
    }
};

// Harmless options up to the print program's cut, then tail across it.
std::string acrossTheCut(const std::string& head, const std::string& tail)
{
    std::string line = head;
    while (line.size() + 9 < PJobGuard::kPrintProgramReads - tail.size())
        line += " -hcenter";
    line.resize(PJobGuard::kPrintProgramReads - tail.size(), ' ');
    return line + tail;
}

} // namespace

TEST(PJobGuard, AllowsOrdinaryJobsAndTheAllowedFormsOnly)
{
    const std::string allowed[] = {
        "", "-open report.txt", "-open \"C:\\My Reports\\r 1.txt\" -printlist -fontlist -ver -reslist",
        "-open r.txt -printername \"Virtual A4\" -printername Unknown -printername", "-open r.txt -direct -view",
        // Option words inside a quoted value, after a tab, in other case or spelling are no options.
        "-open r.txt -banner \"-run cmd.exe -cmdfile x\"", "-open r.txt -run\tcmd.exe",
        "-open r.txt -Run cmd.exe -CMDFILE x -Copy C:\\x -run2 x --run x \"-runx\" x \"-cmdfile\"x -\"cmdfile\" x",
        "-run default -response answer.txt -run \"C:\\Program Files\\conv.exe\" -banner -run default",
        "-copy zZ.txt -copy \"A_b-c.1.txt\" -copy noextension -copy .hidden -copy report.exe.txt",
        "-copy console.txt -response nulls.txt -copy com10.txt -response lpt.txt -copy com.txt",
        "-printername \\\\printhost\\Office -printername \"\\\\printhost\\Office\"",
        "-open a.txt -open b.txt", "-docname -open x.txt", "-open r.txt -codepage utf-8 -graph", "\"-open\" x.txt", "-open -printlist",
        "-open r.txt -logfile C:\\anywhere\\log.txt", acrossTheCut("-open r.txt", "-hcenter") + " -hcenter",
        acrossTheCut("-open r.txt -run default", "-copy abc.exe.txt"),
    };
    Site site;
    for (const std::string& line : allowed)
        EXPECT_EQ("", site.judge(line)) << line;
    EXPECT_EQ(4, site.directoryAsked) << "listed once per job, and only for -copy and -response";
    EXPECT_EQ(1, site.printersAsked) << "asked for remote names only";
}

TEST(PJobGuard, RefusesEveryDangerousForm)
{
    const std::string runs = "Refused -run";
    const std::string cut = acrossTheCut("-open r.txt -run default", "-copy abc.exe") + ".txt";
    const std::pair<std::string, std::string> refused[] = {
        {"-cmdfile C:\\secret.txt", "Refused -cmdfile"}, {"-open r.txt -cmdfile", "Refused -cmdfile"},
        {"-docname -cmdfile x", "Refused -cmdfile"}, {"\"-cmdfile\" C:\\secret.txt", "Refused -cmdfile"},
        {"-open r.txt \"-cmdfilex", "Refused -cmdfile"},
        {"-run cmd.exe", "Refused -run 'cmd.exe': this server allows no such program for printer clients"},
        {"-run Default", runs}, {"-run \"default \"", runs}, {"-run C:\\Program Files\\conv.exe", runs},
        {"-run \"C:\\Program Files\\conv.exe\"x", runs}, {"-run default -run cmd.exe", runs},
        {"-run", "Refused -run without a program"}, {"-run  default", runs}, {"-docname -run cmd.exe", runs},
        {"-run -run default", runs}, {"\"-runx", runs},
        {"-copy C:\\x.txt", "Refused -copy 'C:\\x.txt': not a plain file name"}, {"-copy ..\\x.txt", "plain"},
        {"-copy sub/x.txt", "plain"}, {"-copy x.txt:hidden", "plain"}, {"-copy LONGRE~1.TXT", "plain"},
        {"-copy \"a b.txt\"", "plain"}, {"-copy caf\xe9.txt", "plain"}, {"-copy \"\"", "no file name"},
        {"-copy", "Refused -copy: no file name"}, {"-copy x.txt.", "ends with a dot"}, {"-copy ..", "dot"},
        {"-copy nul", "device name"}, {"-copy NUL.txt", "device"}, {"-copy prn.a.b", "device"},
        {"-copy COM9.txt", "device"}, {"-copy lpt0", "device"}, {"-copy Aux", "device"}, {"-copy Con.log", "device"},
        {"-copy X.EXE", "extension that Windows runs"}, {"-copy version.dll", "extension"},
        {"-copy run.Bat", "extension"}, {"-copy a.ps1", "extension"}, {"-copy draxome.exe.manifest", "extension"},
        {"-copy draxome.exe.local", "extension"}, {"-copy a.settingcontent-ms", "extension"}, {"-copy .exe", "exten"},
        {"-response PRNTLIST.TXT", "Refused -response 'PRNTLIST.TXT': a file of that name exists in the server's "
                                   "directory"},
        {"-copy tmpLog.3..txt", "exists"}, {"-copy longreportname.txt", "exists"},
        {"-docname -response C:\\x", "plain"},
        {"-printername \\\\attacker\\share", "Refused -printername '\\\\attacker\\share': a printer of another "
                                             "machine that is not installed on this server"},
        {"-printername \\\\PRINTHOST\\Office", "printername"}, {"-printername //attacker/share", "printername"},
        {"-printername \\/a\\s", "printername"}, {"-printername \" \\\\attacker\\share\"", "printername"},
        {"-printername \\\\?\\UNC\\a\\s", "printername"}, {"-docname -printername \\\\a\\p", "printername"},
        {"-listenaddr -open C:\\secret.txt", "Refused -open as argument 2: the server reads it as the value of "
                                             "another option"},
        {"-open x -logfile -open C:\\s", "-open as argument 4"}, {"-allowrun -open C:\\s", "-open as"},
        {"-open -open C:\\s", "-open as"}, {"-response -open C:\\s", "-open as"},
        {"-printlist -open", "parse"}, {"-clienttimeout -open C:\\secret.txt", "parse"},
        // The print program reads only the head of its command file: the last token it sees may
        // be cut from a longer one the server saw whole.
        {cut, "Refused -copy 'abc.exe': a file name with an extension"},
        {acrossTheCut("-open r.txt", "-open") + "NOW C:\\secret.txt", "Refused -open as"},
        {acrossTheCut("-open r.txt", "-cmdfile") + "x y.ini", "Refused -cmdfile"},
        {acrossTheCut("-open r.txt -run default", "-copy \"x.exe.") + "txt\"", "extension"},
        // Texts of the client cannot forge log lines, nor fill them.
        {"-run \"x\r\nError: forged\"", "Refused -run 'x??Error: forged': "},
        {"-copy " + std::string(300, 'a') + "\\x", "Refused -copy '" + std::string(80, 'a') + "...': not"},
    };
    Site site;
    for (const auto& c : refused) {
        const std::string error = site.judge(c.first);
        EXPECT_NE(std::string::npos, error.find(c.second)) << c.first << "\n  refused: " << error;
        if (error != "the server's parse refuses it") {
            EXPECT_NE(std::string::npos, site.description.find("-trustclients")) << c.first;
        }
    }
    Site broken;
    broken.directoryWorks = false;
    EXPECT_EQ("Refused -copy 'a.txt': the server's directory could not be listed", broken.judge("-copy a.txt"));
}
