#!/usr/bin/env bash
# draxome_server.sh DRAXOMESERVER_EXE DRAXOME_EXE WRITEOUT_EXE
# The print server with the real print program under Wine, driven over loopback by
# lib/printclient.py: start-up cleanup and inventories, -disablelog and -view. A job's
# staged files, every reply and the aborts are shown by the exchange tests natively, and
# printed jobs read back by client_server with the real programs.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"

[ $# -eq 3 ] || fail "usage: $0 DRAXOMESERVER_EXE DRAXOME_EXE WRITEOUT_EXE"
make_workdir
draxome_setup "$@"

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
