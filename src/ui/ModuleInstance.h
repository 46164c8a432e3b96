#pragma once
#include <windows.h>

// The module that holds the program's resources and window classes.
inline HINSTANCE MainInstance() {
    return GetModuleHandleA(nullptr);
}
