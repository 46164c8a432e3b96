#include "KeyHook.h"

#include "DeadHookRule.h"
#include "KeyPressFilter.h"
#include "KeyReport.h"
#include "PasswordFocus.h"
#include "PasswordKeys.h"
#include "UniqueHandle_win.h"

#include <windows.h>

#include <utility>

// The hook lives on a thread of its own with its own message loop. A low-level hook is called
// on the thread that installed it, so installing it on the caller's UI thread would make every
// key wait for that thread; under Wine such a hook also loses the first key after idleness.
//
// Everything the hook procedure touches (the view of the target, the press filter) belongs to
// the hook thread alone, so it needs no lock. The procedure allocates nothing and waits for
// nothing: the system silently removes a low-level hook that does not answer in time.

namespace {

// How often the hook thread asks whether its hook is still called (see ReplaceDeadHook).
constexpr UINT kHookCheckMs = 1000;

HINSTANCE ModuleInstance = nullptr;

// Guards the thread handle across SetKeyHook/EndKeyHook calls from any thread.
SRWLOCK ControlLock = SRWLOCK_INIT;
UniqueKernelHandle HookThread;
DWORD HookThreadId = 0;

struct HookThreadState {
    // The view keeps the shared memory alive; its handle is closed once the view exists.
    UniqueMapView Target;
    TKeyPressFilter Filter;
    // The tick count of the hook procedure's latest call, or of the hook's installation.
    DWORD LastCall = 0;
};

// Set and read on the hook thread only; one hook thread exists at a time.
HookThreadState* State = nullptr;

void OpenTarget(HookThreadState& state) noexcept {
    UniqueKernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, KeyHookMappingName));
    if (mapping)
        state.Target.Reset(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, kKeyHookTargetSize));
}

HWND TargetWindow(HookThreadState& state) noexcept {
    // The program may create the shared memory after the hook is up; look again on each key
    // until it exists.
    if (!state.Target)
        OpenTarget(state);
    if (!state.Target)
        return nullptr;
    // Read on every key: the program writes the handle after it maps the block.
    return reinterpret_cast<HWND>(ReadKeyHookTarget(state.Target.Get()));
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

// Key-downs that repeat while a key is held are reported too, marked as repeats: whether they
// sound is the program's choice.
void Report(HookThreadState& state, const KBDLLHOOKSTRUCT& info, bool release,
            bool repeat) noexcept {
    HWND target = TargetWindow(state);
    if (target == nullptr)
        return;
    const DWORD vk = GenericKey(info.vkCode & 0xFF);
    const unsigned key = ReportedKey(vk, FocusIsPassword);
    // A masked key keeps its place to itself: every character of a password sounds alike.
    const std::uint32_t report =
        key == kMaskedKey && vk != kMaskedKey
            ? MakeKeyReport(kMaskedKeyScan, false, release, repeat)
            : MakeKeyReport(info.scanCode, (info.flags & LLKHF_EXTENDED) != 0, release, repeat);
    PostMessageA(target, KeyHookMessage, key, static_cast<LPARAM>(report));
}

// Hooks set after this one run before it, and a key they swallow never comes here. Hooks set
// before it run inside CallNextHookEx, so a key is reported only when they let it pass too: a
// remapper's swallowed key stays silent, and only the key it sends instead sounds, whatever
// place this hook holds in the chain (a replaced hook starts again at its head).
LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    const LRESULT next = CallNextHookEx(nullptr, code, wParam, lParam);
    if (code == HC_ACTION && State != nullptr) {
        State->LastCall = GetTickCount();
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const DWORD vk = info->vkCode & 0xFF;
        if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) {
            const bool first = State->Filter.Press(vk, info->time);
            if (next == 0)
                Report(*State, *info, false, !first);
        } else if (wParam == WM_KEYUP || wParam == WM_SYSKEYUP) {
            if (State->Filter.Release(vk) && next == 0)
                Report(*State, *info, true, false);
        }
    }
    return next;
}

UniqueHook InstallHook(HookThreadState& state) noexcept {
    UniqueHook hook(SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, ModuleInstance, 0));
    if (hook)
        state.LastCall = GetTickCount();
    return hook;
}

// A hook the system dropped would leave the program silent for good while its menu says the
// sound is on. A hook is replaced only when input came that it was not called for
// (DeadHookRule.h), never at a steady pace: every replacement puts it at the head of the chain.
// The fresh hook is set before the old one goes; removing a hook that the system dropped
// already just fails. The key that showed the hook dead is not heard.
void ReplaceDeadHook(UniqueHook& hook, HookThreadState& state) noexcept {
    LASTINPUTINFO input = {};
    input.cbSize = sizeof input;
    if (!GetLastInputInfo(&input) || !HookFoundDead(input.dwTime, state.LastCall))
        return;
    if (UniqueHook fresh = InstallHook(state))
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
    UniqueHook hook = InstallHook(state);
    request->Installed = static_cast<bool>(hook);
    SetEvent(request->Ready); // `request` belongs to the starter from here on
    if (hook) {
        const UINT_PTR check = SetTimer(nullptr, 0, kHookCheckMs, nullptr);
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == check)
                ReplaceDeadHook(hook, state);
            else
                DispatchMessageA(&msg);
        }
        KillTimer(nullptr, check);
        hook.Reset();
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
    if (HookThread)
        return 1;
    UniqueKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!ready)
        return 0;
    StartRequest request;
    request.Ready = ready.Get();
    DWORD threadId = 0;
    UniqueKernelHandle thread(CreateThread(nullptr, 0, HookThreadProc, &request, 0, &threadId));
    if (!thread)
        return 0;
    WaitForSingleObject(ready.Get(), INFINITE);
    if (!request.Installed) {
        // The thread ends by itself when the hook could not be set.
        WaitForSingleObject(thread.Get(), INFINITE);
        return 0;
    }
    HookThread = std::move(thread);
    HookThreadId = threadId;
    return 1;
}

KEYHOOK_API int EndKeyHook() noexcept {
    LockGuard lock;
    if (HookThread) {
        PostThreadMessageA(HookThreadId, WM_QUIT, 0, 0);
        WaitForSingleObject(HookThread.Get(), INFINITE);
        HookThread.Reset();
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
