#pragma once

#include "net/USockTcp.h"

class ProgressLine;

// The client's connection: a USockTcp that also remembers why its last transfer fell
// short (the time limit passed, or the connection closed), so that the user is told which
// of the two happened, and that reports the bytes it sends to a progress line while one
// is attached. Every wire message moves its bytes through these two calls.
class ClientSocket : public USockTcp {
public:
    enum Outcome { Complete, TimedOut, Closed };

    int send(const char* buf, int length, double timeout, double interval, int chunk) override;
    int recv(char* buf, int length, double timeout, double interval, int chunk) override;

    Outcome lastOutcome() const { return mOutcome; }
    // Null detaches it.
    void setProgress(ProgressLine* progress) { mProgress = progress; }

private:
    Outcome judge(int result, int length, double timeout, float seconds) const;

    Outcome mOutcome = Complete;
    ProgressLine* mProgress = nullptr;
};
