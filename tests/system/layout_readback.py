#!/usr/bin/env python3
"""layout_readback.py LAYOUT_DRIVER_EXE

Prints sample documents with the job object (LayoutDriver.cpp) on "Virtual A4" under Wine
and reads every job back from its PostScript:
  wide       202 columns in a narrowed font: every character at the position of its cell;
  landscape  margins and a banner: every page's text, the banner on each, the printed area.
Frames are read back by rules_readback.py and codepage_readback.py, page text on both
papers by draxome_print.sh.
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "lib"))
import readback  # noqa: E402

# The printer has 300 dpi and its printable area starts 18 points (0.25 inch) in from the
# paper's edge: 25 pixels of a page rendered at 100 dpi.
DPI, RENDER_DPI, EDGE_PT, EDGE_PX, PAGE_H_PX = 300, 100, 18.0, 25.0, 1169


def near(got, want, tolerance, what):
    assert abs(got - want) <= tolerance, "%s: got %s, expected %s (+-%s)" % (what, got, want, tolerance)


def squeeze_lines(text):
    return [" ".join(l.split()) for l in text.split("\n") if l.strip()]


def print_job(work, name, driver, lines, options):
    """Prints lines; returns the layout figures the driver reports and the PostScript job."""
    d = os.path.join(work, name)
    os.makedirs(d)
    status, out, jobs = readback.print_under_wine(driver, d, ("\r\n".join(lines) + "\r\n").encode("latin-1"),
                                                  ["-printername", "Virtual A4"] + options)
    figures = re.search(r"^pages .*$", out, re.M)
    assert status == 0 and figures, "%s: the driver failed (exit %d): %s" % (name, status, out)
    words = figures.group(0).split()
    assert len(jobs) == 1, "%s: jobs in the spool: %s" % (name, jobs)
    return {words[i]: float(words[i + 1]) for i in range(0, len(words), 2)}, jobs[0]


def check_pages(name, texts, lines, per_page, last=None):
    assert len(texts) == (len(lines) + per_page - 1) // per_page, "%s: %d pages" % (name, len(texts))
    for k, text in enumerate(texts):
        want = squeeze_lines("\n".join(lines[k * per_page:(k + 1) * per_page])) + ([last] if last else [])
        assert squeeze_lines(text) == want, "%s: page %d reads %s" % (name, k + 1, squeeze_lines(text)[:4])


def px(device):
    """A device coordinate of the 300-dpi printer on the 100-dpi rendering."""
    return EDGE_PX + device * RENDER_DPI / DPI


def bbox(page):
    ys = [y for y, row in enumerate(page) if 1 in row]
    assert ys, "the page is blank"
    xs = [x for row in page if 1 in row for x in (row.index(1), len(row) - 1 - row[::-1].index(1))]
    return min(xs), min(ys), max(xs), max(ys)


def check_wide(work, driver):
    lines = [("R%03d " % i) + " ".join("C%02d=%04d" % (c, (i * c) % 10000) for c in range(1, 23))
             for i in range(1, 101)]
    lay, ps = print_job(work, "wide", driver, lines, [])
    cell, per_page = lay["cellWidth"], int(lay["linesPerPage"])
    assert lay["maxLength"] == 202 and lay["fontWidth"] < lay["charWidth"], "wide: %s" % lay
    near(cell, 2329.0 / 202, 0.01, "wide: cell width")
    # Every character ghostscript places: the left and base of its box in points.
    out = readback.gs(["-sDEVICE=txtwrite", "-dTextFormat=0", "-sOutputFile=-", ps]).decode("utf-8", "replace")
    pages = out.split("<page>")[1:]
    assert len(pages) == 2, "wide: %d pages printed" % len(pages)
    checked = 0
    for k, page in enumerate(pages):
        rows = {}
        for m in re.finditer(r'<char bbox="(-?\d+) (-?\d+) -?\d+ -?\d+" c="([^"]*)"/>', page):
            c = m.group(3).replace("&quot;", '"').replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&")
            rows.setdefault(int(m.group(2)), []).append((int(m.group(1)), c))
        page_lines = lines[k * per_page:(k + 1) * per_page]
        assert len(rows) == len(page_lines), "wide: page %d has %d lines" % (k + 1, len(rows))
        for (_, row), line in zip(sorted(rows.items()), page_lines):
            # A run starts on its own cell; its characters step by the truncated cell width.
            want, start = [], None
            for col, c in enumerate(line):
                start = None if c == " " else col if start is None else start
                if c != " ":
                    want.append((EDGE_PT + (int(cell * start) + int(cell) * (col - start)) * 72.0 / DPI, c))
            row.sort()
            assert [c for _, c in row] == [c for _, c in want], "wide: line '%s' misread" % line[:40]
            for (gx, gc), (wx, _) in zip(row, want):
                near(gx, wx, 1.5, "wide: x of '%s' in line '%s'" % (gc, line[:12]))
            assert row[-1][0] < 595 - EDGE_PT, "wide: line '%s' runs off the paper" % line[:12]
            checked += 1
    assert checked == len(lines), "wide: %d of %d lines checked" % (checked, len(lines))
    print("wide: 202 columns, font narrowed to %d, all %d lines in place: ok" % (lay["fontWidth"], checked))


def check_landscape(work, driver):
    lines = ["%3d  %-30s %10.2f" % (i, "Account %05d" % (i * 7), i * 13.25) for i in range(1, 121)]
    banner = "Quarterly report page footer"
    lay, ps = print_job(work, "landscape", driver, lines,
                        ["-orientation", "landscape", "-papersize", "A4", "-left", "20", "-right", "20",
                         "-top", "15", "-bottom", "15", "-banner", banner, "-hbanner", "4"])
    # The turned page: 3358 x 2329 pixels on 284 x 197 mm, less the margins.
    assert lay["width"] == 3358 - 2 * 236 and lay["height"] == 2329 - 2 * 177, "landscape: %s" % lay
    with open(ps, "rb") as f:
        assert b"\n%%Orientation: Landscape" in f.read(), "landscape: the job is not in landscape"
    per_page = int(lay["linesPerPage"])
    check_pages("landscape", readback.page_texts(ps), lines, per_page, banner)
    # On the paper (portrait, the page turned): the text starts at the left margin, the
    # banner stands below the slot of a full page's last line, on the last page too.
    banner_bottom = int(lay["htext"] * per_page + lay["top"]) + int(40 * lay["height"] / 197) // 10
    for k, page in enumerate(readback.render_pages(ps, RENDER_DPI)):
        x0, _, x1, y1 = bbox(page)
        near(x0, px(lay["top"]), 4, "landscape: page %d, top margin" % (k + 1))
        near(PAGE_H_PX - 1 - y1, px(lay["left"]), 4, "landscape: page %d, left margin" % (k + 1))
        near(x1, px(banner_bottom), 6, "landscape: page %d, bottom of the banner" % (k + 1))
    print("landscape: margins and the banner on every page: ok")


if __name__ == "__main__":
    readback.run_checks(__doc__, [check_wide, check_landscape])
