# Sourced, not run. The one place that knows which Windows build this host tests and
# demonstrates, and which Wine loader serves a prefix of either width.
#
# Debian's `wine` launcher takes the 32-bit loader whenever wine32 is installed, even on a
# kernel that cannot execute 32-bit programs, so nothing here goes through it: every
# script names the loader for the prefix's own architecture.
#
# DRAXOME_WINDOWS64=1 forces the 64-bit build on a host that could run both, so the
# fallback can be tried anywhere.

DRAXOME_WINE32=/usr/lib/wine/wine
DRAXOME_WINE64=/usr/lib/wine/wine64

draxome_host_runs_32bit() {
  [ -x "$DRAXOME_WINE32" ] && "$DRAXOME_WINE32" --version >/dev/null 2>&1
}

# Sets DRAXOME_WINDOWS_PRESET (windows or windows64), DRAXOME_WINE_ARCH (win32 or win64)
# and DRAXOME_WINDOWS_WHY, the line that says which build and why.
draxome_windows_build() {
  if [ "${DRAXOME_WINDOWS64:-}" = 1 ]; then
    DRAXOME_WINDOWS_WHY="64-bit build: forced by DRAXOME_WINDOWS64=1"
  elif draxome_host_runs_32bit; then
    DRAXOME_WINDOWS_PRESET=windows DRAXOME_WINE_ARCH=win32
    DRAXOME_WINDOWS_WHY="Windows tests: 32-bit build"
    return
  else
    DRAXOME_WINDOWS_WHY="64-bit build: this host cannot run 32-bit programs"
  fi
  DRAXOME_WINDOWS_PRESET=windows64 DRAXOME_WINE_ARCH=win64
}

# draxome_wine_loader ARCH: the loader for a win32 or win64 prefix.
draxome_wine_loader() {
  case "$1" in
    win32) echo "$DRAXOME_WINE32" ;;
    win64) echo "$DRAXOME_WINE64" ;;
    *) echo "draxome_wine_loader: unknown architecture '$1'" >&2; return 1 ;;
  esac
}

# draxome_prefix_arch PREFIX: the architecture Wine recorded when it made the prefix.
draxome_prefix_arch() {
  [ -f "$1/system.reg" ] || return 0
  sed -n 's/^#arch=\(win32\|win64\)\r\?$/\1/p' "$1/system.reg" | head -n 1
}
