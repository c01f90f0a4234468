#include "net/USockTcp.h"

#include "common/UStopWatch.h"

namespace {

// A negative time limit means no practical limit.
const double kNoLimit = 4294967295.0;

} // namespace

USockTcp::USockTcp() = default;

USockTcp::~USockTcp() = default;

int USockTcp::send(const char* buf, int length, double timeout, double interval, int chunk)
{
    // The loop is shared by both directions; a sending attempt only reads the buffer.
    return transfer(true, const_cast<char*>(buf), length, timeout, interval, chunk);
}

int USockTcp::recv(char* buf, int length, double timeout, double interval, int chunk)
{
    return transfer(false, buf, length, timeout, interval, chunk);
}

int USockTcp::receiveSome(char* buf, int length, double timeout)
{
    if (length < 1)
        return kFailed;
    UStopWatch watch;
    watch.start();
    const int wasBlocking = blocking;
    if (blocking != 0)
        setNonBlocking();
    int result = kFailed;
    for (;;) {
        bool broken = false;
        const int r = platformRecv(buf, length, broken);
        if (r > 0 || broken) {
            // An orderly end reads 0 with broken set; an error reads -1.
            result = r > 0 ? r : (r == 0 ? kClosed : kFailed);
            break;
        }
        const double left = timeout - watch.stopAndSeconds();
        if (left <= 0)
            break;
        waitReady(false, left);
    }
    if (wasBlocking == 1 && !setBlocking())
        result = kFailed;
    return result;
}

int USockTcp::attempt(bool sending, char* buf, int n, bool& broken)
{
    return sending ? platformSend(buf, n, broken) : platformRecv(buf, n, broken);
}

int USockTcp::transfer(bool sending, char* buf, int length, double timeout, double interval, int chunk)
{
    if (length < 0)
        return -1;
    if (chunk < 1)
        chunk = 1;
    UStopWatch watch;
    watch.start();
    const double limit = timeout < 0 ? kNoLimit : timeout;
    const int wasBlocking = blocking;
    // A caller moving many pieces may have switched once for all of them; switching again
    // would only cost a call.
    if (blocking != 0)
        setNonBlocking();

    int moved = 0;
    int r = 0;
    bool finished = false;
    bool broken = false;
    if (length == 0) {
        // One zero-length call, as every transfer makes at least one.
        attempt(sending, buf, 0, broken);
        finished = true;
    }
    while (!finished && watch.stopAndSeconds() < limit) {
        const int n = chunk < length - moved ? chunk : length - moved;
        r = attempt(sending, buf + moved, n, broken);
        if (r > 0 && moved + r == length) {
            finished = true;
            break;
        }
        if (r > 0)
            moved += r;
        // Polling a closed or failed connection can never finish: end it as a time-out would.
        if (broken)
            break;
        // Not a fixed pause: a pause after every partial piece would cap a fast link at a
        // few hundred kilobytes per second. Waiting for readiness costs nothing when the
        // socket is ready and waits the same interval when it is not.
        if (interval >= 0)
            waitReady(sending, interval);
    }
    if (!finished && !broken) {
        // The time is up: one last attempt. A send offers everything that is left.
        const int rest = length - moved;
        const int n = sending || chunk > rest ? rest : chunk;
        r = attempt(sending, buf + moved, n, broken);
        if (r > 0 && moved + r == length)
            finished = true;
        else if (r > 0)
            moved += r;
    }
    int result = finished ? length : (r < 0 && moved == 0 ? -1 : moved);
    if (wasBlocking == 1 && !setBlocking())
        result = -1;
    return result;
}
