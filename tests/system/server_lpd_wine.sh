#!/usr/bin/env bash
# server_lpd_wine.sh DRAXOMESERVER_EXE DRAXOME_EXE
# The LPD and raw front ends of the server with the real print program under Wine, fed by
# Debian's rlpr (a form-feed report of two pages, an "l" job spooled byte for byte) and by a
# cupsd of the test's own (text jobs through lpd:// and socket:// queues, printed with the
# queue's options, and a streamed "l" job). Each read back from the virtual printer.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"

[ $# -eq 2 ] || fail "usage: $0 DRAXOMESERVER_EXE DRAXOME_EXE"
require_tools rlpr cupsd lpadmin lp
make_workdir
draxome_setup "$@"
printf '%s\r\n' 'reports -orientation landscape -graph' 'plain -printername "Virtual Letter"' >"$RUNDIR/queues.txt"
PORT=$(free_port)
LPD=$(free_port)
RAW=$(free_port)
server_start "$RUNDIR" "$PORT" -lpd "127.0.0.1:$LPD" -raw "127.0.0.1:$RAW=reports"
lpr() { (cd "$WORKDIR" && rlpr -N -q -H 127.0.0.1 --port="$LPD" "$@") || fail "rlpr $*"; }
newest() { job_files "$SPOOL" | tail -n 1; }

for n in 1 2 3 4 5 6 7; do printf 'page one line %s\n' "$n"; done >"$WORKDIR/report.txt"
printf '\fPAGE TWO OF THE REPORT\n' >>"$WORKDIR/report.txt"
lpr -P plain report.txt
wait_jobs 1
text=$(readback text "$(newest)" | tr -s ' ')
[ "$(tr -cd '\f' <<<"$text" | wc -c)" -ge 1 ] && grep -F 'PAGE TWO OF THE REPORT' <<<"$text" >/dev/null ||
  fail "the form-feed report: $text"
[ "$(readback pagesize "$(newest)" | sort -u)" = "612 792" ] || fail "the plain queue did not print on Letter"
echo "rlpr form-feed report: two pages on the queue's printer: ok"

# spooled N WHAT: the Nth printout is raw.ps byte for byte, and nothing is left staged.
spooled() {
  wait_jobs "$1"
  cmp -s "$WORKDIR/raw.ps" "$(newest)" && [ -z "$(ls "$RUNDIR" | grep '^tmp' || true)" ] ||
    fail "$2: not spooled byte for byte, or staged files left: $(ls "$RUNDIR")"
  echo "$2: spooled as sent, nothing left staged: ok"
}
printf '%%!PS-Adobe-3.0\n/Courier findfont 20 scalefont setfont\n72 700 moveto (LPD RAW 777) show\nshowpage\n' >"$WORKDIR/raw.ps"
lpr -P plain -l raw.ps
spooled 2 "rlpr l job"

# A cupsd of the test's own on a socket in WORKDIR, its backends copied so that any user
# may run them. They run as the lp user when the test is root: WORKDIR must let them pass.
chmod 711 "$WORKDIR"
CUPS=$WORKDIR/cups
mkdir -p "$CUPS"/{spool,tmp,cache,state,bin/backend}
install -m 755 /usr/lib/cups/backend/{lpd,socket} "$CUPS/bin/backend/"
ln -s /usr/lib/cups/filter /usr/lib/cups/daemon "$CUPS/bin/"
printf '%s\n' "Listen $CUPS/cups.sock" 'Browsing No' 'DefaultAuthType None' '<Location />' 'Allow all' \
  '</Location>' '<Policy default>' '<Limit All>' 'Order deny,allow' '</Limit>' '</Policy>' >"$CUPS/cupsd.conf"
printf '%s\n' "ServerRoot $CUPS" "ServerBin $CUPS/bin" "RequestRoot $CUPS/spool" "TempDir $CUPS/tmp" \
  "CacheDir $CUPS/cache" "StateDir $CUPS/state" "ErrorLog $CUPS/error_log" >"$CUPS/cups-files.conf"
timeout -k 5 600 cupsd -f -c "$CUPS/cupsd.conf" -s "$CUPS/cups-files.conf" >"$CUPS/out" 2>&1 &
CUPSD=$!
trap 'kill "$CUPSD" 2>/dev/null; wait "$CUPSD" 2>/dev/null; server_stop; _systest_cleanup' EXIT
poll test -S "$CUPS/cups.sock" || fail "cupsd did not start: $(cat "$CUPS/out")"
# cups_print N URI FILE: FILE printed through a CUPS queue of that device, the Nth printout
cups_print() {
  lpadmin -h "$CUPS/cups.sock" -p "q$1" -E -v "$2" >/dev/null 2>&1 && lp -h "$CUPS/cups.sock" -d "q$1" "$3" >/dev/null ||
    fail "CUPS: $2"
}
for n in 3 4; do
  uri=$([ $n = 3 ] && echo "lpd://127.0.0.1:$LPD/reports?format=f" || echo "socket://127.0.0.1:$RAW")
  printf 'CUPS JOB %s\nsecond line\n' "$uri" >"$WORKDIR/cups.txt"
  cups_print $n "$uri" "$WORKDIR/cups.txt"
  wait_jobs $n
  grep -q '%%Orientation: Landscape' "$(newest)" && grep -F "CUPS JOB $uri" <<<"$(readback text "$(newest)" | tr -s ' ')" >/dev/null ||
    fail "$uri: not printed landscape with the reports queue's options, or the text does not read back"
  echo "CUPS $uri: printed landscape, read back: ok"
done
# Streamed: CUPS closes after the data file, without the zero byte that ends it.
cups_print 5 "lpd://127.0.0.1:$LPD/plain?mode=stream" "$WORKDIR/raw.ps"
spooled 5 "CUPS lpd:// streamed l job"
echo "lpd under Wine: all cases passed"
