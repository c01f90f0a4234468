// The guard judges a line by how the print program will read it. This test holds it against
// the print program's own option parser, so a change on either side that opens a gap between
// them fails here: every line the guard lets through is staged as the server stages it and
// parsed by the print program; what the print program would then do must stay within the rules.
#include "print/PrintArgs.h"
#include "server/KeltoCmdLine.h"
#include "server/PJobGuard.h"
#include "server/PJobStaging.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> words(const std::string& text)
{
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == '|')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

// Mostly an option with a value of its kind, some fine, some not; now and then a word of any
// kind, glued to the last one or after two blanks; now and then the rest lands across the cut.
std::string randomLine(std::mt19937& random)
{
    static const auto options = words("-open|-cmdfile|-run|-copy|-response|-printername|-listenaddr|-logfile|"
                                      "-docname|-allowrun|-clienttimeout");
    static const auto values = words("default|Default|cmd.exe|new.txt|New.TXT|fresh|prntlist.txt|PRNTLIST.TXT|x.exe|"
                                     "nul|C:\\secret.txt|\\\\host\\p|\\\\printhost\\Office|\"\\\\printhost\\"
                                     "Office\"|\"Virtual A4\"|LONG~1.TXT|x.|new.exe.txt|fresh.comment|nul.x|"
                                     "\\\\printhost\\Office2");
    static const auto others = words("-open|-run|-copy|-response|-cmdfile|-Open|-run\t|-view|\"-run\"|\"-open|"
                                     "\"-copy\"x|\"a b\"|\"||default|new.txt|-openly");
    auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    std::string line;
    for (unsigned i = 0, count = random() % 6 + 1; i < count; ++i) {
        const unsigned gap = random() % 30;
        line += i == 0 || gap == 0 ? "" : gap == 1 ? "  " : " ";
        line += random() % 4 == 0 ? pick(others) : pick(options) + " " + pick(values);
        if (random() % 30 == 0 && line.size() < 4900) {
            const size_t to = 4985 + random() % 20;
            while (line.size() + 9 < to)
                line += " -hcenter";
            line.resize(to, ' ');
        }
    }
    return line;
}

} // namespace

TEST(PJobGuardPrintProgram, WhatPassesStaysWithinTheRules)
{
    testsupport::LogCapture log;
    testsupport::TempDir dir(true);
    for (const char* name : {"draxome.exe", "draxomeServerLog.txt", "prntlist.txt", "version.txt"})
        testsupport::writeFile(name, "x");
    const std::vector<UString> allowRun{UString("default"), UString("fresh")};
    const UString stamp("7.");
    const UString commandFile = PJobStaging::commandFileName(stamp);
    auto isNew = [](std::string name) {
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return PJobGuard::plainNameFault(name) == nullptr && name != "prntlist.txt" && name != "version.txt" &&
               name != "draxome.exe" && name != "draxomeserverlog.txt";
    };
    std::mt19937 random(2024);
    int allowed = 0, refused = 0, ran = 0, copied = 0, remote = 0, opened = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string line = randomLine(random);
        const UString text(line.c_str());
        KeltoCmdLine job;
        PJobGuard guard(allowRun, PJobGuard::listDirectory, [](std::vector<UString>& lines) {
            lines = {UString("Virtual A4"), UString("\\\\printhost\\Office")};
            return true;
        });
        if (!PJobStaging::prepareJobOptions(text, job, stamp) || !guard.check(text, job)) {
            ++refused;
            continue;
        }
        ++allowed;
        SCOPED_TRACE(line);
        ASSERT_EQ(PJobStaging::Written, PJobStaging::writeCommandFile(commandFile, text.str()));
        const UString launch = PJobStaging::launchLine(commandFile, job);
        auto print = std::make_unique<PrintArgs>();
        if (print->parse(std::strchr(launch.str(), ' ') + 1) != 0)
            continue; // the print program ends without doing anything
        EXPECT_STREQ(commandFile.str(), print->cmdfile) << "no command file of the client's";
        EXPECT_STREQ(job.openFile.isEmpty() ? "" : PJobStaging::jobFileName(stamp).str(), print->filename);
        opened += !job.openFile.isEmpty();
        if (print->run) {
            ++ran;
            EXPECT_TRUE(std::strcmp("default", print->runcommand) == 0 || std::strcmp("fresh", print->runcommand) == 0);
        }
        copied += print->copy;
        EXPECT_TRUE(!print->copy || isNew(print->copytarget)) << print->copytarget;
        EXPECT_TRUE(!print->response || isNew(print->responsepath)) << print->responsepath;
        EXPECT_TRUE(!job.response || isNew(job.responseFile.str())) << "the server deletes it after sending";
        const char* p = print->printername;
        if ((p[0] == '\\' || p[0] == '/') && (p[1] == '\\' || p[1] == '/')) {
            ++remote;
            EXPECT_STREQ("\\\\printhost\\Office", p);
        }
    }
    // The lines reach every kind of job, or this test would prove little.
    EXPECT_TRUE(allowed > 200 && refused > 200 && opened > 20 && ran > 5 && copied > 5 && remote > 2)
        << allowed << " " << refused << " " << opened << " " << ran << " " << copied << " " << remote;
}
