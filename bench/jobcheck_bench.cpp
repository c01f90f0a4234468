// Job-check benchmark: how long the server takes to split, parse and check one client
// command line before a job is staged, against the line's length and against the number
// of files in the server's directory. The check must grow in proportion to the line and
// not with the directory: a 1 MiB line is checked in well under a tenth of a second.
//
//   jobcheck_bench
//
// Two kinds of line: "-open a " repeated (every -open taken by the server's parse) and
// "-copy a " repeated (every -copy value looked up in the directory). The directory is a
// list in memory, so no file is written. Figures are the best of three runs in milliseconds,
// the parse (split and option record, as staging does it) apart from the check.
#include "server/KeltoCmdLine.h"
#include "server/PJobGuard.h"
#include "server/PJobStaging.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string repeated(const char* piece, size_t bytes)
{
    std::string line;
    while (line.size() < bytes)
        line += piece;
    line.resize(bytes);
    return line;
}

struct Times {
    double parse = 1e9; // split and parse by the server's option record
    double check = 1e9; // the job check alone
};

// Milliseconds for one job's parse and check, each the best of three.
Times measure(const std::string& line, int files, bool& allowed)
{
    std::vector<UString> names;
    for (int i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "File%05d.txt", i);
        names.push_back(UString(name));
    }
    const std::vector<UString> allowRun;
    Times best;
    for (int round = 0; round < 3; ++round) {
        const UString text(line.c_str());
        KeltoCmdLine job;
        const auto start = std::chrono::steady_clock::now();
        allowed = PJobStaging::prepareJobOptions(text, job, UString("1."));
        const auto parsed = std::chrono::steady_clock::now();
        PJobGuard guard(
            allowRun,
            [&](std::vector<UString>& out) {
                out = names;
                return true;
            },
            [](std::vector<UString>&) { return true; });
        allowed = allowed && guard.check(text, job);
        const std::chrono::duration<double, std::milli> parse = parsed - start;
        const std::chrono::duration<double, std::milli> check = std::chrono::steady_clock::now() - parsed;
        best.parse = std::min(best.parse, parse.count());
        best.check = std::min(best.check, check.count());
    }
    return best;
}

} // namespace

int main()
{
    std::printf("time against length (1000 files in the directory), ms\n");
    std::printf("%10s %12s %12s %12s %12s\n", "bytes", "-open parse", "-open check", "-copy parse", "-copy check");
    for (size_t kib = 64; kib <= 1024; kib *= 2) {
        bool openAllowed = false;
        bool copyAllowed = false;
        const Times open = measure(repeated("-open a ", kib * 1024), 1000, openAllowed);
        const Times copy = measure(repeated("-copy a ", kib * 1024), 1000, copyAllowed);
        std::printf("%10zu %12.2f %12.2f %12.2f %12.2f%s\n", kib * 1024, open.parse, open.check, copy.parse,
                    copy.check, openAllowed && copyAllowed ? "" : "  (refused: the bench's lines should pass)");
    }
    std::printf("\ntime against directory size (-copy a, 1 MiB line), ms\n");
    std::printf("%10s %12s %12s\n", "files", "parse", "check");
    const std::string line = repeated("-copy a ", 1024 * 1024);
    for (int files : {1, 10, 100, 1000, 10000, 50000}) {
        bool allowed = false;
        const Times t = measure(line, files, allowed);
        std::printf("%10d %12.2f %12.2f%s\n", files, t.parse, t.check, allowed ? "" : "  (refused)");
    }
    return 0;
}
