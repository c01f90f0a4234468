#include "server/PViewSlots.h"

#include "common/UOs.h"
#include "common/UProcess.h"

#include <vector>

namespace {

// How often a full set of slots is looked at again.
const int kPollMs = 50;

std::vector<std::intptr_t>& programs()
{
    static std::vector<std::intptr_t> running;
    return running;
}

// Gives up the handles of the programs that have ended.
void dropEnded()
{
    std::vector<std::intptr_t>& all = programs();
    std::size_t kept = 0;
    for (std::intptr_t p : all) {
        if (UProcess::ended(p))
            UProcess::release(p);
        else
            all[kept++] = p;
    }
    all.resize(kept);
}

} // namespace

void PViewSlots::waitForSlot(int limit)
{
    for (dropEnded(); static_cast<int>(programs().size()) >= limit; dropEnded())
        UOs::sleepMs(kPollMs);
}

void PViewSlots::add(std::intptr_t process) { programs().push_back(process); }

int PViewSlots::running()
{
    dropEnded();
    return static_cast<int>(programs().size());
}
