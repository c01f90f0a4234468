// The server's start-up up to the accept loop, and its ends: the cleanup of earlier jobs'
// files, a command line that does not parse, no print program, and a listen address that
// cannot be bound, after which the closing separator is logged and the exit code is 0.
#include "common/ULog.h"
#include "net/USockTcp.h"
#include "server/PClientPolicy.h"
#include "server/PServerStartup.h"
#include "tests/common/TestSupport.h"
#include "tests/server/StandIn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

// Start-up starts Windows Sockets itself; the listeners of these tests need them before.
class SocketEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(USock::initWSocket()); }
    void TearDown() override { USock::cleanupWSocket(); }
};

[[maybe_unused]] ::testing::Environment* const gSockets = ::testing::AddGlobalTestEnvironment(new SocketEnvironment);

const char* const kSeparator = "Info: \r\n-----------------------------------------\r\n\r\n\r\n";

class StartupTest : public ::testing::Test {
protected:
    // The test's own listeners need Windows Sockets started in this process; start-up's
    // own start and stop are counted on top of this one.
    StartupTest() : mDir(true)
    {
        ULog::reset();
        USock::initWSocket();
    }
    ~StartupTest() override
    {
        USock::cleanupWSocket();
        ULog::reset();
    }

    static std::string serverLog() { return readFile("draxomeServerLog.txt"); }
    // The log without its "LOG ON" line, which carries the time.
    static std::string logAfterStart()
    {
        const std::string log = serverLog();
        const size_t version = log.find("Info: Version=");
        return version == std::string::npos ? log : log.substr(version);
    }
    // A listener that holds host:port for the length of a test.
    static bool hold(USockTcp& s, const char* host, int port)
    {
        return s.open(host, port) && s.bind() && s.listen(10) && s.attach(s.sock);
    }

    TempDir mDir;
};

} // namespace

TEST_F(StartupTest, OldTemporaryFilesGoWhateverTheirCaseDirectoriesStay)
{
    for (const char* name : {"tmpLog.5.txt", "TMPCMDFILE.1..ini", "tmpfilename.7.txt", "tmpLogX", "TmpLog.",
                             "mytmpLog.txt", "tmp.txt", "prntlist.txt", "tmpCmd.ini"})
        writeFile(name, "x");
    fs::create_directory("tmpFilename.d");
    writeFile("tmpFilename.d/tmpLog.1.txt", "x");
    PServerStartup::removeTemporaryFiles();
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator("."))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{"mytmpLog.txt", "prntlist.txt", "tmp.txt", "tmpCmd.ini", "tmpFilename.d"}), left);
    EXPECT_TRUE(fs::exists("tmpFilename.d/tmpLog.1.txt"));
}

TEST_F(StartupTest, CommandLineThatDoesNotParseEndsWithMinusOneAfterTheCleanup)
{
    writeFile("tmpLog.3..txt", "x");
    standin::install(mDir.path(), "draxome.exe");
    EXPECT_EQ(-1, PServerStartup::run("-printlist -listenaddr"));
    EXPECT_EQ("Error: Error in KeltoCmdLine::parse(): -listenaddr\r\n", serverLog());
    EXPECT_FALSE(fs::exists("tmpLog.3..txt"));
    EXPECT_FALSE(fs::exists("standin-args.txt"));
}

TEST_F(StartupTest, WithoutPrintProgramNothingListens)
{
    EXPECT_EQ(1, PServerStartup::run(""));
    const std::string log = serverLog();
    EXPECT_EQ(0u, log.find("Info: LOG ON: ")) << log;
    EXPECT_NE(std::string::npos, log.find(" (d-m-y), "));
    // The start line carries its own line end, so an empty line follows it.
    EXPECT_NE(std::string::npos, log.find("\r\n\r\nInfo: Version="));
    EXPECT_EQ("Info: Version=v0.0.8\r\nError: main::WinMain(): could not find velquin.exe or draxome.exe\r\n",
              logAfterStart());
}

TEST_F(StartupTest, PortInUseEndsTheServerWithItsSeparatorAndZero)
{
    standin::install(mDir.path(), "draxome.exe");
    USockTcp taken;
    ASSERT_TRUE(hold(taken, "127.0.0.1", 0));
    const std::string address = "127.0.0.1:" + std::to_string(taken.port);
    EXPECT_EQ(0, PServerStartup::run(UString(("-ver -listenaddr " + address).c_str())));
    taken.close();
    EXPECT_EQ(std::string("Info: Version=v0.0.8\r\nError: PPrinterServer::run(): could not bind socket\r\n") +
                  kSeparator,
              logAfterStart());
    // The inventory run came first, and was awaited.
    EXPECT_TRUE(fs::exists("standin-done.txt"));
    const std::string args = readFile("standin-args.txt");
    EXPECT_NE(std::string::npos, args.find("arg=-printlist\narg=-fontlist\narg=-ver\n")) << args;
}

TEST_F(StartupTest, AddressThatDoesNotSplitFallsBackToTheDefault)
{
    standin::install(mDir.path(), "draxome.exe");
    // The default port is held here, or by a server already running on this machine:
    // either way a server that falls back to it cannot bind, and ends.
    USockTcp taken;
    const bool held = hold(taken, "0.0.0.0", 2345);
    if (!held) {
        // Then something must be listening there, or the server would serve for ever.
        USockTcp probe;
        ASSERT_TRUE(probe.open("127.0.0.1", 2345) && probe.connect()) << "port 2345 is neither free nor served";
        probe.close();
    }
    for (const char* address : {"127.0.0.1:70000", "127.0.0.1", ":5000", "127.0.0.1:0"}) {
        ULog::reset();
        fs::remove("draxomeServerLog.txt");
        EXPECT_EQ(0, PServerStartup::run(UString("-listenaddr ") + address)) << address;
        EXPECT_EQ(std::string("Info: Version=v0.0.8\r\nError: PPrinterServer::run(): could not bind socket\r\n") +
                      kSeparator,
                  logAfterStart())
            << address;
    }
    if (held)
        taken.close();
}

TEST_F(StartupTest, SafetyOptionsReachEveryExchangeAndTrustingClientsIsWarnedOf)
{
    standin::install(mDir.path(), "draxome.exe");
    USockTcp taken;
    ASSERT_TRUE(hold(taken, "127.0.0.1", 0));
    const std::string address = "127.0.0.1:" + std::to_string(taken.port);
    EXPECT_EQ(0, PServerStartup::run(UString(
                     ("-listenaddr " + address + " -trustclients -allowrun a -allowrun \"b c\" -clienttimeout 7.5")
                         .c_str())));
    EXPECT_TRUE(PClientPolicy::trustClients());
    EXPECT_EQ(7.5, PClientPolicy::clientTimeout());
    ASSERT_EQ(2u, PClientPolicy::allowRun().size());
    EXPECT_STREQ("b c", PClientPolicy::allowRun()[1].str());
    EXPECT_EQ(std::string("Info: Version=v0.0.8\r\nWarning: main::WinMain(): -trustclients: the command lines of "
                          "printer clients are not checked; any client can have the print program read, write "
                          "and start files with this server's account\r\nError: PPrinterServer::run(): could not "
                          "bind socket\r\n") +
                  kSeparator,
              logAfterStart());

    // Without it: no Warning, the checks on, the limit at its default.
    PClientPolicy::reset();
    ULog::reset();
    fs::remove("draxomeServerLog.txt");
    EXPECT_EQ(0, PServerStartup::run(UString(("-listenaddr " + address).c_str())));
    taken.close();
    EXPECT_FALSE(PClientPolicy::trustClients());
    EXPECT_EQ(60.0, PClientPolicy::clientTimeout());
    EXPECT_EQ(std::string::npos, serverLog().find("Warning"));

    ULog::reset();
    fs::remove("draxomeServerLog.txt");
    EXPECT_EQ(-1, PServerStartup::run("-clienttimeout 0"));
    EXPECT_EQ("Error: Error in KeltoCmdLine::parse(): -clienttimeout\r\n", serverLog());
    PClientPolicy::reset();
}
