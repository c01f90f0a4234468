#pragma once

#include "common/UString.h"

class UDateTime;

// The one logging facility of both programs: one line per call, appended to one file
// that is opened and closed for every line, so other processes always see whole lines.
// The server writes plain level prefixes; the print program adds the local date and time
// and routes its alerts through the same line format. Each program picks its style once
// at start.
class ULog {
public:
    enum Level { Error = 0, Warning = 1, Info = 2, Notice = 3, Debug = 4, Plain = 5 };
    enum Style { ServerStyle, PrintStyle };

    static const int kLineSize = 10000;
    static const int kPrefixSize = 100;

    static void setStyle(Style style);
    static Style style();

    static void write(const char* msg, int type, int stream = 0);
    static void write(const UString& msg, int type, int stream = 0);

    // The server's alert: "Error in " and the message, in a modal box.
    static void alert(const char* msg);
    // The print program's alert: the message as a whole log line, in a modal box.
    static void alert(const char* msg, int type);
    // Alerts in this program's style, then ends the process with status 0: the way
    // exhausted memory and a bad vector index end a program.
    [[noreturn]] static void fatal(const char* msg);

    static bool setStream(const UString& name, int stream);
    // A line that would take the log file beyond bytes first moves the file to its name
    // with ".1" (one generation kept, an older one replaced) and starts a new one; 0, the
    // start value, is no limit. A program that runs for months keeps its disk.
    static void setLimit(long long bytes);
    // Moves the file name to name + ".1", replacing one that is there; false when the
    // file stays (missing, or held open elsewhere).
    static bool rotate(const char* name);

    // A text that came from a peer, as it may stand in a log line: every byte below 32 or
    // from 127 on becomes '?', so that it can neither end the line nor start one of its
    // own, and beyond most bytes it is cut, kCutMarker marking the cut.
    static UString untrusted(const char* text, int most = kUntrustedMost);
    static const int kUntrustedMost = 200;
    static const char* const kCutMarker; // "..."

    // The print program's line for msg at level type, at the current local time.
    static void format(char* out, const char* msg, int type);
    static void formatAt(char* out, const char* msg, int type, const UDateTime& when);
    // The server's line.
    static void formatPlain(char* out, const char* msg, int type);

    // Back to the state at program start (empty stream, counter 0, no limit); for tests.
    static void reset();

    static const char* const kTooLong;
    static const char* const kAlertTooLong;
    static const char* const kCaption;
};
