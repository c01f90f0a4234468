#!/usr/bin/env python3
"""Soak of the print server with hostile clients, each followed by a valid job.

  soak.py --port PORT --rundir DIR [--connections N] [--duration SECONDS]
          [--figures CMD | --pid PID] [--kinds K,K,...] [--client-limit SECONDS]
          [--print-every K] [--check]

The server runs on 127.0.0.1:PORT in DIR (its current directory). Connection i is of kind
KINDS[i % len(KINDS)]; while it is open, a valid job is sent on a second connection, so
the valid job waits behind the hostile client as a real one would. The valid job is
"-ver -open doc.txt" with a small document every K-th time (it prints, and its log must
say so), else "-ver -disablelog" (the print program runs without printing); it must get
its replies and nothing else.

Figures printed at the end: connections by kind, valid jobs served, the longest wait of a
valid job (behind which kind, and the longest behind each kind), the server's memory and
handle count before and after (from CMD, which prints procfigures lines, or from /proc/PID
natively), and the size of DIR and of its logs before and after. --check exits 1 when a
valid job failed, the handles grew, or DIR or a log grew beyond the bounds given.

Kinds:
  truncate    a valid job cut at an offset, every offset in turn, then closed
  wrongtype   a wrong type code where the command line or the document belongs
  badsize     a size no message may have: negative, zero, beyond the limits
  reset       part of a job, then a reset instead of a close
  silent      connects and sends nothing
  drip        a job one byte at a time, a byte every 0.3 s
  nonreader   a job that asks for every inventory and reads nothing
  garbage     random bytes
  forged      an abort whose texts carry line ends, a forged log line and 10 KB each
  bigcmd      a command line of 1 MiB of "-open a "
"""

import argparse
import os
import random
import re
import shlex
import socket
import struct
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import wirebytes  # noqa: E402
from wirebytes import le32, string  # noqa: E402

KINDS = ["truncate", "wrongtype", "badsize", "reset", "silent", "drip", "nonreader", "garbage", "forged",
         "bigcmd"]
DOC = b"".join(b"soak line %03d of a valid job\r\n" % i for i in range(8))


def cmdline(text):
    return string(text, 0x1000)


def document(content=DOC, name="doc.txt", size=None):
    return le32(0x1001) + string(name) + le32(len(content) if size is None else size) + content


def forged_abort():
    forged = "x\r\nInfo: PPrinterServer::run(): connection accepted from 10.9.8.7(10.9.8.7)\r\n"
    return le32(4) + b"".join(string((forged * 120)[:10000]) for _ in range(5))


# ---- the wire, read back -----------------------------------------------------------------

def messages(data):
    """The server's replies as (type, name, size) or ("abort", error) tuples; ("cut",) last
    when the bytes end inside a message."""
    out, c = [], wirebytes.Cursor(data)
    while c.more():
        try:
            t = c.int32()
            if t == 4:
                fields = [c.text() for _ in range(5)]
                out.append(("abort", fields[2]))
            elif 0x1002 <= t <= 0x1006:
                name = c.text()
                out.append((t, name, c.take(c.int32())))
            else:
                raise EOFError
        except EOFError:
            out.append(("cut",))
            break
    return out


def read_all(sock, limit):
    sock.settimeout(limit)
    chunks = []
    try:
        while True:
            b = sock.recv(65536)
            if not b:
                break
            chunks.append(b)
    except (ConnectionResetError, socket.timeout, OSError):
        pass
    return b"".join(chunks)


# ---- the hostile clients -----------------------------------------------------------------

class Hostile:
    def __init__(self, port, rng, client_limit):
        self.port, self.rng, self.limit = port, rng, client_limit
        self.offsets = {}
        self.served = threading.Event()

    def next_offset(self, kind, length):
        n = self.offsets.get(kind, 0)
        self.offsets[kind] = n + 1
        return n % length

    def connect(self):
        s = socket.create_connection(("127.0.0.1", self.port), timeout=30)
        s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        return s

    def send_quietly(self, s, data):
        try:
            s.sendall(data)
        except OSError:
            pass

    def hold(self, s):
        """Keeps the connection until the valid job behind it was served, reading nothing."""
        self.served.wait(self.limit * 4 + 120)
        s.close()

    def finish(self, s, data):
        self.send_quietly(s, data)
        try:
            s.shutdown(socket.SHUT_WR)
        except OSError:
            pass
        read_all(s, self.limit * 4 + 30)
        s.close()

    def run(self, kind):
        job = cmdline("-ver -open doc.txt") + document()
        s = self.connect()
        r = self.rng
        if kind == "truncate":
            self.finish(s, job[:self.next_offset(kind, len(job))])
        elif kind == "wrongtype":
            bad = r.choice([0, 1, 3, 5, 0x1001, 0x1002, 0x1006, -1, 0x7fffffff, -0x80000000])
            head = le32(bad) if r.random() < 0.5 else cmdline("-open doc.txt") + le32(bad)
            self.finish(s, head + document()[4:])
        elif kind == "badsize":
            size = r.choice([0, -1, -0x80000000, 0x7fffffff, 1024 * 1024 + 1, 4999, 5001])
            if r.random() < 0.5:
                self.finish(s, le32(0x1000) + le32(size) + b"-ver\0")
            else:
                self.finish(s, cmdline("-open doc.txt") + document(DOC, size=size))
        elif kind == "reset":
            self.send_quietly(s, job[:r.randrange(1, len(job))])
            s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            s.close()
        elif kind == "silent":
            read_all(s, self.limit * 4 + 30)
            s.close()
        elif kind == "drip":
            s.setblocking(False)
            for i in range(len(job)):
                try:
                    s.recv(1, socket.MSG_PEEK)
                    break  # the server answered or closed: it gave up
                except BlockingIOError:
                    pass
                except OSError:
                    break
                try:
                    s.send(job[i:i + 1])
                except OSError:
                    break
                time.sleep(0.3)
            s.setblocking(True)
            read_all(s, self.limit * 4 + 30)
            s.close()
        elif kind == "nonreader":
            self.send_quietly(s, cmdline("-printlist -fontlist -ver -reslist -open doc.txt") + document())
            self.hold(s)
        elif kind == "garbage":
            self.finish(s, bytes(r.randrange(256) for _ in range(r.randrange(1, 4096))))
        elif kind == "forged":
            head = b"" if r.random() < 0.5 else cmdline("-open doc.txt")
            self.finish(s, head + forged_abort())
        elif kind == "bigcmd":
            self.finish(s, cmdline("-open a " * (1024 * 1024 // 8 - 1)))
        else:
            raise ValueError(kind)


# ---- the valid job -----------------------------------------------------------------------

def valid_job(port, printing, limit):
    """(seconds from connect to the last reply, None or what went wrong)."""
    start = time.monotonic()
    text = "-ver -open doc.txt" if printing else "-ver -disablelog"
    data = cmdline(text) + (document() if printing else b"")
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=limit) as s:
            s.sendall(data)
            got = messages(read_all(s, limit))
    except OSError as e:
        return time.monotonic() - start, "connection: %s" % e
    took = time.monotonic() - start
    kinds = [m[0] for m in got]
    want = [0x1005, 0x1006] if printing else [0x1005]
    if kinds != want:
        return took, "replies %s" % got[:3]
    if printing and b"End printing" not in got[1][2]:
        return took, "the job log does not end the printing"
    return took, None


# ---- figures -----------------------------------------------------------------------------

def server_figures(args):
    """{"handles": n, "memory_kb": n, "types": text} of the server now."""
    if args.figures:
        out = subprocess.run(shlex.split(args.figures), capture_output=True, text=True, timeout=120).stdout
        m = re.search(r"handles=(-?\d+) count=(\d+) types=(\S*) workingset_kb=(\d+) private_kb=(\d+)", out)
        if not m:
            return {"handles": -1, "memory_kb": -1, "types": out.strip()}
        return {"handles": int(m.group(1)), "memory_kb": int(m.group(4)), "private_kb": int(m.group(5)),
                "types": m.group(3)}
    if args.pid:
        with open("/proc/%d/status" % args.pid) as f:
            rss = int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))
        return {"handles": len(os.listdir("/proc/%d/fd" % args.pid)), "memory_kb": rss, "types": ""}
    return {"handles": -1, "memory_kb": -1, "types": ""}


def dir_figures(rundir):
    files = [os.path.join(rundir, n) for n in os.listdir(rundir)]
    sizes = {n: os.path.getsize(os.path.join(rundir, n)) for n in ("draxomeServerLog.txt", "prnlog.txt")
             if os.path.exists(os.path.join(rundir, n))}
    return {"files": len(files), "bytes": sum(os.path.getsize(f) for f in files if os.path.isfile(f)),
            "logs": sizes}


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--port", type=int, required=True)
    p.add_argument("--rundir", required=True)
    p.add_argument("--connections", type=int, default=100)
    p.add_argument("--kinds", default=",".join(KINDS))
    p.add_argument("--figures", help="a command that prints the server's procfigures line")
    p.add_argument("--pid", type=int, help="the native server's process id")
    p.add_argument("--client-limit", type=float, default=60.0, help="the server's -clienttimeout")
    p.add_argument("--print-every", type=int, default=1, help="every K-th valid job prints a document")
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--duration", type=float, default=-1, help="stop after this many seconds (whole rounds of kinds)")
    p.add_argument("--check", action="store_true")
    p.add_argument("--max-dir-growth", type=int, default=-1, help="files DIR may gain (with --check)")
    a = p.parse_args()
    kinds = a.kinds.split(",")
    for k in kinds:
        if k not in KINDS:
            p.error("unknown kind %s" % k)

    hostile = Hostile(a.port, random.Random(a.seed), a.client_limit)
    # One valid job first, so the figures before count a server that has served.
    valid_job(a.port, True, a.client_limit * 4 + 60)
    fig0, dir0 = server_figures(a), dir_figures(a.rundir)
    counts, failures, served = {}, [], 0
    longest, longest_kind, longest_by_kind = 0.0, "", {}
    started = time.monotonic()
    done = 0
    for i in range(a.connections):
        if a.duration >= 0 and i % len(kinds) == 0 and time.monotonic() - started > a.duration:
            break
        done += 1
        kind = kinds[i % len(kinds)]
        counts[kind] = counts.get(kind, 0) + 1
        hostile.served.clear()
        t = threading.Thread(target=hostile.run, args=(kind,))
        t.start()
        # The hostile client is accepted first; the valid job queues behind it.
        time.sleep(0.05)
        took, error = valid_job(a.port, i % a.print_every == 0, a.client_limit * 4 + 60)
        hostile.served.set()
        t.join()
        if error:
            failures.append("%d (after %s): %s" % (i, kind, error))
        else:
            served += 1
        if took > longest:
            longest, longest_kind = took, kind
        longest_by_kind[kind] = max(took, longest_by_kind.get(kind, 0.0))
        if (i + 1) % 500 == 0:
            print("... %d connections, %d valid jobs served, %.0f s" % (i + 1, served, time.monotonic() - started),
                  file=sys.stderr, flush=True)
    time.sleep(1)
    fig1, dir1 = server_figures(a), dir_figures(a.rundir)

    print("connections: %d hostile (%s) in %.0f s" % (
        done, ", ".join("%s %d" % (k, counts[k]) for k in kinds if k in counts),
        time.monotonic() - started))
    print("valid jobs served: %d of %d" % (served, done))
    for f in failures[:20]:
        print("  failed: " + f)
    print("longest wait of a valid job: %.2f s (behind %s; client limit %g s)" % (longest, longest_kind,
                                                                                   a.client_limit))
    print("longest wait by kind: " + ", ".join("%s %.2f s" % (k, longest_by_kind[k]) for k in kinds
                                                  if k in longest_by_kind))
    print("server handles: %d before, %d after (by type before %s, after %s)" % (
        fig0["handles"], fig1["handles"], fig0["types"], fig1["types"]))
    print("server memory: %d KB before, %d KB after" % (fig0["memory_kb"], fig1["memory_kb"]))
    print("directory: %d files, %d bytes before; %d files, %d bytes after" % (
        dir0["files"], dir0["bytes"], dir1["files"], dir1["bytes"]))
    for name in sorted(set(dir0["logs"]) | set(dir1["logs"])):
        print("log %s: %d bytes before, %d bytes after" % (name, dir0["logs"].get(name, 0),
                                                          dir1["logs"].get(name, 0)))
    if a.check:
        bad = []
        if failures:
            bad.append("%d valid jobs failed" % len(failures))
        if fig1["handles"] > fig0["handles"] or fig0["handles"] < 0:
            bad.append("handles %d -> %d" % (fig0["handles"], fig1["handles"]))
        if a.max_dir_growth >= 0 and dir1["files"] - dir0["files"] > a.max_dir_growth:
            bad.append("directory grew by %d files" % (dir1["files"] - dir0["files"]))
        if bad:
            print("CHECK FAILED: " + "; ".join(bad))
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
