#!/usr/bin/env bash
# server_native.sh DRAXOMESERVER
# The native build of the server as a whole program, with a shell-script stand-in for the
# print program: start-up with its inventory run, jobs over loopback, a second client
# waiting in the backlog, and a stop during a job. Clients that vanish or send garbage are
# the exchange tests'.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"

[ $# -eq 1 ] || fail "usage: $0 DRAXOMESERVER"
[ -x "$1" ] || fail "$1 does not exist; build the draxomeServer target"
make_workdir
# This test's own limits: a server lives at most 300 s and must listen within 10 s.
SYSTEST_SERVER_LIMIT=${SYSTEST_SERVER_LIMIT:-300}
SERVER_START_LIMIT=10

RUNDIR=$WORKDIR/run
mkdir -p "$RUNDIR"
cp "$1" "$RUNDIR/draxomeServer"
# The stand-in writes the inventories it is asked for and, for a job, a log holding the
# command file; a job whose command line holds "slow" takes two seconds.
cat >"$RUNDIR/draxome.exe" <<'STANDIN'
#!/bin/sh
while [ $# -gt 0 ]; do
  case "$1" in
    -printlist) printf 'Virtual A4\nVirtual Letter\n' > prntlist.txt ;;
    -fontlist) printf 'Courier New\n' > fontlist.txt ;;
    -ver) printf 'v5.3.9' > version.txt ;;
    -cmdfile) cmd=$2 ;;
    -logfile) log=$2 ;;
  esac
  shift
done
[ -n "$cmd" ] || exit 0
case " $(cat "$cmd") " in *" slow "*) sleep 2; date +%s%N > slow.end ;; esac
printf 'Info: job of %s\r\n' "$(cat "$cmd")" > "$log"
STANDIN
chmod +x "$RUNDIR/draxome.exe"

rc=0
err=$("$RUNDIR/draxomeServer" -allowrun '" "' 2>&1 >/dev/null) || rc=$?
[ "$rc" = 255 ] && [ "$err" = "draxomeServer: argument 2 cannot be spelled in one command line" ] ||
  fail "an argument with no spelling: exit $rc, said '$err'"

PORT=$(free_port)
SERVER_CMD=./draxomeServer server_start "$RUNDIR" "$PORT"
[ -s "$RUNDIR/prntlist.txt" ] && [ -s "$RUNDIR/fontlist.txt" ] && [ -s "$RUNDIR/version.txt" ] ||
  fail "the inventory run wrote no inventories"
expect_log_line "Info: PPrinterServer::run(): listening on 127.0.0.1:$PORT"
echo "native start-up: inventory run, listening on $PORT, logged: ok"

printf 'a line\n' >"$WORKDIR/doc.txt"
send '-printlist -open doc.txt' "$WORKDIR/doc.txt"
log=$(sed -n '2s/^file 4102 \(tmpLog\..*\.txt\) .*/\1/p' <<<"$GOT")
[ -n "$log" ] && [ "$(cut -d' ' -f2,3 <<<"$GOT" | tr '\n' ' ')" = "4098 prntlist.txt 4102 $log closed " ] &&
  cmp -s "$RUNDIR/prntlist.txt" "$WORKDIR/got/0-prntlist.txt" && cmp -s "$RUNDIR/$log" "$WORKDIR/got/1-$log" || fail "a job: $GOT"
expect_log_line "Info: PPrinterServer::run(): connection accepted from 127.0.0.1(127.0.0.1)"
echo "a job: print list and log sent, the connection logged: ok"

(printclient "$PORT" --cmdline='-disablelog slow' >"$WORKDIR/a.out"; date +%s%N >"$WORKDIR/a.end") &
a=$!
sleep 0.5
(printclient "$PORT" --cmdline='-ver -disablelog' >"$WORKDIR/b.out"; date +%s%N >"$WORKDIR/b.end") &
b=$!
wait "$a" "$b"
expect_reply "$(cat "$WORKDIR/a.out")" closed
expect_reply "$(cat "$WORKDIR/b.out")" "file 4101 version.txt 6" closed
# Against the end of the slow job itself: the first client's own end is stamped by another
# process after it has read the close, which may come after the second client's.
[ "$(cat "$WORKDIR/b.end")" -gt "$(cat "$RUNDIR/slow.end")" ] || fail "the second client was served before the first had finished"
kill -0 "$SERVER_PID" 2>/dev/null || fail "the server has gone"
echo "a second client waits for the first: ok"

# Stopped while a job runs: the job ends within the grace and is served, then the server
# closes its log and ends as a success, which a service manager does not restart.
staged() { ls "$RUNDIR" | grep -c '^tmpCmdfile\.' || true; }
before=$(staged)
printclient "$PORT" --cmdline='-ver slow' >"$WORKDIR/s.out" &
c=$!
poll eval '[ "$(staged)" -gt "$before" ]' || fail "the slow job did not arrive"
# To the server alone: the time limit around it would pass the signal to its whole group,
# the print program included.
kill -TERM "$(pgrep -P "$SERVER_PID" draxomeServer)"
wait "$c"
rc=0
wait "$SERVER_PID" || rc=$?
SERVER_PIDS=()
[ "$rc" = 0 ] || fail "a stopped server ended with exit $rc"
[ "$(cut -d' ' -f1,2 "$WORKDIR/s.out" | tr '\n' ' ')" = "file 4101 file 4102 closed " ] ||
  fail "the job in progress at the stop: $(cat "$WORKDIR/s.out")"
expect_log_line "Info: PPrinterServer::run(): stop requested: no more connections accepted"
[ "$(server_log "$RUNDIR" | tail -n 3 | head -n 1)" = "-----------------------------------------" ] ||
  fail "no closing line after the stop"
echo "a stop during a job: the job served, the log closed, exit 0: ok"

echo "native server: all cases passed"
