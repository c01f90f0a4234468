#include "server/PViewSlots.h"

#include "common/UOs.h"
#include "common/UProcess.h"
#include "server/PServerControl.h"

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

bool PViewSlots::waitForSlot(int limit)
{
    for (dropEnded(); static_cast<int>(programs().size()) >= limit; dropEnded()) {
        if (PServerControl::stopRequested())
            return false;
        UOs::sleepMs(kPollMs);
    }
    return true;
}

void PViewSlots::add(std::intptr_t process) { programs().push_back(process); }

int PViewSlots::running()
{
    dropEnded();
    return static_cast<int>(programs().size());
}
