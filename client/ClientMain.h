#pragma once

#include "client/PrinterClient.h"

// The whole client behind its entry function: reads the command line, runs the job and
// gives the exit status. Tests call it in-process with a console of their own.
class ClientMain {
public:
    static int run(int argc, const char* const* argv, const PrinterClient::Console& console);
};
