#pragma once
// A hidden top-level window of this thread whose messages go to a method.
#include "UniqueHandle_win.h"

#include <functional>

using TWndMethod = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

class TUtilWindow {
public:
    explicit TUtilWindow(TWndMethod method);
    ~TUtilWindow();
    TUtilWindow(const TUtilWindow&) = delete;
    TUtilWindow& operator=(const TUtilWindow&) = delete;
    HWND Handle() const { return FHandle.Get(); }
    void Destroy() noexcept;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept;
    TWndMethod FMethod;
    UniqueWindow FHandle;
    // The method sees messages only once the window exists: its owner is still being built.
    bool FReady = false;
};
