#include "server/PJobHistory.h"

#include "common/UDirListing.h"
#include "server/KeltoCmdLine.h"
#include "server/PJobStaging.h"

#include <vector>

std::deque<UString>& PJobHistory::stamps()
{
    static std::deque<UString> s;
    return s;
}

int& PJobHistory::keep()
{
    static int k = KeltoCmdLine::kDefaultKeepJobs;
    return k;
}

void PJobHistory::setKeep(int n) { keep() = n < 0 ? 0 : n; }

void PJobHistory::reset()
{
    stamps().clear();
    keep() = KeltoCmdLine::kDefaultKeepJobs;
}

bool PJobHistory::leftFiles(const UString& stamp)
{
    return UDirListing::exists(PJobStaging::commandFileName(stamp).str())
        || UDirListing::exists(PJobStaging::jobFileName(stamp).str())
        || UDirListing::exists(PJobStaging::jobLogName(stamp).str());
}

bool PJobHistory::removeFiles(const UString& stamp)
{
    const UString names[] = { PJobStaging::commandFileName(stamp), PJobStaging::jobFileName(stamp),
        PJobStaging::jobLogName(stamp) };
    for (const UString& name : names)
        UDirListing::removeFile(name.str());
    return !leftFiles(stamp);
}

void PJobHistory::finished(const UString& stamp)
{
    std::deque<UString>& s = stamps();
    if (leftFiles(stamp))
        s.push_back(stamp);
    std::vector<UString> held;
    while (static_cast<long long>(s.size()) > keep()) {
        if (!removeFiles(s.front()))
            held.push_back(s.front());
        s.pop_front();
    }
    // In front, so they go first once they can.
    for (auto it = held.rbegin(); it != held.rend(); ++it)
        s.push_front(*it);
}
