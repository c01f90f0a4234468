#include "server/PClientPolicy.h"

#include "server/KeltoCmdLine.h"

namespace {

struct Policy {
    std::vector<UString> allowRun;
    bool trustClients = false;
    double clientTimeout = KeltoCmdLine::kDefaultClientTimeout;
};

Policy& policy()
{
    static Policy p;
    return p;
}

} // namespace

void PClientPolicy::set(const KeltoCmdLine& serverOptions)
{
    Policy& p = policy();
    p.allowRun = serverOptions.allowRun;
    p.trustClients = serverOptions.trustClients;
    p.clientTimeout = serverOptions.clientTimeout;
}

const std::vector<UString>& PClientPolicy::allowRun() { return policy().allowRun; }

bool PClientPolicy::trustClients() { return policy().trustClients; }

double PClientPolicy::clientTimeout() { return policy().clientTimeout; }
