; The Windows installer: makensis -DDIST=<build/dist> -DOUTFILE=<setup.exe> -DFILES=<list> installer.nsi
; FILES is made by make-packages.sh: the install and uninstall lines of every file of dist,
; so the uninstaller removes exactly what was installed and never a folder it did not make.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define VERSION "1.0.5"
!define TITLE "Sonvale ${VERSION}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sonvale"

Name "Sonvale"
Caption "${TITLE} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Sonvale"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${TITLE}"

VIProductVersion "1.0.5.0"
VIAddVersionKey "ProductName" "Sonvale"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Sonvale ${VERSION} Setup"
VIAddVersionKey "CompanyName" "Sonvale"
VIAddVersionKey "LegalCopyright" "Sonvale developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Sonvale.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running player is asked to close (it saves its files as it goes) and given time to do so.
!macro CloseRunningPlayer
  StrCpy $1 0
  ${Do}
    FindWindow $0 "" "${TITLE}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    ${If} $1 = 0
      SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 > 50
      MessageBox MB_OK|MB_ICONEXCLAMATION "Please close Sonvale, then press OK." /SD IDOK
      StrCpy $1 0
    ${EndIf}
    Sleep 100
  ${Loop}
!macroend

Section "Sonvale"
  SetShellVarContext all
  !insertmacro CloseRunningPlayer
  SetOutPath "$INSTDIR"
  !define INSTALL_FILES
  !include "${FILES}"
  !undef INSTALL_FILES
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Sonvale.lnk" "$INSTDIR\Sonvale.exe" "" "$INSTDIR\Sonvale.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Sonvale"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Sonvale"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\Sonvale.exe$\",0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\Uninstall.exe$\""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\Uninstall.exe$\" /S"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro CloseRunningPlayer
  ; The player undoes its own file associations and folder verbs: it alone knows
  ; which extensions it took and whose handlers to give back.
  ${If} ${FileExists} "$INSTDIR\Sonvale.exe"
    ExecWait '"$INSTDIR\Sonvale.exe" /unregister'
  ${EndIf}
  Delete "$SMPROGRAMS\Sonvale.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The user's own files: asked for, yes when silent.
  SetShellVarContext current
  ${If} ${FileExists} "$APPDATA\Sonvale\*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION "Also remove your settings, playlist and listening statistics?$\r$\n($APPDATA\Sonvale)" /SD IDYES IDNO keep
    Delete "$APPDATA\Sonvale\Settings.ini*"
    Delete "$APPDATA\Sonvale\PlayList.dcp*"
    Delete "$APPDATA\Sonvale\Scrobbler.dcp*"
    RMDir "$APPDATA\Sonvale"
    keep:
  ${EndIf}

  ; The program's folder goes last: its disappearance means the uninstall is complete.
  !define UNINSTALL_FILES
  !include "${FILES}"
  !undef UNINSTALL_FILES
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
