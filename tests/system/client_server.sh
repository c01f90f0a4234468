#!/usr/bin/env bash
# client_server.sh DRAXOME_EXE SERVER_EXE WRITEOUT_EXE CLIENT
# The whole system as a user on Linux meets it: draxomeServer.exe with draxome.exe beside
# it under Wine, on 127.0.0.1 and a free port, and the Linux draxomeClient sending jobs to
# it. A job with every reply (the response made by a -run program, writeout.exe), a job
# printed and read back from its PostScript (a local file with blanks in its name), an
# abort, -view, no server listening, and a response name that tries to leave the output
# directory.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"

[ $# -eq 4 ] || fail "usage: $0 DRAXOME_EXE SERVER_EXE WRITEOUT_EXE CLIENT"
require_tools timeout cmp wine gs python3 awk
CLIENT=$(realpath -- "$4")
[ -x "$CLIENT" ] || fail "$CLIENT is not there; build the native client first"
make_workdir
draxome_setup "$1" "$2" "$3"
PORT=$(free_port)
# Blanks in the directories too: nothing on the client's side may split a path.
OUT="$WORKDIR/client side/out dir"
mkdir -p "$OUT"

# The default safety checks stay on; the one program jobs may run is ours.
server_start "$RUNDIR" "$PORT" -allowrun writeout.exe
echo "server listening on 127.0.0.1:$PORT"
SERVER=(-server "127.0.0.1:$PORT" -outdir "$OUT" -timeout 60)

# --- a job with every reply ------------------------------------------------------------
content=$'first line of the job\r\nsecond line\r\n'
printf '%s' "$content" >"$WORKDIR/job.txt"
# A file the user already has: the reply of that name must give way, not replace it.
printf 'mine\n' >"$OUT/version.txt"
client "${SERVER[@]}" -open "$WORKDIR/job.txt" -run writeout.exe -response answer.txt \
  -printlist -fontlist -ver -reslist
[ "$RC" -eq 0 ] || fail "every reply: exit code $RC; $(cat "$CLIENT_ERR")"
expected="received the printer list: $OUT/prntlist.txt
received the font list: $OUT/fontlist.txt
received the version file: $OUT/version-1.txt
received the response file: $OUT/answer.txt
received the resolution list: $OUT/reslist.txt
received the job log: $OUT/joblog.txt"
[ "$(cat "$CLIENT_OUT")" = "$expected" ] || fail "every reply: the client listed
$(cat "$CLIENT_OUT")
instead of
$expected"
[ "$(cat "$OUT/version.txt")" = mine ] || fail "every reply: the user's version.txt was replaced"
# The inventories are the server's own files, byte for byte.
cmp "$RUNDIR/prntlist.txt" "$OUT/prntlist.txt" || fail "the printer list differs from the server's"
cmp "$RUNDIR/fontlist.txt" "$OUT/fontlist.txt" || fail "the font list differs from the server's"
cmp "$RUNDIR/version.txt" "$OUT/version-1.txt" || fail "the version file differs from the server's"
cmp "$RUNDIR/reslist.txt" "$OUT/reslist.txt" || fail "the resolution list differs from the server's"
grep -q 'Virtual A4' "$OUT/prntlist.txt" || fail "the printer list lacks Virtual A4: $(cat "$OUT/prntlist.txt")"
grep -q 'Virtual Letter' "$OUT/prntlist.txt" || fail "the printer list lacks Virtual Letter"
[ -s "$OUT/fontlist.txt" ] && [ -s "$OUT/reslist.txt" ] && [ -s "$OUT/version-1.txt" ] ||
  fail "an inventory came empty"
# writeout ran on the server's copy of the job and wrote its name and the bytes sent.
head -n 1 "$OUT/answer.txt" | grep -Eq '^writeout: tmpFilename\.[^ ]+\.txt$' ||
  fail "the response starts '$(head -n 1 "$OUT/answer.txt")'"
[ "$(tail -n +2 "$OUT/answer.txt" | od -An -c)" = "$(printf '%s' "$content" | od -An -c)" ] ||
  fail "the response does not hold the job's bytes"
[ ! -e "$RUNDIR/answer.txt" ] || fail "the server kept the response file after sending it"
grep -q 'draxome' "$OUT/joblog.txt" || fail "the job log came empty"
if grep -E '^Error' "$OUT/joblog.txt"; then fail "the job log holds an error"; fi
[ ! -s "$CLIENT_ERR" ] || fail "every reply: the client complained: $(cat "$CLIENT_ERR")"
[ "$(jobs_count)" -eq 0 ] || fail "a -run job printed"
echo "a job with every reply, in order, the response made by -run: ok"

# --- printed, read back; a local file with blanks in its name ---------------------------
mkdir -p "$WORKDIR/my files"
report="$WORKDIR/my files/monthly report (v2).txt"
rule=$(printf '\xc4%.0s' $(seq 39))
{
  printf 'Sent through draxomeClient to the print server\r\n\r\n'
  printf '\xda%s\xbf\r\n' "$rule"
  printf '\xb3 %-38s\xb3\r\n' "Stock item 4711, quantity 12"
  printf '\xc0%s\xd9\r\n' "$rule"
  for i in $(seq 1 8); do printf 'line %02d of the client report %s\r\n' "$i" "$(printf 'x%.0s' $(seq $((i * 12))))"; done
} >"$report"
client "${SERVER[@]}" -open "$report" -orientation landscape -graph -banner "Banner through the client"
[ "$RC" -eq 0 ] || fail "printed job: exit code $RC; $(cat "$CLIENT_ERR")"
[ "$(cat "$CLIENT_OUT")" = "received the job log: $OUT/joblog-1.txt" ] ||
  fail "printed job: the client listed $(cat "$CLIENT_OUT")"
[ ! -s "$CLIENT_ERR" ] || fail "printed job: the client complained: $(cat "$CLIENT_ERR")"
[ "$(jobs_count)" -eq 1 ] || fail "printed job: $(jobs_count) jobs in the spool, expected 1"
job=$(job_files "$SPOOL" | tail -n 1)
# The font is narrowed to fit the widest line, and extraction then spaces words apart.
text=$(readback text "$job" | tr -s ' ') || fail "cannot read the printed job back"
for want in "Sent through draxomeClient to the print server" "Stock item 4711, quantity 12" \
  "line 08 of the client report" "Banner through the client"; do
  grep -qF -- "$want" <<<"$text" || fail "the printout lacks '$want'; it reads:
$text"
done
grep -q '%%Orientation: Landscape' "$job" || fail "the printout is not landscape"
mkdir -p "$WORKDIR/png"
# Rendered upright from the PDF, so the frame's top is a horizontal run of pixels.
readback pdf "$job" "$WORKDIR/png/printed.pdf" || fail "cannot turn the printed job into PDF"
page=$(readback png "$WORKDIR/png/printed.pdf" "$WORKDIR/png" | head -n 1)
read -r run _ _ < <(readback darkrun "$page")
# The frame is 40 characters wide: as a ruled line it is one long dark run, as glyphs
# it would be broken up.
[ "$run" -ge 150 ] || fail "the code page 437 frame was not ruled: longest dark run $run pixels"
echo "a file with blanks in its name printed landscape with its banner and ruled frame: ok"

# --- an abort: a response file that the job does not create ------------------------------
printf 'no output, please\r\n' >"$WORKDIR/quiet.txt"
client "${SERVER[@]}" -open "$WORKDIR/quiet.txt" -run writeout.exe -response missing.txt -ver
[ "$RC" -eq 1 ] || fail "abort: exit code $RC, expected 1; $(cat "$CLIENT_ERR")"
for want in "draxomeClient: the server aborted the job:" \
  "  error:       Could not send the -run response file back to client. This usually means the response file was not created by the process." \
  "  description: Check the -run parameter." \
  "  source:      unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )"; do
  grep -qxF -- "$want" "$CLIENT_ERR" || fail "abort: standard error lacks '$want'; it holds:
$(cat "$CLIENT_ERR")"
done
for field in title name; do
  grep -Eq "^  $field: +[^ ]" "$CLIENT_ERR" || fail "abort: no $field field: $(cat "$CLIENT_ERR")"
done
# What came before the abort is kept; the response that never came leaves no file.
[ "$(cat "$CLIENT_OUT")" = "received the version file: $OUT/version-2.txt" ] ||
  fail "abort: the client listed $(cat "$CLIENT_OUT")"
[ ! -e "$OUT/missing.txt" ] || fail "abort: an empty response file was left"
echo "abort: exit 1 and the five fields on standard error: ok"

# --- no server listening ------------------------------------------------------------------
nobody=$(free_port)
start=$(date +%s%N)
client -server "127.0.0.1:$nobody" -outdir "$OUT" -ver
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
[ "$RC" -eq 3 ] || fail "no server: exit code $RC, expected 3"
grep -qF "cannot connect to 127.0.0.1:$nobody" "$CLIENT_ERR" || fail "no server: $(cat "$CLIENT_ERR")"
[ "$elapsed_ms" -lt 5000 ] || fail "no server: the client took ${elapsed_ms} ms"
echo "no server listening: exit 3 after ${elapsed_ms} ms: ok"

# --- a response name that tries to leave the output directory ----------------------------
# A careful server refuses the name; one that lets it through still must not make the
# client write outside its output directory.
escape_job() {
  client "${SERVER[@]}" -open "$WORKDIR/job.txt" -run writeout.exe -response '../escaped.txt'
}
no_escape() {
  local stray
  stray=$(find "$WORKDIR/client side" -name 'escaped*' ! -path "$OUT/*")
  [ -z "$stray" ] || fail "$1: a reply landed outside the output directory: $stray"
}
escape_job
case "$RC" in
  0) [ -f "$OUT/escaped.txt" ] || fail "escape: exchanged, but no escaped.txt in the output directory" ;;
  1) grep -qF "the server aborted the job" "$CLIENT_ERR" || fail "escape: $(cat "$CLIENT_ERR")" ;;
  *) fail "escape: exit code $RC; $(cat "$CLIENT_ERR")" ;;
esac
no_escape "escape through the default server (exit $RC)"

# --- -view: the server does not wait for the print program ------------------------------
before=$(ls "$OUT")
client "${SERVER[@]}" -open "$report" -view -ver -banner "Viewed job"
[ "$RC" -eq 0 ] || fail "-view: exit code $RC; $(cat "$CLIENT_ERR")"
[ "$(cat "$CLIENT_OUT")" = "received the version file: $OUT/version-3.txt" ] ||
  fail "-view: the client listed $(cat "$CLIENT_OUT")"
[ "$(ls "$OUT")" = "$(printf '%s\n' "$before" version-3.txt | sort)" ] ||
  fail "-view: the output directory holds $(ls "$OUT")"
# The print program goes on after the connection has ended; its job still prints.
for _ in $(seq 600); do
  [ "$(jobs_count)" -ge 2 ] && tail -c 100 "$(job_files "$SPOOL" | tail -n 1)" | grep -q '%%EOF' && break
  sleep 0.1
done
[ "$(jobs_count)" -eq 2 ] || fail "-view: the job did not print"
readback text "$(job_files "$SPOOL" | tail -n 1)" | grep -qF "Viewed job" || fail "-view: not the viewed job"
echo "-view: only the replies before the job, and the job printed after: ok"

# --- the same escape through a server that trusts its clients ---------------------------
# Its print program writes the response beside the server's directory and the server
# announces it as '../escaped.txt'; the client stores it in its output directory alone.
server_stop
server_start "$RUNDIR" "$PORT" -trustclients
rm -f "$OUT"/escaped*.txt
escape_job
[ "$RC" -eq 0 ] || fail "trusting server: exit code $RC; $(cat "$CLIENT_ERR")"
grep -qxF "received the response file: $OUT/escaped.txt" "$CLIENT_OUT" ||
  fail "trusting server: the client listed $(cat "$CLIENT_OUT")"
head -n 1 "$OUT/escaped.txt" | grep -q '^writeout: ' || fail "trusting server: escaped.txt is not the response"
no_escape "escape through a trusting server"
[ ! -e "$WORKDIR/escaped.txt" ] || fail "the server kept the response it sent"
echo "a response name that leaves the directory is stored inside it: ok"

server_stop
echo "client and server: all cases passed"
