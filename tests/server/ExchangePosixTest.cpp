// The whole job exchange natively: the server's dispatch serves a client of this test over
// loopback, and a stand-in print program (a shell script named draxome.exe) writes the
// job log, the response file and the resolution list as it is told.
#include "common/UStopWatch.h"
#include "net/USockTcp.h"
#include "server/PClientPolicy.h"
#include "server/PExchange.h"
#include "server/KeltoCmdLine.h"
#include "server/PJobStaging.h"
#include "server/PPrinterServer.h"
#include "server/PUptime.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

const char* const kSource = "unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )";

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
    std::string s(4, '\0');
    const unsigned u = static_cast<unsigned>(v);
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>((u >> (8 * i)) & 0xff);
    return s;
}

std::string str(int type, const std::string& text) { return le32(type) + le32(int(text.size() + 1)) + text + '\0'; }
std::string cmdline(const std::string& text) { return str(0x1000, text); }
std::string file(int type, const std::string& name, const std::string& content)
{
    return le32(type) + str(1, name) + le32(int(content.size())) + content;
}
std::string abortMsg(const std::string& error, const std::string& description, const std::string& source)
{
    return le32(4) + str(1, "Communication error information:") + str(1, "USockMAbort") + str(1, error) +
           str(1, description) + str(1, source);
}

// One message the server sent, as this test reads it from the raw bytes.
struct Reply {
    int type = 0;
    // Files: the announced name and the content. Aborts: the five texts.
    std::string name;
    std::string content;
    std::vector<std::string> abort;
};

// Reads the replies from the bytes the server sent before closing; a message cut short
// ends the list with type -1.
std::vector<Reply> parseReplies(const std::string& bytes)
{
    std::vector<Reply> out;
    size_t pos = 0;
    auto int32 = [&](int& v) {
        if (pos + 4 > bytes.size())
            return false;
        unsigned u = 0;
        for (int i = 0; i < 4; ++i)
            u |= static_cast<unsigned>(static_cast<unsigned char>(bytes[pos + i])) << (8 * i);
        v = static_cast<int>(u);
        pos += 4;
        return true;
    };
    auto string = [&](std::string& s) {
        int type = 0;
        int size = 0;
        if (!int32(type) || type != 1 || !int32(size) || size < 1 || pos + size_t(size) > bytes.size())
            return false;
        s = bytes.substr(pos, size_t(size) - 1);
        pos += size_t(size);
        return true;
    };
    while (pos < bytes.size()) {
        Reply r;
        bool ok = int32(r.type);
        if (ok && r.type == 4) {
            r.abort.resize(5);
            for (std::string& s : r.abort)
                ok = ok && string(s);
        } else if (ok && r.type >= 0x1002 && r.type <= 0x1006) {
            int size = 0;
            ok = string(r.name) && int32(size) && size >= 0 && pos + size_t(size) <= bytes.size();
            if (ok) {
                r.content = bytes.substr(pos, size_t(size));
                pos += size_t(size);
            }
        } else {
            ok = false;
        }
        if (!ok) {
            r.type = -1;
            out.push_back(r);
            break;
        }
        out.push_back(r);
    }
    return out;
}

// A client of plain sockets, so nothing it does shows in the server's log.
class Client {
public:
    explicit Client(int port)
    {
        mFd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(static_cast<uint16_t>(port));
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(0, ::connect(mFd, reinterpret_cast<sockaddr*>(&sa), sizeof sa));
    }
    ~Client() { closeAll(); }
    void send(const std::string& bytes)
    {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t r = ::send(mFd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (r <= 0)
                return;
            done += size_t(r);
        }
    }
    // No more bytes from this side; the server sees the end of the stream.
    void halfClose() { ::shutdown(mFd, SHUT_WR); }
    void closeAll()
    {
        if (mFd >= 0)
            ::close(mFd);
        mFd = -1;
    }
    std::string receiveAll()
    {
        std::string all;
        char buf[65536];
        for (;;) {
            const ssize_t r = ::recv(mFd, buf, sizeof buf, 0);
            if (r <= 0)
                return all;
            all.append(buf, size_t(r));
        }
    }

private:
    int mFd = -1;
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
        EXPECT_TRUE(mListener.open("127.0.0.1", 0));
        EXPECT_TRUE(mListener.bind());
        EXPECT_TRUE(mListener.listen(10));
        EXPECT_TRUE(mListener.attach(mListener.sock));
        mPort = mListener.port;
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
            Client c(mPort);
            client(c);
            received.set_value(c.receiveAll());
        });
        USockTcp* connection = new USockTcp;
        EXPECT_TRUE(mListener.accept(*connection));
        mResult = PPrinterServer::dispatch(connection);
        const bool closed = bytes.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        EXPECT_TRUE(closed) << "the connection was not closed";
        peer.join();
        mRaw = closed ? bytes.get() : std::string();
        return parseReplies(mRaw);
    }
    std::vector<Reply> job(const std::string& bytes)
    {
        return exchange([&](Client& c) { c.send(bytes); });
    }

    std::string log() const { return mLog.text(); }
    // The log as its lines, without their line ends.
    std::vector<std::string> logLines() const
    {
        std::vector<std::string> lines;
        const std::string text = log();
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find("\r\n", start);
            if (end == std::string::npos)
                end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }
    // The one file of this directory whose name begins with head, or "".
    static std::string only(const std::string& head)
    {
        std::string found;
        int n = 0;
        for (const auto& e : fs::directory_iterator("."))
            if (e.path().filename().string().rfind(head, 0) == 0) {
                found = e.path().filename().string();
                ++n;
            }
        return n == 1 ? found : std::string();
    }
    static std::vector<std::string> standInArgs()
    {
        std::vector<std::string> args;
        std::string text = readFile("standin-args.txt");
        size_t start = 0;
        size_t end;
        while ((end = text.find('\n', start)) != std::string::npos) {
            args.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return args;
    }
    static void expectAbort(const Reply& r, const std::string& error, const std::string& description,
                            const std::string& source = kSource)
    {
        ASSERT_EQ(4, r.type);
        EXPECT_EQ("Communication error information:", r.abort[0]);
        EXPECT_EQ("USockMAbort", r.abort[1]);
        EXPECT_EQ(error, r.abort[2]);
        EXPECT_EQ(description, r.abort[3]);
        EXPECT_EQ(source, r.abort[4]);
    }
    // The five lines that printing an abort record writes, at Error level.
    static std::vector<std::string> printed(const std::string& name, const std::string& error,
                                            const std::string& description, const std::string& source = kSource)
    {
        return {"Error: Communication error information:", "Error: \tException Name: " + name,
                "Error: \tError Message: " + error, "Error: \tDescription: " + description,
                "Error: \tSource: " + source};
    }

    TempDir mDir;
    testsupport::LogCapture mLog;
    USockTcp mListener;
    int mPort = 0;
    unsigned mResult = 99;
    std::string mRaw;
};

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST_F(ExchangeTest, PrintedJobRunsOnTheStagedFilesAndSendsTheLog)
{
    const std::string text = "-open C:\\docs\\report.pdf -printername \"Virtual A4\" -logfile mine.txt";
    const std::string document(120000, 'x');
    const auto replies = job(cmdline(text) + file(0x1001, "report.pdf", document));
    EXPECT_EQ(1u, mResult);

    const std::string cmd = only("tmpCmdfile.");
    const std::string doc = only("tmpFilename.");
    const std::string jobLog = only("tmpLog.");
    ASSERT_FALSE(cmd.empty());
    const std::string stamp = cmd.substr(11, cmd.size() - 11 - 4);
    EXPECT_EQ("tmpFilename." + stamp + ".txt", doc);
    EXPECT_EQ("tmpLog." + stamp + ".txt", jobLog);
    // The command file holds the client's text byte for byte, the document its content.
    EXPECT_EQ(text, readFile(cmd));
    EXPECT_EQ(document, readFile(doc));
    EXPECT_EQ(document, readFile("printed.txt"));
    EXPECT_EQ((std::vector<std::string>{"-cmdfile", cmd, "-logfile", jobLog, "-open", doc}), standInArgs());
    EXPECT_FALSE(fs::exists("mine.txt"));

    ASSERT_EQ(1u, replies.size());
    EXPECT_EQ(0x1006, replies[0].type);
    EXPECT_EQ(jobLog, replies[0].name);
    EXPECT_EQ("Info: job of " + text + "\r\n", replies[0].content);
    // The temporary files stay until the next start; a good job leaves nothing in the log.
    EXPECT_TRUE(fs::exists(cmd) && fs::exists(doc) && fs::exists(jobLog));
    EXPECT_EQ("", log());
}

TEST_F(ExchangeTest, JobWithoutDocumentExpectsNoFile)
{
    const auto replies = job(cmdline("-printername x"));
    EXPECT_EQ(1u, mResult);
    const std::string cmd = only("tmpCmdfile.");
    ASSERT_FALSE(cmd.empty());
    EXPECT_EQ((std::vector<std::string>{"-cmdfile", cmd, "-logfile", only("tmpLog.")}), standInArgs());
    EXPECT_EQ("", only("tmpFilename."));
    ASSERT_EQ(1u, replies.size());
    EXPECT_EQ(0x1006, replies[0].type);
}

TEST_F(ExchangeTest, EveryFlagSendsItsFileInOrderAndTheResponseFileGoes)
{
    const auto replies = job(cmdline("-reslist -response answer.txt -ver -fontlist -printlist -open a.txt") +
                             file(0x1001, "a.txt", "abc"));
    EXPECT_EQ(1u, mResult);
    const std::string jobLog = only("tmpLog.");
    struct Expected {
        int type;
        std::string name;
        std::string content;
    };
    const std::vector<Expected> expected = {
        {0x1002, "prntlist.txt", "Virtual A4\nVirtual Letter\n"},
        {0x1003, "fontlist.txt", "Courier New\n"},
        {0x1005, "version.txt", "v5.3.9"},
        {0x1002, "answer.txt", "response of the job"},
        {0x1004, "reslist.txt", "300x300\n600x600\n"},
        {0x1006, jobLog, readFile(jobLog)},
    };
    ASSERT_EQ(expected.size(), replies.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].type, replies[i].type) << i;
        EXPECT_EQ(expected[i].name, replies[i].name) << i;
        EXPECT_EQ(expected[i].content, replies[i].content) << i;
    }
    EXPECT_FALSE(fs::exists("answer.txt"));
    EXPECT_TRUE(fs::exists("reslist.txt"));
    EXPECT_EQ("", log());
}

TEST_F(ExchangeTest, DisableLogSendsNothingAfterTheJob)
{
    const auto replies = job(cmdline("-disablelog -ver"));
    EXPECT_EQ(1u, mResult);
    ASSERT_EQ(1u, replies.size());
    EXPECT_EQ(0x1005, replies[0].type);
    EXPECT_TRUE(fs::exists("standin-done.txt"));
}

TEST_F(ExchangeTest, ViewClosesOnceTheProgramIsStarted)
{
    const auto start = std::chrono::steady_clock::now();
    const auto replies = job(cmdline("-view -printlist -reslist -response r.txt slow"));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(1u, mResult);
    // Only what comes before the job: no response, no resolution list, no log.
    ASSERT_EQ(1u, replies.size());
    EXPECT_EQ(0x1002, replies[0].type);
    EXPECT_EQ("prntlist.txt", replies[0].name);
    EXPECT_LT(took, std::chrono::milliseconds(900));
    EXPECT_FALSE(fs::exists("standin-done.txt"));
    for (int i = 0; i < 200 && !fs::exists("standin-done.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_TRUE(fs::exists("standin-done.txt"));
    // Nobody took the response file: it stays.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(fs::exists("r.txt"));
}

TEST_F(ExchangeTest, ClientAbortEndsTheExchangeSilently)
{
    const std::string a = abortMsg("user pressed stop", "client side", "client::main()");
    auto replies = job(a);
    EXPECT_EQ(0u, mResult);
    EXPECT_TRUE(replies.empty());
    EXPECT_EQ(concat({"Error: PPrinterServer::dispatch(): msgCmdLine: connection aborted by peer"},
                     printed("USockMAbort", "user pressed stop", "client side", "client::main()")),
              logLines());

    replies = job(cmdline("-open a.txt -printlist") + a);
    EXPECT_EQ(0u, mResult);
    EXPECT_TRUE(replies.empty());
    EXPECT_NE(std::string::npos,
              log().find("Error: PPrinterServer::dispatch(): msgFileName: connection aborted by peer\r\n"
                         "Error: Communication error information:\r\n"));
    EXPECT_FALSE(fs::exists("standin-args.txt"));
    EXPECT_EQ("", only("tmpCmdfile."));
}

TEST_F(ExchangeTest, UnexpectedTypesAreAnsweredWithATypeAbort)
{
    auto replies = job(file(0x1001, "a.txt", "abc"));
    EXPECT_EQ(0u, mResult);
    ASSERT_EQ(1u, replies.size());
    ASSERT_EQ(4, replies[0].type);
    EXPECT_EQ("USockMAbortType", replies[0].abort[1]);
    EXPECT_EQ("Wrong message type received", replies[0].abort[2]);
    EXPECT_EQ("Expected type was msgCmdLine (4096); received type was 4097", replies[0].abort[3]);
    EXPECT_EQ(kSource, replies[0].abort[4]);
    EXPECT_EQ(concat({"Error: PPrinterServer::dispatch(): msgCmdLine: received an unexpected type"},
                     printed("USockMAbortType", "Wrong message type received",
                             "Expected type was msgCmdLine (4096); received type was 4097")),
              logLines());

    // A second command line where the document belongs.
    replies = job(cmdline("-open a.txt") + cmdline("-open a.txt"));
    EXPECT_EQ(0u, mResult);
    ASSERT_EQ(1u, replies.size());
    ASSERT_EQ(4, replies[0].type);
    EXPECT_EQ("Expected type was msgFileName (4097); received type was 4096", replies[0].abort[3]);
    EXPECT_FALSE(fs::exists("standin-args.txt"));
}

TEST_F(ExchangeTest, ClientThatGoesAwayEndsOnlyItsExchange)
{
    // Nothing at all: the type word cannot be read.
    auto replies = exchange([](Client& c) { c.halfClose(); });
    EXPECT_EQ(0u, mResult);
    ASSERT_EQ(1u, replies.size());
    EXPECT_EQ("Expected type was msgCmdLine (4096); received type was -1", replies[0].abort[3]);

    // Gone for good before the server answers: the abort goes nowhere, the server goes on.
    replies = exchange([](Client& c) {
        c.send(std::string("\x00\x10", 2));
        c.closeAll();
    });
    EXPECT_EQ(0u, mResult);

    // In the middle of the document.
    replies = exchange([](Client& c) {
        c.send(cmdline("-open a.txt") + le32(0x1001) + str(1, "a.txt") + le32(1000) + std::string(10, 'z'));
        c.halfClose();
    });
    EXPECT_EQ(0u, mResult);
    ASSERT_EQ(1u, replies.size());
    expectAbort(replies[0], "Could not read -open parameter from printer client", "This may be a network layer error");
    EXPECT_NE(std::string::npos, log().find("Error: PPrinterServer::dispatch(): msgFileName: could not read\r\n"));
    EXPECT_FALSE(fs::exists("standin-args.txt"));

    // And the next client is served as if nothing had happened.
    replies = job(cmdline("-ver"));
    EXPECT_EQ(1u, mResult);
    ASSERT_EQ(2u, replies.size());
    EXPECT_EQ(0x1005, replies[0].type);
    EXPECT_EQ(0x1006, replies[1].type);
}

TEST_F(ExchangeTest, CommandLineBodyNotReadGetsTwoAborts)
{
    // A size of 0 is refused before anything is read; so is a body cut short.
    for (const std::string& bytes :
         {le32(0x1000) + le32(0), le32(0x1000) + le32(-5), le32(0x1000) + le32(40) + std::string("-ver")}) {
        const auto replies = exchange([&](Client& c) {
            c.send(bytes);
            c.halfClose();
        });
        EXPECT_EQ(0u, mResult);
        ASSERT_EQ(2u, replies.size());
        expectAbort(replies[0], "Could not read command line sent by printer client",
                    "This may be a network layer error");
        expectAbort(replies[1], "", "", "");
    }
    const std::vector<std::string> lines = logLines();
    const auto at = std::find(lines.begin(), lines.end(), "Error: PPrinterServer::dispatch(): msgCmdLine: could not read");
    ASSERT_NE(lines.end(), at);
    EXPECT_EQ(printed("USockMAbort", "Could not read command line sent by printer client",
                      "This may be a network layer error"),
              std::vector<std::string>(at + 1, at + 6));
    EXPECT_FALSE(fs::exists("standin-args.txt"));
}

TEST_F(ExchangeTest, CommandLineThatCannotBeParsedRunsNothing)
{
    // -open came through, -logfile has no value: the client sends its document anyway.
    const auto replies = job(cmdline("-printlist -open a.txt -logfile") + file(0x1001, "a.txt", "abc"));
    EXPECT_EQ(0u, mResult);
    ASSERT_EQ(1u, replies.size());
    expectAbort(replies[0], "Could not parse command line sent by printer client",
                "An option that takes a value (-open, -response, -logfile, -listenaddr) came without one");
    EXPECT_EQ(concat({"Error: Error in KeltoCmdLine::parse(): -logfile",
                      "Error: PPrinterServer::dispatch(): msgCmdLine: could not parse"},
                     printed("USockMAbort", "Could not parse command line sent by printer client",
                             "An option that takes a value (-open, -response, -logfile, -listenaddr) came without one")),
              logLines());
    EXPECT_FALSE(fs::exists("standin-args.txt"));
    EXPECT_EQ("", only("tmp"));
}

TEST_F(ExchangeTest, MissingInventoryEndsBeforeTheJob)
{
    fs::remove("prntlist.txt");
    auto replies = job(cmdline("-printlist -fontlist -ver"));
    EXPECT_EQ(0u, mResult);
    ASSERT_EQ(1u, replies.size());
    expectAbort(replies[0], "Could not send printlist.txt to printer client", "Check if printlist.txt exists on server");
    EXPECT_EQ(concat({"Error: USockMFile::write(): file==NULL: could not open file",
                      "Error: PPrinterServer::dispatch(): msgPrintList: could not send"},
                     printed("USockMAbort", "Could not send printlist.txt to printer client",
                             "Check if printlist.txt exists on server")),
              logLines());
    EXPECT_FALSE(fs::exists("standin-args.txt"));

    // The ones before the missing one are sent.
    fs::remove("version.txt");
    replies = job(cmdline("-fontlist -ver -reslist"));
    ASSERT_EQ(2u, replies.size());
    EXPECT_EQ(0x1003, replies[0].type);
    expectAbort(replies[1], "Could not send version.txt to printer client", "Check if version.txt exists on server");
    EXPECT_NE(std::string::npos, log().find("Error: PPrinterServer::dispatch(): msgVersion: could not send\r\n"));

    writeFile("version.txt", "v");
    fs::remove("fontlist.txt");
    replies = job(cmdline("-ver -fontlist"));
    ASSERT_EQ(1u, replies.size());
    expectAbort(replies[0], "Could not send fontlist.txt to printer client", "Check if fontlist.txt exists on server");
    EXPECT_NE(std::string::npos, log().find("Error: PPrinterServer::dispatch(): msgFontList: could not send\r\n"));
    EXPECT_FALSE(fs::exists("standin-args.txt"));
}

TEST_F(ExchangeTest, MissingResultFilesAbortAfterTheJob)
{
    auto replies = job(cmdline("-response none.txt -reslist noresponse"));
    EXPECT_EQ(0u, mResult);
    EXPECT_TRUE(fs::exists("standin-done.txt"));
    ASSERT_EQ(1u, replies.size());
    expectAbort(replies[0],
                "Could not send the -run response file back to client. This usually means the response file was "
                "not created by the process.",
                "Check the -run parameter.");
    EXPECT_NE(std::string::npos, log().find("Error: PPrinterServer::dispatch(): msgResponse: could not send\r\n"));

    fs::remove("reslist.txt");
    replies = job(cmdline("-response r.txt -reslist noreslist"));
    ASSERT_EQ(2u, replies.size());
    EXPECT_EQ("r.txt", replies[0].name);
    expectAbort(replies[1], "Could not send reslist.txt to printer client", "Check if reslist.txt exists on server");
    EXPECT_NE(std::string::npos, log().find("Error: PPrinterServer::dispatch(): msgResList: could not send\r\n"));

    replies = job(cmdline("-reslist nolog"));
    EXPECT_EQ(0u, mResult);
    ASSERT_EQ(2u, replies.size());
    EXPECT_EQ(0x1004, replies[0].type);
    EXPECT_EQ("Could not send log file to printer client", replies[1].abort[2]);
    EXPECT_EQ(0u, replies[1].abort[3].rfind("Log file was: tmpLog.", 0)) << replies[1].abort[3];
    EXPECT_NE(std::string::npos, log().find("Error: PPrinterServer::dispatch(): msgLog: could not send\r\n"));
}

TEST_F(ExchangeTest, PrintProgramMissingOrNotAProgram)
{
    fs::remove("draxome.exe");
    auto replies = job(cmdline("-ver"));
    EXPECT_EQ(0u, mResult);
    ASSERT_EQ(2u, replies.size());
    EXPECT_EQ(0x1005, replies[0].type);
    expectAbort(replies[1], "Could not find velquin.exe or draxome.exe",
                "For printer server to work, velquin.exe or draxome.exe must be in the current directory");
    EXPECT_NE(std::string::npos,
              log().find("Error: PPrinterServer::dispatch(): could not find velquin.exe or draxome.exe\r\n"));

    // A file of the name that is no program: a default abort, and the name in the log.
    writeFile("velquin.exe", "not a program\n");
    replies = job(cmdline(""));
    EXPECT_EQ(0u, mResult);
    ASSERT_EQ(1u, replies.size());
    expectAbort(replies[0], "", "", "");
    EXPECT_NE(std::string::npos, log().find("Error: PPrinterServer::dispatch(): could not spawn process velquin.exe\r\n"));
}

namespace {

// The server's own options for the length of a test.
class Policy {
public:
    explicit Policy(const std::string& serverLine)
    {
        KeltoCmdLine o;
        int argc = 0;
        char** argv = nullptr;
        EXPECT_TRUE(UCmdLine::getArgcArgv(UString(serverLine.c_str()), argc, argv));
        EXPECT_TRUE(o.parse(argc, argv));
        UCmdLine::releaseArgcArgv(argc, argv);
        PClientPolicy::set(o);
    }
    ~Policy() { PClientPolicy::reset(); }
};

} // namespace

TEST_F(ExchangeTest, RefusedJobsGetOneLineAndAnAbortAndLeaveNoTrace)
{
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"-open a.txt -cmdfile C:\\secret.txt",
         "Refused -cmdfile: a printer client may not have the print program read a command file"},
        {"-open a.txt -run default -response out.txt",
         "Refused -run 'default': this server allows no such program for printer clients"},
        {"-open a.txt -copy ..\\draxome.exe", "Refused -copy '..\\draxome.exe': not a plain file name: only "
                                             "letters, digits, '.', '-' and '_' may be used"},
        {"-open a.txt -response prntlist.txt",
         "Refused -response 'prntlist.txt': a file of that name exists in the server's directory"},
        {"-open a.txt -printername \\\\elsewhere\\p",
         "Refused -printername '\\\\elsewhere\\p': a printer of another machine that is not installed on this "
         "server"},
        {"-listenaddr -open C:\\secret.txt",
         "Refused -open as argument 2: the server reads it as the value of another option, and the print program "
         "would open that file instead of the document sent"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const size_t logBefore = log().size();
        const bool withDocument = std::string(c.line).rfind("-open", 0) == 0;
        const auto replies =
            job(cmdline(c.line) + (withDocument ? file(0x1001, "a.txt", "document") : std::string()));
        EXPECT_EQ(0u, mResult);
        ASSERT_EQ(1u, replies.size());
        ASSERT_EQ(4, replies[0].type);
        EXPECT_EQ(c.error, replies[0].abort[2]);
        EXPECT_NE(std::string::npos, replies[0].abort[3].find("-trustclients")) << replies[0].abort[3];
        EXPECT_EQ(kSource, replies[0].abort[4]);
        EXPECT_EQ(std::string("Error: PPrinterServer::dispatch(): job refused: ") + c.error + "\r\n",
                  log().substr(logBefore));
        EXPECT_EQ("", only("tmp")) << "nothing of the job is written";
        EXPECT_FALSE(fs::exists("standin-args.txt")) << "nothing is started";
    }
    EXPECT_EQ("Virtual A4\nVirtual Letter\n", readFile("prntlist.txt"));
}

TEST_F(ExchangeTest, AllowedFormsStillWork)
{
    Policy policy("-allowrun default -allowrun conv");
    writeFile("prntlist.txt", "Virtual A4\n\\\\printhost\\Office\n");
    auto replies = job(cmdline("-open a.txt -run default -response answer.txt -copy copy.txt -printername "
                               "\\\\printhost\\Office") +
                       file(0x1001, "a.txt", "document"));
    EXPECT_EQ(1u, mResult);
    ASSERT_EQ(2u, replies.size());
    EXPECT_EQ(0x1002, replies[0].type);
    EXPECT_EQ("response of the job", replies[0].content);
    EXPECT_FALSE(fs::exists("answer.txt"));
    EXPECT_EQ("", log());

    // -trustclients lifts every check.
    Policy trusting("-trustclients");
    replies = job(cmdline("-open a.txt -cmdfile x.ini -run anything -response prntlist.txt") +
                  file(0x1001, "a.txt", "document"));
    EXPECT_EQ(1u, mResult);
    EXPECT_TRUE(fs::exists("standin-args.txt"));
    ASSERT_FALSE(replies.empty());
    EXPECT_EQ("response of the job", replies[0].content) << "the Part's behaviour: sent and deleted";
    EXPECT_FALSE(fs::exists("prntlist.txt"));
}

TEST_F(ExchangeTest, SilentClientsAreGivenUpAfterTheLimit)
{
    Policy policy("-clienttimeout 0.5");
    auto started = std::chrono::steady_clock::now();
    // Connected, and nothing at all.
    auto replies = exchange([](Client&) {});
    auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(0u, mResult);
    EXPECT_GE(took, std::chrono::milliseconds(450));
    EXPECT_LT(took, std::chrono::seconds(5));
    ASSERT_EQ(1u, replies.size());
    EXPECT_EQ("Expected type was msgCmdLine (4096); received type was -1", replies[0].abort[3]);

    // Stopped in the middle of the command line.
    started = std::chrono::steady_clock::now();
    replies = exchange([](Client& c) { c.send(le32(0x1000) + le32(40) + "-ver"); });
    took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, std::chrono::seconds(5));
    ASSERT_EQ(2u, replies.size());
    expectAbort(replies[0], "Could not read command line sent by printer client", "This may be a network layer error");

    // Stopped in the middle of the document.
    started = std::chrono::steady_clock::now();
    replies = exchange([](Client& c) {
        c.send(cmdline("-open a.txt") + le32(0x1001) + str(1, "a.txt") + le32(1000) + std::string(10, 'z'));
    });
    took = std::chrono::steady_clock::now() - started;
    EXPECT_LT(took, std::chrono::seconds(5));
    ASSERT_EQ(1u, replies.size());
    expectAbort(replies[0], "Could not read -open parameter from printer client", "This may be a network layer error");
    EXPECT_FALSE(fs::exists("standin-args.txt"));

    // The next client is served.
    replies = job(cmdline("-ver"));
    EXPECT_EQ(1u, mResult);
    ASSERT_EQ(2u, replies.size());
    EXPECT_EQ(0x1005, replies[0].type);
}

TEST_F(ExchangeTest, TheLimitDoesNotCutThePrintProgramsRun)
{
    Policy policy("-clienttimeout 0.3");
    // The stand-in sleeps a second; the server waits for it and sends the log.
    const auto replies = job(cmdline("-ver slow"));
    EXPECT_EQ(1u, mResult);
    ASSERT_EQ(2u, replies.size());
    EXPECT_EQ(0x1006, replies[1].type);
}

TEST_F(ExchangeTest, AClientThatStopsReadingIsGivenUpToo)
{
    Policy policy("-clienttimeout 0.5");
    // Far more than the socket buffers of both ends hold.
    writeFile("prntlist.txt", std::string(40 * 1024 * 1024, 'p'));
    std::promise<void> served;
    std::thread peer([&] {
        Client c(mPort);
        c.send(cmdline("-printlist"));
        // Reads nothing until the server has given up, or for a long time.
        served.get_future().wait_for(std::chrono::seconds(30));
    });
    USockTcp* connection = new USockTcp;
    ASSERT_TRUE(mListener.accept(*connection));
    const auto started = std::chrono::steady_clock::now();
    mResult = PPrinterServer::dispatch(connection);
    const auto took = std::chrono::steady_clock::now() - started;
    served.set_value();
    peer.join();
    EXPECT_EQ(0u, mResult);
    EXPECT_LT(took, std::chrono::seconds(10));
    EXPECT_NE(std::string::npos, log().find("Error: PPrinterServer::dispatch(): msgPrintList: could not send\r\n"));
    EXPECT_FALSE(fs::exists("standin-args.txt"));
}
