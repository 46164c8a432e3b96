#include "vobClasses.h"

#include "Exception.h"

#include <algorithm>
#include <array>
#include <utility>

// --- TComponent --------------------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    FDestroying = true;
    // Whoever refers to this component learns of its end while the pointer is still unique.
    auto notifies = std::move(FFreeNotifies);
    FFreeNotifies.clear();
    for (TComponent* other : notifies) {
        auto& back = other->FFreeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::Free(TComponent* component) noexcept {
    if (!component)
        return;
    try {
        component->BeforeDestruction();
    } catch (...) {
        HandleCallbackException();
    }
    delete component;
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : FComponents)
        if (c->FName == name)
            return c;
    return nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this)
        return;
    // Both sides keep the link, so whichever goes first clears it from the other.
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
        FFreeNotifies.push_back(component);
    auto& back = component->FFreeNotifies;
    if (std::find(back.begin(), back.end(), this) == back.end())
        back.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), component),
                        FFreeNotifies.end());
}

void TComponent::LoadedTree() {
    auto owned = FComponents;
    for (TComponent* c : owned)
        c->LoadedTree();
    Loaded();
}

void TComponent::DestroyComponents() noexcept {
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        FComponents.pop_back();
        // Removed quietly: the owner is going too, and siblings that care hold a free
        // notification.
        last->FOwner = nullptr;
        Free(last);
    }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent)
        RemoveFreeNotification(AComponent);
    auto owned = FComponents;
    for (TComponent* c : owned)
        c->Notification(AComponent, Operation);
}

void TComponent::InsertComponent(TComponent* component) {
    FComponents.push_back(component);
    component->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* component) {
    FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), component),
                      FComponents.end());
    component->FOwner = nullptr;
    if (!FDestroying)
        Notification(component, TOperation::opRemove);
}

// --- Window procedure thunks -------------------------------------------------------------

namespace {

struct ThunkSlot {
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> method;
    WNDPROC passThrough = nullptr;
    bool used = false;
};

// Enough for every replaced procedure of the program (it needs two) with room for tests.
constexpr int kThunkSlots = 32;
std::array<ThunkSlot, kThunkSlots> gThunkSlots;

template <int N>
LRESULT CALLBACK ThunkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    ThunkSlot& slot = gThunkSlots[N];
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
    auto free = std::find_if(gThunkSlots.begin(), gThunkSlots.end(),
                             [](const ThunkSlot& s) { return !s.used; });
    if (free == gThunkSlots.end())
        throw Exception("Out of window procedure thunks");
    free->used = true;
    free->method = std::move(method);
    free->passThrough = nullptr;
    FSlot = static_cast<int>(free - gThunkSlots.begin());
}

TObjectInstance::~TObjectInstance() {
    if (FAbandoned)
        return;
    gThunkSlots[FSlot] = ThunkSlot{};
}

WNDPROC TObjectInstance::Proc() const {
    return kThunkProcs[FSlot];
}

void TObjectInstance::Abandon(WNDPROC previous) noexcept {
    gThunkSlots[FSlot].passThrough = previous;
    gThunkSlots[FSlot].method = nullptr;
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
        throw Exception("Cannot replace the window procedure");
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

// --- TUtilWindow -------------------------------------------------------------------------

HINSTANCE MainInstance() {
    return GetModuleHandleA(nullptr);
}

namespace {
const char kUtilWindowClass[] = "TvobUtilWindow";

void RegisterUtilWindowClass(WNDPROC proc) {
    WNDCLASSA existing{};
    if (GetClassInfoA(MainInstance(), kUtilWindowClass, &existing))
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = MainInstance();
    wc.lpszClassName = kUtilWindowClass;
    if (!RegisterClassA(&wc))
        throw Exception("Cannot register the utility window class");
}
} // namespace

TUtilWindow::TUtilWindow(TWndMethod method) : FMethod(std::move(method)) {
    RegisterUtilWindowClass(&TUtilWindow::WndProc);
    // A top-level popup rather than a message-only window: the tray needs a window that can be
    // made foreground before its menu opens.
    FHandle = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, MainInstance(), this);
    if (!FHandle)
        throw Exception("Cannot create a utility window");
    FReady = true;
}

TUtilWindow::~TUtilWindow() {
    Destroy();
}

void TUtilWindow::Destroy() noexcept {
    if (FHandle) {
        SetWindowLongPtrA(FHandle, GWLP_USERDATA, 0);
        DestroyWindow(FHandle);
    }
    FHandle = nullptr;
    FReady = false;
}

LRESULT CALLBACK TUtilWindow::WndProc(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TUtilWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || !self->FReady || !self->FMethod)
        return DefWindowProcA(window, message, wParam, lParam);
    return GuardCallback([&] { return self->FMethod(message, wParam, lParam); }, LRESULT(0));
}

// --- TTimer ------------------------------------------------------------------------------

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner), FWindow([this](UINT m, WPARAM w, LPARAM l) { return WndProc(m, w, l); }) {
}

TTimer::~TTimer() {
    KillTimer(FWindow.Handle(), 1);
}

void TTimer::SetEnabled(bool value) {
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned value) {
    FInterval = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
    FOnTimer = std::move(handler);
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    KillTimer(FWindow.Handle(), 1);
    if (FEnabled && FInterval > 0 && FOnTimer)
        if (!SetTimer(FWindow.Handle(), 1, FInterval, nullptr))
            throw Exception("Not enough timers available");
}

LRESULT TTimer::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        if (FOnTimer)
            FOnTimer(this);
        return 0;
    }
    return DefWindowProcA(FWindow.Handle(), message, wParam, lParam);
}

// --- TIcon, TImageList ------------------------------------------------------------------

void TIcon::Assign(HICON icon) {
    HICON copy = nullptr;
    if (icon) {
        copy = CopyIcon(icon);
        if (!copy)
            throw Exception("Cannot copy the icon");
    }
    Clear();
    FHandle = copy;
}

void TIcon::Clear() noexcept {
    if (FHandle)
        DestroyIcon(FHandle);
    FHandle = nullptr;
}

int TImageList::AddIcon(HICON icon) {
    auto copy = std::make_unique<TIcon>();
    copy->Assign(icon);
    FIcons.push_back(std::move(copy));
    return Count() - 1;
}

void TImageList::Delete(int index) {
    if (index < 0 || index >= Count())
        throw Exception("List index out of bounds");
    FIcons.erase(FIcons.begin() + index);
}

void TImageList::GetIcon(int index, TIcon& icon) const {
    icon.Assign(FIcons.at(index)->Handle());
}
