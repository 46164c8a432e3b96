#include "UtilWindow.h"

#include "CallbackGuard.h"
#include "LastError.h"
#include "ModuleInstance.h"
#include "WindowClass.h"

namespace {
constexpr const char* kUtilWindowClass = "TvobUtilWindow";
} // namespace

TUtilWindow::TUtilWindow(TWndMethod method) : FMethod(std::move(method)) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TUtilWindow::WndProc;
    windowClass.lpszClassName = kUtilWindowClass;
    RegisterWindowClass(windowClass);
    // A top-level popup rather than a message-only window: the tray needs a window that can be
    // made foreground before its menu opens.
    FHandle.Reset(CreateWindowExA(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, MainInstance(), this));
    ThrowLastErrorIf(!FHandle, "Cannot create a utility window");
    FReady = true;
}

TUtilWindow::~TUtilWindow() {
    Destroy();
}

void TUtilWindow::Destroy() noexcept {
    // The window's last messages find no object to call.
    if (FHandle)
        SetWindowLongPtrA(FHandle.Get(), GWLP_USERDATA, 0);
    FHandle.Reset();
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
