#!/usr/bin/env bash
# server_handles.sh DRAXOMESERVER_EXE DRAXOME_EXE PROCFIGURES_EXE
# The server under Wine keeps no handle per job: tools/soak sends 200 quick hostile
# clients, each followed by a valid job (every fourth printed), and the server's handle
# count after them is no higher than before.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"

[ $# -eq 3 ] || fail "usage: $0 DRAXOMESERVER_EXE DRAXOME_EXE PROCFIGURES_EXE"
make_workdir
draxome_setup "$1" "$2"
PORT=$(free_port)
server_start "$RUNDIR" "$PORT" -clienttimeout 2
figures="$SYSTEST_SOURCE/tools/wine-run $3 draxomeServer.exe"
$figures | grep -q 'handles=[1-9]' || fail "procfigures cannot count the server's handles: $($figures)"
python3 "$SYSTEST_SOURCE/tools/soak/soak.py" --port "$PORT" --rundir "$RUNDIR" --connections 200 \
  --kinds truncate,wrongtype,badsize,reset,nonreader,garbage,forged,bigcmd --client-limit 2 --print-every 4 \
  --figures "$figures" --check >"$WORKDIR/soak.out" || fail "the soak: $(cat "$WORKDIR/soak.out")"
cat "$WORKDIR/soak.out"
echo "200 jobs behind hostile clients, no handle more: ok"
