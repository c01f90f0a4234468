#pragma once

#include "tests/net/NetTestSupport.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

using Args = std::vector<std::string>;
using Names = std::vector<std::string>;

// What one run of the client gave.
struct ClientRun {
    int status = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

// Runs the client in-process with argv = "draxomeClient" followed by args; standard output
// and standard error go to files of their own and come back as text.
ClientRun runClient(const Args& args, bool errIsTerminal = false);
// The names of the regular files in dir, sorted.
Names filesIn(const std::filesystem::path& dir);
// How the print program and the server split a command line; the two must agree.
Args splitLikeTheServerSide(const std::string& text);

// A print server's stand-in: accepts one connection in a thread of its own and runs the
// script on it. Replies are built from raw bytes, so the client is checked against the
// wire format itself and not against the code that also sends it.
class FakeServer {
public:
    explicit FakeServer(std::function<void(USockTcp&)> script);
    // Waits for the script; a client that never came is stood in for, to end the accept.
    ~FakeServer();
    std::string address() const { return "127.0.0.1:" + std::to_string(mListener.port); }
    bool accepted() const { return mAccepted; }

    // What a script reads: a command line's text, a file's announced name and content.
    static std::string readCmdline(USockTcp& s);
    static std::string readFile(USockTcp& s, std::string& announced);

private:
    Listener mListener;
    std::atomic<bool> mAccepted{false};
    std::atomic<bool> mPoked{false};
    std::thread mThread;
};
