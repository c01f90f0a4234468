#!/usr/bin/env bash
# server_lpd_wine.sh DRAXOMESERVER_EXE DRAXOME_EXE
# The LPD front end of the server with the real print program under Wine, fed by Debian's
# rlpr: a text job with the queue's options (landscape, rules), a form-feed report of two
# pages, and an "l" job spooled byte for byte; each read back from the virtual printer.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"

[ $# -eq 2 ] || fail "usage: $0 DRAXOMESERVER_EXE DRAXOME_EXE"
require_tools rlpr
make_workdir
draxome_setup "$@"
printf '%s\r\n' 'reports -orientation landscape -graph' 'plain -printername "Virtual Letter"' >"$RUNDIR/queues.txt"
PORT=$(free_port)
LPD=$(free_port)
server_start "$RUNDIR" "$PORT" -lpd "127.0.0.1:$LPD"
lpr() { (cd "$WORKDIR" && rlpr -N -q -H 127.0.0.1 --port="$LPD" "$@") || fail "rlpr $*"; }
newest() { job_files "$SPOOL" | tail -n 1; }

printf 'LPD TEXT JOB 4711\nsecond line\n' >"$WORKDIR/text.txt"
lpr -P reports text.txt
wait_jobs 1
job=$(newest)
grep -q '%%Orientation: Landscape' "$job" || fail "the reports queue did not print landscape"
grep -F 'LPD TEXT JOB 4711' <<<"$(readback text "$job" | tr -s ' ')" >/dev/null || fail "the text job does not read back"
echo "rlpr text job: printed landscape with the queue's options, read back: ok"

for n in 1 2 3 4 5 6 7; do printf 'page one line %s\n' "$n"; done >"$WORKDIR/report.txt"
printf '\fPAGE TWO OF THE REPORT\n' >>"$WORKDIR/report.txt"
lpr -P plain report.txt
wait_jobs 2
text=$(readback text "$(newest)" | tr -s ' ')
[ "$(tr -cd '\f' <<<"$text" | wc -c)" -ge 1 ] && grep -F 'PAGE TWO OF THE REPORT' <<<"$text" >/dev/null ||
  fail "the form-feed report: $text"
[ "$(readback pagesize "$(newest)" | sort -u)" = "612 792" ] || fail "the plain queue did not print on Letter"
echo "rlpr form-feed report: two pages on the queue's printer: ok"

printf '%%!PS-Adobe-3.0\n/Courier findfont 20 scalefont setfont\n72 700 moveto (LPD RAW 777) show\nshowpage\n' >"$WORKDIR/raw.ps"
lpr -P plain -l raw.ps
wait_jobs 3
cmp -s "$WORKDIR/raw.ps" "$(newest)" || fail "the l job was not spooled byte for byte"
[ -z "$(ls "$RUNDIR" | grep '^tmp' || true)" ] || fail "staged files left: $(ls "$RUNDIR")"
echo "rlpr l job: spooled as sent, nothing left staged: ok"
echo "lpd under Wine: all cases passed"
