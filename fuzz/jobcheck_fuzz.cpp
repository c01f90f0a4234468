// The job checks against the print program itself: whatever line the checks let through,
// the print program, reading it as the server hands it over, must neither start a program
// the administrator did not allow, write outside a plain new name, read another command
// file nor print to another machine's printer that is not in the printer list.
#include "FuzzDir.h"

#include "common/ULog.h"
#include "print/PrintArgs.h"
#include "server/KeltoCmdLine.h"
#include "server/PJobGuard.h"
#include "server/PJobStaging.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool remote(const std::string& printer)
{
    return printer.size() >= 2 && (printer[0] == '\\' || printer[0] == '/') && (printer[1] == '\\' || printer[1] == '/');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    enterFuzzDirectory();
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const std::string text = raw.substr(0, raw.find('\0'));
    KeltoCmdLine job;
    if (!PJobStaging::prepareJobOptions(UString(text.c_str()), job, UString("1.")))
        return 0;
    const std::vector<UString> allowRun{UString("default"), UString("conv.exe")};
    PJobGuard guard(
        allowRun,
        [](std::vector<UString>& names) {
            names = {UString("draxome.exe"), UString("prntlist.txt")};
            return true;
        },
        [](std::vector<UString>& lines) {
            lines = {UString("Virtual A4"), UString("\\\\host\\Office")};
            return true;
        });
    if (!guard.check(UString(text.c_str()), job))
        return 0;

    // As the server hands the job over: the line in a command file, then its own names.
    if (FILE* f = std::fopen("job.ini", "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    static PrintArgs a;
    a.setDefaults();
    a.parse("-cmdfile job.ini -logfile job.log -open job.txt");
    const std::string run = a.runcommand, printer = a.printername;
    if (std::string(a.cmdfile) != "job.ini" || (a.run && run != "default" && run != "conv.exe") ||
        (a.copy && PJobGuard::plainNameFault(a.copytarget) != nullptr) ||
        (a.response && PJobGuard::plainNameFault(a.responsepath) != nullptr) ||
        (remote(printer) && printer != "\\\\host\\Office"))
        std::abort();
    return 0;
}
