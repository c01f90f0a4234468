#include "tests/server/StandIn.h"

#include "tests/common/TestSupport.h"

namespace standin {

void install(const std::filesystem::path& dir, const std::string& name)
{
    const std::filesystem::path p = dir / name;
    testsupport::writeFile(p, "#!/bin/sh\n"
                              "if [ -f standin-sleep.txt ]; then sleep 1; fi\n"
                              "{\n"
                              "  echo \"program=" + name + "\"\n"
                              "  for a in \"$@\"; do echo \"arg=$a\"; done\n"
                              "} > standin-args.txt\n"
                              ": > standin-done.txt\n");
    std::filesystem::permissions(p, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                        std::filesystem::perms::group_exec);
}

bool reportsArgv0() { return false; }

std::string failingWritePath() { return "/dev/full"; }

int openHandles()
{
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++n;
    }
    return n;
}

} // namespace standin
