// Prints one document with the job object, on the printer the options name, the way the
// print program will once its start-up exists: the arguments are print-program options
// (-printername, -open, -graph, -banner...), parsed into the global options; the log goes
// to the file of -logfile (default "prnlog.txt") in the print program's style. Exit code 0
// when the job was printed, 1 when it failed, 2 when the options do not parse.
#include "common/ULog.h"
#include "print/PrintArgs.h"
#include "print/Printfile.h"

#include <cstdio>

int main(int argc, char** argv)
{
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
