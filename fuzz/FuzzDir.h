#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

// Every target that needs files works in one scratch directory of its own, entered once:
// the names it writes are fixed, so runs replace each other's files instead of piling up.
// In memory where the system has a memory file system: a run writes a file or two.
inline void enterFuzzDirectory()
{
    static bool entered = false;
    if (entered)
        return;
    std::string dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm/draxome-fuzz-XXXXXX" : "/tmp/draxome-fuzz-XXXXXX";
    if (mkdtemp(&dir[0]) == nullptr || chdir(dir.c_str()) != 0)
        std::abort();
    static const std::string made = dir;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(made, ignored);
    });
    entered = true;
}

// Splits an input into a command line (its first line, up to a NUL) and a file: the rest
// is written to fileName in the scratch directory. Returns the line.
inline std::string lineAndFile(const std::uint8_t* data, std::size_t size, const char* fileName)
{
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const std::size_t end = raw.find('\n');
    const std::string first = raw.substr(0, end);
    if (FILE* f = std::fopen(fileName, "wb")) {
        if (end != std::string::npos)
            std::fwrite(raw.data() + end + 1, 1, raw.size() - end - 1, f);
        std::fclose(f);
    }
    return first.substr(0, first.find('\0'));
}
