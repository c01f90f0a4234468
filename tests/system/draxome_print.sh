#!/usr/bin/env bash
# draxome_print.sh DRAXOME_EXE
# Prints as a user would, on the virtual printers under Wine, and reads the jobs back: a
# text file laid out on the default printer and on the other one by name, each on its own
# paper, and raw jobs whose spooled bytes must be the file's own up to its first NUL byte.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"

[ $# -eq 1 ] || fail "usage: $0 DRAXOME_EXE"
make_workdir
draxome_setup "$1"
# The newest job's text, blanks squeezed (each character stands in its own cell, so
# extraction may widen the gaps between words).
newest_job() { job_files "$SPOOL" | tail -n 1; }
page_text() { readback text "$(newest_job)" | tr -s ' '; }

# --- laid out: paper in points | options ----------------------------------------
printf 'DRAXOME SYSTEM TEST\r\nsecond line of the report\r\n\r\nlast line 12345\r\n' >"$RUNDIR/report.txt"
n=0
for row in '595 842' '612 792|-printername|Virtual Letter|-docname|letter job'; do
  IFS='|' read -ra opts <<<"$row"
  draxome -open report.txt "${opts[@]:1}"
  n=$((n + 1))
  expect_rc 0 "printing with ${opts[*]}"
  [ "$(jobs_count)" -eq "$n" ] || fail "${opts[*]}: $(jobs_count) jobs, expected $n"
  text=$(page_text)
  for want in "DRAXOME SYSTEM TEST" "second line of the report" "last line 12345"; do
    grep -qF -- "$want" <<<"$text" || fail "${opts[*]}: '$want' is not on the page: $text"
  done
  [ "$(readback pagesize "$(newest_job)" | sort -u)" = "${opts[0]}" ] || fail "${opts[*]}: not on its paper"
done
grep -qF 'letter job' "$(newest_job)" || fail "the document name is not in the job"
expect_line prnlog.txt "Info: Printing page 1"
expect_line prnlog.txt "Info: -----------------------------------------"
echo "the default printer on A4, Virtual Letter by name on Letter, text read back: ok"

# --- raw: the spooled bytes are the file's ---------------------------------------------
# CR LF, form feeds and high bytes untouched; the job is PostScript, so gs can read it.
printf '%%!PS-Adobe-3.0\r\n/Courier findfont 20 scalefont setfont\r\n72 700 moveto (RAW JOB 777) show\r\nshowpage\r\n\f%% \xe4\xf6\xfc end\r\n' >"$RUNDIR/raw.ps"
draxome -open raw.ps -direct -printername "Virtual Letter"
expect_rc 0 "-direct"
cmp -s "$RUNDIR/raw.ps" "$(newest_job)" || fail "-direct: the spooled job differs from the file"
grep -qF "RAW JOB 777" <<<"$(page_text)" || fail "-direct: gs does not read the raw job back"
echo "-direct: spooled bytes equal the file: ok"

# A binary file (the same pseudo-random bytes every run) is sent raw up to its first NUL,
# and laid out without a crash: its control bytes are dropped and the rest prints.
python3 -c 'import random, sys; random.seed(7); sys.stdout.buffer.write(bytes(random.randrange(256) for _ in range(3000)))' \
  >"$RUNDIR/binary.bin"
draxome -open binary.bin -direct
expect_rc 0 "-direct of a binary file"
cmp -s <(python3 -c 'import sys; sys.stdout.buffer.write(open(sys.argv[1], "rb").read().split(b"\0")[0])' "$RUNDIR/binary.bin") "$(newest_job)" ||
  fail "-direct of a binary file: not the bytes before its first NUL"
before=$(jobs_count)
draxome -open binary.bin
expect_rc 0 "laying out a binary file"
[ "$(jobs_count)" -eq $((before + 1)) ] || fail "the binary file was not printed"
expect_line prnlog.txt "Info: End printing..."
echo "binary file: raw up to its first NUL, laid out without a crash: ok"

# --- raw on a printer that does not exist ----------------------------------------------
before=$(jobs_count)
rm -f "$RUNDIR/prnlog.txt"
draxome -open raw.ps -direct -printername "No Such Printer"
expect_rc 1 "-direct on an unknown printer"
[ "$(jobs_count)" -eq "$before" ] || fail "a job was spooled for an unknown printer"
# The system's own text after the printer's name differs between Windows versions.
log_of prnlog.txt | grep -F -A3 -- "draxomeDirect() : cannot open printer" | sed 's/\(No Such Printer.: error [0-9]\+\).*/\1/' |
  diff - <(printf '%s\n' "Error: draxomeDirect() : cannot open printer" \
    "Error: draxomeDirect(): cannot open the printer 'No Such Printer': error 1801" \
    "Error: draxomeDirect(): cannot print document" \
    "Error: Printfile::startPrinting() : could not print file") >/dev/null ||
  fail "-direct on an unknown printer: wrong messages: $(log_of prnlog.txt)"
echo "-direct on an unknown printer: exit 1 and its four messages: ok"
