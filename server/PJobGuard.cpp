#include "server/PJobGuard.h"

#include "common/JobProtocol.h"
#include "common/UCmdLine.h"
#include "common/UDirListing.h"
#include "common/UFile.h"
#include "common/ULog.h"
#include "server/KeltoCmdLine.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace {

const char* const kTrustHint = "The administrator can start draxomeServer with -trustclients to turn all job checks off.";

// Extensions of files that Windows starts, loads or hands to an interpreter. A job must not
// leave such a file in the server's directory: the print program and the programs it
// starts look there first for what they load, and with "-run default" the name of the
// copy picks the program that opens it. .msc is in Windows' default list of extensions a
// bare program name is completed with; .manifest and .local files beside a program change
// how the loader starts it; the rest run code when they are opened.
const char* const kRunnableExtensions[] = {
    ".exe", ".dll", ".drv", ".com", ".bat", ".cmd", ".scr", ".pif", ".cpl", ".ocx", ".sys",
    ".lnk", ".vbs", ".vbe", ".js", ".jse", ".wsf", ".wsh", ".hta", ".msi", ".ps1",
    ".msc", ".manifest", ".local",
    ".reg", ".inf", ".msp", ".mst", ".jar", ".chm", ".hlp", ".url", ".scf", ".application",
    ".gadget", ".vb", ".ws", ".psc1", ".appref-ms", ".settingcontent-ms",
};

// Names Windows gives to devices in every directory, with or without an extension.
const char* const kDeviceNames[] = {"con", "prn", "aux", "nul"};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameIgnoringCase(std::string_view a, const char* b)
{
    for (size_t i = 0; i < a.size(); ++i) {
        if (b[i] == '\0' || lower(a[i]) != b[i])
            return false;
    }
    return b[a.size()] == '\0';
}

bool isPlainChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_';
}

// The part of a name before its first dot is what Windows compares with its device names.
bool isDeviceName(std::string_view name)
{
    const std::string_view base = name.substr(0, name.find('.'));
    for (const char* device : kDeviceNames) {
        if (sameIgnoringCase(base, device))
            return true;
    }
    // COM0 to COM9 and LPT0 to LPT9.
    const std::string_view head = base.substr(0, 3);
    return base.size() == 4 && (sameIgnoringCase(head, "com") || sameIgnoringCase(head, "lpt")) && base[3] >= '0' &&
           base[3] <= '9';
}

// Every runnable extension holds one dot, its first character: a name ends in one exactly
// when the part from its last dot is one.
bool hasRunnableExtension(std::string_view name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    for (const char* extension : kRunnableExtensions) {
        if (sameIgnoringCase(name.substr(dot), extension))
            return true;
    }
    return false;
}

// A client's text as it may stand in a log line and an abort, in quotes.
UString shown(std::string_view value)
{
    UString out("'");
    out += ULog::untrusted(std::string(value).c_str(), 80);
    out += "'";
    return out;
}

std::string lowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = lower(c);
    return out;
}

bool isRemotePrinter(std::string_view name)
{
    // Blanks would be dropped on the way to the spooler; both slashes make a network path.
    const size_t first = name.find_first_not_of(" \t\r\n");
    auto slash = [&](size_t i) { return i < name.size() && (name[i] == '\\' || name[i] == '/'); };
    return first != std::string_view::npos && slash(first) && slash(first + 1);
}

} // namespace

PJobGuard::PJobGuard(const std::vector<UString>& allowRun, NameSource directory, NameSource printers)
    : mDirectorySource(std::move(directory)), mPrinterSource(std::move(printers)), mDirectoryRead(false),
      mDirectoryKnown(false), mPrintersRead(false)
{
    for (const UString& name : allowRun)
        mAllowRun.insert(name.str());
}

const char* PJobGuard::plainNameFault(std::string_view name)
{
    if (name.empty())
        return "no file name";
    for (char c : name) {
        if (!isPlainChar(c))
            return "not a plain file name: only letters, digits, '.', '-' and '_' may be used";
    }
    if (name.back() == '.')
        return "a file name that ends with a dot";
    if (isDeviceName(name))
        return "a device name";
    if (hasRunnableExtension(name))
        return "a file name with an extension that Windows runs or loads";
    return nullptr;
}

bool PJobGuard::check(const UString& text, const KeltoCmdLine& job)
{
    mError = "";
    mDescription = "";
    mDirectoryRead = false;
    mPrintersRead = false;
    const char* s = text.str();
    std::vector<UCmdLine::Span> spans = UCmdLine::spans(s, text.length());
    std::vector<char> taken(spans.size(), 0);
    for (int at : job.openArgs)
        taken[static_cast<size_t>(at)] = 1;
    const bool allowed = checkTokens(s, spans, taken.data());
    if (!allowed || text.length() <= kPrintProgramReads)
        return allowed;

    // The print program reads the same tokens up to the cut, the last one shortened: those
    // that start at or before it, the one across it split again from its first byte.
    size_t seen = 0;
    while (seen < spans.size() && spans[seen].start <= kPrintProgramReads)
        ++seen;
    spans.resize(seen);
    spans.back() = UCmdLine::argumentAt(s, kPrintProgramReads, spans.back().start);
    return checkTokens(s, spans, taken.data());
}

bool PJobGuard::checkTokens(const char* text, const std::vector<UCmdLine::Span>& spans, const char* taken)
{
    const UCmdLine::Span* span = spans.data();
    const size_t count = spans.size();
    auto value = [&](size_t i) {
        return std::string_view(text + span[i].valueStart, static_cast<size_t>(span[i].length));
    };
    for (size_t i = 0; i < count; ++i) {
        // Every word looked for is an option; most tokens are not.
        if (span[i].length < 4 || text[span[i].valueStart] != '-')
            continue;
        const std::string_view token = value(i);
        const std::string_view nextValue = i + 1 < count ? value(i + 1) : std::string_view();
        const std::string_view* next = i + 1 < count ? &nextValue : nullptr;
        if (token == "-cmdfile") {
            return refuse("Refused -cmdfile: a printer client may not have the print program read a command file",
                          kTrustHint);
        } else if (token == "-run") {
            if (!checkRun(next))
                return false;
        } else if (token == "-copy" || token == "-response") {
            if (!checkNewFile(token, next))
                return false;
        } else if (token == "-printername") {
            if (next != nullptr && !checkPrinter(*next))
                return false;
        } else if (token == "-open" && taken[i] == 0) {
            UString error("Refused -open as argument ");
            error += UString(static_cast<int>(i) + 1);
            error += ": the server reads it as the value of another option, and the print program would open that "
                     "file instead of the document sent";
            return refuse(error, "Send -open followed by the name of the document as an option of its own. "
                                 "The administrator can start draxomeServer with -trustclients to turn all job "
                                 "checks off.");
        }
    }
    return true;
}

bool PJobGuard::checkRun(const std::string_view* value)
{
    if (value == nullptr)
        return refuse("Refused -run without a program", kTrustHint);
    if (mAllowRun.count(std::string(*value)) != 0)
        return true;
    UString error("Refused -run ");
    error += shown(*value);
    error += ": this server allows no such program for printer clients";
    return refuse(error, "The administrator can allow it by starting draxomeServer with -allowrun and exactly this "
                         "value (once for every program), or with -trustclients to turn all job checks off.");
}

bool PJobGuard::checkNewFile(std::string_view option, const std::string_view* value)
{
    const char* fault = value == nullptr ? "no file name" : plainNameFault(*value);
    if (fault == nullptr) {
        bool known = false;
        if (directoryHas(*value, known))
            fault = "a file of that name exists in the server's directory";
        else if (!known)
            fault = "the server's directory could not be listed";
    }
    if (fault == nullptr)
        return true;
    UString error("Refused ");
    error += std::string(option).c_str();
    if (value != nullptr) {
        error += " ";
        error += shown(*value);
    }
    error += ": ";
    error += fault;
    return refuse(error, "Give a new file name made of letters, digits, '.', '-' and '_' only, for a file in the "
                         "server's directory. The administrator can start draxomeServer with -trustclients to turn "
                         "all job checks off.");
}

bool PJobGuard::checkPrinter(std::string_view value)
{
    if (!isRemotePrinter(value))
        return true;
    if (!mPrintersRead) {
        mPrintersRead = true;
        mPrinters.clear();
        std::vector<UString> lines;
        if (mPrinterSource && mPrinterSource(lines)) {
            for (const UString& line : lines)
                mPrinters.insert(line.str());
        }
    }
    if (mPrinters.count(std::string(value)) != 0)
        return true;
    UString error("Refused -printername ");
    error += shown(value);
    error += ": a printer of another machine that is not installed on this server";
    return refuse(error, "The administrator can install that printer connection on the server, so that it is a line "
                         "of prntlist.txt (written at the server's start), or start draxomeServer with "
                         "-trustclients to turn all job checks off.");
}

bool PJobGuard::directoryHas(std::string_view name, bool& known)
{
    if (!mDirectoryRead) {
        mDirectoryRead = true;
        mDirectory.clear();
        std::vector<UString> names;
        mDirectoryKnown = mDirectorySource && mDirectorySource(names);
        for (const UString& entry : names)
            mDirectory.insert(lowered(entry.str()));
    }
    known = mDirectoryKnown;
    return known && mDirectory.count(lowered(name)) != 0;
}

bool PJobGuard::refuse(const UString& error, const char* description)
{
    mError = error;
    mDescription = description;
    return false;
}

bool PJobGuard::listDirectory(std::vector<UString>& names)
{
    UDirListing listing;
    // The listing always holds "." and "..", so an empty one is a failure as well.
    if (listing.open("./") != UDirListing::Opened)
        return false;
    do {
        names.push_back(UString(listing.entry().name));
    } while (listing.next());
    return true;
}

bool PJobGuard::readPrinterList(std::vector<UString>& lines)
{
    UFile file(JobProtocol::kPrinterList, "rb");
    std::FILE* f = file.get();
    if (f == nullptr)
        return false;
    UString line;
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        if (c == '\n') {
            lines.push_back(line);
            line = "";
        } else if (c != '\r') {
            line += static_cast<char>(c);
        }
    }
    const bool failed = std::ferror(f) != 0;
    if (!line.isEmpty())
        lines.push_back(line);
    return !failed;
}
