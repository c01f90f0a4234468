// Layout benchmark: a document read, laid out, paginated and drawn by the job object on a
// device that draws nothing, so the figures are the job's own work.
//
//   layout_bench            both documents, each in a process of its own
//   layout_bench report     a generated report of 100,000 lines of 132 columns in code page
//                           437 box frames, printed with -graph
//   layout_bench short      a million short lines and one line of 999 characters
//
// It prints lines per second for the two passes over the document (layout) and for the
// print loop (draw), and the process's peak memory next to what one buffer per line of
// the longest line's size would have needed. Each document runs in a process of its own so
// that its peak is its own. The document is written to the current directory and removed.
#include "bench/NullDevice.h"
#include "bench/PeakMemory.h"
#include "common/ULog.h"
#include "print/PrintArgs.h"
#include "print/Printfile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kReportLines = 100000;
const int kShortLines = 1000000;

double secondsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double mb(long long bytes) { return bytes / (1024.0 * 1024.0); }

// A row of the report's frame: left corner, cells of fill, joints between them, right.
std::string border(char left, char joint, char right, char fill, const std::vector<int>& widths)
{
    std::string s(1, left);
    for (size_t i = 0; i < widths.size(); ++i) {
        s.append(static_cast<size_t>(widths[i]), fill);
        s += i + 1 < widths.size() ? joint : right;
    }
    return s;
}

std::string cells(const std::vector<std::string>& texts, const std::vector<int>& widths, char bar)
{
    std::string s(1, bar);
    for (size_t i = 0; i < widths.size(); ++i) {
        std::string t = " " + texts[i];
        t.resize(static_cast<size_t>(widths[i]), ' ');
        s += t;
        s += bar;
    }
    return s;
}

// Blocks of 25 lines: a frame with a header, a "=" rule under it, and twenty rows of
// figures with a separator every five rows. Every line is 132 columns.
bool writeReport(const char* name)
{
    std::FILE* f = std::fopen(name, "wb");
    if (f == nullptr)
        return false;
    const std::vector<int> w { 8, 60, 20, 20, 18 };
    const char V = '\xb3', H = '\xc4';
    const std::string top = border('\xda', '\xc2', '\xbf', H, w);
    const std::string middle = border('\xc3', '\xc5', '\xb4', H, w);
    const std::string bottom = border('\xc0', '\xc1', '\xd9', H, w);
    const std::string header = cells({ "No.", "Description", "Quantity", "Unit price", "Amount" }, w, V);
    const std::string rule = border('|', '|', '|', '=', w);
    char a[32], b[32], c[32], d[32], e[32];
    int written = 0;
    bool ok = true;
    for (int block = 0; ok && written < kReportLines; ++block) {
        std::vector<std::string> rows { top, header, rule };
        for (int r = 0; r < 20; ++r) {
            const int n = block * 20 + r;
            std::snprintf(a, sizeof a, "%06d", n % 1000000);
            std::snprintf(b, sizeof b, "Article %d, batch %d", n % 9973, n % 97);
            std::snprintf(c, sizeof c, "%d", n % 500 + 1);
            std::snprintf(d, sizeof d, "%d.%02d", n % 300, n % 100);
            std::snprintf(e, sizeof e, "%d.%02d", (n % 500 + 1) * (n % 300), n % 100);
            rows.push_back(cells({ a, b, c, d, e }, w, V));
            if (r % 5 == 4 && r < 19)
                rows.push_back(middle);
        }
        rows.push_back(bottom);
        for (const std::string& row : rows) {
            if (written == kReportLines)
                break;
            ok = std::fwrite(row.data(), 1, row.size(), f) == row.size() && std::fwrite("\r\n", 1, 2, f) == 2;
            ++written;
        }
    }
    return std::fclose(f) == 0 && ok;
}

bool writeShortLines(const char* name)
{
    std::FILE* f = std::fopen(name, "wb");
    if (f == nullptr)
        return false;
    const std::string longLine(999, 'L');
    bool ok = true;
    for (int i = 0; ok && i < kShortLines; ++i) {
        if (i == kShortLines / 2)
            ok = std::fprintf(f, "%s\n", longLine.c_str()) > 0;
        ok = ok && std::fprintf(f, "%d\n", i) > 0;
    }
    return std::fclose(f) == 0 && ok;
}

template <size_t N>
void setText(char (&field)[N], const char* value)
{
    std::snprintf(field, N, "%s", value);
}

int runCase(const std::string& which)
{
    const bool report = which == "report";
    const char* name = report ? "layout_bench_report.txt" : "layout_bench_short.txt";
    if (!(report ? writeReport(name) : writeShortLines(name))) {
        std::fprintf(stderr, "layout_bench: cannot write %s\n", name);
        return 1;
    }
    ULog::setStyle(ULog::PrintStyle);
    ULog::setStream(UString("layout_bench.log"), 0);
    setText(args.printername, "null device");
    setText(args.filename, name);
    args.graph = report ? 1 : 0;
    const long long before = PeakMemory::currentBytes();

    int result = 0;
    {
        NullDevice device;
        Printfile job;
        const auto t0 = std::chrono::steady_clock::now();
        if (job.openFile() != 0) {
            result = 1;
        } else {
            job.attachDevice(&device);
            result = job.layout();
        }
        const double layoutSeconds = secondsSince(t0);
        const auto t1 = std::chrono::steady_clock::now();
        if (result == 0)
            result = job.draxome(-1);
        const double drawSeconds = secondsSince(t1);
        const long long peak = PeakMemory::peakBytes();
        if (result != 0) {
            std::fprintf(stderr, "layout_bench: the job failed; see layout_bench.log\n");
        } else {
            const double lines = job.document().totalLines();
            const double padded = lines * (job.document().maxLength() + 1) + lines * sizeof(char*);
            std::printf("%s: %d lines, longest %d, %d pages, font width %d%s\n", which.c_str(), job.document().totalLines(),
                job.document().maxLength(), job.pageCount(), job.page().fontWidth, report ? ", -graph" : "");
            std::printf("  layout (read twice, fit, paginate): %8.3f s  %12.0f lines/s\n", layoutSeconds,
                lines / layoutSeconds);
            std::printf("  draw (print loop on a null device): %8.3f s  %12.0f lines/s  (%lld texts, %lld strokes)\n",
                drawSeconds, lines / drawSeconds, device.texts(), device.strokes());
            std::printf("  whole job:                          %8.3f s  %12.0f lines/s\n", layoutSeconds + drawSeconds,
                lines / (layoutSeconds + drawSeconds));
            std::printf("  peak memory %.1f MB (%.1f MB before the job); one buffer per line of the longest "
                        "line's size would need %.1f MB\n",
                mb(peak), mb(before), mb(static_cast<long long>(padded)));
        }
    }
    std::remove(name);
    return result == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "report") == 0 || std::strcmp(argv[1], "short") == 0))
        return runCase(argv[1]);
    if (argc != 1) {
        std::fprintf(stderr, "usage: layout_bench [report|short]\n");
        return 2;
    }
    // A process of its own for each document, so each peak belongs to its document alone.
    int failed = 0;
    for (const char* which : { "report", "short" }) {
        std::fflush(stdout);
        const std::string command = std::string("\"") + argv[0] + "\" " + which;
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "layout_bench: the %s case failed\n", which);
            failed = 1;
        }
    }
    return failed;
}
