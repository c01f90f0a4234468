#include "common/UProcess.h"

#include <windows.h>

#include <process.h>

std::intptr_t UProcess::startNoWait(const char* program, char* const* argv)
{
    const std::intptr_t h = _spawnv(_P_NOWAIT, program, argv);
    return h == -1 ? kFailed : h;
}

void UProcess::wait(std::intptr_t handle)
{
    if (handle == kFailed)
        return;
    // _cwait closes the process handle once the program has ended.
    _cwait(nullptr, handle, 0);
}

void UProcess::release(std::intptr_t handle)
{
    if (handle != kFailed)
        CloseHandle(reinterpret_cast<HANDLE>(handle));
}
