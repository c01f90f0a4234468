#!/usr/bin/env python3
"""layout_readback.py LAYOUT_DRIVER_EXE

Prints four sample documents with the job object (through tests/system/LayoutDriver.cpp)
on the virtual A4 printer under Wine and reads every job back from its PostScript:

  plain      a two-page report in the natural font: the text of every page, line by line;
  wide       a report of 202 columns that forces a narrowed font: every character of every
             line, in order, at the position of its cell (ghostscript's character boxes);
  form       a code page 437 box-drawn form with -graph: its text, and its rules as runs of
             dark pixels of the rendered page at the rows and columns of the cell grid;
             the same form without -graph: hyphens and bars as characters, no rules;
  landscape  landscape A4 with margins and a banner: the text of every page, the banner on
             each of them below a full page's last line, and the printed area on the paper;
and a printer the spooler does not know: the job ends with its message, nothing printed.

Needs WINEPREFIX (the prefix with the virtual printers), ghostscript, and the read-back
helpers of tests/system/lib.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "lib"))
import readback  # noqa: E402

SOURCE = os.environ.get("DRAXOME_SOURCE", os.path.normpath(os.path.join(HERE, "..", "..")))
WINE_RUN = os.path.join(SOURCE, "tools", "wine-run")
RUN_TIMEOUT_S = 300

# The virtual A4 printer: 300 dpi, and its printable area starts 18 points (0.25 inch) in
# from the paper's edge, which is 25 pixels of a page rendered at 100 dpi.
DPI = 300
RENDER_DPI = 100
EDGE_PT = 18.0
EDGE_PX = 25.0
PAGE_PX = (827, 1169)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def near(got, want, tolerance, what):
    check(abs(got - want) <= tolerance, "%s: got %s, expected %s (+-%s)" % (what, got, want, tolerance))


def squeeze(text):
    return " ".join(text.split())


# -- printing ----------------------------------------------------------------------------


class Job:
    """One document printed by the driver: its layout figures, its PostScript job."""

    def __init__(self, work, name, driver, content, options):
        self.dir = os.path.join(work, name)
        os.makedirs(self.dir)
        spool = os.path.join(self.dir, "spool")
        os.makedirs(spool)
        with open(os.path.join(self.dir, name + ".txt"), "wb") as f:
            f.write(content)
        argv = [WINE_RUN, driver, "-printername", "Virtual A4", "-open", name + ".txt",
                "-logfile", "job.log"] + options
        env = dict(os.environ, DRAXOME_SPOOL_DIR=spool)
        done = subprocess.run(argv, cwd=self.dir, env=env, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=RUN_TIMEOUT_S)
        out = done.stdout.decode("latin-1")
        if done.returncode != 0:
            raise Failure("%s: the driver failed (exit %d)\n%s%s\nlog:\n%s" % (
                name, done.returncode, out, done.stderr.decode("latin-1"), self.log()))
        figures = re.search(r"^pages .*$", out, re.M)
        check(figures, "%s: the driver printed no layout figures:\n%s" % (name, out))
        words = figures.group(0).split()
        self.layout = {words[i]: float(words[i + 1]) for i in range(0, len(words) - 1, 2)}
        jobs = sorted(f for f in os.listdir(spool) if f.startswith("job-") and f.endswith(".ps"))
        check(len(jobs) == 1, "%s: expected one job in the spool directory, found %s" % (name, jobs))
        self.ps = os.path.join(spool, jobs[0])
        self.name = name

    def log(self):
        try:
            with open(os.path.join(self.dir, "job.log"), "rb") as f:
                return f.read().decode("latin-1")
        except OSError:
            return "(no log)"

    def texts(self):
        return readback.page_texts(self.ps)

    def pngs(self):
        out = os.path.join(self.dir, "png")
        os.makedirs(out, exist_ok=True)
        return readback.render_pages(self.ps, out, RENDER_DPI)


def dsc(ps_path, key):
    with open(ps_path, "rb") as f:
        body = f.read().decode("latin-1")
    m = re.search(r"^%%" + key + r":\s*(.*?)\s*$", body, re.M)
    return m.group(1) if m else None


def characters(ps_path):
    """Every character ghostscript places, per page: (x, y, char) with x and y the left
    and base of its box in points from the top left of the paper."""
    out = subprocess.run(["gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=txtwrite",
                          "-dTextFormat=0", "-sOutputFile=-", ps_path],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    check(out.returncode == 0, "gs cannot read the characters of " + ps_path)
    text = out.stdout.decode("utf-8", "replace")
    entities = {"&quot;": '"', "&amp;": "&", "&lt;": "<", "&gt;": ">", "&apos;": "'"}
    pages = []
    for page in text.split("<page>")[1:]:
        chars = []
        for m in re.finditer(r'<char bbox="(-?\d+) (-?\d+) (-?\d+) (-?\d+)" c="([^"]*)"/>', page):
            c = m.group(5)
            for k, v in entities.items():
                c = c.replace(k, v)
            chars.append((int(m.group(1)), int(m.group(2)), c))
        pages.append(chars)
    return pages


# -- pixels ------------------------------------------------------------------------------


class Page:
    """A rendered page as a dark-pixel mask."""

    def __init__(self, path):
        image = readback.read_png(path)
        self.width, self.height = image.width, image.height
        self.rows = []
        for y in range(image.height):
            row = bytearray(image.width)
            for x, length in readback.dark_runs_of_row(image, y):
                row[x:x + length] = b"\x01" * length
            self.rows.append(row)

    def hruns(self, y, minimum=1):
        return [(m.start(), m.end() - m.start()) for m in re.finditer(b"\x01+", bytes(self.rows[y]))
                if m.end() - m.start() >= minimum]

    def vruns(self, x, minimum=1):
        column = bytes(row[x] for row in self.rows)
        return [(m.start(), m.end() - m.start()) for m in re.finditer(b"\x01+", column)
                if m.end() - m.start() >= minimum]

    def bbox(self):
        xs, ys = [], []
        for y, row in enumerate(self.rows):
            if 1 in row:
                ys.append(y)
                xs.append(row.index(1))
                xs.append(len(row) - 1 - row[::-1].index(1))
        check(ys, "the page is blank")
        return min(xs), min(ys), max(xs), max(ys)

    def longest_h(self):
        best = (0, -1, -1)
        for y in range(self.height):
            for x, length in self.hruns(y):
                if length > best[0]:
                    best = (length, y, x)
        return best


def px(device):
    """A device coordinate of the 300-dpi printer on the 100-dpi rendering."""
    return EDGE_PX + device * RENDER_DPI / DPI


def find_hrule(page, y_device, x0_device, x1_device, what):
    """A horizontal run of dark pixels near the expected row spanning the expected length."""
    want_y = px(y_device)
    want_len = (x1_device - x0_device) * RENDER_DPI / DPI
    for y in range(int(want_y) - 2, int(want_y) + 4):
        for x, length in page.hruns(y, 5):
            if abs(x - px(x0_device)) <= 3 and abs(length - want_len) <= 4:
                return y
    raise Failure("%s: no horizontal rule of about %.0f pixels from x %.0f at row %.0f" % (
        what, want_len, px(x0_device), want_y))


def find_vrule(page, x_device, y0_device, y1_device, what):
    want_x = px(x_device)
    want_len = (y1_device - y0_device) * RENDER_DPI / DPI
    for x in range(int(want_x) - 2, int(want_x) + 4):
        for y, length in page.vruns(x, 5):
            if abs(y - px(y0_device)) <= 3 and abs(length - want_len) <= 4:
                return x
    raise Failure("%s: no vertical rule of about %.0f pixels from row %.0f at column %.0f" % (
        what, want_len, px(y0_device), want_x))


# -- the sample documents ----------------------------------------------------------------


def plain_report():
    lines = ["Line %03d  quarterly figures  %7d" % (i, i * 37) for i in range(1, 151)]
    return lines, ("\r\n".join(lines) + "\r\n").encode("latin-1")


def wide_report():
    lines = [("R%03d " % i) + " ".join("C%02d=%04d" % (c, (i * c) % 10000) for c in range(1, 23))
             for i in range(1, 101)]
    return lines, ("\r\n".join(lines) + "\r\n").encode("latin-1")


def box_form():
    w, split = 40, 19
    left, right = split - 1, w - 2 - split

    def cells(a, b):
        return "\xb3" + (" " + a).ljust(left) + "\xb3" + (" " + b).ljust(right) + "\xb3"

    rows = ["\xda" + "\xc4" * (w - 2) + "\xbf",
            "\xb3" + " INVOICE 2024/117".ljust(w - 2) + "\xb3",
            "\xc3" + "\xc4" * left + "\xc2" + "\xc4" * right + "\xb4",
            cells("Item", "Amount"),
            "\xc3" + "\xc4" * left + "\xc5" + "\xc4" * right + "\xb4",
            cells("Paper", "12.50"),
            cells("Toner", "80.00"),
            cells("Staples", "3.20"),
            "|" + "=" * left + "|" + "=" * right + "|",
            cells("Total", "95.70"),
            "\xc0" + "\xc4" * left + "\xc1" + "\xc4" * right + "\xd9"]
    rows += [""] * 8 + ["Signed: ______________"]
    return rows, ("\r\n".join(rows) + "\r\n").encode("latin-1")


def landscape_report():
    lines = ["%3d  %-30s %10.2f" % (i, "Account %05d" % (i * 7), i * 13.25) for i in range(1, 121)]
    return lines, ("\r\n".join(lines) + "\r\n").encode("latin-1")


# -- the checks --------------------------------------------------------------------------


def check_plain(work, driver):
    lines, content = plain_report()
    job = Job(work, "plain", driver, content, [])
    lay = job.layout
    check(lay["fontWidth"] == lay["charWidth"], "plain: the natural font should fit: %s" % lay)
    per_page = int(lay["linesPerPage"])
    check(per_page == 81, "plain: %d lines per page, expected 81" % per_page)
    texts = job.texts()
    check(len(texts) == 2, "plain: %d pages printed, expected 2" % len(texts))
    for k, text in enumerate(texts):
        got = [squeeze(l) for l in text.split("\n") if l.strip()]
        want = [squeeze(l) for l in lines[k * per_page:(k + 1) * per_page]]
        check(got == want, "plain: page %d reads\n%s\nexpected\n%s" % (k + 1, got[:5], want[:5]))
    check(readback.page_sizes(job.ps) == [(595.0, 842.0)], "plain: not on A4 paper")
    print("plain: 2 pages of 81 and 69 lines, every line as written: ok")


def check_wide(work, driver):
    lines, content = wide_report()
    job = Job(work, "wide", driver, content, [])
    lay = job.layout
    cell = lay["cellWidth"]
    check(lay["maxLength"] == 202, "wide: longest line %s, expected 202" % lay["maxLength"])
    near(cell, 2329.0 / 202, 0.01, "wide: cell width")
    check(lay["fontWidth"] < lay["charWidth"], "wide: the font was not narrowed: %s" % lay)
    pages = characters(job.ps)
    check(len(pages) == 2, "wide: %d pages printed, expected 2" % len(pages))
    per_page = int(lay["linesPerPage"])
    advance = int(cell)
    pt = 72.0 / DPI
    checked = 0
    for k, chars in enumerate(pages):
        rows = {}
        for x, y, c in chars:
            rows.setdefault(y, []).append((x, c))
        page_lines = lines[k * per_page:(k + 1) * per_page]
        check(len(rows) == len(page_lines), "wide: page %d has %d lines, expected %d" % (
            k + 1, len(rows), len(page_lines)))
        for (y, row), line in zip(sorted(rows.items()), page_lines):
            row.sort()
            # Where every character of the line belongs: a run starts on its own cell and
            # its characters step by the truncated cell width.
            want = []
            start = None
            for col, c in enumerate(line):
                if c == " ":
                    start = None
                    continue
                if start is None:
                    start = col
                device_x = int(cell * start) + advance * (col - start)
                want.append((EDGE_PT + device_x * pt, c))
            got_text = "".join(c for _, c in row)
            check(got_text == "".join(c for _, c in want),
                  "wide: line '%s' reads '%s'" % (line[:40], got_text[:40]))
            for (gx, gc), (wx, wc) in zip(row, want):
                near(gx, wx, 1.5, "wide: x of '%s' in line '%s'" % (gc, line[:12]))
            check(row[-1][0] < 595 - EDGE_PT, "wide: line '%s' runs off the paper" % line[:12])
            checked += 1
    check(checked == len(lines), "wide: %d of %d lines checked" % (checked, len(lines)))
    print("wide: 202 columns on cells of %.2f pixels, font narrowed to %d, all %d lines in place: ok" % (
        cell, lay["fontWidth"], checked))


def check_form(work, driver):
    rows, content = box_form()
    job = Job(work, "form", driver, content, ["-graph"])
    lay = job.layout
    cell = lay["cellWidth"]
    htext = lay["htext"]
    pitch = htext  # no extra line spacing
    texts = job.texts()
    check(len(texts) == 1, "form: %d pages, expected 1" % len(texts))
    got = [squeeze(l) for l in texts[0].split("\n") if l.strip()]
    want = ["INVOICE 2024/117", "Item Amount", "Paper 12.50", "Toner 80.00", "Staples 3.20",
            "Total 95.70", "Signed: ______________"]
    check(got == want, "form: the text reads %s, expected %s" % (got, want))

    page = Page(job.pngs()[0])

    def mid_x(col):
        return int(cell * col + cell / 2)

    def mid_y(row):
        return pitch * row + pitch / 2

    # The single rules: from the centre of the first cell to the centre of the last.
    for row in (0, 2, 4, 10):
        find_hrule(page, mid_y(row), mid_x(0), mid_x(39), "form: rule of row %d" % row)
    # The sides and the column divider, from the middle of the slot of their top corner to
    # the middle of the slot of their bottom corner.
    find_vrule(page, mid_x(0), mid_y(0), mid_y(10), "form: left side")
    find_vrule(page, mid_x(39), mid_y(0), mid_y(10), "form: right side")
    find_vrule(page, mid_x(19), mid_y(2), mid_y(10), "form: column divider")
    # The "=" row is ruled twice, at 5/12 and 7/12 of the text height, between the bars.
    a = int(htext * 0.4166666567325592)
    b = int(htext * 0.5833333134651184)
    for offset in (a, b):
        find_hrule(page, pitch * 8 + offset, int(cell * 1), int(cell * 19),
                   "form: double rule at +%d of row 8" % offset)
    # Nothing ruled beyond the frame.
    x0, y0, x1, y1 = page.bbox()
    near(x1, px(mid_x(39)) + 1, 3, "form: right edge of the printed area")
    print("form: text and ruled frame, divider and double rule in place: ok")

    # Without -graph the same form prints its rule characters as characters.
    plain = Job(work, "form-plain", driver, content, [])
    text = plain.texts()[0]
    check("|" in text and "-" * 10 in text.replace(" ", ""),
          "form without -graph: no hyphens and bars in the text:\n" + text)
    page = Page(plain.pngs()[0])
    length, y, x = page.longest_h()
    check(length < 150, "form without -graph: a ruled line of %d pixels at row %d" % (length, y))
    print("form without -graph: hyphens and bars printed as characters: ok")


def check_landscape(work, driver):
    lines, content = landscape_report()
    banner = "Quarterly report page footer"
    job = Job(work, "landscape", driver, content,
              ["-orientation", "landscape", "-papersize", "A4", "-left", "20", "-right", "20",
               "-top", "15", "-bottom", "15", "-banner", banner, "-hbanner", "4"])
    lay = job.layout
    # The turned page: 3358 x 2329 pixels on 284 x 197 mm, less the margins.
    check(int(lay["width"]) == 3358 - 236 - 236, "landscape: printable width %s" % lay["width"])
    check(int(lay["height"]) == 2329 - 177 - 177, "landscape: printable height %s" % lay["height"])
    check(dsc(job.ps, "Orientation") == "Landscape", "landscape: the job is not in landscape")
    per_page = int(lay["linesPerPage"])
    texts = job.texts()
    pages = (len(lines) + per_page - 1) // per_page
    check(len(texts) == pages, "landscape: %d pages, expected %d" % (len(texts), pages))
    for k, text in enumerate(texts):
        got = [squeeze(l) for l in text.split("\n") if l.strip()]
        want = [squeeze(l) for l in lines[k * per_page:(k + 1) * per_page]]
        check(got[-1] == banner, "landscape: page %d ends with '%s', not the banner" % (k + 1, got[-1]))
        check(got[:-1] == want, "landscape: page %d reads %s..., expected %s..." % (k + 1, got[:3], want[:3]))

    # On the rendered paper (portrait, the page turned): the text starts at the left margin,
    # the banner stands below the slot of a full page's last line, on the last page too.
    pitch = lay["htext"]
    banner_y = int(pitch * per_page + lay["top"])
    banner_height = int(40 * lay["height"] / 197) // 10
    for k, path in enumerate(job.pngs()):
        page = Page(path)
        x0, y0, x1, y1 = page.bbox()
        near(x0, px(lay["top"]), 4, "landscape: page %d, top margin" % (k + 1))
        near(PAGE_PX[1] - 1 - y1, px(lay["left"]), 4, "landscape: page %d, left margin" % (k + 1))
        near(x1, px(banner_y + banner_height), 6, "landscape: page %d, bottom of the banner" % (k + 1))
    print("landscape: %d pages with margins and the banner on each: ok" % pages)


def check_unknown_printer(work, driver):
    """A printer the spooler does not know ends the preparation with its message."""
    job_dir = os.path.join(work, "unknown")
    os.makedirs(os.path.join(job_dir, "spool"))
    with open(os.path.join(job_dir, "doc.txt"), "wb") as f:
        f.write(b"text\r\n")
    env = dict(os.environ, DRAXOME_SPOOL_DIR=os.path.join(job_dir, "spool"))
    done = subprocess.run([WINE_RUN, driver, "-printername", "No Such Printer", "-open", "doc.txt",
                           "-logfile", "job.log"], cwd=job_dir, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=RUN_TIMEOUT_S)
    check(done.returncode == 1, "unknown printer: exit code %d, expected 1" % done.returncode)
    with open(os.path.join(job_dir, "job.log"), "rb") as f:
        log = f.read().decode("latin-1")
    check("b=getprinter(args.printername, printer): canot find specified printer\r\n" in log,
          "unknown printer: the log does not say so:\n" + log)
    check(not os.listdir(os.path.join(job_dir, "spool")), "unknown printer: something was printed")
    print("unknown printer: refused with its message, nothing printed: ok")


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    driver = os.path.abspath(argv[1])
    if not os.path.isfile(driver):
        sys.stderr.write("FAIL: %s does not exist; build the layout_driver target\n" % driver)
        return 1
    if not os.environ.get("WINEPREFIX"):
        sys.stderr.write("FAIL: WINEPREFIX must name the prefix made by tools/wine-prefix.sh\n")
        return 1
    for tool in ("gs", "wine"):
        if shutil.which(tool) is None:
            sys.stderr.write("FAIL: '%s' is not installed\n" % tool)
            return 1
    work = tempfile.mkdtemp(prefix="draxome-layout-")
    failed = False
    try:
        for case in (check_plain, check_wide, check_form, check_landscape, check_unknown_printer):
            try:
                case(work, driver)
            except (Failure, readback.ReadbackError, subprocess.TimeoutExpired) as e:
                sys.stderr.write("FAIL: %s\n" % e)
                failed = True
    finally:
        if os.environ.get("SYSTEST_KEEP"):
            sys.stderr.write("kept %s\n" % work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    if failed:
        return 1
    print("layout read-back: every sample document printed as laid out")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
