# Sourced, with no arguments, by every script that runs Wine or the program
# (bash or any POSIX sh): the one place that names Wine's loaders and
# servers, tells whether each Wine runs, and holds what the scripts share
# about the program (its main caption, the driver's key, the virtual display).
#
#   klangrid_wine32_runs, klangrid_wine64_runs   true when that Wine starts
#   klangrid_wine_env ARCH PREFIX   sets the environment for one Wine
#       architecture (win32: 32-bit Wine, i686 programs; win64: 64-bit Wine,
#       x86-64 programs) and a private prefix; wine, wineserver and wineboot
#       then run that Wine
#   klangrid_xvfb_run COMMAND...    runs COMMAND on a virtual display
#
# A function, not arguments to `.`: dash's `.` ignores them, and the sourced
# file would see the caller's own $1.

klangrid_wine32_loader=/usr/lib/wine/wine
klangrid_wine32_server=/usr/lib/wine/wineserver32
klangrid_wine64_loader=/usr/lib/wine/wine64
klangrid_wine64_server=/usr/lib/wine/wineserver64

klangrid_caption="Kestro Ostrel Synthesis Engine"
klangrid_driver_key='HKLM\SOFTWARE\Kestro\AudioDriver'
klangrid_xvfb_screen="-screen 0 1280x1024x24"

klangrid_wine32_runs() {
  [ -x "$klangrid_wine32_loader" ] && "$klangrid_wine32_server" --version >/dev/null 2>&1
}

klangrid_wine64_runs() {
  [ -x "$klangrid_wine64_loader" ] && "$klangrid_wine64_server" --version >/dev/null 2>&1
}

klangrid_xvfb_run() {
  xvfb-run -a -s "$klangrid_xvfb_screen" "$@"
}

# Debian's wine and wineserver wrappers prefer the 32-bit loader and the
# 64-bit server, so both are named here explicitly, matching.
klangrid_wine_env() {
  case "$1" in
    win32) WINELOADER=$klangrid_wine32_loader WINESERVER=$klangrid_wine32_server ;;
    win64) WINELOADER=$klangrid_wine64_loader WINESERVER=$klangrid_wine64_server ;;
    *) echo "wine-env: unknown Wine architecture '$1'" >&2; return 2 ;;
  esac
  # No debugger: a crashing program ends at once with a failure instead of
  # waiting in winedbg. No menu builder: nothing goes into the user's menus.
  WINEPREFIX=$2 WINEARCH=$1 WINEDEBUG=-all
  WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"
  export WINEPREFIX WINEARCH WINELOADER WINESERVER WINEDEBUG WINEDLLOVERRIDES
}

wine() { "$WINELOADER" "$@"; }
wineserver() { "$WINESERVER" "$@"; }
wineboot() { "$WINELOADER" wineboot.exe "$@"; }
