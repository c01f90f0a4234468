// The guard judges a line by how the print program will read it. These tests hold it
// against the print program's own option parser, so a change on either side that opens a
// gap between them fails here.

#include "common/UCmdLine.h"
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

using testsupport::TempDir;

std::vector<std::string> serverSplit(const std::string& text)
{
    int argc = 0;
    char** argv = nullptr;
    EXPECT_TRUE(UCmdLine::getArgcArgv(UString(text.c_str()), argc, argv));
    std::vector<std::string> out(argv, argv + argc);
    UCmdLine::releaseArgcArgv(argc, argv);
    return out;
}

std::vector<std::string> printSplit(const std::string& text)
{
    int argc = 0;
    char** argv = nullptr;
    EXPECT_EQ(0, retrive_argcargv(text.c_str(), argc, argv));
    std::vector<std::string> out(argv, argv + argc);
    release_argcargv(argc, argv);
    return out;
}

bool sameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Random command lines made of the words that matter, glued or spaced in odd ways, some of
// them long enough for the print program's cut to fall somewhere inside.
class LineMaker {
public:
    explicit LineMaker(unsigned seed) : mRandom(seed) {}

    std::string next()
    {
        // Mostly an option with a value of its kind, some of them fine, some not; now and
        // then a word of any kind, glued to the last one or after two blanks.
        static const char* const options[] = {
            "-open", "-cmdfile", "-run", "-copy", "-response", "-printername", "-listenaddr", "-logfile",
            "-docname", "-banner", "-allowrun", "-clienttimeout", "-pages",
        };
        static const char* const values[] = {
            "default", "Default", "cmd.exe", "new.txt", "New.TXT", "fresh", "prntlist.txt", "PRNTLIST.TXT",
            "x.exe", "nul", "C:\\secret.txt", "\\\\host\\p", "\\\\printhost\\Office",
            "\"\\\\printhost\\Office\"", "\"Virtual A4\"", "out.bat", "LONG~1.TXT", "a.txt:s", "x.", "1-3",
            // Fine whole, not when the cut shortens them.
            "new.exe.txt", "fresh.comment", "nul.x", "\\\\printhost\\Office2",
        };
        static const char* const words[] = {
            "-open", "-run", "-copy", "-response", "-cmdfile", "-Open", "-run\t", "-view", "-ver", "-printlist",
            "\"-run\"", "\"-open", "\"-copy\"x", "\"a b\"", "\"", "\"\"", "", "default", "new.txt", "-openly", "-cmdfiles", "-runs",
        };
        const int count = static_cast<int>(pick(6)) + 1;
        std::string line;
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                const unsigned gap = pick(30);
                line += gap == 0 ? "" : gap == 1 ? "  " : " ";
            }
            if (pick(4) == 0) {
                line += words[pick(sizeof words / sizeof words[0])];
            } else {
                line += options[pick(sizeof options / sizeof options[0])];
                line += " ";
                line += values[pick(sizeof values / sizeof values[0])];
            }
            // Now and then the rest of the line lands across the print program's cut.
            if (pick(30) == 0 && line.size() < 4900) {
                const size_t to = 4985 + pick(20);
                while (line.size() + 9 < to)
                    line += " -hcenter";
                line.resize(to, ' ');
            }
        }
        return line;
    }

private:
    unsigned pick(size_t n) { return static_cast<unsigned>(mRandom() % n); }

    std::mt19937 mRandom;
};

} // namespace

TEST(PJobGuardPrintProgramTest, BothSplittersGiveTheSameTokens)
{
    const char* const lines[] = {
        "",
        " ",
        "  a  ",
        "\"",
        "\"\"",
        "\"\"\"",
        "\"a b\" c",
        "\"a b\"c d",
        "a\"b c\"d e",
        "x \"\" y",
        "\"unterminated stretch",
        "-run\t-cmdfile x\r\n-y",
        "\"-open\" \"-open",
    };
    for (const char* line : lines)
        EXPECT_EQ(serverSplit(line), printSplit(line)) << line;
    LineMaker maker(7);
    for (int i = 0; i < 3000; ++i) {
        const std::string line = maker.next();
        ASSERT_EQ(serverSplit(line), printSplit(line)) << line;
    }
}

TEST(PJobGuardPrintProgramTest, TheGuardReadsAsMuchAsThePrintProgram)
{
    EXPECT_EQ(PrintArgs::kCmdfileLimit, PJobGuard::kPrintProgramReads);
}

// Every line the guard lets through is staged as the server stages it and parsed by the
// print program's parser; what the print program would then do must stay within the rules.
TEST(PJobGuardPrintProgramTest, WhatPassesStaysWithinTheRules)
{
    testsupport::LogCapture log;
    TempDir dir(true);
    for (const char* name : {"draxome.exe", "draxomeServerLog.txt", "prntlist.txt", "version.txt", "other.log"})
        testsupport::writeFile(name, "x");
    std::vector<UString> before;
    ASSERT_TRUE(PJobGuard::listDirectory(before));
    const std::vector<UString> allowRun{UString("default"), UString("fresh")};
    const std::vector<std::string> printers{"Virtual A4", "\\\\printhost\\Office"};
    const UString stamp("7.");
    const UString commandFile = PJobStaging::commandFileName(stamp);

    auto isNew = [&](const char* name) {
        if (PJobGuard::plainNameFault(name) != nullptr)
            return false;
        for (const UString& n : before) {
            if (sameIgnoringCase(n.str(), name))
                return false;
        }
        return true;
    };

    LineMaker maker(2024);
    int allowed = 0, refused = 0, ran = 0, copied = 0, responded = 0, remote = 0, opened = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string line = maker.next();
        const UString text(line.c_str());
        KeltoCmdLine job;
        const bool parsed = PJobStaging::prepareJobOptions(text, job, stamp);
        PJobGuard guard(allowRun, PJobGuard::listDirectory, [&](std::vector<UString>& lines) {
            for (const auto& p : printers)
                lines.push_back(UString(p.c_str()));
            return true;
        });
        if (!parsed || !guard.check(text, job)) {
            ++refused;
            continue;
        }
        ++allowed;
        SCOPED_TRACE(line);
        // The server deletes the response file after sending it.
        if (job.response) {
            EXPECT_TRUE(isNew(job.responseFile.str())) << job.responseFile.str();
        }

        ASSERT_EQ(PJobStaging::Written, PJobStaging::writeCommandFile(commandFile, text.str()));
        const UString launch = PJobStaging::launchLine(commandFile, job);
        const char* afterProgram = std::strchr(launch.str(), ' ') + 1;
        auto print = std::make_unique<PrintArgs>();
        if (print->parse(afterProgram) != 0)
            continue; // the print program ends without doing anything
        EXPECT_STREQ(commandFile.str(), print->cmdfile) << "no command file of the client's";
        if (job.openFile.isEmpty()) {
            EXPECT_STREQ("", print->filename);
        } else {
            ++opened;
            EXPECT_STREQ(PJobStaging::jobFileName(stamp).str(), print->filename);
        }
        if (print->run) {
            ++ran;
            EXPECT_TRUE(std::strcmp("default", print->runcommand) == 0 || std::strcmp("fresh", print->runcommand) == 0)
                << print->runcommand;
        }
        if (print->copy) {
            ++copied;
            EXPECT_TRUE(isNew(print->copytarget)) << print->copytarget;
        }
        if (print->response) {
            ++responded;
            EXPECT_TRUE(isNew(print->responsepath)) << print->responsepath;
        }
        const char* p = print->printername;
        if ((p[0] == '\\' || p[0] == '/') && (p[1] == '\\' || p[1] == '/')) {
            ++remote;
            EXPECT_STREQ("\\\\printhost\\Office", p);
        }
    }
    // The lines reach every kind of job, or this test would prove little.
    EXPECT_GT(allowed, 200);
    EXPECT_GT(refused, 200);
    EXPECT_GT(opened, 20);
    EXPECT_GT(ran, 5);
    EXPECT_GT(copied, 5);
    EXPECT_GT(responded, 5);
    EXPECT_GT(remote, 2);
}
