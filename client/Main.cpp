// The entry function of draxomeClient.
#include "client/ClientMain.h"
#include "common/UMemory.h"
#include "common/UOs.h"

#include <cstdio>

int main(int argc, char** argv)
{
    UMemory::endOnFailedNew();
    const PrinterClient::Console console{stdout, stderr, UOs::isTerminal(stderr)};
    return ClientMain::run(argc, argv, console);
}
