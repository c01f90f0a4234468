// The line reader, the layout and the drawing of every page on a recording device: the
// first line of the input is the print options, the rest the document.
#include "FuzzDir.h"

#include "common/ULog.h"
#include "print/PrintArgs.h"
#include "print/Printfile.h"
#include "printer/fake/RecordingDevice.h"

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    enterFuzzDirectory();
    const std::string options = lineAndFile(data, size, "doc.txt");
    args.setDefaults();
    // Options that would leave the layout (a command file, another document) are the
    // options parser's target, not this one's.
    if (args.parse(options.c_str()) != 0 || args.cmdfile[0] != '\0')
        return 0;
    std::snprintf(args.filename, sizeof args.filename, "%s", "doc.txt");
    RecordingDevice device{RecordingDevice::Caps()};
    Printfile job;
    if (job.openFile() != 0)
        return 0;
    job.attachDevice(&device);
    if (job.layout() == 0)
        job.draxome(-1);
    return 0;
}
