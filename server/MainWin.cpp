#include "server/PServerStartup.h"
#include "server/PService.h"

#include <windows.h>

// The server opens no window: it says everything in draxomeServerLog.txt.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    int exitCode = 0;
    if (PService::command(UString(commandLine), exitCode))
        return exitCode;
    return PServerStartup::run(UString(commandLine));
}
