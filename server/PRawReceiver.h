#pragma once

#include "common/UString.h"
#include "net/USockTcp.h"

// One connection of a raw-socket port: the bytes until the peer closes are one job for the
// port's queue. Nothing is ever sent back; a job the server does not print is ended by
// closing the connection.
class PRawReceiver {
public:
    PRawReceiver(const USockTcp& connection, const UString& peer, const UString& queue);

    // Serves the connection and closes it.
    void run();

private:
    USockTcp mConnection;
    UString mPeer;
    UString mQueue;
};
