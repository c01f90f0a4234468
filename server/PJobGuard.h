#pragma once

#include "common/JobProtocol.h"
#include "common/UCmdLine.h"
#include "common/UString.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class KeltoCmdLine;

// Decides whether a client's command line may reach the print program. Anyone who can
// reach the server's port sends these lines without a login, and the print program acts on
// them with the server's account: it reads command files, copies and starts programs,
// opens printer connections to other machines. So before a job is staged every token of
// the line is looked at, wherever it stands, split the way the print program splits it:
// - "-cmdfile": refused;
// - "-run": refused unless the next token is exactly one of the -allowrun names;
// - "-copy", "-response": refused unless the next token is a new plain file name (see
//   plainNameFault);
// - "-printername" with a value that begins with two slashes or backslashes (a printer of
//   another machine): refused unless that exact name is a line of prntlist.txt;
// - "-open" that the server's own parse did not take as its -open option: refused, as the
//   print program would open that file in place of the document the client sent.
// The print program reads no more than the first kPrintProgramReads bytes of its command
// file, which cuts the last token it sees; the cut line is checked as well. A check takes
// time in proportion to the line's length: one pass over the tokens, each looked up in sets,
// and the directory and the printer list read at most once.
class PJobGuard {
public:
    // Fills the list with names; false when they cannot be had.
    using NameSource = std::function<bool(std::vector<UString>&)>;

    // How much of its command file the print program reads.
    static constexpr int kPrintProgramReads = JobProtocol::kCommandLineLimit;

    // allowRun: the server's -allowrun names. directory: the names of the entries of the
    // server's directory. printers: the lines of prntlist.txt. Each source is asked at
    // most once per check, and only when a token needs it.
    PJobGuard(const std::vector<UString>& allowRun, NameSource directory, NameSource printers);

    // True when the job may run. False when it is refused: error() says what was refused,
    // description() how the administrator can allow it. job is the server's successful
    // parse of the same text.
    bool check(const UString& text, const KeltoCmdLine& job);

    const UString& error() const { return mError; }
    const UString& description() const { return mDescription; }

    // Why name is no plain file name that a job may create in the server's directory, or
    // null when it is one: not empty; only ASCII letters, digits, '.', '-' and '_' (no
    // path, stream or 8.3 short name); not ending in a dot; no device name such as NUL or
    // COM1.txt; no extension that Windows runs or loads. Whether the file exists already
    // is the caller's question.
    static const char* plainNameFault(std::string_view name);

    // The sources the server uses: the entries of its current directory, and the lines of
    // its "prntlist.txt".
    static bool listDirectory(std::vector<UString>& names);
    static bool readPrinterList(std::vector<UString>& lines);

private:
    // taken[i] is non-zero where the server's parse took token i as its -open option.
    bool checkTokens(const char* text, const std::vector<UCmdLine::Span>& spans, const char* taken);
    bool checkRun(const std::string_view* value);
    bool checkNewFile(std::string_view option, const std::string_view* value);
    bool checkPrinter(std::string_view value);
    bool refuse(const UString& error, const char* description);
    bool directoryHas(std::string_view name, bool& known);

    std::unordered_set<std::string> mAllowRun;
    NameSource mDirectorySource;
    NameSource mPrinterSource;
    bool mDirectoryRead;
    bool mDirectoryKnown;
    // Lower case: Windows finds a file whatever the case of its name.
    std::unordered_set<std::string> mDirectory;
    bool mPrintersRead;
    std::unordered_set<std::string> mPrinters;
    UString mError;
    UString mDescription;
};
