; Vardelo setup: installs for the current user only, without administrator rights, into the
; user's local programs folder, with a Start-menu shortcut, an entry in the installed-programs
; list and an uninstaller. /S installs (and Uninstall.exe /S removes) silently.
; Built by scripts/package: makensis -DVERSION=a.b.c -DSTAGE=folder -DOUTFILE=file -DICON=file
; [-DSIGNER=script]; with SIGNER, the uninstaller (made here, so that no unsigned one is written
; on the user's machine) and setup are signed by running the script on each.
; Setup speaks English or Chinese, whichever the user's Windows language is.

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user
; A file that cannot be written (a Vardelo still running) offers Retry and Cancel, never Ignore:
; a silent setup fails instead of leaving the old program in place.
AllowSkipFiles off

!ifdef SIGNER
  !uninstfinalize 'bash "${SIGNER}" "%1"' = 0
  !finalize 'bash "${SIGNER}" "%1"' = 0
!endif

!include MUI2.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vardelo"
!define PUBLISHER "The Vardelo developers"

Name "Vardelo"
BrandingText "Vardelo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vardelo"
; A later installation goes where the user put the first one.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vardelo.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString WelcomeText ${LANG_ENGLISH} "Setup will install Vardelo ${VERSION} for you; no administrator rights are needed.$\r$\n$\r$\nNeither setup nor uninstalling touches your photos, videos and settings.$\r$\n$\r$\nClick Next to continue."
LangString WelcomeText ${LANG_SIMPCHINESE} "安装程序将为你安装 Vardelo ${VERSION}，无需管理员权限。$\r$\n$\r$\n安装和卸载都不会改动你的照片、视频和设置。$\r$\n$\r$\n点击 [下一步(N)] 继续。"
LangString AppRunning ${LANG_ENGLISH} "Vardelo is running. Close it, then choose Retry."
LangString AppRunning ${LANG_SIMPCHINESE} "Vardelo 正在运行。请先关闭它，然后选择“重试”。"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Vardelo"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Vardelo ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

; A running Vardelo keeps its exe from being replaced or removed: ask the user to close it
; (silently: give up, exit code 2, rather than leave a half-done installation). A copy that has
; closed its window but is still finishing (a video being written) is found by its mark, the
; mutex every copy holds until it ends; a copy of another user cannot open it and holds none of
; this user's files.
!macro WaitUntilClosed
  retry:
    FindWindow $0 "VardeloWndClass"
    StrCmp $0 0 0 running
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Global\QuenzoLumiscan") p .r1'
    StrCmp $1 0 closed
    System::Call 'kernel32::CloseHandle(p r1)'
  running:
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(AppRunning)" /SD IDCANCEL IDRETRY retry
    Abort
  closed:
!macroend

Function .onInit
  !insertmacro WaitUntilClosed
FunctionEnd

Function un.onInit
  !insertmacro WaitUntilClosed
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File "${STAGE}\Vardelo.exe"
  File "${STAGE}\README.txt"
  SetOutPath "$INSTDIR\licenses"
  File "${STAGE}\licenses\*.txt"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Vardelo.lnk" "$INSTDIR\Vardelo.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vardelo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vardelo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

; Removes what setup put there and nothing else: the settings (HKCU\Software\Vardelo) and
; the user's photos and videos stay, and so does anything the user added to the folder.
Section "Uninstall"
  Delete "$INSTDIR\Vardelo.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\licenses\*.txt"
  RMDir "$INSTDIR\licenses"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Vardelo.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
