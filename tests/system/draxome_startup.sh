#!/usr/bin/env bash
# draxome_startup.sh DRAXOME_EXE RAWCMD_EXE
# The print program's start-up, run as a user and as the print server run it, under Wine:
# the inventory files alone, the log and its size limit, -disablelog, -view in a server
# job, the command line exactly as received, the exit codes 0, 1 and -1 (255 through
# Wine), and bad input: missing and directory files, unknown printers, unreadable command
# files.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"

[ $# -eq 2 ] || fail "usage: $0 DRAXOME_EXE RAWCMD_EXE"
require_tools timeout cmp od
make_workdir
draxome_setup "$1" "$2"

hyphens="Info: -----------------------------------------"
no_file_lines() {
  expect_line "$1" "Error: Printfile::openFile(): no file specified; use -open parameter to specify one"
  expect_line "$1" "Error: Printfile::startPrinting() : could not parse document"
}
fresh() { rm -f "$RUNDIR"/*.txt "$RUNDIR"/*.log; }
printf 'a line to print\r\n' >"$RUNDIR/job.dat"

# --- inventories alone: written, and exit code 1 since there is no file ----------------
fresh
draxome -printlist
expect_rc 1 "-printlist alone"
[ "$(od -An -c "$RUNDIR/prntlist.txt" | tr -s ' \n' ' ')" = " V i r t u a l A 4 \n V i r t u a l L e t t e r \n " ] ||
  fail "prntlist.txt: $(od -c "$RUNDIR/prntlist.txt")"
no_file_lines prnlog.txt
fresh
draxome -fontlist
expect_rc 1 "-fontlist alone"
grep -qx 'Courier New' "$RUNDIR/fontlist.txt" || fail "fontlist.txt lacks Courier New: $(cat "$RUNDIR/fontlist.txt")"
if grep -q $'\r' "$RUNDIR/fontlist.txt"; then fail "fontlist.txt has CR bytes"; fi
grep -qx 'Arial' "$RUNDIR/fontlist.txt" && fail "fontlist.txt lists a proportional face"
fresh
draxome -reslist
expect_rc 1 "-reslist alone"
[ "$(cat "$RUNDIR/reslist.txt")" = $'150x150\n300x300\n600x600\n1200x1200\n2400x2400' ] ||
  fail "reslist.txt: $(cat "$RUNDIR/reslist.txt")"
fresh
draxome -ver
expect_rc 1 "-ver alone"
[ "$(od -An -c "$RUNDIR/version.txt" | tr -d ' \n')" = "v5.3.9" ] || fail "version.txt: $(od -c "$RUNDIR/version.txt")"
no_file_lines prnlog.txt
echo "-printlist, -fontlist, -reslist, -ver alone: files written, exit 1: ok"

# --- the log --------------------------------------------------------------------------
fresh
head -c 10001 /dev/zero | tr '\0' '~' >"$RUNDIR/job.log"
draxome -open job.dat -logfile job.log
expect_rc 0 "printing with a 10001-byte log"
if grep -q '~' "$RUNDIR/job.log"; then fail "a log of 10001 bytes was not emptied"; fi
[ "$(head -c 5 "$RUNDIR/job.log")" = "Info[" ] || fail "the emptied log does not start with this run"
head -c 10000 /dev/zero | tr '\0' '~' >"$RUNDIR/job.log"
draxome -open job.dat -logfile job.log
[ "$(head -c 10000 "$RUNDIR/job.log" | tr -d '~' | wc -c)" -eq 0 ] || fail "a log of 10000 bytes was changed"
[ "$(tail -c +10001 "$RUNDIR/job.log" | head -c 5)" = "Info[" ] || fail "the run was not appended to the 10000-byte log"
echo "log size limit: 10001 bytes emptied, 10000 kept and appended to: ok"

fresh
draxome -disablelog -logfile other.log -open job.dat
expect_rc 0 "-disablelog"
[ ! -e "$RUNDIR/other.log" ] || fail "-disablelog: other.log was created"
log_of prnlog.txt | grep -F 'Info: Config:' | grep -F $'\tlogfile=prnlog.txt\tlog=disabled\t' >/dev/null ||
  fail "-disablelog: the Config line does not show prnlog.txt disabled: $(log_of prnlog.txt | grep Config)"
echo "-disablelog with -logfile: that file untouched, Config shows prnlog.txt disabled: ok"

# As the print server starts a job: a command file, its own log, its staged file.
printf -- '-printername "Virtual Letter" -view -docname "client job"' >"$RUNDIR/tmpCmdfile.3.ini"
cp "$RUNDIR/job.dat" "$RUNDIR/tmpFilename.3.txt"
draxome -cmdfile tmpCmdfile.3.ini -logfile tmpLog.3.txt -open tmpFilename.3.txt
expect_rc 0 "a server job with -view"
[ "$(log_of tmpLog.3.txt | tail -n 1)" != "$hyphens" ] || fail "-view in a server job: the log ends with the hyphen line"
expect_line tmpLog.3.txt "Info: End printing..."
log_of tmpLog.3.txt | grep -F $'printername=Virtual Letter' >/dev/null || fail "the command file's printer was not used"
printf -- '-printername "Virtual Letter"' >"$RUNDIR/tmpCmdfile.4.ini"
cp "$RUNDIR/job.dat" "$RUNDIR/tmpFilename.4.txt"
draxome -cmdfile tmpCmdfile.4.ini -logfile tmpLog.4.txt -open tmpFilename.4.txt
expect_rc 0 "a server job without -view"
[ "$(log_of tmpLog.4.txt | tail -n 1)" = "$hyphens" ] || fail "a server job without -view must end with the hyphen line"
echo "-view under a server log name ends without the hyphen line, without -view with it: ok"

# --- the command line exactly as received ---------------------------------------------
fresh
text='-open job.dat  -docname "quoted \"name\""	-printername "Virtual Letter"'
draxome_raw "$text"
expect_rc 0 "an exact raw command line"
expect_line prnlog.txt "Info: Command line: $text"
expect_line prnlog.txt "Error: Unknown option "
echo "the command line is logged exactly as received: ok"

# --- exit codes and bad input ---------------------------------------------------------
fresh
draxome -open job.dat
expect_rc 0 "a printed job"
[ "$(log_of prnlog.txt | tail -n 1)" = "$hyphens" ] || fail "a printed job ends with the hyphen line"

fresh
draxome -open job.dat -printername "No Such Printer"
expect_rc 1 "an unknown printer"
expect_line prnlog.txt "Error: b=getprinter(args.printername, printer): canot find specified printer"
expect_line prnlog.txt "Error: Printfile::startPrinting() : could not parse document"

fresh
draxome -open missing.dat
expect_rc 1 "a missing file"
expect_line prnlog.txt 'Error: fopen(filename, "rb"): cannot open file'
expect_line prnlog.txt "Error: Printfile::startPrinting() : could not parse document"

mkdir -p "$RUNDIR/folder"
fresh
draxome -open folder
expect_rc 1 "a directory as the file"
expect_line prnlog.txt 'Error: fopen(filename, "rb"): cannot open file'
fresh
draxome -open folder -direct
expect_rc 1 "a directory as the raw file"
expect_line prnlog.txt "Error: draxomeDirect(): cannot open file"
expect_line prnlog.txt "Error: Printfile::startPrinting() : could not print file"
echo "exit code 0 printed, 1 for unknown printer, missing file, directory: ok"

fresh
draxome -logfile job.log -open job.dat -htext 0
expect_rc 255 "options that do not parse"
[ "$(log_of prnlog.txt)" = $'Info: Command line: -logfile job.log -open job.dat -htext 0\nError: command line: htext' ] ||
  fail "options that do not parse: prnlog.txt holds $(log_of prnlog.txt)"
[ ! -e "$RUNDIR/job.log" ] || fail "options that do not parse: the -logfile file was made"

fresh
draxome -cmdfile no-such.ini -open job.dat
expect_rc 255 "an unreadable command file"
expect_line prnlog.txt "Error: command line: cmdfile"

fresh
draxome_raw '-open'
expect_rc 255 "-open without its value"
expect_line prnlog.txt "Error: command line: open"
echo "exit code -1 (255) for options and command files that do not parse: ok"

[ "$(jobs_count)" -eq 7 ] || fail "expected 7 printed jobs, found $(jobs_count)"
echo "draxome start-up: all cases passed"
