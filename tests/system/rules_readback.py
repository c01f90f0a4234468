#!/usr/bin/env python3
"""rules_readback.py DRAXOME_EXE

Prints with -graph, on the virtual A4 printer under Wine, a page of each kind of rule
that is joined on purpose, renders the pages at 150 dpi and reads the rules back as runs
of dark pixels:

  stacked    a "=" rule right above a "-" rule: two separate rules, no dark column
             between them (no ladder of ticks joining every cell of one to the other);
  ascii box  "+----+" with "|" sides: one closed frame, the joints ruled through, the top
             and bottom rules as long as the frame is wide, the sides as long as it is high;
  double     a code page 437 double frame: every rule a pair of runs, the outer frame
             closed around the inner one, each side two parallel lines from rule to rule.

Needs WINEPREFIX (the prefix with the virtual printers), ghostscript, and the read-back
helpers of tests/system/lib.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "lib"))
import readback  # noqa: E402

# The printer's own resolution, so the few pixels between the lines of a double rule
# stay apart.
RENDER_DPI = 300
WIDTH = 30

PAGES = [
    ("stacked", ["=" * WIDTH, "-" * WIDTH]),
    ("ascii box", ["+" + "-" * (WIDTH - 2) + "+", "|" + " Total 95.70".ljust(WIDTH - 2) + "|",
                   "|" + " " * (WIDTH - 2) + "|", "+" + "-" * (WIDTH - 2) + "+"]),
    # Code page 437 bytes, written as the characters of the same numbers (see main).
    ("double", ["\xc9" + "\xcd" * (WIDTH - 2) + "\xbb", "\xba" + " Total 95.70".ljust(WIDTH - 2) + "\xba",
                "\xc8" + "\xcd" * (WIDTH - 2) + "\xbc"]),
]


class Mask:
    """A rendered page as the runs of dark pixels of each row."""

    def __init__(self, rows):
        self.runs = [self.dark_runs(row) for row in rows]

    @staticmethod
    def dark_runs(row):
        runs, x = [], 0
        while True:
            start = row.find(1, x)
            if start < 0:
                return runs
            end = row.find(0, start)
            end = len(row) if end < 0 else end
            runs.append((start, end - start))
            x = end

    def longest_run(self, y):
        """(x, length) of the longest run of dark pixels in row y."""
        return max(self.runs[y], key=lambda run: run[1], default=(0, 0))

    def dark_down(self, x, y0, y1):
        return all(any(rx <= x < rx + n for rx, n in self.runs[y]) for y in range(y0, y1 + 1))

    def rules(self):
        """The horizontal rules: bands of neighbouring rows whose longest run is at least
        half the page's longest, each as (first row, last row, x, length)."""
        runs = [self.longest_run(y) for y in range(len(self.runs))]
        longest = max(length for _, length in runs)
        assert longest > 0, "the page is blank"
        bands = []
        for y, (x, length) in enumerate(runs):
            if length * 2 < longest:
                continue
            if bands and bands[-1][1] == y - 1:
                bands[-1][1] = y
            else:
                bands.append([y, y, x, length])
        return bands


def check_stacked(page):
    bands = page.rules()
    assert len(bands) >= 2, "stacked: %d rules read back, expected two apart: %s" % (len(bands), bands)
    top, bottom = bands[0], bands[-1]
    assert bottom[0] - top[1] > 3, "stacked: the rules touch: %s" % bands
    x0 = max(top[2], bottom[2])
    x1 = min(top[2] + top[3], bottom[2] + bottom[3])
    ladder = [x for x in range(x0, x1) if page.dark_down(x, top[1], bottom[0])]
    assert not ladder, ("stacked: %d columns join the two rules, first at x %s" % (
        len(ladder), ladder[:1]))


def check_box(page):
    bands = page.rules()
    assert len(bands) == 2, "ascii box: %d horizontal rules read back, expected 2: %s" % (len(bands), bands)
    (t0, t1, tx, tlen), (b0, b1, bx, blen) = bands
    assert abs(tx - bx) <= 1 and abs(tlen - blen) <= 2, (
        "ascii box: top rule at x %d, %d long; bottom at x %d, %d long" % (tx, tlen, bx, blen))
    middle_top, middle_bottom = (t0 + t1) // 2, (b0 + b1) // 2
    for side, xs in (("left", range(tx, tx + 4)), ("right", range(tx + tlen - 4, tx + tlen + 2))):
        assert any(page.dark_down(x, middle_top, middle_bottom) for x in xs), (
            "ascii box: the %s side does not run from the top rule to the bottom rule" % side)
    print("ascii box: one closed frame of %d x %d pixels: ok" % (tlen, middle_bottom - middle_top))


def check_double(page):
    bands = page.rules()
    assert len(bands) == 4, "double: %d horizontal rules read back, expected two pairs: %s" % (len(bands), bands)
    outer_top, inner_top, inner_bottom, outer_bottom = bands
    assert inner_top[0] > outer_top[1] + 1 and outer_bottom[0] > inner_bottom[1] + 1, (
        "double: the rules of a pair touch: %s" % bands)
    for outer, inner in ((outer_top, inner_top), (outer_bottom, inner_bottom)):
        assert outer[2] < inner[2] and inner[2] + inner[3] < outer[2] + outer[3], (
            "double: the inner rule is not inside the outer one: %s" % bands)
    assert abs(outer_top[2] - outer_bottom[2]) <= 1 and abs(inner_top[2] - inner_bottom[2]) <= 1, (
        "double: top and bottom rules do not line up: %s" % bands)
    middle = (inner_top[1] + inner_bottom[0]) // 2
    sides = (("left", outer_top[2], inner_top[2]),
             ("right", outer_top[2] + outer_top[3] - 3, inner_top[2] + inner_top[3] - 3))
    for side, outer_x, inner_x in sides:
        assert any(page.dark_down(x, outer_top[1], outer_bottom[0]) for x in range(outer_x, outer_x + 3)), (
            "double: the outer %s line does not run from the outer top rule to the outer bottom" % side)
        assert any(page.dark_down(x, inner_top[1], inner_bottom[0]) for x in range(inner_x, inner_x + 3)), (
            "double: the inner %s line does not run from the inner top rule to the inner bottom" % side)
        gap = [x for x in range(min(outer_x, inner_x) + 3, max(outer_x, inner_x))
               if any(rx <= x < rx + n for rx, n in page.runs[middle])]
        assert not gap, "double: the %s lines are not two: dark between them at x %s" % (side, gap)
    print("double: two pairs of rules and two lines a side, %d and %d pixels long: ok" % (
        outer_top[3], inner_top[3]))


def check(work, exe):
    # A form feed ends a page from the seventh line on: each page is seven lines long.
    text = "\f\r\n".join("\r\n".join((lines + [""] * 7)[:7]) for _, lines in PAGES) + "\r\n"
    status, out, jobs = readback.print_under_wine(exe, os.path.join(work, "rules"), text.encode("latin-1"), ["-graph"])
    assert status == 0 and len(jobs) == 1, "draxome.exe exit %d, jobs %s: %s" % (status, jobs, out)
    pages = readback.render_pages(jobs[0], RENDER_DPI)
    assert len(pages) == len(PAGES), "%d pages printed, expected %d" % (len(pages), len(PAGES))
    check_stacked(Mask(pages[0]))
    print("stacked: two separate rules, no ladder between them: ok")
    check_box(Mask(pages[1]))
    check_double(Mask(pages[2]))
    print("rules read-back: stacked rules, an ASCII box and a double frame printed as ruled")


if __name__ == "__main__":
    readback.run_checks(__doc__, [check])
