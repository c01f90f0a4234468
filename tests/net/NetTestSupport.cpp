#include "NetTestSupport.h"

#include <algorithm>

namespace {

// Sockets need Windows Sockets started once per process, as the programs do at start.
class SocketEnvironment : public ::testing::Environment {
    void SetUp() override { ASSERT_TRUE(USock::initWSocket()); }
    void TearDown() override { USock::cleanupWSocket(); }
};

[[maybe_unused]] ::testing::Environment* const gSockets = ::testing::AddGlobalTestEnvironment(new SocketEnvironment);

} // namespace

std::string le32(int v)
{
    const unsigned u = static_cast<unsigned>(v);
    return {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16), static_cast<char>(u >> 24)};
}

std::string strMsg(const std::string& text, int code)
{
    return le32(code) + le32(static_cast<int>(text.size()) + 1) + text + std::string(1, '\0');
}

std::string fileMsg(int code, const std::string& name, const std::string& content)
{
    return le32(code) + strMsg(name) + le32(static_cast<int>(content.size())) + content;
}

std::string abortMsg(const std::string& error, const std::string& description, const std::string& source,
                     const std::string& name)
{
    return le32(4) + strMsg("Communication error information:") + strMsg(name) + strMsg(error) +
           strMsg(description) + strMsg(source);
}

Listener::Listener(int backlog)
{
    // Port 0 lets the system choose; attach reads the chosen one back.
    EXPECT_TRUE(sock.open("127.0.0.1", 0) && sock.bind() && sock.listen(backlog) && sock.attach(sock.sock));
    port = sock.port;
}

std::vector<USockTcp> Listener::fillQueue()
{
    std::vector<USockTcp> queued;
    for (USock::ConnectResult r = USock::Connected; r == USock::Connected && queued.size() < 16;) {
        queued.emplace_back();
        EXPECT_TRUE(queued.back().open("127.0.0.1", port));
        r = queued.back().connect(0.3);
    }
    return queued;
}

Loopback::Loopback()
{
    EXPECT_TRUE(client.open("127.0.0.1", listener.port) && client.connect() && listener.sock.accept(server));
}

Loopback::~Loopback()
{
    for (USockTcp* s : {&client, &server})
        if (s->sock != USock::kInvalidHandle)
            s->close();
}

void shut(USockTcp& s)
{
    s.close();
    s.reset();
}

void sendRaw(USockTcp& s, const std::string& bytes)
{
    ASSERT_EQ(static_cast<int>(bytes.size()), s.send(bytes.data(), static_cast<int>(bytes.size()), 10.0, 0.05, 50000));
}

std::string recvAll(USockTcp& s, int length)
{
    std::string got;
    char buf[65536];
    for (int r = 1; r > 0 && static_cast<int>(got.size()) < length;) {
        r = s.recv(buf, std::min<int>(sizeof buf, length - static_cast<int>(got.size())), 10.0, 0.05, 50000);
        got.append(buf, static_cast<size_t>(std::max(r, 0)));
    }
    return got;
}

bool logged(const testsupport::LogCapture& log, const std::string& line)
{
    return ("\n" + log.text()).find("\nError: " + line + "\r\n") != std::string::npos;
}
