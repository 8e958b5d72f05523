#!/usr/bin/env bash
# Installs, idempotently, every Debian package the builds and tests need.
# Runs as root or through sudo; makes no apt call when everything is present.
#
# 32-bit Wine (wine32:i386) is installed only where it will be used: on a
# host whose kernel runs 32-bit code, unless KLANGRID_WINDOWS_ARCH=x86_64.
# When it cannot be installed the set-up says why and carries on, and the
# Windows tests run the x86-64 build under 64-bit Wine instead
# (scripts/windows-arch.sh). Everything else is needed on every host.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/windows-arch.sh

packages=(cmake make g++ python3
          g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          wine wine64 fonts-wine xvfb x11-utils xdotool imagemagick nsis
          googletest clang libclang-rt-14-dev locales)
wine32=wine32:i386
# A failed attempt at 32-bit Wine is not repeated for an hour: a mirror in
# mid-sync takes about that long to settle, and every script runs set-up.
wine32_failed=build/.setup-wine32-failed
apt_log=build/setup-apt.log

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

want_wine32=0
if [ "${KLANGRID_WINDOWS_ARCH:-}" != x86_64 ] && ! installed "$wine32" && klangrid_kernel_runs_32bit; then
  want_wine32=1
  if [ -n "$(find "$wine32_failed" -mmin -60 2>/dev/null)" ]; then
    echo "setup: $wine32 (32-bit Wine) could not be installed" \
         "$(( ($(date +%s) - $(stat -c %Y "$wine32_failed")) / 60 )) min ago ($(head -n 1 "$wine32_failed"));" \
         "not trying again within the hour (delete $wine32_failed to try now)" >&2
    want_wine32=0
  fi
fi

# A Windows test runs Wine under a Japanese Unix locale, which gives it code
# page 932; Debian generates no locale but C unless asked.
japanese_locale=ja_JP.UTF-8
want_locale=0
locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8' || want_locale=1

if [ ${#missing[@]} -eq 0 ] && [ "$want_wine32" = 0 ] && [ "$want_locale" = 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" != 0 ]; then
  if ! command -v sudo >/dev/null; then
    wanted=("${missing[@]}")
    if [ "$want_wine32" = 1 ]; then wanted+=("$wine32"); fi
    echo "setup: installing ${wanted[*]} needs root or sudo; run this as root" >&2
    exit 1
  fi
  SUDO="sudo"
fi
mkdir -p build
: >"$apt_log"
step_log=$(mktemp)
trap 'rm -f "$step_log"' EXIT

# Runs apt-get quietly; its output goes to the full log, and the last call's
# also to step_log, for apt_reason.
run_apt() {
  local status=0
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=120 "$@" >"$step_log" 2>&1 ||
    status=$?
  cat "$step_log" >>"$apt_log"
  return $status
}

# apt's own words for why the last call failed, a few lines of them.
apt_reason() {
  {
    grep -m 2 ' Depends: .* but ' "$step_log" || true
    grep '^E: ' "$step_log" | sort -u | head -n 2
  } | sed 's/^ */setup:   /'
}

# One index caught mid-sync on a mirror fails the whole update, though the
# packages wanted may still be installable from the others.
update_failed=""
update_package_lists() {
  local try
  for try in 1 2 3; do
    if run_apt update; then
      update_failed=""
      return
    fi
    update_failed=$(grep -m 1 '^E: Failed to fetch' "$step_log" || grep -m 1 '^E: ' "$step_log" || echo "?")
    update_failed=$(sed 's/ *\[IP: [^]]*\]//' <<<"$update_failed")
    if [ "$try" -lt 3 ]; then
      echo "setup: apt-get update failed (try $try of 3); trying again in 5 s" >&2
      sleep 5
    fi
  done
  echo "setup: warning: apt-get update still fails; carrying on with the package lists there are:" >&2
  echo "setup:   $update_failed" >&2
}

if [ "$want_wine32" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
update_package_lists

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  if ! run_apt install -y --no-install-recommends "${missing[@]}"; then
    {
      echo "setup: could not install ${missing[*]}; apt-get says:"
      apt_reason
      [ -z "$update_failed" ] ||
        echo "setup: apt-get update had failed (above), so the package lists may be incomplete or out of date."
      echo "setup: check the network and the apt sources; if a mirror is mid-sync, try again later;" \
           "or install the packages by hand. apt's full output: $apt_log"
    } >&2
    exit 1
  fi
fi

if [ "$want_wine32" = 1 ]; then
  echo "setup: installing $wine32 (32-bit Wine, to test the i686 build)" >&2
  if run_apt install -y --no-install-recommends "$wine32"; then
    rm -f "$wine32_failed"
  else
    reason="apt-get install failed${update_failed:+ after apt-get update failed}"
    echo "$reason" >"$wine32_failed"
    {
      echo "setup: could not install $wine32 (32-bit Wine); apt-get says:"
      apt_reason
      [ -z "$update_failed" ] ||
        echo "setup: apt-get update had failed (above), so the 32-bit package lists are probably incomplete."
      if [ "${KLANGRID_WINDOWS_ARCH:-}" = i686 ]; then
        echo "setup: without it, KLANGRID_WINDOWS_ARCH=i686 cannot run here."
      else
        echo "setup: the Windows tests will run the x86-64 build under 64-bit Wine instead."
      fi
      echo "setup: for the i686 path, run 'apt-get update && apt-get install $wine32' later (a mirror" \
           "mid-sync settles within hours); the scripts pick it up. apt's full output: $apt_log"
    } >&2
  fi
fi

if [ "$want_locale" = 1 ]; then
  echo "setup: generating the $japanese_locale locale (for the code-page test under Wine)" >&2
  if ! { $SUDO sed -i "s/^# *\($japanese_locale UTF-8\)/\1/" /etc/locale.gen &&
         grep -qx "$japanese_locale UTF-8" /etc/locale.gen &&
         $SUDO locale-gen >>"$apt_log" 2>&1; }; then
    echo "setup: warning: could not generate $japanese_locale; the code-page test will be skipped" >&2
  fi
fi
