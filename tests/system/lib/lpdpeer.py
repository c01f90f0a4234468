#!/usr/bin/env python3
"""lpdpeer.py PORT CASE [QUEUE]: one LPD peer of a test case against 127.0.0.1:PORT.

Prints the server's answers on one line: each answer byte's value, "text=..." for a
queue-state text, "closed" when the server ended the connection first. The job a case
sends is the 17 bytes b"lpd edge job\\ntwo\\n" named "edge job" (the refused and aborted
cases send other bytes, never to be printed).
"""
import socket
import sys
import time

DATA = b"lpd edge job\ntwo\n"
CONTROL = b"Hpeerhost\nPtester\nJedge job\nldfA001peerhost\nUdfA001peerhost\n"
port, case = int(sys.argv[1]), sys.argv[2]
queue = (sys.argv[3] if len(sys.argv) > 3 else "reports").encode()
s = socket.create_connection(("127.0.0.1", port), timeout=20)
out = []


def answer():
    try:
        b = s.recv(1)
    except OSError:
        b = b""
    out.append(str(b[0]) if b else "closed")
    return b == b"\0"


def command(code, operand=queue):
    s.sendall(bytes([code]) + operand + b"\n")
    return answer()


def sub(code, body, name):
    if not command(code, str(len(body)).encode() + b" " + name):
        return False
    s.sendall(body + b"\0")
    return answer()


def control():
    return sub(2, CONTROL, b"cfA001peerhost")


def data(body=DATA):
    return sub(3, body, b"dfA001peerhost")


if case == "control-first":
    command(2) and control() and data()
elif case == "data-first":
    command(2) and data() and control()
elif case == "two-files":
    two = CONTROL.replace(b"UdfA001", b"ldfB001peerhost\nUdfA001")
    (command(2) and sub(2, two, b"cfA001peerhost") and data()
     and sub(3, DATA, b"dfB001peerhost"))
elif case == "count0":
    if command(2) and control() and command(3, b"0 dfA001peerhost"):
        s.sendall(DATA)
        s.shutdown(socket.SHUT_WR)
        answer()
elif case == "abort":
    # The job begun is dropped; the next on the same connection is received whole.
    command(2) and control() and s.sendall(b"\1\n") is None and control() and data()
elif case == "cut":
    if command(2) and control() and command(3, b"100 dfA001peerhost"):
        s.sendall(b"x" * 10)
elif case == "no-end-zero":
    if command(2) and control() and command(3, str(len(DATA)).encode() + b" dfA001peerhost"):
        s.sendall(DATA)
elif case == "stall":
    if command(2) and control() and command(3, b"100 dfA001peerhost"):
        s.sendall(b"x" * 10)
        answer()
elif case == "over":
    command(2) and control() and command(3, str(2 * 1024 * 1024).encode() + b" dfA001peerhost")
elif case == "over-count0":
    if command(2) and control() and command(3, b"0 dfA001peerhost"):
        try:
            for _ in range(48):
                s.sendall(b"y" * 65536)
        except OSError:
            pass
        answer()
elif case == "garbage":
    s.sendall(b"\x09GET / HTTP/1.0\r\n")
    answer()
elif case == "garbage-sub":
    command(2) and s.sendall(b"\x07junk\n") is None and answer()
elif case == "state":
    s.sendall(b"\x04" + queue + b" tester\n")
    text = b""
    while True:
        part = s.recv(256)
        if not part:
            break
        text += part
    out.append("text=" + text.decode(errors="replace").replace("\n", "|"))
elif case in ("waiting", "remove"):
    command(1 if case == "waiting" else 5, queue + (b" tester 1" if case == "remove" else b""))
else:
    sys.exit("unknown case " + case)
time.sleep(0.1)
s.close()
print(" ".join(out))
