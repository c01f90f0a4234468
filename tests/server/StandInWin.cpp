#include "tests/server/StandIn.h"

#include <windows.h>

namespace standin {

void install(const std::filesystem::path& dir, const std::string& name)
{
    std::filesystem::copy_file(DRAXOME_STANDIN_PROGRAM, dir / name,
                               std::filesystem::copy_options::overwrite_existing);
}


std::string failingWritePath() { return std::string(); }

int openHandles()
{
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return static_cast<int>(n);
}

} // namespace standin
