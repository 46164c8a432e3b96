#pragma once
// Whether the desktop's keyboard focus is in a password field: an edit control (by its class
// name, PasswordKeys.h) with the password style, in any process. Asked on the hook thread for every
// character key, so it only reads the window manager's state (no message is sent, nothing waits for
// another thread).
#include "PasswordKeys.h"

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
    // The class's own name, then the one it is built on: an edit that a framework superclassed
    // under a name without the word is still an edit.
    char name[256] = {};
    int length = GetClassNameA(info.hwndFocus, name, sizeof name);
    if (length > 0 && IsEditClassName(std::string_view(name, static_cast<std::size_t>(length))))
        return true;
    length = RealGetWindowClassA(info.hwndFocus, name, sizeof name);
    return length > 0 && IsEditClassName(std::string_view(name, static_cast<std::size_t>(length)));
}
