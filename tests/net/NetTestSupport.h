#pragma once

#include "net/USockTcp.h"
#include "tests/common/TestBytes.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

// A connected pair over loopback: a listener on 127.0.0.1 with a port the system picked,
// one client connected to it and the accepted server end.
struct Loopback {
    Loopback();
    ~Loopback();
    // Closes one end, as a peer that goes away does.
    static void shut(USockTcp& s);

    USockTcp listener;
    USockTcp client;
    USockTcp server;
    int port = 0;
};

// Points the log at a file of its own for one test and reads it back.
class NetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string log() const;
    void clearLog() const;
    // True when line (without its level prefix) is one of the logged Error lines.
    bool logged(const std::string& line) const;
    // A file name of this test's own, removed at the end.
    std::string scratch(const std::string& suffix);

private:
    std::string mLog;
    std::vector<std::string> mFiles;
};

// Sends raw bytes, all of them, as a peer of any make would.
void sendRaw(USockTcp& s, const std::string& bytes);
// Receives until the peer closes (or length bytes have come).
std::string recvAll(USockTcp& s, int length = 1 << 30);
std::string le32(int v);
