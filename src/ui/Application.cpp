#include "Application.h"

#include "CallbackGuard.h"
#include "Exception.h"
#include "Forms.h"
#include "LastError.h"
#include "ModuleInstance.h"
#include "PubFunction.h"
#include "PubUnit.h"
#include "WindowClass.h"

#include <commctrl.h>

TApplication Application;

namespace {

constexpr const char* kApplicationClass = "TApplication";

// The program's own message boxes belong to the active form, or else to the application window.
HWND MessageBoxOwner() {
    TForm* form = Application.ActiveForm();
    if (form && form->HandleAllocated())
        return form->Handle();
    return Application.Handle();
}

// A message box is modal like a form. Its owner is left to the box, which disables it and
// enables it again before it goes, so that the owner is active again afterwards.
HWND EnterMessageBox() {
    HWND owner = MessageBoxOwner();
    Application.BeginModal(owner);
    return owner;
}

void LeaveMessageBox() noexcept {
    Application.EndModal();
}

struct DisabledWindows {
    HWND keep;
    HINSTANCE module;
    std::vector<HWND>& windows;
};

BOOL CALLBACK DisableThreadWindow(HWND window, LPARAM param) noexcept {
    auto* state = reinterpret_cast<DisabledWindows*>(param);
    if (window == state->keep || !IsWindowEnabled(window))
        return TRUE;
    // Visible windows, and the program's own hidden ones; the system's hidden helper windows
    // of the thread are left alone.
    const bool own =
        reinterpret_cast<HINSTANCE>(GetClassLongPtrA(window, GCLP_HMODULE)) == state->module;
    if (!own && !IsWindowVisible(window))
        return TRUE;
    // Listed before it is disabled: a window that could not be listed is never left disabled
    // for good.
    try {
        state->windows.push_back(window);
    } catch (...) {
        return FALSE;
    }
    EnableWindow(window, FALSE);
    return TRUE;
}

// The thread's window that takes input: visible, enabled and with a caption (a form, a box,
// a system dialog), the topmost first.
BOOL CALLBACK FindInputWindow(HWND window, LPARAM param) noexcept {
    if (IsWindowVisible(window) && IsWindowEnabled(window) &&
        (GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

TApplication::TApplication() : TComponent(nullptr) {
    SetMessageBoxHost(&EnterMessageBox, &LeaveMessageBox);
    SetCallbackErrorSink([]() noexcept { Application.HandleException(); });
}

TApplication::~TApplication() {
    // The forms go while the application window they belong to is still there.
    DestroyComponents();
}

std::string TApplication::Title() const {
    if (!FTitle.empty())
        return FTitle;
    // An error raised before the program names itself still shows whose it is.
    std::string name = ExecutablePath();
    name.erase(0, name.find_last_of("\\/") + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

void TApplication::SetTitle(std::string title) {
    FTitle = std::move(title);
    if (FHandle)
        SetWindowTextA(FHandle.Get(), Title().c_str());
}

HWND TApplication::Handle() {
    if (FHandle)
        return FHandle.Get();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &TApplication::WndProc;
    windowClass.hIcon = LoadIconA(MainInstance(), "MAINICON");
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kApplicationClass;
    RegisterWindowClass(windowClass);
    // Zero-sized but with a caption and a minimize box: it owns the taskbar button and takes
    // the minimize and restore commands for all the forms it owns.
    FHandle.Reset(
        CreateWindowExA(0, kApplicationClass, Title().c_str(),
                        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                        nullptr, nullptr, MainInstance(), nullptr));
    ThrowLastErrorIf(!FHandle, "Cannot create the application window");
    return FHandle.Get();
}

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&icc);
    Handle();
}

void TApplication::SetMainForm(TForm* form) {
    FMainForm = form;
    if (form)
        form->FreeNotification(this);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    if (AComponent == FMainForm)
        FMainForm = nullptr;
    if (AComponent == FActiveForm)
        FActiveForm = nullptr;
}

void TApplication::DispatchOne(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    // Tab, arrow and accelerator navigation between the controls of our forms.
    if (TForm* form = root ? TForm::FromHandle(root) : nullptr; form && form->DialogMessage(msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void TApplication::Run() {
    Handle();
    if (FMainForm && ShowMainForm) {
        if (FMainForm->WindowState == TWindowState::wsMinimized)
            Minimize();
        else
            FMainForm->SetVisible(true);
    }
    while (!FTerminated) {
        MSG msg;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            FTerminated = true;
            break;
        }
        DispatchOne(msg);
    }
    DestroyComponents();
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            FTerminated = true;
            // The loop that owns the thread must see the quit too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        DispatchOne(msg);
    }
}

void TApplication::Terminate() {
    // A close path may open a box (a scope of its own, above the one asked) or end the scope
    // asked: each is looked up again by its place below the boxes.
    for (std::size_t i = FModalScopes.size(); i-- > 0;) {
        if (i >= FModalScopes.size())
            continue;
        std::function<bool()> close = FModalScopes[i].Close;
        if (close && !close())
            return;
    }
    FTerminated = true;
    // What is still open (a box waiting for its answer, a form whose loop ends once the
    // command under it returns) ends first: no question is answered for the user. The last
    // one to end posts the quit.
    if (FModalScopes.empty())
        PostQuitMessage(0);
}

void TApplication::BeginModal(HWND keep, std::function<bool()> close) {
    FModalScopes.push_back({{}, std::move(close)});
    DisabledWindows state{keep, MainInstance(), FModalScopes.back().Disabled};
    EnumThreadWindows(GetCurrentThreadId(), &DisableThreadWindow, reinterpret_cast<LPARAM>(&state));
}

void TApplication::EndModal() noexcept {
    if (FModalScopes.empty())
        return;
    for (HWND window : FModalScopes.back().Disabled)
        if (IsWindow(window))
            EnableWindow(window, TRUE);
    FModalScopes.pop_back();
    if (FTerminated && FModalScopes.empty())
        PostQuitMessage(0);
}

bool TApplication::BringModalToFront() {
    HWND window = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindInputWindow, reinterpret_cast<LPARAM>(&window));
    if (!window)
        return false;
    SetForegroundWindow(window);
    return true;
}

void TApplication::Minimize() {
    ShowWindow(Handle(), SW_MINIMIZE);
}

void TApplication::HandleException() noexcept {
    try {
        throw;
    } catch (const Exception& e) {
        ShowException(e.Message());
    } catch (const std::exception& e) {
        ShowException(e.what());
    } catch (...) {
        ShowException("Unknown error");
    }
}

void TApplication::ShowException(const std::string& message) noexcept {
    try {
        const std::string text = ErrorBoxText(message), title = Title();
        HWND owner = EnterMessageBox();
        MessageBoxA(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
        LeaveMessageBox();
    } catch (...) {
        // Out of memory while building the text: nothing sensible is left to show.
    }
}

HWND TApplication::FocusedControl() const {
    if (!FActiveForm || !FActiveForm->HandleAllocated())
        return nullptr;
    return FActiveForm->FocusedControl();
}

LRESULT CALLBACK TApplication::WndProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
    return GuardCallback([&] { return Application.HandleMessage(window, message, wParam, lParam); },
                         LRESULT(0));
}

LRESULT TApplication::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        if (FMainForm)
            FMainForm->Close();
        return 0;
    case WM_QUERYENDSESSION:
        return 1;
    case WM_ENDSESSION:
        // The session ends and the process with it once this returns: the open dialogs close
        // now through their own close paths, their questions included.
        if (wParam)
            Terminate();
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
