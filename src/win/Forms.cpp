#include "Forms.h"

#include "Application.h"
#include "Exception.h"

namespace {
const char kFormClass[] = "TvobForm";

struct DisabledWindows {
    HWND except;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableThreadWindow(HWND window, LPARAM param) noexcept {
    auto* state = reinterpret_cast<DisabledWindows*>(param);
    if (window != state->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
        // Listed before it is disabled: a window that could not be listed is never left
        // disabled for good.
        try {
            state->windows.push_back(window);
        } catch (...) {
            return FALSE;
        }
        EnableWindow(window, FALSE);
    }
    return TRUE;
}
} // namespace

HWND TWinControl::Handle() {
    if (!FHandle)
        CreateHandle();
    return FHandle;
}

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {}

TForm::~TForm() {
    DestroyHandle();
    if (FFont)
        DeleteObject(FFont);
}

void TForm::AfterConstruction() {
    LoadedTree();
    try {
        FormCreate();
    } catch (...) {
        Application.HandleException();
    }
}

void TForm::BeforeDestruction() {
    try {
        FormDestroy();
    } catch (...) {
        Application.HandleException();
    }
    // Components leave while the window still exists: some have replaced its procedure and
    // must put it back.
    DestroyComponents();
    DestroyHandle();
}

void TForm::DestroyHandle() noexcept {
    if (Application.ActiveForm() == this)
        Application.SetActiveForm(nullptr);
    if (FHandle)
        DestroyWindow(FHandle);
    FHandle = nullptr;
}

TForm* TForm::FromHandle(HWND window) {
    char name[32] = {};
    if (!window || !GetClassNameA(window, name, sizeof name) || lstrcmpA(name, kFormClass) != 0)
        return nullptr;
    return reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

int TForm::Scale(int pixels) const {
    static const int dpi = [] {
        HDC dc = GetDC(nullptr);
        int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc)
            ReleaseDC(nullptr, dc);
        return value > 0 ? value : 96;
    }();
    return MulDiv(pixels, dpi, 96);
}

void TForm::CreateHandle() {
    WNDCLASSA existing{};
    if (!GetClassInfoA(MainInstance(), kFormClass, &existing)) {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &TForm::StaticWndProc;
        wc.hInstance = MainInstance();
        wc.hIcon = LoadIconA(MainInstance(), "MAINICON");
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kFormClass;
        if (!RegisterClassA(&wc))
            throw Exception("Cannot register the form window class");
    }
    DWORD style = WS_CLIPCHILDREN, exStyle = 0;
    switch (BorderStyle) {
    case TBorderStyle::bsSizeable:
        style |= WS_OVERLAPPEDWINDOW;
        break;
    case TBorderStyle::bsSingle:
        style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        break;
    case TBorderStyle::bsDialog:
        style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
        exStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    // A form stored minimised is created so, not minimised after it was shown.
    if (WindowState == TWindowState::wsMinimized)
        style |= WS_MINIMIZE;
    RECT r{0, 0, Scale(ClientWidth), Scale(ClientHeight)};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    int width = r.right - r.left, height = r.bottom - r.top;
    int x = Left == CW_USEDEFAULT ? CW_USEDEFAULT : Scale(Left);
    int y = Top == CW_USEDEFAULT ? CW_USEDEFAULT : Scale(Top);
    if (Position == TPosition::poScreenCenter) {
        x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    } else if (x == CW_USEDEFAULT && (style & WS_POPUP)) {
        // Popups do not take the default position.
        x = y = 0;
    }
    // Owned by the owner form's window, or by the application window, so that no form gets a
    // taskbar button of its own.
    HWND parent = nullptr;
    if (auto* ownerForm = dynamic_cast<TWinControl*>(Owner()))
        parent = ownerForm->Handle();
    else
        parent = Application.Handle();
    HWND window = CreateWindowExA(exStyle, kFormClass, Caption.c_str(), style, x, y, width, height,
                                  parent, nullptr, MainInstance(), this);
    if (!window)
        throw Exception("Cannot create the window of " + (Name().empty() ? Caption : Name()));
    FHandle = window;
    if (!FFont)
        FFont = CreateFontA(-Scale(FontHeight), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, FontName.c_str());
    CreateControls();
}

void TForm::CreateControls() {
    for (const TControlDef& def : Layout) {
        HWND control = CreateWindowExA(def.ExStyle, def.ClassName, def.Caption ? def.Caption : "",
                                       WS_CHILD | WS_VISIBLE | def.Style, Scale(def.Left),
                                       Scale(def.Top), Scale(def.Width), Scale(def.Height), FHandle,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(def.Id)),
                                       MainInstance(), nullptr);
        if (!control)
            throw Exception(std::string("Cannot create the control ") + def.Name);
        if (FFont)
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
    }
}

void TForm::SetCaption(std::string caption) {
    Caption = std::move(caption);
    if (FHandle)
        SetWindowTextA(FHandle, Caption.c_str());
}

bool TForm::Visible() const {
    return FHandle && IsWindowVisible(FHandle);
}

void TForm::SetVisible(bool value) {
    if (!value) {
        if (FHandle)
            ShowWindow(FHandle, SW_HIDE);
        return;
    }
    HWND window = Handle();
    if (Application.MainForm() == this && !IsWindowVisible(Application.Handle()))
        ShowWindow(Application.Handle(), SW_SHOWNOACTIVATE);
    ShowWindow(window, WindowState == TWindowState::wsMinimized   ? SW_SHOWMINNOACTIVE
                       : WindowState == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED
                                                                  : SW_SHOW);
}

TModalResult TForm::ShowModal() {
    if (Visible() || FModal)
        throw Exception("Cannot make a visible window modal");
    HWND window = Handle();
    // Whatever ends the loop, an error of a handler included, gives the other windows back.
    struct ModalScope {
        TForm& form;
        HWND window;
        HWND previousActive = GetActiveWindow();
        DisabledWindows disabled{window, {}};
        ~ModalScope() {
            for (HWND w : disabled.windows)
                EnableWindow(w, TRUE);
            ShowWindow(window, SW_HIDE);
            form.FModal = false;
            if (previousActive && IsWindow(previousActive))
                SetActiveWindow(previousActive);
        }
    } scope{*this, window};
    EnumThreadWindows(GetCurrentThreadId(), &DisableThreadWindow,
                      reinterpret_cast<LPARAM>(&scope.disabled));
    FModal = true;
    FModalResult = mrNone;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE))
        SetFocus(first);
    while (FModalResult == mrNone) {
        MSG msg;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            FModalResult = mrCancel;
            // The loop that owns the thread must see the quit too.
            if (got == 0)
                PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Application.DispatchOne(msg);
        if (FModalResult != mrNone && !FormCloseQuery())
            FModalResult = mrNone;
    }
    return FModalResult;
}

void TForm::Close() {
    if (FModal) {
        if (FModalResult == mrNone)
            FModalResult = mrCancel;
        return;
    }
    if (!FormCloseQuery())
        return;
    Hide();
    if (Application.MainForm() == this)
        Application.Terminate();
}

HWND TForm::FocusedControl() const {
    HWND focus = GetFocus();
    if (focus && FHandle && IsChild(FHandle, focus))
        return focus;
    return FLastFocus && IsWindow(FLastFocus) ? FLastFocus : nullptr;
}

void TForm::Command(int id, int code, HWND) {
    // Esc in a form with a cancel button presses it; other forms keep Esc to themselves.
    if (id == IDCANCEL && code == BN_CLICKED && GetDlgItem(FHandle, IDCANCEL))
        SetModalResult(mrCancel);
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (lParam)
            Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(FHandle, focus))
                FLastFocus = focus;
        } else {
            Application.SetActiveForm(this);
        }
        break;
    case WM_SETFOCUS:
        if (FLastFocus && IsWindow(FLastFocus)) {
            SetFocus(FLastFocus);
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        // The application window stands for the whole program on the taskbar.
        if ((wParam & 0xFFF0) == SC_MINIMIZE && Application.MainForm() == this) {
            Application.Minimize();
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(FHandle, message, wParam, lParam);
}

LRESULT CALLBACK TForm::StaticWndProc(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->FHandle = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* self = reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->FHandle = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return GuardCallback([&] { return self->WndProc(message, wParam, lParam); }, LRESULT(0));
}
