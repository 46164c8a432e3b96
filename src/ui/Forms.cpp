#include "Forms.h"

#include "Application.h"
#include "CallbackGuard.h"
#include "Exception.h"
#include "LastError.h"
#include "ProgramIdentity.h"
#include "StdCtrls.h"
#include "WindowClass.h"

#include <commctrl.h>

#include <cctype>

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {}

TForm::~TForm() {
    DestroyHandle();
}

void TForm::AfterConstruction() {
    LoadedTree();
    try {
        Handle();
        // Controls made after the window (a component may ask for it in the constructor) get
        // theirs here.
        CreateControls();
        FormCreate();
    } catch (...) {
        HandleCallbackException();
    }
}

void TForm::Build(std::initializer_list<TLayoutRow> rows) {
    for (const TLayoutRow& row : rows) {
        TControl* control = row.Make(this);
        control->SetName(row.Name);
        control->SetText(row.Caption ? row.Caption : "");
        control->SetBounds(row.Left, row.Top, row.Width, row.Height);
    }
}

void TForm::SetDefaultButton(TButton* button) {
    auto restyle = [](TButton* b, DWORD style) {
        if (b && b->HandleAllocated())
            SendMessageA(b->Handle(), BM_SETSTYLE, style, TRUE);
    };
    restyle(FDefaultButton, BS_PUSHBUTTON);
    FDefaultButton = button;
    restyle(FDefaultButton, BS_DEFPUSHBUTTON);
}

void TForm::SetCancelButton(TButton* button) {
    FCancelButton = button;
}

void TForm::Notification(TComponent* AComponent, TOperation Operation) {
    // The buttons are the form's own components: it hears of their going as their owner.
    TWinControl::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove)
        return;
    if (AComponent == FDefaultButton)
        FDefaultButton = nullptr;
    if (AComponent == FCancelButton)
        FCancelButton = nullptr;
}

void TForm::BeforeDestruction() {
    try {
        FormDestroy();
    } catch (...) {
        HandleCallbackException();
    }
    // Components leave while the window still exists: some have replaced its procedure and
    // must put it back. The controls' windows go with it afterwards, in one call.
    FDestroyingControls = true;
    DestroyComponents();
    DestroyHandle();
}

void TForm::DestroyHandle() noexcept {
    if (Application.ActiveForm() == this)
        Application.SetActiveForm(nullptr);
    // The tooltip window is owned by the form's and goes with it.
    FToolTip = nullptr;
    FHandle.Reset();
}

TForm* TForm::FromHandle(HWND window) {
    char name[32] = {};
    if (!window || !GetClassNameA(window, name, sizeof name) ||
        lstrcmpA(name, kFormWindowClass) != 0)
        return nullptr;
    return reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

int TForm::Scale(int pixels) const {
    return ScaleToScreen(pixels);
}

void TForm::CreateHandle() {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &TForm::StaticWndProc;
    wc.hIcon = LoadIconA(MainInstance(), "MAINICON");
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormWindowClass;
    RegisterWindowClass(wc);
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
    // The window is ours from WM_NCCREATE on.
    HWND window = CreateWindowExA(exStyle, kFormWindowClass, Caption.c_str(), style, x, y, width,
                                  height, parent, nullptr, MainInstance(), this);
    ThrowLastErrorIf(!window, "Cannot create the window of " + (Name().empty() ? Caption : Name()));
    if (!FFont)
        FFont = MakeFont(Font, Font);
    CreateControls();
}

void TForm::CreateControls() {
    if (!FRawMade) {
        FRawMade = true;
        for (const TControlDef& def : Layout) {
            auto* control = new TRawControl(this, def.ClassName, def.Style, def.ExStyle, def.Id);
            control->SetName(def.Name);
            control->SetText(def.Caption ? def.Caption : "");
            control->SetBounds(def.Left, def.Top, def.Width, def.Height);
        }
    }
    // In creation order, which is the tab order; a container is made before what it holds.
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* control = dynamic_cast<TControl*>(Components(i)))
            control->Handle();
}

void TForm::UpdateToolTip(TControl* control) {
    if (!FToolTip) {
        FToolTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Window(), nullptr,
                                   MainInstance(), nullptr);
        ThrowLastErrorIf(!FToolTip, "Cannot create the tooltips of " + Caption);
    }
    // The first version of the record: every version of the common controls takes it.
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control->Handle());
    tool.uId = reinterpret_cast<UINT_PTR>(control->Handle());
    tool.lpszText = const_cast<char*>(control->Hint().c_str());
    SendMessageA(FToolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    if (!control->Hint().empty() &&
        !SendMessageA(FToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)))
        throw Exception("Cannot add the tooltip of " + control->Name());
}

void TForm::SetCaption(std::string caption) {
    Caption = std::move(caption);
    if (Window())
        SetWindowTextA(Window(), Caption.c_str());
}

bool TForm::Visible() const {
    return Window() && IsWindowVisible(Window());
}

void TForm::SetVisible(bool value) {
    if (!value) {
        if (Window())
            ShowWindow(Window(), SW_HIDE);
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
    // Whatever ends the loop, an error of a handler included, gives the other windows back,
    // before this one hides, so that the activation can return to them.
    struct ModalScope {
        TForm& form;
        HWND window;
        HWND previousActive = GetActiveWindow();
        ~ModalScope() {
            Application.EndModal();
            ShowWindow(window, SW_HIDE);
            form.FModal = false;
            form.FEndAgreed = false;
            if (previousActive && IsWindow(previousActive))
                SetActiveWindow(previousActive);
        }
    };
    Application.BeginModal(window, [this] { return QueryEnd(); });
    ModalScope scope{*this, window};
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
        if (FModalResult != mrNone && !FEndAgreed && !RunCloseQuery())
            FModalResult = mrNone;
    }
    return FModalResult;
}

bool TForm::RunCloseQuery() {
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(FInCloseQuery);
    return FormCloseQuery();
}

bool TForm::QueryEnd() {
    if (!FModal)
        return true;
    // A close query that is asking already (its box open) decides for itself: asked twice,
    // the user would see the question twice.
    if (!FEndAgreed && !FInCloseQuery && !RunCloseQuery())
        return false;
    FEndAgreed = true;
    if (FModalResult == mrNone)
        SetModalResult(mrCancel);
    Hide();
    return true;
}

void TForm::SetModalResult(TModalResult value) {
    FModalResult = value;
    if (FModal && value != mrNone && FHandle)
        PostMessageA(FHandle.Get(), WM_NULL, 0, 0);
}

void TForm::Close() {
    if (FModal) {
        if (FModalResult == mrNone)
            SetModalResult(mrCancel);
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
    if (focus && Window() && IsChild(Window(), focus))
        return focus;
    return FLastFocus && IsWindow(FLastFocus) ? FLastFocus : nullptr;
}

void TForm::Command(int id, int code, HWND) {
    // Esc in a form with a raw cancel button presses it; other forms keep Esc to themselves.
    if (id == IDCANCEL && code == BN_CLICKED && GetDlgItem(Window(), IDCANCEL))
        SetModalResult(mrCancel);
}

bool TForm::FocusLabelTarget(char key) {
    key = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* label = dynamic_cast<TLabel*>(Components(i));
        if (!label || !label->FocusControl || !label->Visible() || !label->HandleAllocated() ||
            label->Accelerator() != key)
            continue;
        TControl* target = label->FocusControl;
        if (!target->Enabled() || !target->Visible())
            continue;
        SendMessageA(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target->Handle()), TRUE);
        return true;
    }
    return false;
}

bool TForm::DialogMessage(MSG& msg) {
    if (!HasControls() || !Window())
        return false;
    if (msg.message == WM_SYSCHAR || msg.message == WM_CHAR) {
        bool wanted = false;
        if (msg.message == WM_CHAR)
            wanted =
                SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) &
                (DLGC_WANTCHARS | DLGC_WANTMESSAGE | DLGC_WANTALLKEYS);
        if (!wanted && FocusLabelTarget(static_cast<char>(msg.wParam)))
            return true;
    }
    return IsDialogMessageA(Window(), &msg) != FALSE;
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (TControl::Reflect(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_COMMAND:
        if (lParam)
            Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        else if (LOWORD(wParam) == IDCANCEL && FCancelButton)
            // Esc, from the dialog navigation.
            FCancelButton->Click();
        return 0;
    case DM_GETDEFID: {
        // A focused push button takes Enter; otherwise the declared default button does.
        TButton* target = dynamic_cast<TButton*>(TControl::FromHandle(GetFocus()));
        if (!target || target->Form() != this)
            target = FDefaultButton;
        if (target && target->HandleAllocated())
            return MAKELRESULT(target->Id(), DC_HASDEFID);
        return 0;
    }
    case WM_NEXTDLGCTL: {
        HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                     : GetNextDlgTabItem(Window(), GetFocus(), wParam != 0);
        if (target) {
            ::SetFocus(target);
            // As the dialog manager does: a field entered by the keyboard is selected whole.
            if (SendMessageA(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                SendMessageA(target, EM_SETSEL, 0, -1);
        }
        return 0;
    }
    case WM_CLOSE:
        Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Window(), focus))
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
    return DefWindowProcA(Window(), message, wParam, lParam);
}

LRESULT CALLBACK TForm::StaticWndProc(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->FHandle.Reset(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* self = reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->FHandle.Release();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return GuardCallback([&] { return self->WndProc(message, wParam, lParam); }, LRESULT(0));
}
