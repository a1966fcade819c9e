; The installer of Velix, made with makensis by scripts/package.sh.
;
; A per-user install that needs no administrator: the program goes into the user's own
; programs folder, where the self-upgrade can replace velix.exe in place. It adds a
; Start-menu shortcut, the autostart value the program itself writes (named velix.exe,
; the full path as data) and an entry in the user's installed-programs list. Installing
; over an earlier version keeps Config.db, config.ini and the plug-ins. The uninstaller
; asks whether the user's data stays; a silent uninstall keeps it.
;
; Defines from the command line: EXE (the velix.exe to install), OUTFILE, VERSION (as
; the program shows it), RESOURCE_VERSION (the same as four numbers, 1.0.0.0), ICON (the
; program's icon file) and ARCH (x86 for the shipped 32-bit program; x86_64
; makes a 64-bit installer of a 64-bit build, which the test bench runs).

Unicode true
!macro REQUIRE_DEFINE NAME
  !ifndef ${NAME}
    !error "define ${NAME} (EXE, OUTFILE, VERSION, RESOURCE_VERSION and ICON are needed)"
  !endif
!macroend
!insertmacro REQUIRE_DEFINE EXE
!insertmacro REQUIRE_DEFINE OUTFILE
!insertmacro REQUIRE_DEFINE VERSION
!insertmacro REQUIRE_DEFINE RESOURCE_VERSION
!insertmacro REQUIRE_DEFINE ICON
!ifndef ARCH
  !define ARCH x86
!endif
!if "${ARCH}" == "x86_64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Velix"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velix"
; The program's own key (what it keeps outside Config.db).
!define PROGRAM_KEY "Software\Velix"
; How the running program is asked to end, and how its end is seen: the message it
; answers as its Exit command, and the mutex that exists while it runs.
!define EXIT_MESSAGE "VelixExitRunningInstance"
!define INSTANCE_MUTEX "Local\VelixResidentInstance"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
SetCompressor /SOLID lzma
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${RESOURCE_VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PRODUCT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\velix.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(RunProduct)"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_INSTFILES
; The installer speaks Simplified Chinese and English: the language of the user's Windows
; when it is one of them, otherwise the first one, English (the program itself reads right
; on any Windows).
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
LangString RunProduct ${LANG_SIMPCHINESE} "运行 ${PRODUCT}"
LangString RunProduct ${LANG_ENGLISH} "Run ${PRODUCT}"
LangString StillRunningInstall ${LANG_SIMPCHINESE} "${PRODUCT} 正在运行，且没有响应退出请求。请先退出 ${PRODUCT}，再运行安装程序。"
LangString StillRunningInstall ${LANG_ENGLISH} "${PRODUCT} is running and did not answer the request to exit. Exit ${PRODUCT} first, then run the installer again."
LangString CannotReplace ${LANG_SIMPCHINESE} "无法替换 $INSTDIR\velix.exe，它可能仍在使用中。请稍后再试。"
LangString CannotReplace ${LANG_ENGLISH} "$INSTDIR\velix.exe cannot be replaced; it may still be in use. Please try again later."
LangString KeepData ${LANG_SIMPCHINESE} "卸载 ${PRODUCT}：是否保留您的数据（快捷方式、便签和设置，即 Config.db 与 config.ini）？$\r$\n$\r$\n点击“是”保留数据，重新安装后继续使用；点击“否”一并删除；点击“取消”不卸载。"
LangString KeepData ${LANG_ENGLISH} "Uninstalling ${PRODUCT}: keep your data (shortcuts, notes and settings, that is Config.db and config.ini)?$\r$\n$\r$\nYes keeps the data for a later install; No deletes it too; Cancel does not uninstall."
LangString StillRunningUninstall ${LANG_SIMPCHINESE} "${PRODUCT} 正在运行，且没有响应退出请求。请先退出 ${PRODUCT}，再卸载。"
LangString StillRunningUninstall ${LANG_ENGLISH} "${PRODUCT} is running and did not answer the request to exit. Exit ${PRODUCT} first, then uninstall."

; Asks a running Velix to end as its Exit command does and waits until it has gone, at
; most 15 seconds. The error flag tells that it is still running.
!macro DEFINE_END_RUNNING_VELIX PREFIX
Function ${PREFIX}EndRunningVelix
  ClearErrors
  System::Call 'user32::RegisterWindowMessageW(w "${EXIT_MESSAGE}") i .r0'
  System::Call 'user32::PostMessageW(p 0xffff, i r0, p 0, p 0)'
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r2'
    ${If} $2 == 0
      ; Gone. The process may still be letting go of its file for a moment.
      Sleep 300
      Return
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r2)'
    ${If} $1 >= 60
      SetErrors
      Return
    ${EndIf}
    Sleep 250
    IntOp $1 $1 + 1
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_END_RUNNING_VELIX ""
!insertmacro DEFINE_END_RUNNING_VELIX "un."

; Deletes a file, trying again for a while: a program that has just ended can hold its
; file a little longer. The error flag tells that the file is still there.
!macro DEFINE_DELETE_PATIENTLY PREFIX
Function ${PREFIX}DeletePatiently
  Exch $0
  Push $1
  StrCpy $1 0
  ${Do}
    ClearErrors
    Delete "$0"
    ${IfNot} ${FileExists} "$0"
      ClearErrors
      ${Break}
    ${EndIf}
    ${If} $1 >= 20
      SetErrors
      ${Break}
    ${EndIf}
    Sleep 250
    IntOp $1 $1 + 1
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_DELETE_PATIENTLY ""
!insertmacro DEFINE_DELETE_PATIENTLY "un."

Section "Velix"
  Call EndRunningVelix
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(StillRunningInstall)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}

  SetOutPath "$INSTDIR"
  ; An older velix.exe goes first, so that a file still held shows here and not as a
  ; half-written copy.
  ${If} ${FileExists} "$INSTDIR\velix.exe"
    Push "$INSTDIR\velix.exe"
    Call DeletePatiently
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "$(CannotReplace)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
  File "/oname=velix.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\velix.exe" "" "$INSTDIR\velix.exe" 0
  WriteRegStr HKCU "${RUN_KEY}" "velix.exe" '"$INSTDIR\velix.exe"'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velix.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  SetAutoClose true
  ; The question comes first: "取消" leaves everything as it is, the running program too.
  MessageBox MB_YESNOCANCEL|MB_ICONQUESTION|MB_DEFBUTTON1 \
    "$(KeepData)" \
    /SD IDYES IDYES keep IDNO remove
  SetErrorLevel 1
  Quit
  keep:
    StrCpy $5 "keep"
    Goto ending
  remove:
    StrCpy $5 "remove"
  ending:

  Call un.EndRunningVelix
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(StillRunningUninstall)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}

  ; The data directory that config.ini names, read before config.ini may go.
  ReadINIStr $3 "$INSTDIR\config.ini" "0" "DBPATH"
  ${If} $3 == ""
    StrCpy $3 "$INSTDIR"
  ${EndIf}
  ; The plug-ins and download leftovers that Velix put here are removed by the program,
  ; which knows their names: the folder may hold other programs' files.
  ${If} $5 == "remove"
  ${AndIf} ${FileExists} "$INSTDIR\velix.exe"
    ExecWait '"$INSTDIR\velix.exe" -remove-own-files'
  ${EndIf}

  Push "$INSTDIR\velix.exe"
  Call un.DeletePatiently
  Delete "$INSTDIR\velix.exe.new"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; The autostart value goes when it starts this copy; another copy's stays.
  ReadRegStr $0 HKCU "${RUN_KEY}" "velix.exe"
  ${If} $0 == "$INSTDIR\velix.exe"
  ${OrIf} $0 == '"$INSTDIR\velix.exe"'
    DeleteRegValue HKCU "${RUN_KEY}" "velix.exe"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${PROGRAM_KEY}"

  ${If} $5 == "remove"
    Delete "$3\Config.db"
    Delete "$3\Config.db-journal"
    ; The daily copies, and unreadable files that a restore kept aside.
    Delete "$3\Backup\Config-*.db"
    RMDir "$3\Backup"
    Delete "$3\Config.db.damaged-*"
    Delete "$INSTDIR\config.ini"
    ${If} $3 != "$INSTDIR"
      RMDir "$3"
    ${EndIf}
  ${EndIf}

  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
