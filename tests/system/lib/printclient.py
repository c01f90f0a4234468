#!/usr/bin/env python3
"""A printer client for system tests: speaks the server's wire protocol over TCP with the
standard library only, and can also misbehave on purpose.

Used as a module (import printclient) or from a shell:
  printclient.py [options] PORT
    --cmdline TEXT     send TEXT as the command line (type 4096)
    --file PATH        then send PATH as the document (type 4097), announced by its name
    --delay SECONDS    wait this long before sending the document
    --type N           send the 4-byte type word N where the command line belongs, and a
                       file body after it when --file is given
    --abort TEXT       send an abort with error TEXT (after the command line, if any)
    --cut N            send only the first N bytes of all that, then close without reading
    --out DIR          store each received file as DIR/<index>-<announced name>
    --host HOST        default 127.0.0.1
Prints one line per message received, then "closed", and exits 0 once the server has
closed the connection:
  file TYPE NAME SIZE
  abort NAME|ERROR|DESCRIPTION|SOURCE
  cut TYPE             a message the connection ended in the middle of
"""

import argparse
import os
import socket
import struct
import sys
import time

STRING, ABORT, CMDLINE, FILENAME = 1, 4, 0x1000, 0x1001
FILE_TYPES = (0x1002, 0x1003, 0x1004, 0x1005, 0x1006)


def le32(v):
    return struct.pack("<i", v)


def string(text, type_=STRING):
    data = text.encode("latin-1") + b"\0"
    return le32(type_) + le32(len(data)) + data


def cmdline(text):
    return string(text, CMDLINE)


def file_message(type_, name, content):
    return le32(type_) + string(name) + le32(len(content)) + content


def abort_message(error, description="", source="printclient.py"):
    return le32(ABORT) + b"".join(string(t) for t in (
        "Communication error information:", "USockMAbort", error, description, source))


class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def int32(self):
        if self.pos + 4 > len(self.data):
            raise EOFError
        v = struct.unpack_from("<i", self.data, self.pos)[0]
        self.pos += 4
        return v

    def bytes(self, n):
        if n < 0 or self.pos + n > len(self.data):
            raise EOFError
        b = self.data[self.pos:self.pos + n]
        self.pos += n
        return b

    def string(self):
        if self.int32() != STRING:
            raise EOFError
        return self.bytes(self.int32()).split(b"\0", 1)[0].decode("latin-1")


def parse_replies(data):
    """The messages in the bytes a server sent: ("file", type, name, content),
    ("abort", [title, name, error, description, source]) or ("cut", type)."""
    r, out = Reader(data), []
    while r.pos < len(data):
        start = r.pos
        type_ = None
        try:
            type_ = r.int32()
            if type_ == ABORT:
                out.append(("abort", [r.string() for _ in range(5)]))
            elif type_ in FILE_TYPES:
                name = r.string()
                out.append(("file", type_, name, r.bytes(r.int32())))
            else:
                raise EOFError
        except EOFError:
            out.append(("cut", type_ if type_ is not None else -1))
            r.pos = start
            break
    return out


def exchange(port, parts, host="127.0.0.1", timeout=120):
    """Connects, sends each part (bytes, or a number of seconds to wait), then reads until
    the server closes. Returns the received bytes."""
    with socket.create_connection((host, port), timeout=timeout) as s:
        for part in parts:
            if isinstance(part, (int, float)):
                time.sleep(part)
            else:
                s.sendall(part)
        chunks = []
        while True:
            try:
                b = s.recv(65536)
            except ConnectionResetError:
                break
            if not b:
                break
            chunks.append(b)
        return b"".join(chunks)


def main(argv):
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("port", type=int)
    p.add_argument("--cmdline")
    p.add_argument("--file")
    p.add_argument("--delay", type=float, default=0)
    p.add_argument("--type", type=lambda s: int(s, 0))
    p.add_argument("--abort")
    p.add_argument("--cut", type=int)
    p.add_argument("--out")
    p.add_argument("--host", default="127.0.0.1")
    a = p.parse_args(argv[1:])

    parts = []
    if a.type is not None:
        parts.append(le32(a.type))
    elif a.cmdline is not None:
        parts.append(cmdline(a.cmdline))
    if a.abort is not None:
        parts.append(abort_message(a.abort))
    if a.file is not None:
        with open(a.file, "rb") as f:
            content = f.read()
        body = file_message(FILENAME, os.path.basename(a.file), content)
        if a.type is not None:
            body = body[4:]
        if a.delay:
            parts.append(a.delay)
        parts.append(body)
    if a.cut is not None:
        whole = b"".join(x for x in parts if isinstance(x, bytes))
        with socket.create_connection((a.host, a.port), timeout=60) as s:
            s.sendall(whole[:a.cut])
        print("closed")
        return 0
    data = exchange(a.port, parts, a.host)
    for i, reply in enumerate(parse_replies(data)):
        if reply[0] == "file":
            _, type_, name, content = reply
            print("file %d %s %d" % (type_, name, len(content)))
            if a.out:
                with open(os.path.join(a.out, "%d-%s" % (i, name)), "wb") as f:
                    f.write(content)
        elif reply[0] == "abort":
            print("abort " + "|".join(reply[1][1:]))
        else:
            print("cut %d" % reply[1])
    print("closed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
