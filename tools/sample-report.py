#!/usr/bin/env python3
"""sample-report.py OUT.txt: writes the demo's sample report, the kind of file a legacy
system sends: 150 columns wide, framed and ruled with code page 437 box-drawing bytes,
lines ending CR LF. tools/demo prints it with -graph, so the frame and the table's rules
come out as ruled lines."""

import sys

WIDTH = 150

# Code page 437 box-drawing bytes.
DH, DV = 0xCD, 0xBA                                    # double: horizontal, vertical
DTL, DTR, DBL, DBR = 0xC9, 0xBB, 0xC8, 0xBC            # double corners
DVR, DVL = 0xCC, 0xB9                                  # double tees for a dividing line
H, V = 0xC4, 0xB3                                      # single
TL, TR, BL, BR = 0xDA, 0xBF, 0xC0, 0xD9                # single corners
TD, TU, TRT, TLT, X = 0xC2, 0xC1, 0xC3, 0xB4, 0xC5     # single tees and the cross

COLUMNS = [("Item", 8, "<"), ("Description", 38, "<"), ("Warehouse", 12, "<"),
           ("On hand", 9, ">"), ("Reserved", 9, ">"), ("Free", 9, ">"),
           ("Unit price", 11, ">"), ("Stock value", 13, ">"), ("Reorder", 9, "^")]

ITEMS = [
    ("A1001", "Printer paper A4, 80 g, box of 5x500", "North", 412, 120, 21.90),
    ("A1002", "Printer paper A3, 80 g, box of 5x500", "North", 38, 30, 39.50),
    ("A1017", "Continuous paper 240x12\", 2000 sheets", "South", 95, 12, 44.00),
    ("B2040", "Toner cartridge, black, 10k pages", "North", 61, 58, 89.90),
    ("B2041", "Toner cartridge, cyan, 6k pages", "South", 17, 4, 94.50),
    ("B2042", "Toner cartridge, magenta, 6k pages", "South", 9, 9, 94.50),
    ("C3100", "Ribbon for dot matrix line printer", "East", 230, 40, 12.75),
    ("C3105", "Print head, 24 pin", "East", 3, 1, 215.00),
    ("D4000", "Label roll 100x150 mm, 500 labels", "West", 1280, 900, 6.20),
    ("D4010", "Envelope C4, window left, 250 pcs", "West", 76, 20, 18.40),
    ("E5001", "Binder, 8 cm spine, grey", "North", 540, 0, 2.35),
    ("E5002", "Divider set 1 to 31, A4", "North", 0, 0, 1.90),
]


def line(*parts):
    out = bytearray()
    for p in parts:
        out += p if isinstance(p, (bytes, bytearray)) else p.encode("ascii")
    return bytes(out)


def framed(content):
    """One line inside the double frame: the frame, a blank, content padded, a blank."""
    inner = WIDTH - 4
    if len(content) > inner:
        raise ValueError("line too long for the frame: %r" % content)
    return line(bytes([DV]), b" ", content + b" " * (inner - len(content)), b" ", bytes([DV]))


def rule(left, mid, right):
    cells = [bytes([H]) * (w + 2) for _, w, _ in COLUMNS]
    return bytes([left]) + bytes([mid]).join(cells) + bytes([right])


def row(values):
    cells = []
    for (_, w, align), v in zip(COLUMNS, values):
        text = ("{:%s%d}" % (align, w)).format(v)
        # A dash in a cell would touch the rules around it and be drawn as one with -graph.
        if len(text) > w or "-" in text:
            raise ValueError("cell %r does not fit its column" % text)
        cells.append((" " + text + " ").encode("ascii"))
    return bytes([V]) + bytes([V]).join(cells) + bytes([V])


def report():
    lines = [bytes([DTL]) + bytes([DH]) * (WIDTH - 2) + bytes([DTR])]
    lines.append(framed(b"ACME WHOLESALE LTD." + b" " * 34 + b"STOCK REPORT BY ITEM" +
                        b" " * 35 + b"Week 12, page 1/1"))
    lines.append(framed(b"Run STK450, all warehouses, quantities in units, prices in EUR"))
    lines.append(bytes([DVR]) + bytes([DH]) * (WIDTH - 2) + bytes([DVL]))
    lines.append(framed(b""))
    lines.append(framed(rule(TL, TD, TR)))
    lines.append(framed(row([c for c, _, _ in COLUMNS])))
    lines.append(framed(rule(TRT, X, TLT)))
    total_value = 0.0
    short = 0
    for item, text, where, on_hand, reserved, price in ITEMS:
        free = on_hand - reserved
        value = on_hand * price
        total_value += value
        reorder = "YES" if free < 10 else ""
        short += 1 if reorder else 0
        lines.append(framed(row([item, text, where, on_hand, reserved, free,
                                 "%.2f" % price, "{:,.2f}".format(value), reorder])))
    lines.append(framed(rule(BL, TU, BR)))
    lines.append(framed(b""))
    lines.append(framed(("%d items, %d to reorder." % (len(ITEMS), short)).encode("ascii") +
                        b" " * 50 + ("Total stock value EUR {:>14,.2f}".format(total_value)).encode("ascii")))
    lines.append(framed(b""))
    # No dash in the text next to a rule: with -graph it would join the rule as a stub.
    lines.append(framed(b"Printed by draxome from a plain text report: the frame and the table are code page 437"))
    lines.append(framed(b"box drawing characters, drawn as ruled lines with the option -graph."))
    lines.append(framed(b""))
    lines.append(bytes([DBL]) + bytes([DH]) * (WIDTH - 2) + bytes([DBR]))
    for l in lines:
        assert len(l) == WIDTH, (len(l), l)
    return b"\r\n".join(lines) + b"\r\n"


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: sample-report.py OUT.txt\n")
        return 2
    with open(argv[1], "wb") as f:
        f.write(report())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
