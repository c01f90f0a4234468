#!/usr/bin/env bash
# server_service.sh SERVER_EXE DRAXOME_EXE SETUPPRINTERS_EXE CLIENT
# draxomeServer.exe as a service of Wine's service manager: the refusals only Windows
# shows (the service words themselves are tested natively), install, start
# with `net start`, a job through draxomeClient read back, `net stop` while a long job
# runs, uninstall.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"
. "$SYSTEST_SOURCE/tools/wine-env.sh"

[ $# -eq 4 ] || fail "usage: $0 SERVER_EXE DRAXOME_EXE SETUPPRINTERS_EXE CLIENT"
CLIENT=$(realpath -- "$4")
arch=$(draxome_prefix_arch "$WINEPREFIX")
[ -n "$arch" ] || fail "$WINEPREFIX is not a prefix"
make_workdir
# A prefix of its own: a service installed for automatic start would start with every
# later run of a shared prefix, and a failed run could leave it there.
export WINEPREFIX=$WORKDIR/prefix
bash "$SYSTEST_SOURCE/tools/wine-prefix.sh" "$WINEPREFIX" "$3" "$arch" >"$WORKDIR/prefix.out" 2>&1 ||
  fail "no prefix: $(cat "$WORKDIR/prefix.out")"
draxome_setup "$2" "$1"
# The service manager is started by the first program of a new Wine session and hands its
# environment to the services: this run's, with this test's spool directory.
timeout 60 wineserver -k 2>/dev/null || true
timeout 60 wineserver -w 2>/dev/null || true
# Wine ends its services with the last program of a session, so one program stays for the
# whole test, as a Windows machine keeps its services while it runs: a command prompt
# waiting on a pipe that closes when this script ends.
mkfifo "$WORKDIR/keep"
SYSTEST_TIMEOUT=900 run_windows cmd.exe <"$WORKDIR/keep" >/dev/null 2>&1 &
exec 8>"$WORKDIR/keep"
trap '(cd "$RUNDIR" && run_windows draxomeServer.exe -service uninstall) >/dev/null 2>&1 || true
      exec 8>&-; timeout 30 wineserver -k 2>/dev/null || true; _systest_cleanup' EXIT

service() {
  RC=0
  (cd "$RUNDIR" && run_windows draxomeServer.exe -service "$@") >>"$WORKDIR/wine.out" 2>&1 || RC=$?
}
expect_service() {
  [ "$RC" -eq "$1" ] || fail "$3: exit $RC, expected $1"
  expect_log_line "$2"
}
# The service's registry key, or nothing (reg tells its failure on standard output).
installed() {
  local out
  out=$(run_windows reg query 'HKLM\System\CurrentControlSet\Services\draxome' 2>/dev/null) || return 0
  tr -d '\r' <<<"$out"
}

service uninstall
expect_service 4 "Error: PService::uninstall(): the service 'draxome' is not installed" "uninstall of nothing"
service run
expect_service 1 "Error: PService::run(): -service run is what the service manager starts; start the service with 'net start draxome'" \
  "run from a prompt"
service install -listenaddr
[ "$RC" -eq 255 ] && [ -z "$(installed)" ] || fail "install with a bad option: exit $RC, $(installed)"
echo "refusals: nothing to remove, run outside the service manager, bad options: ok"

PORT=$(free_port)
service install -listenaddr "127.0.0.1:$PORT" -clienttimeout 20 -stopgrace 3
expect_service 0 "Info: PService::install(): service 'draxome' installed: \"$(run_windows winepath -w "$RUNDIR/draxomeServer.exe" | tr -d '\r')\" -service run -listenaddr 127.0.0.1:$PORT -clienttimeout 20 -stopgrace 3" "install"
service install
expect_service 3 "Error: PService::install(): the service 'draxome' is already installed" "a second install"
reg=$(installed)
grep -Eq 'Start\s+REG_DWORD\s+0x2$' <<<"$reg" && grep -q 'draxome print server' <<<"$reg" &&
  grep -q 'legacy systems' <<<"$reg" || fail "the service's registration: $reg"
echo "install: the command line, automatic start, names and description; a second install refused: ok"

run_windows net start draxome >>"$WORKDIR/wine.out" 2>&1 || fail "net start failed: $(tail -3 "$WORKDIR/wine.out")"
poll listening "$PORT" || fail "the service does not listen on $PORT; its log: $(server_log "$RUNDIR" | tail -5)"
printf 'Printed by the draxome service\r\n' >"$WORKDIR/job.txt"
client -server "127.0.0.1:$PORT" -outdir "$WORKDIR" -open "$WORKDIR/job.txt"
[ "$RC" -eq 0 ] || fail "a job through the service: exit $RC, $(cat "$CLIENT_ERR")"
wait_jobs 1
readback text "$(job_files "$SPOOL")" | tr -s ' ' | grep -q 'Printed by the draxome service' || fail "the printout does not read back"
echo "net start; a job through draxomeClient printed in the service's directory and read back: ok"

# A job far longer than the stop's grace of 3 s: the print program is ended, the client
# told, and nothing of the job is left.
python3 -c 'import sys
for p in range(700):
    sys.stdout.write("".join("page %d line %d of a report that takes a while to print\r\n" % (p, l) for l in range(60)) + "\f")' \
  >"$WORKDIR/long.txt"
client -server "127.0.0.1:$PORT" -outdir "$WORKDIR" -timeout 120 -open "$WORKDIR/long.txt" &
long=$!
told=$WORKDIR/client.err
# The job's log is written from the print program's first line on.
poll eval '[ -n "$(find "$RUNDIR" -name "tmpLog.*" -newer "$WORKDIR/long.txt")" ]' || fail "the long job did not start"
stopped_at=$SECONDS
run_windows net stop draxome >>"$WORKDIR/wine.out" 2>&1 || true
for _ in $(seq 1 60); do
  server_log "$RUNDIR" | tail -n 3 | grep -qx -- '-----------------------------------------' && break
  sleep 1
done
wait "$long" || true
grep -q 'The server is stopping: the job was ended before it finished' "$told" || fail "the client was not told: $(cat "$told")"
expect_log_line "Info: PPrinterServer::run(): stop requested: no more connections accepted"
expect_log_line "Error: "$'\t'"Error Message: The server is stopping: the job was ended before it finished"
took=$((SECONDS - stopped_at))
[ "$took" -ge 2 ] && [ "$took" -le 30 ] || fail "the stop took ${took}s; the grace is 3s"
! listening "$PORT" || fail "the stopped service still listens"
left=$(cd "$RUNDIR" && ls tmp* 2>/dev/null || true)
[ -z "$left" ] || fail "the stopped service left $left"
echo "net stop during a long job: ended after the grace, the client told, the log closed: ok"

service uninstall
expect_service 0 "Info: PService::uninstall(): service 'draxome' removed" "uninstall"
[ -z "$(installed)" ] || fail "the service is still registered"
echo "uninstall: ok"
echo "server service: all cases passed"
