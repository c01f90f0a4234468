// The print program's options, with a command file: the first line of the input is the
// command line, the rest the content of "cmd.ini", which the line may name.
#include "FuzzDir.h"

#include "print/PrintArgs.h"

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    enterFuzzDirectory();
    const std::string line = lineAndFile(data, size, "cmd.ini");
    static PrintArgs a;
    a.setDefaults();
    a.parse(line.c_str());
    return 0;
}
