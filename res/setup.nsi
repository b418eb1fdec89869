; The Windows setup, built by scripts/package with NSIS's makensis (UTF-8
; input). For the current user only, without an administrator: into
; %LOCALAPPDATA%\Programs\ZuvelS, the 64-bit program on a 64-bit Windows and
; the 32-bit one elsewhere, a Start-menu shortcut and an optional desktop one,
; both starting in the program's folder (where ZuvelS.exe keeps ZuvelS.ini and
; finds Lang\), and an uninstaller in the user's list of programs.
;
; A first install writes ZuvelS.ini in the setup's language; an upgrade keeps
; the ZuvelS.ini it finds. The uninstaller removes only what the setup put
; there, so ZuvelS.ini and the user's own files (settings files saved in the
; folder) stay, and with them the folder.
;
; Command line: /S silent, /D=FOLDER the folder, /LANG=CODE the language by
; the program's code (pol, ang, rus, lit, cs) instead of the dialog.
;
; Defines scripts/package passes: VERSION (5.02), VERSION4 (5.2.0.0), WIN64
; and WIN32 (the staged folders of the two builds: ZuvelS.exe, lpgctl.exe,
; Lang\, README.txt), ICON, OUTFILE.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZuvelS"
; Our own neutral text, shown as the publisher in the list of programs.
!define PUBLISHER "ZuvelS developers"

Name "ZuvelS ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\ZuvelS"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "ZuvelS ${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
; The language chosen once is the uninstaller's and the next setup's.
!define MUI_LANGDLL_REGISTRY_ROOT HKCU
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION RunProgram

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The program's five languages; the first is the default, as in the program.
!insertmacro MUI_LANGUAGE "Polish"
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "Lithuanian"
!insertmacro MUI_LANGUAGE "Czech"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString ProgramSection ${LANG_POLISH} "ZuvelS (program, języki, menu Start)"
LangString ProgramSection ${LANG_ENGLISH} "ZuvelS (program, languages, Start menu)"
LangString ProgramSection ${LANG_RUSSIAN} "ZuvelS (программа, языки, меню «Пуск»)"
LangString ProgramSection ${LANG_LITHUANIAN} "ZuvelS (programa, kalbos, meniu „Pradžia“)"
LangString ProgramSection ${LANG_CZECH} "ZuvelS (program, jazyky, nabídka Start)"
LangString DesktopSection ${LANG_POLISH} "Skrót na pulpicie"
LangString DesktopSection ${LANG_ENGLISH} "Desktop shortcut"
LangString DesktopSection ${LANG_RUSSIAN} "Ярлык на рабочем столе"
LangString DesktopSection ${LANG_LITHUANIAN} "Nuoroda darbalaukyje"
LangString DesktopSection ${LANG_CZECH} "Zástupce na ploše"

VIProductVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "ZuvelS"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "ZuvelS ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${PUBLISHER}"

; The program's language code (ZuvelS.ini's Language=) of the setup's
; language, on the stack.
Function LanguageCode
  ${Select} $LANGUAGE
    ${Case} ${LANG_ENGLISH}
      Push "ang"
    ${Case} ${LANG_RUSSIAN}
      Push "rus"
    ${Case} ${LANG_LITHUANIAN}
      Push "lit"
    ${Case} ${LANG_CZECH}
      Push "cs"
    ${CaseElse}
      Push "pol"
  ${EndSelect}
FunctionEnd

; /LANG=CODE on the command line sets $LANGUAGE; pushes "set" when it did,
; "" when the option is absent or not one of the codes. (Testing the error
; flag clears it, so it can't carry the answer back.)
Function LanguageFromCommandLine
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/LANG=" $1
  ${If} ${Errors}
    Push ""
    Return
  ${EndIf}
  Push "set"
  ${Select} $1
    ${Case} "pol"
      StrCpy $LANGUAGE ${LANG_POLISH}
    ${Case} "ang"
      StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${Case} "rus"
      StrCpy $LANGUAGE ${LANG_RUSSIAN}
    ${Case} "lit"
      StrCpy $LANGUAGE ${LANG_LITHUANIAN}
    ${Case} "cs"
      StrCpy $LANGUAGE ${LANG_CZECH}
    ${CaseElse}
      Pop $0
      Push ""
  ${EndSelect}
FunctionEnd

Function .onInit
  Call LanguageFromCommandLine
  Pop $0
  ${If} $0 == ""
    !insertmacro MUI_LANGDLL_DISPLAY
  ${EndIf}
FunctionEnd

; The program starts in its folder, as from its shortcuts.
Function RunProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\ZuvelS.exe"'
FunctionEnd

; A first install's ZuvelS.ini: port 1 and the setup's language, in the
; program's own three lines. One already there is the user's and stays.
Function WriteFirstIni
  ${If} ${FileExists} "$INSTDIR\ZuvelS.ini"
    Return
  ${EndIf}
  Call LanguageCode
  Pop $1
  ClearErrors
  FileOpen $0 "$INSTDIR\ZuvelS.ini" w
  ${If} ${Errors}
    ; The program writes its defaults itself at its first start.
    DetailPrint "ZuvelS.ini: not written"
    Return
  ${EndIf}
  FileWrite $0 "[Ustawienia]$\r$\nCommPort= 1$\r$\nLanguage= $1$\r$\n"
  FileClose $0
FunctionEnd

Section "!$(ProgramSection)" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "${WIN64}/ZuvelS.exe"
    File "${WIN64}/lpgctl.exe"
  ${Else}
    File "${WIN32}/ZuvelS.exe"
    File "${WIN32}/lpgctl.exe"
  ${EndIf}
  File "${WIN64}/README.txt"
  SetOutPath "$INSTDIR\Lang"
  File "${WIN64}/Lang/ZuvelS_lang.*"
  ; The working folder of a shortcut is the output path when it is made.
  SetOutPath "$INSTDIR"
  Call WriteFirstIni
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\ZuvelS.lnk" "$INSTDIR\ZuvelS.exe"
SectionEnd

Section "$(DesktopSection)" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\ZuvelS.lnk" "$INSTDIR\ZuvelS.exe"
SectionEnd

; The entry in the user's list of programs, once everything is in place.
Section "-Register"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "ZuvelS"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ZuvelS.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Function un.onInit
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

; Only what the setup installed: ZuvelS.ini and anything the user saved
; here stay, and so does the folder while they are in it.
Section "Uninstall"
  Delete "$SMPROGRAMS\ZuvelS.lnk"
  Delete "$DESKTOP\ZuvelS.lnk"
  Delete "$INSTDIR\ZuvelS.exe"
  Delete "$INSTDIR\lpgctl.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Lang\ZuvelS_lang.*"
  RMDir "$INSTDIR\Lang"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
