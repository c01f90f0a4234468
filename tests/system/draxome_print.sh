#!/usr/bin/env bash
# draxome_print.sh DRAXOME_EXE
# Prints as a user would, on the virtual printers under Wine, and reads the jobs back: a
# text file laid out on the default printer and on the other one by name, a page break
# by form feed, and raw jobs whose spooled bytes must be the file's own up to its first
# NUL byte.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"

[ $# -eq 1 ] || fail "usage: $0 DRAXOME_EXE"
require_tools gs python3 timeout cmp
make_workdir
draxome_setup "$1"

# The text of a job's pages, blanks squeezed (each character stands in its own cell, so
# extraction may widen the gaps between words).
page_text() { readback text "$1" | tr -s ' '; }

# newest_job: the one job that a run added
newest_job() { job_files "$SPOOL" | tail -n 1; }

# --- laid out on the default printer --------------------------------------------------
printf 'DRAXOME SYSTEM TEST\r\nsecond line of the report\r\n\r\nlast line 12345\r\n' >"$RUNDIR/report.txt"
draxome -open report.txt
expect_rc 0 "printing report.txt"
[ "$(jobs_count)" -eq 1 ] || fail "expected one job, found $(jobs_count)"
job=$(newest_job)
text=$(page_text "$job") || fail "ghostscript cannot read $job"
for want in "DRAXOME SYSTEM TEST" "second line of the report" "last line 12345"; do
  grep -qF -- "$want" <<<"$text" || fail "default printer: '$want' is not on the page: $text"
done
[ "$(readback pagesize "$job" | sort -u)" = "595 842" ] || fail "default printer did not print on A4"
expect_line prnlog.txt "Info: Printing page 1"
expect_line prnlog.txt "Info: -----------------------------------------"
echo "default printer: text read back from A4: ok"

# --- laid out on the other printer, by name -------------------------------------------
draxome -open report.txt -printername "Virtual Letter" -docname "letter job"
expect_rc 0 "printing on Virtual Letter"
[ "$(jobs_count)" -eq 2 ] || fail "expected a second job"
job=$(newest_job)
text=$(page_text "$job")
grep -qF "DRAXOME SYSTEM TEST" <<<"$text" || fail "Virtual Letter: text missing: $text"
[ "$(readback pagesize "$job" | sort -u)" = "612 792" ] || fail "Virtual Letter did not print on Letter"
grep -qF 'letter job' "$job" || fail "the document name is not in the job"
echo "Virtual Letter by name: text read back from Letter: ok"

# --- a form feed after line 7 starts page 2 --------------------------------------------
: >"$RUNDIR/two.txt"
for i in 1 2 3 4 5 6; do printf 'page one line %d\r\n' "$i" >>"$RUNDIR/two.txt"; done
printf 'page one line 7\f\r\npage two line 1\r\n' >>"$RUNDIR/two.txt"
draxome -open two.txt
expect_rc 0 "printing two.txt"
text=$(page_text "$(newest_job)")
pages=$(printf '%s' "$text" | tr -cd '\f' | wc -c)
[ "$pages" -eq 1 ] || fail "two.txt: expected 2 pages, got $((pages + 1))"
second=${text#*$'\f'}
grep -qF "page two line 1" <<<"$second" || fail "page 2 does not start with the line after the form feed"
grep -qF "page one line 7" <<<"$second" && fail "line 7 is on page 2"
echo "form feed: two pages: ok"

# --- raw: the spooled bytes are the file's ---------------------------------------------
# CR LF, form feeds and high bytes untouched; the job is PostScript, so gs can read it.
printf '%%!PS-Adobe-3.0\r\n/Courier findfont 20 scalefont setfont\r\n72 700 moveto (RAW JOB 777) show\r\nshowpage\r\n\f%% \xe4\xf6\xfc end\r\n' >"$RUNDIR/raw.ps"
draxome -open raw.ps -direct -printername "Virtual Letter"
expect_rc 0 "-direct"
job=$(newest_job)
cmp -s "$RUNDIR/raw.ps" "$job" || fail "-direct: the spooled job differs from the file"
grep -qF "RAW JOB 777" <<<"$(page_text "$job")" || fail "-direct: gs does not read the raw job back"
echo "-direct: spooled bytes equal the file: ok"

# A NUL byte ends what is sent.
printf 'before the NUL\r\n\0after the NUL\r\n' >"$RUNDIR/zerobyte.prn"
draxome -open zerobyte.prn -direct
expect_rc 0 "-direct with a NUL byte"
job=$(newest_job)
[ "$(od -An -c "$job" | tr -s ' ')" = "$(printf 'before the NUL\r\n' | od -An -c | tr -s ' ')" ] ||
  fail "-direct: expected the bytes before the NUL, got: $(od -c "$job")"
echo "-direct: bytes up to the first NUL: ok"

# A binary file (the same pseudo-random bytes every run) is still sent raw up to its
# first NUL, and laid out without a crash.
python3 -c 'import random, sys; random.seed(7); sys.stdout.buffer.write(bytes(random.randrange(256) for _ in range(3000)))' \
  >"$RUNDIR/binary.bin"
printf '\x1b\x00' >>"$RUNDIR/binary.bin"
draxome -open binary.bin -direct
expect_rc 0 "-direct of a binary file"
head -c "$(($(grep -obUaP '\x00' "$RUNDIR/binary.bin" | head -1 | cut -d: -f1)))" "$RUNDIR/binary.bin" >"$WORKDIR/expected.bin"
cmp -s "$WORKDIR/expected.bin" "$(newest_job)" || fail "-direct of a binary file: not the bytes before its first NUL"
# Laid out, its control bytes are dropped and the rest prints: nothing in it is an error.
before=$(jobs_count)
draxome -open binary.bin
expect_rc 0 "laying out a binary file"
[ "$(jobs_count)" -eq $((before + 1)) ] || fail "the binary file was not printed"
expect_line prnlog.txt "Info: End printing..."
echo "binary file: raw up to its NUL, laid out without a crash: ok"

# --- raw on a printer that does not exist ----------------------------------------------
before=$(jobs_count)
rm -f "$RUNDIR/prnlog.txt"
draxome -open raw.ps -direct -printername "No Such Printer"
expect_rc 1 "-direct on an unknown printer"
[ "$(jobs_count)" -eq "$before" ] || fail "a job was spooled for an unknown printer"
log_of prnlog.txt | grep -F -A2 -- "draxomeDirect() : cannot open printer" |
  diff - <(printf '%s\n' "Error: draxomeDirect() : cannot open printer" \
    "Error: draxomeDirect(): cannot print document" \
    "Error: Printfile::startPrinting() : could not print file") >/dev/null ||
  fail "-direct on an unknown printer: wrong messages: $(log_of prnlog.txt)"
echo "-direct on an unknown printer: exit 1 and its three messages: ok"
echo "draxome print: all cases passed"
