#include "KeyHook.h"

#include "KeyPressFilter.h"
#include "PasswordFocus.h"
#include "PasswordKeys.h"

#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

// The hook lives on a thread of its own with its own message loop. A low-level hook is called
// on the thread that installed it, so installing it on the caller's UI thread would make every
// key wait for that thread; under Wine such a hook also loses the first key after idleness.
//
// Everything the hook procedure touches (the view of the target, the press filter) belongs to
// the hook thread alone, so it needs no lock. The procedure allocates nothing and waits for
// nothing: the system silently removes a low-level hook that does not answer in time.

namespace {

struct CloseKernelHandle {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
struct UnmapView {
    void operator()(const void* view) const noexcept { UnmapViewOfFile(view); }
};
struct Unhook {
    void operator()(HHOOK hook) const noexcept { UnhookWindowsHookEx(hook); }
};
using UniqueKernelHandle = std::unique_ptr<void, CloseKernelHandle>;
using UniqueView = std::unique_ptr<const void, UnmapView>;
using UniqueHook = std::unique_ptr<std::remove_pointer_t<HHOOK>, Unhook>;

// How often the hook thread replaces its hook by a fresh one (see RefreshHook).
constexpr UINT kHookRefreshMs = 1000;

HINSTANCE ModuleInstance = nullptr;

// Guards the thread handle across SetKeyHook/EndKeyHook calls from any thread.
SRWLOCK ControlLock = SRWLOCK_INIT;
UniqueKernelHandle HookThread;
DWORD HookThreadId = 0;

struct HookThreadState {
    // The view keeps the shared memory alive; its handle is closed once the view exists.
    UniqueView Target;
    TKeyPressFilter Filter;
};

// Set and read on the hook thread only; one hook thread exists at a time.
HookThreadState* State = nullptr;

void OpenTarget(HookThreadState& state) noexcept {
    UniqueKernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, KeyHookMappingName));
    if (mapping != nullptr)
        state.Target.reset(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, kKeyHookTargetSize));
}

HWND TargetWindow(HookThreadState& state) noexcept {
    // The program may create the shared memory after the hook is up; look again on each key
    // until it exists.
    if (state.Target == nullptr)
        OpenTarget(state);
    if (state.Target == nullptr)
        return nullptr;
    // Read on every key: the program writes the handle after it maps the block.
    return reinterpret_cast<HWND>(ReadKeyHookTarget(state.Target.get()));
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

void Report(HookThreadState& state, DWORD vk) noexcept {
    HWND target = TargetWindow(state);
    if (target != nullptr)
        PostMessageA(target, KeyHookMessage, ReportedKey(GenericKey(vk), FocusIsPassword), 0);
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION && State != nullptr) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const DWORD vk = info->vkCode & 0xFF;
        if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) {
            if (State->Filter.Press(vk, info->time))
                Report(*State, vk);
        } else if (wParam == WM_KEYUP || wParam == WM_SYSKEYUP) {
            State->Filter.Release(vk);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

UniqueHook InstallHook() noexcept {
    return UniqueHook(SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, ModuleInstance, 0));
}

// The system removes a low-level hook without notice once its procedure misses the time limit
// (LowLevelHooksTimeout; a machine that swaps hard can cause it), and the program would stay
// silent for good while its menu says the sound is on. No call tells whether a hook is still
// installed, so the hook is replaced by a fresh one at a steady pace: the new one is set before
// the old one goes, so no key is lost, and the press filter drops the second sight of an event
// that both of them see. Removing a hook that the system dropped already just fails.
void RefreshHook(UniqueHook& hook) noexcept {
    if (UniqueHook fresh = InstallHook())
        hook = std::move(fresh);
}

struct StartRequest {
    HANDLE Ready = nullptr;
    bool Installed = false;
};

DWORD WINAPI HookThreadProc(void* parameter) noexcept {
    auto* request = static_cast<StartRequest*>(parameter);
    // The thread mostly waits on its queue; when a key comes it must run at once, ahead of
    // whatever else keeps the machine busy, to answer within the hook's time limit.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    // The queue must exist before the starter may post WM_QUIT to this thread.
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    HookThreadState state;
    OpenTarget(state);
    State = &state;
    UniqueHook hook = InstallHook();
    request->Installed = hook != nullptr;
    SetEvent(request->Ready); // `request` belongs to the starter from here on
    if (hook != nullptr) {
        const UINT_PTR refresh = SetTimer(nullptr, 0, kHookRefreshMs, nullptr);
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == refresh)
                RefreshHook(hook);
            else
                DispatchMessageA(&msg);
        }
        KillTimer(nullptr, refresh);
        hook.reset();
    }
    State = nullptr;
    return 0;
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
    UniqueKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (ready == nullptr)
        return 0;
    StartRequest request;
    request.Ready = ready.get();
    DWORD threadId = 0;
    UniqueKernelHandle thread(CreateThread(nullptr, 0, HookThreadProc, &request, 0, &threadId));
    if (thread == nullptr)
        return 0;
    WaitForSingleObject(ready.get(), INFINITE);
    if (!request.Installed) {
        // The thread ends by itself when the hook could not be set.
        WaitForSingleObject(thread.get(), INFINITE);
        return 0;
    }
    HookThread = std::move(thread);
    HookThreadId = threadId;
    return 1;
}

KEYHOOK_API int EndKeyHook() noexcept {
    LockGuard lock;
    if (HookThread != nullptr) {
        PostThreadMessageA(HookThreadId, WM_QUIT, 0, 0);
        WaitForSingleObject(HookThread.get(), INFINITE);
        HookThread.reset();
        HookThreadId = 0;
    }
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
