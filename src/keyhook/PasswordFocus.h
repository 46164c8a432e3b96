#pragma once
// Whether the desktop's keyboard focus is in a password field: a standard edit control with the
// password style, in any process. Asked on the hook thread for every character key, so it only
// reads the window manager's state (no message is sent, nothing waits for another thread).
#include <windows.h>

inline bool FocusIsPassword() noexcept {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    // Thread 0 is the foreground thread, whichever process owns it.
    if (!GetGUIThreadInfo(0, &info) || info.hwndFocus == nullptr)
        return false;
    // Style bits can be read across processes. The same bit means other things to other
    // classes, so the class is checked too, but only after this cheaper test.
    if ((GetWindowLongA(info.hwndFocus, GWL_STYLE) & ES_PASSWORD) == 0)
        return false;
    // The class the control is built on: an edit that a framework superclassed under a name of
    // its own is still an edit.
    char name[8] = {};
    if (RealGetWindowClassA(info.hwndFocus, name, sizeof name) != 4)
        return false;
    const char edit[] = "edit";
    for (int i = 0; i < 4; ++i)
        if ((name[i] | 0x20) != edit[i])
            return false;
    return true;
}
