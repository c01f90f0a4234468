// The entry function of draxomeClient.
#include "client/ClientFiles.h"
#include "client/ClientMain.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const PrinterClient::Console console{stdout, stderr, ClientFiles::isTerminal(stderr)};
    return ClientMain::run(argc, argv, console);
}
