#include "KeyHook.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

// The hook lives on a thread of its own with its own message loop. A low-level hook is called
// on the thread that installed it, so installing it on the caller's UI thread would make every
// key wait for that thread; under Wine such a hook also loses the first key after idleness.
//
// Everything the hook procedure touches (the mapping, the down states) belongs to the hook
// thread alone, so it needs no lock.

namespace {

HINSTANCE ModuleInstance = nullptr;

// Guards the thread handle across SetKeyHook/EndKeyHook calls from any thread.
SRWLOCK ControlLock = SRWLOCK_INIT;
HANDLE HookThread = nullptr;
DWORD HookThreadId = 0;

struct HookThreadState {
    HANDLE Mapping = nullptr;
    const volatile std::uint8_t* View = nullptr;
    // A held key repeats its key-down; only the first one of a press is reported.
    bool Down[256] = {};
    // Event time of each key's latest key-down. A release can escape the hook (a key let go on
    // the secure desktop after Ctrl+Alt+Del or Win+L, or over an elevated window); without a
    // time limit that key would stay "held" and silent until the hook is set again.
    DWORD LastDownTime[256] = {};
};

// A held key repeats at least once a second (the longest keyboard delay the system offers), so
// a key-down that comes later than this after the previous one is a new press.
constexpr DWORD RepeatGapLimit = 2000;

// Set and read on the hook thread only; one hook thread exists at a time.
HookThreadState* State = nullptr;

void OpenTarget(HookThreadState& state) noexcept {
    state.Mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, KeyHookMappingName);
    if (state.Mapping == nullptr)
        return;
    state.View = static_cast<const volatile std::uint8_t*>(
        MapViewOfFile(state.Mapping, FILE_MAP_READ, 0, 0, 4));
    if (state.View == nullptr) {
        CloseHandle(state.Mapping);
        state.Mapping = nullptr;
    }
}

void CloseTarget(HookThreadState& state) noexcept {
    if (state.View != nullptr)
        UnmapViewOfFile(const_cast<std::uint8_t*>(state.View));
    if (state.Mapping != nullptr)
        CloseHandle(state.Mapping);
    state.View = nullptr;
    state.Mapping = nullptr;
}

HWND TargetWindow(HookThreadState& state) noexcept {
    // The program may create the shared memory after the hook is up; look again on each key
    // until it exists.
    if (state.View == nullptr)
        OpenTarget(state);
    if (state.View == nullptr)
        return nullptr;
    // Read on every key: the program writes the handle after it maps the block.
    const std::uint32_t value = std::uint32_t(state.View[0]) | std::uint32_t(state.View[1]) << 8 |
                                std::uint32_t(state.View[2]) << 16 |
                                std::uint32_t(state.View[3]) << 24;
    // Window handles are 32-bit values that widen with sign extension, like LongToHandle.
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::int32_t>(value)));
}

// The program classifies Shift, Ctrl and Alt by their generic codes, which is what the
// keyboard reports to windows; the low-level hook sees the left and right variants.
DWORD GenericKey(DWORD vk) noexcept {
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return vk;
    }
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION && State != nullptr) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const DWORD vk = info->vkCode & 0xFF;
        if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) {
            const bool repeat =
                State->Down[vk] && info->time - State->LastDownTime[vk] < RepeatGapLimit;
            State->Down[vk] = true;
            State->LastDownTime[vk] = info->time;
            if (!repeat) {
                HWND target = TargetWindow(*State);
                if (target != nullptr)
                    PostMessageA(target, KeyHookMessage, GenericKey(vk), 0);
            }
        } else if (wParam == WM_KEYUP || wParam == WM_SYSKEYUP) {
            State->Down[vk] = false;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct StartRequest {
    HANDLE Ready = nullptr;
    bool Installed = false;
};

DWORD WINAPI HookThreadProc(void* parameter) noexcept {
    auto* request = static_cast<StartRequest*>(parameter);
    // The queue must exist before the starter may post WM_QUIT to this thread.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    HookThreadState state;
    OpenTarget(state);
    State = &state;
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, ModuleInstance, 0);
    request->Installed = hook != nullptr;
    SetEvent(request->Ready); // `request` belongs to the starter from here on
    if (hook != nullptr) {
        while (GetMessageA(&msg, nullptr, 0, 0) > 0)
            DispatchMessageA(&msg);
        UnhookWindowsHookEx(hook);
    }
    State = nullptr;
    CloseTarget(state);
    return 0;
}

void StopHookThread() noexcept {
    PostThreadMessageA(HookThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(HookThread, INFINITE);
    CloseHandle(HookThread);
    HookThread = nullptr;
    HookThreadId = 0;
}

class LockGuard {
public:
    LockGuard() noexcept { AcquireSRWLockExclusive(&ControlLock); }
    ~LockGuard() { ReleaseSRWLockExclusive(&ControlLock); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;
};

} // namespace

KEYHOOK_API int SetKeyHook() noexcept {
    LockGuard lock;
    if (HookThread != nullptr)
        return 1;
    StartRequest request;
    request.Ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (request.Ready == nullptr)
        return 0;
    HookThread = CreateThread(nullptr, 0, HookThreadProc, &request, 0, &HookThreadId);
    if (HookThread == nullptr) {
        CloseHandle(request.Ready);
        HookThreadId = 0;
        return 0;
    }
    WaitForSingleObject(request.Ready, INFINITE);
    CloseHandle(request.Ready);
    if (!request.Installed) {
        // The thread ends by itself when the hook could not be set.
        WaitForSingleObject(HookThread, INFINITE);
        CloseHandle(HookThread);
        HookThread = nullptr;
        HookThreadId = 0;
        return 0;
    }
    return 1;
}

KEYHOOK_API int EndKeyHook() noexcept {
    LockGuard lock;
    if (HookThread != nullptr)
        StopHookThread();
    return 1;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) noexcept {
    if (reason == DLL_PROCESS_ATTACH) {
        ModuleInstance = instance;
    }
    // No clean-up at detach: waiting for the hook thread under the loader lock would hang, and
    // the system removes a dead process's hooks anyway.
    return TRUE;
}
