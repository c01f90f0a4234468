// rawcmd PROGRAM COMMANDLINE
// Starts PROGRAM with exactly COMMANDLINE as its command line, waits for it and ends with
// its exit code. Wine rebuilds a program's command line from the shell's arguments and
// quotes it its own way, so a test that must hand a program an exact command line (the
// text WinMain receives, quotes and all) starts it through this helper instead. The
// command line includes the program name, as Windows passes it: to give WinMain of
// draxome.exe the text T, pass "draxome.exe T".
// Exit codes of its own: 250 for wrong usage, 251 when the program cannot be started.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: rawcmd PROGRAM COMMANDLINE\n");
        return 250;
    }
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::vector<char> line(argv[2], argv[2] + std::strlen(argv[2]) + 1);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (!CreateProcessA(argv[1], line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "rawcmd: cannot start %s (error %lu)\n", argv[1],
                     static_cast<unsigned long>(GetLastError()));
        return 251;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
