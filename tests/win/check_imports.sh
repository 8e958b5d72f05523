#!/bin/sh
# Fails when a Windows program imports a DLL that is not part of Windows
# itself (a runtime DLL such as libstdc++ or libwinpthread that a bare
# machine lacks). Usage: check_imports.sh OBJDUMP PROGRAM...
objdump="$1"
shift
allowed="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll version.dll winmm.dll"
status=0
for program in "$@"; do
  dlls=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || { echo "$program: no import table found"; status=1; }
  for dll in $dlls; do
    case " $allowed " in
      *" $dll "*) ;;
      *) echo "$program imports $dll, which Windows does not provide"; status=1 ;;
    esac
  done
  echo "$program imports: $(echo $dlls)"
done
exit $status
