; gyrantrix.nsi — the Windows installer: the driver, the test utility, the jet
; demo with their help pages, the SDK and an uninstaller under Program Files;
; "gyrantx.ini" in the Windows directory from the ports page or, silent, from
; /COM1=.. /COM4= on the command line. scripts/installer.sh builds it:
;   makensis -DSTAGE=<staged install tree> -DFILES=<file lists> -DOUTFILE=<exe>
; The file lists (install and uninstall, one line per file) are generated from
; the staged tree, so the uninstaller removes exactly what was installed.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!ifndef STAGE
  !error "STAGE (the staged install tree) must be given: -DSTAGE=..."
!endif
!ifndef FILES
  !error "FILES (the folder of the generated file lists) must be given: -DFILES=..."
!endif
!ifndef OUTFILE
  !define OUTFILE "gyrantrix-setup.exe"
!endif

!define PRODUCT "Gyrantrix"
!define VERSION "8.0"
!define PUBLISHER "Halvorin"
!define INI "gyrantx.ini"
!define REGKEY "Software\Halvorin\Gyrantrix"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Gyrantrix"
; The exact names the driver's model table knows.
!define M2200 "Quorvanel 2200"
!define M3200 "Quorvanel 3200"
!define MSTICK "Quorvanel Stick"
!define MLQ "Lumeqaro 700"
!define NONE "(none)"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Halvorin\Gyrantrix"
InstallDirRegKey HKLM "${REGKEY}" "InstallDir"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var Port1
Var Port2
Var Port3
Var Port4
Var Combo1
Var Combo2
Var Combo3
Var Combo4

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
Page custom PortsPage PortsLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; ---- Models: command-line words and names ---------------------------------

; ModelName <word or name> -> <model name, "" for none, "?" for unknown>
!macro ModelName out in
  Push "${in}"
  Call ModelName
  Pop ${out}
!macroend
Function ModelName
  Exch $0
  ${If} $0 == ""
  ${OrIf} $0 == "none"
  ${OrIf} $0 == "${NONE}"
    StrCpy $0 ""
  ${ElseIf} $0 == "2200"
  ${OrIf} $0 == "${M2200}"
    StrCpy $0 "${M2200}"
  ${ElseIf} $0 == "3200"
  ${OrIf} $0 == "${M3200}"
    StrCpy $0 "${M3200}"
  ${ElseIf} $0 == "stick"
  ${OrIf} $0 == "${MSTICK}"
    StrCpy $0 "${MSTICK}"
  ${ElseIf} $0 == "lumeqaro"
  ${OrIf} $0 == "700"
  ${OrIf} $0 == "${MLQ}"
    StrCpy $0 "${MLQ}"
  ${Else}
    StrCpy $0 "?"
  ${EndIf}
  Exch $0
FunctionEnd

; PortChoice <var> <n>: the model for COMn: the command line's /COMn= when
; given, else what the current gyrantx.ini names, else (COM1 only, on a
; machine without a configuration) the Quorvanel 2200.
!macro PortChoice var n
  ${GetOptions} $CMDLINE "/COM${n}=" $0
  ${If} ${Errors}
    ClearErrors
    ${If} ${FileExists} "$WINDIR\${INI}"
      ReadINIStr $0 "$WINDIR\${INI}" "COM${n}:" "devicetype"
    ${ElseIf} ${n} == 1
      StrCpy $0 "2200"
    ${Else}
      StrCpy $0 ""
    ${EndIf}
  ${EndIf}
  !insertmacro ModelName ${var} $0
  ${If} ${var} == "?"
    StrCpy $1 "COM${n}: unknown controller model $\"$0$\" (2200, 3200, stick, lumeqaro or none)"
    Call BadOption
  ${EndIf}
!macroend

Function BadOption
  ${If} ${Silent}
    SetErrorLevel 2
    Quit
  ${EndIf}
  MessageBox MB_ICONSTOP|MB_OK "$1"
  Quit
FunctionEnd

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP|MB_OK "${PRODUCT} needs 64-bit Windows." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  SetRegView 64
  ClearErrors
  !insertmacro PortChoice $Port1 1
  !insertmacro PortChoice $Port2 2
  !insertmacro PortChoice $Port3 3
  !insertmacro PortChoice $Port4 4
FunctionEnd

; ---- The ports page -------------------------------------------------------

!macro PortRow n var combo y
  ${NSD_CreateLabel} 0 ${y} 60u 12u "COM${n}:"
  Pop $0
  ${NSD_CreateDropList} 64u ${y} 140u 80u ""
  Pop ${combo}
  ${NSD_CB_AddString} ${combo} "${NONE}"
  ${NSD_CB_AddString} ${combo} "${M2200}"
  ${NSD_CB_AddString} ${combo} "${M3200}"
  ${NSD_CB_AddString} ${combo} "${MSTICK}"
  ${NSD_CB_AddString} ${combo} "${MLQ}"
  ${If} ${var} == ""
    ${NSD_CB_SelectString} ${combo} "${NONE}"
  ${Else}
    ${NSD_CB_SelectString} ${combo} ${var}
  ${EndIf}
!macroend

Function PortsPage
  !insertmacro MUI_HEADER_TEXT "Controllers" "Choose the controller on each serial port."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 24u "The driver opens the controller named for each port. Choose $\"${NONE}$\" for a port without one; the choice is written to ${INI} in the Windows directory."
  Pop $0
  !insertmacro PortRow 1 $Port1 $Combo1 30u
  !insertmacro PortRow 2 $Port2 $Combo2 48u
  !insertmacro PortRow 3 $Port3 $Combo3 66u
  !insertmacro PortRow 4 $Port4 $Combo4 84u
  nsDialogs::Show
FunctionEnd

Function PortsLeave
  ${NSD_GetText} $Combo1 $0
  !insertmacro ModelName $Port1 $0
  ${NSD_GetText} $Combo2 $0
  !insertmacro ModelName $Port2 $0
  ${NSD_GetText} $Combo3 $0
  !insertmacro ModelName $Port3 $0
  ${NSD_GetText} $Combo4 $0
  !insertmacro ModelName $Port4 $0
FunctionEnd

; The driver keeps at most 127 characters of its home directory: a longer
; folder would install programs that can never be started by the library.
!define HOME_MAX 127
Function .onVerifyInstDir
  StrLen $0 "$INSTDIR\Win32"
  ${If} $0 > ${HOME_MAX}
    Abort
  ${EndIf}
FunctionEnd

; ---- Installing -----------------------------------------------------------

; A running driver holds its program file: ask it to quit first.
!macro StopDriver
  ${If} ${FileExists} "$INSTDIR\Win32\gyxsrv.exe"
    ExecWait '"$INSTDIR\Win32\gyxsrv.exe" -shutdown -force -quiet'
  ${EndIf}
!macroend

!macro WritePort n var
  ${If} ${var} == ""
    DeleteINISec "$WINDIR\${INI}" "COM${n}:"
  ${Else}
    WriteINIStr "$WINDIR\${INI}" "COM${n}:" "devicetype" ${var}
  ${EndIf}
!macroend

Section "Gyrantrix" SecMain
  SectionIn RO
  StrLen $0 "$INSTDIR\Win32"
  ${If} $0 > ${HOME_MAX}
    MessageBox MB_ICONSTOP|MB_OK "The install folder is too long: $INSTDIR\Win32 must keep within ${HOME_MAX} characters." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  SetShellVarContext all
  !insertmacro StopDriver

  !include "${FILES}\install.nsh"

  ; The configuration: keep a copy of one that was there before (restored by
  ; the uninstaller), then set the home directory and the ports; other keys
  ; the user had (application files, menu buttons) stay.
  ${If} ${FileExists} "$WINDIR\${INI}"
  ${AndIfNot} ${FileExists} "$INSTDIR\${INI}.before"
    CopyFiles /SILENT "$WINDIR\${INI}" "$INSTDIR\${INI}.before"
  ${EndIf}
  WriteINIStr "$WINDIR\${INI}" "gyrantrix" "homedirectory" "$INSTDIR\Win32"
  WriteINIStr "$WINDIR\${INI}" "gyrantrix" "homedir" "$INSTDIR\Win32"
  !insertmacro WritePort 1 $Port1
  !insertmacro WritePort 2 $Port2
  !insertmacro WritePort 3 $Port3
  !insertmacro WritePort 4 $Port4
  FlushINI "$WINDIR\${INI}"
  ; What the installer wrote: the uninstaller removes the file only while it
  ; still reads so, and keeps a configuration the user has changed since.
  CopyFiles /SILENT "$WINDIR\${INI}" "$INSTDIR\${INI}.installed"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Gyrantrix Driver.lnk" "$INSTDIR\Win32\gyxsrv.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Gyrantrix Test Utility.lnk" "$INSTDIR\Win32\evtview.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Jet Demo.lnk" "$INSTDIR\Win32\jet.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall Gyrantrix.lnk" "$INSTDIR\uninstall.exe"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${REGKEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
SectionEnd

; ---- Uninstalling ---------------------------------------------------------

Function un.onInit
  SetRegView 64
FunctionEnd

; SameFile <a> <b> -> "1" when both files hold the same lines, else "0".
Function un.SameFile
  Exch $1 ; b
  Exch
  Exch $0 ; a
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $5 "0"
  ClearErrors
  FileOpen $2 $0 r
  IfErrors done
  FileOpen $3 $1 r
  IfErrors close2
  loop:
    ClearErrors
    StrCpy $4 0
    FileRead $2 $0
    IfErrors 0 +2
      StrCpy $4 1
    ClearErrors
    FileRead $3 $1
    ${If} ${Errors}
      ${If} $4 == 1
        StrCpy $5 "1"
      ${EndIf}
      Goto close3
    ${EndIf}
    StrCmpS $4 1 close3
    StrCmpS $0 $1 loop close3
  close3:
    FileClose $3
  close2:
    FileClose $2
  done:
  StrCpy $0 $5
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro StopDriver

  ; The configuration goes only while it is the installer's own; the one
  ; that was there before comes back.
  ${If} ${FileExists} "$INSTDIR\${INI}.installed"
    Push "$WINDIR\${INI}"
    Push "$INSTDIR\${INI}.installed"
    Call un.SameFile
    Pop $0
    ${If} $0 == "1"
      Delete "$WINDIR\${INI}"
      ${If} ${FileExists} "$INSTDIR\${INI}.before"
        CopyFiles /SILENT "$INSTDIR\${INI}.before" "$WINDIR\${INI}"
      ${EndIf}
    ${EndIf}
    Delete "$INSTDIR\${INI}.installed"
  ${EndIf}
  Delete "$INSTDIR\${INI}.before"

  Delete "$SMPROGRAMS\${PRODUCT}\Gyrantrix Driver.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Gyrantrix Test Utility.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Jet Demo.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall Gyrantrix.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  ; Only what was installed: files the user put beside them keep their folders.
  !include "${FILES}\uninstall.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The publisher's folder, when the installer made it (the default place).
  ${If} $INSTDIR == "$PROGRAMFILES64\Halvorin\Gyrantrix"
    RMDir "$PROGRAMFILES64\Halvorin"
  ${EndIf}

  DeleteRegKey HKLM "${UNINSTKEY}"
  DeleteRegKey HKLM "${REGKEY}"
  DeleteRegKey /ifempty HKLM "Software\Halvorin"
SectionEnd
