#!/usr/bin/env bash
# draxome_server.sh DRAXOMESERVER_EXE DRAXOME_EXE WRITEOUT_EXE
# The print server and the print program together under Wine, in a directory of their
# own with the virtual printers, driven over loopback by lib/printclient.py: start-up
# cleanup, a printed job read back from the PostScript, every inventory flag with
# -response and -reslist in one job, -view, -disablelog, the aborts (missing print list,
# wrong first message, client abort, missing response file, unparsable command line),
# clients that vanish, a second client waiting in the backlog, -listenaddr fallbacks, a
# port already in use, and the start-up failures with their exit codes.
# Every server gets a port of its own (never 2345, where a demo may run) and is killed at
# the end whatever happens.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"

[ $# -eq 3 ] || fail "usage: $0 DRAXOMESERVER_EXE DRAXOME_EXE WRITEOUT_EXE"
require_tools gs python3 timeout cmp awk
make_workdir
# This test's own limits: a server lives at most 600 s and must listen within 60 s.
SYSTEST_SERVER_LIMIT=${SYSTEST_SERVER_LIMIT:-600}
SERVER_START_LIMIT=60

RUNDIR=$WORKDIR/run
SPOOL=$WORKDIR/spool
mkdir -p "$RUNDIR" "$SPOOL"
export DRAXOME_SPOOL_DIR=$SPOOL
for exe in "$@"; do
  [ -f "$exe" ] || fail "$exe does not exist; build it first"
done
cp "$1" "$RUNDIR/draxomeServer.exe"
cp "$2" "$RUNDIR/draxome.exe"
cp "$3" "$RUNDIR/writeout.exe"
SOURCE=unsigned' __stdcall PPrinterServer::dispatch( LPVOID lpParam )'

# run_server DIR ARG...: the server in DIR in the foreground; RC := its exit code
run_server() {
  local dir=$1
  shift
  RC=0
  (cd "$dir" && run_windows draxomeServer.exe "$@") >>"$WORKDIR/server.out" 2>&1 || RC=$?
}

expect_log_line() {
  server_log "$RUNDIR" | grep -Fx -- "$1" >/dev/null || fail "the server log lacks '$1'; it holds:
$(server_log "$RUNDIR" | tail -20)"
}

jobs_count() { job_files "$SPOOL" | wc -l; }

wait_jobs() {
  local n=$1 i
  for i in $(seq 300); do
    [ "$(jobs_count)" -ge "$n" ] && return 0
    sleep 0.1
  done
  fail "expected $n printed jobs, found $(jobs_count)"
}

# The stamp of the job whose log a client was sent: tmpLog.<N>.txt -> N
stamp_of() { sed -n 's/^file 4102 tmpLog\.\(.*\)\.txt [0-9]*$/\1/p' <<<"$1"; }

# --- start-up: old temporary files go, directories and other files stay ---------------
for f in tmpLog.5.txt TMPCMDFILE.1..ini tmpfilename.x tmpLogX keep.txt; do : >"$RUNDIR/$f"; done
mkdir -p "$RUNDIR/tmpFilename.d"
: >"$RUNDIR/tmpFilename.d/tmpLog.1.txt"
PORT=$(free_port)
# The jobs below hand their file to writeout.exe, which clients may name only once the
# administrator allowed it.
server_start "$RUNDIR" "$PORT" -allowrun writeout.exe
for f in tmpLog.5.txt TMPCMDFILE.1..ini tmpfilename.x tmpLogX; do
  [ ! -e "$RUNDIR/$f" ] || fail "start-up left $f"
done
[ -f "$RUNDIR/keep.txt" ] && [ -f "$RUNDIR/tmpFilename.d/tmpLog.1.txt" ] ||
  fail "start-up removed keep.txt or went into the directory tmpFilename.d"
for f in prntlist.txt fontlist.txt version.txt; do
  [ -s "$RUNDIR/$f" ] || fail "the inventory run did not write $f"
done
server_log "$RUNDIR" | grep -E '^Info: LOG ON: [0-9]+-[0-9]+-[0-9]+ \(d-m-y\), [0-9]+:[0-9]+:[0-9]+$' >/dev/null ||
  fail "no LOG ON line: $(server_log "$RUNDIR")"
expect_log_line "Info: Version=v0.0.8"
echo "start-up: old temporary files removed whatever their case, directory left, inventories written: ok"

# --- a printed job, read back from the PostScript --------------------------------------
printf 'DRAXOME SERVER JOB 4711\r\nsecond line of the job\r\n' >"$WORKDIR/report.pdf"
mkdir -p "$WORKDIR/got"
got=$(printclient "$PORT" --cmdline='-open C:\docs\report.pdf -docname "server job"' --file "$WORKDIR/report.pdf" --out "$WORKDIR/got")
N=$(stamp_of "$got")
[ -n "$N" ] || fail "a printed job: no job log came back: $got"
expect_reply "$got" "file 4102 tmpLog.$N.txt $(stat -c %s "$RUNDIR/tmpLog.$N.txt")" closed
cmp -s "$WORKDIR/got/0-tmpLog.$N.txt" "$RUNDIR/tmpLog.$N.txt" || fail "the log sent is not the job log"
grep -F 'End printing' "$WORKDIR/got/0-tmpLog.$N.txt" >/dev/null || fail "the job log does not end the printing: $(cat "$WORKDIR/got/0-tmpLog.$N.txt")"
[ "$(cat "$RUNDIR/tmpCmdfile.$N.ini")" = '-open C:\docs\report.pdf -docname "server job"' ] ||
  fail "the command file holds '$(cat "$RUNDIR/tmpCmdfile.$N.ini")'"
cmp -s "$WORKDIR/report.pdf" "$RUNDIR/tmpFilename.$N.txt" || fail "the staged document differs from the one sent"
wait_jobs 1
# A job that succeeds leaves only its connection line in the server log.
[ "$(server_log "$RUNDIR" | tail -n 1)" = "Info: PPrinterServer::run(): connection accepted from 127.0.0.1(127.0.0.1)" ] ||
  fail "the server log after a good job: $(server_log "$RUNDIR" | tail -n 3)"
# Each character stands in its own cell, so the extracted words are padded: squeeze blanks.
text=$(readback text "$(job_files "$SPOOL" | tail -n 1)" | tr -s ' ') || fail "ghostscript cannot read the printed job"
grep -F 'DRAXOME SERVER JOB 4711' <<<"$text" >/dev/null && grep -F 'second line of the job' <<<"$text" >/dev/null ||
  fail "the printed page does not carry the document: $text"
echo "a printed job: staged as tmpFilename.$N.txt, printed, its log sent back, files kept: ok"

# --- every flag in one job: order and contents -----------------------------------------
printf 'run me\r\n' >"$WORKDIR/doc.txt"
rm -rf "$WORKDIR/got" && mkdir -p "$WORKDIR/got"
got=$(printclient "$PORT" --cmdline='-reslist -response resp.txt -run writeout.exe -ver -fontlist -printlist -open doc.txt' \
  --file "$WORKDIR/doc.txt" --out "$WORKDIR/got")
N=$(stamp_of "$got")
expect_reply "$got" \
  "file 4098 prntlist.txt $(stat -c %s "$RUNDIR/prntlist.txt")" \
  "file 4099 fontlist.txt $(stat -c %s "$RUNDIR/fontlist.txt")" \
  "file 4101 version.txt $(stat -c %s "$RUNDIR/version.txt")" \
  "file 4098 resp.txt $(stat -c %s "$WORKDIR/got/3-resp.txt")" \
  "file 4100 reslist.txt $(stat -c %s "$RUNDIR/reslist.txt")" \
  "file 4102 tmpLog.$N.txt $(stat -c %s "$RUNDIR/tmpLog.$N.txt")" \
  closed
for f in prntlist.txt fontlist.txt version.txt reslist.txt; do
  cmp -s "$RUNDIR/$f" "$WORKDIR/got/"*"-$f" || fail "$f sent differs from the server's"
done
[ "$(od -An -c "$WORKDIR/got/0-prntlist.txt" | tr -s ' \n' ' ')" = " V i r t u a l A 4 \n V i r t u a l L e t t e r \n " ] ||
  fail "prntlist.txt: $(od -c "$WORKDIR/got/0-prntlist.txt")"
[ "$(cat "$WORKDIR/got/4-reslist.txt")" = $'150x150\n300x300\n600x600\n1200x1200\n2400x2400' ] ||
  fail "reslist.txt: $(cat "$WORKDIR/got/4-reslist.txt")"
printf 'writeout: tmpFilename.%s.txt\nrun me\r\n' "$N" >"$WORKDIR/expected-resp.txt"
cmp -s "$WORKDIR/expected-resp.txt" "$WORKDIR/got/3-resp.txt" || fail "resp.txt holds '$(cat "$WORKDIR/got/3-resp.txt")'"
[ ! -e "$RUNDIR/resp.txt" ] || fail "the response file was not deleted after sending"
echo "every flag: print list, font list, version, response, resolutions, log in order; response deleted: ok"

# --- -disablelog and -view ------------------------------------------------------------
before=$(jobs_count)
got=$(printclient "$PORT" --cmdline='-disablelog -open doc.txt' --file "$WORKDIR/doc.txt")
expect_reply "$got" closed
wait_jobs $((before + 1))
echo "-disablelog: printed, nothing sent back: ok"

before=$(jobs_count)
logs_before=$(ls "$RUNDIR"/tmpLog.* | wc -l)
got=$(printclient "$PORT" --cmdline='-view -reslist -open doc.txt' --file "$WORKDIR/doc.txt")
expect_reply "$got" closed
wait_jobs $((before + 1))
# The print program left running writes its log to the end before the next job prints.
for _ in $(seq 100); do
  newest=$(ls -t "$RUNDIR"/tmpLog.* | head -n 1)
  [ "$(ls "$RUNDIR"/tmpLog.* | wc -l)" -gt "$logs_before" ] && grep -F 'End printing' "$newest" >/dev/null && break
  sleep 0.1
done
sleep 0.5
echo "-view: printed, nothing sent back, not even the log: ok"

# The print program waits here for writeout.exe (which pauses 0.7 s) before it copies the
# response file: a client that sees the connection closed while that file is still
# missing was not held up by the print program, not even through an inherited socket.
got=$(printclient "$PORT" --cmdline='-view -run writeout.exe -response viewresp.txt -open doc.txt' --file "$WORKDIR/doc.txt")
[ ! -e "$RUNDIR/viewresp.txt" ] || fail "-view: the connection stayed open until the print program had ended"
expect_reply "$got" closed
for _ in $(seq 100); do [ -e "$RUNDIR/viewresp.txt" ] && break; sleep 0.1; done
[ -e "$RUNDIR/viewresp.txt" ] || fail "-view: the print program did not run the job"
sleep 0.5
echo "-view: the connection closes while the print program still runs; the response file stays: ok"

# --- aborts ---------------------------------------------------------------------------
before=$(jobs_count)
mv "$RUNDIR/prntlist.txt" "$WORKDIR/prntlist.saved"
got=$(printclient "$PORT" --cmdline='-printlist -fontlist -open doc.txt' --file "$WORKDIR/doc.txt")
expect_reply "$got" "abort USockMAbort|Could not send printlist.txt to printer client|Check if printlist.txt exists on server|$SOURCE" closed
server_log "$RUNDIR" | tail -n 7 | diff - <(printf '%s\n' \
  "Error: USockMFile::write(): file==NULL: could not open file" \
  "Error: PPrinterServer::dispatch(): msgPrintList: could not send" \
  "Error: Communication error information:" \
  $'Error: \tException Name: USockMAbort' \
  $'Error: \tError Message: Could not send printlist.txt to printer client' \
  $'Error: \tDescription: Check if printlist.txt exists on server' \
  $'Error: \tSource: '"$SOURCE") >/dev/null || fail "the server log after a missing print list: $(server_log "$RUNDIR" | tail -n 7)"
mv "$WORKDIR/prntlist.saved" "$RUNDIR/prntlist.txt"
echo "prntlist.txt missing: the abort, its log lines, no job: ok"

got=$(printclient "$PORT" --type 0x1001 --file "$WORKDIR/doc.txt")
expect_reply "$got" "abort USockMAbortType|Wrong message type received|Expected type was msgCmdLine (4096); received type was 4097|$SOURCE" closed
expect_log_line "Error: PPrinterServer::dispatch(): msgCmdLine: received an unexpected type"
echo "a first message of the wrong type: the type abort: ok"

got=$(printclient "$PORT" --cmdline='-open doc.txt' --abort 'the user gave up')
expect_reply "$got" closed
expect_log_line "Error: PPrinterServer::dispatch(): msgFileName: connection aborted by peer"
expect_log_line $'Error: \tError Message: the user gave up'
echo "a client abort in place of the document: logged, nothing sent: ok"

got=$(printclient "$PORT" --cmdline='-reslist -response nothing.txt -open doc.txt' --file "$WORKDIR/doc.txt")
expect_reply "$got" "abort USockMAbort|Could not send the -run response file back to client. This usually means the response file was not created by the process.|Check the -run parameter.|$SOURCE" closed
expect_log_line "Error: PPrinterServer::dispatch(): msgResponse: could not send"
wait_jobs $((before + 1))
echo "a missing response file: the job ran, then the abort, no resolution list or log: ok"

got=$(printclient "$PORT" --cmdline='-printlist -open doc.txt -response')
expect_reply "$got" "abort USockMAbort|Could not parse command line sent by printer client|An option that takes a value (-open, -response, -logfile, -listenaddr) came without one|$SOURCE" closed
expect_log_line "Error: Error in KeltoCmdLine::parse(): -response"
echo "a command line that does not parse: the abort, nothing sent or run: ok"

# Clients that vanish: before a word, in the middle of the command line, in the document.
printclient "$PORT" --cmdline='-ver' --cut 0 >/dev/null
printclient "$PORT" --cmdline='-ver' --cut 9 >/dev/null
printclient "$PORT" --cmdline='-open doc.txt' --file "$WORKDIR/doc.txt" --cut 40 >/dev/null
got=$(printclient "$PORT" --cmdline='-ver -disablelog')
expect_reply "$got" "file 4101 version.txt $(stat -c %s "$RUNDIR/version.txt")" closed
[ "$(jobs_count)" -eq $((before + 1)) ] || fail "a vanished client's job was printed"
echo "clients that vanish end only their own exchange: ok"

# --- a second client waits in the backlog while a job prints ---------------------------
before=$(jobs_count)
(printclient "$PORT" --cmdline='-open doc.txt' --file "$WORKDIR/doc.txt" --delay 3 >"$WORKDIR/a.out"; date +%s%N >"$WORKDIR/a.end") &
a_pid=$!
sleep 1
(printclient "$PORT" --cmdline='-ver -disablelog' >"$WORKDIR/b.out"; date +%s%N >"$WORKDIR/b.end") &
b_pid=$!
wait "$a_pid" "$b_pid"
[ "$(tail -n 1 "$WORKDIR/a.out")" = closed ] && [ "$(head -n 1 "$WORKDIR/a.out" | cut -d' ' -f1-2)" = "file 4102" ] ||
  fail "the first client: $(cat "$WORKDIR/a.out")"
expect_reply "$(cat "$WORKDIR/b.out")" "file 4101 version.txt $(stat -c %s "$RUNDIR/version.txt")" closed
[ "$(cat "$WORKDIR/b.end")" -gt "$(cat "$WORKDIR/a.end")" ] || fail "the second client was served before the first had finished"
wait_jobs $((before + 1))
echo "a second client is served after the first connection is closed: ok"

# --- a port already in use --------------------------------------------------------------
mkdir -p "$WORKDIR/second"
cp "$RUNDIR/draxomeServer.exe" "$RUNDIR/draxome.exe" "$WORKDIR/second/"
run_server "$WORKDIR/second" -listenaddr "127.0.0.1:$PORT"
[ "$RC" -eq 0 ] || fail "a port in use: exit code $RC, expected 0"
server_log "$WORKDIR/second" | tail -n 6 | diff - <(printf '%s\n' "Info: Version=v0.0.8" \
  "Error: PPrinterServer::run(): could not bind socket" "Info: " "-----------------------------------------" "" "") >/dev/null ||
  fail "a port in use: the log ends with $(server_log "$WORKDIR/second" | tail -n 6)"
kill -0 "$SERVER_PID" 2>/dev/null || fail "the first server has gone"
echo "a port already in use: could not bind, the closing separator, exit code 0: ok"
server_stop

# --- -listenaddr fallbacks and start-up failures ------------------------------------------
mkdir -p "$WORKDIR/third"
cp "$RUNDIR/draxomeServer.exe" "$RUNDIR/draxome.exe" "$WORKDIR/third/"
for address in 127.0.0.1:70000 127.0.0.1 :$PORT; do
  rm -f "$WORKDIR/third/draxomeServerLog.txt"
  if listening 2345; then
    # A server already holds the default port: one that falls back to it cannot bind.
    run_server "$WORKDIR/third" -listenaddr "$address"
    [ "$RC" -eq 0 ] || fail "-listenaddr $address with 2345 taken: exit code $RC"
    server_log "$WORKDIR/third" | grep -Fx "Error: PPrinterServer::run(): could not bind socket" >/dev/null ||
      fail "-listenaddr $address with 2345 taken: $(server_log "$WORKDIR/third")"
  else
    server_spawn "$WORKDIR/third" "$SYSTEST_SOURCE/tools/wine-run" draxomeServer.exe -listenaddr "$address"
    server_wait 2345
    got=$(printclient 2345 --cmdline='-ver -disablelog')
    expect_reply "$got" "file 4101 version.txt $(stat -c %s "$WORKDIR/third/version.txt")" closed
    server_stop
  fi
  listening "$PORT" && fail "-listenaddr $address: something listens on $PORT"
done
echo "-listenaddr without a valid port or host: the server listens on 0.0.0.0:2345: ok"

mkdir -p "$WORKDIR/fourth"
cp "$RUNDIR/draxomeServer.exe" "$WORKDIR/fourth/"
: >"$WORKDIR/fourth/tmpLog.1.txt"
run_server "$WORKDIR/fourth" -printlist -listenaddr
[ "$RC" -eq 255 ] || fail "-listenaddr as the last argument: exit code $RC, expected -1 (255)"
[ "$(server_log "$WORKDIR/fourth")" = "Error: Error in KeltoCmdLine::parse(): -listenaddr" ] ||
  fail "-listenaddr as the last argument: the log holds $(server_log "$WORKDIR/fourth")"
[ ! -e "$WORKDIR/fourth/tmpLog.1.txt" ] || fail "the cleanup comes before the command line"
rm -f "$WORKDIR/fourth/draxomeServerLog.txt"
run_server "$WORKDIR/fourth" -listenaddr "127.0.0.1:$(free_port)"
[ "$RC" -eq 1 ] || fail "no print program: exit code $RC, expected 1"
server_log "$WORKDIR/fourth" | tail -n 1 | grep -Fx "Error: main::WinMain(): could not find velquin.exe or draxome.exe" >/dev/null ||
  fail "no print program: the log holds $(server_log "$WORKDIR/fourth")"
echo "start-up failures: -1 for a command line that does not parse, 1 without print program: ok"
echo "draxome server under Wine: all cases passed"
