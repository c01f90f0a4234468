#!/usr/bin/env bash
# server_lpd.sh DRAXOMESERVER
# The LPD and raw-socket front ends of the native server, with a stand-in print program
# that keeps each job's command file and document: Debian's rlpr as a real LPD client, then
# protocol edge cases from lib/lpdpeer.py. After every case the next job is served and no
# staged file is left.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"

[ $# -eq 1 ] || fail "usage: $0 DRAXOMESERVER"
require_tools rlpr python3
make_workdir
SYSTEST_SERVER_LIMIT=${SYSTEST_SERVER_LIMIT:-300}
SERVER_START_LIMIT=10

RUNDIR=$WORKDIR/run
mkdir -p "$RUNDIR/printed"
cp "$1" "$RUNDIR/draxomeServer"
cat >"$RUNDIR/draxome.exe" <<'STANDIN'
#!/bin/sh
cmd= doc=
while [ $# -gt 0 ]; do
  case "$1" in -cmdfile) cmd=$2 ;; -open) doc=$2 ;; esac
  shift
done
[ -n "$cmd" ] || exit 0
n=$(ls printed | grep -c cmd)
cat "$cmd" > "printed/$n.cmd" && cat "$doc" > "printed/$n.doc"
STANDIN
chmod +x "$RUNDIR/draxome.exe"
printf '%s\n' '# queues of the test' 'reports -orientation landscape -graph' \
  'smuggler -cmdfile other.ini' >"$RUNDIR/queues.txt"

PORT=$(free_port)
LPD=$(free_port)
RAW=$(free_port)
NOQUEUE=$(free_port)
SERVER_CMD=./draxomeServer server_start "$RUNDIR" "$PORT" -lpd "127.0.0.1:$LPD" -raw "$RAW=reports" \
  -raw "$NOQUEUE=nosuch" -maxjob 1 -clienttimeout 2
expect_log_line "Info: PPrinterServer::run(): lpd listening on 127.0.0.1:$LPD"
expect_log_line "Info: PPrinterServer::run(): raw listening on 127.0.0.1:$RAW for queue 'reports'"

printed() { ls "$RUNDIR/printed" | grep -c '\.cmd$' || true; }
# Waits for the server to be done with earlier connections: a queue-state answer comes
# only once they are served.
settle() { [ "$(python3 "$SYSTEST_LIB/lpdpeer.py" "$LPD" state)" = "text=reports: no entries|" ] || fail "no queue state"; }
# after CASE COUNT: COUNT more jobs printed since the last call, and nothing staged left.
SEEN=0
after() {
  settle
  local now
  now=$(printed)
  [ "$now" = $((SEEN + $2)) ] || fail "$1: $((now - SEEN)) jobs printed, expected $2; log:
$(server_log "$RUNDIR" | tail -5)"
  SEEN=$now
  [ -z "$(ls "$RUNDIR" | grep '^tmp' || true)" ] || fail "$1: staged files left: $(ls "$RUNDIR")"
}
last() { cat "$RUNDIR/printed/$((SEEN - 1)).$1"; }

# rlpr: a text job, a form-feed report with a hostile job name, an "l" job.
cd "$WORKDIR"
printf 'first line\nsecond line\n' >"$WORKDIR/text.txt"
printf 'page one\n\fpage two\n' >"$WORKDIR/report.txt"
rlpr -N -H 127.0.0.1 --port="$LPD" -P reports text.txt || fail "rlpr: text job"
after "rlpr text" 1
[ "$(last cmd)" = '-orientation landscape -graph -docname "text.txt"' ] && cmp -s "$WORKDIR/text.txt" <(last doc) ||
  fail "rlpr text: command file '$(last cmd)'"
rlpr -N -H 127.0.0.1 --port="$LPD" -P reports -J "$(printf 'a "quoted"\x01 -cmdfile x')" report.txt ||
  fail "rlpr: report"
after "rlpr report" 1
[ "$(last cmd)" = '-orientation landscape -graph -docname "a quoted -cmdfile x"' ] &&
  cmp -s "$WORKDIR/report.txt" <(last doc) || fail "rlpr report: command file '$(last cmd)'"
rlpr -N -H 127.0.0.1 --port="$LPD" -P reports -l --send-data-first text.txt || fail "rlpr: l job"
after "rlpr -l" 1
[ "$(last cmd)" = '-orientation landscape -graph -direct -docname "text.txt"' ] || fail "rlpr -l: '$(last cmd)'"
expect_log_line "Info: PPrinterServer::run(): lpd job from 127.0.0.1, user '$(id -un)', host '$(hostname)', queue 'reports', 23 bytes: printed"
echo "rlpr: text, report and -l jobs printed with the queue's options: ok"

# case | the peer's answers (a pattern) | jobs printed
while IFS='|' read -r case queue answers count; do
  got=$(python3 "$SYSTEST_LIB/lpdpeer.py" "$LPD" "$case" "$queue")
  [[ "$got" == $answers ]] || fail "$case: answers '$got', expected '$answers'"
  after "$case" "$count"
  if [ "$count" -ge 1 ]; then
    [ "$(last cmd)" = '-orientation landscape -graph -direct -docname "edge job"' ] &&
      [ "$(last doc)" = "$(printf 'lpd edge job\ntwo')" ] || fail "$case: printed '$(last cmd)'"
  fi
done <<'CASES'
control-first|reports|0 0 0 0 0|1
data-first|reports|0 0 0 0 0|1
two-files|reports|0 0 0 0 0 0 0|2
count0|reports|0 0 0 0 closed|1
abort|reports|0 0 0 0 0 0 0|1
cut|reports|0 0 0 0|0
no-end-zero|reports|0 0 0 0|1
stall|reports|0 0 0 0 closed|0
over|reports|0 0 0 1|0
over-count0|reports|0 0 0 0 [1c]*|0
garbage||1|0
garbage-sub|reports|0 1|0
waiting|reports|0|0
remove|reports|0|0
control-first|nosuch|1|0
control-first|smuggler|0 0 0 0 0|0
CASES
expect_log_line "Error: PPrinterServer::run(): lpd job from 127.0.0.1, user 'tester', host 'peerhost', queue 'reports', 10 bytes: not printed: the peer stopped sending"
expect_log_line "Error: PPrinterServer::run(): lpd job from 127.0.0.1, user '', queue 'nosuch', 0 bytes: refused: no such queue"
expect_log_line "Error: PPrinterServer::run(): lpd: unknown command 9 from 127.0.0.1"
server_log "$RUNDIR" | grep -q "queue 'smuggler', 17 bytes: refused: the queue's options: " || fail "the smuggler queue was not refused"
echo "protocol edge cases: answered, nothing left staged, the next job served: ok"

# The raw port: everything until the peer closes is one job; beyond -maxjob nothing prints.
python3 -c 'import socket,sys; s=socket.create_connection(("127.0.0.1",int(sys.argv[1]))); s.sendall(b"\x1bEraw bytes\n"); s.close()' "$RAW"
after "raw job" 1
[ "$(last cmd)" = '-orientation landscape -graph' ] && [ "$(last doc)" = "$(printf '\033Eraw bytes')" ] ||
  fail "raw job: '$(last cmd)'"
head -c 1100000 /dev/zero | python3 -c 'import socket,sys
s=socket.create_connection(("127.0.0.1",int(sys.argv[1])))
try: s.sendall(sys.stdin.buffer.read())
except OSError: pass' "$RAW"
after "raw over -maxjob" 0
python3 -c 'import socket,sys; sys.exit(socket.create_connection(("127.0.0.1",int(sys.argv[1])),5).recv(1) != b"")' \
  "$NOQUEUE" || fail "a raw port whose queue is missing kept the connection"
expect_log_line "Error: PPrinterServer::run(): raw job from 127.0.0.1, user '', queue 'nosuch', 0 bytes: refused: no such queue"
echo "raw port: a job printed, one beyond -maxjob dropped, one for a missing queue refused: ok"

echo "lpd and raw front ends: all cases passed"
