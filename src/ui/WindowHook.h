#pragma once
// Taking the place of another window's procedure: a component that must see the messages of a
// window it does not own (the application window, its owner form) puts its own procedure in
// front and passes every message on.
#include <windows.h>

#include <functional>
#include <memory>

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
