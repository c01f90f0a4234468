#pragma once

#include <cstdint>

// The -view print programs that still run. The server does not wait for them, so without a
// bound a burst of -view jobs would start as many programs at once as it brings; a -view job
// beyond the bound waits here until one of the others has ended.
class PViewSlots {
public:
    // Returns true once fewer than limit of the programs handed over still run, false when
    // the server is asked to stop meanwhile: a -view program that never ends must not keep
    // a stopping server waiting.
    static bool waitForSlot(int limit);
    // Takes over the handle of a -view program that was left running.
    static void add(std::intptr_t process);
    // How many of them still run.
    static int running();
};
