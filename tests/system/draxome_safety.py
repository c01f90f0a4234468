#!/usr/bin/env python3
"""draxome_safety.py DRAXOMESERVER_EXE DRAXOME_EXE WRITEOUT_EXE

The print server's job checks and client time limit, under Wine with the real programs
and the virtual printers, driven over loopback by the system tests' printer client:

  refused   every attack of a client's command line (read, delete or overwrite a server
            file, have a command file read, run a program, plant a program or library,
            hide an -open from the server, reach another machine's printer), each with its
            abort, one Error line in the server log, and nothing written, deleted,
            printed or started;
  allowed   a printed job, a new plain -response name filled by an allowed -run, a plain
            -copy name, a printer of prntlist.txt (local, and another machine's listed);
  trusting  -trustclients: the Warning at start, and the open behaviour back (-response
            of any path sent and deleted, -cmdfile read, a hidden -open printed, -copy to
            any path);
  silent    a client that connects and says nothing, and one that stops inside its command
            line, are given up after -clienttimeout while the next client waits, and that
            client is then served.

Needs WINEPREFIX (the prefix with the virtual printers); speaks the protocol through
tests/system/lib/printclient.py.
"""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get("DRAXOME_SOURCE", os.path.normpath(os.path.join(HERE, "..", "..")))
WINE_RUN = os.path.join(SOURCE, "tools", "wine-run")
SOURCE_LITERAL = "unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )"
SERVER_LOG = "draxomeServerLog.txt"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


# --- the wire: the system tests' printer client ---------------------------------------------

sys.path.insert(0, os.path.join(HERE, "lib"))
import printclient  # noqa: E402
from printclient import ABORT, CMDLINE, FILENAME, le32  # noqa: E402


class Reply:
    def __init__(self, type_, name="", content=b"", abort=None):
        self.type, self.name, self.content, self.abort = type_, name, content, abort or []

    def __repr__(self):
        if self.type == ABORT:
            return "abort%r" % (self.abort,)
        return "file(0x%x, %r, %d bytes)" % (self.type, self.name, len(self.content))


def parse_replies(data):
    replies = []
    for r in printclient.parse_replies(data):
        check(r[0] != "cut", "a reply ends in the middle: %r" % (r,))
        replies.append(Reply(ABORT, abort=r[1]) if r[0] == "abort" else Reply(r[1], r[2], r[3]))
    return replies


def receive_all(sock, limit_s=180):
    sock.settimeout(limit_s)
    chunks = []
    try:
        while True:
            chunk = sock.recv(65536)
            if not chunk:
                break
            chunks.append(chunk)
    except ConnectionResetError:
        # The server closed with bytes of ours unread; what it sent before stays readable.
        pass
    return b"".join(chunks)


def job(port, line, document=None, doc_name="doc.txt"):
    """One exchange as a printer client does it: the command line, the document when
    there is one, then everything the server sends until it closes."""
    parts = [printclient.cmdline(line)]
    if document is not None:
        parts.append(printclient.file_message(FILENAME, doc_name, document))
    return parse_replies(printclient.exchange(port, parts, timeout=180))


# --- the server ----------------------------------------------------------------------------

def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def listening(port):
    with open("/proc/net/tcp") as f:
        for row in f.readlines()[1:]:
            fields = row.split()
            if fields[3] == "0A" and fields[1].endswith(":%04X" % port):
                return True
    return False


class Server:
    def __init__(self, rundir, spool, *args):
        self.rundir, self.port = rundir, free_port()
        env = dict(os.environ, DRAXOME_SPOOL_DIR=spool)
        self.out = open(os.path.join(rundir, "..", "server-%d.out" % self.port), "wb")
        self.process = subprocess.Popen(
            [WINE_RUN, "draxomeServer.exe", "-listenaddr", "127.0.0.1:%d" % self.port] + list(args),
            cwd=rundir, env=env, stdout=self.out, stderr=subprocess.STDOUT, start_new_session=True)
        for _ in range(900):
            if listening(self.port):
                return
            check(self.process.poll() is None, "the server ended before it listened: %s" % self.log())
            time.sleep(0.1)
        raise Failure("the server does not listen on %d after 90 s" % self.port)

    def log(self):
        path = os.path.join(self.rundir, SERVER_LOG)
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode("latin-1")

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(20)
        self.out.close()


# --- the checks ----------------------------------------------------------------------------

def snapshot(rundir, spool):
    """Every file of the server's directory with its content, and the spooled jobs."""
    files = {}
    for name in os.listdir(rundir):
        path = os.path.join(rundir, name)
        if os.path.isfile(path) and name != SERVER_LOG:
            with open(path, "rb") as f:
                files[name] = f.read()
    return files, sorted(os.listdir(spool))


def wine_path(path):
    # Wine's Z: drive is the Linux root.
    return "Z:" + path.replace("/", "\\")


def test_refused(server, rundir, spool, outside):
    secret = os.path.join(outside, "secret.txt")
    z_secret = wine_path(secret)
    z_dir = wine_path(outside)
    doc = b"a document\r\n"
    cases = [
        # read and delete any file: -response is sent and deleted even in print mode
        ("-response " + z_secret,
         "Refused -response '%s': not a plain file name" % z_secret),
        ("-open doc.txt -response " + SERVER_LOG,
         "Refused -response '%s': a file of that name exists in the server's directory" % SERVER_LOG),
        ("-open doc.txt -response PRNTLIST.TXT",
         "Refused -response 'PRNTLIST.TXT': a file of that name exists in the server's directory"),
        # have the print program read a file: every token back as "Unknown option"
        ("-open doc.txt -cmdfile " + z_secret,
         "Refused -cmdfile: a printer client may not have the print program read a command file"),
        # write any file
        ("-open doc.txt -copy " + z_dir + "\\written.txt",
         "Refused -copy '%s\\written.txt': not a plain file name" % z_dir),
        ("-open doc.txt -copy ..\\written.txt", "Refused -copy '..\\written.txt': not a plain file name"),
        ("-open doc.txt -copy draxome.exe",
         "Refused -copy 'draxome.exe': a file name with an extension that Windows runs or loads"),
        ("-open doc.txt -copy prnlog.TXT",
         "Refused -copy 'prnlog.TXT': a file of that name exists in the server's directory"),
        ("-open doc.txt -copy \"prnlog.txt.\"", "Refused -copy 'prnlog.txt.': a file name that ends with a dot"),
        ("-open doc.txt -copy PRNLOG~1.TXT", "Refused -copy 'PRNLOG~1.TXT': not a plain file name"),
        ("-open doc.txt -copy copy.txt:stream", "Refused -copy 'copy.txt:stream': not a plain file name"),
        ("-open doc.txt -copy NUL.txt", "Refused -copy 'NUL.txt': a device name"),
        # run any program
        ("-open doc.txt -run cmd.exe -response out.txt",
         "Refused -run 'cmd.exe': this server allows no such program for printer clients"),
        ("-open doc.txt -copy run.bat -run default",
         "Refused -copy 'run.bat': a file name with an extension that Windows runs or loads"),
        ("-open doc.txt -copy run.txt -run default",
         "Refused -run 'default': this server allows no such program for printer clients"),
        # plant a program or a library
        ("-open doc.txt -copy velquin.exe",
         "Refused -copy 'velquin.exe': a file name with an extension that Windows runs or loads"),
        ("-open doc.txt -copy VERSION.dll",
         "Refused -copy 'VERSION.dll': a file name with an extension that Windows runs or loads"),
        # print any server file behind an option the server reads with a value
        ("-listenaddr -open " + z_secret,
         "Refused -open as argument 2: the server reads it as the value of another option, and the print "
         "program would open that file instead of the document sent"),
        ("-logfile -open " + z_secret, "Refused -open as argument 2:"),
        # authenticate to another machine
        ("-open doc.txt -printername \\\\192.0.2.1\\share",
         "Refused -printername '\\\\192.0.2.1\\share': a printer of another machine that is not installed on "
         "this server"),
        ("-open doc.txt -printername //192.0.2.1/share", "Refused -printername '//192.0.2.1/share'"),
        # option words in quotes are still options to the print program
        ("-open doc.txt \"-cmdfile\" " + z_secret, "Refused -cmdfile"),
    ]
    for line, error in cases:
        before = snapshot(rundir, spool)
        log_before = server.log()
        server_takes_open = line.startswith("-open ")
        replies = job(server.port, line, doc if server_takes_open else None)
        check(len(replies) == 1 and replies[0].type == ABORT,
              "%s: expected one abort, got %r" % (line, replies))
        abort = replies[0].abort
        check(abort[0] == "Communication error information:" and abort[1] == "USockMAbort",
              "%s: abort %r" % (line, abort))
        check(abort[2].startswith(error), "%s: error %r, expected %r" % (line, abort[2], error))
        check("-trustclients" in abort[3], "%s: description %r" % (line, abort[3]))
        check(abort[4] == SOURCE_LITERAL, "%s: source %r" % (line, abort[4]))
        added = server.log()[len(log_before):]
        check(added == "Info: PPrinterServer::run(): connection accepted from 127.0.0.1(127.0.0.1)\r\n"
              "Error: PPrinterServer::dispatch(): job refused: " + abort[2] + "\r\n",
              "%s: the server log got %r" % (line, added))
        check(snapshot(rundir, spool) == before,
              "%s: the server's directory or the spool changed (written, deleted, printed or started)" % line)
        with open(secret, "rb") as f:
            check(f.read() == b"the secret\r\n", "secret.txt was changed")
        check(sorted(os.listdir(outside)) == ["secret.txt"], "%s: a file was written outside" % line)
    print("refused: %d forms, each with its abort and one log line, nothing written, deleted, printed "
          "or started: ok" % len(cases))


def test_allowed(server, rundir, spool):
    doc = b"allowed job, line 1\r\nline 2\r\n"
    jobs_before = len(os.listdir(spool))
    replies = job(server.port, "-open doc.txt -printername \"Virtual Letter\"", doc)
    check([r.type for r in replies] == [0x1006], "printed job: %r" % replies)
    check(len(os.listdir(spool)) == jobs_before + 1, "printed job: no PostScript job in the spool")
    print("allowed: a job printed on a printer of prntlist.txt: ok")

    replies = job(server.port, "-open doc.txt -run writeout.exe -response answer.txt", doc)
    check([r.type for r in replies] == [0x1002, 0x1006], "-run -response: %r" % replies)
    check(replies[0].name == "answer.txt", "-run -response: named %r" % replies[0].name)
    check(replies[0].content.startswith(b"writeout: tmpFilename.") and replies[0].content.endswith(doc),
          "-run -response: %r" % replies[0].content)
    check(not os.path.exists(os.path.join(rundir, "answer.txt")), "the response file was not deleted")
    print("allowed: a new plain -response name filled by an allowed -run, sent and deleted: ok")

    replies = job(server.port, "-open doc.txt -copy Copied_Report-1.txt", doc)
    check([r.type for r in replies] == [0x1006], "-copy: %r" % replies)
    with open(os.path.join(rundir, "Copied_Report-1.txt"), "rb") as f:
        check(f.read() == doc, "-copy: the copy is not the document")
    print("allowed: a plain -copy name: ok")

    # A connection to another machine's printer that the administrator installed: listed,
    # so the job runs; the print program then reports that Wine has no such printer.
    with open(os.path.join(rundir, "prntlist.txt"), "ab") as f:
        f.write(b"\\\\printhost\\Office\n")
    replies = job(server.port, "-open doc.txt -printername \\\\printhost\\Office", doc)
    check([r.type for r in replies] == [0x1006], "listed remote printer: %r" % replies)
    check(b"job refused" not in server.log().encode("latin-1")[-400:], "the listed printer was refused")
    print("allowed: another machine's printer listed in prntlist.txt: ok")


def test_trusting(rundir, spool, outside):
    server = Server(rundir, spool, "-trustclients")
    try:
        check("Warning: main::WinMain(): -trustclients:" in server.log(), "no Warning at start: %s" % server.log())
        victim = os.path.join(outside, "victim.txt")
        with open(victim, "wb") as f:
            f.write(b"victim content\r\n")
        replies = job(server.port, "-response " + wine_path(victim))
        check(len(replies) >= 1 and replies[0].type == 0x1002 and replies[0].content == b"victim content\r\n",
              "-trustclients -response: %r" % replies)
        check(not os.path.exists(victim), "-trustclients: the file was not deleted as before")
        cmdfile = os.path.join(outside, "options.ini")
        with open(cmdfile, "wb") as f:
            f.write(b"-hcenter secretword")
        replies = job(server.port, "-open doc.txt -cmdfile " + wine_path(cmdfile), b"x\r\n")
        check(replies and replies[-1].type == 0x1006, "-trustclients -cmdfile: %r" % replies)
        # The print program's parse writes into its own log.
        with open(os.path.join(rundir, "prnlog.txt"), "rb") as f:
            check(b"Unknown option secretword" in f.read(), "-trustclients: the command file was not read")
        # The hidden -open has the print program print a server file the client names.
        secret = os.path.join(outside, "secret.txt")
        jobs_before = len(os.listdir(spool))
        replies = job(server.port, "-listenaddr -open " + wine_path(secret))
        check(replies and replies[-1].type == 0x1006, "-trustclients hidden -open: %r" % replies)
        check(len(os.listdir(spool)) == jobs_before + 1, "-trustclients: the hidden -open printed nothing")
        replies = job(server.port, "-open doc.txt -copy " + wine_path(os.path.join(outside, "written.txt")),
                      b"written\r\n")
        with open(os.path.join(outside, "written.txt"), "rb") as f:
            check(f.read() == b"written\r\n", "-trustclients: -copy did not write outside")
        os.remove(os.path.join(outside, "written.txt"))
        check("job refused" not in server.log(), "-trustclients refused a job")
        print("trusting: the Warning at start, and as before -response of any path sent and deleted, -cmdfile "
              "read, a hidden -open printed, -copy anywhere: ok")
    finally:
        server.stop()


def test_silent(rundir, spool):
    limit = 3.0
    server = Server(rundir, spool, "-clienttimeout", "3")
    try:
        silent = socket.create_connection(("127.0.0.1", server.port))
        time.sleep(0.3)
        started = time.monotonic()
        replies = job(server.port, "-ver")
        waited = time.monotonic() - started
        check([r.type for r in replies] == [0x1005, 0x1006], "the second client: %r" % replies)
        check(limit - 0.8 < waited < limit + 30, "the second client waited %.1f s" % waited)
        silent_replies = parse_replies(receive_all(silent, 30))
        silent.close()
        check(len(silent_replies) == 1 and silent_replies[0].type == ABORT and
              silent_replies[0].abort[3] == "Expected type was msgCmdLine (4096); received type was -1",
              "the silent client: %r" % silent_replies)
        log = server.log()
        check("Error: PPrinterServer::dispatch(): msgCmdLine: received an unexpected type\r\n" in log,
              "no log line for the silent client: %s" % log)

        # Stopped inside the command line: the size says 40 bytes, 4 come.
        halfway = socket.create_connection(("127.0.0.1", server.port))
        halfway.sendall(le32(CMDLINE) + le32(40) + b"-ver")
        time.sleep(0.3)
        started = time.monotonic()
        replies = job(server.port, "-ver")
        waited = time.monotonic() - started
        check([r.type for r in replies] == [0x1005, 0x1006], "after the halfway client: %r" % replies)
        check(limit - 0.8 < waited < limit + 30, "the client after the halfway one waited %.1f s" % waited)
        halfway_replies = parse_replies(receive_all(halfway, 30))
        halfway.close()
        check([r.abort[2] for r in halfway_replies] == ["Could not read command line sent by printer client", ""],
              "the halfway client: %r" % halfway_replies)
        check("Error: PPrinterServer::dispatch(): msgCmdLine: could not read\r\n" in server.log(),
              "no log line for the halfway client")
        print("silent: clients given up after -clienttimeout 3, the next client served: ok")
    finally:
        server.stop()


def main():
    if len(sys.argv) != 4:
        print("usage: draxome_safety.py DRAXOMESERVER_EXE DRAXOME_EXE WRITEOUT_EXE", file=sys.stderr)
        return 2
    check("WINEPREFIX" in os.environ, "WINEPREFIX must name the prefix with the virtual printers")
    work = tempfile.mkdtemp(prefix="draxome-safety.")
    try:
        def fresh(name):
            rundir = os.path.join(work, name)
            os.makedirs(rundir)
            shutil.copy(sys.argv[1], os.path.join(rundir, "draxomeServer.exe"))
            shutil.copy(sys.argv[2], os.path.join(rundir, "draxome.exe"))
            shutil.copy(sys.argv[3], os.path.join(rundir, "writeout.exe"))
            return rundir

        spool = os.path.join(work, "spool")
        outside = os.path.join(work, "outside")
        os.makedirs(spool)
        os.makedirs(outside)
        with open(os.path.join(outside, "secret.txt"), "wb") as f:
            f.write(b"the secret\r\n")

        rundir = fresh("checked")
        server = Server(rundir, spool, "-allowrun", "writeout.exe", "-clienttimeout", "30")
        try:
            test_refused(server, rundir, spool, outside)
            test_allowed(server, rundir, spool)
        finally:
            server.stop()
        test_trusting(fresh("trusting"), spool, outside)
        test_silent(fresh("silent"), spool)
    except Failure as e:
        print("FAIL: %s" % e, file=sys.stderr)
        if os.environ.get("SYSTEST_KEEP"):
            print("kept %s" % work, file=sys.stderr)
            work = None
        return 1
    finally:
        if work is not None:
            shutil.rmtree(work, ignore_errors=True)
    print("draxome_safety: all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
