#pragma once

#include "tests/net/NetTestSupport.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

using Args = std::vector<std::string>;
using Names = std::vector<std::string>;

// What one run of the client gave: exit status, standard output and error, seconds taken.
struct ClientRun {
    int status;
    std::string out, err;
    double seconds;
};

// Runs the client in-process with argv = "draxomeClient" followed by args.
ClientRun runClient(const Args& args, bool errIsTerminal = false);
// The names of the regular files in dir, sorted.
Names filesIn(const std::filesystem::path& dir);
// How the print program and the server split a command line; the two must agree.
Args splitLikeTheServerSide(const std::string& text);

// A print server's stand-in: accepts count connections in turn in a thread of its own and
// runs the script on each. Replies are built from raw bytes, so the client is checked against the
// wire format itself and not against the code that also sends it.
class FakeServer {
public:
    explicit FakeServer(std::function<void(USockTcp&)> script, int count = 1);
    // Waits for the script; a client that never came is stood in for, to end the accept.
    ~FakeServer();
    std::string address() const { return "127.0.0.1:" + std::to_string(mListener.port); }

    // What a script reads, checking the bytes as they come: a string message's text ("?"
    // when its bytes are not one of code), a file message's content and announced name.
    static std::string readString(USockTcp& s, int code = 0x1000);
    static std::string readFile(USockTcp& s, std::string& announced);

    std::atomic<bool> accepted{false};

private:
    Listener mListener;
    std::atomic<bool> mPoked{false};
    std::atomic<int> mServed{0};
    std::thread mThread;
    int mCount;
};
