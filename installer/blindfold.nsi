; Blindfold's setup program. It installs for the current user alone, so that no
; administrator is needed: the files go to %LOCALAPPDATA%\Programs\Blindfold,
; the shortcut to the user's Start menu, the uninstall entry under HKCU.
;
; The build defines VERSION, PUBLISHER, FILES (the folder holding Blindfold.exe,
; bf.ico, acknowledgments.TXT and LICENSE.txt) and OUTFILE.
;
; Command line: /S installs or uninstalls silently; the uninstaller's
; /REMOVESETTINGS also removes the user's settings, as the box on its page does.
;
; Exit codes where a running Blindfold stops it (0 is done, 1 cancelled, 2
; aborted, as for every setup of this kind):
;   3  Blindfold's shutdown is protected by a password;
;   4  Blindfold holds windows hidden behind its "Show windows" password, which
;      its shutdown would have to show;
;   5  Blindfold did not shut down when asked (it waits for a password Lock
;      asked for, or does not answer).

Unicode true
; Blindfold.exe is a 64-bit program; so is its setup, which then runs wherever
; Blindfold does.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; A file still in use must fail the install, not leave the old one in place
; behind a setup that reports success.
AllowSkipFiles off

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Blindfold"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Blindfold"
; The panel's Shutdown button (its id in src/panel/controls.cpp): a click on it
; (BN_CLICKED, 0) is what the setup sends.
!define IDC_cmdShutdown 1079
!define SYNCHRONIZE 0x00100000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An update goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${FILES}/bf.ico"
!define MUI_UNICON "${FILES}/bf.ico"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION} for you alone; no administrator is needed.$\r$\n$\r$\nIf ${PRODUCT} is running, it will be asked to shut down first, which shows every window it hid.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Blindfold.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
UninstPage custom un.SettingsPage un.SettingsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var closedRunning     ; 1 when a running Blindfold was shut down to make way
Var removeSettings    ; 1 when the user's settings go too
Var removeSettingsBox

; Blindfold keeps its machine-wide settings and its start-at-log-on value in the
; 32-bit view of the registry; this setup looks at the same place.
Function .onInit
  SetRegView 32
FunctionEnd

; A running Blindfold holds its executable open and may hold windows hidden.
; It is asked to end the way its own Shutdown button ends it, which shows every
; window it hid first. When a shutdown password guards it, ending it any other
; way would defeat the password: the setup says so and stops instead.
!macro CloseRunningBlindfold un
Function ${un}CloseRunningBlindfold
  StrCpy $closedRunning 0
  ; Blindfold's main window, which it has from start to end, shown or not.
  FindWindow $R0 "BlindfoldMain" "${PRODUCT}"
  ${If} $R0 = 0
    ; A Blindfold older than its main window has only its panel: the dialog
    ; titled Blindfold with the tab strip of its pages (the page with the
    ; Shutdown button may not have been made yet).
    ${Do}
      FindWindow $R0 "#32770" "${PRODUCT}" "" $R0
      ${If} $R0 = 0
        Return
      ${EndIf}
      FindWindow $R1 "SysTabControl32" "" $R0
      ${If} $R1 <> 0
        ${Break}
      ${EndIf}
    ${Loop}
  ${EndIf}

  ; The per-user value wins over the machine-wide one, as in Blindfold.
  ClearErrors
  ReadRegStr $R2 HKCU "${SETTINGS_KEY}\ShortcutKeys" "PPShutdown"
  ${If} ${Errors}
    ReadRegStr $R2 HKLM "${SETTINGS_KEY}\ShortcutKeys" "PPShutdown"
  ${EndIf}
  ${If} $R2 == "1"
    Call ${un}RefuseGuardedBlindfold
  ${EndIf}
  ; The record of hidden windows starts with the line "guarded" while showing
  ; them needs the password, by the stored switch or by Lock.
  ClearErrors
  ReadRegStr $R2 HKCU "${SETTINGS_KEY}\Recovery" "HiddenWindows"
  StrCpy $R2 $R2 7
  ${If} $R2 == "guarded"
    Call ${un}RefuseGuardedWindows
  ${EndIf}

  System::Call "user32::GetWindowThreadProcessId(p R0, *i .R3)"
  System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i R3) p.R4"
  DetailPrint "Asking the running ${PRODUCT} to shut down..."
  ; Posted, not sent: a password prompt would hold a sent message.
  System::Call "user32::PostMessageW(p R0, i ${WM_COMMAND}, p ${IDC_cmdShutdown}, p 0)"
  System::Call "kernel32::WaitForSingleObject(p R4, i 15000) i.R5"
  System::Call "kernel32::CloseHandle(p R4)"
  ${If} $R5 <> 0
    ; Still running: a guard Lock turned on, or no answer. No password is
    ; blamed that is not stored.
    Call ${un}RefuseStillRunning
  ${EndIf}
  StrCpy $closedRunning 1
FunctionEnd

Function ${un}RefuseGuardedBlindfold
  MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is running and its shutdown is protected by a password.$\r$\n$\r$\nShut ${PRODUCT} down yourself (from its tray icon or panel), then run this again." /SD IDOK
  SetErrorLevel 3
  Quit
FunctionEnd

Function ${un}RefuseGuardedWindows
  MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is running and holds windows hidden behind its $\"Show windows$\" password: shutting it down would show them, so this stops here.$\r$\n$\r$\nShow the windows with the password (or shut ${PRODUCT} down and enter the password), then run this again." /SD IDOK
  SetErrorLevel 4
  Quit
FunctionEnd

Function ${un}RefuseStillRunning
  MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is running and did not shut down when asked: it may be waiting for a password.$\r$\n$\r$\nShut ${PRODUCT} down yourself (from its tray icon or panel), then run this again." /SD IDOK
  SetErrorLevel 5
  Quit
FunctionEnd
!macroend
!insertmacro CloseRunningBlindfold ""
!insertmacro CloseRunningBlindfold "un."

Section "Blindfold"
  Call CloseRunningBlindfold
  SetOutPath "$INSTDIR"
  File "${FILES}/Blindfold.exe"
  File "${FILES}/bf.ico"
  File "${FILES}/acknowledgments.TXT"
  File "${FILES}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Blindfold.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\bf.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ; A scripted update leaves Blindfold running as it found it; in the wizard
  ; the finish page offers to start it.
  ${If} ${Silent}
  ${AndIf} $closedRunning = 1
    Exec '"$INSTDIR\Blindfold.exe"'
  ${EndIf}
SectionEnd

Function un.onInit
  SetRegView 32
  StrCpy $removeSettings 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    StrCpy $removeSettings 1
  ${EndIf}
FunctionEnd

Function un.SettingsPage
  !insertmacro MUI_HEADER_TEXT "Your settings" "Keep or remove what ${PRODUCT} remembers."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 36u "${PRODUCT}'s settings (hotkeys, the always-hide list, the password) stay in the registry, for a later install to pick up, unless you remove them here."
  Pop $0
  ${NSD_CreateCheckbox} 0 44u 100% 12u "&Remove my settings"
  Pop $removeSettingsBox
  ${If} $removeSettings = 1
    ${NSD_Check} $removeSettingsBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function un.SettingsPageLeave
  ${NSD_GetState} $removeSettingsBox $removeSettings  ; BST_CHECKED is 1
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningBlindfold
  Delete "$INSTDIR\Blindfold.exe"
  Delete "$INSTDIR\bf.ico"
  Delete "$INSTDIR\acknowledgments.TXT"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  ; Blindfold's start-at-log-on value: machine-wide or, for a standard user,
  ; per user.
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  ${If} $removeSettings = 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey HKLM "${SETTINGS_KEY}"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
