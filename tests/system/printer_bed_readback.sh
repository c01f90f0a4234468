#!/usr/bin/env bash
# printer_bed_readback.sh PRINTER_BED_EXE
# Runs the printer bed program with a spool directory of its own and reads its two jobs
# back: the text each page carries, the paper each printer chose and the ruled line.
# The texts and the line's geometry are the ones PrinterBedTest.cpp draws.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"

[ $# -eq 1 ] || fail "usage: $0 PRINTER_BED_EXE"
exe=$1
[ -f "$exe" ] || fail "$exe does not exist; build the printer_bed target"
require_tools gs python3 timeout

make_workdir
spool=$WORKDIR/spool
mkdir -p "$spool"

if ! DRAXOME_SPOOL_DIR=$spool run_windows "$exe" >"$WORKDIR/run.log" 2>&1; then
  cat "$WORKDIR/run.log" >&2
  fail "$(basename "$exe") failed under Wine"
fi

mapfile -t jobs < <(job_files "$spool")
[ "${#jobs[@]}" -eq 2 ] ||
  fail "expected 2 jobs in the spool directory, found ${#jobs[@]}: $(ls "$spool")"

# check_job JOB PRINTER TEXT "W H" PNG_W PNG_H
check_job() {
  local job=$1 printer=$2 text=$3 pagesize=$4 png_w=$5 png_h=$6
  local got pages
  local -a pngs
  got=$(readback text "$job") || fail "$printer: ghostscript cannot read $job"
  pages=$(printf '%s' "$got" | tr -cd '\f' | wc -c)
  [ "$pages" -eq 0 ] || fail "$printer: expected 1 page, found $((pages + 1))"
  grep -qF -- "$text" <<<"$got" ||
    fail "$printer: text '$text' is not on the page; extracted: $got"

  got=$(readback pagesize "$job")
  [ "$got" = "$pagesize" ] ||
    fail "$printer: job asks for PageSize [$got], expected [$pagesize]"

  local dir=$WORKDIR/png-${printer// /-}
  mkdir -p "$dir"
  got=$(readback png "$job" "$dir" 100) || fail "$printer: ghostscript cannot render $job"
  mapfile -t pngs <<<"$got"
  [ "${#pngs[@]}" -eq 1 ] || fail "$printer: rendered ${#pngs[@]} pages, expected 1"
  got=$(readback pngsize "${pngs[0]}")
  [ "$got" = "$png_w $png_h" ] ||
    fail "$printer: page renders as $got pixels at 100 dpi, expected $png_w $png_h"

  # The rule runs from x 150 to 2250 at y 900 in 300-dpi device units: 700 pixels at
  # 100 dpi, 300 pixels below the 18-point (25-pixel) printable-area margin.
  local length row x
  got=$(readback darkrun "${pngs[0]}") || fail "$printer: cannot read ${pngs[0]}"
  read -r length row x <<<"$got"
  [ "$length" -ge 680 ] && [ "$length" -le 720 ] ||
    fail "$printer: longest dark run is $length pixels (row $row), expected the 700-pixel rule"
  [ "$row" -ge 315 ] && [ "$row" -le 335 ] ||
    fail "$printer: the rule is on row $row, expected about 325"
  echo "$printer: '$text', PageSize [$pagesize], rule of $length pixels at row $row: ok"
}

check_job "${jobs[0]}" "Virtual A4" "DRAXOME BED 12345" "595 842" 826 1169
check_job "${jobs[1]}" "Virtual Letter" "DRAXOME BED LETTER 67890" "612 792" 850 1100
echo "printer bed read-back: both jobs as printed"
