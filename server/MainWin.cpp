#include "server/PServerStartup.h"

#include <windows.h>

// The server opens no window: it says everything in draxomeServerLog.txt.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    return PServerStartup::run(UString(commandLine));
}
