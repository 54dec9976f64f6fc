; The installer of Harrowgladeforte. It installs for the current user only, into
; %LOCALAPPDATA%\Programs\Harrowgladeforte, without administrator rights: the program writes
; its settings file beside itself, so its folder must stay writable for the user.
; scripts/assemble-package.sh builds it with makensis and defines:
;   VERSION       the product version shown to the user ("2.03")
;   FILE_VERSION  four numbers for the version resource ("2.3.2003.620")
;   PUBLISHER     the maker's name, LEGAL_NOTICE and HOME_PAGE as in the program
;   PLAYER_CLASS  the window class of the running program
;   STAGE         the folder whose content is installed
;   REMOVE_FILES  an include file that deletes exactly the installed files
;   ICON          the program's icon, OUTFILE the installer to write
Unicode true
Target amd64-unicode
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WinMessages.nsh

!define PRODUCT "Harrowgladeforte"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define INI_FILE "${PRODUCT}.ini"
; The verb "Harrowgladeforte で再生" on folders and on the list files the program reads.
!define VERB_KEY "shell\${PRODUCT}"
!define PLAY_VERB_CLASSES "Directory SystemFileAssociations\.spl SystemFileAssociations\.spf SystemFileAssociations\.spt SystemFileAssociations\.m3u SystemFileAssociations\.m3u8 SystemFileAssociations\.asx SystemFileAssociations\.pls"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} ${VERSION} セットアップ"
VIAddVersionKey /LANG=1041 "LegalCopyright" "${LEGAL_NOTICE}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PRODUCT}.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Help\index.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "ヘルプを表示する"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

; Closes every running copy of the player after asking the user (under /S without
; asking). WM_CLOSE is what "アプリケーションの終了" sends, so the player saves its settings.
; Then waits until the copy that holds the single-instance mutex has ended, so that its
; files can be replaced. Quits the installer when the user declines or a copy stays.
!macro CLOSE_RUNNING_PLAYER un
Function ${un}CloseRunningPlayer
    FindWindow $0 "${PLAYER_CLASS}"
    ${If} $0 = 0
        Return
    ${EndIf}
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "${PRODUCT} が起動しています。$\r$\n[OK] を押すと ${PRODUCT} を終了してから続けます。" /SD IDOK IDOK close
    Quit
close:
    StrCpy $1 0
    ${Do}
        FindWindow $0 "${PLAYER_CLASS}"
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
        Sleep 200
        IntOp $1 $1 + 1
        ${If} $1 > 50
            Goto failed
        ${EndIf}
    ${Loop}
    ; The mutex is held until the process ends: waiting for it waits for the process.
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Global\${PRODUCT}") p .r2'
    ${If} $2 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p r2, i 10000) i .r3'
        ${If} $3 = 258  ; WAIT_TIMEOUT
            System::Call 'kernel32::CloseHandle(p r2)'
            Goto failed
        ${EndIf}
        System::Call 'kernel32::ReleaseMutex(p r2)'
        System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    Return
failed:
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} を終了できませんでした。終了してからもう一度実行してください。" /SD IDOK
    Quit
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_PLAYER ""
!insertmacro CLOSE_RUNNING_PLAYER "un."

; Writes (or, for the uninstaller, removes) the verb under each class of PLAY_VERB_CLASSES
; in the user's own classes.
!macro PLAY_VERBS un
Function ${un}PlayVerbs
    Exch $R0  ; "write" or "remove"
    Push $R1
    Push $R2
    StrCpy $R1 "${PLAY_VERB_CLASSES} "
    ${Do}
        ${If} $R1 == ""
            ${Break}
        ${EndIf}
        ; $R2: the text of $R1 up to its first space; $R1 keeps the rest.
        StrCpy $R2 ""
        ${Do}
            StrCpy $0 $R1 1
            StrCpy $R1 $R1 "" 1
            ${If} $0 == " "
                ${Break}
            ${EndIf}
            StrCpy $R2 "$R2$0"
        ${Loop}
        ${If} $R0 == "write"
            WriteRegStr HKCU "Software\Classes\$R2\${VERB_KEY}" "" "${PRODUCT} で再生"
            WriteRegStr HKCU "Software\Classes\$R2\${VERB_KEY}" "Icon" "$INSTDIR\${PRODUCT}.exe,0"
            WriteRegStr HKCU "Software\Classes\$R2\${VERB_KEY}\command" "" '"$INSTDIR\${PRODUCT}.exe" "%1"'
        ${Else}
            DeleteRegKey HKCU "Software\Classes\$R2\${VERB_KEY}"
        ${EndIf}
    ${Loop}
    Pop $R2
    Pop $R1
    Pop $R0
FunctionEnd
!macroend
!insertmacro PLAY_VERBS ""
!insertmacro PLAY_VERBS "un."

Section "!${PRODUCT}" SecProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    ; Every file of the package; a settings file left by an earlier version is not
    ; among them and stays as it is.
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "${MENU_FOLDER}"
    CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe"
    CreateShortcut "${MENU_FOLDER}\${PRODUCT} ヘルプ.lnk" "$INSTDIR\Help\index.html"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOME_PAGE}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    Push "write"
    Call PlayVerbs
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "デスクトップにショートカットを作る" SecDesktop
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe"
SectionEnd

Section /o "Windows の起動時に ${PRODUCT} を開始する" SecStartup
    WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\${PRODUCT}.exe"'
SectionEnd

; An update keeps the choices of the installation it replaces: an option turned off on the
; components page is removed.
Section "-ApplyOptions"
    ${IfNot} ${SectionIsSelected} ${SecDesktop}
        Delete "$DESKTOP\${PRODUCT}.lnk"
    ${EndIf}
    ${IfNot} ${SectionIsSelected} ${SecStartup}
        DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "プログラム、ヘルプ、サンプル曲と、スタートメニューのショートカットです。"
    !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "デスクトップに ${PRODUCT} のショートカットを作ります。"
    !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} "Windows にサインインしたときに ${PRODUCT} を自動で起動します。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
    SetShellVarContext current
    Call CloseRunningPlayer
    ${If} ${FileExists} "$DESKTOP\${PRODUCT}.lnk"
        !insertmacro SelectSection ${SecDesktop}
    ${EndIf}
    ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${If} $0 != ""
        !insertmacro SelectSection ${SecStartup}
    ${EndIf}
FunctionEnd

Function un.onInit
    SetShellVarContext current
    Call un.CloseRunningPlayer
FunctionEnd

Section "Uninstall"
    ; The settings are the user's: asked first, and kept under /S.
    StrCpy $0 "keep"
    ${If} ${FileExists} "$INSTDIR\${INI_FILE}"
        MessageBox MB_YESNO|MB_ICONQUESTION "設定ファイル (${INI_FILE}) を残しますか？$\r$\n残しておくと、もう一度インストールしたときに今の設定で始まります。" /SD IDYES IDYES +2
        StrCpy $0 "remove"
    ${EndIf}

    !include "${REMOVE_FILES}"
    ; Written by the program itself: the converted MIDI file of the SMF conversion.
    Delete "$INSTDIR\${PRODUCT}.exe.mid"
    ${If} $0 == "remove"
        Delete "$INSTDIR\${INI_FILE}"
    ${EndIf}
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    Delete "${MENU_FOLDER}\${PRODUCT}.lnk"
    Delete "${MENU_FOLDER}\${PRODUCT} ヘルプ.lnk"
    RMDir "${MENU_FOLDER}"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    Push "remove"
    Call un.PlayVerbs
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
