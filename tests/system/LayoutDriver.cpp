// Prints one document with the job object, on the printer the options name, the way the
// print program will once its start-up exists: the arguments are print-program options
// (-printername, -open, -graph, -banner...), parsed into the global options; the log goes
// to the file of -logfile (default "prnlog.txt") in the print program's style. Exit code 0
// when the job was printed, 1 when it failed, 2 when the options do not parse.
//
// Also answers "--measure PRINTER" with the device size the layout sees and the widths of
// "W" that the printer reports for a few narrowed fonts, so the system tests can say what
// they expect from this printer.
#include "common/ULog.h"
#include "print/PrintArgs.h"
#include "print/Printfile.h"
#include "printer/Graphics.h"
#include "printer/PrintDevice.h"
#include "printer/PrinterList.h"
#include "printer/PrinterSetup.h"
#include "printer/printerinfo.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

int measure(const char* printer)
{
    printerinfo info;
    PrintDevice* dc = nullptr;
    if (!getprinter(printer, info) || init_printer(dc, info) != 0)
        return 1;
    std::printf("size %d %d %d %d\n", dc->widthPixels(), dc->heightPixels(), dc->widthMM(), dc->heightMM());
    for (int width : { 0, 30, 21, 12, 11, 10, 5 }) {
        PrintObject saved = Graphics::select_font(dc, 41, width, "Courier New", Graphics::Bold);
        int w = -1, h = -1;
        Graphics::get_text_metrics(dc, "W", w, h);
        Graphics::restoreObject(dc, saved);
        std::printf("W %d %d %d\n", width, w, h);
    }
    dc->deleteDC();
    delete dc;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--measure") == 0)
        return measure(argv[2]);

    ULog::setStyle(ULog::PrintStyle);
    if (args.parseArgv(argc - 1, argv + 1) != 0) {
        std::fprintf(stderr, "layout_driver: the options do not parse\n");
        return 2;
    }
    ULog::setStream(UString(args.logfile), 0);

    Printfile job;
    if (job.printfile() != 0) {
        std::fprintf(stderr, "layout_driver: could not parse document\n");
        return 1;
    }
    std::printf("pages %d lines %d maxLength %d linesPerPage %d cellWidth %.3f fontWidth %d charWidth %d left %d "
                "top %d width %d height %d htext %.3f\n",
        job.pageCount(), job.document().totalLines(), job.document().maxLength(), job.page().linesPerPage,
        static_cast<double>(job.page().cellWidth), job.page().fontWidth, job.page().charWidth, job.page().leftPx,
        job.page().topPx, job.page().width, job.page().height, job.page().htextPx);
    if (job.draxome(-1) != 0) {
        std::fprintf(stderr, "layout_driver: could not print file\n");
        return 1;
    }
    return 0;
}
