#!/usr/bin/env python3
"""A printer client for system tests that speaks the server's wire protocol, and can
misbehave on purpose:
  printclient.py [options] PORT       (the server on 127.0.0.1)
    --cmdline TEXT   send TEXT as the command line (type 4096)
    --file PATH      then send PATH as the document (type 4097), announced by its name
    --type N         send the 4-byte type word N where the command line belongs (and a
                     file body after it when --file is given)
    --abort TEXT     send an abort with error TEXT (after the command line, if any)
    --cut N          send only the first N bytes of all that, then close without reading
    --hold           with --cut: keep the connection and read the replies
    --out DIR        store each received file as DIR/<index>-<announced name>
Prints one line per message received, then "closed" once the server has closed:
  file TYPE NAME SIZE
  abort TITLE|NAME|ERROR|DESCRIPTION|SOURCE
  cut TYPE         a message the connection ended in the middle of
"""

import argparse
import os
import socket
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools"))
import wirebytes  # noqa: E402
from wirebytes import le32, string  # noqa: E402

ABORT, FILE_TYPES = 4, (0x1002, 0x1003, 0x1004, 0x1005, 0x1006)


def print_replies(data, out):
    c, index = wirebytes.Cursor(data), 0
    while c.more():
        type_ = -1
        try:
            type_ = c.int32()
            if type_ == ABORT:
                print("abort " + "|".join(c.text() for _ in range(5)))
            elif type_ in FILE_TYPES:
                name = c.text()
                content = c.take(c.int32())
                print("file %d %s %d" % (type_, name, len(content)))
                if out:
                    with open(os.path.join(out, "%d-%s" % (index, name)), "wb") as f:
                        f.write(content)
            else:
                raise EOFError
        except EOFError:
            print("cut %d" % type_)
            break
        index += 1
    print("closed")


def main():
    p = argparse.ArgumentParser()
    for name, kind in (("port", int), ("--cmdline", str), ("--file", str), ("--type", lambda s: int(s, 0)),
                       ("--abort", str), ("--cut", int), ("--out", str)):
        p.add_argument(name, type=kind)
    p.add_argument("--hold", action="store_true")
    a = p.parse_args()

    parts = [le32(a.type)] if a.type is not None else [string(a.cmdline, 0x1000)] if a.cmdline is not None else []
    if a.abort is not None:
        parts.append(le32(ABORT) + b"".join(string(t) for t in (
            "Communication error information:", "USockMAbort", a.abort, "", "printclient.py")))
    if a.file is not None:
        with open(a.file, "rb") as f:
            content = f.read()
        body = le32(0x1001) + string(os.path.basename(a.file)) + le32(len(content)) + content
        parts.append(body[4:] if a.type is not None else body)
    chunks = []
    with socket.create_connection(("127.0.0.1", a.port), timeout=120) as s:
        s.sendall(b"".join(parts)[:a.cut])
        while a.cut is None or a.hold:
            try:
                b = s.recv(65536)
            except ConnectionResetError:
                # The server closed with bytes of ours unread; what it sent before was read.
                break
            if not b:
                break
            chunks.append(b)
    print_replies(b"".join(chunks), a.out)


if __name__ == "__main__":
    main()
