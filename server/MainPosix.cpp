#include "common/UCmdLine.h"
#include "server/PServerControl.h"
#include "server/PServerStartup.h"
#include "server/PService.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void stopOnSignal(int) { PServerControl::requestStop(); }

} // namespace

// The native server, for tests on the build machine. Windows hands WinMain one text
// without the program's name; here the arguments are joined back into such a text, spelled
// so that the server's splitter gives them back unchanged.
int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string text;
    size_t bad = 0;
    if (!UCmdLine::join(args, text, bad)) {
        std::fprintf(stderr, "draxomeServer: argument %zu cannot be spelled in one command line\n", bad + 1);
        return -1;
    }
    int exitCode = 0;
    if (PService::command(UString(text.c_str()), exitCode))
        return exitCode;
    // A service manager or a terminal stops the server as the Windows service is stopped:
    // the job in progress gets its grace, the log its closing line.
    struct sigaction action = {};
    action.sa_handler = stopOnSignal;
    sigemptyset(&action.sa_mask);
    // A transfer in progress goes on; only the waits between clients and jobs look.
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    return PServerStartup::run(UString(text.c_str()));
}
