#include "ClientTestSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string kLog = "Info[01/Feb/2026 10:00:00]: draxome v5.3.9\r\n";

std::string out(const std::string& name) { return (fs::path("out") / name).string(); }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

} // namespace

// Every reply in its order, arguments that must be quoted, a file large enough for a
// progress line on a terminal, and an earlier printer list replaced. The fake server reads
// the command line and the file as raw bytes, so their framing is checked too. The
// client's own options come first; "--" ends them.
TEST(ClientEndToEnd, AJobWithEveryReply)
{
    testsupport::TempDir tmp(true);
    const std::string report = pattern(1500000, 7), answer = pattern(70000, 3);
    writeAll("my report.txt", report);
    fs::create_directory("out");
    writeAll(out("prntlist.txt"), "earlier");
    const Args printArgs{"-open", "my report.txt", "-banner", "Monthly \"final\"", "-printlist", "-fontlist", "-ver",
                         "-response", "my answer.txt", "-reslist", "-graph", "-codepage", "utf-8"};
    std::string cmdline, announced, received;
    FakeServer server([&](USockTcp& s) {
        cmdline = FakeServer::readString(s);
        received = FakeServer::readFile(s, announced);
        sendRaw(s, fileMsg(0x1002, "prntlist.txt", "A4") + fileMsg(0x1003, "f", "Courier") + fileMsg(0x1005, "v", "v5") +
                       fileMsg(0x1002, "x.txt", answer) + fileMsg(0x1004, "r", "") + fileMsg(0x1006, "l", kLog));
    });
    Args args{"-server", server.address(), "-outdir", "out", "-replace", "--"};
    args.insert(args.end(), printArgs.begin(), printArgs.end());
    const ClientRun run = runClient(args, true);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ((Names{"fontlist.txt", "joblog.txt", "my answer.txt", "prntlist.txt", "reslist.txt", "version.txt"}),
              filesIn("out"));
    // The wire text itself, and the arguments it splits back into on the server's side.
    EXPECT_EQ("-open \"my report.txt\" -banner \"Monthly \"final\"\" -printlist -fontlist -ver -response "
              "\"my answer.txt\" -reslist -graph -codepage utf-8", cmdline);
    EXPECT_EQ(printArgs, splitLikeTheServerSide(cmdline));
    EXPECT_TRUE(announced == "my report.txt" && received == report);
    EXPECT_EQ(0u, run.err.find("\rsending my report.txt: ")) << run.err;
    EXPECT_TRUE(contains(run.err, "\rsending my report.txt: 1.5 of 1.5 MB (100%)   \n")) << run.err;
    // The same code twice, told apart by the order alone.
    const char* kinds[][2] = {{"printer list", "prntlist.txt"}, {"font list", "fontlist.txt"},
                              {"version file", "version.txt"}, {"response file", "my answer.txt"},
                              {"resolution list", "reslist.txt"}, {"job log", "joblog.txt"}};
    std::string said;
    for (const auto& k : kinds)
        said += std::string("received the ") + k[0] + ": " + out(k[1]) + "\n";
    EXPECT_EQ(said, run.out);
    EXPECT_TRUE(readAll(out("prntlist.txt")) == "A4" && readAll(out("my answer.txt")) == answer);
    EXPECT_TRUE(readAll(out("fontlist.txt")) == "Courier" && readAll(out("reslist.txt")).empty());
}

// Each row: the print program's arguments; the replies the server sends once it has read
// the command line (and the file, with Read); whether it then closes, or keeps silent until
// the client closes; the client's exit status, what its standard error holds ("" for
// nothing at all) and the files left in the output directory.
TEST(ClientEndToEnd, AbortsBrokenRepliesTimeLimitsAndUsageErrors)
{
    testsupport::TempDir tmp(true);
    writeAll("a.txt", "text\r\n");
    writeAll("big.txt", pattern(30000000, 9));
    const std::string log = fileMsg(0x1006, "tmpLog.1..txt", std::string(1000, 'x'));
    enum { Close, Silent, Read, Slow, Pause };
    // A log whose last read is of one byte, its last line an Error.
    const std::string lastError = "Error[01/Feb/2026 10:00:00]: z";
    const std::string oddLog = std::string(4095 - lastError.size(), '.') + "\r\n" + lastError;
    // A port just given up, and a listener whose queue is full.
    const std::string noServer = "127.0.0.1:" + std::to_string(Listener().port);
    Listener full(0);
    std::vector<USockTcp> queued = full.fillQueue();
    const std::string noAnswer = "127.0.0.1:" + std::to_string(full.port);
    const std::string noPrintProgram = abortMsg("Could not find velquin.exe or draxome.exe", "must be here");
    const struct {
        Args printArgs;
        std::string replies;
        int then;
        int status;
        std::string err;
        Names files;
    } rows[] = {
        {{"-printlist", "-fontlist"}, fileMsg(0x1002, "prntlist.txt", "A4") + abortMsg("Could not send fontlist.txt",
         "Check it"), Close, 1, "draxomeClient: the server aborted the job:\n  title:       Communication error "
         "information:\n  name:        USockMAbort\n  error:       Could not send fontlist.txt\n  description: Check it"
         "\n  source:      unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )\n", {"prntlist.txt"}},
        // With -view or -disablelog only the end of the connection is due; an abort in its
        // place is still a failure.
        {{"-printername", "X", "-view"}, noPrintProgram, Close, 1, "error:       Could not find velquin.exe", {}},
        {{"-timeout", "5", "-view", "-printlist", "-reslist", "-response", "r.txt"}, fileMsg(0x1002, "p", "A4"), Close,
         0, "", {"prntlist.txt"}},
        // A refused job's abort reaches the user while its file is still on the way.
        {{"-open", "big.txt", "-run", "notepad.exe"}, abortMsg("Refused -run notepad.exe", "Use -allowrun"), Close, 1,
         "error:       Refused -run notepad.exe\n", {}},
        {{"-printlist"}, fileMsg(0x1003, "f", "f"), Close, 3,
         "unexpected reply: a message of type 0x1003 where the printer list (type 0x1002) was due", {}},
        {{"-htext", "3"}, fileMsg(0x1006, "l", "l") + fileMsg(0x1006, "l", "l"), Close, 3,
         "unexpected reply: a message of type 0x1006 after the last reply was due", {"joblog.txt"}},
        {{"-fontlist"}, "", Close, 3, "the server closed the connection before sending the font list", {}},
        {{"-htext", "3"}, std::string("\x06\x10", 2), Close, 3, "the connection broke off while waiting for the job log",
         {}},
        // A code begun and then stalled is a transfer -timeout bounds.
        {{"-timeout", "0.5", "-htext", "3"}, std::string("\x06\x10", 2), Silent, 3, "broke off while waiting", {}},
        // A file cut short in its content or its name is not left behind.
        {{"-timeout", "0.5", "-htext", "3"}, log.substr(0, 32), Silent, 3,
         "the server stopped sending the job log: nothing came for 0.5 seconds (see -timeout)\n", {}},
        {{"-htext", "3"}, log.substr(0, 14), Close, 3, "the connection broke off while receiving the job log\n", {}},
        // A job without a file always logs that it has none: nothing worth a word.
        {{"-ver"}, fileMsg(0x1005, "v", "v5") + fileMsg(0x1006, "l", "Error[01/Feb/2026 10:00:00]: Printfile::openFile"
         "(): no file specified; use -open parameter to specify one\r\n"), Close, 0, "", {"joblog.txt", "version.txt"}},
        {{"-timeout", "0.5", "-printlist"}, fileMsg(0x1002, "p", "A4") + fileMsg(0x1006, "l", kLog), Slow, 0, "",
         {"joblog.txt", "prntlist.txt"}},
        // A code that comes in two parts within -timeout is one code; a log's problem lines
        // are shown as they stand, prefixed by the file.
        {{"-timeout", "2", "-open", "a.txt"}, fileMsg(0x1006, "l", oddLog), Pause, 4, "a.txt: " + lastError + "\n",
         {"joblog.txt"}},
        // One file named alone: its outcome is the exit code alone.
        {{"a.txt"}, fileMsg(0x1006, "l", kLog), Read, 0, "", {"joblog.txt"}},
        {{"-open", "missing.txt"}, "", Close, 2, "cannot read 'missing.txt'", {}},
        {{"-open", "."}, "", Close, 2, "cannot send '.': it is a directory", {}},
        {{"-open", ""}, "", Close, 2, "-open names no file", {}},
        {{"-printlist", "-response"}, "", Close, 2, "-response needs a value", {}},
        {{"-banner", "a \"b c\""}, "", Close, 2, "the argument 'a \"b c\"' cannot be sent", {}},
        {{"-banner", std::string(5000, 'b')}, "", Close, 2, "the print program reads at most 5000", {}},
        // Reply names never leave the output directory; nor does the name -response gives.
        {{"-printlist", "-ver", "-response", "../up/../../r.txt"}, fileMsg(0x1002, "../escaped.txt", "list") +
         fileMsg(0x1005, fs::absolute("escaped.txt").string(), "v") + fileMsg(0x1002, "..\\..\\escaped.txt", "r") +
         fileMsg(0x1006, "../../../../../../../../tmp/escaped.txt", kLog), Close, 0, "", {"joblog.txt", "prntlist.txt",
         "r.txt", "version.txt"}},
        {{"-quiet", "--"}, "", Close, 2, "nothing to send", {}}, {{"-server"}, "", Close, 2, "-server needs a value", {}},
        {{"-timeout"}, "", Close, 2, "-timeout needs a value", {}},
        {{"-outdir", "", "-ver"}, "", Close, 2, "-outdir needs a directory", {}},
        // The last -server counts.
        {{"-server", noServer, "-ver"}, "", Close, 3, "cannot connect to " + noServer + ": no print server is listening "
         "there", {}},
        {{"-server", noAnswer, "-timeout", "0.8", "-ver"}, "", Close, 3, "cannot connect to " + noAnswer + ": no answer "
         "within 0.8 seconds (see -timeout)\n", {}},
    };
    // HOST:PORT with a port from 1 to 65535 in digits alone; a time limit in plain seconds.
    for (const char* wrong : {"host:80abc", "host:", "0", "5s", "nan", "1e9"}) {
        const ClientRun run = runClient({wrong[0] == 'h' ? "-server" : "-timeout", wrong, "-ver"});
        EXPECT_TRUE(run.status == 2 && contains(run.err, std::string(" wants ") + (wrong[0] == 'h' ? "HOST" : "a number")))
            << run.err;
    }
    for (const auto& r : rows) {
        SCOPED_TRACE(r.printArgs.back());
        fs::remove_all("out");
        FakeServer server([&](USockTcp& s) {
            std::string name = FakeServer::readString(s);
            if (r.then == Read || r.then == Pause)
                FakeServer::readFile(s, name);
            if (r.then == Pause) {
                sendRaw(s, r.replies.substr(0, 1));
                std::this_thread::sleep_for(std::chrono::milliseconds(1200));
            }
            sendRaw(s, r.then == Pause ? r.replies.substr(1) : r.replies);
            if (r.then == Silent)
                recvAll(s);
            // A slow print program: the wait after the job has no time limit.
            if (r.then == Slow)
                std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        });
        Args args{"-server", server.address(), "-outdir", "out"};
        args.insert(args.end(), r.printArgs.begin(), r.printArgs.end());
        const ClientRun run = runClient(args);
        EXPECT_EQ(r.status, run.status) << run.err;
        EXPECT_TRUE(r.err.empty() ? run.err.empty()
                                  : contains(run.err, r.err) && (run.err.find("draxomeClient: ") == 0 || run.err == r.err))
            << run.err;
        EXPECT_EQ(r.files, fs::exists("out") ? filesIn("out") : Names{});
        // Nothing is sent for a command line that cannot work, and nothing waits long.
        EXPECT_TRUE((r.status != 2 || !server.accepted) && (r.printArgs[0] != "-quiet" || run.out.empty()));
        EXPECT_LT(run.seconds, 4.0);
    }
    for (USockTcp& s : queued)
        s.close();
    EXPECT_EQ((Names{"a.txt", "big.txt"}), filesIn("."));
    EXPECT_FALSE(fs::exists(fs::current_path().parent_path() / "escaped.txt"));
}

// Three files, three jobs in order, each named in the queue after its file unless
// -docname says otherwise, the client's options among the print options. The second
// job's log holds a typo's Error line: shown with its Warning, prefixed by the file,
// exit 4. The third prints slowly, far beyond -timeout, with the wait shown.
TEST(ClientEndToEnd, SeveralFilesAreSeveralJobsAndTheWorstExitCodeCounts)
{
    testsupport::TempDir tmp(true);
    fs::create_directory("dir");
    writeAll("a.txt", "a\r\n");
    writeAll((fs::path("dir") / "b.txt").string(), "b\r\n");
    writeAll("c.txt", "c\r\n");
    std::vector<std::string> cmdlines, contents;
    const std::string logs[] = {kLog, kLog + "Warning[01/Feb/2026 10:00:00]: papersize Letter: using A4\r\n"
                                                "Error[01/Feb/2026 10:00:00]: Unknown option -orientaton\x1b[2J\r\n",
                                kLog};
    FakeServer server(
        [&](USockTcp& s) {
            std::string announced;
            cmdlines.push_back(FakeServer::readString(s));
            contents.push_back(FakeServer::readFile(s, announced));
            if (cmdlines.size() == 3)
                std::this_thread::sleep_for(std::chrono::milliseconds(2300));
            sendRaw(s, fileMsg(0x1006, "l", logs[cmdlines.size() - 1]));
        },
        3);
    const ClientRun run = runClient({"-copies", "2", "a.txt", "-server", server.address(), "-timeout", "0.5",
                                     (fs::path("dir") / "b.txt").string(), "-outdir", "out", "-open", "c.txt"},
                                    true);
    EXPECT_EQ(4, run.status) << run.err;
    const std::string b = (fs::path("dir") / "b.txt").string();
    EXPECT_EQ((std::vector<std::string>{"-copies 2 -docname a.txt -open a.txt",
                                        "-copies 2 -docname b.txt -open " + b, "-copies 2 -docname c.txt -open c.txt"}),
              cmdlines);
    EXPECT_EQ((std::vector<std::string>{"a\r\n", "b\r\n", "c\r\n"}), contents);
    const std::string told = "draxomeClient: a.txt: printed\n" + b +
                             ": Warning[01/Feb/2026 10:00:00]: papersize Letter: using A4\n" + b +
                             ": Error[01/Feb/2026 10:00:00]: Unknown option -orientaton?[2J\ndraxomeClient: " + b +
                             ": printed, with errors in the job log\n\rprinting\xe2\x80\xa6 1 s\rprinting\xe2\x80\xa6 ";
    EXPECT_EQ(told, run.err.substr(0, told.size()));
    const std::string end = " s\ndraxomeClient: c.txt: printed\n";
    EXPECT_EQ(end, run.err.substr(run.err.size() - end.size()));
    EXPECT_EQ((Names{"joblog-1.txt", "joblog-2.txt", "joblog.txt"}), filesIn("out"));
}
