#pragma once

#include "net/USockTcp.h"

#include <cstdio>
#include <string>
#include <vector>

// Reads what a peer of the LPD and raw-socket front ends sends: lines, counted stretches
// and streams that end when the peer closes, through one buffer, each wait for bytes at
// most the client time limit long, so a peer that stops sending is given up.
class PPeerReader {
public:
    enum Result { Ok, Closed, Failed, TooLarge, NotWritten };

    PPeerReader(const USockTcp& connection, double timeout);

    // The bytes up to the next LF, without it. Closed when the stream ends before any
    // byte of the line; TooLarge when no LF comes within most bytes.
    Result readLine(std::string& line, size_t most);
    // Exactly count bytes, appended to text (when to is null) or written to to. A stream
    // that ends first is Closed, one that falls silent Failed.
    Result readCount(long long count, std::FILE* to, std::string* text);
    // Everything until the peer ends the stream, written to to; got counts it. TooLarge
    // as soon as more than most bytes came.
    Result readToEnd(long long most, std::FILE* to, long long& got);
    bool send(const char* bytes, int length);

private:
    // Fills the empty buffer: Ok, Closed or Failed.
    Result fill();

    USockTcp mConnection;
    double mTimeout;
    std::vector<char> mBuffer;
    size_t mStart;
    size_t mEnd;
};
