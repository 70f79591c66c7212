; The example installer: "Tamsk Example" with one item of every kind, each
; installed through a TamskLog.nsh macro, so that UnVrel.exe removes exactly
; what it installed. Built by the project's CMake (target nsis_example):
;
;   makensis -DTAMSK_UNVREL=...\UnVrel.exe -DTAMSK_EXAMPLE_BIN=<built programs>
;            -DTAMSK_EXAMPLE_FONT=<a .ttf> -DTAMSK_EXAMPLE_OUTFILE=<setup.exe>
;            [-DTAMSK_EXAMPLE_TARGET=amd64-unicode|x86-unicode|x86-ansi] TamskExample.nsi

!ifndef TAMSK_EXAMPLE_TARGET
  !define TAMSK_EXAMPLE_TARGET amd64-unicode
!endif
Target ${TAMSK_EXAMPLE_TARGET}

!addincludedir "${__FILEDIR__}\.."
!include "TamskLog.nsh"
!include "x64.nsh"

Name "Tamsk Example"
OutFile "${TAMSK_EXAMPLE_OUTFILE}"
RequestExecutionLevel admin
InstallDir "$PROGRAMFILES64\Tamsk Example"
Page directory
Page instfiles

Function .onInit
  SetShellVarContext all
  !if ${NSIS_PTR_SIZE} = 4
    ; A 32-bit installer of this 64-bit application works in the 64-bit
    ; views; TamskLogOpen then writes the log for that view.
    ${If} ${RunningX64}
      SetRegView 64
      ${DisableX64FSRedirection}
    ${EndIf}
  !endif
FunctionEnd

Section "Tamsk Example"
  ${TamskLogOpen} "$INSTDIR\install.log"

  ; Files: single files, one under another name, and a tree.
  ${TamskSetOutPath} "$INSTDIR"
  ${TamskFile} "${TAMSK_EXAMPLE_BIN}\TamskExample.exe"
  ${TamskFile} "${TAMSK_EXAMPLE_BIN}\TamskExampleServer.dll"
  ${TamskFileAs} "${__FILEDIR__}\readme.txt" "Read me.txt"
  ${TamskFiles} '/r "${__FILEDIR__}\files\*.*"'

  ; A library shared with other Tamsk applications, and a COM server.
  ${TamskSharedFile} "${TAMSK_EXAMPLE_BIN}\TamskShared.dll" "$COMMONFILES64\Tamsk Shared\TamskShared.dll"
  ${TamskRegDLL} "$INSTDIR\TamskExampleServer.dll"

  ${TamskInstallFont} "${TAMSK_EXAMPLE_FONT}" "TamskExample.ttf" "Tamsk Example Symbols (TrueType)"

  ${TamskCreateDirectory} "$SMPROGRAMS\Tamsk Example"
  ${TamskCreateShortCut} "$SMPROGRAMS\Tamsk Example\Tamsk Example.lnk" "$INSTDIR\TamskExample.exe" ""
  ${TamskCreateShortCut} "$SMPROGRAMS\Tamsk Example\Read me.lnk" "$INSTDIR\Read me.txt" ""
  ${TamskCreateShortCut} "$DESKTOP\Tamsk Example.lnk" "$INSTDIR\TamskExample.exe" '"" "$INSTDIR\TamskExample.exe" 0'

  ; Registry: settings, a value whose name holds backslashes, the program's
  ; path, a file type, and a value in a key that is there already.
  ${TamskWriteRegStr} HKLM "Software\Tamsk\Tamsk Example" "InstallDir" "$INSTDIR"
  ${TamskWriteRegDWORD} HKLM "Software\Tamsk\Tamsk Example" "Version" 0x00010000
  ${TamskWriteRegStr} HKCU "Software\Tamsk\Tamsk Example\Settings" "Language" "en"
  ${TamskWriteRegStr} HKCU "Software\Tamsk\Tamsk Example\Recent" "C:\Users\Public\Documents\todo.txt" "1"
  ${TamskWriteRegStr} HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\TamskExample.exe" "" "$INSTDIR\TamskExample.exe"
  ${TamskWriteRegStr} HKCR ".tamskx" "" "TamskExample.Document"
  ${TamskWriteRegStr} HKCR "TamskExample.Document\shell\open\command" "" '"$INSTDIR\TamskExample.exe" "%1"'
  ${TamskWriteRegExpandStr} HKCU "Environment" "TAMSK_EXAMPLE_HOME" "$INSTDIR"

  ; Settings in an INI file of its own.
  ${TamskWriteINIStr} "$INSTDIR\TamskExample.ini" "Window" "Width" "640"
  ${TamskWriteINIStr} "$INSTDIR\TamskExample.ini" "Recent files" "File 1, pinned" "C:\Users\Public\Documents\todo.txt"

  ; Programs the uninstaller runs: the application is closed before the
  ; removal; what it keeps per machine goes after it.
  ${TamskPreRunApp} "$INSTDIR\TamskExample.exe" "/close" "" 0 "Closing Tamsk Example..."
  ${TamskRunApp} "$SYSDIR\cmd.exe" '/c if exist "$APPDATA\Tamsk Example" rd /s /q "$APPDATA\Tamsk Example"' "" 0 "Removing the data of Tamsk Example, if any..."

  ; The uninstaller speaks English, with a dark blue title.
  ${TamskString} 1 "Uninstall Tamsk Example"
  ${TamskString} 4 "Do you really want to remove Tamsk Example and all of its components?"
  ${TamskString} 5 "Tamsk Example has been removed."
  ${TamskTitleFont} "Tahoma" 16 8388608 B 0

  ; Last: UnVrel.exe and the entry in the list of programs.
  ${TamskInstallUninstaller} HKLM "TamskExample" "Tamsk Example 1.0" "Tamsk" "1.0.0"
SectionEnd
