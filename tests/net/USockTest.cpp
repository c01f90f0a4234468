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
                 {"h:65535", true, "h", 65535}, {"h", false, "h", 0}, {"h:0", false, "h", 0}, {"h:65536", false, "h", -1},
                 {"h:-80", false, "h", -1}, {":80", false, "", 80}, {"h:4294969641", false, "h", -1}};
    for (const auto& c : cases) {
        UString host("stale");
        int port = 12345;
        EXPECT_EQ(c.ok, parseAddress(c.text, host, port)) << c.text;
        EXPECT_TRUE(host == c.host && (c.port < 0 || c.port == port)) << c.text;
    }
}

TEST(UHostsFile, OnePassAfterDottedText)
{
    testsupport::TempDir tmp(true);
    // The hosts file is in the directory winbootdir names; outside Windows the backslash
    // is part of the file name. A line past the 999 characters fgets takes is read as two.
    static char env[] = "winbootdir=.";
    ASSERT_EQ(0, putenv(env));
    writeAll(".\\hosts", "# comment\r\n  10.0.0.9  printhost  alias1\r\n10.9.9.9\t10.1.2.3 # comment\n\n   # w1 w2\n"
                         "onlyonecolumn\n \t \r\n" + std::string(999, 'x') + "127.0.0.1 split\nnot-an-address PrintHost3");
    const char* entries[][2] = {{"10.0.0.9", "printhost"}, {"10.9.9.9", "10.1.2.3"}, {"#", "w1"}, {"127.0.0.1", "split"},
                                {"not-an-address", "PrintHost3"}};
    UHostsFile hosts;
    UString a, n;
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(hosts.find(entries[i][1], a, n) == i && a == entries[i][0] && n == entries[i][1]) << i;
    // The address column matches too; names exactly, case included; aliases are not read.
    EXPECT_EQ(4, hosts.find("not-an-address", a, n));
    for (const char* absent : {"PRINTHOST", "printhost3", "alias1", "onlyonecolumn"})
        EXPECT_EQ(-1, hosts.find(absent, a, n)) << absent;
    EXPECT_EQ(-1, UHostsFile("absent").find("printhost", a, n));
    // Dotted text is taken as it is, before the hosts file; an entry's address as it stands.
    const char* resolved[][2] = {{"10.1.2.3", "10.1.2.3"}, {"printhost", "10.0.0.9"}, {"PrintHost3", "not-an-address"}};
    for (const auto& c : resolved)
        EXPECT_TRUE(resolveHost(c[0], a) && a == c[1]) << c[0];
    USockTcp s;
    ASSERT_TRUE(s.open("split", 0) && s.bind() && s.attach(s.sock) && s.address == "127.0.0.1");
    EXPECT_TRUE(s.close());
    // As many entries as hosts files that block advertising hold: one that is last, one absent.
    std::string large;
    for (int i = 0; i < 100000; ++i)
        large += "0.0.0.0 ads" + std::to_string(i) + ".example\n";
    writeAll(".\\hosts", large);
    EXPECT_EQ(99999, hosts.find("ads99999.example", a, n));
    EXPECT_EQ(-1, hosts.find("printhost", a, n));
}

TEST(USock, AddressesAndFailures)
{
    Loopback lo;
    // The accepted socket describes its local end; the peer address is dotted text; a dead
    // peer can be found out.
    EXPECT_TRUE(lo.server.address == "127.0.0.1" && lo.server.port == lo.listener.port && lo.client.setKeepAlive());
    UString name("x"), addr("y");
    EXPECT_TRUE(lo.server.getPeerAddress(name, addr) && addr == "127.0.0.1" && name == addr);
    // A port that is being listened on cannot be bound again; what is closed cannot be
    // closed again, and the object is left empty.
    USockTcp other;
    ASSERT_TRUE(other.open("127.0.0.1", lo.listener.port));
    EXPECT_TRUE(!other.bind() && other.close() && !other.close());
    EXPECT_TRUE(other.sock == USock::kInvalidHandle && other.port == 0 && other.address.isEmpty());
    EXPECT_FALSE(other.getPeerAddress(name, addr));
    // A name nobody knows opens nothing; a socket that does not listen has nobody to accept
    // and says so at once instead of waiting for a connection.
    EXPECT_FALSE(other.open("no-such-host.invalid", 1));
    ASSERT_TRUE(other.open("127.0.0.1", 0));
    USockTcp nobody;
    EXPECT_FALSE(other.accept(nobody));
    other.close();
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
    // A socket that was non-blocking before stays so; nothing to move is done at once.
    ASSERT_TRUE(lo.client.setNonBlocking());
    EXPECT_EQ(3, lo.client.send("abc", 3, -1.0, 0.1, 50000));
    EXPECT_EQ(2, lo.client.send("de", 2, 0.0, 0.1, 50000)) << "the one attempt of a zero limit moved it all";
    EXPECT_EQ(0, lo.client.blocking);
    ASSERT_TRUE(lo.client.setBlocking());
    EXPECT_TRUE(recvAll(lo.server, 5) == "abcde" && lo.server.recv(buf, 0, -1.0, 0.1, 50000) == 0);
    // Nobody reads: the connection's buffers take only part, then nothing, and it shows.
    const std::string big(64 * 1000 * 1000, 'z');
    const int part = lo.client.send(big.data(), static_cast<int>(big.size()), 0.5, 0.05, 50000);
    EXPECT_TRUE(part > 0 && part < static_cast<int>(big.size())) << part;
    EXPECT_EQ(-1, lo.client.send(big.data(), 1000 * 1000, 0.0, 0.05, 50000));
    EXPECT_TRUE(lo.client.blocking == 1 && lo.server.blocking == 1);
}

TEST(USock, ConnectWithinATimeLimit)
{
    int freePort = 0;
    {
        Listener open;
        freePort = open.port;
        USockTcp s;
        EXPECT_TRUE(s.open("127.0.0.1", freePort) && s.connect(5.0) == USock::Connected && s.blocking == 1 && s.close());
    }
    // Nobody listens on a port just given up: refused at once, not at the limit. Nobody
    // answers a full queue: only the limit ends it (a negative one at once), and the socket
    // stays blocking and open.
    Listener full(0);
    std::vector<USockTcp> queued = full.fillQueue();
    for (const auto& [port, limit] : {std::pair<int, double>{freePort, 0.5}, {full.port, 0.5}, {full.port, -1.0}}) {
        queued.emplace_back();
        ASSERT_TRUE(queued.back().open("127.0.0.1", port));
        UStopWatch w;
        w.start();
        EXPECT_EQ(port == freePort ? USock::ConnectFailed : USock::ConnectTimedOut, queued.back().connect(limit));
        const float waited = w.stopAndSeconds();
        EXPECT_TRUE(port == freePort || limit < 0 ? waited < 0.4f : waited >= 0.45f && waited < 3.0f) << waited;
        EXPECT_EQ(1, queued.back().blocking);
    }
    for (USockTcp& q : queued)
        EXPECT_TRUE(q.close());
}
