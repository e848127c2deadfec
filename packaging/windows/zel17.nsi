; Installer of ZEL17 for 64-bit Windows, built by scripts/build-windows.sh:
;   makensis -DVERSION=1.1.0 -DSTAGE=<staged folder> -DFILE_LIST=<uninstall list> -DOUTFILE=<setup.exe>
;            [-DICON=<zel17.ico>] zel17.nsi
; Installs the staged folder under Program Files, adds Start-menu entries
; for the program and its guide (podrecznik.pdf),
; lets .zel files open in the program and removes exactly what it put there.
; /S installs (and the uninstaller uninstalls) without questions.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define APP_NAME "ZEL17"
!define APP_TITLE "ZEL17 - Konfigurator tablicy synoptycznej systemu KVR17"
!define FILE_CLASS "ZEL17.Konfiguracja"
!define PROJECT_CLASS "ZEL17.Projekt"
!define GUIDE_ENTRY "Podręcznik ZEL17"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZEL17"
!define SHCNE_ASSOCCHANGED 0x08000000

Name "${APP_TITLE}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP_NAME}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1045 "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=1045 "FileDescription" "${APP_TITLE}"
VIAddVersionKey /LANG=1045 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1045 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1045 "LegalCopyright" "Copyright (c) 2026 ZEL17 developers. Licencja MIT."

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif

; The program's licence (MIT); the third-party notices are installed in licencje\.
!define MUI_LICENSEPAGE_TEXT_TOP "ZEL17 jest udostępniany na licencji MIT. Biblioteki innych autorów: licencje\INFORMACJE.txt."
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "ZEL17"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\odinstaluj.exe"

  CreateDirectory "$SMPROGRAMS\${APP_NAME}"
  ; The shortcut shows the program's own icon, the first in zel17.exe.
  CreateShortcut "$SMPROGRAMS\${APP_NAME}\${APP_NAME}.lnk" "$INSTDIR\zel17.exe" "" "$INSTDIR\zel17.exe" 0
  ; The engineer's guide, as the program's "Pomoc" (F1) shows it, in the PDF reader.
  CreateShortcut "$SMPROGRAMS\${APP_NAME}\${GUIDE_ENTRY}.lnk" "$INSTDIR\podrecznik.pdf"
  CreateShortcut "$SMPROGRAMS\${APP_NAME}\Odinstaluj ${APP_NAME}.lnk" "$INSTDIR\odinstaluj.exe"

  ; .zel files open in the program, which loads the file named on its command line.
  WriteRegStr HKLM "Software\Classes\.zel" "" "${FILE_CLASS}"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}" "" "Konfiguracja ZEL"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}\DefaultIcon" "" "$INSTDIR\zel17.exe,0"
  WriteRegStr HKLM "Software\Classes\${FILE_CLASS}\shell\open\command" "" '"$INSTDIR\zel17.exe" "%1"'
  ; .zelp projects (the table with its names) open the same way.
  WriteRegStr HKLM "Software\Classes\.zelp" "" "${PROJECT_CLASS}"
  WriteRegStr HKLM "Software\Classes\${PROJECT_CLASS}" "" "Projekt ZEL"
  WriteRegStr HKLM "Software\Classes\${PROJECT_CLASS}\DefaultIcon" "" "$INSTDIR\zel17.exe,0"
  WriteRegStr HKLM "Software\Classes\${PROJECT_CLASS}\shell\open\command" "" '"$INSTDIR\zel17.exe" "%1"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP_TITLE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zel17.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\odinstaluj.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\odinstaluj.exe" /S'
  ; "Apps & features" shows the size of what was installed, in KiB.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  ; Only the files this installer put there: a folder the user chose may hold
  ; files of their own, which stay.
  !include "${FILE_LIST}"
  Delete "$INSTDIR\odinstaluj.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${APP_NAME}\${APP_NAME}.lnk"
  Delete "$SMPROGRAMS\${APP_NAME}\${GUIDE_ENTRY}.lnk"
  Delete "$SMPROGRAMS\${APP_NAME}\Odinstaluj ${APP_NAME}.lnk"
  RMDir "$SMPROGRAMS\${APP_NAME}"

  ; .zel is left alone if another program has taken it over since.
  ReadRegStr $0 HKLM "Software\Classes\.zel" ""
  ${If} $0 == "${FILE_CLASS}"
    DeleteRegKey HKLM "Software\Classes\.zel"
  ${EndIf}
  DeleteRegKey HKLM "Software\Classes\${FILE_CLASS}"
  ReadRegStr $0 HKLM "Software\Classes\.zelp" ""
  ${If} $0 == "${PROJECT_CLASS}"
    DeleteRegKey HKLM "Software\Classes\.zelp"
  ${EndIf}
  DeleteRegKey HKLM "Software\Classes\${PROJECT_CLASS}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd
