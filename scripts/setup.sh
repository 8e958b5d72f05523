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
# The locale alone needs no package lists.
if [ ${#missing[@]} -gt 0 ] || [ "$want_wine32" = 1 ]; then
  update_package_lists
fi

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

# A mirror mid-sync can leave the 32-bit security index unreadable while the
# 64-bit one reads: some 64-bit libraries are then installed at a security
# version that the i386 lists lack, and a 32-bit library of the same package
# must have the same version, so apt gives up. Second try: the release suite
# as target, where every i386 package is listed, and, for each package of
# wine32's dependency closure whose installed 64-bit version has no i386
# version of that number (or newer) in the lists, the i386 file of exactly
# that version, fetched from the archive's pool beside the 64-bit one. (That file
# has no checksum in a readable index; it comes from the same archive and
# source as the signed 64-bit one, and only test hosts take this path.)
install_wine32_from_release_and_pool() {
  local suite closure listed stale=() uris=() debs=() uri
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$suite" ] || return 1
  closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
              --no-breaks --no-replaces --no-enhances "$wine32" 2>/dev/null |
            sed -n 's/^\([a-z0-9][^ <>]*:i386\)$/\1/p' | sort -u)
  # "name version" for every i386 version in the lists (one apt call: each
  # loads the whole cache).
  listed=$(apt-cache show $closure 2>/dev/null | awk '/^Package:/ {p = $2} /^Version:/ {print p, $2}')
  # Installed 64-bit packages that must match their 32-bit twin's version,
  # and whose twin is listed at no version as new: apt upgrades the 64-bit
  # one to a newer twin by itself, but never downgrades it to an older one.
  local name version other newer
  while read -r name version; do
    newer=""
    while read -r other; do
      if dpkg --compare-versions "$other" ge "$version"; then newer=1; break; fi
    done < <(awk -v p="$name" '$1 == p {print $2}' <<<"$listed")
    [ -n "$newer" ] || stale+=("$name:amd64=$version")
  done < <(
    dpkg-query -W -f='${Package} ${Version} ${Architecture} ${Multi-Arch} ${db:Status-Status}\n' |
      awk -v closure="$closure" -v listed="$listed" '
        BEGIN { n = split(closure, c, "\n"); for (i = 1; i <= n; i++) { sub(/:i386$/, "", c[i]); want[c[i]] = 1 }
                n = split(listed, l, "\n"); for (i = 1; i <= n; i++) have[l[i]] = 1 }
        $3 == "amd64" && $4 == "same" && $5 == "installed" && ($1 in want) && !(($1 " " $2) in have) {
          print $1, $2 }')
  if [ ${#stale[@]} -gt 0 ]; then
    # 'URI' FILE SIZE HASH, a line each; the i386 file lies beside the amd64 one.
    mapfile -t uris < <(apt-get download --print-uris "${stale[@]}" 2>>"$apt_log" |
                        sed -n "s/^'\([^']*\)_amd64\.deb' \([^ ]*\)_amd64\.deb .*/\1_i386.deb \2_i386.deb/p")
    [ ${#uris[@]} -eq ${#stale[@]} ] || return 1
    mkdir -p build/setup-debs
    for uri in "${uris[@]}"; do
      debs+=("$PWD/build/setup-debs/${uri##* }")
      [ -s "${debs[-1]}" ] || /usr/lib/apt/apt-helper download-file "${uri% *}" "${debs[-1]}" >>"$apt_log" 2>&1 ||
        return 1
    done
  fi
  echo "setup: the plain install of $wine32 failed; trying again from the $suite suite," \
       "with ${#debs[@]} i386 package(s) from the archive's pool at the installed 64-bit version" \
       "${stale[*]:+(${stale[*]%%:amd64=*})}" >&2
  run_apt install -y --no-install-recommends -t "$suite" "$wine32" "${debs[@]}"
}

if [ "$want_wine32" = 1 ]; then
  echo "setup: installing $wine32 (32-bit Wine, to test the i686 build)" >&2
  if run_apt install -y --no-install-recommends "$wine32" || install_wine32_from_release_and_pool; then
    rm -f "$wine32_failed"
    if klangrid_wine32_runs; then
      echo "setup: $wine32 installed; 32-bit Wine starts" >&2
    else
      echo "setup: $wine32 installed, but 32-bit Wine does not start here" >&2
    fi
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
