# Shared by the system tests of the print program; source it after systest.sh.
#   draxome_setup EXE [HELPER...]  copy draxome.exe (and helpers such as rawcmd.exe or
#                                  writeout.exe) into RUNDIR := $WORKDIR/run, the current
#                                  directory of every run; SPOOL := $WORKDIR/spool
#   draxome ARG...                 run draxome.exe in RUNDIR under Wine; RC := exit code
#   draxome_raw TEXT               the same, with TEXT as WinMain's exact command-line
#                                  text (through rawcmd.exe, which must be set up)
#   expect_rc N WHAT               fail unless RC is N
#   log_of FILE                    FILE (in RUNDIR) as "Level: message" lines, without the
#                                  date, time and CR
#   expect_line FILE LINE          fail unless FILE's log holds exactly that line
#   jobs_count                     number of jobs in SPOOL
#   wait_jobs N                    wait until SPOOL holds N jobs; fail after 30 s

draxome_setup() {
  local exe
  RUNDIR=$WORKDIR/run
  SPOOL=$WORKDIR/spool
  mkdir -p "$RUNDIR" "$SPOOL"
  for exe in "$@"; do
    [ -f "$exe" ] || fail "$exe does not exist; build it first"
    cp "$exe" "$RUNDIR/"
  done
  export DRAXOME_SPOOL_DIR=$SPOOL
}

draxome() {
  RC=0
  (cd "$RUNDIR" && run_windows draxome.exe "$@") >>"$WORKDIR/wine.out" 2>&1 || RC=$?
}

draxome_raw() {
  RC=0
  (cd "$RUNDIR" && run_windows rawcmd.exe draxome.exe "draxome.exe $1") >>"$WORKDIR/wine.out" 2>&1 || RC=$?
}

expect_rc() {
  [ "$RC" -eq "$1" ] || fail "$2: exit code $RC, expected $1; log: $(log_of prnlog.txt | tail -5)"
}

log_of() {
  [ -f "$RUNDIR/$1" ] || return 0
  sed -E 's/^(Error|Warning|Info|Notice|Debug)\[[^]]*\]: /\1: /; s/\r$//' "$RUNDIR/$1"
}

# grep reads to the end (no -q): with pipefail, a reader that stops early fails the pipe.
expect_line() {
  log_of "$1" | grep -Fx -- "$2" >/dev/null || fail "$1 lacks the line '$2'; it holds:
$(log_of "$1")"
}

jobs_count() {
  job_files "$SPOOL" | wc -l
}

wait_jobs() {
  poll eval '[ "$(jobs_count)" -ge '"$1"' ]' || fail "expected $1 printed jobs, found $(jobs_count)"
}
