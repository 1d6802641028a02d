; The Windows installer of Tovano Address Book: installs for the current user, without
; administrator rights. The build passes VERSION (from res/Version.h), BIN (the staging folder of
; tbook.exe and tbkutil.exe, with Help\ beside them), SOURCE (the source tree) and OUTFILE.
;
; The user's address book, its backups and the settings are never touched: an upgrade or an
; uninstall first ends a running program with "tbook.exe -quit", which saves as it ends.
; A 64-bit installer for a 64-bit program (it also runs where only 64-bit Wine is installed).
Target amd64-unicode
!ifndef VERSION | BIN | SOURCE | OUTFILE
  !error "VERSION, BIN, SOURCE and OUTFILE are given by the build"
!endif

!define PRODUCT "Tovano Address Book"
!define PUBLISHER "TovanoSoft"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TovanoAddressBook"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; What the program writes for "Launch on Startup"; the same name and text show it checked there.
!define RUN_VALUE "Tovano Address Book"
; The automation object the program registers on every normal start.
!define PROGID "TovanoAddressBook.Application"
!define CLSID "{6F1C2A40-8B3D-4E52-9A7C-1D2E3F405162}"
; The program holds a file mapping of this name while it runs.
!define INSTANCE_TOKEN "tbook.exe"
; Explorer's "Open with" for the cards and contact lists the program imports. The program only
; joins the choices: an extension's own default value belongs to the program the user picked,
; so it is never written here.
!define APP_CLASS "Software\Classes\Applications\tbook.exe"
!define FILE_PROGID "TovanoAddressBook.Contacts"
!define OPEN_COMMAND '"$INSTDIR\tbook.exe" "%1"'

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}.0.0"
VIAddVersionKey "ProductVersion" "${VERSION}.0.0"
VIAddVersionKey "LegalCopyright" "Freeware by ${PUBLISHER}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${SOURCE}\res\tbook.ico"
!define MUI_UNICON "${SOURCE}\res\tbook.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${SOURCE}\installer\readme.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\tbook.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT} will be removed from $INSTDIR. Your address book and its backups stay where they are, in $LOCALAPPDATA\TovanoSoft\${PRODUCT}, and so do your settings: install the program again to use them, or delete that folder yourself."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Ends a running program as its own "-quit" option does, and waits until it has gone.
!macro EndRunningProgram un
Function ${un}EndRunningProgram
    System::Call 'kernel32::OpenFileMappingW(i 4, i 0, w "${INSTANCE_TOKEN}") p.r0'
    ${If} $0 P= 0
        Return
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    DetailPrint "Ending the running ${PRODUCT}..."
    ExecWait '"$INSTDIR\tbook.exe" -quit'
    ${For} $1 1 100
        System::Call 'kernel32::OpenFileMappingW(i 4, i 0, w "${INSTANCE_TOKEN}") p.r0'
        ${If} $0 P= 0
            Return
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r0)'
        Sleep 100
    ${Next}
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is still running. End it with Exit in its notification area menu, then choose OK." /SD IDOK
FunctionEnd
!macroend
!insertmacro EndRunningProgram ""
!insertmacro EndRunningProgram "un."

; Explorer reads associations once and keeps them: tell it (SHCNE_ASSOCCHANGED) so that its
; menus show the change without a new logon.
!macro NotifyAssociationsChanged
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

!macro OfferForOpenWith EXT
    WriteRegStr HKCU "${APP_CLASS}\SupportedTypes" "${EXT}" ""
    ; Only the value's name counts; REG_NONE without data is how Windows writes these itself.
    WriteRegNone HKCU "Software\Classes\${EXT}\OpenWithProgids" "${FILE_PROGID}"
!macroend

; The extension's key and its OpenWithProgids may hold other programs' choices, made before or
; after ours: take back only our value, and a key only when nothing at all is left in it.
!macro WithdrawFromOpenWith EXT
    DeleteRegValue HKCU "Software\Classes\${EXT}\OpenWithProgids" "${FILE_PROGID}"
    DeleteRegKey /ifempty HKCU "Software\Classes\${EXT}\OpenWithProgids"
    DeleteRegKey /ifempty HKCU "Software\Classes\${EXT}"
!macroend

Section "${PRODUCT}" SecProgram
    SectionIn RO
    Call EndRunningProgram
    SetOutPath "$INSTDIR"
    File "${BIN}\tbook.exe"
    File "${BIN}\tbkutil.exe"
    File "${SOURCE}\installer\readme.txt"
    SetOutPath "$INSTDIR\Help"
    File "${BIN}\Help\*.*"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\tbook.exe" "" "$INSTDIR\tbook.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tbook.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

    WriteRegStr HKCU "${APP_CLASS}" "FriendlyAppName" "${PRODUCT}"
    WriteRegStr HKCU "${APP_CLASS}\DefaultIcon" "" "$INSTDIR\tbook.exe,0"
    WriteRegStr HKCU "${APP_CLASS}\shell\open\command" "" '${OPEN_COMMAND}'
    WriteRegStr HKCU "Software\Classes\${FILE_PROGID}" "" "Contacts file"
    WriteRegStr HKCU "Software\Classes\${FILE_PROGID}\DefaultIcon" "" "$INSTDIR\tbook.exe,0"
    WriteRegStr HKCU "Software\Classes\${FILE_PROGID}\shell\open\command" "" '${OPEN_COMMAND}'
    !insertmacro OfferForOpenWith ".vcf"
    !insertmacro OfferForOpenWith ".csv"
    !insertmacro NotifyAssociationsChanged
SectionEnd

Section /o "Desktop shortcut" SecDesktop
    CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\tbook.exe" "" "$INSTDIR\tbook.exe" 0
SectionEnd

Section /o "Launch on Startup" SecStartup
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\tbook.exe" -m'
SectionEnd

Section "Uninstall"
    Call un.EndRunningProgram
    Delete "$INSTDIR\tbook.exe"
    Delete "$INSTDIR\tbkutil.exe"
    Delete "$INSTDIR\readme.txt"
    RMDir /r "$INSTDIR\Help"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ; The program registers its automation object where the machine reads it: both places.
    DeleteRegKey HKCU "Software\Classes\${PROGID}"
    DeleteRegKey HKCU "Software\Classes\CLSID\${CLSID}"
    DeleteRegKey HKLM "Software\Classes\${PROGID}"
    DeleteRegKey HKLM "Software\Classes\CLSID\${CLSID}"
    DeleteRegKey HKCU "${APP_CLASS}"
    DeleteRegKey HKCU "Software\Classes\${FILE_PROGID}"
    !insertmacro WithdrawFromOpenWith ".vcf"
    !insertmacro WithdrawFromOpenWith ".csv"
    !insertmacro NotifyAssociationsChanged
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
