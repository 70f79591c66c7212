; TamskLog.nsh - NSIS 3 macros that do what an NSIS command does and write
; what it did to the installation log that UnVrel.exe removes.
;
;   !define TAMSK_UNVREL "path\to\UnVrel.exe"   ; the uninstaller to ship
;   !include "TamskLog.nsh"
;   Section
;     ${TamskLogOpen} "$INSTDIR\install.log"
;     ${TamskSetOutPath} "$INSTDIR"
;     ${TamskFile} "bin\app.exe"
;     ...
;     ${TamskInstallUninstaller} HKLM "App" "App 1.0" "Vendor" "1.0"
;   SectionEnd
;
; Every macro writes its lines as soon as its command has run, so an
; installation that stops half-way leaves a log that removes what was done.
; What was there before a macro ran (a file, a folder, a registry key or
; value, an INI entry) is never claimed. The macros keep every register and
; the error flag of the command they wrap. docs/nsis.md describes each one.
;
; Works with Unicode and ANSI installers, x86 and amd64 targets.

!ifndef TAMSK_LOG_NSH
!define TAMSK_LOG_NSH
!verbose push 3

!include LogicLib.nsh
!include Util.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!ifndef TAMSK_UNVREL
  !define TAMSK_UNVREL "UnVrel.exe"
!endif

Var TamskLog   ; the log's full path; empty until TamskLogOpen
Var TamskView  ; the view the log is read in: 32 or 64

; ---------------------------------------------------------------------------
; Calling conventions of the helpers below: the caller pushes the arguments
; in order; the helper takes them into $R0, $R1, ... and leaves its result
; (when it has one) on the stack. Every register comes back as it was. A
; helper with N arguments works in $R0..$R(N-1), $R6..$R9 and $0..$5.

!macro _TamskEnter N
  !if ${N} == 1
    Exch $R0
  !else if ${N} == 2
    Exch $R1
    Exch
    Exch $R0
  !else if ${N} == 3
    Exch $R2
    Exch
    Exch $R1
    Exch 2
    Exch $R0
  !else if ${N} == 4
    Exch $R3
    Exch
    Exch $R2
    Exch 2
    Exch $R1
    Exch 3
    Exch $R0
  !else if ${N} == 5
    Exch $R4
    Exch
    Exch $R3
    Exch 2
    Exch $R2
    Exch 3
    Exch $R1
    Exch 4
    Exch $R0
  !else if ${N} == 6
    Exch $R5
    Exch
    Exch $R4
    Exch 2
    Exch $R3
    Exch 3
    Exch $R2
    Exch 4
    Exch $R1
    Exch 5
    Exch $R0
  !else
    !error "_TamskEnter: 1 to 6 arguments"
  !endif
  Push $R6
  Push $R7
  Push $R8
  Push $R9
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
!macroend

; The saved registers lie below the scratch ones as $R0, $R(N-1), ..., $R1.
!macro _TamskLeave N RESULT
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
  Pop $R9
  Pop $R8
  Pop $R7
  Pop $R6
  !if "${RESULT}" S== "result"
    ; the result is in $R0
    !if ${N} >= 6
      Exch
      Pop $R5
    !endif
    !if ${N} >= 5
      Exch
      Pop $R4
    !endif
    !if ${N} >= 4
      Exch
      Pop $R3
    !endif
    !if ${N} >= 3
      Exch
      Pop $R2
    !endif
    !if ${N} >= 2
      Exch
      Pop $R1
    !endif
    Exch $R0
  !else
    Pop $R0
    !if ${N} >= 6
      Pop $R5
    !endif
    !if ${N} >= 5
      Pop $R4
    !endif
    !if ${N} >= 4
      Pop $R3
    !endif
    !if ${N} >= 3
      Pop $R2
    !endif
    !if ${N} >= 2
      Pop $R1
    !endif
  !endif
!macroend

; The wrapped command's error flag, kept on the stack while the log is
; written and given back afterwards.
!macro _TamskPushErrors
  IfErrors 0 +3
    Push 1
    Goto +2
  Push 0
!macroend

!macro _TamskPopErrors
  Exch $R0
  ClearErrors
  StrCmp $R0 1 0 +2
    SetErrors
  Pop $R0
!macroend

; After a helper that looks at the machine before the command: the caller's
; error flag, saved under the helper's result, is given back to the command,
; so that the flag after the macro is what it would be after the command.
!macro _TamskErrorsForCommand
  Exch
  !insertmacro _TamskPopErrors
!macroend

!macro _TamskCall NAME
  ${CallArtificialFunction} ${NAME}
!macroend

; ---------------------------------------------------------------------------
; Text helpers

; (path) -> the path without its last component; empty when it has none.
!macro _TamskParent_
  !insertmacro _TamskEnter 1
  StrLen $0 $R0
  ${Do}
    IntOp $0 $0 - 1
    ${If} $0 < 0
      StrCpy $R0 ""
      ${Break}
    ${EndIf}
    StrCpy $1 $R0 1 $0
    ${If} $1 == "\"
    ${OrIf} $1 == "/"
      StrCpy $R0 $R0 $0
      ${Break}
    ${EndIf}
  ${Loop}
  !insertmacro _TamskLeave 1 result
!macroend

; (path) -> its last component.
!macro _TamskBaseName_
  !insertmacro _TamskEnter 1
  StrLen $0 $R0
  StrCpy $2 $0
  ${Do}
    IntOp $0 $0 - 1
    ${If} $0 < 0
      ${Break}
    ${EndIf}
    StrCpy $1 $R0 1 $0
    ${If} $1 == "\"
    ${OrIf} $1 == "/"
      IntOp $0 $0 + 1
      StrCpy $R0 $R0 "" $0
      ${Break}
    ${EndIf}
  ${Loop}
  !insertmacro _TamskLeave 1 result
!macroend

; (text, characters) -> 1 when text holds one of the characters, else 0.
!macro _TamskHolds_
  !insertmacro _TamskEnter 2
  StrLen $0 $R0
  StrLen $1 $R1
  StrCpy $2 0
  StrCpy $5 0
  ${DoWhile} $2 < $0
    StrCpy $3 $R0 1 $2
    StrCpy $4 0
    ${DoWhile} $4 < $1
      StrCpy $R6 $R1 1 $4
      ${If} $3 S== $R6
        StrCpy $5 1
        ${Break}
      ${EndIf}
      IntOp $4 $4 + 1
    ${Loop}
    ${If} $5 = 1
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  StrCpy $R0 $5
  !insertmacro _TamskLeave 2 result
!macroend

; (text, characters) -> the text between single quotes, each single quote in
; it doubled, when it holds one of the characters or ends in a blank or a
; tab (which the log's reader would trim); else the text as it stands.
!macro _TamskQuoteIf_
  !insertmacro _TamskEnter 2
  Push $R0
  Push $R1
  !insertmacro _TamskCall _TamskHolds_
  Pop $0
  StrCpy $1 $R0 1 -1
  ${If} $1 == " "
  ${OrIf} $1 == "$\t"
    StrCpy $0 1
  ${EndIf}
  ${If} $0 = 1
    StrLen $2 $R0
    StrCpy $3 0
    StrCpy $R6 "'"
    ${DoWhile} $3 < $2
      StrCpy $4 $R0 1 $3
      ${If} $4 == "'"
        StrCpy $R6 "$R6''"
      ${Else}
        StrCpy $R6 "$R6$4"
      ${EndIf}
      IntOp $3 $3 + 1
    ${Loop}
    StrCpy $R0 "$R6'"
  ${EndIf}
  !insertmacro _TamskLeave 2 result
!macroend

; (text) -> 1 when the system's ANSI code page, in which the log is read,
; holds every character of the text exactly (no default character, no
; nearest match), else 0. A Unicode installer's name that does not fit would
; reach the log with "?" in it, a wildcard that could take other files.
!macro _TamskFitsCodePage_
  !insertmacro _TamskEnter 1
  !ifdef NSIS_UNICODE
    StrCpy $3 1
    System::Call "kernel32::GetACP() i .r2"
    ; With UTF-8 as the ANSI code page every character fits (and the check
    ; below would fail: UTF-8 takes no default character).
    ${If} $2 <> 65001
      StrCpy $1 0
      ; WC_NO_BEST_FIT_CHARS: a character without its exact counterpart
      ; counts as not fitting.
      System::Call "kernel32::WideCharToMultiByte(i 0, i 0x400, w R0, i -1, p 0, i 0, p 0, *i 0 r1) i .r0"
      ${If} $0 = 0
      ${OrIf} $1 <> 0
        StrCpy $3 0
      ${EndIf}
    ${EndIf}
    StrCpy $R0 $3
  !else
    StrCpy $R0 1
  !endif
  !insertmacro _TamskLeave 1 result
!macroend

; ---------------------------------------------------------------------------
; Writing the log

; Stops the installation when no log is open: nothing a macro did could be
; removed.
!macro _TamskRequireLog
  ${If} $TamskLog == ""
    DetailPrint "TamskLog: a logging macro ran before TamskLogOpen"
    MessageBox MB_ICONSTOP "TamskLog: a logging macro ran before TamskLogOpen." /SD IDOK
    Abort
  ${EndIf}
!macroend

; Writes one line and flushes it to disk. A log that cannot be written stops
; the installation: it goes no further than the log can follow, so what was
; done can still be removed.
!macro _TamskWriteLine SECTION KEY VALUE
  ClearErrors
  WriteINIStr $TamskLog `${SECTION}` `${KEY}` `${VALUE}`
  ${If} ${Errors}
    DetailPrint "TamskLog: the installation log $TamskLog cannot be written"
    MessageBox MB_ICONSTOP "The installation log $TamskLog cannot be written." /SD IDOK
    Abort
  ${EndIf}
  ; Windows reports a flush as a failure: its error flag means nothing.
  FlushINI $TamskLog
  ClearErrors
!macroend

; (section, item, value): one line "item=value" in the section. An item the
; log cannot name exactly is left out, with a line in the details window: a
; file-system item holding a wildcard or a character outside the code page.
!macro _TamskWrite_
  !insertmacro _TamskEnter 3
  !insertmacro _TamskRequireLog
  StrCpy $0 1
  ${If} $R0 != "AddReg"
  ${AndIf} $R0 != "CreateKeys"
  ${AndIf} $R0 != "AddIni"
    Push $R1
    Push "*?"
    !insertmacro _TamskCall _TamskHolds_
    Pop $1
    ${If} $1 = 1
      StrCpy $0 0
    ${EndIf}
  ${EndIf}
  Push $R1
  !insertmacro _TamskCall _TamskFitsCodePage_
  Pop $1
  ${If} $1 = 0
    StrCpy $0 0
  ${EndIf}
  ${If} $0 = 1
    !insertmacro _TamskWriteLine $R0 $R1 $R2
  ${Else}
    DetailPrint "TamskLog: [$R0] $R1 cannot be named in the log; it stays when the application is removed"
  ${EndIf}
  !insertmacro _TamskLeave 3 noresult
!macroend

!macro _TamskLog SECTION ITEM
  Push `${SECTION}`
  Push `${ITEM}`
  Push 1
  !insertmacro _TamskCall _TamskWrite_
!macroend

; ---------------------------------------------------------------------------
; Folders

; (folder) -> its highest level that does not exist yet; empty when it exists.
!macro _TamskMissingTop_
  !insertmacro _TamskEnter 1
  StrCpy $0 ""
  ${Do}
    StrCpy $1 $R0 1 -1
    ${If} $1 == "\"
      StrCpy $R0 $R0 -1
    ${EndIf}
    ${If} $R0 == ""
    ${OrIf} ${FileExists} "$R0\*.*"
      ${Break}
    ${EndIf}
    StrCpy $0 $R0
    Push $R0
    !insertmacro _TamskCall _TamskParent_
    Pop $R0
  ${Loop}
  StrCpy $R0 $0
  !insertmacro _TamskLeave 1 result
!macroend

; (folder, highest level that was missing): logs in CreateDirs every level
; from the folder up to that one that exists now.
!macro _TamskLogNewDirs_
  !insertmacro _TamskEnter 2
  StrCpy $1 $R0 1 -1
  ${If} $1 == "\"
    StrCpy $R0 $R0 -1
  ${EndIf}
  StrLen $2 $R1
  ${If} $R1 != ""
    ${Do}
      StrLen $0 $R0
      ${If} $0 < $2
      ${OrIf} $R0 == ""
        ${Break}
      ${EndIf}
      ${If} ${FileExists} "$R0\*.*"
        !insertmacro _TamskLog CreateDirs $R0
      ${EndIf}
      Push $R0
      !insertmacro _TamskCall _TamskParent_
      Pop $R0
    ${Loop}
  ${EndIf}
  !insertmacro _TamskLeave 2 noresult
!macroend

; (folder): creates it with every missing level and logs those levels.
!macro _TamskMakeDirs_
  !insertmacro _TamskEnter 1
  Push $R0
  !insertmacro _TamskCall _TamskMissingTop_
  Pop $0
  CreateDirectory $R0
  Push $R0
  Push $0
  !insertmacro _TamskCall _TamskLogNewDirs_
  !insertmacro _TamskLeave 1 noresult
!macroend

; ---------------------------------------------------------------------------
; Registry views

; () -> 64 when registry commands reach the 64-bit view now, else 32. In the
; 32-bit view of 64-bit Windows both program folder values name the x86
; folder; 32-bit Windows has no "(x86)" value at all.
!macro _TamskRegView_
  Push $0
  Push $1
  ReadRegStr $0 HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion" "ProgramFilesDir"
  ReadRegStr $1 HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion" "ProgramFilesDir (x86)"
  ${If} $1 != ""
  ${AndIf} $0 != $1
    StrCpy $0 64
  ${Else}
    StrCpy $0 32
  ${EndIf}
  Pop $1
  Exch $0
!macroend

; () -> HKLM when SetShellVarContext is "all", else HKCU: the root SHCTX
; reaches now.
!macro _TamskShellRoot_
  Push $0
  StrCpy $0 $APPDATA
  SetShellVarContext current
  ${If} $0 == $APPDATA
    StrCpy $0 HKCU
  ${Else}
    SetShellVarContext all
    StrCpy $0 HKLM
  ${EndIf}
  Exch $0
!macroend

; (root as the script names it) -> the root as the log names it: SHCTX
; resolved, and a view added to HKLM, HKCU and HKCR when the registry
; commands reach another view than the log's.
!macro _TamskLogRoot_
  !insertmacro _TamskEnter 1
  ${If} $R0 S== SHCTX
    !insertmacro _TamskCall _TamskShellRoot_
    Pop $R0
  ${EndIf}
  ${If} $R0 S== HKLM
  ${OrIf} $R0 S== HKCU
  ${OrIf} $R0 S== HKCR
    !insertmacro _TamskCall _TamskRegView_
    Pop $0
    ${If} $0 != $TamskView
      StrCpy $R0 "$R0$0"
    ${EndIf}
  ${EndIf}
  !insertmacro _TamskLeave 1 result
!macroend

; The roots the log can name, as NSIS spells them after _TamskRootToken.
!macro _TamskForEachRoot MACRO
  !insertmacro ${MACRO} HKLM
  !insertmacro ${MACRO} HKCU
  !insertmacro ${MACRO} HKCR
  !insertmacro ${MACRO} HKU
  !insertmacro ${MACRO} SHCTX
  !insertmacro ${MACRO} HKLM32
  !insertmacro ${MACRO} HKLM64
  !insertmacro ${MACRO} HKCU32
  !insertmacro ${MACRO} HKCU64
  !insertmacro ${MACRO} HKCR32
  !insertmacro ${MACRO} HKCR64
!macroend

; Defines _TAMSK_ROOT as the short name of the script's root, or stops the
; compilation for a root the log cannot name.
!macro _TamskRootToken ROOT
  !ifdef _TAMSK_ROOT
    !undef _TAMSK_ROOT
  !endif
  !if "${ROOT}" S== "HKEY_LOCAL_MACHINE"
    !define _TAMSK_ROOT HKLM
  !else if "${ROOT}" S== "HKEY_CURRENT_USER"
    !define _TAMSK_ROOT HKCU
  !else if "${ROOT}" S== "HKEY_CLASSES_ROOT"
    !define _TAMSK_ROOT HKCR
  !else if "${ROOT}" S== "HKEY_USERS"
    !define _TAMSK_ROOT HKU
  !else if "${ROOT}" S== "SHELL_CONTEXT"
    !define _TAMSK_ROOT SHCTX
  !else if "${ROOT}" S== "HKLM"
    !define _TAMSK_ROOT HKLM
  !else if "${ROOT}" S== "HKCU"
    !define _TAMSK_ROOT HKCU
  !else if "${ROOT}" S== "HKCR"
    !define _TAMSK_ROOT HKCR
  !else if "${ROOT}" S== "HKU"
    !define _TAMSK_ROOT HKU
  !else if "${ROOT}" S== "SHCTX"
    !define _TAMSK_ROOT SHCTX
  !else if "${ROOT}" S== "HKLM32"
    !define _TAMSK_ROOT HKLM32
  !else if "${ROOT}" S== "HKLM64"
    !define _TAMSK_ROOT HKLM64
  !else if "${ROOT}" S== "HKCU32"
    !define _TAMSK_ROOT HKCU32
  !else if "${ROOT}" S== "HKCU64"
    !define _TAMSK_ROOT HKCU64
  !else if "${ROOT}" S== "HKCR32"
    !define _TAMSK_ROOT HKCR32
  !else if "${ROOT}" S== "HKCR64"
    !define _TAMSK_ROOT HKCR64
  !else
    !error "TamskLog: the installation log cannot name the registry root ${ROOT}"
  !endif
!macroend

!macro _TamskKeyExistsIn ROOT
  ${If} $R0 S== ${ROOT}
    ClearErrors
    EnumRegKey $0 ${ROOT} $R1 0
    ${IfNot} ${Errors}
      StrCpy $1 1
    ${EndIf}
  ${EndIf}
!macroend

; (root, key) -> 1 when the key exists, else 0.
!macro _TamskKeyExists_
  !insertmacro _TamskEnter 2
  StrCpy $1 0
  !insertmacro _TamskForEachRoot _TamskKeyExistsIn
  StrCpy $R0 $1
  !insertmacro _TamskLeave 2 result
!macroend

!macro _TamskValueExistsIn ROOT
  ${If} $R0 S== ${ROOT}
    ${If} $R2 == ""
      ; The default value has no name to find in the list of values.
      ClearErrors
      ReadRegStr $0 ${ROOT} $R1 ""
      ${IfNot} ${Errors}
        StrCpy $1 1
      ${EndIf}
      ClearErrors
      ReadRegDWORD $0 ${ROOT} $R1 ""
      ${IfNot} ${Errors}
        StrCpy $1 1
      ${EndIf}
    ${Else}
      StrCpy $2 0
      ${Do}
        ClearErrors
        EnumRegValue $0 ${ROOT} $R1 $2
        ${If} ${Errors}
        ${OrIf} $0 == ""
          ${Break}
        ${EndIf}
        ${If} $0 == $R2
          StrCpy $1 1
          ${Break}
        ${EndIf}
        IntOp $2 $2 + 1
      ${Loop}
    ${EndIf}
  ${EndIf}
!macroend

; (root, key, value name) -> 1 when the value exists, else 0.
!macro _TamskValueExists_
  !insertmacro _TamskEnter 3
  StrCpy $1 0
  !insertmacro _TamskForEachRoot _TamskValueExistsIn
  StrCpy $R0 $1
  !insertmacro _TamskLeave 3 result
!macroend

; (key) -> the key without the backslashes that end it.
!macro _TamskTrimKey_
  !insertmacro _TamskEnter 1
  ${Do}
    StrCpy $0 $R0 1 -1
    ${If} $0 != "\"
      ${Break}
    ${EndIf}
    StrCpy $R0 $R0 -1
  ${Loop}
  !insertmacro _TamskLeave 1 result
!macroend

; (root, key, value name) -> "top|existed": the highest level of the key
; that does not exist yet (empty when the key exists) and whether the value
; exists (1 or 0).
!macro _TamskRegBefore_
  !insertmacro _TamskEnter 3
  Push $R1
  !insertmacro _TamskCall _TamskTrimKey_
  Pop $R1
  StrCpy $R6 ""
  StrCpy $R7 $R1
  ${Do}
    ${If} $R7 == ""
      ${Break}
    ${EndIf}
    Push $R0
    Push $R7
    !insertmacro _TamskCall _TamskKeyExists_
    Pop $0
    ${If} $0 = 1
      ${Break}
    ${EndIf}
    StrCpy $R6 $R7
    Push $R7
    !insertmacro _TamskCall _TamskParent_
    Pop $R7
  ${Loop}
  StrCpy $R8 0
  ${If} $R6 == ""
    Push $R0
    Push $R1
    Push $R2
    !insertmacro _TamskCall _TamskValueExists_
    Pop $R8
  ${EndIf}
  StrCpy $R0 "$R6|$R8"
  !insertmacro _TamskLeave 3 result
!macroend

; (state from _TamskRegBefore_, root, key, value name, what to log: "value"
; or "keys"): logs in CreateKeys each level of the key that the command
; created, and in AddReg the value when it is new. A path holding "=" cannot
; be named in AddReg (its name part ends at the first "="): such a value is
; covered only by a key the installer created.
!macro _TamskRegAfter_
  !insertmacro _TamskEnter 5
  Push $R2
  !insertmacro _TamskCall _TamskTrimKey_
  Pop $R2
  Push $R1
  !insertmacro _TamskCall _TamskLogRoot_
  Pop $R6
  StrCpy $R7 $R0 -2      ; the highest level that was missing
  StrCpy $R8 $R0 1 -1    ; whether the value was there
  ${If} $R7 != ""
    StrLen $2 $R7
    StrCpy $R9 $R2
    ${Do}
      StrLen $0 $R9
      ${If} $0 < $2
      ${OrIf} $R9 == ""
        ${Break}
      ${EndIf}
      Push $R1
      Push $R9
      !insertmacro _TamskCall _TamskKeyExists_
      Pop $0
      ${If} $0 = 1
        !insertmacro _TamskLog CreateKeys "$R6\$R9"
      ${EndIf}
      Push $R9
      !insertmacro _TamskCall _TamskParent_
      Pop $R9
    ${Loop}
  ${EndIf}
  ${If} $R4 == "value"
  ${AndIf} $R8 = 0
    Push $R1
    Push $R2
    Push $R3
    !insertmacro _TamskCall _TamskValueExists_
    Pop $0
    ${If} $0 = 1
      Push $R3
      Push "\'$\""
      !insertmacro _TamskCall _TamskQuoteIf_
      Pop $1
      StrCpy $1 "$R6\$R2\$1"
      Push $1
      Push "="
      !insertmacro _TamskCall _TamskHolds_
      Pop $0
      ${If} $0 = 1
        DetailPrint "TamskLog: [AddReg] $1 cannot be named in the log (it holds $\"=$\")"
      ${Else}
        !insertmacro _TamskLog AddReg $1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  !insertmacro _TamskLeave 5 noresult
!macroend

; ---------------------------------------------------------------------------
; Opening the log

; (log path): creates the log's folder, logging the levels it creates, and
; the log itself when it is new. A log that is there already (an update of
; the same application) is kept and added to.
!macro _TamskLogOpen_
  !insertmacro _TamskEnter 1
  Push $R0
  !insertmacro _TamskCall _TamskParent_
  Pop $R6
  Push $R6
  !insertmacro _TamskCall _TamskMissingTop_
  Pop $R7
  CreateDirectory $R6
  StrCpy $TamskLog $R0
  ${IfNot} ${FileExists} $R0
    ClearErrors
    FileOpen $0 $R0 w
    ${IfNot} ${Errors}
      FileWrite $0 "; Installation log of $(^Name), written by its installer.$\r$\n"
      FileClose $0
    ${EndIf}
  ${EndIf}
  !if ${NSIS_PTR_SIZE} > 4
    ; A 64-bit installer sees the 64-bit system folder whatever its
    ; registry view: the log is read in that view.
    StrCpy $TamskView 64
  !else
    !insertmacro _TamskCall _TamskRegView_
    Pop $TamskView
  !endif
  !insertmacro _TamskWriteLine Options View $TamskView
  Push $R6
  Push $R7
  !insertmacro _TamskCall _TamskLogNewDirs_
  !insertmacro _TamskLeave 1 noresult
!macroend

!macro TamskLogOpen LOG
  Push `${LOG}`
  !insertmacro _TamskCall _TamskLogOpen_
!macroend
!define TamskLogOpen `!insertmacro TamskLogOpen`

; ---------------------------------------------------------------------------
; Folders and files

!macro _TamskDirCommand DIR COMMAND
  !insertmacro _TamskPushErrors
  Push `${DIR}`
  !insertmacro _TamskCall _TamskMissingTop_
  !insertmacro _TamskErrorsForCommand
  ${COMMAND} `${DIR}`
  !insertmacro _TamskPushErrors
  Exch
  Push `${DIR}`
  Exch
  !insertmacro _TamskCall _TamskLogNewDirs_
  !insertmacro _TamskPopErrors
!macroend

!macro TamskCreateDirectory DIR
  !insertmacro _TamskDirCommand `${DIR}` CreateDirectory
!macroend
!define TamskCreateDirectory `!insertmacro TamskCreateDirectory`

!macro TamskSetOutPath DIR
  !insertmacro _TamskDirCommand `${DIR}` SetOutPath
!macroend
!define TamskSetOutPath `!insertmacro TamskSetOutPath`

; (destination) -> "existed|destination", after creating its folder.
!macro _TamskFileBefore_
  !insertmacro _TamskEnter 1
  Push $R0
  !insertmacro _TamskCall _TamskParent_
  !insertmacro _TamskCall _TamskMakeDirs_
  StrCpy $0 0
  ${If} ${FileExists} $R0
    StrCpy $0 1
  ${EndIf}
  StrCpy $R0 "$0|$R0"
  !insertmacro _TamskLeave 1 result
!macroend

; ("existed|destination"): logs the file in CopyFiles when it is there now
; and was not before.
!macro _TamskFileAfter_
  !insertmacro _TamskEnter 1
  StrCpy $0 $R0 1
  StrCpy $1 $R0 "" 2
  ${If} $0 = 0
  ${AndIf} ${FileExists} $1
    !insertmacro _TamskLog CopyFiles $1
  ${EndIf}
  !insertmacro _TamskLeave 1 noresult
!macroend

; (folder, name or path) -> the full path: a name relative to the folder, a
; path with a drive or a share as it stands.
!macro _TamskFullPath_
  !insertmacro _TamskEnter 2
  StrCpy $0 $R1 1 1
  StrCpy $1 $R1 2
  ${If} $0 == ":"
  ${OrIf} $1 == "\\"
    StrCpy $R0 $R1
  ${Else}
    StrCpy $R0 "$R0\$R1"
  ${EndIf}
  !insertmacro _TamskLeave 2 result
!macroend

!macro _TamskNoWildcard SRC
  !searchparse /noerrors `${SRC}` `*` _TAMSK_WILD
  !ifdef _TAMSK_WILD
    !undef _TAMSK_WILD
    !error "TamskLog: TamskFile installs one file; use TamskFiles for ${SRC}"
  !endif
  !searchparse /noerrors `${SRC}` `?` _TAMSK_WILD
  !ifdef _TAMSK_WILD
    !undef _TAMSK_WILD
    !error "TamskLog: TamskFile installs one file; use TamskFiles for ${SRC}"
  !endif
!macroend

; One file into $OUTDIR, as "File SRC".
!macro TamskFile SRC
  !insertmacro _TamskNoWildcard `${SRC}`
  !insertmacro _TamskPushErrors
  Push $OUTDIR
  Push `${SRC}`
  !insertmacro _TamskCall _TamskBaseName_
  !insertmacro _TamskCall _TamskFullPath_
  !insertmacro _TamskCall _TamskFileBefore_
  !insertmacro _TamskErrorsForCommand
  File `${SRC}`
  !insertmacro _TamskPushErrors
  Exch
  !insertmacro _TamskCall _TamskFileAfter_
  !insertmacro _TamskPopErrors
!macroend
!define TamskFile `!insertmacro TamskFile`

; One file under another name, as "File /oname=DEST SRC"; DEST relative to
; $OUTDIR or a full path. Its folder is created (and logged) when missing.
!macro TamskFileAs SRC DEST
  !insertmacro _TamskNoWildcard `${SRC}`
  !insertmacro _TamskPushErrors
  Push $OUTDIR
  Push `${DEST}`
  !insertmacro _TamskCall _TamskFullPath_
  !insertmacro _TamskCall _TamskFileBefore_
  !insertmacro _TamskErrorsForCommand
  File `/oname=${DEST}` `${SRC}`
  !insertmacro _TamskPushErrors
  Exch
  !insertmacro _TamskCall _TamskFileAfter_
  !insertmacro _TamskPopErrors
!macroend
!define TamskFileAs `!insertmacro TamskFileAs`

; ---------------------------------------------------------------------------
; Folder trees: the folder is listed before and after the File command, and
; what is new is logged.

!macro _TamskFileWrite HANDLE TEXT
  !ifdef NSIS_UNICODE
    FileWriteUTF16LE ${HANDLE} `${TEXT}`
  !else
    FileWrite ${HANDLE} `${TEXT}`
  !endif
!macroend

; (text) -> the text with each "=" replaced by "*", which no file name holds:
; a listing key must not hold the "=" that ends it.
!macro _TamskListingKey_
  !insertmacro _TamskEnter 1
  StrLen $0 $R0
  StrCpy $1 0
  StrCpy $2 ""
  ${DoWhile} $1 < $0
    StrCpy $3 $R0 1 $1
    ${If} $3 == "="
      StrCpy $3 "*"
    ${EndIf}
    StrCpy $2 "$2$3"
    IntOp $1 $1 + 1
  ${Loop}
  StrCpy $R0 $2
  !insertmacro _TamskLeave 1 result
!macroend

; (root folder, listing file, mode): walks the tree below the root. Mode
; "list" writes each file ("f:") and folder ("d:") to the listing, an INI
; file; mode "log" logs each one that the listing does not hold (CopyFiles,
; CreateDirs). Links and junctions are not entered.
!macro _TamskWalkTree_
  !insertmacro _TamskEnter 3
  ${If} $R2 == "list"
    FileOpen $R9 $R1 w
    !ifdef NSIS_UNICODE
      FileWriteUTF16LE /BOM $R9 "[t]$\r$\n"
    !else
      FileWrite $R9 "[t]$\r$\n"
    !endif
  ${EndIf}
  Push "|"          ; end of the folders still to walk
  Push ""           ; the root itself, relative to the root
  ${Do}
    Pop $R6
    ${If} $R6 == "|"
      ${Break}
    ${EndIf}
    ${If} $R6 == ""
      StrCpy $R7 $R0
    ${Else}
      StrCpy $R7 "$R0\$R6"
    ${EndIf}
    ClearErrors
    FindFirst $0 $1 "$R7\*.*"
    ${Do}
      ${If} ${Errors}
      ${OrIf} $1 == ""
        ${Break}
      ${EndIf}
      ${If} $1 != "."
      ${AndIf} $1 != ".."
        ${If} $R6 == ""
          StrCpy $2 $1
        ${Else}
          StrCpy $2 "$R6\$1"
        ${EndIf}
        StrCpy $3 f
        ${If} ${FileExists} "$R0\$2\*.*"
          StrCpy $3 d
        ${EndIf}
        Push $2
        !insertmacro _TamskCall _TamskListingKey_
        Pop $4
        ${If} $R2 == "list"
          !insertmacro _TamskFileWrite $R9 "$3:$4=1$\r$\n"
        ${Else}
          ReadINIStr $5 $R1 t "$3:$4"
          ${If} $5 != 1
            ${If} $3 == d
              !insertmacro _TamskLog CreateDirs "$R0\$2"
            ${Else}
              !insertmacro _TamskLog CopyFiles "$R0\$2"
            ${EndIf}
          ${EndIf}
        ${EndIf}
        ${If} $3 == d
          ; FILE_ATTRIBUTE_REPARSE_POINT: a link leads out of the tree.
          System::Call "kernel32::GetFileAttributes(t '$R0\$2') i .r5"
          IntOp $5 $5 & 0x400
          ${If} $5 = 0
            Push $2
          ${EndIf}
        ${EndIf}
      ${EndIf}
      ClearErrors
      FindNext $0 $1
    ${Loop}
    FindClose $0
  ${Loop}
  ${If} $R2 == "list"
    FileClose $R9
  ${EndIf}
  !insertmacro _TamskLeave 3 noresult
!macroend

; (root) -> "listing|root", the tree listed to a new file.
!macro _TamskTreeBefore_
  !insertmacro _TamskEnter 1
  InitPluginsDir
  GetTempFileName $0 $PLUGINSDIR
  Push $R0
  Push $0
  Push list
  !insertmacro _TamskCall _TamskWalkTree_
  StrCpy $R0 "$0|$R0"
  !insertmacro _TamskLeave 1 result
!macroend

; ("listing|root"): logs what is new in the tree, and deletes the listing.
!macro _TamskTreeAfter_
  !insertmacro _TamskEnter 1
  StrLen $0 $R0
  StrCpy $1 0
  ${DoWhile} $1 < $0
    StrCpy $2 $R0 1 $1
    ${If} $2 == "|"
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  StrCpy $3 $R0 $1
  IntOp $1 $1 + 1
  StrCpy $4 $R0 "" $1
  Push $4
  Push $3
  Push log
  !insertmacro _TamskCall _TamskWalkTree_
  Delete $3
  !insertmacro _TamskLeave 1 noresult
!macroend

; Any File command into $OUTDIR: wildcards, /r, /x. ARGS as File takes them,
; for example '/r "data\*.*"'. Files and folders that were in $OUTDIR
; before are not claimed.
!macro TamskFiles ARGS
  !insertmacro _TamskPushErrors
  Push $OUTDIR
  !insertmacro _TamskCall _TamskTreeBefore_
  !insertmacro _TamskErrorsForCommand
  File ${ARGS}
  !insertmacro _TamskPushErrors
  Exch
  !insertmacro _TamskCall _TamskTreeAfter_
  !insertmacro _TamskPopErrors
!macroend
!define TamskFiles `!insertmacro TamskFiles`

; ---------------------------------------------------------------------------
; Shortcuts

; (link) -> "existed|link", after creating (and logging) its folder.
; The link with the extension .lnk, as the shell saves it.
!macro TamskCreateShortCut LINK TARGET REST
  !insertmacro _TamskPushErrors
  Push `${LINK}`
  !insertmacro _TamskCall _TamskFileBefore_
  !insertmacro _TamskErrorsForCommand
  CreateShortCut `${LINK}` `${TARGET}` ${REST}
  !insertmacro _TamskPushErrors
  Exch
  !insertmacro _TamskCall _TamskShortcutAfter_
  !insertmacro _TamskPopErrors
!macroend
!define TamskCreateShortCut `!insertmacro TamskCreateShortCut`

!macro _TamskShortcutAfter_
  !insertmacro _TamskEnter 1
  StrCpy $0 $R0 1
  StrCpy $1 $R0 "" 2
  ${If} $0 = 0
  ${AndIf} ${FileExists} $1
    !insertmacro _TamskLog Shortcuts $1
  ${EndIf}
  !insertmacro _TamskLeave 1 noresult
!macroend

; ---------------------------------------------------------------------------
; Registry values: the value is logged in AddReg when it is new, each level
; of its key that the command created in CreateKeys.

!macro _TamskRegValue ROOT KEY NAME COMMAND VALUE
  !insertmacro _TamskRootToken ${ROOT}
  !insertmacro _TamskPushErrors
  Push ${_TAMSK_ROOT}
  Push `${KEY}`
  Push `${NAME}`
  !insertmacro _TamskCall _TamskRegBefore_
  !insertmacro _TamskErrorsForCommand
  ${COMMAND} ${ROOT} `${KEY}` `${NAME}` `${VALUE}`
  !insertmacro _TamskPushErrors
  Exch
  Push ${_TAMSK_ROOT}
  Push `${KEY}`
  Push `${NAME}`
  Push value
  !insertmacro _TamskCall _TamskRegAfter_
  !insertmacro _TamskPopErrors
!macroend

!macro TamskWriteRegStr ROOT KEY NAME VALUE
  !insertmacro _TamskRegValue ${ROOT} `${KEY}` `${NAME}` WriteRegStr `${VALUE}`
!macroend
!define TamskWriteRegStr `!insertmacro TamskWriteRegStr`

!macro TamskWriteRegExpandStr ROOT KEY NAME VALUE
  !insertmacro _TamskRegValue ${ROOT} `${KEY}` `${NAME}` WriteRegExpandStr `${VALUE}`
!macroend
!define TamskWriteRegExpandStr `!insertmacro TamskWriteRegExpandStr`

!macro TamskWriteRegDWORD ROOT KEY NAME VALUE
  !insertmacro _TamskRegValue ${ROOT} `${KEY}` `${NAME}` WriteRegDWORD `${VALUE}`
!macroend
!define TamskWriteRegDWORD `!insertmacro TamskWriteRegDWORD`

!macro TamskWriteRegBin ROOT KEY NAME VALUE
  !insertmacro _TamskRegValue ${ROOT} `${KEY}` `${NAME}` WriteRegBin `${VALUE}`
!macroend
!define TamskWriteRegBin `!insertmacro TamskWriteRegBin`

; ---------------------------------------------------------------------------
; INI entries

; (file) -> the file as the system's profile functions take it: a name
; without a folder is in the Windows folder.
!macro _TamskIniPath_
  !insertmacro _TamskEnter 1
  Push $R0
  Push "\/"
  !insertmacro _TamskCall _TamskHolds_
  Pop $0
  ${If} $0 = 0
    StrCpy $R0 "$WINDIR\$R0"
  ${EndIf}
  !insertmacro _TamskLeave 1 result
!macroend

; (file, section, key) -> two digits: whether the file and the entry exist.
!macro _TamskIniBefore_
  !insertmacro _TamskEnter 3
  Push $R0
  !insertmacro _TamskCall _TamskIniPath_
  Pop $R0
  Push $R0
  !insertmacro _TamskCall _TamskParent_
  !insertmacro _TamskCall _TamskMakeDirs_
  StrCpy $0 0
  StrCpy $1 0
  ${If} ${FileExists} $R0
    StrCpy $0 1
    ClearErrors
    ReadINIStr $2 $R0 $R1 $R2
    ${IfNot} ${Errors}
      StrCpy $1 1
    ${EndIf}
  ${EndIf}
  StrCpy $R0 "$0$1"
  !insertmacro _TamskLeave 3 result
!macroend

; (state, file, section, key): logs the entry in AddIni when it is new
; (each field quoted as the log requires), and the file in CopyFiles when
; the command created it.
!macro _TamskIniAfter_
  !insertmacro _TamskEnter 4
  Push $R1
  !insertmacro _TamskCall _TamskIniPath_
  Pop $R6
  StrCpy $0 $R0 1
  StrCpy $1 $R0 1 1
  ${If} $0 = 0
  ${AndIf} ${FileExists} $R6
    !insertmacro _TamskLog CopyFiles $R6
  ${EndIf}
  ${If} $1 = 0
    ClearErrors
    ReadINIStr $2 $R6 $R2 $R3
    ${IfNot} ${Errors}
      StrCpy $R7 ""
      ${ForEach} $3 1 3 + 1
        ${If} $3 = 1
          StrCpy $4 $R1
        ${ElseIf} $3 = 2
          StrCpy $4 $R2
        ${Else}
          StrCpy $4 $R3
        ${EndIf}
        Push $4
        Push ",'$\""
        !insertmacro _TamskCall _TamskQuoteIf_
        Pop $4
        ${If} $3 = 1
          StrCpy $R7 $4
        ${Else}
          StrCpy $R7 "$R7,$4"
        ${EndIf}
      ${Next}
      Push $R7
      Push "="
      !insertmacro _TamskCall _TamskHolds_
      Pop $0
      ${If} $0 = 1
        DetailPrint "TamskLog: [AddIni] $R7 cannot be named in the log (it holds $\"=$\")"
      ${Else}
        !insertmacro _TamskLog AddIni $R7
      ${EndIf}
    ${EndIf}
  ${EndIf}
  !insertmacro _TamskLeave 4 noresult
!macroend

!macro TamskWriteINIStr FILE SECTION KEY VALUE
  !insertmacro _TamskPushErrors
  Push `${FILE}`
  Push `${SECTION}`
  Push `${KEY}`
  !insertmacro _TamskCall _TamskIniBefore_
  !insertmacro _TamskErrorsForCommand
  WriteINIStr `${FILE}` `${SECTION}` `${KEY}` `${VALUE}`
  !insertmacro _TamskPushErrors
  FlushINI `${FILE}`
  Exch
  Push `${FILE}`
  Push `${SECTION}`
  Push `${KEY}`
  !insertmacro _TamskCall _TamskIniAfter_
  !insertmacro _TamskPopErrors
!macroend
!define TamskWriteINIStr `!insertmacro TamskWriteINIStr`

; ---------------------------------------------------------------------------
; Fonts: the file goes to $FONTS, is registered under the fonts key and
; loaded. A font file that is there already is left alone and not claimed:
; it is another installation's, and a loaded font cannot be replaced.

!macro _TamskFontAfter_
  !insertmacro _TamskEnter 1
  StrCpy $0 $R0 1
  StrCpy $1 $R0 "" 2
  ${If} $0 = 0
  ${AndIf} ${FileExists} $1
    !insertmacro _TamskLog RegFonts $1
    !insertmacro _TamskLog CopyFiles $1
  ${EndIf}
  !insertmacro _TamskLeave 1 noresult
!macroend

; SRC the font file at compile time, FILE its name in the Fonts folder,
; NAME its value name under the fonts key ("Tamsk Sans (TrueType)").
!macro TamskInstallFont SRC FILE NAME
  !insertmacro _TamskNoWildcard `${SRC}`
  !insertmacro _TamskPushErrors
  Push "$FONTS\${FILE}"
  !insertmacro _TamskCall _TamskFileBefore_
  !insertmacro _TamskErrorsForCommand
  ${IfNot} ${FileExists} "$FONTS\${FILE}"
    File "/oname=$FONTS\${FILE}" `${SRC}`
    ${If} ${FileExists} "$FONTS\${FILE}"
      WriteRegStr HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts" `${NAME}` `${FILE}`
      System::Call "gdi32::AddFontResource(t '$FONTS\${FILE}') i"
      SendMessage ${HWND_BROADCAST} ${WM_FONTCHANGE} 0 0 /TIMEOUT=5000
    ${EndIf}
  ${EndIf}
  !insertmacro _TamskPushErrors
  Exch
  !insertmacro _TamskCall _TamskFontAfter_
  !insertmacro _TamskPopErrors
!macroend
!define TamskInstallFont `!insertmacro TamskInstallFont`

; ---------------------------------------------------------------------------
; Shared files: installed when missing or older, their use count under
; SharedDLLs raised in the log's view, logged in SharedFiles and CopyFiles
; with the same spelling, as the uninstaller requires.

!define _TAMSK_SHARED_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"

; ("existed|path"): raises the count and logs the file. A file that was
; there without a count is used by some program that did not count it:
; it starts at 1 for that program.
!macro _TamskSharedAfter_
  !insertmacro _TamskEnter 1
  StrCpy $0 $R0 1
  StrCpy $R6 $R0 "" 2
  ${If} ${FileExists} $R6
    !insertmacro _TamskCall _TamskRegView_
    Pop $2
    ${If} $2 != $TamskView
      ${If} $TamskView = 64
        SetRegView 64
      ${Else}
        SetRegView 32
      ${EndIf}
    ${EndIf}
    ClearErrors
    ReadRegDWORD $1 HKLM "${_TAMSK_SHARED_KEY}" $R6
    ${If} ${Errors}
      StrCpy $1 $0
    ${EndIf}
    IntOp $1 $1 + 1
    WriteRegDWORD HKLM "${_TAMSK_SHARED_KEY}" $R6 $1
    ${If} $2 != $TamskView
      SetRegView lastused
    ${EndIf}
    !insertmacro _TamskLog SharedFiles $R6
    !insertmacro _TamskLog CopyFiles $R6
  ${EndIf}
  !insertmacro _TamskLeave 1 noresult
!macroend

; SRC the file at compile time, DEST its full path on the machine.
!macro TamskSharedFile SRC DEST
  !insertmacro _TamskNoWildcard `${SRC}`
  !insertmacro _TamskPushErrors
  Push `${DEST}`
  !insertmacro _TamskCall _TamskFileBefore_
  !insertmacro _TamskErrorsForCommand
  SetOverwrite ifnewer
  File `/oname=${DEST}` `${SRC}`
  SetOverwrite lastused
  !insertmacro _TamskPushErrors
  Exch
  !insertmacro _TamskCall _TamskSharedAfter_
  !insertmacro _TamskPopErrors
!macroend
!define TamskSharedFile `!insertmacro TamskSharedFile`

; ---------------------------------------------------------------------------
; COM servers: registered with RegDLL and logged in RegServers, so that the
; uninstaller unregisters them before it deletes their files.

!macro TamskRegDLL FILE
  RegDLL `${FILE}`
  !insertmacro _TamskPushErrors
  !insertmacro _TamskLog RegServers `${FILE}`
  !insertmacro _TamskPopErrors
!macroend
!define TamskRegDLL `!insertmacro TamskRegDLL`

; ---------------------------------------------------------------------------
; Programs to run before (PreRunApp) and after (RunApp) the removal. SHOW:
; 0 hidden, 1 normal, 2 maximised, 3 minimised. A PreRunApp program that
; ends with an exit code other than 0 stops the removal.

; (section, program, parameters, folder, show, text): the line
; "N=program,parameters,folder,show,text", N the first number free in the
; section; the same program line written again (an update) is not repeated.
!macro _TamskRunEntry_
  !insertmacro _TamskEnter 6
  StrCpy $R6 ""
  ${ForEach} $0 1 5 + 1
    ${If} $0 = 1
      StrCpy $1 $R1
    ${ElseIf} $0 = 2
      StrCpy $1 $R2
    ${ElseIf} $0 = 3
      StrCpy $1 $R3
    ${ElseIf} $0 = 4
      StrCpy $1 $R4
    ${Else}
      StrCpy $1 $R5
    ${EndIf}
    Push $1
    Push ",'$\""
    !insertmacro _TamskCall _TamskQuoteIf_
    Pop $1
    ${If} $0 = 1
      StrCpy $R6 $1
    ${Else}
      StrCpy $R6 "$R6,$1"
    ${EndIf}
  ${Next}
  ; The reader takes one pair of quotes off a whole value: a value that
  ; begins and ends with a quoted field gets a pair of its own to lose.
  StrCpy $R7 $R6
  StrCpy $0 $R6 1
  StrCpy $1 $R6 1 -1
  ${If} $0 == "'"
  ${AndIf} $1 == "'"
    StrCpy $R7 "'$R6'"
  ${EndIf}
  StrCpy $2 1
  ${Do}
    ClearErrors
    ReadINIStr $3 $TamskLog $R0 $2
    ${If} ${Errors}
    ${OrIf} $3 S== $R6
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  Push $R0
  Push $2
  Push $R7
  !insertmacro _TamskCall _TamskWrite_
  !insertmacro _TamskLeave 6 noresult
!macroend

!macro _TamskRunApp SECTION PROGRAM PARAMETERS DIR SHOW TEXT
  !insertmacro _TamskPushErrors
  Push `${SECTION}`
  Push `${PROGRAM}`
  Push `${PARAMETERS}`
  Push `${DIR}`
  Push `${SHOW}`
  Push `${TEXT}`
  !insertmacro _TamskCall _TamskRunEntry_
  !insertmacro _TamskPopErrors
!macroend

!macro TamskPreRunApp PROGRAM PARAMETERS DIR SHOW TEXT
  !insertmacro _TamskRunApp PreRunApp `${PROGRAM}` `${PARAMETERS}` `${DIR}` `${SHOW}` `${TEXT}`
!macroend
!define TamskPreRunApp `!insertmacro TamskPreRunApp`

!macro TamskRunApp PROGRAM PARAMETERS DIR SHOW TEXT
  !insertmacro _TamskRunApp RunApp `${PROGRAM}` `${PARAMETERS}` `${DIR}` `${SHOW}` `${TEXT}`
!macroend
!define TamskRunApp `!insertmacro TamskRunApp`

; ---------------------------------------------------------------------------
; What the uninstaller shows: message texts and the banner title's font.

; (section, key, text): the line, the text given a pair of quotes of its own
; when it begins and ends with the same quote (the reader takes one pair off).
!macro _TamskSetting_
  !insertmacro _TamskEnter 3
  StrCpy $0 $R2 1
  StrCpy $1 $R2 1 -1
  StrLen $2 $R2
  ${If} $2 >= 2
  ${AndIf} $0 == $1
    ${If} $0 == "'"
    ${OrIf} $0 == "$\""
      StrCpy $R2 "'$R2'"
    ${EndIf}
  ${EndIf}
  !insertmacro _TamskRequireLog
  !insertmacro _TamskWriteLine $R0 $R1 $R2
  !insertmacro _TamskLeave 3 noresult
!macroend

; Message N of the uninstaller (docs/log-format.md lists them); "||" in the
; text breaks the line.
!macro TamskString N TEXT
  !insertmacro _TamskPushErrors
  Push Strings
  Push `${N}`
  Push `${TEXT}`
  !insertmacro _TamskCall _TamskSetting_
  !insertmacro _TamskPopErrors
!macroend
!define TamskString `!insertmacro TamskString`

; The banner title's font: face, size in points, colour (a COLORREF number,
; 0x00BBGGRR in decimal), style letters B I U S, and the character set.
!macro TamskTitleFont FACE SIZE COLOUR STYLE CHARSET
  !insertmacro _TamskPushErrors
  Push Display
  Push DialogTitleFont
  Push `${FACE},${SIZE},${COLOUR},${STYLE}`
  !insertmacro _TamskCall _TamskSetting_
  Push Display
  Push Charset
  Push `${CHARSET}`
  !insertmacro _TamskCall _TamskSetting_
  !insertmacro _TamskPopErrors
!macroend
!define TamskTitleFont `!insertmacro TamskTitleFont`

; ---------------------------------------------------------------------------
; The uninstaller: UnVrel.exe (TAMSK_UNVREL at compile time) placed in
; $INSTDIR and logged, so that it removes itself with the application, and
; the application's entry in the system's list of programs (ROOT HKLM for
; every user, HKCU for one, or SHCTX), written and logged in CreateKeys.
; Call it last: the entry's size is measured then.

; (root) -> the log's name of the root's uninstall key.
!macro _TamskUninstallKey_
  !insertmacro _TamskEnter 2
  Push $R0
  !insertmacro _TamskCall _TamskLogRoot_
  Pop $R0
  !insertmacro _TamskLog CreateKeys "$R0\$R1"
  !insertmacro _TamskLeave 2 noresult
!macroend

!macro TamskInstallUninstaller ROOT KEYNAME DISPLAYNAME PUBLISHER VERSION
  !insertmacro _TamskRootToken ${ROOT}
  !define /redef _TAMSK_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEYNAME}"
  ${TamskFileAs} `${TAMSK_UNVREL}` "$INSTDIR\UnVrel.exe"
  !insertmacro _TamskPushErrors
  WriteRegStr ${ROOT} "${_TAMSK_UNINSTALL_KEY}" UninstallString '"$INSTDIR\UnVrel.exe" "$TamskLog"'
  WriteRegStr ${ROOT} "${_TAMSK_UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\UnVrel.exe" "$TamskLog" /S'
  WriteRegStr ${ROOT} "${_TAMSK_UNINSTALL_KEY}" DisplayName `${DISPLAYNAME}`
  WriteRegStr ${ROOT} "${_TAMSK_UNINSTALL_KEY}" Publisher `${PUBLISHER}`
  WriteRegStr ${ROOT} "${_TAMSK_UNINSTALL_KEY}" DisplayVersion `${VERSION}`
  WriteRegStr ${ROOT} "${_TAMSK_UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  Push $0
  Push $1
  Push $2
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD ${ROOT} "${_TAMSK_UNINSTALL_KEY}" EstimatedSize $0
  Pop $2
  Pop $1
  Pop $0
  WriteRegDWORD ${ROOT} "${_TAMSK_UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD ${ROOT} "${_TAMSK_UNINSTALL_KEY}" NoRepair 1
  Push ${_TAMSK_ROOT}
  Push "${_TAMSK_UNINSTALL_KEY}"
  !insertmacro _TamskCall _TamskUninstallKey_
  !insertmacro _TamskPopErrors
!macroend
!define TamskInstallUninstaller `!insertmacro TamskInstallUninstaller`

; ---------------------------------------------------------------------------
; Logging alone, for what an installer does with commands this header does
; not wrap (Library.nsh's InstallLib, a plug-in): the item as it stands.

!macro TamskLogItem SECTION ITEM
  !insertmacro _TamskPushErrors
  !insertmacro _TamskLog `${SECTION}` `${ITEM}`
  !insertmacro _TamskPopErrors
!macroend
!define TamskLogItem `!insertmacro TamskLogItem`

!verbose pop
!endif
