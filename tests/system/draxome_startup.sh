#!/usr/bin/env bash
# draxome_startup.sh DRAXOME_EXE RAWCMD_EXE
# The print program's start-up, run as a user and as the print server run it, under Wine:
# the inventory files alone, the log and its size limit, -disablelog, the command line
# exactly as received, the exit codes 0, 1 and -1 (255 through
# Wine), and bad input: missing and directory files, unknown printers, unreadable command
# files.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"

[ $# -eq 2 ] || fail "usage: $0 DRAXOME_EXE RAWCMD_EXE"
make_workdir
draxome_setup "$1" "$2"
hyphens="Info: -----------------------------------------"
fresh() { rm -f "$RUNDIR"/*.txt "$RUNDIR"/*.log "$RUNDIR"/*.1; }
printf 'a line to print\r\n' >"$RUNDIR/job.dat"
mkdir -p "$RUNDIR/folder"

# --- inventories alone: written, and exit code 1 since there is no file ----------------
fresh
for pair in -printlist:prntlist.txt -fontlist:fontlist.txt -reslist:reslist.txt -ver:version.txt; do
  rm -f "$RUNDIR/prnlog.txt"
  draxome "${pair%%:*}"
  expect_rc 1 "${pair%%:*} alone"
  [ -s "$RUNDIR/${pair#*:}" ] || fail "${pair%%:*} alone did not write ${pair#*:}"
  expect_line prnlog.txt "Error: Printfile::openFile(): no file specified; use -open parameter to specify one"
  expect_line prnlog.txt "Error: Printfile::startPrinting() : could not parse document"
done
[ "$(od -An -c "$RUNDIR/version.txt" | tr -d ' \n')" = "v5.3.9" ] || fail "version.txt: $(od -c "$RUNDIR/version.txt")"
[ "$(od -An -c "$RUNDIR/prntlist.txt" | tr -s ' \n' ' ')" = " V i r t u a l A 4 \n V i r t u a l L e t t e r \n " ] ||
  fail "prntlist.txt: $(od -c "$RUNDIR/prntlist.txt")"
grep -qx 'Courier New' "$RUNDIR/fontlist.txt" && ! grep -q $'\r\|^Arial$' "$RUNDIR/fontlist.txt" ||
  fail "fontlist.txt: no Courier New, CR bytes or a proportional face: $(cat "$RUNDIR/fontlist.txt")"
[ "$(cat "$RUNDIR/reslist.txt")" = $'150x150\n300x300\n600x600\n1200x1200\n2400x2400' ] ||
  fail "reslist.txt: $(cat "$RUNDIR/reslist.txt")"
echo "-printlist, -fontlist, -reslist, -ver alone: files written, exit 1: ok"

# --- the log --------------------------------------------------------------------------
fresh
head -c 10001 /dev/zero | tr '\0' '~' >"$RUNDIR/job.log"
draxome -open job.dat -logfile job.log
expect_rc 0 "printing with a 10001-byte log"
[ "$(head -c 5 "$RUNDIR/job.log")" = "Info[" ] && ! grep -q '~' "$RUNDIR/job.log" && [ "$(tr -d '~' <"$RUNDIR/job.log.1" | wc -c)" -eq 0 ] &&
  [ "$(wc -c <"$RUNDIR/job.log.1")" -eq 10001 ] || fail "a log of 10001 bytes was not moved to job.log.1"
head -c 10000 /dev/zero | tr '\0' '~' >"$RUNDIR/job.log"
draxome -open job.dat -logfile job.log
[ "$(head -c 10000 "$RUNDIR/job.log" | tr -d '~' | wc -c)" -eq 0 ] && [ "$(tail -c +10001 "$RUNDIR/job.log" | head -c 5)" = "Info[" ] ||
  fail "a log of 10000 bytes was not kept and appended to"
# The default log is held to the same limit, also with -disablelog.
head -c 20000 /dev/zero | tr '\0' '~' >"$RUNDIR/prnlog.txt"
draxome -disablelog -logsize 15000 -open job.dat
[ "$(head -c 20000 "$RUNDIR/prnlog.txt.1" | tr -d '~' | wc -c)" -eq 0 ] && ! grep -q '~' "$RUNDIR/prnlog.txt" || fail "-disablelog: prnlog.txt of 20000 bytes was not moved"
echo "log size limit: 10001 bytes moved to job.log.1, 10000 kept and appended to, prnlog.txt with -disablelog: ok"

fresh
draxome -disablelog -logfile other.log -open job.dat
expect_rc 0 "-disablelog"
[ ! -e "$RUNDIR/other.log" ] || fail "-disablelog: other.log was created"
log_of prnlog.txt | grep -F 'Info: Config:' | grep -F $'\tlogfile=prnlog.txt\tlog=disabled\t' >/dev/null ||
  fail "-disablelog: the Config line does not show prnlog.txt disabled: $(log_of prnlog.txt | grep Config)"
echo "-disablelog with -logfile: that file untouched, Config shows prnlog.txt disabled: ok"

# --- the command line exactly as received ---------------------------------------------
fresh
text='-open job.dat  -docname "quoted \"name\""	-printername "Virtual Letter"'
draxome_raw "$text"
expect_rc 0 "an exact raw command line"
expect_line prnlog.txt "Info: Command line: $text"
expect_line prnlog.txt "Error: Unknown option "
echo "the command line is logged exactly as received: ok"

# --- exit codes and bad input: ARGUMENTS | exit code | lines of prnlog.txt ---------------
# (empty files, page lists and margins that fit nothing are the native start-up tests')
draxome_cases=(
  '-open job.dat' 0 "$hyphens"
  '-open job.dat -printername "No Such Printer"' 1 "Error: b=getprinter(args.printername, printer): canot find specified printer
Error: Printfile::startPrinting() : could not parse document"
  '-open missing.dat' 1 'Error: fopen(filename, "rb"): cannot open file
Error: Printfile::startPrinting() : could not parse document'
  '-open folder' 1 'Error: fopen(filename, "rb"): cannot open file'
  '-open folder -direct' 1 "Error: draxomeDirect(): cannot open file
Error: Printfile::startPrinting() : could not print file"
  '-cmdfile no-such.ini -open job.dat' 255 "Error: command line: cmdfile"
  '-open' 255 "Error: command line: open"
  '-logfile job.log -open job.dat -htext 0' 255 "Info: Command line: -logfile job.log -open job.dat -htext 0
Error: command line: htext '0': the height must be a number of millimetres, at least 0.1"
)
for ((i = 0; i < ${#draxome_cases[@]}; i += 3)); do
  fresh
  draxome_raw "${draxome_cases[i]}"
  expect_rc "${draxome_cases[i + 1]}" "${draxome_cases[i]}"
  while IFS= read -r line; do expect_line prnlog.txt "$line"; done <<<"${draxome_cases[i + 2]}"
  [ "${draxome_cases[i + 1]}" != 0 ] || [ "$(log_of prnlog.txt | tail -n 1)" = "$hyphens" ] || fail "a printed job ends without the hyphen line"
done
[ "$(log_of prnlog.txt | wc -l)" -eq 2 ] && [ ! -e "$RUNDIR/job.log" ] || fail "options that do not parse: $(log_of prnlog.txt)"
fresh
draxome -open job.dat -resolution 333 333
expect_rc 0 "-resolution 333 333"
# The driver rounds a resolution it does not have to its own; the log says which.
expect_line prnlog.txt $'Info: \tchosen resolution=333x333'
expect_line prnlog.txt $'Info: \tresolution in use=600x600'
echo "exit codes: 0 printed, also an empty file; 1 unknown printer, missing file, directory; -1 (255) options that do not parse: ok"
# The empty file and the refused options printed nothing.
[ "$(jobs_count)" -eq 7 ] || fail "expected 7 printed jobs, found $(jobs_count)"
