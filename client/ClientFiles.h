#pragma once

#include <cstdio>
#include <string>

// The client's file seam: the few file-system services whose Windows and POSIX forms
// differ. ClientFilesWin.cpp and ClientFilesPosix.cpp implement it; the build compiles one.
class ClientFiles {
public:
    enum Creation { Created, Exists, Failed };

    // Creates path as a new empty file, and only if nothing of that name exists: the
    // check and the creation are one step, so a file that appears meanwhile is never
    // overwritten.
    static Creation createNew(const std::string& path);
    static bool isDirectory(const std::string& path);
    // One directory; its parent must exist.
    static bool makeDirectory(const std::string& path);
    static bool isTerminal(std::FILE* stream);
    // '/' everywhere, and '\\' too on Windows.
    static bool isSeparator(char c);
    // The separator this platform's users write.
    static char separator();
};
