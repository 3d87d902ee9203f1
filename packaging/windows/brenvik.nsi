; The Windows installer of Brenvik, made by scripts/package-windows:
;   makensis -DVERSION=1.03 -DSTAGE=<folder of the files> -DICON=<brenvik.ico>
;            -DINSTALL_FILES=<nsh> -DUNINSTALL_FILES=<nsh> -DOUTFILE=<setup.exe> brenvik.nsi
; INSTALL_FILES and UNINSTALL_FILES name every file of STAGE, so the
; uninstaller removes what was installed and nothing else (the user's
; settings in HKCU\Software\Olvarn\Brenvik stay).
;
; Installs for the current user without administrator rights, or for all
; users when run as administrator (/AllUsers or /CurrentUser choose); /S
; installs silently. A second install goes where the first one went.
; A 64-bit installer for the 64-bit programs (and for a system without 32-bit
; support, as Wine here).
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Brenvik"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "Olvarn"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "Olvarn"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright 2026 Olvarn"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Brenvik"
  ; A folder this user may not write to is named, not half filled.
  CreateDirectory "$INSTDIR"
  ClearErrors
  FileOpen $0 "$INSTDIR\brenvik-write-check.tmp" w
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "${PRODUCT} cannot be installed in $INSTDIR: this user may not write there. \
      Choose another folder, or run the installer as administrator." /SD IDOK
    SetErrorLevel 5
    Quit
  ${EndIf}
  FileClose $0
  Delete "$INSTDIR\brenvik-write-check.tmp"

  !include "${INSTALL_FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\brenvik.exe" "" "$INSTDIR\brenvik.exe" 0

  ; The system's list of installed programs.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Olvarn"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\brenvik.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !include "${UNINSTALL_FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
