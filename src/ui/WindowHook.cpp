#include "WindowHook.h"

#include "CallbackGuard.h"
#include "Exception.h"
#include "LastError.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

struct ThunkSlot {
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> method;
    WNDPROC passThrough = nullptr;
    bool used = false;
};

// Enough for every replaced procedure of the program (it needs two) with room for tests.
constexpr int kThunkSlots = 32;
std::array<ThunkSlot, kThunkSlots> SlotPool;

template <int N>
LRESULT CALLBACK ThunkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    ThunkSlot& slot = SlotPool[N];
    if (slot.passThrough)
        return CallWindowProcA(slot.passThrough, window, message, wParam, lParam);
    if (slot.method)
        return GuardCallback([&] { return slot.method(window, message, wParam, lParam); },
                             LRESULT(0));
    return DefWindowProcA(window, message, wParam, lParam);
}

template <int... I>
constexpr std::array<WNDPROC, sizeof...(I)> MakeThunkProcs(std::integer_sequence<int, I...>) {
    return {&ThunkProc<I>...};
}
constexpr auto kThunkProcs = MakeThunkProcs(std::make_integer_sequence<int, kThunkSlots>{});

} // namespace

TObjectInstance::TObjectInstance(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> method) {
    auto free =
        std::find_if(SlotPool.begin(), SlotPool.end(), [](const ThunkSlot& s) { return !s.used; });
    if (free == SlotPool.end())
        throw Exception("Out of window procedure thunks");
    free->used = true;
    free->method = std::move(method);
    free->passThrough = nullptr;
    FSlot = static_cast<int>(free - SlotPool.begin());
}

TObjectInstance::~TObjectInstance() {
    if (FAbandoned)
        return;
    SlotPool[FSlot] = ThunkSlot{};
}

WNDPROC TObjectInstance::Proc() const {
    return kThunkProcs[FSlot];
}

void TObjectInstance::Abandon(WNDPROC previous) noexcept {
    SlotPool[FSlot].passThrough = previous;
    SlotPool[FSlot].method = nullptr;
    FAbandoned = true;
}

void TWindowHook::Install(HWND window, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> method) {
    Restore();
    auto instance = std::make_unique<TObjectInstance>(std::move(method));
    // GWLP_WNDPROC is GWL_WNDPROC on 32-bit Windows; the pointer-sized call serves both.
    SetLastError(0);
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(instance->Proc())));
    if (!previous && GetLastError() != 0)
        ThrowLastError("Cannot replace the window procedure");
    FWindow = window;
    FPrevious = previous;
    FInstance = std::move(instance);
}

void TWindowHook::Restore() noexcept {
    if (!FPrevious)
        return;
    if (IsWindow(FWindow)) {
        auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(FWindow, GWLP_WNDPROC));
        if (current == FInstance->Proc()) {
            SetWindowLongPtrA(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FPrevious));
        } else {
            // Someone replaced the procedure after us and calls ours as its previous one:
            // putting ours back would cut them off, so the slot keeps passing messages on.
            FInstance->Abandon(FPrevious);
        }
    }
    FInstance.reset();
    FPrevious = nullptr;
    FWindow = nullptr;
}

LRESULT TWindowHook::CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!FPrevious)
        return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(FPrevious, window, message, wParam, lParam);
}
