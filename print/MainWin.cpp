#include "print/FileJob.h"
#include "print/PrintArgs.h"
#include "print/Startup.h"

#include "common/ULog.h"

#include <windows.h>

namespace {

// The job on the options as start-up left them.
bool runJob()
{
    FileJob job(args);
    if (job.handsOver())
        return job.copyAndRun();
    if (args.direct) {
        if (job.printDirect())
            return true;
        ULog::write("Printfile::startPrinting() : could not print file", ULog::Error);
        return false;
    }
    // Laid-out printing joins here with the page layout.
    ULog::write("Printfile::startPrinting() : could not parse document", ULog::Error);
    return false;
}

} // namespace

// The print program opens no window: everything it has to say goes to its log, and its
// exit code tells how the job went.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    return Startup::run(commandLine, runJob);
}
