#pragma once

#include "net/USockTcp.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// A print server's stand-in for the client's end-to-end tests: it listens on 127.0.0.1 on
// a port the system picks and serves one connection, in a thread of its own, with a
// script the test gives. The script builds every reply from raw bytes, so the client is
// checked against the wire format itself and not against the code that also sends it.
class FakeServer {
public:
    FakeServer();
    // Ends a script that keeps silent, then waits for it.
    ~FakeServer();
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    int port() const { return mPort; }
    // "127.0.0.1:port", for -server.
    std::string address() const;

    // Accepts one connection and runs script on it; the connection is closed afterwards.
    void serve(std::function<void(USockTcp&)> script);
    // Waits until the script has run.
    void join();
    // For a script that stays connected and says nothing: returns when the test is over.
    void keepSilent();

    // What a script reads. Each gives up after a few seconds, so a client that stops
    // talking cannot hang the test.
    static bool readCmdline(USockTcp& s, std::string& text);
    static bool readFile(USockTcp& s, std::string& announced, std::string& content);

    // Exactly n raw bytes, or fewer when the client stops.
    static std::string readRaw(USockTcp& s, int n);
    static void sendBytes(USockTcp& s, const std::string& bytes);
    // The wire bytes of a whole message.
    static std::string le32(int v);
    static std::string stringBytes(const std::string& text);
    static std::string fileBytes(int type, const std::string& announced, const std::string& content);
    static std::string abortBytes(const std::string& error, const std::string& description,
                                  const std::string& name = "USockMAbort");

private:
    static int readInt(USockTcp& s, bool& ok);
    static bool readExactly(USockTcp& s, std::string& out, int n);

    USockTcp mListener;
    int mPort = 0;
    std::thread mThread;
    std::atomic<bool> mAccepted{false};
    std::atomic<bool> mStop{false};
};
