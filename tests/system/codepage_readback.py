#!/usr/bin/env python3
"""codepage_readback.py DRAXOME_EXE

Prints reports written in code pages 850, 852, 1250 and 1252 and in UTF-8 with -codepage,
on the virtual A4 printer under Wine, and reads each back as Unicode text (the PostScript
turned into PDF, its text extracted with pdftotext, which reads the glyph names of box
drawing): the letters come back as written, also the 1252 capitals whose bytes are frame
bytes of code page 437; a box-drawing frame comes back as its glyphs, and with -graph as
a ruled line instead; a 132-character UTF-8 line prints exactly as the same line in single
bytes; invalid UTF-8 prints U+FFFD (the font's missing-glyph box where the font has none)
with one Warning naming its line.

Needs WINEPREFIX (the prefix with the virtual printers), ghostscript and pdftotext.
"""

import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "lib"))
import readback  # noqa: E402

BOX = set(chr(c) for c in range(0x2500, 0x2580))
WESTERN, CENTRAL = "Größe café Ñandú", "Žluťoučký kůň"
# (code page, words, encoding of a framed report or None for the words alone)
REPORTS = [("850", WESTERN, "cp850"), ("utf-8", WESTERN + " " + CENTRAL, "utf-8-sig"), ("852", CENTRAL, "cp852"),
           ("1250", CENTRAL, None), ("1252", "ÄRGER ÖL ÑANDÚ ÉTÉ", None)]


def run(exe, work, data, options):
    """Prints data with the options: the PostScript job's bytes, its page text and the log."""
    job = tempfile.mkdtemp(dir=work)
    _, _, jobs = readback.print_under_wine(exe, job, data, options)
    with open(os.path.join(job, "prnlog.txt"), "rb") as f:
        log = f.read().decode("latin-1")
    assert len(jobs) == 1, "%s: %d jobs printed; log:\n%s" % (options, len(jobs), log)
    readback.gs(["-sDEVICE=pdfwrite", "-sOutputFile=" + jobs[0] + ".pdf", jobs[0]])
    text = subprocess.run(["pdftotext", "-layout", jobs[0] + ".pdf", "-"], stdout=subprocess.PIPE,
                          check=True, timeout=120).stdout.decode("utf-8")
    with open(jobs[0], "rb") as f:
        return f.read(), " ".join(text.replace("\u00a0", " ").split()), log


def longest_dark_run(ps_data, work):
    path = os.path.join(work, "page.ps")
    with open(path, "wb") as f:
        f.write(ps_data)
    return max(len(r) for row in readback.render_pages(path, 100)[0] for r in re.findall(rb"\x01+", row) or [b""])


def check(work, exe):
    for codepage, words, encoding in REPORTS:
        width = len(words) + 2
        lines = ["┌" + "─" * width + "┐", "│ " + words + " │", "└" + "─" * width + "┘"] if encoding else [words]
        data = "\r\n".join(lines).encode(encoding or "cp" + codepage) + b"\r\n"
        for graph in ([[], ["-graph"]] if encoding else [[]]):
            ps, text, _ = run(exe, work, data, ["-codepage", codepage] + graph)
            assert words in text, "-codepage %s %s: %r not read back from %r" % (codepage, graph, words, text)
            if encoding and graph:
                # Text makes no long dark runs; a rule across the frame's cells does.
                assert not BOX & set(text) and longest_dark_run(ps, work) > 6 * len(words), \
                    "-codepage %s -graph: the frame is not ruled: %r" % (codepage, text)
            elif encoding:
                assert "┌" + "─" * width in text.replace(" ", ""), "-codepage %s: no frame glyphs: %r" % (codepage, text)
            print("-codepage %s %s: %s read back: ok" % (codepage, " ".join(graph), words))
    # No byte of this line is a frame byte of code page 437, which the default path rules.
    line = ("Größe café " * 13)[:132]
    single, _, _ = run(exe, work, line.encode("cp1252"), [])
    decoded, _, _ = run(exe, work, line.encode("utf-8"), ["-codepage", "utf-8"])
    strip = re.compile(rb"^%%(CreationDate|Title|For):.*$", re.M)
    assert strip.sub(b"", single) == strip.sub(b"", decoded), "132 columns: the UTF-8 job differs from single bytes"
    print("132 columns: the UTF-8 line prints as the same line in single bytes: ok")
    ps, text, log = run(exe, work, b"ok\r\nbad \xe9t\xe9\r\n", ["-codepage", "utf-8"])
    warnings = [l for l in log.splitlines() if l.startswith("Warning")]
    assert "bad \ufffdt\ufffd" in text or ("bad t" in text and ps.count(b"/.notdef glyphshow") == 2), text
    assert len(warnings) == 1 and "line 2 is not valid UTF-8" in warnings[0], warnings
    print("invalid UTF-8: U+FFFD printed, one Warning: ok")
    print("code page read-back: letters, frames, narrowing and invalid UTF-8 as written")


if __name__ == "__main__":
    readback.run_checks(__doc__, [check], ("gs", "pdftotext"))
