; Setup program of Vostrel Veilcap. One script makes both setups; the build passes
;   ARCH     x64 (amd64 stub, 64-bit program, 64-bit Program Files) or x86 (x86 stub, 32-bit program)
;   VERSION  the program's version, PAYLOAD the staged program folder, README the read-me text,
;   ICON     the program's icon, WIZARD_BITMAP the welcome and finish pages' picture (164 x 314),
;   OUTFILE  the setup program to write.
; Silent use: Setup.exe /S [/AUTOSTART] [/D=folder]   (/D= must come last, without quotes)
;             the quiet-uninstall command of "Apps & features" (see QuietUninstallCommand)
!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else if "${ARCH}" == "x86"
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
!else
  !error "ARCH must be x64 or x86"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include x64.nsh

!define APP_NAME "Vostrel Veilcap"
!define PUBLISHER "Vostrel Software"
!define MAIN_WINDOW_CLASS "TForm_Veilcap"
; The registered window message the program's main window answers by quitting as its tray menu's
; quit does (options saved); see kQuitRequestMessageName in the program.
!define QUIT_REQUEST "VostrelVeilcapQuitRequest"
!define TASK_FILE "$SYSDIR\Tasks\Vostrel Veilcap"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vostrel Veilcap"
!define LEDGER_KEY "SOFTWARE\Vostrel\Vostrel Veilcap\Blocked"

Name "${APP_NAME}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Veilcap"
; An earlier installation is updated where it is (a /D= on the command line still wins).
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma
; The same setup from the same sources: the installed files keep the times the build gave them (the
; release time); FINALIZE (from the build) sets the PE checksum of the uninstaller this setup writes
; and of the setup itself, and signs both when the build has a certificate.
SetDateSave on
!ifdef FINALIZE
  !uninstfinalize '/bin/sh "${FINALIZE}" "%1"' = 0
  !finalize '/bin/sh "${FINALIZE}" "%1"' = 0
!endif
BrandingText "${PUBLISHER}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${APP_NAME} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
; Veilcap's own picture on the welcome and finish pages; the header keeps the shield icon.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Veilcap.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(TextStartNow)"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The wizard speaks the user's language where it has it, English otherwise.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString TextProgram ${LANG_ENGLISH} "Veilcap (program files)"
LangString TextProgram ${LANG_GERMAN} "Veilcap (Programmdateien)"
LangString TextAutostart ${LANG_ENGLISH} "Start with Windows"
LangString TextAutostart ${LANG_GERMAN} "Mit Windows starten"
LangString TextStartNow ${LANG_ENGLISH} "Start Veilcap now"
LangString TextStartNow ${LANG_GERMAN} "Veilcap jetzt starten"
LangString TextQuitting ${LANG_ENGLISH} "Asking the running Veilcap to quit..."
LangString TextQuitting ${LANG_GERMAN} "Das laufende Veilcap wird beendet..."
LangString TextStillRunning ${LANG_ENGLISH} "Veilcap is still running and does not quit.$\r$\nQuit it from its tray menu, then choose Retry."
LangString TextStillRunning ${LANG_GERMAN} "Veilcap läuft noch und beendet sich nicht.$\r$\nBeenden Sie es über sein Menü im Infobereich und wählen Sie dann Wiederholen."
LangString TextRestoring ${LANG_ENGLISH} "Switching on the devices Veilcap switched off..."
LangString TextRestoring ${LANG_GERMAN} "Die von Veilcap abgeschalteten Geräte werden wieder eingeschaltet..."
LangString TextRestoreFailed ${LANG_ENGLISH} "Some devices Veilcap switched off could not be switched on again (code $0).$\r$\n$\r$\nRetry: try again.$\r$\nCancel: stop the uninstall; Veilcap stays installed. Switch the devices on in the Device Manager or in Veilcap, then uninstall again."
LangString TextRestoreFailed ${LANG_GERMAN} "Einige von Veilcap abgeschaltete Geräte ließen sich nicht wieder einschalten (Code $0).$\r$\n$\r$\nWiederholen: erneut versuchen.$\r$\nAbbrechen: die Deinstallation beenden; Veilcap bleibt installiert. Schalten Sie die Geräte im Geräte-Manager oder in Veilcap ein und deinstallieren Sie dann erneut."
LangString TextUninstallStopped ${LANG_ENGLISH} "Uninstall stopped: Veilcap stays installed, because devices it switched off are still off. Switch them on, then uninstall again."
LangString TextUninstallStopped ${LANG_GERMAN} "Deinstallation beendet: Veilcap bleibt installiert, weil von ihm abgeschaltete Geräte noch aus sind. Schalten Sie sie ein und deinstallieren Sie dann erneut."
LangString TextPathFailed ${LANG_ENGLISH} "The program folder could not be added to PATH (code $0); Veilcap works, only not by its name in a console."
LangString TextPathFailed ${LANG_GERMAN} "Der Programmordner ließ sich nicht zum PATH hinzufügen (Code $0); Veilcap funktioniert, nur nicht über seinen Namen in der Konsole."
LangString TextAutostartFailed ${LANG_ENGLISH} "Start with Windows was not set up (code $0)."
LangString TextAutostartFailed ${LANG_GERMAN} "Der Start mit Windows wurde nicht eingerichtet (Code $0)."

Var TaskExisted

; Asks every running Veilcap to quit the way its tray menu's quit does and waits until it has ended.
; A Veilcap that does not know the request (an older one) is sent WM_CLOSE. One that still does not
; end is never killed: the user is asked to quit it (silent: the setup gives up with exit code 2).
!macro QUIT_VEILCAP UN
Function ${UN}QuitVeilcap
  System::Call 'user32::RegisterWindowMessageW(w "${QUIT_REQUEST}") i .r1'
  StrCpy $5 0  ; windows asked so far: a bound against a window that keeps coming back
  again:
  Call ${UN}FindOwnWindow
  ${If} $0 = 0
    Return
  ${EndIf}
  IntOp $5 $5 + 1
  ${If} $5 > 5
    Goto stuck
  ${EndIf}
  DetailPrint "$(TextQuitting)"
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r2)'
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3'  ; SYNCHRONIZE
  SendMessage $0 $1 0 0 /TIMEOUT=30000
  Push 200  ; tenths of a second for the request
  Call ${UN}WaitForEnd
  Pop $4
  ${If} $4 <> 0
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=10000
    Push 100
    Call ${UN}WaitForEnd
    Pop $4
  ${EndIf}
  ${If} $3 P<> 0
    System::Call 'kernel32::CloseHandle(p r3)'
  ${EndIf}
  ${If} $4 = 0
    Goto again
  ${EndIf}
  stuck:
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(TextStillRunning)" /SD IDCANCEL IDRETRY retry
  SetErrorLevel 2
  Quit
  retry:
  StrCpy $5 0
  Goto again
FunctionEnd

; Out: in $0 a main window whose process runs $INSTDIR\Veilcap.exe (the program being replaced),
; else 0. A window of the same class that another program made is passed over: it neither holds up
; nor aborts the setup.
Function ${UN}FindOwnWindow
  Push $6
  Push $7
  Push $8
  Push $9
  StrCpy $6 0
  ${Do}
    FindWindow $6 "${MAIN_WINDOW_CLASS}" "" 0 $6
    ${If} $6 = 0
      ${Break}
    ${EndIf}
    StrCpy $7 0
    System::Call 'user32::GetWindowThreadProcessId(p r6, *i .r7)'
    System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r7) p .r8'  ; PROCESS_QUERY_LIMITED_INFORMATION
    StrCpy $9 ""
    ${If} $8 P<> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p r8, i 0, w .r9, *i ${NSIS_MAX_STRLEN})'
      System::Call 'kernel32::CloseHandle(p r8)'
    ${EndIf}
    ${If} $9 == "$INSTDIR\Veilcap.exe"
      ${Break}
    ${EndIf}
  ${Loop}
  StrCpy $0 $6
  Pop $9
  Pop $8
  Pop $7
  Pop $6
FunctionEnd

; In: tenths of a second on the stack; the window in $0, the process handle (or 0) in $3.
; Out: 0 on the stack when the process has ended (or, without a handle, the window is gone), else 1.
Function ${UN}WaitForEnd
  Exch $6
  Push $7
  ${Do}
    ${If} $3 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r3, i 100) i .r7'
      ${If} $7 = 0
        StrCpy $6 0
        ${Break}
      ${EndIf}
    ${Else}
      System::Call 'user32::IsWindow(p r0) i .r7'
      ${If} $7 = 0
        StrCpy $6 0
        ${Break}
      ${EndIf}
      Sleep 100
    ${EndIf}
    IntOp $6 $6 - 1
    ${If} $6 <= 0
      StrCpy $6 1
      ${Break}
    ${EndIf}
  ${Loop}
  Pop $7
  Exch $6
FunctionEnd
!macroend
!insertmacro QUIT_VEILCAP ""
!insertmacro QUIT_VEILCAP "un."

Section "$(TextProgram)" SecProgram
  SectionIn RO
  Call QuitVeilcap
  SetOutPath "$INSTDIR"
  ; The folder holds a program that runs elevated: wherever it is (also a /D= folder outside
  ; Program Files, whose parent lets users create and change files), only administrators and
  ; SYSTEM may change it. Owner Administrators, inheritance off, Administrators and SYSTEM full
  ; control, Users read and execute; files already there lose their own entries. Accounts are
  ; named by SID, so every language of Windows understands them.
  nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR" /setowner *S-1-5-32-544 /T /C /Q'
  Pop $0
  nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX /Q'
  Pop $1
  nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR\*" /reset /T /C /Q'
  Pop $2
  DetailPrint "icacls: owner $0, folder $1, contents $2"
  File "${PAYLOAD}\Veilcap.exe"
  File "${PAYLOAD}\Veilcap.com"
  File "${PAYLOAD}\TASK.xml"
  File /oname=README.txt "${README}"
  File /r "${PAYLOAD}\skins"
  File /r "${PAYLOAD}\Flags"
  File /r "${PAYLOAD}\translation"
  File /r "${PAYLOAD}\policies"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\Veilcap.lnk" "$INSTDIR\Veilcap.exe" "" "$INSTDIR\Veilcap.exe" 0

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Veilcap.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$SYSDIR\cmd.exe" /d /s /c "copy /b /y "$INSTDIR\uninstall.exe" "%TEMP%\Veilcap-uninstall.exe" >nul && "%TEMP%\Veilcap-uninstall.exe" /S _?=$INSTDIR"'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; The program folder as the last entry of the machine PATH, so "veilcap -status" works in every new
; console. The program edits the value itself (any length, its type and every other entry kept) and
; tells running programs; a fixed-length string of the setup never holds it.
Section "-Program folder in PATH"
  ExecWait '"$INSTDIR\Veilcap.exe" -ADDPATH' $0
  ${If} $0 != 0
    DetailPrint "$(TextPathFailed)"
  ${EndIf}
SectionEnd

; Off unless chosen, passed as /AUTOSTART, or the task existed before. The task modes show no
; window: what they have to say (a refused task) goes into the list of details.
Section /o "$(TextAutostart)" SecAutostart
  nsExec::ExecToLog '"$INSTDIR\Veilcap.exe" -CREATETASK'
  Pop $0
  ${If} $0 != 0
    DetailPrint "$(TextAutostartFailed)"
  ${EndIf}
SectionEnd

Section "-Autostart off"
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
  ${AndIf} $TaskExisted = 1
    nsExec::ExecToLog '"$INSTDIR\Veilcap.exe" -DELETETASK'
    Pop $0
  ${EndIf}
SectionEnd

Function .onInit
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
  ; Whether Veilcap starts with Windows today, read before a running Veilcap quits (its quit may
  ; write or delete the task): the task is registered again from the new files.
  ${DisableX64FSRedirection}
  StrCpy $TaskExisted 0
  IfFileExists "${TASK_FILE}" 0 +2
    StrCpy $TaskExisted 1
  ${EnableX64FSRedirection}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART" $R1
  StrCpy $R2 $TaskExisted
  ${IfNot} ${Errors}
    StrCpy $R2 1
  ${EndIf}
  ${If} $R2 = 1
    !insertmacro SelectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

Function un.onInit
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
FunctionEnd

; Switches on every device Veilcap switched off. When that fails, nothing is removed: the program is
; the only thing left that can switch them on. The wizard offers Retry / Cancel; the silent
; uninstall stops with exit code 1. Out: $0 = 0.
Function un.RestoreDevices
  DetailPrint "$(TextRestoring)"
  retry:
  ExecWait '"$INSTDIR\Veilcap.exe" -RESTORE' $0
  ${If} $0 == 0
    Return
  ${EndIf}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(TextRestoreFailed)" /SD IDCANCEL IDRETRY retry
  DetailPrint "$(TextUninstallStopped)"
  SetErrorLevel 1
  Abort "$(TextUninstallStopped)"
FunctionEnd

; The quiet-uninstall command. "uninstall.exe /S" alone returns at once: the uninstaller starts a
; copy of itself in the temporary folder and ends, so a management tool would read success before
; anything happened. The command waits instead: cmd copies the uninstaller into the temporary folder
; itself and runs the copy in place ("_?=" names the folder to remove), waits for it and returns its
; exit code. A running uninstaller keeps its own file open, so it could not remove it from the
; folder if it ran from there.
;
; The uninstaller itself; a copy that ran from the temporary folder goes at the next restart.
Function un.DeleteUninstaller
  Delete "$INSTDIR\uninstall.exe"
  ${If} $EXEPATH != "$INSTDIR\uninstall.exe"
    Delete /REBOOTOK "$EXEPATH"
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.QuitVeilcap
  ; Programs started from here (and the consoles and scripts they start in turn) work in the system
  ; folder: one still ending with the install folder as its working folder would keep it from going.
  SetOutPath "$SYSDIR"
  StrCpy $0 1
  IfFileExists "$INSTDIR\Veilcap.exe" 0 no_program
    Call un.RestoreDevices
    nsExec::ExecToLog '"$INSTDIR\Veilcap.exe" -DELETETASK'
    Pop $1
    ExecWait '"$INSTDIR\Veilcap.exe" -REMOVEPATH'
  no_program:

  ; Only what the setup put here (and the program's own scratch file), never the whole folder: it
  ; may be a folder the user chose that holds other files.
  Delete "$INSTDIR\Veilcap.exe"
  Delete "$INSTDIR\Veilcap.com"
  Delete "$INSTDIR\TASK.xml"
  Delete "$INSTDIR\TASKdummy.xml"
  Delete "$INSTDIR\README.txt"
  RMDir /r "$INSTDIR\skins"
  RMDir /r "$INSTDIR\Flags"
  RMDir /r "$INSTDIR\translation"
  RMDir /r "$INSTDIR\policies"
  Call un.DeleteUninstaller
  ; A console the program's helpers ran in may still hold the folder for a moment after they ended.
  StrCpy $1 0
  ${Do}
    ClearErrors
    RMDir "$INSTDIR"
    ${IfNot} ${Errors}
    ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 >= 50
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}

  SetShellVarContext all
  Delete "$SMPROGRAMS\Veilcap.lnk"
  DeleteRegKey HKLM "${UNINST_KEY}"
  ; The list of devices Veilcap switched off lives in the 64-bit view on 64-bit Windows. It goes only
  ; when every one of them works again; otherwise it keeps naming the devices still off.
  ${If} $0 == 0
    !if "${ARCH}" == "x86"
      ${If} ${RunningX64}
        SetRegView 64
      ${EndIf}
    !endif
    DeleteRegKey HKLM "${LEDGER_KEY}"
  ${EndIf}
  ; The user's own settings under HKEY_CURRENT_USER stay, as the read-me says.
SectionEnd
