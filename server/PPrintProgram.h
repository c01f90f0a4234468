#pragma once

// The print program as the server sees it: a file in the current directory that it
// starts and, for a job, waits for. Results come back only as files; the program's exit
// status is never read.
class PPrintProgram {
public:
    static const char* const kPrintProgram;   // "draxome.exe"
    static const char* const kOutsideProgram; // "velquin.exe", started in its place when present

    // "velquin.exe" if such an entry exists in the current directory, else "draxome.exe"
    // if that exists, else null. Asked for every job, so a program file that comes or
    // goes while the server runs is noticed at the next job.
    static const char* findPrintProgram();

    enum JobRun { Ran, NotStarted, EndedByStop };
    // Starts program with the null-terminated argument vector without waiting (a start
    // that fails is tried twice more, a Warning before each) and, unless
    // view is set, waits until it has ended. A view job first waits until fewer than the
    // server's -maxviews view programs run (EndedByStop, not started, when a stop comes
    // during that wait). When the server is asked to stop meanwhile,
    // the program gets the grace time to end and is then ended itself (EndedByStop). The
    // vector stays the caller's to release.
    static JobRun runJob(const char* program, char* const* argv, bool view);

    // Start-up's inventory run: program, "-printlist", "-fontlist", "-ver", awaited.
    // False when it could not be started.
    static bool runInventory(const char* program);
};
