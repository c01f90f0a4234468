# Shared by the system tests that run the print server; source it after systest.sh.
#   free_port                  a TCP port of 127.0.0.1 that nothing uses at the moment
#                              (never 2345, which a running demo server may want)
#   listening PORT             true while a socket listens on PORT on any IPv4 address
#   server_start DIR PORT ARG... start draxomeServer.exe in DIR under Wine (or SERVER_CMD)
#                              on 127.0.0.1:PORT with the further server options ARG, in
#                              the background with a time limit, and wait until it listens
#                              (at most SERVER_START_LIMIT seconds); SERVER_PID
#   server_stop                stop every server started so far that still runs
#   server_log DIR             DIR's draxomeServerLog.txt without carriage returns
#   expect_log_line LINE       fail unless RUNDIR's server log holds exactly that line
#   expect_reply GOT LINE...   fail unless GOT is exactly these lines
#   client ARG...              run draxomeClient ($CLIENT) with a time limit;
#                              RC, CLIENT_OUT and CLIENT_ERR (its standard output and error)
#   printclient PORT ARG...    lib/printclient.py against 127.0.0.1:PORT; its lines on stdout
#   send CMDLINE [DOCUMENT]    one exchange with the server on PORT; GOT := printclient's
#                              lines, the files received stored in WORKDIR/got
#   T, SOURCE                  the title and source of the server's abort records
# server_start installs an EXIT trap that stops the servers and then removes WORKDIR, so
# call make_workdir first.

SERVER_PIDS=()
# The title and source of every abort record the server sends.
T='Communication error information:'
SOURCE='unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )'
# How long start-up (its inventory run under a cold Wine) may take before the test fails.
SERVER_START_LIMIT=${SERVER_START_LIMIT:-120}

free_port() {
  local port=2345
  while [ "$port" = 2345 ]; do
    port=$(python3 -c 'import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])') || fail "cannot find a free port"
  done
  echo "$port"
}

# Reads the kernel's table instead of connecting: the server serves one connection at a
# time, and a probe would be a client it waits on. Any local address counts, since a
# listener on another address of the port keeps a server from binding 0.0.0.0 there.
listening() {
  awk -v p=":$(printf '%04X' "$1")" 'NR > 1 && $4 == "0A" && substr($2, length($2) - 4) == p { found = 1 }
                                     END { exit !found }' /proc/net/tcp
}

server_start() {
  local dir=$1 port=$2 waited=0 cmd=("$SYSTEST_SOURCE/tools/wine-run" draxomeServer.exe)
  shift 2
  [ -z "${SERVER_CMD:-}" ] || cmd=("$SERVER_CMD")
  listening "$port" && fail "port $port is taken before the server starts"
  (cd "$dir" && exec timeout -k 10 "${SYSTEST_SERVER_LIMIT:-900}" "${cmd[@]}" -listenaddr "127.0.0.1:$port" "$@") \
    >>"$WORKDIR/server.out" 2>&1 </dev/null &
  SERVER_PID=$!
  SERVER_PIDS+=("$SERVER_PID")
  trap 'server_stop; _systest_cleanup' EXIT
  until listening "$port"; do
    kill -0 "$SERVER_PID" 2>/dev/null || fail "the server ended before it listened on port $port; its log:
$(server_log "$dir")
$(cat "$WORKDIR/server.out")"
    [ "$waited" -lt $((SERVER_START_LIMIT * 10)) ] || fail "the server did not listen on port $port within ${SERVER_START_LIMIT}s"
    sleep 0.1
    waited=$((waited + 1))
  done
}

server_stop() {
  # Each step may find a server gone already; under set -e that is no failure.
  local pid
  for pid in "${SERVER_PIDS[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${SERVER_PIDS[@]}"; do
    poll eval "! kill -0 $pid 2>/dev/null" || kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  SERVER_PIDS=()
}

server_log() { tr -d '\r' <"$1/draxomeServerLog.txt" 2>/dev/null || true; }

expect_log_line() {
  server_log "$RUNDIR" | grep -Fx -- "$1" >/dev/null || fail "the server log lacks '$1':
$(server_log "$RUNDIR" | tail -20)"
}

expect_reply() {
  local got=$1
  shift
  [ "$got" = "$(printf '%s\n' "$@")" ] || fail "the client got:
$got
expected: $*"
}

client() {
  CLIENT_OUT=$WORKDIR/client.out
  CLIENT_ERR=$WORKDIR/client.err
  RC=0
  timeout -k 5 "${SYSTEST_CLIENT_LIMIT:-180}" "$CLIENT" "$@" >"$CLIENT_OUT" 2>"$CLIENT_ERR" || RC=$?
}

printclient() { python3 "$SYSTEST_LIB/printclient.py" "$@"; }

send() {
  rm -rf "$WORKDIR/got" && mkdir "$WORKDIR/got"
  GOT=$(printclient "$PORT" --cmdline="$1" ${2:+--file "$2"} --out "$WORKDIR/got")
}
