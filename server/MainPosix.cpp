#include "common/UCmdLine.h"
#include "server/PServerStartup.h"

#include <cstdio>
#include <string>
#include <vector>

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
    return PServerStartup::run(UString(text.c_str()));
}
