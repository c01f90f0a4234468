#!/usr/bin/env bash
# draxome_modes.sh DRAXOME_EXE WRITEOUT_EXE RAWCMD_EXE
# The copy and run modes of the print program, run as the print server's clients use
# them, under Wine: copies into new and existing directories, a program of ours
# (writeout.exe, which writes <file>.out after a pause) run on the file or on its copy,
# with and without waiting for it, the "default" program of an associated file type,
# and paths with blanks. Nothing is printed in these modes.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"

[ $# -eq 3 ] || fail "usage: $0 DRAXOME_EXE WRITEOUT_EXE RAWCMD_EXE"
make_workdir
draxome_setup "$@"
printf 'job text, line 1\r\nline 2\r\n' >"$RUNDIR/job.txt"
mkdir -p "$RUNDIR/out" "$RUNDIR/my tools" "$RUNDIR/my jobs"
printf 'an older and longer copy of something else\r\n' >"$RUNDIR/out/z.txt"
cp "$RUNDIR/writeout.exe" "$RUNDIR/my tools/write out.exe"
printf 'blank paths\r\n' >"$RUNDIR/my jobs/a b.txt"
same() { cmp -s "$RUNDIR/$1" "$RUNDIR/$2"; }
first_line() { [ "$(head -n 1 "$RUNDIR/$1")" = "$2" ]; }

# ARGUMENTS (the command line as WinMain gets it) | exit code | a check | a log line
cases=(
  '-open job.txt -copy out\x\y.txt' 0 'same job.txt out/x/y.txt && ! grep -q "could not create directory" "$RUNDIR/prnlog.txt"' ''
  '-open job.txt -copy new\a\b\c.txt' 0 'same job.txt new/a/b/c.txt' ''
  '-open job.txt -copy out\z.txt' 0 'same job.txt out/z.txt'
  "Warning: Printfile::startPrinting() : could not create directory for 'out\\z.txt'. It is possible that the directory already exists."
  '-open job.txt -copy c.txt -response r.txt' 1 'same job.txt c.txt' "Error: The argument '-response' was specified without '-run'."
  '-open missing.txt -copy m.txt -run writeout.exe -response r.txt' 1 '[ ! -e "$RUNDIR/r.txt" ]'
  "Error: Printfile::startPrinting() : could not copy 'missing.txt' to 'm.txt'"
  '-open job.txt -run writeout.exe -response r.txt' 0
  'cmp -s <(printf "writeout: job.txt\n"; cat "$RUNDIR/job.txt") "$RUNDIR/r.txt" && rm "$RUNDIR/job.txt.out"' ''
  '-open job.txt -run writeout.exe' 1 true
  "Error: Printfile::startPrinting() : The executed process 'writeout.exe' did not created the output file 'job.txt.out'"
  '-open job.txt -copy jobs\copy.txt -run writeout.exe -response r2.txt' 0
  'first_line r2.txt "writeout: jobs\copy.txt" && [ -e "$RUNDIR/jobs/copy.txt.out" ]' ''
  '-open job.txt -copy c2.txt -run no-such-program.exe -response r.txt' 1 true
  "Error: Printfile::startPrinting() : could not run 'no-such-program.exe' with 'job.txt'"
  # Blanks in the program's path and in the file's: the file is the parameter text as it
  # stands, and writeout joins the words it arrives as.
  '-open "my jobs\a b.txt" -run "my tools\write out.exe" -response "my jobs\resp.txt"' 0
  'first_line "my jobs/resp.txt" "writeout: my jobs\a b.txt"' ''
)
for ((i = 0; i < ${#cases[@]}; i += 4)); do
  rm -f "$RUNDIR/prnlog.txt"
  draxome_raw "${cases[i]}"
  expect_rc "${cases[i + 1]}" "${cases[i]}"
  eval "${cases[i + 2]}" || fail "${cases[i]}: ${cases[i + 2]}"
  [ -z "${cases[i + 3]}" ] || expect_line prnlog.txt "${cases[i + 3]}"
done
# -run without -response starts writeout without waiting for it.
poll test -e "$RUNDIR/job.txt.out" || fail "-run without -response: writeout was not started"
echo "-copy and -run: new and existing directories, waiting or not, on the copy, blanks in paths: ok"

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
WINEPREFIX=$prefix draxome -open report.dxjob -run default -response r3.txt
expect_rc 0 "-run default"
grep -q '^writeout: .*report\.dxjob$' "$RUNDIR/r3.txt" && [ "$(tail -n 1 "$RUNDIR/r3.txt")" = $'associated\r' ] ||
  fail "-run default: r3.txt holds '$(cat "$RUNDIR/r3.txt")'"
echo "-run default: the associated program opened the file: ok"
[ "$(jobs_count)" -eq 0 ] || fail "the copy and run modes printed something"
