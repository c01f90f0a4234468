#pragma once

#include <cstdint>

// The operating-system seam for starting programs: CreateProcess, WaitForSingleObject and
// CloseHandle on Windows, fork, exec and waitpid elsewhere. UProcessWin.cpp and
// UProcessPosix.cpp implement it; the build picks one. The seam closes every handle it
// opens: a server that runs thousands of jobs must not keep one per job.
class UProcess {
public:
    static const std::intptr_t kFailed = -1;

    // Starts the program file (a name relative to the current directory, or a path) with
    // the null-terminated argument vector, without waiting for it. Returns a handle, or
    // kFailed when the program could not be started.
    static std::intptr_t startNoWait(const char* program, char* const* argv);
    // Waits until the started program has ended, and gives up the handle. Its exit status
    // is not asked for.
    static void wait(std::intptr_t handle);
    // Waits at most ms for the program to end: true when it has (and the handle is given
    // up), false when it still runs and the handle stays the caller's.
    static bool waitFor(std::intptr_t handle, int ms);
    // Ends the program at once, waits until it has gone and gives up the handle.
    static void terminate(std::intptr_t handle);
    // Gives up the handle of a program that is left running.
    static void release(std::intptr_t handle);
    // True once the started program has ended, at once either way; the handle stays the
    // caller's to release.
    static bool ended(std::intptr_t handle);
};
