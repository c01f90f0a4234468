#!/usr/bin/env bash
# draxome_server.sh DRAXOMESERVER_EXE DRAXOME_EXE WRITEOUT_EXE
# The print server with the real print program under Wine, driven over loopback by
# lib/printclient.py: start-up cleanup and inventories, a printed job read back from the
# PostScript, every reply flag in one job, -disablelog, -view, and the aborts.
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

# --- every flag in one job: order and contents -----------------------------------------
printf 'run me\r\n' >"$WORKDIR/doc.txt"
send '-reslist -response resp.txt -run writeout.exe -ver -fontlist -printlist -open doc.txt' "$WORKDIR/doc.txt"
N=$(stamp_of "$GOT")
[ "$(cut -d' ' -f2,3 <<<"$GOT" | tr '\n' ' ')" = "4098 prntlist.txt 4099 fontlist.txt 4101 version.txt 4098 resp.txt 4100 reslist.txt 4102 tmpLog.$N.txt closed " ] ||
  fail "every flag: the client got $GOT"
for f in 0-prntlist.txt 1-fontlist.txt 2-version.txt 4-reslist.txt 5-tmpLog.$N.txt; do
  cmp -s "$RUNDIR/${f#*-}" "$WORKDIR/got/$f" || fail "${f#*-} sent differs from the server's"
done
cmp -s <(printf 'writeout: tmpFilename.%s.txt\nrun me\r\n' "$N") "$WORKDIR/got/3-resp.txt" ||
  fail "resp.txt holds '$(cat "$WORKDIR/got/3-resp.txt")'"
[ ! -e "$RUNDIR/resp.txt" ] || fail "the response file was not deleted after sending"
echo "every flag: print list, font list, version, response, resolutions, log in order: ok"

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

# --- aborts: PRINTCLIENT_ARGS | reply | a line of the server log ------------------------
before=$(jobs_count)
mv "$RUNDIR/prntlist.txt" "$WORKDIR/prntlist.saved"
aborts=(
  "--cmdline=-printlist -fontlist -open doc.txt" "abort $T|USockMAbort|Could not send printlist.txt to printer client|Check if printlist.txt exists on server|$SOURCE"
  "Error: PPrinterServer::dispatch(): msgPrintList: could not send"
  "--type=0x1001" "abort $T|USockMAbortType|Wrong message type received|Expected type was msgCmdLine (4096); received type was 4097|$SOURCE"
  "Error: PPrinterServer::dispatch(): msgCmdLine: received an unexpected type"
  "--abort=the user gave up" ""
  $'Error: \tError Message: the user gave up'
  "--cmdline=-reslist -response nothing.txt -open doc.txt" "abort $T|USockMAbort|Could not send the -run response file back to client. This usually means the response file was not created by the process.|Check the -run parameter.|$SOURCE"
  "Error: PPrinterServer::dispatch(): msgResponse: could not send"
  "--cmdline=-printlist -open doc.txt -response" "abort $T|USockMAbort|Could not parse command line sent by printer client|An option that takes a value (-open, -response, -logfile, -listenaddr) came without one|$SOURCE"
  "Error: Error in KeltoCmdLine::parse(): -response"
)
for ((i = 0; i < ${#aborts[@]}; i += 3)); do
  case ${aborts[i]} in
    --abort=*) got=$(printclient "$PORT" --cmdline='-open doc.txt' "${aborts[i]}") ;;
    --cmdline=*-response) got=$(printclient "$PORT" "${aborts[i]}") ;;
    *) got=$(printclient "$PORT" "${aborts[i]}" --file "$WORKDIR/doc.txt") ;;
  esac
  expect_reply "$got" ${aborts[i + 1]:+"${aborts[i + 1]}"} closed
  expect_log_line "${aborts[i + 2]}"
  [ -e "$RUNDIR/prntlist.txt" ] || mv "$WORKDIR/prntlist.saved" "$RUNDIR/prntlist.txt"
done
expect_log_line "Error: PPrinterServer::dispatch(): msgFileName: connection aborted by peer"
# Only the job whose response file was missing ran; it printed before its abort.
wait_jobs $((before + 1))
sleep 1
[ "$(jobs_count)" -eq $((before + 1)) ] || fail "an aborted job printed"
echo "aborts: missing print list, wrong first message, client abort, missing response, bad command line: ok"
