// The server's start-up up to the accept loop, and its ends: the cleanup of earlier jobs'
// files, a command line that does not parse, no print program, a listen address that names
// no usable host, and one that cannot be bound, after which the closing separator is
// logged and the exit code is 1.
#include "common/ULog.h"
#include "net/USockTcp.h"
#include "server/KeltoCmdLine.h"
#include "server/PClientPolicy.h"
#include "server/PServerStartup.h"
#include "tests/net/NetTestSupport.h"
#include "tests/server/StandIn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;

const std::string kVersion = "Info: Version=v0.0.8\r\n";
const std::string kEnd = "Error: PPrinterServer::run(): could not bind socket\r\nInfo: \r\n"
                         "-----------------------------------------\r\n\r\n\r\n";

// Runs the server on line in a directory of its own and returns its log without the
// "LOG ON" line, which carries the time. Start-up starts and stops Windows Sockets itself;
// the test's listeners need them too.
std::string run(const std::string& line, int exitCode)
{
    ULog::reset();
    fs::remove("draxomeServerLog.txt");
    USock::initWSocket();
    EXPECT_EQ(exitCode, PServerStartup::run(UString(line.c_str()))) << line;
    USock::cleanupWSocket();
    ULog::reset();
    const std::string log = readFile("draxomeServerLog.txt");
    const size_t version = log.find("Info: Version=");
    return version == std::string::npos ? log : log.substr(version);
}

} // namespace

TEST(PServerStartup, OldTemporaryFilesGoWhateverTheirCaseAndABadLineOrNoProgramEndIt)
{
    testsupport::TempDir dir(true);
    for (const char* name : {"tmpLog.5.txt", "TMPCMDFILE.1..ini", "tmpfilename.7.txt", "tmpLogX", "TmpLog.",
                             "mytmpLog.txt", "tmp.txt", "tmpCmd.ini"})
        testsupport::writeFile(name, "x");
    fs::create_directory("tmpFilename.d");
    testsupport::writeFile("tmpFilename.d/tmpLog.1.txt", "x");
    standin::install(dir.path(), "draxome.exe");
    EXPECT_EQ("Error: Error in KeltoCmdLine::parse(): -listenaddr\r\n", run("-printlist -listenaddr", -1));
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator("."))
        left.insert(e.path().filename().string());
    EXPECT_EQ((std::set<std::string>{"draxome.exe", "draxomeServerLog.txt", "mytmpLog.txt", "tmp.txt", "tmpCmd.ini",
                                     "tmpFilename.d"}),
              left) << "nothing is started before the line is parsed";
    EXPECT_TRUE(fs::exists("tmpFilename.d/tmpLog.1.txt"));
    fs::remove("draxome.exe");
    EXPECT_EQ(kVersion + "Error: main::WinMain(): could not find velquin.exe or draxome.exe\r\n", run("", 1));
    // The start line carries its own line end, so an empty line follows it.
    EXPECT_EQ(0u, readFile("draxomeServerLog.txt").find("Info: LOG ON: "));
    EXPECT_NE(std::string::npos, readFile("draxomeServerLog.txt").find("\r\n\r\nInfo: Version="));
}

TEST(PServerStartup, AnAddressInUseEndsItAfterTheInventoryRunAndTheSafetyOptionsReachThePolicy)
{
    testsupport::TempDir dir(true);
    standin::install(dir.path(), "draxome.exe");
    USock::initWSocket();
    Listener taken;
    const std::string address = "-listenaddr 127.0.0.1:" + std::to_string(taken.port);
    EXPECT_EQ(kVersion + kEnd, run(address, 1));
    EXPECT_TRUE(fs::exists("standin-done.txt")) << "the inventory run was awaited";
    EXPECT_NE(std::string::npos, readFile("standin-args.txt").find("arg=-printlist\narg=-fontlist\narg=-ver\n"));
    EXPECT_FALSE(PClientPolicy::trustClients());
    EXPECT_EQ(kVersion + "Warning: main::WinMain(): -trustclients: the command lines of printer clients are not "
                         "checked; any client can have the print program read, write and start files with this "
                         "server's account\r\n" + kEnd,
              run(address + " -trustclients -allowrun a -allowrun \"b c\" -clienttimeout 7.5", 1));
    EXPECT_TRUE(PClientPolicy::trustClients());
    EXPECT_EQ(7.5, PClientPolicy::clientTimeout());
    ASSERT_EQ(2u, PClientPolicy::allowRun().size());
    EXPECT_STREQ("b c", PClientPolicy::allowRun()[1].str());
    PClientPolicy::set(KeltoCmdLine());

    // A port that is missing or unusable is the default port of the address asked for, never
    // another address; a host that is missing or does not resolve ends the start. Port 2345
    // of 127.0.0.2 is held here (or already by another run), so each of these reaches the
    // bind and fails there.
    USockTcp def;
    USockTcp other;
    ASSERT_TRUE((def.open("127.0.0.2", 2345) && def.bind() && def.listen(10) && def.attach(def.sock)) ||
                (other.open("127.0.0.2", 2345) && other.connect()));
    for (const char* bad : {"127.0.0.2:70000", "127.0.0.2", "127.0.0.2:", "127.0.0.2:0"})
        EXPECT_EQ(kVersion + kEnd, run(std::string("-listenaddr ") + bad, 1)) << bad;
    EXPECT_EQ(kVersion + "Error: main::WinMain(): -listenaddr ':5000': no host to listen on\r\n",
              run("-listenaddr :5000", -1));
    EXPECT_EQ(kVersion + "Error: main::WinMain(): -listenaddr 'no-such-host.invalid:5000': cannot resolve the host\r\n",
              run("-listenaddr no-such-host.invalid:5000", -1));
    USock::cleanupWSocket();
}
