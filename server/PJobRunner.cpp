#include "server/PJobRunner.h"

#include "common/UCmdLine.h"
#include "common/UDirListing.h"
#include "common/ULog.h"
#include "common/UOs.h"
#include "server/PClientPolicy.h"
#include "server/PJobGuard.h"
#include "server/PJobStaging.h"
#include "server/PUptime.h"

#include <string>
#include <vector>

namespace {

void removeStaged(const UString& stamp, const KeltoCmdLine* options)
{
    PJobRunner::discard(stamp);
    // A queue may have the print program write a response file nobody will collect.
    if (options != nullptr && options->response && !options->responseFile.isEmpty())
        UDirListing::removeFile(options->responseFile.str());
}

} // namespace

bool PJobRunner::allowed(const UString& optionText, const KeltoCmdLine& options, UString& error,
                         UString& description)
{
    if (PClientPolicy::trustClients())
        return true;
    PJobGuard guard(PClientPolicy::allowRun(), PJobGuard::listDirectory, PJobGuard::readPrinterList);
    if (guard.check(optionText, options))
        return true;
    error = guard.error();
    description = guard.description();
    return false;
}

PPrintProgram::JobRun PJobRunner::launch(const char* program, const UString& stamp, const KeltoCmdLine& options,
                                         bool view)
{
    std::string buffer;
    const std::vector<char*> argv =
        UCmdLine::splitInto(PJobStaging::launchLine(PJobStaging::commandFileName(stamp), options), buffer);
    return PPrintProgram::runJob(program, argv.data(), view);
}

UString PJobRunner::freshStamp() { return PJobStaging::jobStamp(PUptime::watch()); }

std::string PJobRunner::plainText(const std::string& text, size_t most)
{
    std::string out;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || u == 127 || c == '"')
            continue;
        if (out.size() == most)
            break;
        out += c;
    }
    return out;
}

std::string PJobRunner::commandText(const std::string& queueOptions, const Job& job)
{
    std::string text = queueOptions;
    if (job.direct)
        text += " -direct";
    // The print program reads only so much of its command file; what it would cut is cut
    // here, from the name, so that no option is lost and no quote is left open.
    const size_t room = static_cast<size_t>(PJobGuard::kPrintProgramReads) - 1;
    if (text.size() > room)
        return std::string();
    const std::string name = plainText(job.documentName.str(), 499);
    const std::string before = " -docname \"";
    if (!name.empty() && text.size() + before.size() + 2 < room) {
        const size_t fits = room - text.size() - before.size() - 1;
        text += before;
        text += name.substr(0, fits);
        text += "\"";
    }
    return text;
}

void PJobRunner::discard(const UString& stamp)
{
    UDirListing::removeFile(PJobStaging::commandFileName(stamp).str());
    UDirListing::removeFile(PJobStaging::jobFileName(stamp).str());
    UDirListing::removeFile(PJobStaging::jobLogName(stamp).str());
}

void PJobRunner::log(const Job& job, long long bytes, const char* outcome, bool failed)
{
    UString line("PPrinterServer::run(): ");
    line += job.frontEnd;
    line += " job from ";
    line += job.peer;
    line += ", user '";
    line += ULog::untrusted(job.user.str());
    if (!job.host.isEmpty()) {
        line += "', host '";
        line += ULog::untrusted(job.host.str());
    }
    line += "', queue '";
    line += ULog::untrusted(job.queue.str());
    line += "', ";
    line += std::to_string(bytes).c_str();
    line += " bytes: ";
    line += outcome;
    ULog::write(line, failed ? ULog::Error : ULog::Info);
}

PJobRunner::Outcome PJobRunner::run(const Job& job, const std::string& queueOptions, const UString& stamp,
                                    long long bytes)
{
    KeltoCmdLine options;
    const UString optionText(queueOptions.c_str());
    if (!PJobStaging::prepareJobOptions(optionText, options, stamp)) {
        log(job, bytes, "refused: the queue's options cannot be parsed", true);
        removeStaged(stamp, nullptr);
        return Refused;
    }
    UString error;
    UString description;
    if (!allowed(optionText, options, error, description)) {
        UString outcome("refused: the queue's options: ");
        outcome += error;
        log(job, bytes, outcome.str(), true);
        removeStaged(stamp, nullptr);
        return Refused;
    }
    // The staged data is the document, whatever the queue's line says of -open.
    options.openFile = PJobStaging::jobFileName(stamp);
    const std::string text = commandText(queueOptions, job);
    if (text.empty() && !queueOptions.empty()) {
        log(job, bytes, "refused: the queue's options are longer than the print program reads", true);
        removeStaged(stamp, &options);
        return Refused;
    }
    if (PJobStaging::writeCommandFile(PJobStaging::commandFileName(stamp), text.c_str()) != PJobStaging::Written) {
        log(job, bytes, "not printed: could not write the command file", true);
        removeStaged(stamp, &options);
        return NotStarted;
    }
    const char* program = PPrintProgram::findPrintProgram();
    if (program == nullptr) {
        log(job, bytes, "not printed: could not find velquin.exe or draxome.exe", true);
        removeStaged(stamp, &options);
        return NotStarted;
    }
    // The staged files go as soon as the program ends, so it is always waited for, -view
    // or not.
    const PPrintProgram::JobRun ran = launch(program, stamp, options, false);
    // Taken before the clean-up can replace the system's error.
    const std::string why = ran == PPrintProgram::NotStarted ? UOs::systemErrorText() : std::string();
    removeStaged(stamp, &options);
    switch (ran) {
    case PPrintProgram::Ran:
        log(job, bytes, "printed", false);
        return Printed;
    case PPrintProgram::NotStarted:
        log(job, bytes, ("not printed: could not start the print program: " + why).c_str(), true);
        return NotStarted;
    case PPrintProgram::EndedByStop:
        log(job, bytes, "not printed: the server is stopping and the job was ended", true);
        return EndedByStop;
    }
    return NotStarted;
}
