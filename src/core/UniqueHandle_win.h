#pragma once
// One owner type per kind of Win32 handle. Header-only, on <windows.h> alone, so that every
// part of the program can use it.
#include "UniqueHandle.h"

#include <windows.h>

// Closes with a function of the platform; the handle's "none" is null.
template <auto Close> struct CloseWith {
    template <class H> void operator()(H handle) const noexcept { Close(handle); }
};

// For the kinds whose "none" is INVALID_HANDLE_VALUE (files, searches): null is a real value
// for neither, but a failed open gives INVALID_HANDLE_VALUE.
template <auto Close> struct CloseInvalidWith : CloseWith<Close> {
    static HANDLE None() noexcept { return INVALID_HANDLE_VALUE; }
};

// A screen device context, taken with GetDC(nullptr).
struct ReleaseScreenDC {
    void operator()(HDC dc) const noexcept { ReleaseDC(nullptr, dc); }
};

// Threads, events, mutexes, processes, file mappings: null when none.
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseWith<&CloseHandle>>;
// CreateFile's result.
using UniqueFile = UniqueHandle<HANDLE, CloseInvalidWith<&CloseHandle>>;
// FindFirstFile's result.
using UniqueFind = UniqueHandle<HANDLE, CloseInvalidWith<&FindClose>>;
// A mapped view of a file mapping.
using UniqueMapView = UniqueHandle<void*, CloseWith<&UnmapViewOfFile>>;
// A hook of SetWindowsHookEx.
using UniqueHook = UniqueHandle<HHOOK, CloseWith<&UnhookWindowsHookEx>>;
using UniqueMenu = UniqueHandle<HMENU, CloseWith<&DestroyMenu>>;
using UniqueIcon = UniqueHandle<HICON, CloseWith<&DestroyIcon>>;
using UniqueFont = UniqueHandle<HFONT, CloseWith<&DeleteObject>>;
using UniqueBrush = UniqueHandle<HBRUSH, CloseWith<&DeleteObject>>;
using UniqueRegKey = UniqueHandle<HKEY, CloseWith<&RegCloseKey>>;
using UniqueWindow = UniqueHandle<HWND, CloseWith<&DestroyWindow>>;
using UniqueScreenDC = UniqueHandle<HDC, ReleaseScreenDC>;
