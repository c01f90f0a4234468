#!/usr/bin/env python3
"""codepage_readback.py DRAXOME_EXE

Prints reports written in code pages 850, 852, 1250 and 1252 and in UTF-8 with -codepage,
on the virtual A4 printer under Wine, and reads each back as Unicode text (the PostScript
turned into PDF, its text extracted):
  letters    "Größe café Ñandú", "Žluťoučký kůň" and "ÄRGER ÖL ÑANDÚ ÉTÉ" come back as
             written, also the 1252 letters whose bytes are frame bytes of code page 437;
  frame      a box-drawing frame around them is ruled with -graph (long runs of dark
             pixels, no frame characters in the text) and the font's glyphs without;
  narrowing  a 132-character UTF-8 line is set in the same cells as the same line in
             single bytes without -codepage: the PostScript jobs are the same;
  faults     invalid UTF-8 prints U+FFFD (the font's missing-glyph box where the font
             has none) and logs one Warning naming its line; an unknown
             code page ends the run with an Error naming it and prints nothing.

Needs WINEPREFIX (the prefix with the virtual printers), ghostscript, pdftotext, and the
read-back helpers of tests/system/lib.
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

WINE_RUN = os.path.join(os.environ.get("DRAXOME_SOURCE", os.path.join(HERE, "..", "..")), "tools", "wine-run")
RENDER_DPI = 100
WESTERN = "Größe café Ñandú"
CENTRAL = "Žluťoučký kůň"
SPANISH = "ÄRGER ÖL ÑANDÚ ÉTÉ"
BOX = set(chr(c) for c in range(0x2500, 0x2580))


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def framed(words):
    width = len(words) + 2
    return ["┌" + "─" * width + "┐", "│ " + words + " │", "└" + "─" * width + "┘"]


def squeeze(text):
    return " ".join(text.split())


class Runner:
    def __init__(self, exe, work):
        self.exe, self.work, self.count = exe, work, 0

    def run(self, data, options):
        """Prints data (bytes) with the options: (exit code, PostScript path or None, log)."""
        self.count += 1
        job = os.path.join(self.work, "job%d" % self.count)
        spool = os.path.join(job, "spool")
        os.makedirs(spool)
        with open(os.path.join(job, "report.txt"), "wb") as f:
            f.write(data)
        done = subprocess.run([WINE_RUN, self.exe, "-open", "report.txt"] + options, cwd=job,
                              env=dict(os.environ, DRAXOME_SPOOL_DIR=spool),
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        jobs = sorted(f for f in os.listdir(spool) if f.endswith(".ps"))
        check(len(jobs) <= 1, "%s: %d jobs printed" % (options, len(jobs)))
        with open(os.path.join(job, "prnlog.txt"), "rb") as f:
            log = f.read().decode("latin-1")
        return done.returncode, os.path.join(spool, jobs[0]) if jobs else None, log


def unicode_text(ps):
    """The text of the job's first page as Unicode: pdftotext reads the glyph names of box
    drawing ("SF100000") that ghostscript's own text extraction does not."""
    pdf = ps[:-3] + ".pdf"
    readback.gs(["-sDEVICE=pdfwrite", "-sOutputFile=" + pdf, ps])
    done = subprocess.run(["pdftotext", "-l", "1", "-layout", pdf, "-"], stdout=subprocess.PIPE, timeout=120)
    check(done.returncode == 0, "pdftotext failed on %s" % pdf)
    return done.stdout.decode("utf-8").replace("\u00a0", " ").replace("\u00ad", "-")


def longest_rule(ps):
    page = readback.render_pages(ps, RENDER_DPI)[0]
    longest = 0
    for row in page:
        for run in re.findall(rb"\x01+", row):
            longest = max(longest, len(run))
    return longest


def check_reports(runner):
    reports = [("850", WESTERN, "cp850"), ("utf-8", WESTERN + " " + CENTRAL, "utf-8-sig"),
               ("852", CENTRAL, "cp852"), ("1250", CENTRAL, None), ("1252", SPANISH, None)]
    for codepage, words, encoding in reports:
        # Code page 1250 and 1252 have no frame characters: their reports stand alone.
        lines = framed(words) if encoding else [words]
        data = "\r\n".join(lines).encode(encoding or "cp" + codepage) + b"\r\n"
        for graph in ([False, True] if encoding else [False]):
            options = ["-codepage", codepage] + (["-graph"] if graph else [])
            code, ps, _ = runner.run(data, options)
            check(code == 0 and ps, "%s: exit %d, no job" % (options, code))
            text = unicode_text(ps)
            check(squeeze(words) in squeeze(text), "%s: %r not read back from %r" % (options, words, text))
            if encoding:
                if graph:
                    # Text makes no long dark runs: a rule across the frame's cells does.
                    rule = longest_rule(ps)
                    check(not BOX & set(text), "%s: frame characters in the text: %r" % (options, text))
                    check(rule > 6 * len(words), "%s: no ruled frame, longest dark run %d" % (options, rule))
                else:
                    check(BOX & set(text), "%s: the frame's glyphs not read back: %r" % (options, text))
            print("%s: %s read back%s: ok" % (" ".join(options), words, ", frame ruled" if graph else ""))


def check_narrowing(runner):
    # No byte of it is a frame byte of code page 437, which the default path would rule.
    line = ("Größe café " * 13)[:132]
    _, single, _ = runner.run(line.encode("cp1252") + b"\r\n", [])
    _, decoded, _ = runner.run(line.encode("utf-8") + b"\r\n", ["-codepage", "utf-8"])
    check(single and decoded, "132 columns: a job was not printed")

    def body(ps):
        with open(ps, "rb") as f:
            data = f.read().decode("latin-1")
        # What differs between two jobs of one text: dates and the job's title.
        return [l for l in data.splitlines() if not l.startswith(("%%CreationDate", "%%Title", "%%For"))]
    a, b = body(single), body(decoded)
    check(a == b, "132 columns: the UTF-8 job differs from the single-byte one in %d lines" % sum(
        x != y for x, y in zip(a, b)))
    print("132 columns: the UTF-8 line is printed as the same line in single bytes: ok")


def check_faults(runner):
    code, ps, log = runner.run(b"ok\r\nbad \xe9t\xe9\r\n\xff\r\n", ["-codepage", "utf-8"])
    check(code == 0 and ps, "invalid UTF-8: exit %d, no job" % code)
    text = squeeze(unicode_text(ps))
    with open(ps, "rb") as f:
        missing = f.read().count(b"/.notdef glyphshow")
    # A font without the glyph U+FFFD (Liberation Mono) shows its missing-glyph box, which
    # reads back as nothing: then the job draws that box three times.
    check("bad \ufffdt\ufffd" in text or ("bad t" in text and missing == 3),
          "invalid UTF-8: U+FFFD not read back from %r (%d missing glyphs)" % (text, missing))
    warnings = [l for l in log.splitlines() if l.startswith("Warning") and "UTF-8" in l]
    check(len(warnings) == 1 and "line 2 " in warnings[0], "invalid UTF-8: warnings %s" % warnings)
    print("invalid UTF-8: U+FFFD printed, one Warning: ok")
    code, ps, log = runner.run(b"x\r\n", ["-codepage", "4711"])
    check(code != 0 and ps is None and "-codepage 4711: unknown code page" in log,
          "unknown code page: exit %d, job %s" % (code, ps))
    print("unknown code page: Error, nothing printed: ok")


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    exe = os.path.abspath(argv[1])
    if not os.path.isfile(exe) or not shutil.which("gs") or not shutil.which("pdftotext") \
            or not os.environ.get("WINEPREFIX"):
        sys.stderr.write("FAIL: needs %s, ghostscript, pdftotext and WINEPREFIX\n" % exe)
        return 1
    work = tempfile.mkdtemp(prefix="draxome-codepage-")
    try:
        runner = Runner(exe, work)
        check_reports(runner)
        check_narrowing(runner)
        check_faults(runner)
    except (Failure, readback.ReadbackError, subprocess.TimeoutExpired, OSError) as e:
        sys.stderr.write("FAIL: %s\n" % e)
        return 1
    finally:
        if os.environ.get("SYSTEST_KEEP"):
            sys.stderr.write("kept %s\n" % work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    print("code page read-back: letters, frames, narrowing and faults as written")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
