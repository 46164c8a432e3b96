; Ending the Tappolo of this installation before its files change. It is asked to close through
; its main window, as its own Exit does, and given time to finish what it is doing: a save, or a
; question it is waiting for the user to answer. It is never killed: a process ended from
; outside could leave a half-written scheme or settings file.
;
; Only one Tappolo runs at a time (it holds a named mutex), so the first main window found is
; the only one. A Tappolo that runs from another folder is left alone.

!define TAPPOLO_CLOSE_WAIT_MS 15000
!define SYNCHRONIZE_AND_QUERY 0x00101000 ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION

!macro TappoloRunningFunctions un

; The long form of a path (Push in, Pop out); the path itself when it has none.
Function ${un}LongPath
    Exch $0
    Push $1
    Push $2
    System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2'
    ${If} $2 > 0
    ${AndIf} $2 < ${NSIS_MAX_STRLEN}
        StrCpy $0 $1
    ${EndIf}
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

; The main window of a Tappolo started from $INSTDIR\Tappolo.exe: $R0 the window (0 when none
; runs), $R1 an open handle of its process (to wait on; close it).
Function ${un}FindInstalledTappolo
    Push $0
    Push $1
    Push $2
    Push $3
    StrCpy $R0 0
    StrCpy $R1 0
    FindWindow $0 "${TAPPOLO_FORM_CLASS}" "${TAPPOLO_MAIN_CAPTION}"
    ${If} $0 <> 0
        System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
        System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE_AND_QUERY}, i 0, i r1) p .r2'
        ${If} $2 P<> 0
            StrCpy $3 ${NSIS_MAX_STRLEN}
            System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r1, *i r3) i .r3'
            ${If} $3 <> 0
                Push $1
                Call ${un}LongPath
                Pop $1
                Push "$INSTDIR\Tappolo.exe"
                Call ${un}LongPath
                Pop $3
                ; StrCmp ignores letter case, as the file system does.
                ${If} $1 == $3
                    StrCpy $R0 $0
                    StrCpy $R1 $2
                ${EndIf}
            ${EndIf}
            ${If} $R1 P= 0
                System::Call 'kernel32::CloseHandle(p r2)'
            ${EndIf}
        ${EndIf}
    ${EndIf}
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; Asks the Tappolo of this installation to close and waits for its process to end. $R9 is empty
; when none runs any more; "running" when it still runs and the user (or silent mode) gave up.
Function ${un}EndInstalledTappolo
    Push $R0
    Push $R1
    Push $0
    StrCpy $R9 ""
    retry:
    Call ${un}FindInstalledTappolo
    ${If} $R0 <> 0
        DetailPrint "Asking Tappolo to close..."
        System::Call 'user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0)'
        System::Call 'kernel32::WaitForSingleObject(p R1, i ${TAPPOLO_CLOSE_WAIT_MS}) i .r0'
        System::Call 'kernel32::CloseHandle(p R1)'
        ${If} $0 = 0 ; WAIT_OBJECT_0: it has ended
            DetailPrint "Tappolo has closed."
            Goto retry
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tappolo is still running: it did not close \
            within 15 seconds.$\r$\n$\r$\nIt may be waiting for you to answer a question in \
            one of its windows (for example, whether to save a scheme). Answer it, or choose Exit \
            in Tappolo's tray menu, then press Retry.$\r$\n$\r$\nCancel stops here; nothing has \
            been changed." /SD IDCANCEL IDRETRY retry
        StrCpy $R9 "running"
    ${EndIf}
    Pop $0
    Pop $R1
    Pop $R0
FunctionEnd

!macroend
