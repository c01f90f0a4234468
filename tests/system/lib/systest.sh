# Shared by the bash system tests: source it, then use the functions below.
#   fail MESSAGE...        print "FAIL: MESSAGE" to stderr and exit 1
#   require_tools TOOL...  fail unless every tool is on the PATH
#   make_workdir           WORKDIR := a new temporary directory, removed at exit
#                          (kept and named instead when SYSTEST_KEEP is set)
#   run_windows EXE ARG... run a Windows program under tools/wine-run with a time limit
#   job_files DIR          the PostScript jobs in DIR, oldest first, one a line
#   readback COMMAND ...   tests/system/lib/readback.py (text, pagesize)
#   poll COMMAND...        true once COMMAND succeeds, tried for up to 30 s
# The virtual printers write one file per job into DRAXOME_SPOOL_DIR; a test that gives
# run_windows a spool directory of its own reads exactly its own jobs.

SYSTEST_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SYSTEST_SOURCE=${DRAXOME_SOURCE:-$(cd "$SYSTEST_LIB/../../.." && pwd)}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || fail "'$tool' is not installed"
  done
}

_systest_cleanup() {
  [ -n "${WORKDIR:-}" ] && [ -d "$WORKDIR" ] || return 0
  if [ -n "${SYSTEST_KEEP:-}" ]; then
    echo "kept $WORKDIR" >&2
  else
    rm -rf -- "$WORKDIR"
  fi
}

make_workdir() {
  WORKDIR=$(mktemp -d "${TMPDIR:-/tmp}/draxome-systest.XXXXXX") || fail "mktemp failed"
  trap _systest_cleanup EXIT
  # A signal still runs the EXIT trap, so an interrupted run leaves nothing behind.
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

run_windows() {
  : "${WINEPREFIX:?WINEPREFIX must name the prefix made by tools/wine-prefix.sh}"
  timeout -k 10 "${SYSTEST_TIMEOUT:-300}" "$SYSTEST_SOURCE/tools/wine-run" "$@"
}

job_files() {
  # The port names each job job-<nanoseconds>-<pid>.ps, so name order is time order. The
  # names are sorted alone: the directory's own path may hold hyphens too.
  local name
  find "$1" -maxdepth 1 -type f -name 'job-*.ps' -printf '%f\n' | sort -t- -k2,2n |
    while IFS= read -r name; do printf '%s/%s\n' "$1" "$name"; done
}

readback() {
  python3 "$SYSTEST_LIB/readback.py" "$@"
}

poll() {
  local i
  for i in $(seq 300); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
