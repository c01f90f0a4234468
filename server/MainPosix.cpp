#include "server/PServerStartup.h"

#include <cstring>

// The native server, for tests on the build machine. Windows hands WinMain one text
// without the program's name; here the arguments are joined back into such a text, an
// argument with a blank in double quotes, which the server's splitter takes off again.
int main(int argc, char** argv)
{
    UString text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            text += " ";
        const bool quote = std::strchr(argv[i], ' ') != nullptr;
        if (quote)
            text += "\"";
        text += argv[i];
        if (quote)
            text += "\"";
    }
    return PServerStartup::run(text);
}
