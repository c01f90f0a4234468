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
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const size_t end = raw.find('\n');
    const std::string line = raw.substr(0, end).substr(0, raw.substr(0, end).find('\0'));
    if (FILE* f = std::fopen("cmd.ini", "wb")) {
        if (end != std::string::npos)
            std::fwrite(raw.data() + end + 1, 1, raw.size() - end - 1, f);
        std::fclose(f);
    }
    static PrintArgs a;
    a.setDefaults();
    a.parse(line.c_str());
    return 0;
}
