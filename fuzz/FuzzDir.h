#pragma once

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
