; The Windows installer: the three programs with what they need under
; Program Files, Start menu entries for the editor and the simulator, *.abc
; files opening in the editor, and an uninstaller that removes exactly what
; was installed. Both run silently with /S.
;
; makensis -DVERSION=2.2.1 -DFILES=files.nsh -DOUTFILE=setup.exe installer.nsi
; (tools/windows/build.sh writes files.nsh from the staged folder.)

; A 64-bit installer for 64-bit programs (and Wine without its 32-bit part runs it).
Target amd64-unicode
!include "x64.nsh"
!include "${FILES}"

!define APP "Oravelt"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define PROGID "Oravelt.Message"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
InstallDirRegKey HKLM "Software\${APP}" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "Oravelt"
    SetShellVarContext all
    !insertmacro OraveltInstallFiles
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${APP}"
    CreateShortcut "$SMPROGRAMS\${APP}\Oravelt.lnk" "$INSTDIR\oravelt.exe"
    CreateShortcut "$SMPROGRAMS\${APP}\ledsim8.lnk" "$INSTDIR\ledsim8.exe"

    ; A source file (*.abc) opens in the editor.
    WriteRegStr HKLM "Software\Classes\.abc" "" "${PROGID}"
    WriteRegStr HKLM "Software\Classes\${PROGID}" "" "Oravelt message"
    WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\oravelt.exe" "%1"'

    WriteRegStr HKLM "Software\${APP}" "InstallDir" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${APP}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\oravelt.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    !insertmacro OraveltRemoveFiles
    Delete "$INSTDIR\uninstall.exe"
    ; Only when empty: files the user put there stay.
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${APP}\Oravelt.lnk"
    Delete "$SMPROGRAMS\${APP}\ledsim8.lnk"
    RMDir "$SMPROGRAMS\${APP}"

    ; The file type only while it is still ours.
    ReadRegStr $0 HKLM "Software\Classes\.abc" ""
    StrCmp $0 "${PROGID}" 0 +2
        DeleteRegKey HKLM "Software\Classes\.abc"
    DeleteRegKey HKLM "Software\Classes\${PROGID}"
    DeleteRegKey HKLM "Software\${APP}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
