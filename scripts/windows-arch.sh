# Sourced by the scripts that build and run the Windows program: which
# Windows build this host can run under Wine. Sourced by bash scripts, from
# anywhere.
#
#   klangrid_kernel_runs_32bit   true when the kernel runs 32-bit x86 programs
#   klangrid_wine32_runs         true when 32-bit Wine is installed and starts
#   klangrid_windows_arch        picks the build and prints one line saying so
#
# klangrid_windows_arch takes KLANGRID_WINDOWS_ARCH=i686|x86_64 as a forced
# choice (and fails, saying why, when that one cannot run here); otherwise it
# picks i686 where 32-bit Wine runs and x86_64 elsewhere. It sets
#   KLANGRID_WINDOWS_ARCH    i686 or x86_64
#   KLANGRID_WINE_ARCH       win32 or win64 (for klangrid_wine_env, cmake/wine-env.sh)
#   KLANGRID_WINE_LOADER     that Wine's loader
#   KLANGRID_WINDOWS_PRESET  and KLANGRID_WINDOWS_BUILD: the Debug build tree
#   KLANGRID_RELEASE_PRESET  and KLANGRID_RELEASE_BUILD: the Release build tree
# The program users get is the i686 one either way; x86_64 is how its tests
# run where 32-bit code cannot.

. "$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-env.sh"

# Some virtual machines' kernels have no 32-bit user mode at all. The probe is
# the smallest static i386 program: an ELF header, one loadable segment, and
# exit(42) through int 0x80. Anything but 42 means it did not run. It is
# written to DIR (default build/), not to a temporary folder that may be
# mounted noexec.
klangrid_kernel_runs_32bit() {
  local dir=${1:-build} probe status=0
  mkdir -p "$dir"
  probe=$(mktemp "$dir/.probe-i386.XXXXXX") || return 1
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' >>"$probe"
  printf '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00' >>"$probe"
  printf '\x00\x10\x00\x00\x31\xdb\xb3\x2a\x31\xc0\x40\xcd\x80' >>"$probe"
  chmod +x "$probe"
  (exec "$(cd "$dir" && pwd)/${probe##*/}") 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

# Why 32-bit Wine cannot run here, in a few words; empty when it can. DIR as
# for klangrid_kernel_runs_32bit.
klangrid_wine32_missing_reason() {
  if ! klangrid_kernel_runs_32bit "${1:-build}"; then
    echo "this host's kernel runs no 32-bit code"
  elif ! klangrid_wine32_runs; then
    echo "32-bit code runs here, but 32-bit Wine (wine32:i386) is not installed or does not start"
  fi
}

klangrid_windows_arch() {
  local arch=${KLANGRID_WINDOWS_ARCH:-} reason wine32_problem
  case "$arch" in
    ""|i686|x86_64) ;;
    *) echo "windows: KLANGRID_WINDOWS_ARCH='$arch' is neither i686 nor x86_64" >&2; return 2 ;;
  esac
  wine32_problem=$(klangrid_wine32_missing_reason)
  if [ "$arch" = i686 ]; then
    if [ -n "$wine32_problem" ]; then
      local advice="unset KLANGRID_WINDOWS_ARCH or set it to x86_64"
      klangrid_kernel_runs_32bit && advice="install wine32:i386 (scripts/setup.sh tries to), or $advice"
      echo "windows: KLANGRID_WINDOWS_ARCH=i686, but 32-bit Wine cannot run here: $wine32_problem;" \
           "$advice." >&2
      return 1
    fi
    reason="forced by KLANGRID_WINDOWS_ARCH=i686"
  elif [ "$arch" = x86_64 ]; then
    reason="forced by KLANGRID_WINDOWS_ARCH=x86_64"
  elif [ -z "$wine32_problem" ]; then
    arch=i686 reason="32-bit Wine runs here"
  else
    arch=x86_64 reason=$wine32_problem
  fi
  if [ "$arch" = x86_64 ] && ! klangrid_wine64_runs; then
    echo "windows: the x86_64 build needs 64-bit Wine (the wine64 package), which is not installed" \
         "or does not start here. scripts/setup.sh installs it." >&2
    return 1
  fi

  local version
  KLANGRID_WINDOWS_ARCH=$arch
  if [ "$arch" = i686 ]; then
    KLANGRID_WINE_ARCH=win32 KLANGRID_WINE_LOADER=$klangrid_wine32_loader
    KLANGRID_WINDOWS_PRESET=windows-cross KLANGRID_WINDOWS_BUILD=build/win
    KLANGRID_RELEASE_PRESET=release KLANGRID_RELEASE_BUILD=build/release
  else
    KLANGRID_WINE_ARCH=win64 KLANGRID_WINE_LOADER=$klangrid_wine64_loader
    KLANGRID_WINDOWS_PRESET=windows-cross-x64 KLANGRID_WINDOWS_BUILD=build/win64
    KLANGRID_RELEASE_PRESET=release-x64 KLANGRID_RELEASE_BUILD=build/release64
  fi
  export KLANGRID_WINDOWS_ARCH KLANGRID_WINE_ARCH
  version=$("$KLANGRID_WINE_LOADER" --version 2>/dev/null) || version="version unknown"
  echo "windows: $KLANGRID_WINDOWS_ARCH build ($KLANGRID_WINDOWS_BUILD) under" \
       "${KLANGRID_WINE_ARCH#win}-bit Wine ($KLANGRID_WINE_LOADER, $version): $reason"
}
