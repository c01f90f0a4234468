// The job step of Printfile: which of the job modes a run performs, and raw printing.
// The layout and drawing of the print mode are in Printfile.cpp; the copy and run modes
// and the reading of a file for raw printing are FileJob's.
#include "print/Printfile.h"

#include "common/ULog.h"
#include "print/FileJob.h"

bool Printfile::startPrinting()
{
    FileJob job(args);
    if (job.handsOver())
        return job.copyAndRun();

    if (args.direct) {
        if (draxomeDirect())
            return true;
        ULog::write("Printfile::startPrinting() : could not print file", ULog::Error);
        return false;
    }
    result = printfile();
    if (result != 0) {
        ULog::write("Printfile::startPrinting() : could not parse document", ULog::Error);
        return false;
    }
    result = draxome(-1);
    if (result != 0) {
        ULog::write("Printfile::startPrinting() : could not print file", ULog::Error);
        return false;
    }
    return true;
}

bool Printfile::draxomeDirect() { return FileJob(args).printDirect(); }
