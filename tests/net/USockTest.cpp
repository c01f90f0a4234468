#include "NetTestSupport.h"

#include "common/UStopWatch.h"
#include "net/UHostsFile.h"

#include <chrono>
#include <cstdlib>
#include <thread>

TEST(ParseAddress, HostAndPortFromText)
{
    // Port -1: any value. Digits beyond any port must not wrap round into a valid one.
    const struct {
        const char* text;
        bool ok;
        const char* host;
        int port;
    } cases[] = {{"0.0.0.0:2345", true, "0.0.0.0", 2345}, {"h:80abc", true, "h", 80}, {"h:1:2", true, "h", 1},
                 {"h:65535", true, "h", 65535},           {"h", false, "h", 0},       {"h:", false, "h", 0},
                 {"h:0", false, "h", 0},                  {"h:65536", false, "h", -1}, {"h:-80", false, "h", -1},
                 {":80", false, "", 80},                  {"", false, "", 0},         {"h:4294969641", false, "h", -1},
                 {"h:99999999999999999999999", false, "h", -1}};
    for (const auto& c : cases) {
        UString host("stale");
        int port = 12345;
        EXPECT_EQ(c.ok, parseAddress(c.text, host, port)) << c.text;
        EXPECT_EQ(UString(c.host), host) << c.text;
        EXPECT_TRUE(c.port < 0 || c.port == port) << c.text;
    }
}

TEST(UHostsFile, EntriesCommentsBlanksAndColumns)
{
    testsupport::TempDir tmp;
    const std::string path = (tmp / "hosts").string();
    writeAll(path, "# a comment line\r\n  10.0.0.9  printhost  alias1\r\n10.0.0.8\tprinthost2 # comment\n\n"
                   "   # word1 word2\nonlyonecolumn\n \t \r\n" +
                       std::string(999, 'x') + "10.0.0.5 split\n10.0.0.7 PrintHost3");
    // A line past the 999 characters fgets takes at once is read as two.
    const char* entries[][2] = {{"10.0.0.9", "printhost"}, {"10.0.0.8", "printhost2"}, {"#", "word1"},
                                {"10.0.0.5", "split"},     {"10.0.0.7", "PrintHost3"}};
    UHostsFile hosts(path.c_str());
    UString a, n;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(i, hosts.find(entries[i][1], a, n)) << i;
        EXPECT_EQ(UString(entries[i][0]), a) << i;
        EXPECT_EQ(UString(entries[i][1]), n) << i;
    }
    // The address column matches too; names exactly, case included; aliases are not read.
    EXPECT_EQ(4, hosts.find("10.0.0.7", a, n));
    for (const char* absent : {"PRINTHOST", "printhost3", "alias1", "onlyonecolumn"})
        EXPECT_EQ(-1, hosts.find(absent, a, n)) << absent;
    EXPECT_EQ(-1, UHostsFile((tmp / "absent").string().c_str()).find("printhost", a, n));
    // One pass however long the file: as many entries as hosts files that block
    // advertising hold, for a name that is last and one that is absent.
    std::string large;
    for (int i = 0; i < 100000; ++i)
        large += "0.0.0.0 ads" + std::to_string(i) + ".example\n";
    writeAll(path, large);
    EXPECT_EQ(99999, hosts.find("ads99999.example", a, n));
    EXPECT_EQ(-1, hosts.find("printhost", a, n));
}

TEST(UHostsFile, ResolveHostTakesDottedTextThenTheHostsFile)
{
    testsupport::TempDir tmp(true);
    // The hosts file is in the directory winbootdir names; outside Windows the backslash
    // is part of the file name.
    static char env[] = "winbootdir=.";
    ASSERT_EQ(0, putenv(env));
    ASSERT_EQ(UString(".\\hosts"), UHostsFile::defaultPath());
    writeAll(".\\hosts", "127.0.0.1 draxome-test-host\n10.9.9.9 10.1.2.3\nnot-an-address odd-host\n");
    const char* cases[][2] = {{"10.1.2.3", "10.1.2.3"}, {"draxome-test-host", "127.0.0.1"}, {"odd-host", "not-an-address"}};
    for (const auto& c : cases) {
        UString result;
        EXPECT_TRUE(resolveHost(c[0], result) && result == c[1]) << c[0];
    }
    USockTcp s;
    ASSERT_TRUE(s.open("draxome-test-host", 0) && s.bind() && s.attach(s.sock));
    EXPECT_EQ(UString("127.0.0.1"), s.address);
    EXPECT_TRUE(s.close());
}

TEST(USock, AddressesAndFailures)
{
    Loopback lo;
    // The accepted socket describes its local end; the peer address is dotted text.
    EXPECT_EQ(UString("127.0.0.1"), lo.server.address);
    EXPECT_EQ(lo.listener.port, lo.server.port);
    UString name("x"), addr("y");
    ASSERT_TRUE(lo.server.getPeerAddress(name, addr));
    EXPECT_TRUE(addr == "127.0.0.1" && name == addr);
    // A port that is being listened on cannot be bound again; what is closed cannot be
    // closed again, and the object is left empty.
    USockTcp other;
    ASSERT_TRUE(other.open("127.0.0.1", lo.listener.port));
    EXPECT_FALSE(other.bind());
    EXPECT_TRUE(other.close());
    EXPECT_FALSE(other.close());
    EXPECT_TRUE(other.sock == USock::kInvalidHandle && other.port == 0 && other.address.isEmpty());
    EXPECT_FALSE(other.getPeerAddress(name, addr));
}

TEST(USock, TransferRoundTripKeepsTheBlockingMode)
{
    Loopback lo;
    const std::string data = pattern(3 * 1000 * 1000 + 7);
    std::string got(data.size(), '\0');
    const int size = static_cast<int>(data.size());
    int received = 0;
    std::thread reader([&] { received = lo.server.recv(&got[0], size, -1.0, 0.1, 50000); });
    EXPECT_EQ(size, lo.client.send(data.data(), size, -1.0, 0.1, 50000));
    reader.join();
    EXPECT_TRUE(received == size && got == data);
    EXPECT_TRUE(lo.client.blocking == 1 && lo.server.blocking == 1);
    // A socket that was non-blocking before stays so.
    ASSERT_TRUE(lo.client.setNonBlocking());
    EXPECT_EQ(3, lo.client.send("abc", 3, -1.0, 0.1, 50000));
    EXPECT_EQ(0, lo.client.blocking);
    EXPECT_EQ("abc", recvAll(lo.server, 3));
    EXPECT_EQ(0, lo.server.recv(&got[0], 0, -1.0, 0.1, 50000));
}

TEST(USock, TimeLimits)
{
    Loopback lo;
    char buf[32];
    UStopWatch w;
    w.start();
    // Nothing there: the one attempt of a zero limit fails at once; a finite limit waits.
    EXPECT_EQ(-1, lo.server.recv(buf, 10, 0.0, 0.1, 50000));
    EXPECT_LT(w.stopAndSeconds(), 0.25f);
    EXPECT_EQ(-1, lo.server.recv(buf, 4, 0.3, 0.05, 50000));
    EXPECT_GE(w.stopAndSeconds(), 0.25f);
    sendRaw(lo.client, "0123456789");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // The one attempt asks for at most chunk bytes; more wanted than is there gives what came.
    EXPECT_EQ(4, lo.server.recv(buf, 10, 0.0, 0.1, 4));
    EXPECT_EQ(6, lo.server.recv(buf, 20, 0.3, 0.1, 50000));
    EXPECT_EQ("456789", std::string(buf, 6));
    // A long interval bounds each wait for readiness; it is not a pause after each piece.
    std::thread writer([&] {
        sendRaw(lo.client, "ab");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        sendRaw(lo.client, "cd");
    });
    w.start();
    EXPECT_EQ(4, lo.server.recv(buf, 4, -1.0, 5.0, 50000));
    EXPECT_LT(w.stopAndSeconds(), 2.5f);
    writer.join();
    // Nobody reads: the connection's buffers take only part, then nothing, and it shows.
    const std::string big(64 * 1000 * 1000, 'z');
    const int part = lo.client.send(big.data(), static_cast<int>(big.size()), 0.5, 0.05, 50000);
    EXPECT_TRUE(part > 0 && part < static_cast<int>(big.size())) << part;
    EXPECT_EQ(-1, lo.client.send(big.data(), 1000 * 1000, 0.0, 0.05, 50000));
    EXPECT_TRUE(lo.client.blocking == 1 && lo.server.blocking == 1);
}

TEST(USock, ClosedConnectionEndsTheTransfer)
{
    Loopback lo;
    char buf[16];
    sendRaw(lo.client, "xyz");
    shut(lo.client);
    UStopWatch w;
    w.start();
    // Without a time limit, and still the transfer ends with what came.
    EXPECT_EQ(3, lo.server.recv(buf, 10, -1.0, 0.1, 50000));
    EXPECT_EQ(0, lo.server.recv(buf, 10, -1.0, 0.1, 50000));
    // Sending to a peer that has gone ends too, short of the length.
    const std::string block(1000 * 1000, 'q');
    int result = static_cast<int>(block.size());
    for (int i = 0; i < 50 && result == static_cast<int>(block.size()); ++i)
        result = lo.server.send(block.data(), static_cast<int>(block.size()), -1.0, 0.1, 50000);
    EXPECT_NE(static_cast<int>(block.size()), result);
    EXPECT_LT(w.stopAndSeconds(), 10.0f);
}

TEST(USock, ConnectWithinATimeLimit)
{
    int freePort = 0;
    {
        Loopback lo;
        freePort = lo.listener.port;
        USockTcp s;
        ASSERT_TRUE(s.open("127.0.0.1", freePort));
        EXPECT_EQ(USock::Connected, s.connect(5.0));
        EXPECT_EQ(1, s.blocking);
        EXPECT_TRUE(s.close());
    }
    // Nobody listens on a port just given up: refused at once, not at the limit. Nobody
    // answers a full queue: only the limit ends it, and the socket stays blocking and open.
    Listener full(0);
    std::vector<USockTcp> queued = full.fillQueue();
    for (int port : {freePort, full.port}) {
        queued.emplace_back();
        ASSERT_TRUE(queued.back().open("127.0.0.1", port));
        UStopWatch w;
        w.start();
        EXPECT_EQ(port == freePort ? USock::ConnectFailed : USock::ConnectTimedOut, queued.back().connect(0.5));
        const float waited = w.stopAndSeconds();
        EXPECT_TRUE(port == freePort ? waited < 0.4f : waited >= 0.45f && waited < 3.0f) << waited;
        EXPECT_EQ(1, queued.back().blocking);
    }
    for (USockTcp& q : queued)
        EXPECT_TRUE(q.close());
}
