#pragma once

#include "common/UString.h"

// The server as a service of the system's service manager, asked for with "-service" as
// the first word of the server's command line: "install [SERVER OPTIONS...]" registers it
// (automatic start, its command line the program's full path, "-service run" and the
// options), "uninstall" stops and removes it, "run" is what the service manager starts.
// Only Windows has it (PServiceWin.cpp); elsewhere each word is refused.
class PService {
public:
    static const char* const kName;        // "draxome"
    static const char* const kDisplayName; // "draxome print server"
    static const char* const kDescription;

    enum Exit { Done = 0, BadCommand = -1, Failed = 1, NotAdministrator = 2, AlreadyInstalled = 3, NotInstalled = 4 };

    // False when the command line does not ask for the service: the program goes on as
    // the plain server. Else true, with the exit code of the service command.
    static bool command(const UString& commandLine, int& exitCode);

private:
    // The seam; options is the server options' text, spelled for the server's splitter.
    static int install(const UString& options);
    static int uninstall();
    static int run(const UString& options);
    static void enterProgramDirectory();
};
