#pragma once
// KeyHook.dll: reports every key press on the desktop to the window whose handle stands in the
// shared memory "VobZizeZerav", as message 1244 with the virtual-key code in wParam and the
// key's place, its release and its auto-repeats in lParam (KeyReport.h). While the
// focus is in a password field, character keys are reported as the keypad multiply key
// (PasswordKeys.h).
//
// The functions take no arguments, so the default calling convention is the same on every
// architecture and the exported names stay undecorated (see KeyHook.def).
#include "KeyHookTarget.h"

#ifdef KEYHOOK_EXPORTS
#define KEYHOOK_API extern "C" __declspec(dllexport)
#else
#define KEYHOOK_API extern "C" __declspec(dllimport)
#endif

// Installs the hook; a second call while it is installed changes nothing. Nonzero on success.
KEYHOOK_API int SetKeyHook() noexcept;
// Removes the hook; harmless when none is installed. Always nonzero.
KEYHOOK_API int EndKeyHook() noexcept;

// What the library and the program agree on.
constexpr const char* KeyHookMappingName = "VobZizeZerav";
constexpr unsigned KeyHookMessage = 0x0400 + 220; // WM_USER + 220 = 1244
