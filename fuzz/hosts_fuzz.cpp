// The hosts file and the address parser: the input is a hosts file, and its first line is
// also looked up and parsed as HOST:PORT.
#include "FuzzDir.h"

#include "net/UHostsFile.h"
#include "net/USock.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    enterFuzzDirectory();
    const std::string raw(reinterpret_cast<const char*>(data), size);
    if (FILE* f = std::fopen("hosts", "wb")) {
        std::fwrite(raw.data(), 1, raw.size(), f);
        std::fclose(f);
    }
    const std::string first = raw.substr(0, raw.find_first_of(std::string("\n\0", 2)));
    const UHostsFile hosts(UString("hosts"));
    UString address, name;
    for (const char* wanted : {first.c_str(), "printhost", "10.0.0.1"})
        if (hosts.find(UString(wanted), address, name) >= 0 && address.isEmpty())
            std::abort();
    UString host;
    int port = 0;
    if (parseAddress(UString(first.c_str()), host, port) && (host.isEmpty() || port < 1 || port > 65535))
        std::abort();
    return 0;
}
