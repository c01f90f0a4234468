#include "print/Startup.h"

#include <windows.h>

// The print program opens no window: everything it has to say goes to its log, and its
// exit code tells how the job went.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    return Startup::run(commandLine, Startup::printJob);
}
