#!/usr/bin/env python3
"""Reads printed PostScript jobs back for system tests: the text of each page, the paper
size the job asked for, pages rendered to PNG, and ruled lines found as runs of dark
pixels. Standard library only, plus ghostscript (gs) on the PATH.

Used as a module (import readback) or from a shell:
  readback.py text JOB.ps             text of every page, pages separated by form feeds
  readback.py pagesize JOB.ps         "W H" in points for every PageSize the job requests
  readback.py pdf JOB.ps OUT.pdf      the job as PDF, landscape pages turned upright
  readback.py png JOB.ps OUTDIR [RES] render every page (png16m, RES dpi, default 100),
                                      print the PNG paths, one a line
  readback.py pngsize PAGE.png        "W H" in pixels
  readback.py darkrun PAGE.png        "LENGTH ROW X" of the longest horizontal dark run
"""

import glob
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

GS_TIMEOUT_S = 120


class ReadbackError(Exception):
    pass


def _gs(args):
    gs = shutil.which("gs")
    if gs is None:
        raise ReadbackError("ghostscript (gs) is not installed")
    cmd = [gs, "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE"] + args
    try:
        done = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=GS_TIMEOUT_S)
    except subprocess.TimeoutExpired:
        raise ReadbackError("gs took longer than %ds: %s" % (GS_TIMEOUT_S, " ".join(cmd)))
    # gs may report a broken job on stdout and still exit 0 for some devices, so both
    # the exit code and an "Error:" line count.
    out = done.stdout.decode("latin-1") + done.stderr.decode("latin-1")
    if done.returncode != 0 or "Error:" in out:
        raise ReadbackError("gs failed (exit %d): %s\n%s" % (done.returncode, " ".join(cmd), out))
    return out


def normalise_text(text):
    # Extraction pads with no-break spaces, shows "-" as a soft hyphen and ends lines CR LF.
    return text.replace("\u00a0", " ").replace("\u00ad", "-").replace("\r\n", "\n")


def _numbered(pattern_dir, stem, suffix):
    found = glob.glob(os.path.join(pattern_dir, "%s-*%s" % (stem, suffix)))
    number = re.compile(re.escape(stem) + r"-(\d+)" + re.escape(suffix) + "$")
    pages = []
    for path in found:
        m = number.search(os.path.basename(path))
        if m:
            pages.append((int(m.group(1)), path))
    return [path for _, path in sorted(pages)]


def ps_to_pdf(ps_path, pdf_path):
    # Page by page, so a landscape page reads left to right like a portrait one.
    _gs(["-sDEVICE=pdfwrite", "-dAutoRotatePages=/PageByPage",
         "-sOutputFile=" + pdf_path, ps_path])


def page_texts(ps_path):
    """The text of each page of a PostScript job, normalised, in page order."""
    work = tempfile.mkdtemp(prefix="readback-")
    try:
        pdf = os.path.join(work, "job.pdf")
        ps_to_pdf(ps_path, pdf)
        _gs(["-sDEVICE=txtwrite", "-sOutputFile=" + os.path.join(work, "page-%d.txt"), pdf])
        texts = []
        for path in _numbered(work, "page", ".txt"):
            with open(path, "rb") as f:
                texts.append(normalise_text(f.read().decode("utf-8", "replace")))
        return texts
    finally:
        shutil.rmtree(work, ignore_errors=True)


def page_sizes(ps_path):
    """(width, height) in points of every PageSize the job asks its device for."""
    with open(ps_path, "rb") as f:
        body = f.read().decode("latin-1")
    sizes = re.findall(r"/PageSize\s*\[\s*([0-9.]+)\s+([0-9.]+)\s*\]", body)
    return [(float(w), float(h)) for w, h in sizes]


def render_pages(ps_path, out_dir, resolution=100):
    """Renders every page to out_dir as PNG; returns the paths in page order."""
    stem = os.path.splitext(os.path.basename(ps_path))[0]
    _gs(["-sDEVICE=png16m", "-r%d" % resolution,
         "-sOutputFile=" + os.path.join(out_dir, stem + "-%d.png"), ps_path])
    pages = _numbered(out_dir, stem, ".png")
    if not pages:
        raise ReadbackError("gs rendered no page of " + ps_path)
    return pages


class Image:
    """An 8-bit image: width, height, channels, and rows of bytes."""

    def __init__(self, width, height, channels, rows):
        self.width = width
        self.height = height
        self.channels = channels
        self.rows = rows


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(path):
    """Decodes a non-interlaced 8-bit grey, RGB or RGBA PNG such as gs writes."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ReadbackError(path + " is not a PNG file")
    pos, header, idat = 8, None, []
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", chunk)
        elif kind == b"IDAT":
            idat.append(chunk)
        elif kind == b"IEND":
            break
        pos += 12 + length
    if header is None:
        raise ReadbackError(path + " has no IHDR chunk")
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace != 0:
        raise ReadbackError("%s: unsupported PNG (depth %d, colour type %d, interlace %d)"
                            % (path, depth, colour, interlace))
    raw = zlib.decompress(b"".join(idat))
    stride = width * channels
    if len(raw) < height * (stride + 1):
        raise ReadbackError(path + " is truncated")
    rows, prev = [], bytes(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], raw[start + 1:start + 1 + stride]
        if kind == 0 or (kind == 2 and line.count(0) == stride):
            cur = bytes(line) if kind == 0 else prev
        elif kind == 2:
            cur = bytes((a + b) & 0xFF for a, b in zip(line, prev))
        else:
            out = bytearray(line)
            for i in range(stride):
                left = out[i - channels] if i >= channels else 0
                up = prev[i]
                if kind == 1:
                    pred = left
                elif kind == 3:
                    pred = (left + up) >> 1
                elif kind == 4:
                    pred = _paeth(left, up, prev[i - channels] if i >= channels else 0)
                else:
                    raise ReadbackError("%s: unknown PNG filter %d" % (path, kind))
                out[i] = (out[i] + pred) & 0xFF
            cur = bytes(out)
        rows.append(cur)
        prev = cur
    return Image(width, height, channels, rows)


_DARK_TABLES = {}


def _dark_table(threshold):
    if threshold not in _DARK_TABLES:
        _DARK_TABLES[threshold] = bytes(1 if v < threshold else 0 for v in range(256))
    return _DARK_TABLES[threshold]


def dark_runs_of_row(image, y, threshold=128):
    """(start x, length) of each run of dark pixels in row y; a pixel is dark when every
    colour channel is below the threshold (alpha is ignored)."""
    table = _dark_table(threshold)
    row = image.rows[y]
    colours = min(image.channels, 3)
    mask = None
    for c in range(colours):
        plane = int.from_bytes(row[c::image.channels].translate(table), "big")
        mask = plane if mask is None else mask & plane
    flags = mask.to_bytes(image.width, "big")
    return [(m.start(), m.end() - m.start()) for m in re.finditer(b"\x01+", flags)]


def longest_dark_run(image, threshold=128):
    """(length, row, start x) of the longest horizontal run of dark pixels."""
    best = (0, -1, -1)
    for y in range(image.height):
        for x, length in dark_runs_of_row(image, y, threshold):
            if length > best[0]:
                best = (length, y, x)
    return best


def _main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    command, path = argv[1], argv[2]
    if not os.path.isfile(path):
        sys.stderr.write("readback: no such file: %s\n" % path)
        return 2
    try:
        if command == "text" and len(argv) == 3:
            sys.stdout.write("\f".join(page_texts(path)))
        elif command == "pagesize" and len(argv) == 3:
            for w, h in page_sizes(path):
                print("%g %g" % (w, h))
        elif command == "pdf" and len(argv) == 4:
            ps_to_pdf(path, argv[3])
        elif command == "png" and len(argv) in (4, 5):
            resolution = int(argv[4]) if len(argv) == 5 else 100
            for page in render_pages(path, argv[3], resolution):
                print(page)
        elif command == "pngsize" and len(argv) == 3:
            image = read_png(path)
            print("%d %d" % (image.width, image.height))
        elif command == "darkrun" and len(argv) == 3:
            print("%d %d %d" % longest_dark_run(read_png(path)))
        else:
            sys.stderr.write(__doc__)
            return 2
    except ReadbackError as e:
        sys.stderr.write("readback: %s\n" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(_main(sys.argv))
