#!/usr/bin/env bash
# The installer, end to end in a fresh Wine prefix: a silent install puts the
# program, its uninstaller and a Start-menu shortcut in place and registers
# the uninstaller; a silent uninstall takes exactly those away again and
# leaves the driver's key, its values and the user's schemes as they were.
#
# Usage: installer_test.sh SETUP_EXE PROGRAM WINDRES WORK_DIR WINE_ARCH
# PROGRAM is the KLANGRID.EXE the installer was made from; WORK_DIR holds the
# prefix, made anew on every run and removed when the test passes; WINE_ARCH
# is win32 for the x86 installer users get, win64 for the amd64 one made
# around the x86-64 build. Exit status 77: skipped, with the reason printed.
set -uo pipefail

setup="$1" program="$2" windres="$3" work="$4" arch="$5"
source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -f "$setup" ] || { echo "FAIL: no installer at $setup (build the 'installer' target)"; exit 1; }

# The installer's own properties, read from the file without running it.
resources=$("$windres" -i "$setup" -J coff -O rc 2>/dev/null)
grep -q 'PRODUCTVERSION 1, 0, 0, 2' <<<"$resources" || fail "installer version is not 1.0.0.2"
grep -q '"ProductVersion", "1.0.0.2"' <<<"$resources" || fail "installer product version text is not 1.0.0.2"
grep -aq 'level="requireAdministrator"' "$setup" || fail "installer does not ask for administrator rights"

# The x86 installer's stub is 32-bit code: it needs 32-bit Wine, and the
# x86_64 path does without that (scripts/windows-arch.sh).
if [ "$arch" = win32 ]; then
  reason=$(. "$source_dir/scripts/windows-arch.sh" && klangrid_wine32_missing_reason "$work")
  if [ -z "$reason" ] && [ "${KLANGRID_WINDOWS_ARCH:-}" = x86_64 ]; then
    reason="KLANGRID_WINDOWS_ARCH=x86_64 runs no 32-bit Wine"
  fi
  if [ -n "$reason" ]; then
    if [ "$failures" -gt 0 ]; then
      echo "$failures check(s) failed; installing was not tried: $reason"
      exit 1
    fi
    echo "skipped: installing needs 32-bit Wine (the x86 installer's stub is 32-bit): $reason"
    exit 77
  fi
fi

prefix="$work/installer-prefix"
rm -rf "$prefix"
mkdir -p "$prefix"
# wine-env.sh keeps winemenubuilder from turning the shortcut into a desktop
# entry in the user's home; nothing of this test may leave the prefix.
. "$source_dir/cmake/wine-env.sh"
klangrid_wine_env "$arch" "$prefix"
wineboot --init >/dev/null 2>&1
wineserver -w

drive="$prefix/drive_c"
install_dir="$drive/Program Files/Klangrid"
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Klangrid.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Klangrid'
# The driver's key and its parent, which holds the factory values.
driver_key=$klangrid_driver_key vendor_key=${klangrid_driver_key%\\*}

# Runs a Windows command and waits until every process it started has ended
# (the uninstaller hands over to a copy of itself and returns at once).
run() {
  wine "$@" >/dev/null 2>&1
  local status=$?
  wineserver -w
  return $status
}

# What the driver and the user own: a factory value, the active
# configuration's values and a scheme with its own value.
run reg add "$vendor_key" /v Instrument0 /t REG_BINARY /d 0f0e0d0c0b0a09080706050403020100 /f
run reg add "$driver_key" /v Scheme /d jazz /f
run reg add "$driver_key" /v SoftSynDeviceName /d "Kestro SoftSynth" /f
run reg add "$driver_key\\jazz" /v Percussion0 /t REG_BINARY /d 010203040506 /f
snapshot() { wine reg export "$vendor_key" "C:\\$1" /y >/dev/null 2>&1; wineserver -w; }
snapshot kestro-before.reg
# reg export writes UTF-16.
iconv -f UTF-16 -t UTF-8 "$drive/kestro-before.reg" | grep -q 'AudioDriver\\jazz' ||
  fail "could not seed the driver's key"

install() {
  run "$setup" /S || fail "silent install ended with status $?"
  [ -f "$install_dir/KLANGRID.EXE" ] || fail "KLANGRID.EXE not installed in Program Files\\Klangrid"
  cmp -s "$program" "$install_dir/KLANGRID.EXE" || fail "installed KLANGRID.EXE differs from the built one (installer older than the program?)"
  [ -f "$install_dir/Uninstall.exe" ] || fail "no uninstaller installed"
  [ -f "$shortcut" ] || fail "no Start-menu shortcut"
  local entry
  entry=$(wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r')
  grep -q 'DisplayName.*Klangrid' <<<"$entry" || fail "no Add/Remove Programs entry"
  grep -q 'DisplayVersion.*1\.0\.0\.2' <<<"$entry" || fail "Add/Remove Programs entry lacks version 1.0.0.2"
  grep -q 'UninstallString.*Uninstall\.exe' <<<"$entry" || fail "Add/Remove Programs entry lacks the uninstaller"
}

uninstall() {
  run "C:\\Program Files\\Klangrid\\Uninstall.exe" /S || fail "silent uninstall ended with status $?"
  [ ! -e "$install_dir/KLANGRID.EXE" ] || fail "KLANGRID.EXE left after uninstall"
  [ ! -e "$install_dir/Uninstall.exe" ] || fail "uninstaller left after uninstall"
  [ ! -e "$shortcut" ] || fail "Start-menu shortcut left after uninstall"
  wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "Add/Remove Programs entry left after uninstall"
  wineserver -w
  snapshot kestro-after.reg
  cmp -s "$drive/kestro-before.reg" "$drive/kestro-after.reg" ||
    fail "uninstall changed $vendor_key:" \
      "$(diff <(iconv -f UTF-16 -t UTF-8 "$drive/kestro-before.reg") \
              <(iconv -f UTF-16 -t UTF-8 "$drive/kestro-after.reg") | tr -d '\r')"
}

echo "== install, uninstall"
install
uninstall
[ ! -e "$install_dir" ] || fail "empty install folder left after uninstall"

echo "== install, a file of the user's in the folder, uninstall"
install
echo "mine" >"$install_dir/notes.txt"
uninstall
[ -f "$install_dir/notes.txt" ] || fail "uninstall removed a file it did not install"

wineserver -k >/dev/null 2>&1
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
# Kept after a failure for a look inside; otherwise it is only room taken.
rm -rf "$prefix"
echo "installer test passed"
