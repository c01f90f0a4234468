# Shared by the system tests that run the print server; source it after systest.sh.
#   free_port                  a TCP port of 127.0.0.1 that nothing uses at the moment
#                              (never 2345, which a running demo server may want)
#   listening PORT             true while a socket listens on PORT (127.0.0.1 or any address)
#   server_start DIR PORT ARG... start draxomeServer.exe in DIR under Wine on
#                              127.0.0.1:PORT with the further server options ARG, and wait
#                              until it listens; SERVER_PID, SERVER_OUT (its Wine output)
#   server_stop                stop the server started last, if it still runs
#   client ARG...              run draxomeClient ($CLIENT) with a time limit;
#                              RC, CLIENT_OUT and CLIENT_ERR (its standard output and error)
# server_start installs an EXIT trap that stops the server and then removes WORKDIR, so
# call make_workdir first.

SERVER_PID=
# How long start-up (its inventory run under a cold Wine) may take before the test fails.
SERVER_START_LIMIT=${SERVER_START_LIMIT:-120}

free_port() {
  local port
  while :; do
    port=$(python3 -c 'import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])') || fail "cannot find a free port"
    [ "$port" != 2345 ] && break
  done
  echo "$port"
}

# Reads the kernel's table instead of connecting: the server serves one connection at a
# time, and a probe would be a client it waits on.
listening() {
  local hex
  hex=$(printf '%04X' "$1")
  awk -v port="$hex" 'NR > 1 && $4 == "0A" && ($2 == "0100007F:" port || $2 == "00000000:" port) { found = 1 }
                      END { exit !found }' /proc/net/tcp
}

server_start() {
  local dir=$1 port=$2
  shift 2
  [ -f "$dir/draxomeServer.exe" ] || fail "no draxomeServer.exe in $dir"
  listening "$port" && fail "port $port is taken before the server starts"
  SERVER_OUT=$WORKDIR/server-$port.out
  (cd "$dir" && exec timeout -k 10 "${SYSTEST_SERVER_LIMIT:-900}" "$SYSTEST_SOURCE/tools/wine-run" \
    draxomeServer.exe -listenaddr "127.0.0.1:$port" "$@") >"$SERVER_OUT" 2>&1 </dev/null &
  SERVER_PID=$!
  trap 'server_stop; _systest_cleanup' EXIT
  local waited=0
  until listening "$port"; do
    if ! kill -0 "$SERVER_PID" 2>/dev/null; then
      fail "the server ended at start; its log:
$(cat "$dir/draxomeServerLog.txt" 2>/dev/null)
$(cat "$SERVER_OUT")"
    fi
    [ "$waited" -lt $((SERVER_START_LIMIT * 10)) ] || fail "the server did not listen on port $port within ${SERVER_START_LIMIT}s"
    sleep 0.1
    waited=$((waited + 1))
  done
}

server_stop() {
  [ -n "$SERVER_PID" ] || return 0
  # Each step may find the server gone already; under set -e that is no failure.
  local i
  kill -TERM "$SERVER_PID" 2>/dev/null || true
  for i in $(seq 100); do
    kill -0 "$SERVER_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$SERVER_PID" 2>/dev/null || true
  wait "$SERVER_PID" 2>/dev/null || true
  SERVER_PID=
  return 0
}

client() {
  : "${CLIENT:?CLIENT must name draxomeClient}"
  CLIENT_OUT=$WORKDIR/client.out
  CLIENT_ERR=$WORKDIR/client.err
  RC=0
  timeout -k 5 "${SYSTEST_CLIENT_LIMIT:-180}" "$CLIENT" "$@" >"$CLIENT_OUT" 2>"$CLIENT_ERR" || RC=$?
}
