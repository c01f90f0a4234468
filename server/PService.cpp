#include "server/PService.h"

#include "common/UCmdLine.h"
#include "common/ULog.h"
#include "server/KeltoCmdLine.h"
#include "server/PServerStartup.h"

#include <string>
#include <vector>

const char* const PService::kName = "draxome";
const char* const PService::kDisplayName = "draxome print server";
const char* const PService::kDescription =
    "Prints plain-text reports that legacy systems send over the network on this machine's printers";

bool PService::command(const UString& commandLine, int& exitCode)
{
    std::string buffer;
    const std::vector<char*> args = UCmdLine::splitInto(commandLine, buffer);
    if (args.size() < 2 || std::string(args[0]) != "-service")
        return false;
    const std::string word = args.size() > 2 ? args[1] : "";
    // The options after the word, spelled again so the server's own splitter reads them
    // back unchanged when the service manager starts the program.
    const std::vector<std::string> rest(args.begin() + (args.size() > 2 ? 2 : 1), args.end() - 1);
    std::string options;
    size_t bad = 0;
    UCmdLine::join(rest, options, bad);
    // The service manager starts a service in the system's directory; every file of the
    // server lives beside the program, and so does the log of these commands.
    enterProgramDirectory();
    ULog::setStream(PServerStartup::kLogFile, 0);
    if (word == "install") {
        // A service that would end at once on its options must not be registered.
        KeltoCmdLine parsed;
        std::string copy;
        std::vector<char*> argv = UCmdLine::splitInto(UString(options.c_str()), copy);
        int argc = static_cast<int>(argv.size()) - 1;
        char** p = argv.data();
        exitCode = options.empty() || parsed.parse(argc, p) ? install(UString(options.c_str())) : BadCommand;
    } else if (word == "uninstall") {
        exitCode = uninstall();
    } else if (word == "run") {
        exitCode = run(UString(options.c_str()));
    } else {
        UString line("PService::command(): -service wants install, uninstall or run, not '");
        line += ULog::untrusted(word.c_str());
        line += "'";
        ULog::write(line, ULog::Error);
        exitCode = BadCommand;
    }
    return true;
}
