#!/usr/bin/env bash
# Installs, idempotently, every Debian package the builds and tests need.
# Runs as root or through sudo; does nothing when everything is present.
set -euo pipefail

need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1

packages=(cmake make g++ g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386
          xvfb x11-utils xdotool imagemagick fonts-wine googletest clang libclang-rt-14-dev python3
          nsis)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "$need_i386" = 0 ] && [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

if [ "$need_i386" = 1 ]; then
  $SUDO dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}" >&2
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
