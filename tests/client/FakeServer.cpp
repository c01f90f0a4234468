#include "FakeServer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

const double kReadLimit = 10.0;

} // namespace

FakeServer::FakeServer()
{
    EXPECT_TRUE(USock::initWSocket());
    EXPECT_TRUE(mListener.open("127.0.0.1", 0));
    EXPECT_TRUE(mListener.bind());
    EXPECT_TRUE(mListener.listen(10));
    // Port 0 let the system choose; attach reads the chosen one back.
    EXPECT_TRUE(mListener.attach(mListener.sock));
    mPort = mListener.port;
}

FakeServer::~FakeServer()
{
    mStop = true;
    if (mThread.joinable() && !mAccepted) {
        // The client never came: a connection of our own releases the blocked accept.
        USockTcp poke;
        if (poke.open("127.0.0.1", mPort) && poke.connect())
            poke.close();
    }
    join();
    mListener.close();
    USock::cleanupWSocket();
}

std::string FakeServer::address() const { return "127.0.0.1:" + std::to_string(mPort); }

void FakeServer::serve(std::function<void(USockTcp&)> script)
{
    mThread = std::thread([this, script] {
        USockTcp conn;
        const bool ok = mListener.accept(conn);
        mAccepted = true;
        if (!ok)
            return;
        if (!mStop)
            script(conn);
        conn.close();
    });
}

void FakeServer::join()
{
    if (mThread.joinable())
        mThread.join();
}

void FakeServer::keepSilent()
{
    while (!mStop)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

bool FakeServer::readExactly(USockTcp& s, std::string& out, int n)
{
    out.assign(static_cast<size_t>(n), '\0');
    return n == 0 || s.recv(&out[0], n, kReadLimit, 0.05, 50000) == n;
}

int FakeServer::readInt(USockTcp& s, bool& ok)
{
    std::string b;
    if (!readExactly(s, b, 4)) {
        ok = false;
        return 0;
    }
    unsigned v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[static_cast<size_t>(i)]);
    return static_cast<int>(v);
}

bool FakeServer::readCmdline(USockTcp& s, std::string& text)
{
    bool ok = true;
    const int type = readInt(s, ok);
    const int size = readInt(s, ok);
    if (!ok || type != 0x1000 || size < 1 || size > 1 << 20)
        return false;
    if (!readExactly(s, text, size) || text.back() != '\0')
        return false;
    text.pop_back();
    return true;
}

bool FakeServer::readFile(USockTcp& s, std::string& announced, std::string& content)
{
    bool ok = true;
    const int type = readInt(s, ok);
    const int nameType = readInt(s, ok);
    const int nameSize = readInt(s, ok);
    if (!ok || type != 0x1001 || nameType != 1 || nameSize < 1 || nameSize > 1 << 20)
        return false;
    if (!readExactly(s, announced, nameSize) || announced.back() != '\0')
        return false;
    announced.pop_back();
    const int size = readInt(s, ok);
    return ok && size >= 0 && readExactly(s, content, size);
}

std::string FakeServer::readRaw(USockTcp& s, int n)
{
    std::string out(static_cast<size_t>(n), '\0');
    const int got = s.recv(&out[0], n, kReadLimit, 0.05, 50000);
    out.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return out;
}

void FakeServer::sendBytes(USockTcp& s, const std::string& bytes)
{
    const int n = static_cast<int>(bytes.size());
    // A client that has gone makes this fall short; the test's own checks say why.
    s.send(bytes.data(), n, kReadLimit, 0.05, 50000);
}

std::string FakeServer::le32(int v)
{
    const unsigned u = static_cast<unsigned>(v);
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xff);
    return s;
}

std::string FakeServer::stringBytes(const std::string& text)
{
    return le32(1) + le32(static_cast<int>(text.size()) + 1) + text + std::string(1, '\0');
}

std::string FakeServer::fileBytes(int type, const std::string& announced, const std::string& content)
{
    return le32(type) + stringBytes(announced) + le32(static_cast<int>(content.size())) + content;
}

std::string FakeServer::abortBytes(const std::string& error, const std::string& description, const std::string& name)
{
    return le32(4) + stringBytes("Communication error information:") + stringBytes(name) + stringBytes(error) +
           stringBytes(description) + stringBytes("unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )");
}
