#!/usr/bin/env bash
# draxome_server.sh DRAXOMESERVER_EXE DRAXOME_EXE WRITEOUT_EXE
# The print server with the real print program under Wine, driven over loopback by
# lib/printclient.py: start-up cleanup and inventories, -disablelog and -view; then the job
# checks: one refused form for each kind of attack, answered by its abort and one Error
# line, with nothing written, deleted, printed or started; the allowed forms; and
# -trustclients, which turns the checks off. A job's staged files, every reply, the aborts
# and silent clients are the exchange tests' natively; printed jobs are read back by
# client_server with the real programs.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"

[ $# -eq 3 ] || fail "usage: $0 DRAXOMESERVER_EXE DRAXOME_EXE WRITEOUT_EXE"
make_workdir
draxome_setup "$@"
OUT=$WORKDIR/outside
mkdir -p "$OUT"
printf 'the secret\r\n' >"$OUT/secret.txt"
# Wine's Z: drive is the Linux root.
Z="Z:${OUT//\//\\}"
printf 'a document\r\n' >"$WORKDIR/doc.txt"
LOG=$RUNDIR/draxomeServerLog.txt

# job LINE: send LINE, with the document when LINE opens one
job() { if [[ $1 == -open* ]]; then send "$1" "$WORKDIR/doc.txt"; else send "$1"; fi; }
# The types of GOT's replies, e.g. "4098 4102 closed"
types() { awk '{ printf "%s%s", (NR > 1 ? " " : ""), ($1 == "file" ? $2 : $1) }' <<<"$GOT"; }
# Everything a job could write, delete, print or start.
state() { (cd "$WORKDIR" && find run outside spool -type f ! -name draxomeServerLog.txt -exec sha256sum {} + | sort); }

# --- start-up: old temporary files go, whatever their case; other files stay ------------
for f in tmpLog.5.txt TMPCMDFILE.1..ini keep.txt; do : >"$RUNDIR/$f"; done
PORT=$(free_port)
server_start "$RUNDIR" "$PORT" -allowrun writeout.exe -clienttimeout 30
[ ! -e "$RUNDIR/tmpLog.5.txt" ] && [ ! -e "$RUNDIR/TMPCMDFILE.1..ini" ] && [ -f "$RUNDIR/keep.txt" ] ||
  fail "start-up cleanup: $(ls "$RUNDIR")"
for f in prntlist.txt fontlist.txt version.txt; do [ -s "$RUNDIR/$f" ] || fail "the inventory run did not write $f"; done
echo "start-up: old temporary files removed, inventories written: ok"

# --- -disablelog and -view: printed, nothing sent back --------------------------------
for flags in -disablelog '-view -reslist'; do
  before=$(jobs_count)
  send "$flags -open doc.txt" "$WORKDIR/doc.txt"
  expect_reply "$GOT" closed
  wait_jobs $((before + 1))
done
# The print program left running by -view writes its log to the end before the next job.
poll eval 'grep -qF "End printing" "$(ls -t "$RUNDIR"/tmpLog.* | head -n 1)"' || fail "-view: the job log was not ended"
# The print program waits here for writeout.exe (which pauses 0.7 s) before it copies the
# response file: a client that sees the connection closed while that file is still
# missing was not held up by the print program, not even through an inherited socket.
got=$(printclient "$PORT" --cmdline='-view -run writeout.exe -response viewresp.txt -open doc.txt' --file "$WORKDIR/doc.txt")
[ ! -e "$RUNDIR/viewresp.txt" ] || fail "-view: the connection stayed open until the print program had ended"
expect_reply "$got" closed
poll test -e "$RUNDIR/viewresp.txt" || fail "-view: the print program did not run the job"
sleep 0.5
echo "-disablelog and -view: printed, nothing sent; -view does not wait for the print program: ok"

# --- refused: LINE, the start of the abort's error ---------------------------------------------------
refused=(
  "-response $Z\\secret.txt" "Refused -response '$Z\\secret.txt': not a plain file name"
  '-open doc.txt -response PRNTLIST.TXT' "Refused -response 'PRNTLIST.TXT': a file of that name exists in the server's directory"
  '-open doc.txt -copy ..\written.txt' "Refused -copy '..\\written.txt': not a plain file name"
  '-open doc.txt -copy VERSION.dll' "Refused -copy 'VERSION.dll': a file name with an extension that Windows runs or loads"
  "-open doc.txt \"-cmdfile\" $Z\\secret.txt" 'Refused -cmdfile: a printer client may not have the print program read a command file'
  '-open doc.txt -run cmd.exe -response out.txt' "Refused -run 'cmd.exe': this server allows no such program for printer clients"
  "-listenaddr -open $Z\\secret.txt" 'Refused -open as argument 2: the server reads it as the value of another option, and the print program would open that file instead of the document sent'
  '-open doc.txt -printername \\192.0.2.1\share' "Refused -printername '\\\\192.0.2.1\\share': a printer of another machine that is not installed on this server"
)
for ((i = 0; i < ${#refused[@]}; i += 2)); do
  line=${refused[i]} before=$(state) size=$(stat -c %s "$LOG")
  job "$line"
  IFS='|' read -r title name error description source <<<"$(head -n 1 <<<"$GOT")"
  [ "$title" = "abort $T" ] && [ "$name" = USockMAbort ] && [[ $error == "${refused[i + 1]}"* ]] &&
    [[ $description == *-trustclients* ]] && [ "$source" = "$SOURCE" ] && [ "$(types)" = "abort closed" ] ||
    fail "$line: the client got $GOT"
  [ "$(tail -c +$((size + 1)) "$LOG" | tr -d '\r')" = "Info: PPrinterServer::run(): connection accepted from 127.0.0.1(127.0.0.1)
Error: PPrinterServer::dispatch(): job refused: $error" ] || fail "$line: the server log got $(tail -c +$((size + 1)) "$LOG")"
  [ "$(state)" = "$before" ] || fail "$line: something was written, deleted, printed or started"
done
echo "refused: $((i / 2)) forms, each with its abort and one log line, nothing written, deleted, printed or started: ok"

# --- allowed --------------------------------------------------------------------------
before=$(jobs_count)
job '-open doc.txt -printername "Virtual Letter" -codepage 850'
[ "$(types)" = "4102 closed" ] && [ "$(jobs_count)" -eq $((before + 1)) ] || fail "a printed job: $GOT; $(jobs_count) jobs"
job '-open doc.txt -run writeout.exe -response answer.txt'
[ "$(types)" = "4098 4102 closed" ] && head -n 1 "$WORKDIR/got/0-answer.txt" | grep -q '^writeout: tmpFilename\.' &&
  cmp -s <(tail -n +2 "$WORKDIR/got/0-answer.txt") "$WORKDIR/doc.txt" && [ ! -e "$RUNDIR/answer.txt" ] || fail "-run -response: $GOT"
job '-open doc.txt -copy Copied_Report-1.txt'
[ "$(types)" = "4102 closed" ] && cmp -s "$WORKDIR/doc.txt" "$RUNDIR/Copied_Report-1.txt" || fail "-copy: $GOT"
# Another machine's printer that the administrator installed: listed, so the job runs.
printf '\\\\printhost\\Office\n' >>"$RUNDIR/prntlist.txt"
job '-open doc.txt -printername \\printhost\Office'
[ "$(types)" = "4102 closed" ] || fail "a listed printer of another machine: $GOT"
if grep -F 'job refused: Refused -printername' "$LOG" | grep -F printhost; then fail "the listed printer was refused"; fi
echo "allowed: printed, -run with a new -response, a plain -copy, a listed printer of another machine: ok"

# --- -trustclients: the checks are off, with a Warning at start ------------------------
server_stop
size=$(stat -c %s "$LOG")
server_start "$RUNDIR" "$PORT" -trustclients
grep -F "Warning: main::WinMain(): -trustclients:" "$LOG" >/dev/null || fail "no Warning at start"
printf 'victim content\r\n' >"$OUT/victim.txt"
job "-response $Z\\victim.txt"
[[ $(types) == 4098* ]] && [ ! -e "$OUT/victim.txt" ] && [ "$(cat "$WORKDIR/got/0-"*)" = $'victim content\r' ] ||
  fail "trusted -response: $GOT"
printf -- '-hcenter secretword' >"$OUT/options.ini"
job "-open doc.txt -cmdfile $Z\\options.ini"
[[ $(types) == *"4102 closed" ]] && cat "$WORKDIR/got/"* | grep -F 'Unknown option secretword' >/dev/null ||
  fail "trusted -cmdfile: $GOT"
before=$(jobs_count)
job "-listenaddr -open $Z\\secret.txt"
[[ $(types) == *"4102 closed" ]] && [ "$(jobs_count)" -eq $((before + 1)) ] || fail "trusted hidden -open: $GOT"
job "-open doc.txt -copy $Z\\written.txt"
cmp -s "$WORKDIR/doc.txt" "$OUT/written.txt" || fail "trusted -copy did not write outside: $GOT"
if tail -c +$((size + 1)) "$LOG" | grep -F 'job refused'; then fail "-trustclients refused a job"; fi
echo "-trustclients: the Warning, and -response, -cmdfile, a hidden -open and -copy anywhere: ok"
