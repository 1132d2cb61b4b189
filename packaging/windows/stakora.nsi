; The Windows installer: per user, no elevation, in Italian. Built by CMake (target
; windows_packages) with makensis from Debian:
;   makensis -DEXE=stakora.exe -DICON=stakora.ico -DLICENSE=LICENSE.txt "-DCOPYRIGHT=..."
;            -DVERSION=X.YY -DVERSION_QUAD=X.Y.0.0 "-DPUBLISHER=..." -DHOMEPAGE=URL -DHELP=URL
;            -DOUTFILE=stakora-X.YY-setup.exe stakora.nsi
; (the version, the publisher and the addresses are the project's, from CMakeLists.txt)
; With -DSIGN=sign_pe.sh -DSIGN_CERT=CERT.p12 -DSIGN_URL=ADDRESS the uninstaller is signed before
; it is packed, and the installer once it is written; a signing that fails fails the build.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
; No build times in the setup: the same files always make the same setup.
SetDateSave off

!ifdef SIGN
!uninstfinalize '"${SIGN}" "${SIGN_CERT}" Stakora "${SIGN_URL}" "%1"' = 0
!finalize '"${SIGN}" "${SIGN_CERT}" Stakora "${SIGN_URL}" "%1"' = 0
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Stakora"

Name "Stakora ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Stakora"
; Installing again goes where the first install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\stakora.exe"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "Stakora"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di Stakora"
VIAddVersionKey /LANG=${LANG_ITALIAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "${COPYRIGHT}. MIT License."

Section "Stakora" SectionProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "/oname=stakora.exe" "${EXE}"
    File "/oname=LICENSE.txt" "${LICENSE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\Stakora.lnk" "$INSTDIR\stakora.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Stakora"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\stakora.exe,0"
    ; Apps & features links to the home page and to help.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "HelpLink" "${HELP}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "Collegamento sul desktop" SectionDesktop
    CreateShortCut "$DESKTOP\Stakora.lnk" "$INSTDIR\stakora.exe"
SectionEnd

; Only what the installer made: the folder goes only if nothing else is left in it.
Section "Uninstall"
    Delete "$INSTDIR\stakora.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    Delete "$SMPROGRAMS\Stakora.lnk"
    Delete "$DESKTOP\Stakora.lnk"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
