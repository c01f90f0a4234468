#!/usr/bin/env bash
# draxome_server.sh DRAXOMESERVER_EXE DRAXOME_EXE WRITEOUT_EXE
# The print server with the real print program under Wine, driven over loopback by
# lib/printclient.py: start-up cleanup and inventories, a printed job read back from the
# PostScript, -disablelog and -view. Every reply and the aborts are shown by the exchange
# tests natively and by client_server with the real programs.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"

[ $# -eq 3 ] || fail "usage: $0 DRAXOMESERVER_EXE DRAXOME_EXE WRITEOUT_EXE"
make_workdir
draxome_setup "$@"

# The stamp of the job whose log a client was sent: tmpLog.<N>.txt -> N
stamp_of() { sed -n 's/^file 4102 tmpLog\.\(.*\)\.txt [0-9]*$/\1/p' <<<"$1"; }

# --- start-up: old temporary files go, whatever their case; other files stay ------------
for f in tmpLog.5.txt TMPCMDFILE.1..ini keep.txt; do : >"$RUNDIR/$f"; done
PORT=$(free_port)
server_start "$RUNDIR" "$PORT" -allowrun writeout.exe
[ ! -e "$RUNDIR/tmpLog.5.txt" ] && [ ! -e "$RUNDIR/TMPCMDFILE.1..ini" ] && [ -f "$RUNDIR/keep.txt" ] ||
  fail "start-up cleanup: $(ls "$RUNDIR")"
for f in prntlist.txt fontlist.txt version.txt; do
  [ -s "$RUNDIR/$f" ] || fail "the inventory run did not write $f"
done
echo "start-up: old temporary files removed, inventories written: ok"

# --- a printed job, read back from the PostScript --------------------------------------
printf 'DRAXOME SERVER JOB 4711\r\nsecond line of the job\r\n' >"$WORKDIR/report.pdf"
send '-open C:\docs\report.pdf -docname "server job"' "$WORKDIR/report.pdf"
N=$(stamp_of "$GOT")
[ "$(cut -d' ' -f2,3 <<<"$GOT" | tr '\n' ' ')" = "4102 tmpLog.$N.txt closed " ] && cmp -s "$WORKDIR/got/0-tmpLog.$N.txt" "$RUNDIR/tmpLog.$N.txt" ||
  fail "a printed job: the client got $GOT"
grep -F 'End printing' "$RUNDIR/tmpLog.$N.txt" >/dev/null || fail "the job log does not end the printing"
[ "$(cat "$RUNDIR/tmpCmdfile.$N.ini")" = '-open C:\docs\report.pdf -docname "server job"' ] ||
  fail "the command file holds '$(cat "$RUNDIR/tmpCmdfile.$N.ini")'"
cmp -s "$WORKDIR/report.pdf" "$RUNDIR/tmpFilename.$N.txt" || fail "the staged document differs from the one sent"
wait_jobs 1
# A job that succeeds leaves only its connection line in the server log.
[ "$(server_log "$RUNDIR" | tail -n 1)" = "Info: PPrinterServer::run(): connection accepted from 127.0.0.1(127.0.0.1)" ] ||
  fail "the server log after a good job: $(server_log "$RUNDIR" | tail -n 3)"
# Each character stands in its own cell, so the extracted words are padded: squeeze blanks.
text=$(readback text "$(job_files "$SPOOL" | tail -n 1)" | tr -s ' ')
grep -F 'DRAXOME SERVER JOB 4711' <<<"$text" >/dev/null && grep -F 'second line of the job' <<<"$text" >/dev/null ||
  fail "the printed page does not carry the document: $text"
echo "a printed job: staged, printed, read back, its log sent: ok"

# --- -disablelog and -view: printed, nothing sent back --------------------------------
printf 'run me\r\n' >"$WORKDIR/doc.txt"
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
