#include "common/UProcess.h"

#include <windows.h>

#include <string>

// Every handle this side opens it closes itself: what a run-time library's wait does with
// a process handle differs from one library to the next, so none is used.

std::intptr_t UProcess::startNoWait(const char* program, char* const* argv)
{
    // The arguments joined by single blanks, as the run-time library's spawn joins them.
    std::string commandLine;
    for (char* const* arg = argv; *arg != nullptr; ++arg) {
        if (arg != argv)
            commandLine += ' ';
        commandLine += *arg;
    }
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    // No handle of the server is inherited: a program left running must not keep its
    // sockets open.
    if (!CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return kFailed;
    CloseHandle(info.hThread);
    return reinterpret_cast<std::intptr_t>(info.hProcess);
}

void UProcess::wait(std::intptr_t handle)
{
    if (handle == kFailed)
        return;
    WaitForSingleObject(reinterpret_cast<HANDLE>(handle), INFINITE);
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

bool UProcess::waitFor(std::intptr_t handle, int ms)
{
    if (handle == kFailed)
        return true;
    if (WaitForSingleObject(reinterpret_cast<HANDLE>(handle), static_cast<DWORD>(ms < 0 ? 0 : ms)) == WAIT_TIMEOUT)
        return false;
    CloseHandle(reinterpret_cast<HANDLE>(handle));
    return true;
}

void UProcess::terminate(std::intptr_t handle)
{
    if (handle == kFailed)
        return;
    TerminateProcess(reinterpret_cast<HANDLE>(handle), 1);
    wait(handle);
}

void UProcess::release(std::intptr_t handle)
{
    if (handle != kFailed)
        CloseHandle(reinterpret_cast<HANDLE>(handle));
}

bool UProcess::ended(std::intptr_t handle)
{
    return handle == kFailed || WaitForSingleObject(reinterpret_cast<HANDLE>(handle), 0) != WAIT_TIMEOUT;
}
