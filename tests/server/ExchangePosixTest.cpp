// The whole job exchange natively: the server's dispatch serves a client of this test over
// loopback, and a stand-in print program (a shell script named draxome.exe) writes the
// job log, the response file and the resolution list as it is told.
#include "net/USockTcp.h"
#include "server/KeltoCmdLine.h"
#include "server/PClientPolicy.h"
#include "server/PJobStaging.h"
#include "server/PPrinterServer.h"
#include "server/PUptime.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::writeFile;
using Clock = std::chrono::steady_clock;

const char* const kSource = "unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )";
const char* const kNetwork = "This may be a network layer error";

// The stand-in reads the client's command line from its command file. Words in it steer
// it: "nolog" writes no job log, "noresponse" no response file, "noreslist" no resolution
// list, "slow" sleeps a second first. It copies the document it is given to printed.txt.
const char* const kStandIn = R"(#!/bin/sh
printf '%s\n' "$@" > standin-args.txt
while [ $# -gt 0 ]; do
  case "$1" in
    -cmdfile) cmd=$2; shift 2 ;;
    -logfile) log=$2; shift 2 ;;
    -open) doc=$2; shift 2 ;;
    *) shift ;;
  esac
done
text=$(cat "$cmd")
has() { case " $text " in *" $1 "*) return 0 ;; esac; return 1; }
if has slow; then sleep 1; fi
[ -n "$doc" ] && cp "$doc" printed.txt
if ! has nolog; then printf 'Info: job of %s\r\n' "$text" > "$log"; fi
resp=$(printf '%s' "$text" | sed -n 's/.*-response \([^ ]*\).*/\1/p')
if [ -n "$resp" ] && ! has noresponse; then printf 'response of the job' > "$resp"; fi
if has -reslist && ! has noreslist; then printf '300x300\n600x600\n' > reslist.txt; fi
: > standin-done.txt
)";

std::string le32(int v)
{
    const unsigned u = static_cast<unsigned>(v);
    return {char(u & 0xff), char((u >> 8) & 0xff), char((u >> 16) & 0xff), char(u >> 24)};
}
std::string str(int type, const std::string& text) { return le32(type) + le32(int(text.size() + 1)) + text + '\0'; }
std::string cmdline(const std::string& text) { return str(0x1000, text); }
std::string file(const std::string& content)
{
    return le32(0x1001) + str(1, "a.txt") + le32(int(content.size())) + content;
}

// One message the server sent: a file's type, name and content, or an abort's five texts.
struct Reply {
    int type = 0;
    std::string name, content;
    std::vector<std::string> abort;
    // "1005" for a file, "abort:<error>" for an abort.
    std::string summary() const
    {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", type);
        return type == 4 ? "abort:" + abort[2] : hex;
    }
};

// The replies in the bytes the server sent before closing; a cut message ends them with -1.
std::vector<Reply> parseReplies(const std::string& bytes)
{
    std::vector<Reply> out;
    size_t pos = 0;
    auto int32 = [&](int& v) {
        if (pos + 4 > bytes.size())
            return false;
        v = int(unsigned(uint8_t(bytes[pos])) | unsigned(uint8_t(bytes[pos + 1])) << 8 |
                unsigned(uint8_t(bytes[pos + 2])) << 16 | unsigned(uint8_t(bytes[pos + 3])) << 24);
        pos += 4;
        return true;
    };
    auto take = [&](std::string& s, int size) {
        if (size < 0 || pos + size_t(size) > bytes.size())
            return false;
        s = bytes.substr(pos, size_t(size));
        pos += size_t(size);
        return true;
    };
    auto string = [&](std::string& s) {
        int type = 0, size = 0;
        const bool ok = int32(type) && type == 1 && int32(size) && size >= 1 && take(s, size);
        s.resize(s.empty() ? 0 : s.size() - 1);
        return ok;
    };
    while (pos < bytes.size()) {
        Reply r;
        int size = 0;
        bool ok = int32(r.type);
        if (ok && r.type == 4) {
            r.abort.resize(5);
            for (std::string& s : r.abort)
                ok = ok && string(s);
        } else {
            ok = ok && r.type >= 0x1002 && r.type <= 0x1006 && string(r.name) && int32(size) && take(r.content, size);
        }
        if (!ok)
            r.type = -1;
        out.push_back(r);
        if (!ok)
            break;
    }
    return out;
}

// A client of plain sockets, so nothing it does shows in the server's log.
struct Client {
    explicit Client(int port) : fd(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(static_cast<uint16_t>(port));
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(0, ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa));
    }
    ~Client() { ::close(fd); }
    void send(const std::string& bytes)
    {
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t r = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (r <= 0)
                return;
            done += size_t(r);
        }
    }
    // No more bytes from this side; the server sees the end of the stream.
    void halfClose() { ::shutdown(fd, SHUT_WR); }
    std::string receiveAll()
    {
        std::string all;
        char buf[65536];
        for (ssize_t r; (r = ::recv(fd, buf, sizeof buf, 0)) > 0;)
            all.append(buf, size_t(r));
        return all;
    }
    int fd;
};

// The server's own options for the length of a test.
struct Policy {
    explicit Policy(const char* serverLine)
    {
        KeltoCmdLine o;
        EXPECT_TRUE(PJobStaging::prepareJobOptions(serverLine, o, UString("0.")));
        PClientPolicy::set(o);
    }
    ~Policy() { PClientPolicy::set(KeltoCmdLine()); }
};

class ExchangeTest : public ::testing::Test {
protected:
    ExchangeTest() : mDir(true)
    {
        writeFile("draxome.exe", kStandIn);
        fs::permissions("draxome.exe", fs::perms::owner_all);
        writeFile("prntlist.txt", "Virtual A4\nVirtual Letter\n");
        writeFile("fontlist.txt", "Courier New\n");
        writeFile("version.txt", "v5.3.9");
        EXPECT_TRUE(mListener.open("127.0.0.1", 0) && mListener.bind() && mListener.listen(10) &&
                    mListener.attach(mListener.sock));
        PUptime::start();
    }
    ~ExchangeTest() override { mListener.close(); }

    // Serves one connection with dispatch while client runs on a thread of its own, and
    // returns what the server sent before it closed.
    std::vector<Reply> exchange(const std::function<void(Client&)>& client)
    {
        std::promise<std::string> received;
        std::future<std::string> bytes = received.get_future();
        std::thread peer([&] {
            Client c(mListener.port);
            client(c);
            received.set_value(c.receiveAll());
        });
        USockTcp* connection = new USockTcp;
        EXPECT_TRUE(mListener.accept(*connection));
        const auto started = Clock::now();
        mResult = PPrinterServer::dispatch(connection);
        mTook = Clock::now() - started;
        const bool closed = bytes.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        EXPECT_TRUE(closed) << "the connection was not closed";
        peer.join();
        return parseReplies(closed ? bytes.get() : std::string());
    }
    std::vector<Reply> job(const std::string& bytes)
    {
        return exchange([&](Client& c) { c.send(bytes); });
    }
    static std::vector<std::string> summaries(const std::vector<Reply>& replies)
    {
        std::vector<std::string> out;
        for (const Reply& r : replies)
            out.push_back(r.summary());
        return out;
    }
    // The one file of this directory whose name begins with head, or "".
    static std::string only(const std::string& head)
    {
        std::string found;
        int n = 0;
        for (const auto& e : fs::directory_iterator("."))
            if (e.path().filename().string().rfind(head, 0) == 0 && ++n == 1)
                found = e.path().filename().string();
        return n == 1 ? found : std::string();
    }

    testsupport::TempDir mDir;
    testsupport::LogCapture mLog;
    USockTcp mListener;
    unsigned mResult = 99;
    Clock::duration mTook{};
};

} // namespace

TEST_F(ExchangeTest, APrintedJobRunsOnTheStagedFilesAndSendsEveryReplyInOrder)
{
    const std::string text = "-reslist -response answer.txt -ver -fontlist -printlist -open C:\\docs\\report.pdf "
                             "-printername \"Virtual A4\" -logfile mine.txt";
    const std::string document(120000, 'x');
    const auto replies = job(cmdline(text) + file(document));
    EXPECT_EQ(1u, mResult);
    const std::string cmd = only("tmpCmdfile."), doc = only("tmpFilename."), jobLog = only("tmpLog.");
    ASSERT_FALSE(cmd.empty());
    const std::string stamp = cmd.substr(11, cmd.size() - 11 - 4);
    EXPECT_EQ("tmpFilename." + stamp + ".txt", doc);
    EXPECT_EQ("tmpLog." + stamp + ".txt", jobLog);
    // The command file holds the client's text byte for byte, the document its content.
    EXPECT_EQ(text, readFile(cmd));
    EXPECT_EQ(document, readFile("printed.txt"));
    EXPECT_EQ("-cmdfile\n" + cmd + "\n-logfile\n" + jobLog + "\n-open\n" + doc + "\n", readFile("standin-args.txt"));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"prntlist.txt", "Virtual A4\nVirtual Letter\n"}, {"fontlist.txt", "Courier New\n"},
        {"version.txt", "v5.3.9"}, {"answer.txt", "response of the job"}, {"reslist.txt", "300x300\n600x600\n"},
        {jobLog, "Info: job of " + text + "\r\n"}};
    EXPECT_EQ((std::vector<std::string>{"1002", "1003", "1005", "1002", "1004", "1006"}), summaries(replies));
    for (size_t i = 0; i < expected.size() && i < replies.size(); ++i) {
        EXPECT_EQ(expected[i].first, replies[i].name);
        EXPECT_EQ(expected[i].second, replies[i].content);
    }
    // The response file goes once sent; the staged files stay until the next start.
    EXPECT_FALSE(fs::exists("answer.txt") || fs::exists("mine.txt"));
    EXPECT_TRUE(fs::exists(doc) && fs::exists(jobLog));
    EXPECT_EQ("", mLog.text()) << "a good job logs nothing";

    // Without a document, no file is expected; -disablelog sends nothing after the job.
    EXPECT_EQ((std::vector<std::string>{"1005"}), summaries(job(cmdline("-disablelog -ver -printername x"))));
    EXPECT_EQ(1u, mResult);
}

TEST_F(ExchangeTest, AViewJobClosesOnceTheProgramIsStarted)
{
    const auto replies = job(cmdline("-view -printlist -reslist -response r.txt slow"));
    EXPECT_EQ(1u, mResult);
    EXPECT_EQ((std::vector<std::string>{"1002"}), summaries(replies)) << "only what comes before the job";
    EXPECT_LT(mTook, std::chrono::milliseconds(900));
    EXPECT_FALSE(fs::exists("standin-done.txt"));
    for (int i = 0; i < 200 && !fs::exists("standin-done.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(fs::exists("r.txt")) << "nobody took the response file";
}

TEST_F(ExchangeTest, EveryFailureEndsOnlyItsExchangeWithItsAbortAndLogLine)
{
    const std::string d = "dispatch(): ";
    const std::string noResponse = "abort:Could not send the -run response file back to client. This usually means "
                                   "the response file was not created by the process.";
    struct Case {
        std::function<void(Client&)> client;
        std::function<void()> setup;
        std::vector<std::string> replies;
        std::string logged;
        bool ran;
    };
    auto sends = [](const std::string& bytes) { return [bytes](Client& c) { c.send(bytes), c.halfClose(); }; };
    const std::string peerAbort = le32(4) + str(1, "T") + str(1, "N") + str(1, "x\r\nInfo: forged") + str(1, "D") +
                                  str(1, "S");
    const Case cases[] = {
        {sends(peerAbort), {}, {}, "msgCmdLine: connection aborted by peer\r\nError: T\r\nError: \tException Name: "
                                   "N\r\nError: \tError Message: x??Info: forged\r\n", false},
        {sends(cmdline("-open a.txt") + peerAbort), {}, {}, "msgFileName: connection aborted by peer", false},
        // Each client sends nothing the server leaves unread, which would reset the connection.
        {sends(le32(0x1001)), {}, {"abort:Wrong message type received"}, "msgCmdLine: received an unexpected type",
         false},
        {sends(cmdline("-open a.txt") + le32(0x1000)), {}, {"abort:Wrong message type received"},
         "msgFileName: received an unexpected type", false},
        {sends(""), {}, {"abort:Wrong message type received"}, "msgCmdLine: received an unexpected type", false},
        {sends(le32(0x1000) + le32(0)), {}, {"abort:Could not read command line sent by printer client", "abort:"},
         "msgCmdLine: could not read", false},
        {sends(le32(0x1000) + le32(40) + "-ver"), {}, {"abort:Could not read command line sent by printer client",
                                                       "abort:"}, "msgCmdLine: could not read", false},
        {sends(cmdline("-open a.txt") + le32(0x1001) + str(1, "a.txt") + le32(1000) + "zz"), {},
         {"abort:Could not read -open parameter from printer client"}, "msgFileName: could not read", false},
        {sends(cmdline("-printlist -open a.txt -logfile")), {},
         {"abort:Could not parse command line sent by printer client"}, "msgCmdLine: could not parse", false},
        {sends(cmdline("-printlist -fontlist")), [] { fs::remove("prntlist.txt"); },
         {"abort:Could not send printlist.txt to printer client"}, "msgPrintList: could not send", false},
        {sends(cmdline("-fontlist -ver")), [] { fs::remove("version.txt"); },
         {"1003", "abort:Could not send version.txt to printer client"}, "msgVersion: could not send", false},
        {sends(cmdline("-ver -fontlist")), [] { fs::remove("fontlist.txt"); },
         {"abort:Could not send fontlist.txt to printer client"}, "msgFontList: could not send", false},
        {sends(cmdline("-response none.txt -reslist noresponse")), {}, {noResponse}, "msgResponse: could not send",
         true},
        {sends(cmdline("-response r.txt -reslist noreslist")), [] { fs::remove("reslist.txt"); },
         {"1002", "abort:Could not send reslist.txt to printer client"}, "msgResList: could not send", true},
        {sends(cmdline("-reslist nolog")), {}, {"1004", "abort:Could not send log file to printer client"},
         "msgLog: could not send", true},
        {sends(cmdline("-ver")), [] { fs::remove("draxome.exe"); },
         {"1005", "abort:Could not find velquin.exe or draxome.exe"}, "could not find velquin.exe or draxome.exe",
         false},
        {sends(cmdline("")), [] { writeFile("velquin.exe", "not a program\n"); }, {"abort:"},
         "could not spawn process velquin.exe", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged);
        if (c.setup)
            c.setup();
        const size_t before = mLog.text().size();
        const auto replies = exchange(c.client);
        EXPECT_EQ(0u, mResult);
        EXPECT_EQ(c.replies, summaries(replies));
        if (!replies.empty() && replies.back().type == 4 && !replies.back().abort[2].empty()) {
            EXPECT_EQ(kSource, replies.back().abort[4]);
        }
        EXPECT_NE(std::string::npos, mLog.text().find(c.logged, before)) << mLog.text().substr(before);
        EXPECT_EQ(c.ran, fs::remove("standin-args.txt"));
        for (const char* f : {"draxome.exe", "prntlist.txt", "fontlist.txt", "version.txt"})
            writeFile(f, f == std::string("draxome.exe") ? kStandIn : "x");
        fs::permissions("draxome.exe", fs::perms::owner_all);
        fs::remove("velquin.exe");
    }
    // An abort is logged as the five lines of its record.
    EXPECT_NE(std::string::npos,
              mLog.text().find("Error: PPrinterServer::dispatch(): msgCmdLine: could not parse\r\n"
                               "Error: Communication error information:\r\nError: \tException Name: USockMAbort\r\n"
                               "Error: \tError Message: Could not parse command line sent by printer client\r\n"
                               "Error: \tDescription: An option that takes a value (-open, -response, -logfile, "
                               "-listenaddr) came without one\r\nError: \tSource: " +
                               std::string(kSource) + "\r\n"));
    EXPECT_EQ((std::vector<std::string>{"1005", "1006"}), summaries(job(cmdline("-ver")))) << "the next is served";
}

TEST_F(ExchangeTest, RefusedJobsGetOneLineAndAnAbortAndLeaveNoTrace)
{
    const char* const cases[] = {
        "-open a.txt -cmdfile C:\\secret.txt",
        "-open a.txt -run default -response out.txt",
        "-open a.txt -copy ..\\draxome.exe",
        "-open a.txt -response prntlist.txt",
        "-open a.txt -printername \\\\elsewhere\\p",
        "-listenaddr -open C:\\secret.txt",
    };
    for (const std::string line : cases) {
        SCOPED_TRACE(line);
        const size_t before = mLog.text().size();
        const auto replies = job(cmdline(line));
        EXPECT_EQ(0u, mResult);
        ASSERT_EQ(1u, replies.size());
        ASSERT_EQ(4, replies[0].type);
        EXPECT_EQ(0u, replies[0].abort[2].find("Refused -")) << replies[0].abort[2];
        EXPECT_NE(std::string::npos, replies[0].abort[3].find("-trustclients"));
        EXPECT_EQ("Error: PPrinterServer::dispatch(): job refused: " + replies[0].abort[2] + "\r\n",
                  mLog.text().substr(before));
        EXPECT_EQ("", only("tmp")) << "nothing of the job is written";
        EXPECT_FALSE(fs::exists("standin-args.txt")) << "nothing is started";
    }

    Policy policy("-allowrun default -allowrun conv");
    writeFile("prntlist.txt", "Virtual A4\n\\\\printhost\\Office\n");
    auto replies = job(cmdline("-open a.txt -run default -response answer.txt -copy copy.txt -printername "
                               "\\\\printhost\\Office") + file("document"));
    EXPECT_EQ((std::vector<std::string>{"1002", "1006"}), summaries(replies));
    // -trustclients lifts every check; a response file is sent and deleted, whatever its name.
    Policy trusting("-trustclients");
    replies = job(cmdline("-open a.txt -cmdfile x.ini -run anything -response prntlist.txt") + file("document"));
    EXPECT_EQ(1u, mResult);
    ASSERT_FALSE(replies.empty());
    EXPECT_EQ("response of the job", replies[0].content);
    EXPECT_FALSE(fs::exists("prntlist.txt"));
}

TEST_F(ExchangeTest, ClientsThatGoSilentOrStopReadingAreGivenUpAfterTheLimit)
{
    Policy policy("-clienttimeout 0.5");
    const std::function<void(Client&)> silent[] = {
        [](Client&) {},
        [](Client& c) { c.send(le32(0x1000) + le32(40) + "-ver"); },
        [](Client& c) { c.send(cmdline("-open a.txt") + le32(0x1001) + str(1, "a.txt") + le32(1000) + "zz"); },
    };
    for (const auto& client : silent) {
        const auto replies = exchange(client);
        EXPECT_EQ(0u, mResult);
        EXPECT_GE(mTook, std::chrono::milliseconds(450));
        EXPECT_LT(mTook, std::chrono::seconds(5));
        ASSERT_FALSE(replies.empty());
        EXPECT_EQ(4, replies[0].type);
    }
    // The limit does not cut the print program's run: the stand-in sleeps a second.
    EXPECT_EQ((std::vector<std::string>{"1005", "1006"}), summaries(job(cmdline("-ver slow"))));

    // Far more than the socket buffers of both ends hold, to a client that reads nothing.
    writeFile("prntlist.txt", std::string(40 * 1024 * 1024, 'p'));
    exchange([&](Client& c) {
        c.send(cmdline("-printlist"));
        for (int i = 0; i < 600 && mLog.text().find("msgPrintList") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    });
    EXPECT_EQ(0u, mResult);
    EXPECT_LT(mTook, std::chrono::seconds(10));
    EXPECT_NE(std::string::npos, mLog.text().find("msgPrintList: could not send"));
}
