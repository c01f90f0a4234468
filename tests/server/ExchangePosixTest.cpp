// The whole job exchange natively: the server's dispatch serves a client of this test over
// loopback (plain send and recv on a connected socket, so nothing the client does shows in
// the server's log), and the stand-in print program (StandIn.h) does the job's work.
#include "server/KeltoCmdLine.h"
#include "server/PClientPolicy.h"
#include "server/PExchange.h"
#include "server/PJobStaging.h"
#include "server/PPrinterServer.h"
#include "server/PServerControl.h"
#include "server/PUptime.h"
#include "tests/net/NetTestSupport.h"
#include "tests/server/StandIn.h"

#include <cstring>
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <functional>
#include <set>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::writeFile;
using Strings = std::vector<std::string>;

std::string cmdline(const std::string& text) { return strMsg(text, 0x1000); }

// The messages in the bytes the server sent before closing, each as "<type in hex> <name>
// <content>" or "abort:<error>|<description>|<source>"; a cut message ends them with "cut".
Strings replies(const std::string& bytes)
{
    Strings out;
    size_t pos = 0;
    bool cut = false;
    auto int32 = [&] {
        int v = 0;
        for (int i = 0; i < 4; ++i, ++pos)
            v |= pos < bytes.size() ? int(uint8_t(bytes[pos])) << (8 * i) : 0;
        cut = cut || pos > bytes.size();
        return v;
    };
    auto take = [&](int size) {
        cut = cut || size < 0 || pos + size_t(size) > bytes.size();
        pos += cut ? 0 : size_t(size);
        return cut ? std::string() : bytes.substr(pos - size_t(size), size_t(size));
    };
    auto string = [&] {
        cut = cut || int32() != 1;
        const std::string s = take(int32());
        return s.substr(0, s.empty() ? 0 : s.size() - 1);
    };
    while (pos + 4 <= bytes.size() && !cut) {
        const int type = int32();
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x ", type);
        // One piece per statement: the pieces must be read in order.
        std::string r = type == 4 ? "abort:" : hex;
        for (int i = 0; i < (type == 4 ? 5 : 1); ++i) {
            const std::string piece = string();
            r += type != 4 ? piece + " " : i < 2 ? "" : piece + (i < 4 ? "|" : "");
        }
        if (type != 4)
            r += take(int32());
        out.push_back(cut ? "cut" : r);
    }
    return out;
}

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
        standin::install(".", "draxome.exe");
        writeFile("prntlist.txt", "Virtual A4\n");
        writeFile("fontlist.txt", "Courier New\n");
        writeFile("version.txt", "v5.3.9");
        PUptime::start();
    }

    // Serves one connection with dispatch while client (given the socket) runs on a thread
    // of its own, and returns what the server sent before it closed. With clientFirst the
    // server starts once the client is done sending.
    Strings exchange(const std::function<void(int)>& client, bool clientFirst = false)
    {
        std::promise<std::string> received;
        std::future<std::string> bytes = received.get_future();
        std::promise<void> sent;
        std::thread peer([&] {
            USockTcp connected;
            EXPECT_TRUE(connected.open("127.0.0.1", mListener.port) && connected.connect());
            const int fd = static_cast<int>(connected.sock);
            client(fd);
            sent.set_value();
            std::string all;
            char buf[65536];
            for (ssize_t r; (r = ::recv(fd, buf, sizeof buf, 0)) > 0;)
                all.append(buf, size_t(r));
            connected.close();
            received.set_value(all);
        });
        USockTcp* connection = new USockTcp;
        EXPECT_TRUE(mListener.sock.accept(*connection));
        if (clientFirst)
            sent.get_future().wait();
        const auto started = std::chrono::steady_clock::now();
        mResult = PPrinterServer::dispatch(connection);
        mTook = std::chrono::steady_clock::now() - started;
        const bool closed = bytes.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        EXPECT_TRUE(closed) << "the connection was not closed";
        peer.join();
        return replies(closed ? bytes.get() : std::string());
    }
    // A client that sends bytes, then ends its side of the stream (and so is gone, for the
    // server) unless it stays.
    static std::function<void(int)> sends(const std::string& bytes, bool end = true)
    {
        return [bytes, end](int fd) {
            for (size_t done = 0; done < bytes.size();) {
                const ssize_t r = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
                done += r > 0 ? size_t(r) : bytes.size();
            }
            if (end)
                ::shutdown(fd, SHUT_WR);
        };
    }
    Strings job(const std::string& bytes) { return exchange(sends(bytes, false)); }
    // A client that sends bytes in pieces of piece bytes, pausing between them, until the
    // server answers; mAnswered is how long after the first piece that was.
    std::function<void(int)> drips(const std::string& bytes, size_t piece, int pauseMs)
    {
        return [this, bytes, piece, pauseMs](int fd) {
            const auto start = std::chrono::steady_clock::now();
            pollfd answer{fd, POLLIN, 0};
            for (size_t done = 0; done < bytes.size() && poll(&answer, 1, done > 0 ? pauseMs : 0) == 0; done += piece)
                ::send(fd, bytes.data() + done, std::min(piece, bytes.size() - done), MSG_NOSIGNAL);
            poll(&answer, 1, 5000);
            mAnswered = std::chrono::steady_clock::now() - start;
            ::shutdown(fd, SHUT_WR);
        };
    }
    // The files of this directory whose names begin with head.
    static Strings named(const std::string& head)
    {
        Strings found;
        for (const auto& e : fs::directory_iterator("."))
            if (e.path().filename().string().rfind(head, 0) == 0)
                found.push_back(e.path().filename().string());
        return found;
    }
    // The one file of this directory whose name begins with head, or "".
    static std::string only(const std::string& head)
    {
        const Strings found = named(head);
        return found.size() == 1 ? found[0] : "";
    }

    testsupport::TempDir mDir;
    testsupport::LogCapture mLog;
    Listener mListener;
    unsigned mResult = 99;
    std::chrono::steady_clock::duration mTook{};
    std::chrono::steady_clock::duration mAnswered{};
};

const std::string kDocument = fileMsg(0x1001, "a.txt", std::string(120000, 'x'));

} // namespace

TEST_F(ExchangeTest, APrintedJobRunsOnTheStagedFilesAndSendsEveryReplyInOrder)
{
    const std::string text = "-reslist -response answer.txt -ver -fontlist -printlist -open C:\\docs\\report.pdf "
                             "-printername \"Virtual A4\" -logfile mine.txt";
    const Strings got = job(cmdline(text) + kDocument);
    EXPECT_EQ(1u, mResult);
    const std::string cmd = only("tmpCmdfile."), doc = only("tmpFilename."), jobLog = only("tmpLog.");
    ASSERT_FALSE(cmd.empty());
    const std::string stamp = cmd.substr(11, cmd.size() - 11 - 4);
    EXPECT_EQ("tmpFilename." + stamp + ".txt", doc);
    EXPECT_EQ("tmpLog." + stamp + ".txt", jobLog);
    // The command file holds the client's text byte for byte, the document its content.
    EXPECT_EQ(text, readFile(cmd));
    EXPECT_EQ(std::string(120000, 'x'), readFile("printed.txt"));
    EXPECT_EQ("program=draxome.exe\narg=-cmdfile\narg=" + cmd + "\narg=-logfile\narg=" + jobLog +
                  "\narg=-open\narg=" + doc + "\n",
              readFile("standin-args.txt"));
    EXPECT_EQ((Strings{"1002 prntlist.txt Virtual A4\n", "1003 fontlist.txt Courier New\n", "1005 version.txt v5.3.9",
                       "1002 answer.txt response of the job", "1004 reslist.txt 300x300\n600x600\n",
                       "1006 " + jobLog + " Info: job of " + text + "\r\n"}),
              got);
    // The response file goes once sent; the staged files stay until the next start.
    EXPECT_FALSE(fs::exists("answer.txt") || fs::exists("mine.txt"));
    EXPECT_TRUE(fs::exists(doc) && fs::exists(jobLog));
    EXPECT_EQ("", mLog.text()) << "a good job logs nothing";

    // Without a document no file is expected nor passed on; -disablelog sends nothing after the job.
    EXPECT_EQ(Strings{"1005 version.txt v5.3.9"}, job(cmdline("-disablelog -ver -printername x")));
    EXPECT_EQ(std::string::npos, readFile("standin-args.txt").find("-open"));
}

TEST_F(ExchangeTest, AViewJobClosesOnceTheProgramIsStarted)
{
    const Strings got = job(cmdline("-view -printlist -reslist -response r.txt slow"));
    EXPECT_EQ(Strings{"1002 prntlist.txt Virtual A4\n"}, got);
    EXPECT_EQ(1u, mResult);
    EXPECT_LT(mTook, std::chrono::milliseconds(900));
    EXPECT_FALSE(fs::exists("standin-done.txt"));
    for (int i = 0; i < 200 && !fs::exists("standin-done.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(fs::exists("r.txt")) << "nobody took the response file";

    // Beyond -maxviews the next -view job waits until one has ended.
    Policy policy("-maxviews 1");
    job(cmdline("-view slow"));
    EXPECT_LT(mTook, std::chrono::milliseconds(900));
    job(cmdline("-view slow"));
    EXPECT_GE(mTook, std::chrono::milliseconds(700));
    // A stop request ends that wait: a -view program that never ends cannot hold a
    // stopping server.
    job(cmdline("-view slow"));
    PServerControl::requestStop();
    const Strings stopped = job(cmdline("-view slow"));
    PServerControl::reset();
    EXPECT_LT(mTook, std::chrono::milliseconds(500));
    EXPECT_EQ(0u, stopped.at(0).find("abort:The server is stopping")) << stopped.at(0);
}

TEST_F(ExchangeTest, AJobIsBoundInSizeAndTimeAndLeavesNothingHalfReceived)
{
    Policy policy("-clienttimeout 1 -jobtimeout 1.6 -maxjob 1");
    const std::string open = cmdline("-open a.txt") + le32(0x1001) + strMsg("a.txt");
    const std::string tooLarge = "abort:Refused document: it is larger than this server's limit of 1 MB|The "
                                 "administrator can raise the limit by starting draxomeServer with -maxjob MEGABYTES.";
    struct Case {
        std::string bytes;
        size_t piece;
        int pauseMs;
        std::string abort;
        const char* logged;
        int answeredMs[2]; // the abort came within this span
    };
    const Case cases[] = {
        {open + le32(1048577) + "xx", 1 << 30, 0, tooLarge, "document refused, larger than -maxjob 1", {0, 900}},
        {open + le32(0x7fffffff) + "xx", 1 << 30, 0, tooLarge, "document refused", {0, 900}},
        // Each field would come within the limit, the whole command line does not.
        {cmdline("-ver"), 2, 400, "abort:Could not read command line", "msgCmdLine: could not read", {900, 1500}},
        // Each piece would come within the limit, the whole job does not.
        {open + le32(400000) + std::string(400000, 'x'), 40000, 250,
         "abort:Job time limit passed: the command line and document did not arrive within 1.6 seconds|The "
         "administrator can set the limit by starting draxomeServer with -jobtimeout SECONDS.",
         "msgFileName: the job's time limit has passed", {1500, 2200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged);
        const size_t before = mLog.text().size();
        const Strings got = exchange(drips(c.bytes, c.piece, c.pauseMs));
        EXPECT_EQ(0u, mResult);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(0u, got[0].find(c.abort)) << got[0];
        EXPECT_NE(std::string::npos, mLog.text().find(c.logged, before)) << mLog.text().substr(before);
        EXPECT_GE(mAnswered, std::chrono::milliseconds(c.answeredMs[0]));
        EXPECT_LE(mAnswered, std::chrono::milliseconds(c.answeredMs[1]));
        EXPECT_EQ(Strings{}, named("tmp")) << "nothing of the job stays";
        EXPECT_FALSE(fs::exists("standin-args.txt"));
    }
    // Within the bounds a job is served.
    EXPECT_EQ(1u, job(cmdline("-open a.txt") + fileMsg(0x1001, "a.txt", std::string(1048576, 'y'))).size());
    EXPECT_EQ(1048576u, readFile("printed.txt").size());
}

TEST_F(ExchangeTest, EveryFailureEndsOnlyItsExchangeWithItsAbortAndLogLine)
{
    const std::string type = "abort:Wrong message type received|Expected type was ";
    const std::string noCmd = "abort:Could not read command line sent by printer client|This may be a network layer "
                              "error|unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )";
    const std::string aborted = le32(4) + strMsg("T") + strMsg("N") + strMsg("x\r\nInfo: forged") + strMsg("D") +
                                strMsg("S");
    struct Case {
        std::string bytes;
        const char* removed; // a file taken away first
        Strings replies;     // each the head of a reply
        const char* logged;
        bool ran;
    };
    // Each client sends nothing the server leaves unread, which would reset the connection.
    const Case cases[] = {
        {aborted, "", {}, "msgCmdLine: connection aborted by peer\r\nError: T\r\nError: \tException Name: N\r\n"
                          "Error: \tError Message: x??Info: forged\r\n", false},
        {cmdline("-open a.txt") + aborted, "", {}, "msgFileName: connection aborted by peer", false},
        {le32(0x1001), "", {type + "msgCmdLine (4096); received type was 4097"}, "msgCmdLine: received an", false},
        {"", "", {type + "msgCmdLine (4096); received type was -1"}, "msgCmdLine: received an unexpected type", false},
        {cmdline("-open a.txt") + le32(0x1000), "", {type + "msgFileName (4097); received type was 4096"},
         "msgFileName: received an unexpected type", false},
        {le32(0x1000) + le32(0), "", {noCmd, "abort:||"}, "msgCmdLine: could not read", false},
        {le32(0x1000) + le32(40) + "-ver", "", {noCmd, "abort:||"}, "msgCmdLine: could not read", false},
        {cmdline("-open a.txt") + le32(0x1001) + strMsg("a.txt") + le32(1000) + "zz", "",
         {"abort:Could not read -open parameter from printer client|This"}, "msgFileName: could not read", false},
        {cmdline("-printlist -open a.txt -logfile"), "",
         {"abort:Could not parse command line sent by printer client|An option that takes a value (-open, -response, "
          "-logfile, -listenaddr) came without one"},
         "Error: Error in KeltoCmdLine::parse(): -logfile\r\nError: PPrinterServer::dispatch(): msgCmdLine: could not "
         "parse", false},
        {cmdline("-printlist -fontlist"), "prntlist.txt", {"abort:Could not send printlist.txt to printer client|Check "
                                                           "if printlist.txt exists on server"}, "msgPrintList: could",
         false},
        {cmdline("-fontlist -ver"), "version.txt", {"1003", "abort:Could not send version.txt"}, "msgVersion: could",
         false},
        {cmdline("-ver -fontlist"), "fontlist.txt", {"abort:Could not send fontlist.txt"}, "msgFontList: could", false},
        {cmdline("-response none.txt -reslist noresponse"), "",
         {"abort:Could not send the -run response file back to client. This usually means the response file was not "
          "created by the process.|Check the -run parameter."}, "msgResponse: could not send", true},
        {cmdline("-response r.txt -reslist noreslist"), "reslist.txt", {"1002 r.txt", "abort:Could not send reslist"},
         "msgResList: could not send", true},
        {cmdline("-reslist nolog"), "", {"1004", "abort:Could not send log file to printer client|Log file was: tmp"},
         "msgLog: could not send", true},
        {cmdline("-ver"), "draxome.exe", {"1005", "abort:Could not find velquin.exe or draxome.exe|For printer "
                                                  "server to work, velquin.exe or draxome.exe must be in the current "
                                                  "directory"},
         "could not find velquin.exe or draxome.exe", false},
        {cmdline(""), "velquin.exe", {"abort:||"}, "could not spawn process velquin.exe\r\nError: PPrinterServer::"
                                                  "dispatch(): cannot start 'velquin.exe': error ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged);
        fs::remove(c.removed);
        if (std::string(c.removed) == "velquin.exe")
            writeFile("velquin.exe", "not a program\n");
        const size_t before = mLog.text().size();
        // Only a client cut short must end its side: a whole job's client that has gone is
        // not served.
        const Strings got = exchange(sends(c.bytes, c.bytes.empty() || std::strstr(c.logged, "could not read")));
        EXPECT_EQ(0u, mResult);
        ASSERT_EQ(c.replies.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(0u, got[i].find(c.replies[i])) << got[i];
        EXPECT_NE(std::string::npos, mLog.text().find(c.logged, before)) << mLog.text().substr(before);
        EXPECT_EQ(c.ran, fs::remove("standin-args.txt"));
        for (const char* f : {"prntlist.txt", "fontlist.txt", "version.txt"})
            writeFile(f, "x");
        standin::install(".", "draxome.exe");
        fs::remove("velquin.exe");
    }
    // An abort the server sends is logged as the five lines of its record.
    EXPECT_NE(std::string::npos, mLog.text().find("could not parse\r\nError: Communication error information:\r\n"
                                                  "Error: \tException Name: USockMAbort\r\nError: \tError Message: "
                                                  "Could not parse command line sent by printer client\r\n"));
    EXPECT_EQ((Strings{"1005 version.txt x"}), job(cmdline("-ver -disablelog"))) << "the next is served";
    // A client that has gone by the time its document came: one line, nothing run or left.
    for (const auto& e : fs::directory_iterator("."))
        if (e.path().filename().string().rfind("tmp", 0) == 0 || e.path().filename() == "standin-args.txt")
            fs::remove(e.path());
    const size_t before = mLog.text().size();
    EXPECT_TRUE(exchange(sends(cmdline("-open a.txt -ver") + fileMsg(0x1001, "a.txt", "x")), true).empty());
    EXPECT_EQ("Warning: PPrinterServer::dispatch(): the client has gone before its job was printed; the job is "
              "dropped\r\n", mLog.text().substr(before));
    EXPECT_TRUE(only("tmpFilename").empty() && !fs::exists("standin-args.txt"));
}

TEST_F(ExchangeTest, RefusedJobsGetOneLineAndAnAbortAndLeaveNoTrace)
{
    for (const std::string line : {"-open a.txt -cmdfile C:\\secret.txt", "-open a.txt -run default -response o.txt",
                                   "-open a.txt -copy ..\\draxome.exe", "-open a.txt -response prntlist.txt",
                                   "-open a.txt -printername \\\\elsewhere\\p", "-listenaddr -open C:\\secret.txt"}) {
        SCOPED_TRACE(line);
        const size_t before = mLog.text().size();
        const Strings got = job(cmdline(line));
        EXPECT_EQ(0u, mResult);
        ASSERT_EQ(1u, got.size());
        EXPECT_EQ(0u, got[0].find("abort:Refused -")) << got[0];
        EXPECT_NE(std::string::npos, got[0].find("-trustclients"));
        EXPECT_EQ("Error: PPrinterServer::dispatch(): job refused: " + got[0].substr(6, got[0].find('|') - 6) + "\r\n",
                  mLog.text().substr(before));
        EXPECT_EQ("", only("tmp")) << "nothing of the job is written";
        EXPECT_FALSE(fs::exists("standin-args.txt")) << "nothing is started";
    }
    Policy policy("-allowrun default -allowrun conv");
    writeFile("prntlist.txt", "\\\\printhost\\Office\n");
    EXPECT_EQ(2u, job(cmdline("-open a.txt -run default -response answer.txt -copy copy.txt -printername "
                              "\\\\printhost\\Office") + kDocument).size());
    EXPECT_EQ(1u, mResult);
    // -trustclients lifts every check; a response file is sent and deleted, whatever its name.
    Policy trusting("-trustclients");
    const Strings got = job(cmdline("-open a.txt -cmdfile x.ini -run anything -response prntlist.txt") + kDocument);
    EXPECT_EQ("1002 prntlist.txt response of the job", got.at(0));
    EXPECT_FALSE(fs::exists("prntlist.txt"));
}

TEST_F(ExchangeTest, ClientsThatGoSilentOrStopReadingAreGivenUpAfterTheLimit)
{
    Policy policy("-clienttimeout 0.5");
    for (const std::string& bytes : {std::string(), le32(0x1000) + le32(40) + "-ver",
                                     cmdline("-open a.txt") + le32(0x1001) + strMsg("a.txt") + le32(1000) + "zz"}) {
        const Strings got = exchange(sends(bytes, false));
        EXPECT_EQ(0u, mResult);
        EXPECT_GE(mTook, std::chrono::milliseconds(450));
        EXPECT_LT(mTook, std::chrono::seconds(5));
        EXPECT_EQ(0u, got.at(0).find("abort:"));
    }
    // A client that keeps still after its abort, neither sending nor closing, is let go
    // soon after its limit.
    exchange([](int) { std::this_thread::sleep_for(std::chrono::milliseconds(2500)); });
    EXPECT_LT(mTook, std::chrono::milliseconds(1500));
    // The limit does not cut the print program's run: the stand-in sleeps a second.
    EXPECT_EQ(2u, job(cmdline("-ver slow")).size());

    // Far more than the socket buffers of both ends hold, to a client that reads nothing.
    writeFile("prntlist.txt", std::string(40 * 1024 * 1024, 'p'));
    exchange([&](int fd) {
        sends(cmdline("-printlist"), false)(fd);
        for (int i = 0; i < 600 && mLog.text().find("msgPrintList") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    });
    EXPECT_EQ(0u, mResult);
    EXPECT_LT(mTook, std::chrono::seconds(10));
}

TEST_F(ExchangeTest, AStopLetsARunningJobFinishWithinTheGraceThenEndsItAndTheLoop)
{
    struct Reset {
        ~Reset() { PServerControl::reset(); }
    } reset;
    PServerControl::requestStop();
    // The stand-in takes a second: within a grace of five it ends as ever.
    PServerControl::setGraceSeconds(5);
    EXPECT_EQ(Strings{"1005 version.txt v5.3.9"}, job(cmdline("-ver -disablelog slow")));
    EXPECT_EQ(1u, mResult);

    // Past the grace it is ended, the client told, and nothing of the job is left.
    fs::remove("standin-done.txt");
    auto staged = [] {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator("."))
            if (e.path().filename().string().rfind("tmp", 0) == 0)
                names.insert(e.path().filename().string());
        return names;
    };
    const std::set<std::string> before = staged();
    PServerControl::setGraceSeconds(0);
    const Strings got = job(cmdline("-ver -open a.txt slow") + kDocument);
    EXPECT_EQ((Strings{"1005 version.txt v5.3.9",
                       "abort:The server is stopping: the job was ended before it finished|The server was asked to stop "
                       "and the job did not end within 0 seconds. Send it again when the server is back.|" +
                           std::string(PExchange::kSource)}),
              got);
    EXPECT_EQ(0u, mResult);
    EXPECT_EQ(before, staged());
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_FALSE(fs::exists("standin-done.txt")) << "the program went on after it was ended";

    // Between jobs the loop sees the request within its short wait and ends as a success.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(PPrinterServer::run("127.0.0.1", 0, {}));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_NE(std::string::npos, mLog.text().find("Info: PPrinterServer::run(): stop requested: no more connections "
                                                  "accepted"));
}
