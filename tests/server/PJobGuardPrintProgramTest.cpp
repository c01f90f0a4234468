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

using Words = std::vector<std::string>;

// Mostly an option with a value of its kind, some fine, some not; now and then a word of any
// kind, glued to the last one or after two blanks; now and then the rest lands across the cut.
std::string randomLine(std::mt19937& random)
{
    static const Words options = {"-open", "-cmdfile", "-run", "-copy", "-response", "-printername", "-listenaddr",
                                  "-logfile", "-docname", "-allowrun", "-clienttimeout"};
    static const Words values = {"default", "Default", "cmd.exe", "new.txt", "New.TXT", "fresh", "prntlist.txt",
                                 "PRNTLIST.TXT", "x.exe", "nul", "C:\\secret.txt", "\\\\host\\p", "\\\\printhost\\Office",
                                 "\"\\\\printhost\\Office\"", "\"Virtual A4\"", "LONG~1.TXT", "x.", "new.exe.txt",
                                 "fresh.comment", "nul.x", "\\\\printhost\\Office2"};
    static const Words others = {"-open", "-run", "-copy", "-response", "-cmdfile", "-Open", "-run\t", "-view",
                                 "\"-run\"", "\"-open", "\"-copy\"x", "\"a b\"", "\"", "", "default", "-openly"};
    auto pick = [&](const Words& from) { return from[random() % from.size()]; };
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

// A plain name, of no file of the test's directory whatever the case.
bool isNew(std::string name)
{
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return PJobGuard::plainNameFault(name) == nullptr && name != "prntlist.txt" && name != "draxome.exe";
}

} // namespace

TEST(PJobGuardPrintProgram, WhatPassesStaysWithinTheRules)
{
    testsupport::LogCapture log;
    testsupport::TempDir dir(true);
    testsupport::writeFile("prntlist.txt", "x");
    testsupport::writeFile("draxome.exe", "x");
    const UString stamp("7."), commandFile = PJobStaging::commandFileName(stamp);
    std::mt19937 random(2024);
    int allowed = 0, ran = 0, copied = 0, remote = 0, opened = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string line = randomLine(random);
        const UString text(line.c_str());
        KeltoCmdLine job;
        PJobGuard guard({UString("default"), UString("fresh")}, PJobGuard::listDirectory,
                        [](std::vector<UString>& lines) { return lines = {UString("\\\\printhost\\Office")}, true; });
        auto print = std::make_unique<PrintArgs>();
        if (!PJobStaging::prepareJobOptions(text, job, stamp) || !guard.check(text, job) ||
            PJobStaging::writeCommandFile(commandFile, text.str()) != PJobStaging::Written ||
            print->parse(std::strchr(PJobStaging::launchLine(commandFile, job).str(), ' ') + 1) != 0)
            continue; // refused, or the print program ends without doing anything
        ++allowed;
        SCOPED_TRACE(line);
        EXPECT_STREQ(commandFile.str(), print->cmdfile) << "no command file of the client's";
        EXPECT_STREQ(job.openFile.isEmpty() ? "" : PJobStaging::jobFileName(stamp).str(), print->filename);
        opened += !job.openFile.isEmpty();
        ran += print->run;
        EXPECT_TRUE(!print->run || std::strcmp("default", print->runcommand) == 0 ||
                    std::strcmp("fresh", print->runcommand) == 0);
        copied += print->copy;
        EXPECT_TRUE(!print->copy || isNew(print->copytarget)) << print->copytarget;
        EXPECT_TRUE(!print->response || isNew(print->responsepath)) << print->responsepath;
        EXPECT_TRUE(!job.response || isNew(job.responseFile.str())) << "the server deletes it after sending";
        const char* p = print->printername;
        const bool isRemote = (p[0] == '\\' || p[0] == '/') && (p[1] == '\\' || p[1] == '/');
        remote += isRemote;
        EXPECT_TRUE(!isRemote || std::strcmp("\\\\printhost\\Office", p) == 0) << p;
    }
    // The lines reach every kind of job, or this test would prove little.
    EXPECT_TRUE(allowed > 200 && allowed < 2800 && opened > 20 && ran > 5 && copied > 5 && remote > 2)
        << allowed << " " << opened << " " << ran << " " << copied << " " << remote;
}
