#!/usr/bin/env bash
# wine-prefix.sh PREFIX SETUPPRINTERS_EXE win32|win64
# Makes the headless Wine prefix that every Windows test of one build runs in, of that
# build's architecture: fonts that answer for Courier New, and the two virtual PostScript
# printers. Safe to run again and again: a stamp records what made the prefix, and only a change does the work again.
set -euo pipefail

die() { echo "wine-prefix: FAILED: $*" >&2; exit 1; }

[ $# -eq 3 ] || die "usage: $0 PREFIX SETUPPRINTERS_EXE win32|win64"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$(realpath -m -- "$1")
setup=$(realpath -m -- "$2")
arch=$3
. "$here/wine-env.sh"
loader=$(draxome_wine_loader "$arch") || die "architecture '$arch' is neither win32 nor win64"

[ -x "$loader" ] || die "'$loader' is not installed (tools/install-deps.sh)"
"$loader" --version >/dev/null 2>&1 || die "'$loader' cannot run on this host (tools/wine-env.sh decides which build a host tests)"
for tool in wineserver timeout flock sha256sum; do
  command -v "$tool" >/dev/null || die "'$tool' is not installed (tools/install-deps.sh)"
done
[ -f "$setup" ] || die "set-up program '$setup' does not exist; build the setupprinters target"
# Courier New has to come out monospace with Courier's widths; Liberation Mono is that font.
ls /usr/share/fonts/truetype/liberation*/LiberationMono-Regular.ttf >/dev/null 2>&1 ||
  die "Liberation Mono is missing (apt-get install fonts-liberation)"

export WINEPREFIX=$prefix WINEARCH=$arch WINELOADER=$loader DRAXOME_WINE_ARCH=$arch WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine would import a running CUPS daemon's queues and move the default printer.
export CUPS_SERVER=/nonexistent
unset DISPLAY WAYLAND_DISPLAY

mkdir -p "$(dirname "$prefix")"
# Two builds or test runs sharing one prefix must not make it at the same time.
exec 9>"$prefix.lock"
flock -w 600 9 || die "another run has held $prefix.lock for 10 minutes"

# Two stamps: the base (Wine and this script) and the printers (the set-up program). A
# rebuilt set-up program only needs the printers redone, not the whole prefix.
base_stamp_file=$prefix/.draxome-prefix-base
stamp_file=$prefix/.draxome-prefix-stamp
base_stamp=$(printf '%s\n' \
  "wine $("$loader" --version 2>/dev/null) $arch" \
  "script $(sha256sum <"${BASH_SOURCE[0]}" | cut -d' ' -f1)")
stamp=$(printf '%s\n' "$base_stamp" "setupprinters $(sha256sum <"$setup" | cut -d' ' -f1)")

matches() { [ -f "$1" ] && [ -f "$prefix/system.reg" ] && [ "$(cat "$1")" = "$2" ]; }
if matches "$stamp_file" "$stamp"; then
  echo "wine-prefix: $prefix is up to date"
  exit 0
fi
base_done=false
matches "$base_stamp_file" "$base_stamp" && base_done=true

started=$SECONDS
# A broken prefix, or a wineserver some other run keeps alive, can make Wine wait for
# ever: every step has a time limit, and a failed step stops this prefix's server so it
# leaves no half-written registry running behind it.
stop_server() { timeout 30 wineserver -k >/dev/null 2>&1 || true; }
step() {
  local limit=$1; shift
  local rc=0
  timeout -k 10 "$limit" "$@" || rc=$?
  if [ "$rc" -ne 0 ]; then
    stop_server
    [ "$rc" -eq 124 ] && die "'$*' did not finish within ${limit}s"
    die "'$*' exited with $rc"
  fi
}

rm -f "$stamp_file"
if $base_done; then
  echo "wine-prefix: $prefix has a new set-up program; redoing the printers"
else
  rm -f "$base_stamp_file"
  echo "wine-prefix: making $prefix"
  # A prefix of the other width cannot be converted: start it anew.
  existing=$(draxome_prefix_arch "$prefix")
  if [ -n "$existing" ] && [ "$existing" != "$arch" ]; then
    echo "wine-prefix: $prefix is $existing; making it $arch"
    stop_server
    rm -rf -- "$prefix"
  fi
  step 300 "$loader" wineboot -i
  for face in "Courier New" "Courier" "Lucida Console"; do
    step 60 "$here/wine-run" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
      /d "Liberation Mono" /f >/dev/null
  done
  echo "wine-prefix: Courier New, Courier and Lucida Console resolve to Liberation Mono"
fi

step 120 "$here/wine-run" "$setup"

# The registry reaches the disk only when the server ends.
step 120 wineserver -w

# Read the saved registry itself, so a step that reported success but left nothing on disk
# is caught here rather than as a puzzling test failure later.
grep -q 'Control\\\\Print\\\\Printers\\\\Virtual A4\]' "$prefix/system.reg" ||
  die "printer 'Virtual A4' is not in $prefix/system.reg"
grep -q 'Control\\\\Print\\\\Printers\\\\Virtual Letter\]' "$prefix/system.reg" ||
  die "printer 'Virtual Letter' is not in $prefix/system.reg"
grep -qi '^"device"="Virtual A4,' "$prefix/user.reg" ||
  die "'Virtual A4' is not the default printer in $prefix/user.reg"
for face in "Courier New" "Courier" "Lucida Console"; do
  grep -q "^\"$face\"=\"Liberation Mono\"" "$prefix/user.reg" ||
    die "font replacement for '$face' is not in $prefix/user.reg"
done

printf '%s\n' "$base_stamp" >"$base_stamp_file"
printf '%s\n' "$stamp" >"$stamp_file"
echo "wine-prefix: $prefix ready in $((SECONDS - started))s"
