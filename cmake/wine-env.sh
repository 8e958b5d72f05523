# Sourced by the scripts that run Wine: sets the environment for one Wine
# architecture and a private prefix. Usage: . cmake/wine-env.sh ARCH PREFIX
# with ARCH win32 (32-bit Wine, i686 programs) or win64 (64-bit Wine, x86-64
# programs). Debian's wine and wineserver wrappers prefer the 32-bit loader
# and the 64-bit server, so both are named here explicitly, matching.
klangrid_wine_arch="$1"
case "$klangrid_wine_arch" in
  win32) WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 ;;
  win64) WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
  *) echo "wine-env: unknown Wine architecture '$klangrid_wine_arch'" >&2; return 2 ;;
esac
# No debugger: a crashing program ends at once with a failure instead of
# waiting in winedbg. No menu builder: nothing goes into the user's menus.
export WINEPREFIX="$2" WINEARCH="$klangrid_wine_arch" WINELOADER WINESERVER WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"
wine() { "$WINELOADER" "$@"; }
wineserver() { "$WINESERVER" "$@"; }
wineboot() { "$WINELOADER" wineboot.exe "$@"; }
