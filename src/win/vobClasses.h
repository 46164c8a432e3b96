#pragma once
// The component framework's base: owned components, hidden utility windows, window-procedure
// thunks, timers, icons and image lists.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TComponent;

using TNotifyEvent = std::function<void(TComponent* Sender)>;
using TWndMethod = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

enum class TOperation { opInsert, opRemove };

// Shows the error that is being handled (call only inside a catch block) through the
// application's top-level handler; never throws. Defined with TApplication.
void HandleCallbackException() noexcept;

// Runs a callback body at a Win32 boundary: an error never crosses into the system, it goes to
// the application's handler and the callback answers `failed`.
template <class F> auto GuardCallback(F&& body, decltype(body()) failed) noexcept {
    try {
        return body();
    } catch (...) {
        HandleCallbackException();
        return failed;
    }
}

// A component is owned by another and freed with it; owned components go in reverse order of
// creation, so later ones (which may refer to earlier ones) leave first.
class TComponent {
public:
    explicit TComponent(TComponent* AOwner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // Frees a component: its last virtual step runs while the object is still whole.
    static void Free(TComponent* component) noexcept;

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }
    int Tag = 0;

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(index); }
    TComponent* FindComponent(const std::string& name) const;

    // `component` will be told through Notification when this component is destroyed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Told once, after the owner has applied every stored property.
    virtual void Loaded() {}
    // Called by the owner's AfterConstruction for itself and everything it owns.
    void LoadedTree();

    void DestroyComponents() noexcept;

protected:
    // A component this one refers to is going away. The base passes the news on to everything
    // this component owns, so siblings learn of each other's destruction.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // The last step before destruction that still dispatches virtually.
    virtual void BeforeDestruction() {}
    bool Destroying() const { return FDestroying; }

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* FOwner = nullptr;
    std::string FName;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    bool FDestroying = false;
};

// Frees through TComponent::Free, for components that nobody else owns.
struct TComponentFree {
    void operator()(TComponent* component) const noexcept { TComponent::Free(component); }
};
template <class T> using TOwned = std::unique_ptr<T, TComponentFree>;

// A window procedure bound to an object: a plain WNDPROC from a fixed pool of functions, so a
// component can take the place of another window's procedure without generated code.
class TObjectInstance {
public:
    explicit TObjectInstance(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> method);
    ~TObjectInstance();
    TObjectInstance(const TObjectInstance&) = delete;
    TObjectInstance& operator=(const TObjectInstance&) = delete;
    WNDPROC Proc() const;
    // Keeps the pool slot forwarding to `previous` for good: used when another subclass sits
    // on top of ours and the chain cannot be undone without breaking it.
    void Abandon(WNDPROC previous) noexcept;

private:
    int FSlot;
    bool FAbandoned = false;
};

// Replaces a window's procedure for the lifetime of this object and puts the previous one back.
class TWindowHook {
public:
    TWindowHook() = default;
    ~TWindowHook() { Restore(); }
    TWindowHook(const TWindowHook&) = delete;
    TWindowHook& operator=(const TWindowHook&) = delete;
    void Install(HWND window, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> method);
    void Restore() noexcept;
    LRESULT CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    HWND FWindow = nullptr;
    WNDPROC FPrevious = nullptr;
    std::unique_ptr<TObjectInstance> FInstance;
};

// A hidden top-level window of this thread whose messages go to a method.
class TUtilWindow {
public:
    explicit TUtilWindow(TWndMethod method);
    ~TUtilWindow();
    TUtilWindow(const TUtilWindow&) = delete;
    TUtilWindow& operator=(const TUtilWindow&) = delete;
    HWND Handle() const { return FHandle; }
    void Destroy() noexcept;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept;
    TWndMethod FMethod;
    HWND FHandle = nullptr;
    // The method sees messages only once the window exists: its owner is still being built.
    bool FReady = false;
};

// A message-driven timer: ticks only while enabled, with an interval above 0 and a handler.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned value);
    void SetOnTimer(TNotifyEvent handler);

private:
    void UpdateTimer();
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    TUtilWindow FWindow;
    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
};

// An owned icon handle; empty when null.
class TIcon {
public:
    TIcon() = default;
    ~TIcon() { Clear(); }
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;
    // Keeps a copy of `icon` (null empties it).
    void Assign(HICON icon);
    void Clear() noexcept;
    HICON Handle() const { return FHandle; }
    bool Empty() const { return FHandle == nullptr; }

private:
    HICON FHandle = nullptr;
};

// The few image-list operations the tray needs: a list of owned icons.
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* AOwner) : TComponent(AOwner) {}
    int Count() const { return static_cast<int>(FIcons.size()); }
    int AddIcon(HICON icon);
    void Delete(int index);
    // Copies image `index` into `icon`.
    void GetIcon(int index, TIcon& icon) const;

private:
    std::vector<std::unique_ptr<TIcon>> FIcons;
};

// The module that holds the program's resources and window classes.
HINSTANCE MainInstance();
