#include "server/PPrintProgram.h"

#include "common/UDirListing.h"
#include "common/ULog.h"
#include "common/UOs.h"
#include "common/UProcess.h"
#include "common/UString.h"
#include "server/PClientPolicy.h"
#include "server/PServerControl.h"
#include "server/PViewSlots.h"

const char* const PPrintProgram::kPrintProgram = "draxome.exe";
const char* const PPrintProgram::kOutsideProgram = "velquin.exe";

namespace {

// A start can fail for a moment and work the next: Wine under load has answered "error
// 1359: Internal error" once in a few thousand starts. An accepted job is worth two more
// tries before it is given up; a program that cannot run at all costs its job a second.
const int kRetryPausesMs[] = {250, 750};

std::intptr_t start(const char* program, char* const* argv)
{
    std::intptr_t process = UProcess::startNoWait(program, argv);
    for (int pause : kRetryPausesMs) {
        if (process != UProcess::kFailed)
            break;
        UString line("PPrintProgram::start(): could not start '");
        line += program;
        line += "': ";
        line += UOs::systemErrorText().c_str();
        line += "; trying again";
        ULog::write(line.str(), ULog::Warning);
        UOs::sleepMs(pause);
        process = UProcess::startNoWait(program, argv);
    }
    return process;
}

} // namespace

const char* PPrintProgram::findPrintProgram()
{
    if (UDirListing::exists(kOutsideProgram))
        return kOutsideProgram;
    if (UDirListing::exists(kPrintProgram))
        return kPrintProgram;
    return nullptr;
}

PPrintProgram::JobRun PPrintProgram::runJob(const char* program, char* const* argv, bool view)
{
    if (view && !PViewSlots::waitForSlot(PClientPolicy::maxViews()))
        return EndedByStop;
    const std::intptr_t process = start(program, argv);
    if (process == UProcess::kFailed)
        return NotStarted;
    // A program left running with -view is counted until it ends; its handle is given up
    // then, so that -view jobs do not pile up handles for the life of the server.
    if (view) {
        PViewSlots::add(process);
        return Ran;
    }
    // Short waits, so a stop request is seen while the job runs.
    const int lookMs = 200;
    while (!UProcess::waitFor(process, lookMs)) {
        if (PServerControl::graceOver()) {
            UProcess::terminate(process);
            return EndedByStop;
        }
    }
    return Ran;
}

bool PPrintProgram::runInventory(const char* program)
{
    char printList[] = "-printlist";
    char fontList[] = "-fontlist";
    char ver[] = "-ver";
    UString name(program);
    char* const argv[] = {name.str(), printList, fontList, ver, nullptr};
    const std::intptr_t process = start(program, argv);
    if (process == UProcess::kFailed)
        return false;
    UProcess::wait(process);
    return true;
}
