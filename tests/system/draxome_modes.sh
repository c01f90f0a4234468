#!/usr/bin/env bash
# draxome_modes.sh DRAXOME_EXE WRITEOUT_EXE
# The copy and run modes of the print program, run as the print server's clients use
# them, under Wine: copies into new and existing directories, a program of ours
# (writeout.exe, which writes <file>.out after a pause) run on the file or on its copy,
# with and without waiting for it, the "default" program of an associated file type,
# and paths with blanks. Nothing is printed in these modes.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"

[ $# -eq 2 ] || fail "usage: $0 DRAXOME_EXE WRITEOUT_EXE"
require_tools timeout cmp wineserver
make_workdir
draxome_setup "$1" "$2"

content=$'job text, line 1\r\nline 2\r\n'
printf '%s' "$content" >"$RUNDIR/job.txt"
directory_warning() {
  echo "Warning: Printfile::startPrinting() : could not create directory for '$1'. It is possible that the directory already exists."
}

# --- copy -----------------------------------------------------------------------------
mkdir -p "$RUNDIR/out"
draxome -open job.txt -copy 'out\x\y.txt'
expect_rc 0 "-copy into a new directory under an existing one"
cmp -s "$RUNDIR/job.txt" "$RUNDIR/out/x/y.txt" || fail "-copy: out/x/y.txt is not the file"
expect_no_line prnlog.txt "could not create directory"

draxome -open job.txt -copy 'new\a\b\c.txt'
expect_rc 0 "-copy into a new nested directory"
cmp -s "$RUNDIR/job.txt" "$RUNDIR/new/a/b/c.txt" || fail "-copy: new/a/b/c.txt is not the file"
echo "-copy into new directories: ok"

printf 'an older and longer copy of something else\r\n' >"$RUNDIR/out/z.txt"
draxome -open job.txt -copy 'out\z.txt'
expect_rc 0 "-copy into an existing directory"
cmp -s "$RUNDIR/job.txt" "$RUNDIR/out/z.txt" || fail "-copy did not replace out/z.txt"
expect_line prnlog.txt "$(directory_warning 'out\z.txt')"
echo "-copy into an existing directory: the Warning, and the copy: ok"

draxome -open job.txt -copy c.txt -response r.txt
expect_rc 1 "-copy -response without -run"
cmp -s "$RUNDIR/job.txt" "$RUNDIR/c.txt" || fail "-copy -response: the file was not copied first"
expect_line prnlog.txt "Error: The argument '-response' was specified without '-run'."
echo "-copy -response without -run: copied, then exit 1 with its message: ok"

draxome -open missing.txt -copy m.txt -run writeout.exe -response r.txt
expect_rc 1 "-copy of a missing file"
expect_line prnlog.txt "Error: Printfile::startPrinting() : could not copy 'missing.txt' to 'm.txt'"
[ ! -e "$RUNDIR/r.txt" ] || fail "a failed copy still ran the program"
echo "-copy of a missing file: exit 1, no run: ok"

# --- run ------------------------------------------------------------------------------
draxome -open job.txt -run writeout.exe -response r.txt
expect_rc 0 "-run -response"
printf 'writeout: job.txt\n%s' "$content" >"$WORKDIR/expected.txt"
cmp -s "$WORKDIR/expected.txt" "$RUNDIR/r.txt" || fail "-run -response: r.txt holds '$(cat "$RUNDIR/r.txt")'"
echo "-run -response: waited for writeout and collected job.txt.out: ok"

rm -f "$RUNDIR/job.txt.out"
draxome -open job.txt -run writeout.exe
expect_rc 1 "-run without -response"
expect_line prnlog.txt "Error: Printfile::startPrinting() : The executed process 'writeout.exe' did not created the output file 'job.txt.out'"
for _ in $(seq 100); do [ -e "$RUNDIR/job.txt.out" ] && break; sleep 0.1; done
[ -e "$RUNDIR/job.txt.out" ] || fail "-run without -response: writeout was not started"
echo "-run without -response: started, not waited for, exit 1: ok"

rm -f "$RUNDIR/r.txt"
draxome -open job.txt -copy 'jobs\copy.txt' -run writeout.exe -response r.txt
expect_rc 0 "-copy -run -response"
[ "$(head -n 1 "$RUNDIR/r.txt")" = 'writeout: jobs\copy.txt' ] || fail "-copy -run: the program did not run on the copy"
[ -e "$RUNDIR/jobs/copy.txt.out" ] || fail "-copy -run: no output next to the copy"
echo "-copy -run -response: ran on the copy: ok"

draxome -open job.txt -copy c2.txt -run no-such-program.exe -response r.txt
expect_rc 1 "-run of a missing program"
expect_line prnlog.txt "Error: Printfile::startPrinting() : could not run 'no-such-program.exe' with 'job.txt'"
echo "-run of a missing program: exit 1, the job's own file named: ok"

# Blanks in the program's path and in the file's: the file is the parameter text as it
# stands, and writeout joins the words it arrives as.
mkdir -p "$RUNDIR/my tools" "$RUNDIR/my jobs"
cp "$RUNDIR/writeout.exe" "$RUNDIR/my tools/write out.exe"
printf 'blank paths\r\n' >"$RUNDIR/my jobs/a b.txt"
draxome -open 'my jobs\a b.txt' -run 'my tools\write out.exe' -response 'my jobs\resp.txt'
expect_rc 0 "-run with blanks in the paths"
[ "$(head -n 1 "$RUNDIR/my jobs/resp.txt")" = 'writeout: my jobs\a b.txt' ] ||
  fail "blanks: resp.txt holds '$(cat "$RUNDIR/my jobs/resp.txt")'"
echo "-run with blanks in program and file paths: ok"

# --- run default: the program associated with the file's type -------------------------
# The association goes into a copy of the prefix, so the shared one stays as it was made.
prefix=$WORKDIR/prefix
cp -a "$WINEPREFIX" "$prefix"
trap 'WINEPREFIX=$prefix timeout 30 wineserver -k >/dev/null 2>&1 || true; _systest_cleanup' EXIT
(
  export WINEPREFIX=$prefix
  wine=$SYSTEST_SOURCE/tools/wine-run
  program=$(timeout 120 "$wine" winepath -w "$RUNDIR/writeout.exe")
  timeout 120 "$wine" reg add 'HKCR\.dxjob' /ve /d 'DraxomeTest.Job' /f >/dev/null
  timeout 120 "$wine" reg add 'HKCR\DraxomeTest.Job\shell\open\command' /ve /d "\"$program\" \"%1\"" /f >/dev/null
) || fail "cannot register the .dxjob file type"
printf 'associated\r\n' >"$RUNDIR/report.dxjob"
WINEPREFIX=$prefix draxome -open report.dxjob -run default -response r2.txt
expect_rc 0 "-run default"
grep -q '^writeout: .*report\.dxjob$' "$RUNDIR/r2.txt" || fail "-run default: r2.txt holds '$(cat "$RUNDIR/r2.txt")'"
[ "$(tail -n 1 "$RUNDIR/r2.txt")" = $'associated\r' ] || fail "-run default: not the file's text"
echo "-run default: the associated program opened the file: ok"

[ "$(jobs_count)" -eq 0 ] || fail "the copy and run modes printed something"
echo "draxome modes: all cases passed"
