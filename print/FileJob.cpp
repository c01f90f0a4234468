#include "print/FileJob.h"

#include "common/ULog.h"
#include "common/UOs.h"
#include "common/UProcess.h"
#include "common/UShell.h"
#include "common/UString.h"
#include "print/PrintArgs.h"
#include "printer/DirectPrint.h"
#include "common/UFile.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <new>

namespace {

const int kMaxPath = 5000;
const char* const kDefaultProgram = "default";

void logError(const UString& msg) { ULog::write(msg, ULog::Error); }

// The line after a failure's own: what failed, and what the system said about it.
UString whyLine(const char* what, const std::string& why)
{
    UString line("Printfile::startPrinting(): ");
    line += what;
    line += ": ";
    line += why.c_str();
    return line;
}

} // namespace

bool makeDirectories(const char* path)
{
    if (path == nullptr)
        return false;
    const std::size_t length = std::strlen(path);
    if (length >= static_cast<std::size_t>(kMaxPath))
        return false;
    const char* last = std::strrchr(path, '\\');
    if (last == nullptr)
        return true;

    // Every prefix that ends at a backslash, and then the whole directory part. Only the
    // last creation counts: the drive and the directories that exist already fail on the
    // way by design.
    char dir[kMaxPath];
    const std::size_t end = static_cast<std::size_t>(last - path);
    bool created = false;
    for (std::size_t i = 0; i <= end; ++i) {
        if (i < end && path[i] != '\\')
            continue;
        std::memcpy(dir, path, i);
        dir[i] = '\0';
        created = UShell::createDirectory(dir);
    }
    return created;
}

FileJob::FileJob(const PrintArgs& options) : mArgs(options) {}

bool FileJob::handsOver() const { return mArgs.copy || mArgs.run; }

bool FileJob::copyAndRun()
{
    if (!mArgs.copy)
        return runOn(mArgs.filename);

    if (!makeDirectories(mArgs.copytarget)) {
        UString msg("Printfile::startPrinting() : could not create directory for '");
        msg += mArgs.copytarget;
        msg += "'. It is possible that the directory already exists.";
        ULog::write(msg, ULog::Warning);
    }
    if (!UShell::copyFile(mArgs.filename, mArgs.copytarget)) {
        const std::string why = UOs::systemErrorText();
        UString msg("Printfile::startPrinting() : could not copy '");
        msg += mArgs.filename;
        msg += "' to '";
        msg += mArgs.copytarget;
        msg += "'";
        logError(msg);
        UString what("cannot copy '");
        what += mArgs.filename;
        what += "' to '";
        what += mArgs.copytarget;
        what += "'";
        logError(whyLine(what.str(), why));
        return false;
    }
    if (mArgs.run)
        return runOn(mArgs.copytarget);
    if (mArgs.response) {
        logError("The argument '-response' was specified without '-run'.");
        return false;
    }
    return true;
}

bool FileJob::runOn(const char* file)
{
    std::intptr_t process = UProcess::kFailed;
    const bool started = std::strcmp(mArgs.runcommand, kDefaultProgram) == 0
                             ? UShell::execute("open", file, nullptr, process)
                             : UShell::execute(nullptr, mArgs.runcommand, file, process);
    if (!started) {
        const std::string why = UOs::systemErrorText();
        // The message names the job's file even when the program ran on its copy.
        UString msg("Printfile::startPrinting() : could not run '");
        msg += mArgs.runcommand;
        msg += "' with '";
        msg += mArgs.filename;
        msg += "'";
        logError(msg);
        UString what("the program '");
        what += mArgs.runcommand;
        what += "' could not be started on '";
        what += file;
        what += "'";
        logError(whyLine(what.str(), why));
        return false;
    }
    // The process handle is given up either way; with -response only after the end.
    if (mArgs.response)
        UProcess::wait(process);
    else
        UProcess::release(process);

    // Without -response the response path is empty and this copy fails: a program that
    // is not waited for cannot have its output collected.
    UString output(file);
    output += ".out";
    if (UShell::copyFile(output.str(), mArgs.responsepath))
        return true;
    const std::string why = UOs::systemErrorText();
    UString msg("Printfile::startPrinting() : The executed process '");
    msg += mArgs.runcommand;
    msg += "' did not created the output file '";
    msg += output;
    msg += "'";
    logError(msg);
    UString what("'");
    what += output;
    what += "' could not be copied to the response file '";
    what += mArgs.responsepath;
    what += "'";
    logError(whyLine(what.str(), why));
    return false;
}

bool FileJob::printDirect()
{
    if (mArgs.filename[0] == '\0') {
        ULog::write("draxomeDirect(): cannot open filename; filename is EMPTY", ULog::Error);
        return false;
    }
    UFile file(mArgs.filename, "rb");
    std::FILE* f = file.get();
    if (f == nullptr) {
        const std::string why = UOs::systemErrorText();
        ULog::write("draxomeDirect(): cannot open file", ULog::Error);
        UString what("cannot open '");
        what += mArgs.filename;
        what += "'";
        logError(whyLine(what.str(), why));
        return false;
    }
    if (std::fseek(f, 0, SEEK_END) != 0) {
        ULog::write("draxomeDirect(): cannot set offset in file(end)", ULog::Error);
        return false;
    }
    const long size = std::ftell(f);
    if (size == -1) {
        ULog::write("draxomeDirect(): ftell(): cannot get offset in file(start)", ULog::Error);
        return false;
    }
    if (std::fseek(f, 0, SEEK_SET) != 0) {
        ULog::write("draxomeDirect(): cannot set offset in file(start)", ULog::Error);
        return false;
    }
    const std::size_t bytes = static_cast<std::size_t>(size);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[bytes + 1]);
    if (buffer == nullptr) {
        ULog::write("draxomeDirect(): cannot alocate memory", ULog::Error);
        return false;
    }
    const std::size_t got = std::fread(buffer.get(), 1, bytes, f);
    if (std::ferror(f)) {
        ULog::write("draxomeDirect(): cannot read file", ULog::Error);
        return false;
    }
    if (got < bytes)
        ULog::write("draxomeDirect(): cannot read entire file", ULog::Warning);
    // The document ends at its first NUL byte; a text file is sent whole.
    buffer[got] = '\0';

    const bool printed = draxomeDirect(mArgs.printername, mArgs.docname, buffer.get());
    if (!printed)
        ULog::write("draxomeDirect(): cannot print document", ULog::Error);
    return printed;
}
