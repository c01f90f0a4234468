#include "server/PClientPolicy.h"

#include "server/KeltoCmdLine.h"

namespace {

struct Policy {
    std::vector<UString> allowRun;
    bool trustClients = false;
    double clientTimeout = KeltoCmdLine::kDefaultClientTimeout;
    int maxJob = KeltoCmdLine::kDefaultMaxJob;
    double jobTimeout = KeltoCmdLine::kDefaultJobTimeout;
    int maxViews = KeltoCmdLine::kDefaultMaxViews;
    UString queueFile = UString("queues.txt");
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
    p.maxJob = serverOptions.maxJob;
    p.jobTimeout = serverOptions.jobTimeout;
    p.maxViews = serverOptions.maxViews;
    p.queueFile = serverOptions.queues;
}

const std::vector<UString>& PClientPolicy::allowRun() { return policy().allowRun; }

bool PClientPolicy::trustClients() { return policy().trustClients; }

double PClientPolicy::clientTimeout() { return policy().clientTimeout; }

long long PClientPolicy::maxJobBytes() { return static_cast<long long>(policy().maxJob) * 1024 * 1024; }

double PClientPolicy::jobTimeout() { return policy().jobTimeout; }

int PClientPolicy::maxViews() { return policy().maxViews; }

const UString& PClientPolicy::queueFile() { return policy().queueFile; }
