#include "ClientTestSupport.h"
#include "FakeServer.h"

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;
using Names = std::vector<std::string>;

class ClientEndToEnd : public ClientWorkDir {
protected:
    // The client's arguments for this test's fake server and output directory "out".
    Args client(const Args& printArgs) const
    {
        Args args{"-server", server.address(), "-outdir", at("out")};
        args.insert(args.end(), printArgs.begin(), printArgs.end());
        return args;
    }
    std::string out(const std::string& name) const { return (dir / "out" / name).string(); }

    FakeServer server;
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const std::string kLog = "Info[01/Feb/2026 10:00:00]: draxome v5.3.9\r\n";

} // namespace

TEST_F(ClientEndToEnd, AJobWithEveryReply)
{
    const std::string report = pattern(120000, 7);
    writeAll(at("report.txt"), report);
    const Args printArgs{"-open", at("report.txt"), "-printlist", "-fontlist", "-ver", "-response", "answer.txt",
                         "-reslist", "-graph"};
    std::string cmdline, announced, received;
    server.serve([&](USockTcp& s) {
        ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
        ASSERT_TRUE(FakeServer::readFile(s, announced, received));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1002, "prntlist.txt", "Virtual A4\r\nVirtual Letter\r\n"));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1003, "fontlist.txt", "Courier New\r\n"));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1005, "version.txt", "v5.3.9"));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1002, "answer.txt", pattern(70000, 3)));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1004, "reslist.txt", ""));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1006, "tmpLog.3..txt", kLog));
    });
    const ClientRun run = runClient(client(printArgs));
    server.join();
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_EQ(printArgs, splitLikeThePrintProgram(cmdline));
    EXPECT_EQ("report.txt", announced);
    EXPECT_TRUE(received == report);
    EXPECT_EQ((Names{"answer.txt", "fontlist.txt", "joblog.txt", "prntlist.txt", "reslist.txt", "version.txt"}),
              filesIn(dir / "out"));
    // Same code, told apart by the order alone.
    EXPECT_EQ("Virtual A4\r\nVirtual Letter\r\n", readAll(out("prntlist.txt")));
    EXPECT_TRUE(pattern(70000, 3) == readAll(out("answer.txt")));
    EXPECT_EQ("Courier New\r\n", readAll(out("fontlist.txt")));
    EXPECT_EQ("v5.3.9", readAll(out("version.txt")));
    EXPECT_EQ("", readAll(out("reslist.txt")));
    EXPECT_EQ(kLog, readAll(out("joblog.txt")));
    EXPECT_EQ("received the printer list: " + out("prntlist.txt") + "\n" +
                  "received the font list: " + out("fontlist.txt") + "\n" +
                  "received the version file: " + out("version.txt") + "\n" +
                  "received the response file: " + out("answer.txt") + "\n" +
                  "received the resolution list: " + out("reslist.txt") + "\n" +
                  "received the job log: " + out("joblog.txt") + "\n",
              run.out);
}

namespace {

std::string bytes(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 3)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

} // namespace

// The example exchange of docs/protocol.md, byte for byte.
TEST_F(ClientEndToEnd, TheDocumentedExchangeInBytes)
{
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    writeAll("report.txt", "Hi\r\n");
    std::string cmdline, file;
    server.serve([&](USockTcp& s) {
        cmdline = FakeServer::readRaw(s, 30);
        file = FakeServer::readRaw(s, 31);
        FakeServer::sendBytes(s, bytes("05 10 00 00 01 00 00 00 0C 00 00 00 76 65 72 73 69 6F 6E 2E 74 78 74 00 06 00 "
                                       "00 00 76 35 2E 33 2E 39 "));
        FakeServer::sendBytes(s, bytes("06 10 00 00 01 00 00 00 0E 00 00 00 74 6D 70 4C 6F 67 2E 33 2E 2E 74 78 74 00 "
                                       "A1 02 00 00 ") +
                                     std::string(673, 'L'));
    });
    const ClientRun run = runClient({"-server", server.address(), "-open", "report.txt", "-ver"});
    server.join();
    std::filesystem::current_path(home);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_TRUE(cmdline == bytes("00 10 00 00 16 00 00 00 2D 6F 70 65 6E 20 72 65 70 6F 72 74 2E 74 78 74 20 2D 76 65 "
                                 "72 00 "));
    EXPECT_TRUE(file == bytes("01 10 00 00 01 00 00 00 0B 00 00 00 72 65 70 6F 72 74 2E 74 78 74 00 04 00 00 00 48 69 "
                              "0D 0A "));
    EXPECT_EQ("v5.3.9", readAll(at("version.txt")));
    EXPECT_EQ(std::string(673, 'L'), readAll(at("joblog.txt")));
}

TEST_F(ClientEndToEnd, AnAbortIsShownWithItsFiveFields)
{
    writeAll(at("a.txt"), "text\r\n");
    server.serve([&](USockTcp& s) {
        std::string cmdline, announced, content;
        ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
        ASSERT_TRUE(FakeServer::readFile(s, announced, content));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1002, "prntlist.txt", "Virtual A4\r\n"));
        FakeServer::sendBytes(s, FakeServer::abortBytes("Could not send fontlist.txt to printer client",
                                                        "Check if fontlist.txt exists on server"));
    });
    const ClientRun run = runClient(client({"-open", at("a.txt"), "-printlist", "-fontlist"}));
    server.join();
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("draxomeClient: the server aborted the job:\n"
              "  title:       Communication error information:\n"
              "  name:        USockMAbort\n"
              "  error:       Could not send fontlist.txt to printer client\n"
              "  description: Check if fontlist.txt exists on server\n"
              "  source:      unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )\n",
              run.err);
    // What came before the abort stays.
    EXPECT_EQ((Names{"prntlist.txt"}), filesIn(dir / "out"));
}

TEST_F(ClientEndToEnd, AnAbortEndsAJobThatExpectsNoReply)
{
    // With -view or -disablelog only the end of the connection is due, and an abort in
    // its place is still the job's failure.
    for (const char* option : {"-view", "-disablelog"}) {
        FakeServer one;
        one.serve([&](USockTcp& s) {
            std::string cmdline;
            ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
            FakeServer::sendBytes(s, FakeServer::abortBytes("Could not find velquin.exe or draxome.exe",
                                                            "For printer server to work, velquin.exe or draxome.exe "
                                                            "must be in the current directory"));
        });
        const ClientRun run = runClient({"-server", one.address(), "-outdir", at("out"), "-printername", "X", option});
        one.join();
        EXPECT_EQ(1, run.status) << option;
        EXPECT_TRUE(contains(run.err, "  error:       Could not find velquin.exe or draxome.exe\n")) << run.err;
    }
}

TEST_F(ClientEndToEnd, ViewWaitsForNothingAfterTheJob)
{
    writeAll(at("a.txt"), "text\r\n");
    server.serve([&](USockTcp& s) {
        std::string cmdline, announced, content;
        ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
        ASSERT_TRUE(FakeServer::readFile(s, announced, content));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1002, "prntlist.txt", "Virtual A4\r\n"));
        // The server closes at once after starting the print program.
    });
    const ClientRun run =
        runClient(client({"-timeout", "5", "-open", at("a.txt"), "-view", "-printlist", "-reslist", "-response", "r.txt"}));
    server.join();
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ((Names{"prntlist.txt"}), filesIn(dir / "out"));
    EXPECT_LT(run.seconds, 4.0);
}

TEST_F(ClientEndToEnd, BlanksInFileNamesAndValuesSurvive)
{
    std::filesystem::create_directories(dir / "dir with blanks");
    writeAll(at("dir with blanks/my report.txt"), "Monthly figures\r\n");
    const Args printArgs{"-open", at("dir with blanks/my report.txt"), "-banner", "Monthly report \"final\"",
                         "-fontface", "Courier New", "-response", "my response.txt"};
    std::string cmdline, announced, content;
    server.serve([&](USockTcp& s) {
        ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
        ASSERT_TRUE(FakeServer::readFile(s, announced, content));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1002, "my response.txt", "response"));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1006, "tmpLog.1..txt", kLog));
    });
    const ClientRun run = runClient({"-server", server.address(), "-outdir", at("out dir"), "-open",
                                     at("dir with blanks/my report.txt"), "-banner", "Monthly report \"final\"",
                                     "-fontface", "Courier New", "-response", "my response.txt"});
    server.join();
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(printArgs, splitLikeThePrintProgram(cmdline)) << cmdline;
    EXPECT_EQ("my report.txt", announced);
    EXPECT_EQ("Monthly figures\r\n", content);
    EXPECT_EQ((Names{"joblog.txt", "my response.txt"}), filesIn(dir / "out dir"));
    EXPECT_EQ("response", readAll(at("out dir/my response.txt")));
}

TEST_F(ClientEndToEnd, NoServerListening)
{
    // A port that was free a moment ago and has nobody listening now.
    int port = 0;
    {
        USockTcp probe;
        ASSERT_TRUE(probe.open("127.0.0.1", 0));
        ASSERT_TRUE(probe.bind());
        ASSERT_TRUE(probe.attach(probe.sock));
        port = probe.port;
        probe.close();
    }
    const ClientRun run = runClient({"-server", "127.0.0.1:" + std::to_string(port), "-outdir", at("out"), "-ver"});
    EXPECT_EQ(3, run.status);
    EXPECT_EQ("draxomeClient: cannot connect to 127.0.0.1:" + std::to_string(port) +
                  ": no print server is listening there, or it cannot be reached\n",
              run.err);
    EXPECT_LT(run.seconds, 5.0);
}

TEST_F(ClientEndToEnd, ReplyNamesNeverLeaveTheOutputDirectory)
{
    std::filesystem::create_directories(dir / "out");
    const std::string absolute = at("absolute.txt");
    server.serve([&](USockTcp& s) {
        std::string cmdline;
        ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1002, "../escaped-list.txt", "list"));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1005, absolute, "version"));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1002, "..\\..\\escaped-response.txt", "response"));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1006, "../../../../../../../../tmp/escaped-log.txt", kLog));
    });
    // Even the name the user gives with -response only chooses the file's name.
    const ClientRun run = runClient(client({"-printlist", "-ver", "-response", "../up/../../r.txt"}));
    server.join();
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ((Names{"joblog.txt", "prntlist.txt", "r.txt", "version.txt"}), filesIn(dir / "out"));
    EXPECT_EQ((Names{}), filesIn(dir));
    EXPECT_FALSE(std::filesystem::exists(dir.parent_path() / "escaped-list.txt"));
    EXPECT_EQ("response", readAll(out("r.txt")));
}

TEST_F(ClientEndToEnd, FilesAlreadyThereAreKeptUnlessReplacingIsAsked)
{
    std::filesystem::create_directories(dir / "out");
    writeAll(out("joblog.txt"), "my own notes");
    auto job = [&](const Args& extra) {
        FakeServer one;
        one.serve([&](USockTcp& s) {
            std::string cmdline;
            ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
            FakeServer::sendBytes(s, FakeServer::fileBytes(0x1002, "x", "response"));
            FakeServer::sendBytes(s, FakeServer::fileBytes(0x1006, "x", kLog));
        });
        Args args{"-server", one.address(), "-outdir", at("out")};
        args.insert(args.end(), extra.begin(), extra.end());
        const ClientRun run = runClient(args);
        one.join();
        EXPECT_EQ(0, run.status) << run.err;
    };
    job({"-response", "joblog.txt"});
    EXPECT_EQ("my own notes", readAll(out("joblog.txt")));
    EXPECT_EQ("response", readAll(out("joblog-1.txt")));
    EXPECT_EQ(kLog, readAll(out("joblog-2.txt")));
    // Replacing: the file is replaced, but the job's second reply does not overwrite its first.
    job({"-replace", "-response", "joblog.txt"});
    EXPECT_EQ("response", readAll(out("joblog.txt")));
    EXPECT_EQ(kLog, readAll(out("joblog-1.txt")));
    EXPECT_EQ(3u, filesIn(dir / "out").size());
}

TEST_F(ClientEndToEnd, ASilentServerMeetsTheTimeLimit)
{
    server.serve([&](USockTcp& s) {
        std::string cmdline;
        ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
        server.keepSilent();
    });
    const ClientRun run = runClient(client({"-timeout", "0.5", "-printlist"}));
    EXPECT_EQ(3, run.status);
    EXPECT_EQ("draxomeClient: no reply from the server within 0.5 seconds while waiting for the printer list "
              "(see -timeout)\n",
              run.err);
    EXPECT_GE(run.seconds, 0.45);
    EXPECT_LT(run.seconds, 5.0);
}

TEST_F(ClientEndToEnd, AFileCutShortIsNotLeftBehind)
{
    for (bool close : {false, true}) {
        FakeServer one;
        one.serve([&](USockTcp& s) {
            std::string cmdline;
            ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
            const std::string whole = FakeServer::fileBytes(0x1006, "tmpLog.1..txt", std::string(1000, 'x'));
            FakeServer::sendBytes(s, whole.substr(0, whole.size() - 990));
            if (!close)
                one.keepSilent();
        });
        const ClientRun run = runClient({"-server", one.address(), "-outdir", at("out"), "-timeout", "0.5", "-htext", "3"});
        if (!close)
            EXPECT_EQ("draxomeClient: the server stopped sending the job log: nothing came for 0.5 seconds (see -timeout)\n",
                      run.err);
        else
            EXPECT_EQ("draxomeClient: the connection broke off while receiving the job log\n", run.err);
        EXPECT_EQ(3, run.status);
        EXPECT_LT(run.seconds, 5.0);
        EXPECT_EQ((Names{}), filesIn(dir / "out"));
    }
}

TEST_F(ClientEndToEnd, RepliesOutOfOrderOrBeyondThePlanAreErrors)
{
    const struct {
        Args printArgs;
        std::string replies;
        std::string words;
    } cases[] = {
        {{"-printlist"}, FakeServer::fileBytes(0x1003, "fontlist.txt", "f"),
         "unexpected reply: a message of type 0x1003 where the printer list (type 0x1002) was due"},
        {{"-htext", "3"}, FakeServer::fileBytes(0x1006, "l", "l") + FakeServer::fileBytes(0x1006, "l", "l"),
         "unexpected reply: a message of type 0x1006 after the last reply was due"},
        {{"-fontlist"}, std::string(), "the server closed the connection before sending the font list"},
        {{"-htext", "3"}, std::string("\x06\x10", 2), "the connection broke off while waiting for the job log"},
    };
    for (const auto& c : cases) {
        FakeServer one;
        one.serve([&](USockTcp& s) {
            std::string cmdline;
            ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
            FakeServer::sendBytes(s, c.replies);
        });
        Args args{"-server", one.address(), "-outdir", at("out"), "-timeout", "5"};
        args.insert(args.end(), c.printArgs.begin(), c.printArgs.end());
        const ClientRun run = runClient(args);
        one.join();
        EXPECT_EQ(3, run.status) << c.words;
        EXPECT_TRUE(contains(run.err, c.words)) << run.err;
    }
}

TEST_F(ClientEndToEnd, ALargeFileShowsProgressOnATerminalOnly)
{
    writeAll(at("big.txt"), pattern(2500000, 5));
    for (bool terminal : {true, false}) {
        FakeServer one;
        std::string received;
        one.serve([&](USockTcp& s) {
            std::string cmdline, announced;
            ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
            ASSERT_TRUE(FakeServer::readFile(s, announced, received));
        });
        const ClientRun run =
            runClient({"-server", one.address(), "-outdir", at("out"), "-open", at("big.txt"), "-disablelog"}, terminal);
        one.join();
        EXPECT_EQ(0, run.status) << run.err;
        EXPECT_TRUE(received == pattern(2500000, 5));
        if (terminal) {
            EXPECT_EQ(0u, run.err.find("\rsending big.txt: ")) << run.err;
            EXPECT_TRUE(contains(run.err, "\rsending big.txt: 2.5 of 2.5 MB (100%)   \n")) << run.err;
        } else {
            EXPECT_EQ("", run.err);
        }
    }
}

TEST_F(ClientEndToEnd, AJobRefusedWhileItsFileIsStillOnTheWay)
{
    // A server that judges the command line and refuses the job closes without reading the
    // file; its abort must still reach the user, not just a broken connection.
    writeAll(at("big.txt"), pattern(30000000, 9));
    server.serve([&](USockTcp& s) {
        std::string cmdline;
        ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
        FakeServer::sendBytes(s, FakeServer::abortBytes("Refused -run notepad.exe",
                                                        "Start the server with -allowrun notepad.exe to allow it"));
    });
    const ClientRun run = runClient(client({"-open", at("big.txt"), "-run", "notepad.exe"}));
    server.join();
    EXPECT_EQ(1, run.status) << run.err;
    EXPECT_TRUE(contains(run.err, "  error:       Refused -run notepad.exe\n")) << run.err;
}

TEST_F(ClientEndToEnd, AnErrorInTheJobLogIsPointedOut)
{
    server.serve([&](USockTcp& s) {
        std::string cmdline, announced, content;
        ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
        ASSERT_TRUE(FakeServer::readFile(s, announced, content));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1006, "tmpLog.1..txt",
                                                       kLog + "Error[01/Feb/2026 10:00:00]: getprinter: OpenPrinter(): "
                                                              "cannot open printer\r\nInfo[01/Feb/2026 10:00:00]: x\r\n"));
    });
    writeAll(at("a.txt"), "text\r\n");
    const ClientRun run = runClient(client({"-quiet", "-open", at("a.txt"), "-printername", "Nowhere"}));
    server.join();
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.out);
    EXPECT_EQ("draxomeClient: the job log " + out("joblog.txt") +
                  " reports an error: Error[01/Feb/2026 10:00:00]: getprinter: OpenPrinter(): cannot open printer\n",
              run.err);
}

TEST_F(ClientEndToEnd, AJobWithoutAFileIsNotWarnedAboutHavingNone)
{
    server.serve([&](USockTcp& s) {
        std::string cmdline;
        ASSERT_TRUE(FakeServer::readCmdline(s, cmdline));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1005, "version.txt", "v5.3.9"));
        FakeServer::sendBytes(s, FakeServer::fileBytes(0x1006, "tmpLog.1..txt",
                                                       "Error[01/Feb/2026 10:00:00]: Printfile::openFile(): no file "
                                                       "specified; use -open parameter to specify one\r\n"));
    });
    const ClientRun run = runClient(client({"-ver"}));
    server.join();
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("", run.err);
}

TEST_F(ClientEndToEnd, CommandLinesThatCannotWorkAreRefusedBeforeConnecting)
{
    bool connected = false;
    server.serve([&](USockTcp&) { connected = true; });
    const struct {
        Args printArgs;
        std::string words;
    } cases[] = {
        {{"-open", at("missing.txt")}, "cannot read '" + at("missing.txt") + "'"},
        {{"-open", at("")}, "it is a directory"},
        {{"-open", ""}, "-open names no file"},
        {{"-printlist", "-response"}, "-response needs a value"},
        {{"-banner", "a \"b c\""}, "the argument 'a \"b c\"' cannot be sent"},
        {{"-banner", std::string(5000, 'b')}, "the print program reads at most 5000"},
    };
    for (const auto& c : cases) {
        const ClientRun run = runClient(client(c.printArgs));
        EXPECT_EQ(2, run.status) << c.words;
        EXPECT_EQ(0u, run.err.find("draxomeClient: ")) << run.err;
        EXPECT_TRUE(contains(run.err, c.words)) << run.err;
    }
    EXPECT_FALSE(connected);
}
