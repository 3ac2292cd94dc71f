; The Windows installer (NSIS 3, makensis): installs Morvask for the user who
; runs it, without administrator rights, with a Start menu shortcut and an
; uninstaller registered in Add/Remove Programs; /S installs silently.
; Uninstalling removes the program and keeps the player's folder
; (%APPDATA%\Morvask: settings, records and maps).
;
; scripts/build-windows runs it with these defines:
;   VERSION  the release, e.g. 1.0.0     EXE      the built morvask.exe
;   ICON     the program's icon (.ico)   README   README.txt with CRLF lines
;   LICENSE  LICENSE.txt with CRLF lines OUTFILE  the installer to write

Unicode true
; The game is a 64-bit program; so is its installer.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "Morvask"
!define PUBLISHER "Morvask developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvask"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Morvask"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}. MIT licence."

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\morvask.exe"
; The game starts in the player's folder, where its map is kept.
!define MUI_FINISHPAGE_RUN_FUNCTION StartGame

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The game speaks Chinese; English for everyone else.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

Function StartGame
    SetOutPath "$APPDATA\Morvask"
    Exec '"$INSTDIR\morvask.exe"'
FunctionEnd

Section "Morvask"
    SetOutPath "$INSTDIR"
    File "/oname=morvask.exe" "${EXE}"
    File "/oname=README.txt" "${README}"
    File "/oname=LICENSE.txt" "${LICENSE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The shortcut starts the game in the player's folder: map.txt is
    ; written there, beside the settings, and outlives the program.
    CreateDirectory "$APPDATA\Morvask"
    SetOutPath "$APPDATA\Morvask"
    CreateShortCut "$SMPROGRAMS\Morvask.lnk" "$INSTDIR\morvask.exe" "" \
        "$INSTDIR\morvask.exe" 0 SW_SHOWNORMAL "" "${PRODUCT}"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\morvask.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\Morvask.lnk"
    Delete "$INSTDIR\morvask.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    ; Only when empty: whatever else the player put there stays.
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; $APPDATA\Morvask (settings, records, maps) is the player's and stays.
SectionEnd
