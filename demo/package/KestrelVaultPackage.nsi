; The demo package: a real installer of the demo product, in the package
; format that the online installer hands off to (see README.md beside this
; file for the command line, the exit codes and the test switches).
;
; makensis -DVERSION=2.1.0.5 -DPRODUCT_EXE=/path/KestrelVault.exe
;          -DOUTFILE=/path/KestrelVault_2.1.0.5.exe KestrelVaultPackage.nsi

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh

!ifndef VERSION
  !error "define VERSION (four numbers, the product's version)"
!endif
!ifndef PRODUCT_EXE
  !error "define PRODUCT_EXE (the built demo product)"
!endif
!ifndef OUTFILE
  !error "define OUTFILE (the package to write)"
!endif

!define PRODUCT_NAME "栖木工坊"
!define PUBLISHER "Orvane"
!define PROGRAM "KestrelVault.exe"
!define UNINSTALLER "uninstall.exe"
!define SETTINGS "product.ini"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\{5F2E9A71-3C08-4B6D-9E14-A7D2C0B84F63}_is1"
; failed runs so far of a "<code>x<count>" failure request
!define FAIL_COUNTER "$TEMP\KestrelVaultDemo.failures"

; exit codes of the package format
!define EXIT_INIT_FAILED 1
!define EXIT_CANCELLED 2
!define EXIT_PREPARE_FATAL 3
!define EXIT_INSTALL_FATAL 4

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Orvane\${PRODUCT_NAME}"
BrandingText "${PUBLISHER} ${PRODUCT_NAME} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow
AllowSkipFiles off

LoadLanguageFile "${NSISDIR}\Contrib\Language files\SimpChinese.nlf"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT_NAME} 安装包"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${PUBLISHER}"

; shown only when the package is started without the silent switches
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Silent      ; 1 when /SILENT or /VERYSILENT was given
Var Experience  ; 0 after -noexperience
Var Welcome     ; 0 after -nowelcome
Var Icons       ; 0 after /noicons
Var Folder      ; the /DIR= value, empty when not given
Var FailSpec    ; /FAIL= or ORVANE_DEMO_FAIL: "<code>" or "<code>x<count>"
Var FailCode    ; the exit code this run ends with instead of 0, or 0
Var DelayMs     ; /DELAY= or ORVANE_DEMO_DELAY_MS: pause before writing anything

; --- command line -----------------------------------------------------------

; one option, its quotes already removed; options are case-insensitive
; (StrCmp) and unknown ones are ignored
Function HandleOption
  Pop $0
  StrCpy $1 $0 5
  StrCpy $2 $0 6
  StrCpy $3 $0 7
  ${If} $0 == "/SILENT"
  ${OrIf} $0 == "/VERYSILENT"
    StrCpy $Silent 1
  ${ElseIf} $0 == "/NOICONS"
    StrCpy $Icons 0
  ${ElseIf} $0 == "-NOEXPERIENCE"
    StrCpy $Experience 0
  ${ElseIf} $0 == "-NOWELCOME"
    StrCpy $Welcome 0
  ${ElseIf} $1 == "/DIR="
    StrCpy $Folder $0 "" 5
  ${ElseIf} $2 == "/FAIL="
    StrCpy $FailSpec $0 "" 6
  ${ElseIf} $3 == "/DELAY="
    StrCpy $DelayMs $0 "" 7
  ${EndIf}
FunctionEnd

; Splits the parameters at spaces outside double quotes and drops the
; quotes, so /DIR="C:\a b" gives the option /DIR=C:\a b. The options may
; come in any order.
Function ParseCommandLine
  ${GetParameters} $R0
  StrLen $R1 $R0
  StrCpy $R2 0   ; position
  StrCpy $R3 ""  ; option so far
  StrCpy $R4 0   ; inside quotes
  StrCpy $R5 0   ; an option is open (also an empty "" one)
  ${DoWhile} $R2 < $R1
    StrCpy $R6 $R0 1 $R2
    ${If} $R6 == '"'
      IntOp $R4 1 - $R4
      StrCpy $R5 1
    ${ElseIf} $R6 == " "
    ${AndIf} $R4 == 0
      ${If} $R5 == 1
        Push $R3
        Call HandleOption
      ${EndIf}
      StrCpy $R3 ""
      StrCpy $R5 0
    ${Else}
      StrCpy $R3 "$R3$R6"
      StrCpy $R5 1
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${Loop}
  ${If} $R5 == 1
    Push $R3
    Call HandleOption
  ${EndIf}
FunctionEnd

; true (1) when the text is a decimal number without leading zeros (NSIS
; would read those as octal)
Function IsNumber
  Pop $0
  StrLen $1 $0
  StrCpy $2 $0 1
  ${If} $1 == 0
  ${OrIf} $1 > 9
    Push 0
    Return
  ${EndIf}
  ${If} $2 == "0"
  ${AndIf} $1 > 1
    Push 0
    Return
  ${EndIf}
  StrCpy $2 0
  ${DoWhile} $2 < $1
    StrCpy $3 $0 1 $2
    ${If} $3 S< "0"
    ${OrIf} $3 S> "9"
      Push 0
      Return
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  Push 1
FunctionEnd

Function Fail
  Pop $0
  SetErrorLevel $0
  Quit
FunctionEnd

; "<code>" fails every run; "<code>x<count>" fails the first <count> runs
; (counted in a file of the temp folder) and lets the next one succeed
Function DecideFailure
  StrCpy $FailCode 0
  ${If} $FailSpec == ""
    Return
  ${EndIf}
  StrCpy $4 $FailSpec
  StrCpy $5 ""
  StrLen $1 $FailSpec
  StrCpy $2 0
  ${DoWhile} $2 < $1
    StrCpy $3 $FailSpec 1 $2
    ${If} $3 == "x"
      StrCpy $4 $FailSpec $2
      IntOp $2 $2 + 1
      StrCpy $5 $FailSpec "" $2
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  Push $4
  Call IsNumber
  Pop $0
  ${If} $0 != 1
  ${OrIf} $4 < 1
  ${OrIf} $4 > 8
    Push ${EXIT_INIT_FAILED}
    Call Fail
  ${EndIf}
  ${If} $5 == ""
    StrCpy $FailCode $4
    Return
  ${EndIf}
  Push $5
  Call IsNumber
  Pop $0
  ${If} $0 != 1
    Push ${EXIT_INIT_FAILED}
    Call Fail
  ${EndIf}
  StrCpy $6 0
  ClearErrors
  FileOpen $7 "${FAIL_COUNTER}" r
  ${IfNot} ${Errors}
    FileRead $7 $6
    FileClose $7
    Push $6
    Call IsNumber
    Pop $0
    ${If} $0 != 1
      StrCpy $6 0
    ${EndIf}
  ${EndIf}
  ${If} $6 < $5
    IntOp $6 $6 + 1
    FileOpen $7 "${FAIL_COUNTER}" w
    FileWrite $7 $6
    FileClose $7
    StrCpy $FailCode $4
  ${Else}
    Delete "${FAIL_COUNTER}"
  ${EndIf}
FunctionEnd

; an absolute folder (X:\... or \\server\share...), without a trailing backslash
Function CheckFolder
  StrCpy $0 $Folder 1 1
  StrCpy $1 $Folder 2
  StrCpy $2 $Folder 1 2
  ${If} $0 == ":"
  ${AndIf} $2 == "\"
    Nop
  ${ElseIf} $1 == "\\"
    Nop
  ${Else}
    Push ${EXIT_INIT_FAILED}
    Call Fail
  ${EndIf}
  ${DoWhile} 1 == 1
    StrLen $3 $Folder
    StrCpy $4 $Folder 1 -1
    ${If} $4 != "\"
    ${OrIf} $3 <= 3
      ${Break}
    ${EndIf}
    IntOp $3 $3 - 1
    StrCpy $Folder $Folder $3
  ${Loop}
FunctionEnd

Function .onInit
  StrCpy $Silent 0
  StrCpy $Experience 1
  StrCpy $Welcome 1
  StrCpy $Icons 1
  StrCpy $Folder ""
  ReadEnvStr $FailSpec ORVANE_DEMO_FAIL
  ReadEnvStr $DelayMs ORVANE_DEMO_DELAY_MS
  Call ParseCommandLine
  ${If} $DelayMs != ""
    Push $DelayMs
    Call IsNumber
    Pop $0
    ${If} $0 != 1
      Push ${EXIT_INIT_FAILED}
      Call Fail
    ${EndIf}
  ${EndIf}
  ${If} $Folder != ""
    Call CheckFolder
    StrCpy $INSTDIR $Folder
  ${EndIf}
  ${If} $Silent == 1
    SetSilent silent
  ${EndIf}
  Call DecideFailure
  ; the failures that happen before the install starts
  ${If} $FailCode == 1
  ${OrIf} $FailCode == 2
    Push $FailCode
    Call Fail
  ${EndIf}
FunctionEnd

Function .onUserAbort
  SetErrorLevel ${EXIT_CANCELLED}
FunctionEnd

; --- install -----------------------------------------------------------------

Section "Install"
  ; machine-wide, like the uninstall entry
  SetShellVarContext all
  SetRegView 32
  ; preparing: the failures decided before anything is written
  ${If} $FailCode == 3
  ${OrIf} $FailCode == 7
  ${OrIf} $FailCode == 8
    Push $FailCode
    Call Fail
  ${EndIf}
  ${If} $DelayMs != ""
    Sleep $DelayMs
  ${EndIf}
  ${If} $FailCode == 4
  ${OrIf} $FailCode == 6
    Push $FailCode
    Call Fail
  ${EndIf}

  ClearErrors
  CreateDirectory "$INSTDIR"
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    Push ${EXIT_INSTALL_FATAL}
    Call Fail
  ${EndIf}
  SetOutPath "$INSTDIR"
  SetOverwrite try
  ClearErrors
  File "/oname=${PROGRAM}" "${PRODUCT_EXE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ; UTF-16 with a byte-order mark, so that the profile functions keep the
  ; folder's Chinese characters
  Delete "$INSTDIR\${SETTINGS}"
  FileOpen $1 "$INSTDIR\${SETTINGS}" w
  FileWriteWord $1 0xFEFF
  FileClose $1
  ${GetParameters} $0
  WriteINIStr "$INSTDIR\${SETTINGS}" "Setup" "version" "${VERSION}"
  WriteINIStr "$INSTDIR\${SETTINGS}" "Setup" "experience" "$Experience"
  WriteINIStr "$INSTDIR\${SETTINGS}" "Setup" "welcome" "$Welcome"
  WriteINIStr "$INSTDIR\${SETTINGS}" "Setup" "icons" "$Icons"
  WriteINIStr "$INSTDIR\${SETTINGS}" "Setup" "command_line" "$0"
  ${If} ${Errors}
    Push ${EXIT_INSTALL_FATAL}
    Call Fail
  ${EndIf}

  ${If} $Icons == 1
    CreateDirectory "$SMPROGRAMS\${PRODUCT_NAME}"
    CreateShortCut "$SMPROGRAMS\${PRODUCT_NAME}\${PRODUCT_NAME}.lnk" "$INSTDIR\${PROGRAM}"
  ${EndIf}

  ClearErrors
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  ; the plain path: the online installer checks that this file exists
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR\"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
  ${If} ${Errors}
    Push ${EXIT_INSTALL_FATAL}
    Call Fail
  ${EndIf}

  ; installed, but the run still ends with the requested code
  ${If} $FailCode == 5
    Push $FailCode
    Call Fail
  ${EndIf}
SectionEnd

; --- uninstall ---------------------------------------------------------------

Section "Uninstall"
  SetShellVarContext all
  SetRegView 32
  Delete "$INSTDIR\${PROGRAM}"
  Delete "$INSTDIR\${SETTINGS}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; only when nothing else is left in it
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT_NAME}\${PRODUCT_NAME}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT_NAME}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
