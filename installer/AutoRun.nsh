; The auto-run value that Tappolo's About dialog manages: "tappolo" under a Run key, the quoted
; path of the executable. Windows starts every entry of the machine's and the user's Run keys,
; so the program is entered in one of them only.

!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

!macro TappoloAutoRunFunctions un

; Whether a Run value's text (Push in) names $INSTDIR\Tappolo.exe: blanks and control characters
; around it, one pair of quotes and letter case do not count. Pop: 1 or 0.
; The About dialog also takes a path that differs in digits and punctuation alone for its own,
; but an uninstaller must not remove the entry of a neighbouring installation "Tappolo2".
Function ${un}NamesInstalledExe
    Exch $0
    Push $1
    ${Do}
        StrCpy $1 $0 1
        ${If} $1 == " "
        ${OrIf} $1 == "$\t"
        ${OrIf} $1 == "$\r"
        ${OrIf} $1 == "$\n"
        ${OrIf} $1 == '"'
            StrCpy $0 $0 "" 1
        ${Else}
            ${ExitDo}
        ${EndIf}
    ${Loop}
    ${Do}
        StrCpy $1 $0 1 -1
        ${If} $1 == " "
        ${OrIf} $1 == "$\t"
        ${OrIf} $1 == "$\r"
        ${OrIf} $1 == "$\n"
        ${OrIf} $1 == '"'
            StrCpy $0 $0 -1
        ${Else}
            ${ExitDo}
        ${EndIf}
    ${Loop}
    ${If} $0 == "$INSTDIR\Tappolo.exe"
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    Pop $1
    Exch $0
FunctionEnd

!macroend

!insertmacro TappoloAutoRunFunctions ""
!insertmacro TappoloAutoRunFunctions "un."

; "Start Tappolo when I sign in": the user's own Run key, unless the machine's already starts
; this installation.
Function WriteAutoRun
    Push $0
    ReadRegStr $0 HKLM "${RUN_KEY}" "${TAPPOLO_AUTORUN_VALUE}"
    Push $0
    Call NamesInstalledExe
    Pop $0
    ${If} $0 = 0
        ClearErrors
        WriteRegStr HKCU "${RUN_KEY}" "${TAPPOLO_AUTORUN_VALUE}" '"$INSTDIR\Tappolo.exe"'
        ${If} ${Errors}
            DetailPrint "Could not enter Tappolo in the list of programs started at sign-in."
        ${EndIf}
    ${EndIf}
    Pop $0
FunctionEnd

; The values that start this installation go with it: the user's always, the machine's where
; this user may change it (elsewhere the removal simply fails).
!macro RemoveAutoRunFrom root
    ReadRegStr $0 ${root} "${RUN_KEY}" "${TAPPOLO_AUTORUN_VALUE}"
    ${IfNot} ${Errors}
        Push $0
        Call un.NamesInstalledExe
        Pop $0
        ${If} $0 = 1
            DeleteRegValue ${root} "${RUN_KEY}" "${TAPPOLO_AUTORUN_VALUE}"
        ${EndIf}
    ${EndIf}
!macroend

Function un.RemoveAutoRun
    Push $0
    ClearErrors
    !insertmacro RemoveAutoRunFrom HKCU
    ClearErrors
    !insertmacro RemoveAutoRunFrom HKLM
    Pop $0
FunctionEnd
