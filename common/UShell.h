#pragma once

#include <cstdint>

// The operating-system services of the print program's copy and run modes: copying a
// file, making a directory, and starting a program on a file the way the Windows shell
// does (waiting for it is UProcess's). UShellWin.cpp calls the Windows API; UShellPosix.cpp
// is the stand-in on which the same job logic runs and is tested natively.
//
// Paths arrive in Windows form. The POSIX side takes a backslash for a directory
// separator, as Windows does, so a job's "out\x\y.txt" means the same on both sides.
class UShell {
public:
    // Copies source to target, replacing a target that exists. False when the source
    // cannot be read or the target cannot be written (a file is never copied onto itself).
    static bool copyFile(const char* source, const char* target);
    // Makes one directory. False when it was not made: it exists already, its parent is
    // missing, or the name is not a possible directory.
    static bool createDirectory(const char* path);

    // Starts a program and hands back its process as a UProcess handle, without waiting
    // for it; UProcess::wait or UProcess::release then ends the caller's hold on it
    // (UProcess::kFailed when there is nothing to wait for).
    //  - verb "open": file is a document, opened with the program the system associates
    //    with its type; parameters are not used. (The POSIX side has no associations: it
    //    runs the file itself, which a script with a "#!" line allows.)
    //  - no verb (null): file is the program and parameters its parameter text, passed on
    //    unchanged. (On the POSIX side the program is named by its path, and the text
    //    arrives as one argument.)
    // The program runs in this program's working directory. No dialog is ever shown, so
    // a failure can never wait for a person. False when the program could not be started.
    static bool execute(const char* verb, const char* file, const char* parameters, std::intptr_t& process);
};
