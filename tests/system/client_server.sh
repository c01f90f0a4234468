#!/usr/bin/env bash
# client_server.sh DRAXOME_EXE SERVER_EXE WRITEOUT_EXE CLIENT
# The Linux draxomeClient against draxomeServer.exe and draxome.exe under Wine: a job
# with every reply, a local file with blanks in its name printed and read back, an abort,
# files as arguments and from standard input with copies, duplex and Letter, a typo
# returned to the client, and a long report outlasting -timeout while a client that gave
# up is dropped. Reply names that try to leave the output directory are the client's
# native tests'.
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
[ ! -s "$CLIENT_ERR" ] && [ "$(jobs_count)" -eq 0 ] || fail "every reply: $(cat "$CLIENT_ERR"); $(jobs_count) jobs"
echo "a job with every reply, in order: ok"

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

# --- files as arguments, standard input, one job each; copies, duplex, Letter -------------
printf 'first of three\r\n' >"$WORKDIR/one.txt"
printf 'third of three\r\n' >"$WORKDIR/three.txt"
before=$(jobs_count)
printf 'second of three, from standard input\r\n' >"$WORKDIR/two.txt"
# Standard input from a file, not a pipe: a pipe would run the client in a subshell, and
# RC would never leave it.
client -copies 2 "$WORKDIR/one.txt" "${SERVER[@]}" - -duplex long -quiet -papersize LETTER -open "$WORKDIR/three.txt" <"$WORKDIR/two.txt"
[ "$RC" -eq 0 ] && [ "$(cat "$CLIENT_ERR")" = "draxomeClient: $WORKDIR/one.txt: printed
draxomeClient: stdin: printed
draxomeClient: $WORKDIR/three.txt: printed" ] || fail "three files: exit $RC; $(cat "$CLIENT_ERR")"
mapfile -t printed < <(job_files "$SPOOL" | tail -n +$((before + 1)))
[ "${#printed[@]}" -eq 3 ] || fail "three files gave ${#printed[@]} printouts"
n=0
for want in "one.txt|first of three" "stdin|second of three, from standard input" "three.txt|third of three"; do
  job=${printed[$n]}
  n=$((n + 1))
  grep -qF -- "${want%%|*}" "$job" || fail "job $n is not named ${want%%|*} in the queue"
  readback text "$job" | tr -s ' ' | grep -qF -- "${want#*|}" || fail "job $n does not read '${want#*|}'"
  # Wine's PostScript driver carries the copies in its job ticket, not as /NumCopies.
  grep -qx '%cupsJobTicket: copies=2' "$job" && grep -q '/Duplex true/Tumble false' "$job" ||
    fail "job $n lacks 2 copies or long-edge duplex: $(grep -E 'copies|Duplex' "$job")"
  [ "$(readback pagesize "$job" | sort -u)" = '612 792' ] || fail "job $n is not on Letter"
done
echo "three files, one from standard input, three jobs named after them, 2 copies, duplex, Letter: ok"

# --- a typo and a paper the printer lacks come back to the client: exit 4 ----------------
client "${SERVER[@]}" "$WORKDIR/job.txt" -orientaton landscape -papersize Tabloid
[ "$RC" -eq 4 ] || fail "a typo: exit $RC; $(cat "$CLIENT_ERR")"
for want in "Warning\[[^]]*\]: papersize TABLOID: the printer Virtual A4 cannot print on it; using its default, A4" \
  "Error\[[^]]*\]: Unknown option -orientaton" "Error\[[^]]*\]: Unknown option landscape"; do
  grep -qE "^$WORKDIR/job.txt: $want\$" "$CLIENT_ERR" || fail "a typo: standard error lacks '$want':
$(cat "$CLIENT_ERR")"
done
echo "a mistyped option and a paper the printer cannot do reach the client, exit 4: ok"

# --- a 500-page report on Legal outlasts -timeout; a client that gave up meanwhile -------
awk 'BEGIN { for (p = 1; p <= 500; p++) { for (i = 1; i <= 60; i++) printf "page %03d line %02d of a long report\r\n", p, i
                                            printf "\f" } }' >"$WORKDIR/long.txt"
before=$(jobs_count)
started=$SECONDS
"$CLIENT" "${SERVER[@]}" -timeout 2 -quiet -papersize legal "$WORKDIR/long.txt" >"$WORKDIR/long.out" 2>&1 &
long=$!
sleep 1
# Sent into the backlog while the server prints, then given up.
printf 'never printed\r\n' >"$WORKDIR/gone.txt"
"$CLIENT" "${SERVER[@]}" "$WORKDIR/gone.txt" >/dev/null 2>&1 &
gone=$!
sleep 1
kill -TERM "$gone"
wait "$gone" || true
rc=0
wait "$long" || rc=$?
[ "$rc" -eq 0 ] || fail "the long report: exit $rc; $(cat "$WORKDIR/long.out")"
# Else the case proves nothing about the wait.
[ $((SECONDS - started)) -gt 4 ] || fail "the long report took $((SECONDS - started)) s, not enough to outlast -timeout"
poll eval 'server_log "$RUNDIR" | grep -qF "the client has gone before its job was printed"' ||
  fail "the server did not drop the job of the client that had gone: $(server_log "$RUNDIR" | tail -5)"
[ "$(jobs_count)" -eq $((before + 1)) ] || fail "$(($(jobs_count) - before)) printouts, expected the long one alone"
job=$(job_files "$SPOOL" | tail -n 1)
[ "$(grep -c '^%%Page:' "$job")" -eq 500 ] && [ "$(readback pagesize "$job" | sort -u)" = '612 1008' ] ||
  fail "the long report: $(grep -c '^%%Page:' "$job") pages on $(readback pagesize "$job" | sort -u)"
[ -z "$(find "$RUNDIR" -name 'tmpFilename*' -newer "$WORKDIR/gone.txt")" ] || fail "the dropped job's document was left"
echo "a 500-page report on Legal without a client time-out; the job of a client that had gone is dropped: ok"
