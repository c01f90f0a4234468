#include "client/ClientMain.h"

#include "client/ClientOptions.h"
#include "client/ReplyFiles.h"
#include "client/SpoolFile.h"

#include <cstdio>

namespace {

const char* outcome(PrinterClient::Status status)
{
    switch (status) {
    case PrinterClient::Exchanged: return "printed";
    case PrinterClient::LogErrors: return "printed, with errors in the job log";
    case PrinterClient::Aborted: return "aborted by the server";
    case PrinterClient::UsageError: return "not sent";
    case PrinterClient::NetworkError: return "network error";
    }
    return "";
}

// One job: the file spooled first when it has no size to send ahead of its content.
PrinterClient::Status runJob(const ClientOptions& options, const std::string& file,
                             const PrinterClient::Console& console, ReplyFiles& replies)
{
    const std::string name = ClientOptions::shownName(file);
    SpoolFile spool;
    std::string path = file;
    if (file == "-" || SpoolFile::needed(file)) {
        std::string error;
        std::FILE* in = file == "-" ? stdin : std::fopen(file.c_str(), "rb");
        const bool copied = in != nullptr && spool.copy(in, error);
        if (in != nullptr && in != stdin)
            std::fclose(in);
        if (!copied) {
            std::fprintf(console.err, "draxomeClient: %s: %s\n", name.c_str(),
                         error.empty() ? "cannot be read" : error.c_str());
            std::fflush(console.err);
            return PrinterClient::UsageError;
        }
        path = spool.path();
    }
    const std::vector<std::string> args = options.jobArgs(path, ClientOptions::baseName(file));
    PrinterClient client(options, args, name, console, replies);
    return client.run();
}

} // namespace

int ClientMain::run(int argc, const char* const* argv, const PrinterClient::Console& console)
{
    ClientOptions options;
    std::string error;
    switch (options.parse(argc, argv, error)) {
    case ClientOptions::Help:
        std::fputs(ClientOptions::usage(), console.out);
        std::fflush(console.out);
        return PrinterClient::Exchanged;
    case ClientOptions::Version:
        std::fputs("draxomeClient " DRAXOME_VERSION "\n", console.out);
        std::fflush(console.out);
        return PrinterClient::Exchanged;
    case ClientOptions::Usage:
        std::fprintf(console.err, "draxomeClient: %s\n%s", error.c_str(), ClientOptions::synopsis());
        std::fflush(console.err);
        return PrinterClient::UsageError;
    case ClientOptions::Job: break;
    }
    ReplyFiles replies(options.outdir, options.replace);
    if (options.files.empty()) {
        const std::vector<std::string> args = options.jobArgs("", "");
        PrinterClient client(options, args, "", console, replies);
        return client.run();
    }
    PrinterClient::Status worst = PrinterClient::Exchanged;
    for (const std::string& file : options.files) {
        const PrinterClient::Status status = runJob(options, file, console, replies);
        worst = PrinterClient::worse(worst, status);
        // With several jobs the exit code tells only the worst: each gets its line.
        if (options.files.size() > 1) {
            std::fprintf(console.err, "draxomeClient: %s: %s\n", ClientOptions::shownName(file).c_str(),
                         outcome(status));
            std::fflush(console.err);
        }
    }
    return worst;
}
