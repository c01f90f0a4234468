#!/usr/bin/env bash
# client_server.sh DRAXOME_EXE SERVER_EXE WRITEOUT_EXE CLIENT
# The Linux draxomeClient against draxomeServer.exe and draxome.exe under Wine: a job
# with every reply, a local file with blanks in its name printed and read back, an abort,
# and a response name that tries to leave the output directory.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"

[ $# -eq 4 ] || fail "usage: $0 DRAXOME_EXE SERVER_EXE WRITEOUT_EXE CLIENT"
CLIENT=$(realpath -- "$4")
[ -x "$CLIENT" ] || fail "$CLIENT is not there; build the native client first"
make_workdir
draxome_setup "$1" "$2" "$3"
PORT=$(free_port)
# Blanks in the directories too: nothing on the client's side may split a path.
OUT="$WORKDIR/client side/out dir"
mkdir -p "$OUT"
server_start "$RUNDIR" "$PORT" -allowrun writeout.exe
SERVER=(-server "127.0.0.1:$PORT" -outdir "$OUT" -timeout 60)
# expect_client RC LINE...: the client's exit code and standard output
expect_client() {
  local rc=$1
  shift
  [ "$RC" -eq "$rc" ] && [ "$(cat "$CLIENT_OUT")" = "$(printf '%s\n' "$@")" ] ||
    fail "the client ended with $RC and listed $(cat "$CLIENT_OUT"); $(cat "$CLIENT_ERR")"
}

# --- a job with every reply ------------------------------------------------------------
printf 'first line of the job\r\nsecond line\r\n' >"$WORKDIR/job.txt"
client "${SERVER[@]}" -open "$WORKDIR/job.txt" -run writeout.exe -response answer.txt -printlist -fontlist -ver -reslist
expect_client 0 "received the printer list: $OUT/prntlist.txt" "received the font list: $OUT/fontlist.txt" \
  "received the version file: $OUT/version.txt" "received the response file: $OUT/answer.txt" \
  "received the resolution list: $OUT/reslist.txt" "received the job log: $OUT/joblog.txt"
# The inventories are the server's own files, byte for byte.
for f in prntlist.txt fontlist.txt version.txt reslist.txt; do
  cmp -s "$RUNDIR/$f" "$OUT/$f" || fail "$f differs from the server's"
done
# writeout ran on the server's copy of the job and wrote its name and the bytes sent.
head -n 1 "$OUT/answer.txt" | grep -Eq '^writeout: tmpFilename\.[^ ]+\.txt$' && cmp -s <(tail -n +2 "$OUT/answer.txt") "$WORKDIR/job.txt" ||
  fail "the response holds $(cat "$OUT/answer.txt")"
[ ! -e "$RUNDIR/answer.txt" ] || fail "the server kept the response file after sending it"
grep -q 'draxome' "$OUT/joblog.txt" && ! grep -E '^Error' "$OUT/joblog.txt" || fail "the job log: $(cat "$OUT/joblog.txt")"
[ ! -s "$CLIENT_ERR" ] && [ "$(jobs_count)" -eq 0 ] || fail "every reply: $(cat "$CLIENT_ERR"); $(jobs_count) jobs"
echo "a job with every reply, in order, the response made by -run: ok"

# --- printed, read back; a local file with blanks in its name ---------------------------
mkdir -p "$WORKDIR/my files"
report="$WORKDIR/my files/monthly report (v2).txt"
{
  printf 'Sent through draxomeClient to the print server\r\n\r\n'
  printf '\xb3 Stock item 4711, quantity 12 \xb3\r\n'
  for i in $(seq 1 8); do printf 'line %02d of the client report %s\r\n' "$i" "$(printf 'x%.0s' $(seq $((i * 12))))"; done
} >"$report"
client "${SERVER[@]}" -open "$report" -orientation landscape -graph -banner "Banner through the client"
expect_client 0 "received the job log: $OUT/joblog-1.txt"
[ ! -s "$CLIENT_ERR" ] && [ "$(jobs_count)" -eq 1 ] || fail "printed job: $(cat "$CLIENT_ERR"); $(jobs_count) jobs"
job=$(job_files "$SPOOL")
# The font is narrowed to fit the widest line, and extraction then spaces words apart.
text=$(readback text "$job" | tr -s ' ')
for want in "Sent through draxomeClient to the print server" "Stock item 4711, quantity 12" \
  "line 08 of the client report" "Banner through the client"; do
  grep -qF -- "$want" <<<"$text" || fail "the printout lacks '$want'; it reads:
$text"
done
grep -q '%%Orientation: Landscape' "$job" || fail "the printout is not landscape"
echo "a file with blanks in its name printed landscape with its banner: ok"

# --- an abort: a response file that the job does not create ------------------------------
# writeout.exe writes nothing for a file that begins with "no output".
printf 'no output, please\r\n' >"$WORKDIR/quiet.txt"
client "${SERVER[@]}" -open "$WORKDIR/quiet.txt" -run writeout.exe -response missing.txt -ver
# What came before the abort is kept; the response that never came leaves no file.
expect_client 1 "received the version file: $OUT/version-1.txt"
for want in "draxomeClient: the server aborted the job:" "  title:       $T" \
  "  name:        USockMAbort" \
  "  error:       Could not send the -run response file back to client. This usually means the response file was not created by the process." \
  "  description: Check the -run parameter." \
  "  source:      $SOURCE"; do
  grep -qxF -- "$want" "$CLIENT_ERR" || fail "abort: standard error lacks '$want'; it holds:
$(cat "$CLIENT_ERR")"
done
[ ! -e "$OUT/missing.txt" ] || fail "abort: an empty response file was left"
echo "abort: exit 1 and the five fields on standard error: ok"

# --- a response name that leaves the output directory ------------------------------------
# A server that trusts its clients lets '../escaped.txt' through: its print program writes
# the response beside the server's directory and the server announces it by that name.
# The client stores it in its output directory alone.
server_stop
server_start "$RUNDIR" "$PORT" -trustclients
client "${SERVER[@]}" -open "$WORKDIR/job.txt" -run writeout.exe -response '../escaped.txt'
[ "$RC" -eq 0 ] && grep -qxF "received the response file: $OUT/escaped.txt" "$CLIENT_OUT" ||
  fail "escape: exit code $RC; $(cat "$CLIENT_OUT" "$CLIENT_ERR")"
head -n 1 "$OUT/escaped.txt" | grep -q '^writeout: ' || fail "escape: escaped.txt is not the response"
[ -z "$(find "$WORKDIR/client side" -name 'escaped*' ! -path "$OUT/*")" ] || fail "escape: a reply landed outside the output directory"
[ ! -e "$WORKDIR/escaped.txt" ] || fail "the server kept the response it sent"
server_stop
echo "a response name that leaves the directory is stored inside it: ok"
