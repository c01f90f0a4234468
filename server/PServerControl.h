#pragma once

// What a running server is asked from outside its loop, shared by the program (a signal
// natively), the Windows service (the service manager's stop and shutdown) and tests: a
// stop request, and how long a job in progress may still run once one came. Set from any
// thread; the accept loop and the job wait look at it between short waits.
class PServerControl {
public:
    static const int kDefaultGraceSeconds = 30;

    // No more connections are accepted; a job in progress gets the grace time.
    static void requestStop();
    static bool stopRequested();
    // The grace time since the stop request has passed.
    static bool graceOver();
    static int graceSeconds();
    static void setGraceSeconds(int seconds);

    // Called once the server listens: the service reports itself running only then.
    static void setListeningHook(void (*hook)());
    static void listening();

    // Back to no request, the default grace and no hook: for a second server in one process.
    static void reset();
};
