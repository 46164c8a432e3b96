; Tappolo's installer: per user, no administrator. It installs exactly the tree of the portable
; package into a folder the user owns, a Start menu shortcut and an uninstaller, and enters
; itself in "Apps & features". Built by installer/CMakeLists.txt:
;   makensis -DGENERATED=<dir of Program.nsh and Files.nsh> -DPACKAGE=<package folder>
;            -DVERSION=<version> -DICON=<Tappolo.ico> -DSETUP_FILE=<output> Tappolo.nsi
;
; Command line (both programs): /S silent; the installer takes /D=<folder> (last), /RUN (start
; Tappolo when done) and /AUTORUN (start it at sign-in); the uninstaller takes /REMOVEDATA
; (also remove the user's schemes and settings). Exit codes: see the EXIT_ lines below.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include nsDialogs.nsh
!include MUI2.nsh
!include "${GENERATED}/Program.nsh"
!include "${GENERATED}/Files.nsh"

; The version is the one in the executable's version block; the file name must agree with it.
!getdllversion "${PACKAGE}/Tappolo.exe" ExeVersion_
!define TAPPOLO_VERSION "${ExeVersion_1}.${ExeVersion_2}.${ExeVersion_3}.${ExeVersion_4}"
!if "${TAPPOLO_VERSION}" != "${VERSION}"
    !error "Tappolo.exe says version ${TAPPOLO_VERSION}, the build names the installer ${VERSION}"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tappolo"
!define SETUP_MUTEX "TappoloSetup"
; The program files, the uninstaller (about 200 KB) and the new copy beside the old one.
!define /math TAPPOLO_SETUP_KB ${TAPPOLO_FILES_KB} + 256

!define EXIT_SETUP_RUNNING 3  ; another Tappolo setup or uninstaller runs
!define EXIT_FOREIGN_FOLDER 4 ; the folder holds files that are not Tappolo's
!define EXIT_NOT_WRITABLE 5   ; the user cannot write to the folder
!define EXIT_STILL_RUNNING 6  ; Tappolo did not close when asked
!define EXIT_NO_SPACE 7       ; not enough free space
!define EXIT_NOT_REPLACED 8   ; a file could not be replaced; the earlier installation is as it was
!define EXIT_NOT_PUT_BACK 9   ; and files of the earlier installation could not be put back: they
                              ; are kept in the work folder ~setup-old
!define EXIT_NOT_INSTALLED 10 ; uninstaller: the folder is not a Tappolo installation

Name "Tappolo"
OutFile "${SETUP_FILE}"
InstallDir "$LOCALAPPDATA\Programs\Tappolo"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Tappolo ${TAPPOLO_VERSION}"
AllowSkipFiles off
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${TAPPOLO_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Tappolo"
VIAddVersionKey /LANG=1033 "CompanyName" "Tappolo"
VIAddVersionKey /LANG=1033 "FileDescription" "Tappolo Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "The Tappolo developers"
VIAddVersionKey /LANG=1033 "FileVersion" "${TAPPOLO_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${TAPPOLO_VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_CUSTOMFUNCTION_ABORT UserAbort

!define MUI_DIRECTORYPAGE_TEXT_TOP "Tappolo will be installed for you alone; it needs no \
    administrator. It keeps its settings and your sound schemes in its own folder, so choose \
    a folder that you can write to.$\r$\n$\r$\nTo install over an earlier Tappolo, choose its \
    folder: your schemes and settings are kept."
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Tappolo is installed"
!define MUI_FINISHPAGE_TEXT "Tappolo lives in the notification area: click its icon for the \
    menu. You find it again under Tappolo in the Start menu."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Tappolo now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartTappolo
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Start Tappolo when I sign in"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION WriteAutoRun
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

!include "RunningTappolo.nsh"
!include "Folder.nsh"
!include "AutoRun.nsh"
!insertmacro TappoloRunningFunctions ""
!insertmacro TappoloRunningFunctions "un."

; One setup at a time: two would replace and remove the same files.
!macro TakeSetupMutex
    System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .r0 ?e'
    Pop $1
    ${If} $1 = 183 ; ERROR_ALREADY_EXISTS
        MessageBox MB_OK|MB_ICONSTOP "Another Tappolo setup or uninstaller is running. \
            Please let it finish first." /SD IDOK
        SetErrorLevel ${EXIT_SETUP_RUNNING}
        Quit
    ${EndIf}
!macroend

; Ends setup with a message (also in silent mode, where only the exit code tells).
!macro Fail code message
    MessageBox MB_OK|MB_ICONSTOP "${message}" /SD IDOK
    SetErrorLevel ${code}
    Abort "${message}"
!macroend

; The same after the user was told already.
!macro Stop code message
    SetErrorLevel ${code}
    Abort "${message}"
!macroend

Function .onInit
    !insertmacro TakeSetupMutex
FunctionEnd

Function DirectoryLeave
    Call CheckInstallFolder
    ${If} $R9 == ""
        Call CheckFreeSpace
    ${EndIf}
    ${If} $R9 != ""
        MessageBox MB_OK|MB_ICONEXCLAMATION "$R9"
        Abort
    ${EndIf}
FunctionEnd

; Removes a folder when it is empty.
!macro RemoveEmptyFolder rel
    RMDir "$INSTDIR\${rel}"
!macroend

!macro RemoveEmptyWorkFolder rel
    RMDir "$INSTDIR\${STAGE_OLD}\${rel}"
!macroend

; What a failed setup made goes again: the unpacked files, the empty work folders, and in a
; folder it created itself, the empty program folders.
Function .onInstFailed
    RMDir /r "$INSTDIR\${STAGE_NEW}"
    !insertmacro TappoloFoldersDeepestFirst RemoveEmptyWorkFolder
    RMDir "$INSTDIR\${STAGE_OLD}"
    ${If} $CreatedFolder != ""
        !insertmacro TappoloFoldersDeepestFirst RemoveEmptyFolder
    ${EndIf}
    Call RemoveCreatedFolder
FunctionEnd

Function UserAbort
    Call RemoveCreatedFolder
FunctionEnd

Function StartTappolo
    Exec '"$INSTDIR\Tappolo.exe"'
FunctionEnd

; --- Copying -----------------------------------------------------------------------------
; The new files are unpacked into a work folder first; only when all of them are there are the
; old ones moved aside and the new ones moved in, file by file. A failure on the way moves
; everything back, so an upgrade that fails leaves the earlier installation as it was. Should a
; file of the earlier installation not go back, it stays in the work folder ~setup-old, and the
; next setup puts it back before it changes anything.

Var SwapFailed   ; the file that could not be moved in, or empty
Var NotPutBack   ; how many files the move-back could not put back as they were
Var KeptList     ; the files of the earlier installation in ~setup-old, one a line (the first few)
Var KeptCount    ; how many there are

!define KEPT_LISTED 8 ; a message names this many; a longer list would not fit in one

!macro MakeWorkFolder rel
    CreateDirectory "$INSTDIR\${STAGE_NEW}\${rel}"
    CreateDirectory "$INSTDIR\${STAGE_OLD}\${rel}"
!macroend

!macro MakeFolder rel
    CreateDirectory "$INSTDIR\${rel}"
!macroend

!macro UnpackFile rel source
    File "/oname=${STAGE_NEW}\${rel}" "${source}"
!macroend

!macro SwapIn rel unused
    ${If} $SwapFailed == ""
        ${If} ${FileExists} "$INSTDIR\${rel}"
            ClearErrors
            Rename "$INSTDIR\${rel}" "$INSTDIR\${STAGE_OLD}\${rel}"
            ${If} ${Errors}
                StrCpy $SwapFailed "${rel}"
            ${EndIf}
        ${EndIf}
        ${If} $SwapFailed == ""
            ClearErrors
            Rename "$INSTDIR\${STAGE_NEW}\${rel}" "$INSTDIR\${rel}"
            ${If} ${Errors}
                StrCpy $SwapFailed "${rel}"
            ${EndIf}
        ${EndIf}
    ${EndIf}
!macroend

; Removes the new copy of a file from its place; a copy that stays counts in $NotPutBack. The file
; itself is asked afterwards: under Wine a delete can report success and leave the file.
!macro RemoveNewCopy rel
    ${If} ${FileExists} "$INSTDIR\${rel}"
        ClearErrors
        Delete "$INSTDIR\${rel}"
        ${If} ${Errors}
        ${OrIf} ${FileExists} "$INSTDIR\${rel}"
            IntOp $NotPutBack $NotPutBack + 1
            DetailPrint "Could not remove the new $INSTDIR\${rel}"
        ${EndIf}
    ${EndIf}
!macroend

; Moves the earlier installation's copy of a file back from ~setup-old into its place. Every step
; is checked: when one fails, the old copy stays in ~setup-old and counts in $NotPutBack.
!macro PutBack rel
    !insertmacro RemoveNewCopy "${rel}"
    ${IfNot} ${FileExists} "$INSTDIR\${rel}"
        ClearErrors
        Rename "$INSTDIR\${STAGE_OLD}\${rel}" "$INSTDIR\${rel}"
        ${If} ${Errors}
        ${OrIf} ${FileExists} "$INSTDIR\${STAGE_OLD}\${rel}"
            IntOp $NotPutBack $NotPutBack + 1
            DetailPrint "Could not put back $INSTDIR\${rel}"
        ${EndIf}
    ${EndIf}
!macroend

; A file is back as it was: the old one if it was moved aside, none if there was none.
!macro SwapBack rel unused
    ${If} ${FileExists} "$INSTDIR\${STAGE_OLD}\${rel}"
        !insertmacro PutBack "${rel}"
    ${ElseIfNot} ${FileExists} "$INSTDIR\${STAGE_NEW}\${rel}"
        !insertmacro RemoveNewCopy "${rel}"
    ${EndIf}
!macroend

!macro PutBackKept rel unused
    ${If} ${FileExists} "$INSTDIR\${STAGE_OLD}\${rel}"
        !insertmacro PutBack "${rel}"
    ${EndIf}
!macroend

!macro ListKept rel unused
    ${If} ${FileExists} "$INSTDIR\${STAGE_OLD}\${rel}"
        IntOp $KeptCount $KeptCount + 1
        ${If} $KeptCount <= ${KEPT_LISTED}
            StrCpy $KeptList "$KeptList$\r$\n    ${rel}"
        ${EndIf}
    ${EndIf}
!macroend

; Removes what is left of ~setup-old when that is only empty folders. Never deletes a file.
Function RemoveEmptyOldStage
    !insertmacro TappoloFoldersDeepestFirst RemoveEmptyWorkFolder
    RMDir "$INSTDIR\${STAGE_OLD}"
FunctionEnd

; The files of the earlier installation still in ~setup-old: $KeptCount; $R9 says where they are
; and names them, for a message.
Function DescribeKept
    StrCpy $KeptList ""
    StrCpy $KeptCount 0
    !insertmacro TappoloFiles ListKept
    !insertmacro ListKept "Uninstall.exe" ""
    ${If} $KeptCount > ${KEPT_LISTED}
        IntOp $R9 $KeptCount - ${KEPT_LISTED}
        StrCpy $KeptList "$KeptList$\r$\n    and $R9 more"
    ${EndIf}
    StrCpy $R9 "They are kept in $INSTDIR\${STAGE_OLD}:$KeptList"
FunctionEnd

; The files an earlier setup could not put back go back now, before this one changes anything.
; $R9: empty when no file of the earlier installation is left in ~setup-old, else the message.
Function PutBackKeptFiles
    StrCpy $R9 ""
    ${If} ${FileExists} "$INSTDIR\${STAGE_OLD}\*.*"
        DetailPrint "Putting back the files an earlier setup left in ${STAGE_OLD}..."
        StrCpy $NotPutBack 0
        !insertmacro TappoloFolders MakeFolder
        !insertmacro TappoloFiles PutBackKept
        !insertmacro PutBackKept "Uninstall.exe" ""
        Call RemoveEmptyOldStage
        Call DescribeKept
        ${If} $KeptCount = 0
            StrCpy $R9 ""
        ${Else}
            StrCpy $R9 "An earlier setup could not put back every file of the Tappolo it \
                was replacing, and this one cannot put them back either: another program \
                may be using them. $R9$\r$\n$\r$\nClose that program and run setup again, \
                or move the files back into $INSTDIR yourself. Nothing has been changed."
        ${EndIf}
    ${EndIf}
FunctionEnd

Section "Tappolo"
    SectionIn RO
    SetShellVarContext current

    ; The folder page checked the folder already; a silent setup has none.
    Call CheckInstallFolder
    ${If} $R9 != ""
        !insertmacro Fail $R8 "$R9"
    ${EndIf}
    ; Before Tappolo is asked to close: a setup that cannot go through must not end it.
    Call CheckFreeSpace
    ${If} $R9 != ""
        !insertmacro Fail ${EXIT_NO_SPACE} "$R9"
    ${EndIf}
    Call EndInstalledTappolo
    ${If} $R9 != ""
        !insertmacro Stop ${EXIT_STILL_RUNNING} "Setup stopped: Tappolo is still running."
    ${EndIf}
    Call PutBackKeptFiles
    ${If} $R9 != ""
        !insertmacro Fail ${EXIT_NOT_PUT_BACK} "$R9"
    ${EndIf}

    ; The unpacked files of an interrupted setup.
    RMDir /r "$INSTDIR\${STAGE_NEW}"
    SetOutPath "$INSTDIR"
    CreateDirectory "$INSTDIR\${STAGE_NEW}"
    CreateDirectory "$INSTDIR\${STAGE_OLD}"
    !insertmacro TappoloFolders MakeWorkFolder
    SetOverwrite on
    !insertmacro TappoloFiles UnpackFile
    ClearErrors
    WriteUninstaller "$INSTDIR\${STAGE_NEW}\Uninstall.exe"
    ${If} ${Errors}
        RMDir /r "$INSTDIR\${STAGE_NEW}"
        RMDir /r "$INSTDIR\${STAGE_OLD}"
        !insertmacro Fail ${EXIT_NOT_REPLACED} "Setup could not write its uninstaller into \
            $INSTDIR. Nothing has been changed."
    ${EndIf}

    DetailPrint "Moving the new files in place..."
    StrCpy $SwapFailed ""
    !insertmacro TappoloFolders MakeFolder
    !insertmacro TappoloFiles SwapIn
    !insertmacro SwapIn "Uninstall.exe" ""
    ${If} $SwapFailed != ""
        DetailPrint "Could not replace $INSTDIR\$SwapFailed; putting the earlier files back..."
        StrCpy $NotPutBack 0
        !insertmacro TappoloFiles SwapBack
        !insertmacro SwapBack "Uninstall.exe" ""
        RMDir /r "$INSTDIR\${STAGE_NEW}"
        Call RemoveEmptyOldStage
        Call DescribeKept
        ${If} $KeptCount <> 0
            !insertmacro Fail ${EXIT_NOT_PUT_BACK} "Setup could not replace \
                $INSTDIR\$SwapFailed: another program may be using it. Moving the earlier \
                installation back, it could not put back every file. $R9$\r$\n$\r$\nClose \
                the programs that may be using Tappolo's files and run setup again: it puts \
                these files back first."
        ${ElseIf} $NotPutBack <> 0
            !insertmacro Fail ${EXIT_NOT_PUT_BACK} "Setup could not replace \
                $INSTDIR\$SwapFailed: another program may be using it. The earlier \
                installation has been put back, but $NotPutBack of the new files could not \
                be removed from $INSTDIR. Close the programs that may be using them and run \
                setup again."
        ${EndIf}
        !insertmacro Fail ${EXIT_NOT_REPLACED} "Setup could not replace $INSTDIR\$SwapFailed: \
            another program may be using it. Close that program and run setup again. \
            The earlier installation has been left as it was."
    ${EndIf}
    RMDir /r "$INSTDIR\${STAGE_NEW}"
    RMDir /r "$INSTDIR\${STAGE_OLD}"
    StrCpy $CreatedFolder ""

    CreateShortCut "$SMPROGRAMS\Tappolo.lnk" "$INSTDIR\Tappolo.exe" "" "$INSTDIR\Tappolo.exe" 0 \
        SW_SHOWNORMAL "" "A sound for every key you press"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tappolo"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${TAPPOLO_VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tappolo"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tappolo.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${TAPPOLO_FILES_KB}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

    ; The finish page's two options, for a silent setup from the command line.
    ${If} ${Silent}
        ${GetParameters} $0
        ClearErrors
        ${GetOptions} $0 "/AUTORUN" $1
        ${IfNot} ${Errors}
            Call WriteAutoRun
        ${EndIf}
        ClearErrors
        ${GetOptions} $0 "/RUN" $1
        ${IfNot} ${Errors}
            Call StartTappolo
        ${EndIf}
    ${EndIf}
SectionEnd

; --- Uninstaller -------------------------------------------------------------------------

Var RemoveData    ; 1: the user's schemes and settings go too
Var RemoveDataBox

Function un.onInit
    !insertmacro TakeSetupMutex
    ; It removes files by name, and with /REMOVEDATA a whole folder: only from a Tappolo's.
    Call un.HoldsTappolo
    Pop $0
    ${If} $0 = 0
        MessageBox MB_OK|MB_ICONSTOP "$INSTDIR is not a Tappolo installation: it holds no \
            Tappolo.exe and KeyHook.dll. Nothing has been removed." /SD IDOK
        SetErrorLevel ${EXIT_NOT_INSTALLED}
        Quit
    ${EndIf}
    StrCpy $RemoveData 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVEDATA" $1
    ${IfNot} ${Errors}
        StrCpy $RemoveData 1
    ${EndIf}
FunctionEnd

Function un.OptionsPage
    !insertmacro MUI_HEADER_TEXT "Uninstall Tappolo" "Remove Tappolo from this computer."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 40u "Tappolo will be removed from $INSTDIR, with its Start menu \
        shortcut and its entry among the programs started at sign-in.$\r$\n$\r$\nThe sound \
        schemes you made and your settings stay in that folder, unless you tick the box below."
    Pop $0
    ${NSD_CreateCheckbox} 0 52u 100% 12u "Also remove my schemes and settings"
    Pop $RemoveDataBox
    ${If} $RemoveData = 1
        ${NSD_Check} $RemoveDataBox
    ${EndIf}
    GetDlgItem $0 $HWNDPARENT 1
    SendMessage $0 ${WM_SETTEXT} 0 "STR:&Uninstall"
    nsDialogs::Show
FunctionEnd

Function un.OptionsLeave
    ${NSD_GetState} $RemoveDataBox $0
    ${If} $0 = ${BST_CHECKED}
        StrCpy $RemoveData 1
    ${Else}
        StrCpy $RemoveData 0
    ${EndIf}
FunctionEnd

!macro UnFile rel unused
    Delete "$INSTDIR\${rel}"
!macroend

!define FILE_ATTRIBUTE_DIRECTORY 0x10
!define FILE_ATTRIBUTE_REPARSE_POINT 0x400

; Removes a folder with everything in it, but never goes through a junction or symbolic link:
; a link (the folder itself, or anything in it) is removed as a link, and what it points to is
; left as it is. A user may well link a folder of sounds kept elsewhere into a scheme.
Function un.RemoveTreeNoLinks
    Exch $0
    Push $1
    Push $2
    Push $3
    Push $4
    ; The NSIS stack holds the work: "D<folder>" to empty, "R<folder>" to remove once emptied.
    Push "|"
    Push "D$0"
    ${Do}
        Pop $1
        ${If} $1 == "|"
            ${ExitDo}
        ${EndIf}
        StrCpy $2 $1 1
        StrCpy $1 $1 "" 1
        ${If} $2 == "R"
            RMDir "$1"
            ${Continue}
        ${EndIf}
        System::Call 'kernel32::GetFileAttributesW(w r1) i .r2'
        ${If} $2 = -1
            ${Continue}
        ${EndIf}
        IntOp $3 $2 & ${FILE_ATTRIBUTE_REPARSE_POINT}
        ${If} $3 <> 0
            RMDir "$1"
            ${Continue}
        ${EndIf}
        Push "R$1"
        ClearErrors
        FindFirst $3 $4 "$1\*.*"
        ${DoUntil} ${Errors}
            ${If} $4 != "."
            ${AndIf} $4 != ".."
                System::Call 'kernel32::GetFileAttributesW(w "$1\$4") i .r2'
                IntOp $0 $2 & ${FILE_ATTRIBUTE_REPARSE_POINT}
                IntOp $2 $2 & ${FILE_ATTRIBUTE_DIRECTORY}
                ${If} $2 = 0
                    Delete "$1\$4"
                ${ElseIf} $0 <> 0
                    RMDir "$1\$4"
                ${Else}
                    Push "D$1\$4"
                ${EndIf}
            ${EndIf}
            ClearErrors
            FindNext $3 $4
        ${Loop}
        FindClose $3
    ${Loop}
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    Call un.EndInstalledTappolo
    ${If} $R9 != ""
        !insertmacro Stop ${EXIT_STILL_RUNNING} "Tappolo was not removed: it is still running."
    ${EndIf}

    !insertmacro TappoloFiles UnFile
    Delete "$INSTDIR\Uninstall.exe"
    Push "$INSTDIR\${STAGE_NEW}"
    Call un.RemoveTreeNoLinks
    Push "$INSTDIR\${STAGE_OLD}"
    Call un.RemoveTreeNoLinks
    ${If} $RemoveData = 1
        Delete "$INSTDIR\schemeinfo.tsc"
        Delete "$INSTDIR\soundopts.tsc"
        Push "$INSTDIR\schemes"
        Call un.RemoveTreeNoLinks
    ${EndIf}
    ; The system scheme's folder and the schemes folder go when nothing of the user's is left.
    !insertmacro TappoloFoldersDeepestFirst RemoveEmptyFolder
    RMDir "$INSTDIR"

    Call un.RemoveAutoRun
    ; The shortcut and the entry belong to the installation they name; an installation in
    ; another folder may have taken them over.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        Delete "$SMPROGRAMS\Tappolo.lnk"
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${EndIf}
SectionEnd
