#!/usr/bin/env python3
"""Reads printed PostScript jobs back for system tests, with ghostscript (gs):
  readback.py text JOB.ps      text of every page, pages separated by form feeds
  readback.py pagesize JOB.ps  "W H" in points for every PageSize the job requests
As a module it also renders pages as masks of dark pixels (render_pages).
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile


WINE_RUN = os.path.join(os.environ.get("DRAXOME_SOURCE", os.path.join(os.path.dirname(os.path.abspath(__file__)),
                        "..", "..", "..")), "tools", "wine-run")


class ReadbackError(Exception):
    pass


def print_under_wine(exe, job, data, options):
    """Prints data as doc.txt with exe under Wine in the directory job, into a spool of its
    own there: (exit status, the output, the PostScript jobs printed)."""
    spool = os.path.join(job, "spool")
    os.makedirs(spool)
    with open(os.path.join(job, "doc.txt"), "wb") as f:
        f.write(data)
    done = subprocess.run([WINE_RUN, exe, "-open", "doc.txt"] + options, cwd=job, timeout=300, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, env=dict(os.environ, DRAXOME_SPOOL_DIR=spool))
    jobs = sorted(os.path.join(spool, f) for f in os.listdir(spool) if f.endswith(".ps"))
    return done.returncode, done.stdout.decode("latin-1"), jobs


def run_checks(doc, checks, tools=("gs",)):
    """A read-back script's main: each check(work, exe) on the program argv[1] names, every
    failure on standard error; exit status 1 if any failed. SYSTEST_KEEP keeps the work."""
    if len(sys.argv) != 2 or not os.environ.get("WINEPREFIX") or not all(shutil.which(t) for t in tools):
        sys.exit("FAIL: needs the program, WINEPREFIX and %s\n%s" % (", ".join(tools), doc))
    work, failed = tempfile.mkdtemp(prefix="draxome-readback-"), False
    for check in checks:
        try:
            check(work, os.path.abspath(sys.argv[1]))
        except (AssertionError, ReadbackError, subprocess.SubprocessError, OSError) as e:
            sys.stderr.write("FAIL: %s: %s\n" % (check.__name__, e))
            failed = True
    if not os.environ.get("SYSTEST_KEEP"):
        shutil.rmtree(work, ignore_errors=True)
    sys.exit(1 if failed else 0)


def gs(args):
    cmd = ["gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE"] + args
    try:
        done = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    except (OSError, subprocess.TimeoutExpired) as e:
        raise ReadbackError("%s: %s" % (" ".join(cmd), e))
    # gs may report a broken job and still exit 0, so an "Error:" line counts too.
    out = done.stdout.decode("latin-1")
    if done.returncode != 0 or "Error:" in out:
        raise ReadbackError("gs failed (exit %d): %s\n%s" % (done.returncode, " ".join(cmd), out))
    return done.stdout


def _gs_pages(args, suffix, read):
    """Runs gs with an output file per page; read(bytes) of each page, in page order."""
    work = tempfile.mkdtemp(prefix="readback-")
    try:
        gs(["-sOutputFile=" + os.path.join(work, "%d" + suffix)] + args)
        pages = []
        for name in sorted((f for f in os.listdir(work) if f.endswith(suffix)), key=lambda f: int(f[:-len(suffix)])):
            with open(os.path.join(work, name), "rb") as f:
                pages.append(read(f.read()))
        return pages
    finally:
        shutil.rmtree(work, ignore_errors=True)


def page_texts(ps_path):
    """The text of each page, in page order; landscape pages read upright."""
    work = tempfile.mkdtemp(prefix="readback-")
    try:
        pdf = os.path.join(work, "job.pdf")
        gs(["-sDEVICE=pdfwrite", "-dAutoRotatePages=/PageByPage", "-sOutputFile=" + pdf, ps_path])
        # Extraction pads with no-break spaces, shows "-" as a soft hyphen, ends lines CR LF.
        return _gs_pages(["-sDEVICE=txtwrite", pdf], ".txt", lambda b: b.decode("utf-8", "replace").replace(
            "\u00a0", " ").replace("\u00ad", "-").replace("\r\n", "\n"))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def page_sizes(ps_path):
    with open(ps_path, "rb") as f:
        body = f.read().decode("latin-1")
    return [(float(w), float(h)) for w, h in re.findall(r"/PageSize\s*\[\s*([0-9.]+)\s+([0-9.]+)\s*\]", body)]


def render_pages(ps_path, resolution):
    """Every page as a list of rows, each a bytes of 1 (dark: grey below 128) or 0."""
    dark = bytes(1 if v < 128 else 0 for v in range(256))

    def rows(data):
        m = re.match(rb"P5\s+(?:#[^\n]*\n)*(\d+)\s+(\d+)\s+255\s", data)
        if not m:
            raise ReadbackError("gs wrote no 8-bit PGM page")
        w, h, pos = int(m.group(1)), int(m.group(2)), m.end()
        return [data[pos + y * w:pos + (y + 1) * w].translate(dark) for y in range(h)]

    pages = _gs_pages(["-sDEVICE=pgmraw", "-r%d" % resolution, ps_path], ".pgm", rows)
    if not pages:
        raise ReadbackError("gs rendered no page of " + ps_path)
    return pages


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("text", "pagesize"):
        sys.exit(__doc__)
    try:
        if sys.argv[1] == "text":
            sys.stdout.write("\f".join(page_texts(sys.argv[2])))
        else:
            print("\n".join("%g %g" % s for s in page_sizes(sys.argv[2])))
    except (ReadbackError, OSError) as e:
        sys.exit("readback: %s" % e)
