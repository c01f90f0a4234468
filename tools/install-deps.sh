#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian 12 machine; quick when all
# is there already. Needs root (or sudo) for apt-get.
set -euo pipefail

# wine32 is installed even where the kernel cannot run it: the 64-bit Wine of a host
# without 32-bit user mode is the same packages, reached through its own loader
# (tools/wine-env.sh).
packages=(cmake g++ make googletest python3
          g++-mingw-w64-i686 g++-mingw-w64-i686-posix
          g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix
          wine wine32:i386 wine64 ghostscript fonts-liberation poppler-utils
          man-db clang libclang-rt-14-dev rlpr cups cups-client)

sudo=""
if [ "$(id -u)" != 0 ]; then sudo="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
