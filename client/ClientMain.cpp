#include "client/ClientMain.h"

#include "client/ClientOptions.h"

#include <cstdio>

int ClientMain::run(int argc, const char* const* argv, const PrinterClient::Console& console)
{
    ClientOptions options;
    std::string error;
    switch (options.parse(argc, argv, error)) {
    case ClientOptions::Help:
        std::fputs(ClientOptions::usage(), console.out);
        std::fflush(console.out);
        return PrinterClient::Exchanged;
    case ClientOptions::Version:
        std::fputs("draxomeClient " DRAXOME_VERSION "\n", console.out);
        std::fflush(console.out);
        return PrinterClient::Exchanged;
    case ClientOptions::Usage:
        std::fprintf(console.err, "draxomeClient: %s\n%s", error.c_str(), ClientOptions::synopsis());
        std::fflush(console.err);
        return PrinterClient::UsageError;
    case ClientOptions::Job: break;
    }
    PrinterClient client(options, console);
    return client.run();
}
