; Which folder may take Tappolo. Tappolo keeps its settings and the user's schemes beside
; itself, so the folder must be one the user can write to; and setup replaces and the
; uninstaller removes files by name, so it must not hold anybody else's files.

; Names Tappolo itself leaves in its folder besides the shipped files: its settings and sound
; options, the schemes folder (the user's schemes) and the work folders of an interrupted setup.
!define STAGE_NEW "~setup-new"
!define STAGE_OLD "~setup-old"
!define PROBE_FILE "~setup-probe.tmp"

Var CreatedFolder ; the first folder setup created on the way to $INSTDIR, or empty

!macro TappoloFolderFunctions un

; Whether $INSTDIR holds Tappolo's program and hook library. A setup whose move-back failed may
; have left them in its work folder instead. Pop: 1 or 0.
Function ${un}HoldsTappolo
    Push $0
    StrCpy $0 0
    ${If} ${FileExists} "$INSTDIR\Tappolo.exe"
    ${OrIf} ${FileExists} "$INSTDIR\${STAGE_OLD}\Tappolo.exe"
        ${If} ${FileExists} "$INSTDIR\KeyHook.dll"
        ${OrIf} ${FileExists} "$INSTDIR\${STAGE_OLD}\KeyHook.dll"
            StrCpy $0 1
        ${EndIf}
    ${EndIf}
    Exch $0
FunctionEnd

!macroend
!insertmacro TappoloFolderFunctions ""
!insertmacro TappoloFolderFunctions "un."

; Whether $INSTDIR holds nothing that is not Tappolo's. Pop: 1 or 0. An earlier Tappolo is
; recognised by its program and hook library; what an uninstaller leaves behind (the settings
; and the schemes folder) and an empty folder also take it.
Function IsTappoloFolder
    Push $0
    Push $1
    Push $2
    Call HoldsTappolo
    Pop $0
    ${If} $0 = 0
        StrCpy $0 1
        ClearErrors
        FindFirst $1 $2 "$INSTDIR\*.*"
        ${DoUntil} ${Errors}
            ${If} $2 != "."
            ${AndIf} $2 != ".."
            ${AndIf} $2 != "schemeinfo.tsc"
            ${AndIf} $2 != "soundopts.tsc"
            ${AndIf} $2 != "schemes"
            ${AndIf} $2 != "${STAGE_NEW}"
            ${AndIf} $2 != "${STAGE_OLD}"
                StrCpy $0 0
                ${ExitDo}
            ${EndIf}
            FindNext $1 $2
        ${Loop}
        FindClose $1
    ${EndIf}
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

; Checks $INSTDIR before anything is copied, creating it when it does not exist yet (that is the
; surest test that the user may write there). $R9: empty when it may take Tappolo, else the
; message for the user; $R8: the exit code of a refusal.
Function CheckInstallFolder
    Push $0
    Push $1
    StrCpy $R9 ""
    ${If} ${FileExists} "$INSTDIR\*.*"
        Call IsTappoloFolder
        Pop $0
        ${If} $0 = 0
            StrCpy $R8 ${EXIT_FOREIGN_FOLDER}
            StrCpy $R9 "$INSTDIR already holds other files.$\r$\n$\r$\nTappolo goes into an \
                empty folder or over an earlier Tappolo, because its uninstaller removes \
                its files by name. Please choose another folder."
        ${EndIf}
    ${ElseIf} ${FileExists} "$INSTDIR"
        StrCpy $R8 ${EXIT_FOREIGN_FOLDER}
        StrCpy $R9 "$INSTDIR is a file, not a folder. Please choose another folder."
    ${Else}
        ; The first missing folder on the way is removed again if setup does not go on.
        StrCpy $0 "$INSTDIR"
        ${Do}
            StrCpy $CreatedFolder $0
            ${GetParent} $0 $0
            ${If} $0 == ""
            ${OrIf} ${FileExists} "$0\*.*"
                ${ExitDo}
            ${EndIf}
        ${Loop}
        ClearErrors
        CreateDirectory "$INSTDIR"
        ${If} ${Errors}
            StrCpy $CreatedFolder ""
        ${EndIf}
    ${EndIf}
    ${If} $R9 == ""
        ClearErrors
        FileOpen $1 "$INSTDIR\${PROBE_FILE}" w
        ${If} ${Errors}
            StrCpy $R8 ${EXIT_NOT_WRITABLE}
            StrCpy $R9 "You cannot write to $INSTDIR.$\r$\n$\r$\nTappolo keeps its settings \
                and your schemes in its own folder, so it needs a folder that you can \
                change. Please choose another folder, for example one under your user \
                folder."
            Call RemoveCreatedFolder
        ${Else}
            FileClose $1
            Delete "$INSTDIR\${PROBE_FILE}"
        ${EndIf}
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd

; Removes the folders CheckInstallFolder created, when they are still empty.
Function RemoveCreatedFolder
    Push $0
    ${If} $CreatedFolder != ""
        StrCpy $0 "$INSTDIR"
        ${Do}
            RMDir "$0"
            ${If} $0 == $CreatedFolder
                ${ExitDo}
            ${EndIf}
            ${GetParent} $0 $0
        ${LoopUntil} $0 == ""
        StrCpy $CreatedFolder ""
    ${EndIf}
    Pop $0
FunctionEnd

; Whether the drive of $INSTDIR has room for the new files beside the old ones until they are
; swapped. $R9: empty, or the message.
Function CheckFreeSpace
    Push $0
    Push $1
    StrCpy $R9 ""
    System::Call 'kernel32::GetDiskFreeSpaceExW(w "$INSTDIR", *l .r0, p 0, p 0) i .r1'
    ${If} $1 <> 0
        System::Int64Op $0 / 1024
        Pop $0
        System::Int64Op $0 < ${TAPPOLO_SETUP_KB}
        Pop $1
        ${If} $1 = 1
            StrCpy $R8 ${EXIT_NO_SPACE}
            StrCpy $R9 "There is not enough free space for Tappolo in $INSTDIR: it needs \
                ${TAPPOLO_SETUP_KB} KB, $0 KB are free. Nothing has been changed."
        ${EndIf}
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd
