; The Windows installer: the package's files into one folder of their own, an uninstaller that removes exactly
; those files (and the folder only when nothing else is left in it), and the entry in the system's program list.
; makensis -DSOURCE=FOLDER -DOUTFILE=SETUP.exe -DVERSION=X.Y.Z leafbind.nsi   (scripts/build-windows.sh runs it)
Unicode true
; A 64-bit installer for 64-bit programs; it also runs where the system has no 32-bit subsystem.
Target amd64-unicode
SetCompressor /SOLID lzma
Name "Leafbind ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Leafbind"
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Leafbind"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Leafbind"
    SetOutPath "$INSTDIR"
    File "${SOURCE}/hha.dll"
    File "${SOURCE}/leafbind-hhc.exe"
    File "${SOURCE}/leafbind-cli.exe"
    File "${SOURCE}/README.txt"
    File /nonfatal "${SOURCE}/leafbind.chm"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Leafbind"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    Delete "$INSTDIR\hha.dll"
    Delete "$INSTDIR\leafbind-hhc.exe"
    Delete "$INSTDIR\leafbind-cli.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\leafbind.chm"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
