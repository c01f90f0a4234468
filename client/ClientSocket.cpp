#include "client/ClientSocket.h"

#include "client/ProgressLine.h"
#include "common/UStopWatch.h"

ClientSocket::Outcome ClientSocket::judge(int result, int length, double timeout, float seconds) const
{
    if (result == length)
        return Complete;
    // The transfer loop ends early only for a broken connection; ending at the limit means
    // the peer kept the connection open and said nothing.
    return timeout >= 0 && seconds >= timeout ? TimedOut : Closed;
}

int ClientSocket::send(const char* buf, int length, double timeout, double interval, int chunk)
{
    UStopWatch watch;
    watch.start();
    const int r = USockTcp::send(buf, length, timeout, interval, chunk);
    mOutcome = judge(r, length, timeout, watch.stopAndSeconds());
    if (mProgress != nullptr)
        mProgress->advance(r > 0 ? r : 0);
    return r;
}

int ClientSocket::recv(char* buf, int length, double timeout, double interval, int chunk)
{
    UStopWatch watch;
    watch.start();
    const int r = USockTcp::recv(buf, length, timeout, interval, chunk);
    mOutcome = judge(r, length, timeout, watch.stopAndSeconds());
    return r;
}
