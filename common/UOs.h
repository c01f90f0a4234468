#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The operating-system seam: the few services whose Windows and POSIX forms differ.
// UOsWin.cpp and UOsPosix.cpp implement it; the build picks one, so no other code asks
// which platform it runs on.
class UOs {
public:
    struct LocalTime {
        int second;
        int minute;
        int hour;
        int day;   // 1..31
        int month; // 1..12
        int year;  // full year
    };

    // Milliseconds since an arbitrary start; wraps after about 49.7 days.
    static std::uint32_t tickCount();
    static LocalTime localTime();
    static void sleepMs(int ms);
    // A modal box on Windows; standard error elsewhere. Returns when it is dismissed.
    static void alertBox(const char* text, const char* caption);

    // The client's file services. Paths are taken as the platform reads them.
    enum Creation { Created, Exists, CreateFailed };
    // Creates path as a new empty file, and only if nothing of that name exists: the check
    // and the creation are one step, so a file that appears meanwhile is never overwritten.
    static Creation createNewFile(const char* path);
    static bool isDirectory(const char* path);
    // One directory; its parent must exist.
    static bool makeDirectory(const char* path);
    static bool isTerminal(std::FILE* stream);
    // The separator this platform's users write; '/' separates everywhere as well.
    static char pathSeparator();

    // What the system says about the failure of the call just made, for a log line:
    // "error 2: The system cannot find the file specified" on Windows, the C library's
    // text elsewhere. Call it before anything else can replace the error (writing a log
    // line does).
    static std::string systemErrorText();
};
