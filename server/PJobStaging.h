#pragma once

#include "common/UString.h"

class KeltoCmdLine;
class UStopWatch;

// How one job is handed to the print program: its stamp, its temporary file names, its
// options, the command file and the launch line.
class PJobStaging {
public:
    enum WriteResult { Written, CannotCreate, CannotWrite };

    // The seconds of the uptime stopwatch in ten significant digits, the decimal point
    // always kept: "3.", "12.34500027", "0.5", "1.600000076e-002", "3600.".
    static UString formatStamp(float seconds);
    // This job's stamp: the uptime stopwatch stopped and formatted. When an earlier job of
    // this run left files under the same stamp (equal ticks, or single-precision steps of
    // a long uptime), "-2", "-3", ... is appended until no file is in the way, so a job
    // never takes over another job's command file, document or log.
    static UString jobStamp(UStopWatch& uptime);
    // The stamp itself when no file of this run carries it, else the stamp with the first
    // free suffix "-2", "-3", ...
    static UString unusedStamp(const UString& stamp);

    static UString commandFileName(const UString& stamp);
    static UString jobFileName(const UString& stamp);
    static UString jobLogName(const UString& stamp);

    // Splits and parses the client's command line into options; on success the open file
    // name (if any) and the log file name are replaced by this job's temporary names. On
    // failure the parser has logged why, and no temporary name is assigned.
    static bool prepareJobOptions(const UString& text, KeltoCmdLine& options, const UString& stamp);

    // Writes the client's command line, exactly as received up to its first NUL byte and
    // nothing else, into the command file.
    static WriteResult writeCommandFile(const UString& name, const char* text);

    // "draxome.exe -cmdfile <command file> -logfile <job log>", then " -open <job file>"
    // when the job has a document; -cmdfile comes first so that the temporary names win
    // over the client's own -logfile and -open.
    static UString launchLine(const UString& commandFile, const KeltoCmdLine& options);
};
