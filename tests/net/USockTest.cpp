#include "NetTestSupport.h"

#include "common/UStopWatch.h"
#include "net/UHostsFile.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

TEST(ParseAddressTest, HostAndPortFromText)
{
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        int port;
    };
    const Case cases[] = {
        {"0.0.0.0:2345", true, "0.0.0.0", 2345},
        {"myhost:80abc", true, "myhost", 80},
        {"myhost:1:2", true, "myhost", 1},
        {"myhost:65535", true, "myhost", 65535},
        {"myhost", false, "myhost", 0},
        {"myhost:", false, "myhost", 0},
        {"myhost:0", false, "myhost", 0},
        {"myhost:65536", false, "myhost", -1},
        {"myhost:-80", false, "myhost", -1},
        {":80", false, "", 80},
        {"", false, "", 0},
    };
    for (const Case& c : cases) {
        UString host("stale");
        int port = 12345;
        EXPECT_EQ(c.ok, parseAddress(c.text, host, port)) << c.text;
        EXPECT_EQ(UString(c.host), host) << c.text;
        if (c.port >= 0) {
            EXPECT_EQ(c.port, port) << c.text;
        }
    }
    // Digits beyond any port must not wrap round into a valid one.
    UString host;
    int port = 0;
    EXPECT_FALSE(parseAddress("h:4294969641", host, port));
    EXPECT_FALSE(parseAddress("h:99999999999999999999999", host, port));
}

class UHostsFileTest : public NetTest {};

TEST_F(UHostsFileTest, EntriesCommentsBlanksAndColumns)
{
    const std::string path = scratch("hosts");
    writeAll(path, "# a comment line\r\n"
                   "  10.0.0.9  printhost  alias1\r\n"
                   "10.0.0.8\tprinthost2 # trailing comment\n"
                   "\n"
                   "   # word1 word2\n"
                   "onlyonecolumn\n"
                   " \t \r\n" +
                       std::string(999, 'x') + "10.0.0.5 split\n" + "10.0.0.7 PrintHost3");
    UHostsFile hosts(path.c_str());
    const char* expected[][2] = {
        {"10.0.0.9", "printhost"}, {"10.0.0.8", "printhost2"}, {"#", "word1"},
        // A line past the 999 characters fgets takes at once is read as two.
        {"10.0.0.5", "split"}, {"10.0.0.7", "PrintHost3"},
    };
    UString a, n;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(i, hosts.find(expected[i][1], a, n)) << i;
        EXPECT_EQ(UString(expected[i][0]), a) << i;
        EXPECT_EQ(UString(expected[i][1]), n) << i;
    }
    EXPECT_EQ(1, hosts.find("printhost2", a, n));
    EXPECT_EQ(UString("10.0.0.8"), a);
    // The address column matches as well as the name column.
    EXPECT_EQ(4, hosts.find("10.0.0.7", a, n));
    EXPECT_EQ(UString("PrintHost3"), n);
    // Names are compared exactly, case included; aliases are not looked at.
    EXPECT_EQ(-1, hosts.find("PRINTHOST", a, n));
    EXPECT_EQ(-1, hosts.find("printhost3", a, n));
    EXPECT_EQ(-1, hosts.find("alias1", a, n));
    EXPECT_EQ(-1, hosts.find("onlyonecolumn", a, n));
}

// One pass however long the file: a hundred thousand entries, as in the hosts files that
// block advertising, for a name that is last and one that is absent.
TEST_F(UHostsFileTest, LargeFileIsReadInOnePass)
{
    const std::string path = scratch("hosts_large");
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "0.0.0.0 ads" + std::to_string(i) + ".example\n";
    writeAll(path, text);
    UHostsFile hosts(path.c_str());
    UString a, n;
    EXPECT_EQ(99999, hosts.find("ads99999.example", a, n));
    EXPECT_EQ(UString("0.0.0.0"), a);
    EXPECT_EQ(-1, hosts.find("printhost", a, n));
}

TEST_F(UHostsFileTest, MissingFileHasNoEntries)
{
    UHostsFile hosts(scratch("absent").c_str());
    UString a, n;
    EXPECT_EQ(-1, hosts.find("anything", a, n));
}

TEST_F(UHostsFileTest, ResolveHostLooksInTheHostsFileAfterDottedText)
{
    // The machine's hosts file sits in the directory named by winbootdir.
    static char env[] = "winbootdir=net_hosts_dir";
    ASSERT_EQ(0, putenv(env));
    const std::string path = UHostsFile::defaultPath().str();
    EXPECT_EQ("net_hosts_dir\\hosts", path);
    // On Windows the backslash makes this a file in that directory; elsewhere it is part of
    // a file name, and the directory is just unused.
    std::filesystem::create_directory("net_hosts_dir");
    writeAll(path, "127.0.0.1 draxome-test-host\n"
                   "10.9.9.9 10.1.2.3\n"
                   "not-an-address odd-host\n");
    UString result;
    // Dotted text is taken as it is, before the hosts file is read.
    EXPECT_TRUE(resolveHost("10.1.2.3", result));
    EXPECT_EQ(UString("10.1.2.3"), result);
    EXPECT_TRUE(resolveHost("draxome-test-host", result));
    EXPECT_EQ(UString("127.0.0.1"), result);
    // The address column is handed on as it stands.
    EXPECT_TRUE(resolveHost("odd-host", result));
    EXPECT_EQ(UString("not-an-address"), result);

    USockTcp s;
    ASSERT_TRUE(s.open("draxome-test-host", 0));
    EXPECT_EQ(UString("127.0.0.1"), s.address);
    EXPECT_TRUE(s.bind());
    EXPECT_TRUE(s.close());
    std::remove(path.c_str());
    std::filesystem::remove("net_hosts_dir");
}

class USockTest : public NetTest {};

TEST_F(USockTest, ListenAcceptConnectAndAddresses)
{
    Loopback lo;
    EXPECT_EQ(UString("127.0.0.1"), lo.listener.address);
    // The accepted socket describes its local end.
    EXPECT_EQ(UString("127.0.0.1"), lo.server.address);
    EXPECT_EQ(lo.port, lo.server.port);
    EXPECT_EQ(1, lo.server.blocking);
    UString name("x"), addr("y");
    ASSERT_TRUE(lo.server.getPeerAddress(name, addr));
    EXPECT_EQ(UString("127.0.0.1"), addr);
    EXPECT_EQ(addr, name);

    // A second socket cannot take a port that is being listened on.
    USockTcp other;
    ASSERT_TRUE(other.open("127.0.0.1", lo.port));
    EXPECT_FALSE(other.bind());
    EXPECT_TRUE(other.close());

    // A copy names the same connection: bytes sent through it arrive.
    USockTcp copy(lo.client);
    EXPECT_EQ(lo.client.sock, copy.sock);
    sendRaw(copy, "ping");
    EXPECT_EQ("ping", recvAll(lo.server, 4));
}

TEST_F(USockTest, FailuresResetTheObject)
{
    USockTcp s;
    EXPECT_EQ(USock::kInvalidHandle, s.sock);
    EXPECT_FALSE(s.attach(USock::kInvalidHandle));
    EXPECT_EQ(USock::kInvalidHandle, s.sock);
    EXPECT_EQ(0, s.port);
    EXPECT_TRUE(s.address.isEmpty());

    ASSERT_TRUE(s.open("127.0.0.1", 2));
    ASSERT_TRUE(s.close());
    // Closing what is already closed fails and leaves an empty object.
    EXPECT_FALSE(s.close());
    EXPECT_EQ(USock::kInvalidHandle, s.sock);
    EXPECT_EQ(0, s.port);
    UString n, a;
    EXPECT_FALSE(s.getPeerAddress(n, a));
}

TEST_F(USockTest, TransferRoundTripRestoresBlockingMode)
{
    Loopback lo;
    const std::string data = pattern(3 * 1000 * 1000 + 7);
    std::string got(data.size(), '\0');
    int received = 0;
    std::thread reader([&] { received = lo.server.recv(&got[0], static_cast<int>(got.size()), -1.0, 0.1, 50000); });
    EXPECT_EQ(static_cast<int>(data.size()), lo.client.send(data.data(), static_cast<int>(data.size()), -1.0, 0.1, 50000));
    reader.join();
    EXPECT_EQ(static_cast<int>(data.size()), received);
    EXPECT_TRUE(got == data);
    EXPECT_EQ(1, lo.client.blocking);
    EXPECT_EQ(1, lo.server.blocking);

    // A socket that was non-blocking before stays so.
    ASSERT_TRUE(lo.client.setNonBlocking());
    EXPECT_EQ(0, lo.client.blocking);
    EXPECT_EQ(3, lo.client.send("abc", 3, -1.0, 0.1, 50000));
    EXPECT_EQ(0, lo.client.blocking);
    ASSERT_TRUE(lo.client.setBlocking());
    EXPECT_EQ("abc", recvAll(lo.server, 3));

    // A zero-length transfer finishes at once.
    EXPECT_EQ(0, lo.server.recv(&got[0], 0, -1.0, 0.1, 50000));
    EXPECT_EQ(0, lo.client.send(data.data(), 0, 0.0, 0.1, 50000));
}

TEST_F(USockTest, TimeoutZeroMakesExactlyOneAttempt)
{
    Loopback lo;
    char buf[32];
    UStopWatch w;
    w.start();
    // Nothing there: the one attempt fails.
    EXPECT_EQ(-1, lo.server.recv(buf, 10, 0.0, 0.1, 50000));
    EXPECT_LT(w.stopAndSeconds(), 1.0f);
    sendRaw(lo.client, "0123456789");
    // Let the bytes cross the loopback before the single attempt is made.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // The one attempt asks for at most chunk bytes.
    EXPECT_EQ(4, lo.server.recv(buf, 10, 0.0, 0.1, 4));
    EXPECT_EQ("0123", std::string(buf, 4));
    // More wanted than is there: the count that came.
    EXPECT_EQ(6, lo.server.recv(buf, 20, 0.0, 0.1, 50000));
    EXPECT_EQ("456789", std::string(buf, 6));
    EXPECT_EQ(1, lo.server.blocking);
}

TEST_F(USockTest, FiniteTimeoutEndsWithWhatCame)
{
    Loopback lo;
    char buf[8];
    UStopWatch w;
    w.start();
    EXPECT_EQ(-1, lo.server.recv(buf, 4, 0.3, 0.05, 50000));
    const float waited = w.stopAndSeconds();
    EXPECT_GE(waited, 0.25f);
    EXPECT_LT(waited, 3.0f);

    sendRaw(lo.client, "ab");
    EXPECT_EQ(2, lo.server.recv(buf, 4, 0.3, 0.05, 50000));
    EXPECT_EQ("ab", std::string(buf, 2));
}

TEST_F(USockTest, SendIntoAFullConnectionGivesThePartOrMinusOne)
{
    Loopback lo;
    // Nobody reads: the connection's buffers take only part of this.
    const std::string big(64 * 1000 * 1000, 'z');
    const int part = lo.client.send(big.data(), static_cast<int>(big.size()), 0.5, 0.05, 50000);
    EXPECT_GT(part, 0);
    EXPECT_LT(part, static_cast<int>(big.size()));
    // With the buffers full, one attempt moves nothing and its failure shows.
    EXPECT_EQ(-1, lo.client.send(big.data(), 1000 * 1000, 0.0, 0.05, 50000));
    EXPECT_EQ(1, lo.client.blocking);
}

TEST_F(USockTest, ReadinessWaitEndsAsSoonAsBytesCome)
{
    Loopback lo;
    std::thread writer([&] {
        sendRaw(lo.client, "ab");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        sendRaw(lo.client, "cd");
    });
    char buf[4];
    UStopWatch w;
    w.start();
    // A long interval is an upper bound on each wait, not a pause after each piece.
    EXPECT_EQ(4, lo.server.recv(buf, 4, -1.0, 5.0, 50000));
    EXPECT_LT(w.stopAndSeconds(), 2.5f);
    writer.join();
    EXPECT_EQ("abcd", std::string(buf, 4));
}

TEST_F(USockTest, ClosedConnectionEndsTheTransfer)
{
    Loopback lo;
    char buf[16];
    sendRaw(lo.client, "xyz");
    Loopback::shut(lo.client);
    UStopWatch w;
    w.start();
    // Without a time limit, and still the transfer ends with what came.
    EXPECT_EQ(3, lo.server.recv(buf, 10, -1.0, 0.1, 50000));
    EXPECT_EQ(0, lo.server.recv(buf, 10, -1.0, 0.1, 50000));
    EXPECT_EQ(1, lo.server.blocking);

    // Sending to a peer that has gone ends too, with a count short of the length.
    const std::string block(1000 * 1000, 'q');
    int result = static_cast<int>(block.size());
    for (int i = 0; i < 50 && result == static_cast<int>(block.size()); ++i)
        result = lo.server.send(block.data(), static_cast<int>(block.size()), -1.0, 0.1, 50000);
    EXPECT_NE(static_cast<int>(block.size()), result);
    EXPECT_LT(w.stopAndSeconds(), 10.0f);
}

TEST_F(USockTest, ConnectWithinATimeLimit)
{
    // A listener that takes connections: the connect succeeds and the socket keeps its mode.
    Loopback lo;
    USockTcp s;
    ASSERT_TRUE(s.open("127.0.0.1", lo.port));
    EXPECT_EQ(USock::Connected, s.connect(5.0));
    EXPECT_EQ(1, s.blocking);
    USockTcp peer;
    ASSERT_TRUE(lo.listener.accept(peer));
    sendRaw(s, "hello");
    EXPECT_EQ("hello", recvAll(peer, 5));
    EXPECT_TRUE(peer.close());
    EXPECT_TRUE(s.close());

    // Nobody listens on a port just given up: refused at once, not at the limit.
    USockTcp gone;
    ASSERT_TRUE(gone.open("127.0.0.1", 0));
    ASSERT_TRUE(gone.bind());
    ASSERT_TRUE(gone.attach(gone.sock));
    const int freePort = gone.port;
    ASSERT_TRUE(gone.close());
    USockTcp refused;
    ASSERT_TRUE(refused.open("127.0.0.1", freePort));
    UStopWatch w;
    w.start();
    EXPECT_EQ(USock::ConnectFailed, refused.connect(20.0));
    EXPECT_LT(w.stopAndSeconds(), 5.0f);
    EXPECT_TRUE(refused.close());
}

TEST_F(USockTest, ConnectToAFullBacklogTimesOut)
{
    // A listener that never accepts, with the shortest backlog: once its queue is full the
    // system drops further connection requests unanswered, as a firewall that swallows
    // them does, and only the time limit ends the wait. (Addresses outside loopback are
    // not ours to try.)
    USockTcp listener;
    ASSERT_TRUE(listener.open("127.0.0.1", 0));
    ASSERT_TRUE(listener.bind());
    ASSERT_TRUE(listener.listen(0));
    ASSERT_TRUE(listener.attach(listener.sock));
    std::vector<USockTcp> queued;
    USock::ConnectResult last = USock::Connected;
    float waited = 0;
    for (int i = 0; i < 16 && last == USock::Connected; ++i) {
        USockTcp s;
        ASSERT_TRUE(s.open("127.0.0.1", listener.port));
        UStopWatch w;
        w.start();
        last = s.connect(0.5);
        waited = w.stopAndSeconds();
        queued.push_back(s);
    }
    EXPECT_EQ(USock::ConnectTimedOut, last);
    EXPECT_GE(waited, 0.45f);
    EXPECT_LT(waited, 3.0f);
    // The socket is left as it was: blocking, and the caller's to close.
    EXPECT_EQ(1, queued.back().blocking);
    for (USockTcp& s : queued)
        EXPECT_TRUE(s.close());
    EXPECT_TRUE(listener.close());
}
