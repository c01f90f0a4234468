#include "server/PService.h"

#include "common/ULog.h"

#include <cstdio>

// Service managers elsewhere start the program itself and stop it with a signal.

namespace {

int refuse()
{
    const char* msg = "PService::command(): there is no Windows service manager here; run the server itself";
    ULog::write(msg, ULog::Error);
    std::fprintf(stderr, "draxomeServer: %s\n", msg);
    return PService::Failed;
}

} // namespace

int PService::install(const UString&) { return refuse(); }

int PService::uninstall() { return refuse(); }

int PService::run(const UString&) { return refuse(); }

void PService::enterProgramDirectory() {}
