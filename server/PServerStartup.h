#pragma once

#include "common/UString.h"

// The server's life from its entry function on: log, cleanup of earlier jobs' temporary
// files, its own command line, sockets, the inventory run, then the accept loop until a
// stop is requested or it cannot go on. The entry function (WinMain, or main natively) only hands over the
// command-line text, without the program's own name.
class PServerStartup {
public:
    static const char* const kLogFile;  // "draxomeServerLog.txt"
    static const char* const kVersion;  // "v0.0.8"

    // The exit code: 0 after a stop request; 1 when sockets, the print program, the
    // inventory run or listening failed, or the accept loop could not go on; -1 when the
    // command line cannot be split or parsed or its listen address names no host that
    // resolves.
    static int run(const UString& commandLine);

    // Deletes every plain file of the current directory that an earlier run's jobs left:
    // "tmpCmdfile*", "tmpFilename*" and "tmpLog*", whatever the case of the name.
    static void removeTemporaryFiles();
};
