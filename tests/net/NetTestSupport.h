#pragma once

#include "net/USockTcp.h"
#include "tests/common/TestBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Wire bytes written out by hand, so the tests hold the format itself and not the code
// that also sends it: little-endian integers, a string message (code, size, text, zero),
// a file message and an abort as the server sends it.
std::string le32(int v);
std::string strMsg(const std::string& text, int code = 1);
std::string fileMsg(int code, const std::string& name, const std::string& content);
std::string abortMsg(const std::string& error, const std::string& description,
                     const std::string& source = "unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )",
                     const std::string& name = "USockMAbort");

// A listener on 127.0.0.1 at a port the system picks.
struct Listener {
    explicit Listener(int backlog = 10);
    ~Listener() { sock.close(); }
    // Connects to a listener that never accepts until its queue is full: from then on the
    // system drops requests unanswered, as a firewall that swallows them does. The caller
    // closes the sockets.
    std::vector<USockTcp> fillQueue();

    USockTcp sock;
    int port = 0;
};

// A connected pair over loopback: a client and the accepted server end.
struct Loopback {
    Loopback();
    ~Loopback();

    Listener listener;
    USockTcp client;
    USockTcp server;
};

// Closes one end, as a peer that goes away does.
void shut(USockTcp& s);
void sendRaw(USockTcp& s, const std::string& bytes);
// Receives until the peer closes or length bytes have come.
std::string recvAll(USockTcp& s, int length = 1 << 30);
// True when the log holds line as one of its Error lines.
bool logged(const testsupport::LogCapture& log, const std::string& line);
