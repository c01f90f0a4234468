#pragma once

#include <string>

class PrintArgs;

// One run of the print program, from its command-line text to its exit code: the log at
// "prnlog.txt" until the options are parsed (for a print-server job at the job's own log
// at once, so that the client gets every line of its job), then at its final file with
// the size limit;
// the inventories that were asked for; the default printer and the resolution; a
// description of the run in the log; the job; the closing line. The program's entry
// function hands its command line here and returns what this returns.
class Startup {
public:
    // The job step: runs the job on the global options as start-up left them; its exit
    // code (kOk, kJobFailed, or kBadOptions for options this printer's page cannot hold).
    typedef int (*Job)();

    static constexpr int kOk = 0;
    static constexpr int kJobFailed = 1;
    static constexpr int kBadOptions = -1;

    // The whole run on the global options record: 0 when the job succeeded, 1 when it
    // failed, -1 when the options could not be parsed (nothing more is logged then) or the
    // job refused them.
    static int run(const char* commandLine, Job job);
    // The program's job step: a job object with its copy of the options as start-up left
    // them, for the length of the job.
    static int printJob();

    // The job log the print server names on the command line (the last -logfile whose
    // value is one of its job logs), or "" for a stand-alone run.
    static std::string serverJobLog(const char* commandLine);
    // The log files and their size limit: "prnlog.txt", and with log set the log file, are
    // moved to their ".1" when larger than logsize bytes; a log file that can be neither
    // opened nor created turns log off. Then, log or not, the log stream is set to logpath.
    static void settleLog(PrintArgs& options);
    // The settings start-up decides, in order: the banner height, the printer, font and
    // resolution lists, the default printer and the resolution.
    static void adjust(PrintArgs& options);
    // The description of the run: Windows version, program version, configuration, the
    // printer's resolutions and the one chosen.
    static void describe(const PrintArgs& options);
    // The log ends with a line of hyphens that separates runs, except in the temporary
    // log of a print-server job whose client asked not to wait (-view).
    static bool writesClosingLine(const PrintArgs& options);

    // "Windows 9x/Me", "Windows NT/2000", "Windows XP" or "Unknown" for a version class.
    static const char* windowsName(int versionClass);
    static const char* orientationName(int orientation);
    static const char* paperName(int papersize);
    static const char* duplexName(int duplex);
};
