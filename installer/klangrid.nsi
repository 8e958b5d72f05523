; Windows installer for Klangrid. Built by the `installer` target:
;   makensis -DPROGRAM=<KLANGRID.EXE> -DOUTFILE=<setup.exe> [-DICON=<.ico>] [-DVERSION=a.b.c.d]
;            [-DAMD64] klangrid.nsi
;
; It installs the one program file, a Start-menu shortcut and an uninstaller
; with its Add/Remove Programs entry. The uninstaller removes exactly those;
; the driver's key and the user's schemes below HKLM\SOFTWARE\Kestro belong
; to the sound card's driver and stay.

!ifdef AMD64
  ; Not shipped: around the x86-64 build, so that the installer's test runs
  ; under 64-bit Wine where 32-bit code cannot.
  Target amd64-unicode
!else
  Unicode true
!endif
SetCompressor /SOLID lzma

!ifndef PROGRAM
  !error "PROGRAM must name the KLANGRID.EXE to install"
!endif
!ifndef OUTFILE
  !define OUTFILE "klangrid-setup.exe"
!endif
!ifndef VERSION
  !define VERSION "1.0.0.2"
!endif

!define PRODUCT "Klangrid"
!define COMPANY "Kestro"
!define DESCRIPTION "Kestro MIDI Instruments Mapper Application"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Klangrid"
!define SHORTCUT "$SMPROGRAMS\Klangrid.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!ifdef AMD64
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  ; The program is 32-bit: on 64-bit Windows this is "Program Files (x86)".
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
; The program writes below HKEY_LOCAL_MACHINE and is installed for everyone.
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!include "MUI2.nsh"
!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Shortcuts for all users, matching the per-machine install; the uninstaller
; must look in the same place.
Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Klangrid" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=KLANGRID.EXE" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\KLANGRID.EXE" "" "$INSTDIR\KLANGRID.EXE" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Comments" "${DESCRIPTION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\KLANGRID.EXE"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\KLANGRID.EXE"
  Delete "$INSTDIR\Uninstall.exe"
  ; Not /r: anything the user put in the folder stays, and so does the folder.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
