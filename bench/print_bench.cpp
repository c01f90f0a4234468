// Print benchmark: a framed report of 100 pages of 133 columns printed on a real printer
// driver (the project's virtual A4 PostScript printer under Wine), by the print program
// without and with -graph and by a floor program that asks the driver for the least it can.
//
//   print_bench DRAXOME_EXE
//
// Everything prints on the default printer, which the benchmark names "Virtual A4" (the
// programs are started with their arguments joined by blanks, so no argument holds one).
// For each it prints the seconds the job took (the program started, the document printed,
// the program ended), the PostScript the driver spooled (the growth of the spool directory,
// $DRAXOME_SPOOL_DIR), the strokes and texts per page it asked for, and its ratio to the
// floor in time and in bytes. The print program's counts come from running the same job
// in this process on a device that only counts; the floor's from what it draws. The
// document is written to the current directory and left there.
#include "bench/NullDevice.h"
#include "bench/PrintFloor.h"
#include "common/UDirListing.h"
#include "common/ULog.h"
#include "common/UProcess.h"
#include "print/PrintArgs.h"
#include "print/Printfile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kReport = "print_bench_report.txt";
const int kPages = 100;
const int kColumns = 133;

// A page: a frame of eight columns (nine column rules) with a header, a rule under it,
// six groups of nine rows between five separators: eight horizontal rules, 63 lines.
std::vector<std::string> reportPage(int page)
{
    const std::vector<int> w { 10, 30, 14, 14, 14, 14, 14, 14 };
    auto border = [&w](char left, char joint, char right) {
        std::string s(1, left);
        for (size_t i = 0; i < w.size(); ++i)
            s += std::string(static_cast<size_t>(w[i]), '\xc4') + (i + 1 < w.size() ? joint : right);
        return s;
    };
    auto row = [&w](const std::vector<std::string>& texts) {
        std::string s(1, '\xb3');
        for (size_t i = 0; i < w.size(); ++i) {
            std::string t = " " + texts[i];
            t.resize(static_cast<size_t>(w[i]), ' ');
            s += t + '\xb3';
        }
        return s;
    };
    std::vector<std::string> lines { border('\xda', '\xc2', '\xbf'),
        row({ "No.", "Description", "Quantity", "Unit price", "Amount", "Tax", "Total", "Account" }),
        border('\xc3', '\xc5', '\xb4') };
    char t[8][32];
    for (int g = 0; g < 6; ++g) {
        if (g > 0)
            lines.push_back(border('\xc3', '\xc5', '\xb4'));
        for (int r = 0; r < 9; ++r) {
            const int n = (page * 6 + g) * 9 + r;
            std::snprintf(t[0], sizeof t[0], "%06d", n);
            std::snprintf(t[1], sizeof t[1], "Article %d, batch %d", n % 9973, n % 97);
            std::snprintf(t[2], sizeof t[2], "%d", n % 500 + 1);
            std::snprintf(t[3], sizeof t[3], "%d.%02d", n % 300, n % 100);
            std::snprintf(t[4], sizeof t[4], "%d.%02d", (n % 500 + 1) * (n % 300), n % 100);
            std::snprintf(t[5], sizeof t[5], "%d.%02d", n % 77, n % 100);
            std::snprintf(t[6], sizeof t[6], "%d.%02d", n % 9000, n % 100);
            std::snprintf(t[7], sizeof t[7], "ACC-%04d", n % 4096);
            lines.push_back(row({ t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7] }));
        }
    }
    lines.push_back(border('\xc0', '\xc1', '\xd9'));
    return lines;
}

bool writeReport()
{
    std::FILE* f = std::fopen(kReport, "wb");
    if (f == nullptr)
        return false;
    bool ok = true;
    for (int p = 0; ok && p < kPages; ++p) {
        const std::vector<std::string> lines = reportPage(p);
        for (size_t i = 0; ok && i < lines.size(); ++i)
            ok = std::fprintf(f, "%s%s\r\n", lines[i].c_str(), i + 1 == lines.size() ? "\f" : "") > 0;
    }
    return std::fclose(f) == 0 && ok;
}

// The floor's page: the text with the frame blanked, and the frame's maximal runs. A box
// character has a horizontal arm unless it is a plain vertical, and a vertical arm unless it
// is a plain horizontal.
PrintFloor::Page floorPage(const std::vector<std::string>& lines)
{
    auto box = [](char c) { return static_cast<unsigned char>(c) >= 0xB3 && static_cast<unsigned char>(c) <= 0xDA; };
    auto across = [&box](char c) { return box(c) && c != '\xb3' && c != '\xba'; };
    auto down = [&box](char c) { return box(c) && c != '\xc4' && c != '\xcd'; };
    auto at = [&lines](size_t r, size_t c) { return c < lines[r].size() ? lines[r][c] : ' '; };
    PrintFloor::Page page;
    for (size_t r = 0; r < lines.size(); ++r) {
        std::string text = lines[r];
        for (char& c : text)
            c = box(c) ? ' ' : c;
        text.erase(text.find_last_not_of(' ') + 1);
        page.lines.push_back(text);
        for (size_t c = 0; c < lines[r].size();) {
            size_t end = c;
            while (end < lines[r].size() && across(lines[r][end]))
                ++end;
            if (end - c >= 2)
                page.strokes.push_back({ static_cast<int>(c), static_cast<int>(r), static_cast<int>(end - 1),
                    static_cast<int>(r) });
            c = end == c ? c + 1 : end;
        }
    }
    for (size_t c = 0; c < static_cast<size_t>(kColumns); ++c)
        for (size_t r = 0; r < lines.size();) {
            size_t end = r;
            while (end < lines.size() && down(at(end, c)))
                ++end;
            if (end - r >= 2)
                page.strokes.push_back({ static_cast<int>(c), static_cast<int>(r), static_cast<int>(c),
                    static_cast<int>(end - 1) });
            r = end == r ? r + 1 : end;
        }
    return page;
}

std::vector<PrintFloor::Page> floorPages()
{
    std::vector<PrintFloor::Page> pages;
    for (int p = 0; p < kPages; ++p)
        pages.push_back(floorPage(reportPage(p)));
    return pages;
}

// Bytes of all files in the spool directory, whose path is given in the Unix form Wine's
// drive Z: shows.
long long spoolBytes()
{
    const char* unix = std::getenv("DRAXOME_SPOOL_DIR");
    if (unix == nullptr)
        return -1;
    std::string dir = std::string("Z:") + unix + "\\";
    for (char& c : dir)
        c = c == '/' ? '\\' : c;
    long long total = 0;
    UDirListing listing;
    if (listing.open(dir.c_str()) != UDirListing::Opened)
        return 0;
    do {
        if (!listing.entry().directory)
            total += listing.entry().size;
    } while (listing.next());
    return total;
}

struct Figures {
    const char* name;
    double seconds = 0;
    long long bytes = 0;
    double strokes = 0;
    double texts = 0;
};

// Runs the program to its end: the seconds it took and the bytes it spooled, or false.
bool timeRun(std::vector<std::string> argv, Figures& f)
{
    std::vector<char*> v;
    for (std::string& a : argv)
        v.push_back(&a[0]);
    v.push_back(nullptr);
    const long long before = spoolBytes();
    const auto t0 = std::chrono::steady_clock::now();
    const std::intptr_t h = UProcess::startNoWait(v[0], v.data());
    if (h == UProcess::kFailed)
        return false;
    UProcess::wait(h);
    // The driver hands the job to a pipe that may still be writing when the program ends:
    // the job ends when its file stops growing.
    long long now = spoolBytes(), last = -1;
    while (now != last) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        last = now;
        now = spoolBytes();
    }
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() - 0.2;
    f.bytes = now - before;
    return now > before;
}

// The print program's strokes and texts per page, from the same job on a counting device.
bool countDrawing(bool graph, Figures& f)
{
    std::snprintf(args.printername, sizeof args.printername, "%s", "null device");
    std::snprintf(args.filename, sizeof args.filename, "%s", kReport);
    args.graph = graph ? 1 : 0;
    NullDevice device;
    Printfile job;
    if (job.openFile() != 0)
        return false;
    job.attachDevice(&device);
    if (job.layout() != 0 || job.draxome(-1) != 0 || device.pages() != kPages)
        return false;
    f.strokes = static_cast<double>(device.strokes()) / kPages;
    f.texts = static_cast<double>(device.texts()) / kPages;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const char* printer = "Virtual A4";
    if (argc == 2 && std::strcmp(argv[1], "floor") == 0)
        return PrintFloor::print(printer, kColumns, 63, floorPages()) ? 0 : 1;
    if (argc != 2) {
        std::fprintf(stderr, "usage: print_bench DRAXOME_EXE\n");
        return 2;
    }
    if (!writeReport() || spoolBytes() < 0) {
        std::fprintf(stderr, "print_bench: cannot write %s, or DRAXOME_SPOOL_DIR is not set\n", kReport);
        return 1;
    }
    ULog::setStyle(ULog::PrintStyle);
    ULog::setStream(UString("print_bench.log"), 0);
    Figures plain { "draxome" }, graph { "draxome -graph" }, floor { "floor" };
    const std::string exe = argv[1];
    bool ok = countDrawing(false, plain) && countDrawing(true, graph);
    ok = ok && timeRun({ exe, "-open", kReport }, plain);
    ok = ok && timeRun({ exe, "-open", kReport, "-graph" }, graph);
    ok = ok && timeRun({ argv[0], "floor" }, floor);
    if (!ok) {
        std::fprintf(stderr, "print_bench: a run failed (see print_bench.log and prnlog.txt)\n");
        return 1;
    }
    for (const PrintFloor::Page& p : floorPages()) {
        floor.strokes += static_cast<double>(p.strokes.size()) / kPages;
        for (const std::string& line : p.lines)
            floor.texts += line.empty() ? 0.0 : 1.0 / kPages;
    }
    std::printf("%d pages of %d columns, framed; on %s; the print program's strokes and texts are this "
                "build's, counted in-process\n",
        kPages, kColumns, printer);
    std::printf("%-16s %9s %12s %13s %11s %10s %10s\n", "program", "seconds", "PostScript", "strokes/page",
        "texts/page", "time/floor", "bytes/floor");
    for (const Figures* f : { &plain, &graph, &floor })
        std::printf("%-16s %9.2f %12lld %13.0f %11.0f %10.2f %10.2f\n", f->name, f->seconds, f->bytes, f->strokes,
            f->texts, f->seconds / floor.seconds, static_cast<double>(f->bytes) / static_cast<double>(floor.bytes));
    return 0;
}
