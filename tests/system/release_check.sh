#!/usr/bin/env bash
# release_check.sh: the packages tools/release made in out/, as a user receives them.
# The zip holds exactly the shipped files, its programs are 32-bit (the two programs of
# the GUI subsystem, the client a console program), and every sum matches. The .deb
# unpacked into a scratch root gives a client that shows the project version and a man
# page, and prints a job through the server under Wine and reads it back: the zip's own
# server where this host runs 32-bit programs, else the same sources' 64-bit build.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/systest.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/draxome.sh"
. "$(dirname "${BASH_SOURCE[0]}")/lib/printserver.sh"
. "$SYSTEST_SOURCE/tools/wine-env.sh"
require_tools dpkg-deb man python3 sha256sum
OUT=$SYSTEST_SOURCE/out
version=$(sed -n 's/^project(draxome VERSION \([0-9.]*\) .*/\1/p' "$SYSTEST_SOURCE/CMakeLists.txt")
[ -n "$version" ] || fail "CMakeLists.txt sets no project version"
zip=$OUT/draxome-$version-win32.zip
deb=$OUT/draxome-client_${version}_amd64.deb
make_workdir

(cd "$OUT" && sha256sum --quiet -c SHA256SUMS) || fail "out/SHA256SUMS does not match the packages"

# --- the zip ------------------------------------------------------------------------------
top=draxome-$version-win32
names=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")
expected=$(printf "$top/%s\n" INSTALL.txt SHA256SUMS docs/client.md docs/draxome.md docs/protocol.md \
  docs/server.md draxome.exe draxomeClient.exe draxomeServer.exe | sort)
[ "$names" = "$expected" ] || fail "the zip holds
$names
instead of
$expected"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$WORKDIR"
(cd "$WORKDIR/$top" && sha256sum --quiet -c SHA256SUMS) || fail "the zip's SHA256SUMS does not match its files"
[ "$(wc -l <"$WORKDIR/$top/SHA256SUMS")" -eq 8 ] || fail "the zip's SHA256SUMS does not cover every file"
# PE: machine 0x14c is i386; subsystem 2 is the GUI, 3 the console.
pe() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
assert data[pe:pe + 4] == b"PE\0\0", "no PE signature"
machine = struct.unpack_from("<H", data, pe + 4)[0]
magic, = struct.unpack_from("<H", data, pe + 24)
subsystem, = struct.unpack_from("<H", data, pe + 24 + 68)
print("%#x %#x %d" % (machine, magic, subsystem))
PY
}
for exe in draxome.exe:2 draxomeServer.exe:2 draxomeClient.exe:3; do
  got=$(pe "$WORKDIR/$top/${exe%:*}")
  [ "$got" = "0x14c 0x10b ${exe#*:}" ] || fail "${exe%:*}: machine, optional header and subsystem are '$got', expected '0x14c 0x10b ${exe#*:}'"
done
grep -q $'netsh advfirewall.*localport=2345\r$' "$WORKDIR/$top/INSTALL.txt" || fail "INSTALL.txt lacks the firewall rule (or Windows line ends)"
echo "the zip: its files, 32-bit GUI programs and a console client, sums that match: ok"

# --- the .deb -----------------------------------------------------------------------------
[ "$(dpkg-deb -f "$deb" Package Version Architecture | tr '\n' ' ')" = "Package: draxome-client Version: $version Architecture: amd64 " ] ||
  fail "the package's control fields: $(dpkg-deb -f "$deb")"
root=$WORKDIR/root
dpkg -x "$deb" "$root"
CLIENT=$root/usr/bin/draxomeClient
[ "$("$CLIENT" -version)" = "draxomeClient $version" ] || fail "-version says '$("$CLIENT" -version)'"
MANWIDTH=80 man -l "$root/usr/share/man/man1/draxomeClient.1.gz" 2>/dev/null | grep -q 'draxomeClient - send a print job' ||
  fail "the man page does not show"
echo "the .deb: the client shows version $version, man draxomeClient shows its page: ok"

draxome_windows_build
build=$SYSTEST_SOURCE/build/$DRAXOME_WINDOWS_PRESET
export WINEPREFIX=$build/wineprefix
[ "$(draxome_prefix_arch "$WINEPREFIX")" = "$DRAXOME_WINE_ARCH" ] ||
  fail "no $DRAXOME_WINE_ARCH prefix in $WINEPREFIX: run the $DRAXOME_WINDOWS_PRESET tests first"
if [ "$DRAXOME_WINE_ARCH" = win32 ]; then
  draxome_setup "$WORKDIR/$top/draxome.exe" "$WORKDIR/$top/draxomeServer.exe"
else
  draxome_setup "$build/print/draxome.exe" "$build/server/draxomeServer.exe"
fi
PORT=$(free_port)
server_start "$RUNDIR" "$PORT"
printf 'Printed by the packaged client %s\r\nsecond line\r\n' "$version" >"$WORKDIR/job.txt"
client -server "127.0.0.1:$PORT" -outdir "$WORKDIR/replies" -timeout 60 -open "$WORKDIR/job.txt"
[ "$RC" -eq 0 ] || fail "the packaged client: exit code $RC; $(cat "$CLIENT_ERR")"
[ "$(jobs_count)" -eq 1 ] || fail "the packaged client's job: $(jobs_count) jobs in the spool"
readback text "$(job_files "$SPOOL")" | tr -s " " | grep -qF "Printed by the packaged client $version" ||
  fail "the printout lacks the job's text"
echo "the packaged client printed through the server (${DRAXOME_WINE_ARCH#win}-bit), read back: ok"
