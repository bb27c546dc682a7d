; The Velmora suite's installer. Built by the Windows build:
;   makensis -DBIN=<folder of the programs> -DRES=<resources folder> -DSRC=<repo>
;            -DOUT=<installer file> -DVERSION=x.y.z [-DTARGET=amd64-unicode] velmora.nsi
; The folder is fixed: the command lines Menuwright registers in ACT! name it, on 64-bit
; Windows too (where $PROGRAMFILES would be the 32-bit "Program Files (x86)").

!ifdef TARGET
  Target ${TARGET}
!else
  Unicode true
!endif

!define PRODUCT "Velmora suite"
!define FOLDER "C:\Program Files\VMR"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"

Name "${PRODUCT}"
OutFile "${OUT}"
InstallDir "${FOLDER}"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
SetCompressor /SOLID lzma
Icon "${RES}/velmora.ico"
UninstallIcon "${RES}/velmora.ico"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Velmora developers"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 Velmora developers"

; No folder page: the folder is not the user's to choose.
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; One line of what happened, appended to $TEMP\VelmoraSetup.log: a silent install has no
; window to say it in.
!macro Log TEXT
  Push "${TEXT}"
  Call WriteLog
!macroend

Function WriteLog
  Exch $0
  Push $1
  FileOpen $1 "$TEMP\VelmoraSetup.log" a
  FileSeek $1 0 END
  FileWrite $1 "$0$\r$\n"
  FileClose $1
  Pop $1
  Pop $0
FunctionEnd

Function .onInit
  ; /D= would move the programs away from the folder ACT!'s commands start them from.
  StrCpy $INSTDIR "${FOLDER}"
  ; Without ACT! Menuwright would stop at a box that nobody sees in a silent install: check
  ; for ACT!'s install key (a 32-bit program's, in the 32-bit view) before changing anything.
  IfSilent 0 onInitDone
  SetRegView 32
  ClearErrors
  EnumRegKey $0 HKLM "SOFTWARE\Symantec\ACT!\Install" 0
  SetRegView default
  IfErrors 0 onInitDone
  !insertmacro Log "ACT! is not installed (no HKLM\SOFTWARE\Symantec\ACT!\Install): nothing was installed."
  SetErrorLevel 3
  Abort
  onInitDone:
FunctionEnd

Section "Velmora"
  SetOutPath "$INSTDIR"
  File "${BIN}/Seekmark.exe"
  File "${BIN}/Agewright.exe"
  File "${BIN}/Menuwright.exe"
  File "${RES}/seek.ico"
  File "${RES}/Agewright.ico"
  File "${RES}/datebook.ico"
  File "${RES}/sheet.ico"
  File "${RES}/leaf.ico"
  ; The sample settings are the user's once installed: a reinstall keeps their edits.
  SetOverwrite off
  File "${SRC}/agewright/Ledger.dws"
  SetOverwrite on

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Velmora developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\seek.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; Menuwright backs up ACT!'s command files and registers the Vel&mora menu; it ends by
  ; itself, or shows what went wrong and waits for the user.
  DetailPrint "Registering the Vel&mora menu in ACT!"
  ClearErrors
  ExecWait '"$INSTDIR\Menuwright.exe"' $0
  IfErrors 0 started
    MessageBox MB_OK|MB_ICONSTOP "Menuwright could not be started: the Vel&mora menu is not registered in ACT!." /SD IDOK
    !insertmacro Log "Menuwright could not be started: the Vel&mora menu is not registered in ACT!."
    SetErrorLevel 2
    Goto done
  started:
  StrCmp $0 "0" registered
    DetailPrint "Menuwright ended with code $0: the Vel&mora menu may be incomplete."
    MessageBox MB_OK|MB_ICONEXCLAMATION "Menuwright did not complete the registration (code $0): the Vel&mora menu in ACT! may be incomplete. Run Menuwright.exe from $INSTDIR again when ACT! is ready." /SD IDOK
    !insertmacro Log "Menuwright ended with code $0: the Vel&mora menu may be incomplete."
    SetErrorLevel 2
    Goto done
  registered:
  !insertmacro Log "Installed in $INSTDIR; the Vel&mora menu is registered in ACT!."
  done:
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\Seekmark.exe"
  Delete "$INSTDIR\Agewright.exe"
  Delete "$INSTDIR\Menuwright.exe"
  Delete "$INSTDIR\seek.ico"
  Delete "$INSTDIR\Agewright.ico"
  Delete "$INSTDIR\datebook.ico"
  Delete "$INSTDIR\sheet.ico"
  Delete "$INSTDIR\leaf.ico"
  Delete "$INSTDIR\Ledger.dws"
  ; Agewright's copy of ACT!'s current lookup.
  Delete "$INSTDIR\currentlookup.alu"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: whatever else the user keeps there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; ACT! is 32-bit: its keys are in the 32-bit view, also for the 64-bit build of this installer.
  SetRegView 32
  ReadRegStr $1 HKLM "SOFTWARE\Symantec\ACT!\Install" "BinRoot"
  SetRegView default
  StrCmp $1 "" 0 +2
    StrCpy $1 "ACT!'s program folder"
  DetailPrint "ACT!'s command files were backed up as ActCmd.00n and ModMenu.00n in $1."
  MessageBox MB_OK|MB_ICONINFORMATION "The Velmora programs are removed.$\r$\n$\r$\nWhen the suite was installed, ACT!'s command files were backed up as ActCmd.00n and ModMenu.00n in $1 (the lowest number is the oldest). To give ACT! back its menus as they were, close ACT! and rename the backup you want to ActCmd.INI and ModMenu.act." /SD IDOK
SectionEnd
