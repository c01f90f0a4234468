#include "NetTestSupport.h"

#include "common/ULog.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// Sockets need Windows Sockets started once per process, as the server does at start.
class SocketEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(USock::initWSocket()); }
    void TearDown() override { USock::cleanupWSocket(); }
};

[[maybe_unused]] ::testing::Environment* const gSockets = ::testing::AddGlobalTestEnvironment(new SocketEnvironment);

} // namespace

Loopback::Loopback()
{
    EXPECT_TRUE(listener.open("127.0.0.1", 0));
    EXPECT_TRUE(listener.bind());
    EXPECT_TRUE(listener.listen(10));
    // Port 0 let the system choose; attach reads the chosen one back.
    EXPECT_TRUE(listener.attach(listener.sock));
    port = listener.port;
    EXPECT_NE(0, port);
    EXPECT_TRUE(client.open("127.0.0.1", port));
    EXPECT_TRUE(client.connect());
    EXPECT_TRUE(listener.accept(server));
}

Loopback::~Loopback()
{
    for (USockTcp* s : {&client, &server, &listener})
        if (s->sock != USock::kInvalidHandle)
            s->close();
}

void Loopback::shut(USockTcp& s)
{
    s.close();
    s.reset();
}

void NetTest::SetUp()
{
    ULog::reset();
    ULog::setStyle(ULog::ServerStyle);
    mLog = scratch("log.txt");
    ASSERT_TRUE(ULog::setStream(UString(mLog.c_str()), 0));
}

void NetTest::TearDown()
{
    ULog::reset();
    for (const std::string& f : mFiles)
        std::remove(f.c_str());
}

std::string NetTest::log() const { return readAll(mLog); }

void NetTest::clearLog() const { writeAll(mLog, ""); }

bool NetTest::logged(const std::string& line) const
{
    return ("\n" + log()).find("\nError: " + line + "\r\n") != std::string::npos;
}

std::string NetTest::scratch(const std::string& suffix)
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("net_") + info->test_suite_name() + "_" + info->name() + "_" + suffix;
    for (char& c : name)
        if (c == '/')
            c = '_';
    std::remove(name.c_str());
    mFiles.push_back(name);
    return name;
}

void sendRaw(USockTcp& s, const std::string& bytes)
{
    ASSERT_EQ(static_cast<int>(bytes.size()),
              s.send(bytes.data(), static_cast<int>(bytes.size()), -1.0, 0.1, 50000));
}

std::string recvAll(USockTcp& s, int length)
{
    std::string got;
    char buf[65536];
    while (static_cast<int>(got.size()) < length) {
        const int want = std::min<int>(sizeof buf, length - static_cast<int>(got.size()));
        const int r = s.recv(buf, want, -1.0, 0.1, 50000);
        if (r > 0)
            got.append(buf, static_cast<size_t>(r));
        if (r != want)
            break;
    }
    return got;
}

std::string le32(int v)
{
    const unsigned u = static_cast<unsigned>(v);
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xff);
    return s;
}
