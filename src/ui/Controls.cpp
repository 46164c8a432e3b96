#include "Controls.h"

#include "Forms.h"
#include "LastError.h"

#include <commctrl.h>

namespace {
constexpr UINT_PTR kSubclassId = 1;
// The window property that leads from a control's window to its object.
constexpr char kControlProp[] = "TvobControl";
} // namespace

HWND TWinControl::Handle() {
    if (!FHandle)
        CreateHandle();
    return FHandle.Get();
}

int ScaleToScreen(int pixels) {
    static const int dpi = [] {
        UniqueScreenDC dc(GetDC(nullptr));
        int value = dc ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
        return value > 0 ? value : 96;
    }();
    return MulDiv(pixels, dpi, 96);
}

UniqueFont MakeFont(const TFont& font, const TFont& base) {
    const std::string& name = font.Name.empty() ? base.Name : font.Name;
    int height = font.Height ? font.Height : base.Height;
    HFONT handle =
        CreateFontA(-ScaleToScreen(height), 0, 0, 0, font.Bold ? FW_BOLD : FW_NORMAL, FALSE,
                    font.Underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, name.c_str());
    ThrowLastErrorIf(!handle, "Cannot create the font " + name);
    return UniqueFont(handle);
}

TControl::TControl(TForm* AOwner, TControl* AParent)
    : TWinControl(AOwner), FForm(AOwner), FParent(AParent), FId(AOwner->NewControlId()) {
    FForm->ControlAdded();
}

TControl::~TControl() {
    DestroyHandle();
    FForm->ControlRemoved();
}

void TControl::DestroyHandle() noexcept {
    if (!Window())
        return;
    RemoveWindowSubclass(Window(), &TControl::SubclassProc, kSubclassId);
    RemovePropA(Window(), kControlProp);
    // The form's window is about to take all of its children at once.
    if (FForm->FDestroyingControls)
        FHandle.Release();
    else
        FHandle.Reset();
}

TControl* TControl::FromHandle(HWND window) {
    return window ? static_cast<TControl*>(GetPropA(window, kControlProp)) : nullptr;
}

int TControl::Scale(int pixels) const {
    return ScaleToScreen(pixels);
}

void TControl::CreateHandle() {
    // The form makes its controls with its own window.
    if (!FForm->HandleAllocated()) {
        FForm->Handle();
        if (Window())
            return;
    }
    HWND parent = FParent ? FParent->Handle() : FForm->Handle();
    DWORD style = WS_CHILD | Style() | (FVisible ? WS_VISIBLE : 0) | (FEnabled ? 0 : WS_DISABLED) |
                  (GroupStart ? WS_GROUP : 0);
    RECT r = CreationBounds();
    UniqueWindow window(CreateWindowExA(
        ExStyle(), ClassName(), FText.c_str(), style, Scale(r.left), Scale(r.top),
        Scale(r.right - r.left), Scale(r.bottom - r.top), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(FId)), MainInstance(), nullptr));
    ThrowLastErrorIf(!window, "Cannot create the control " + Name());
    ThrowLastErrorIf(!SetWindowSubclass(window.Get(), &TControl::SubclassProc, kSubclassId,
                                        reinterpret_cast<DWORD_PTR>(this)),
                     "Cannot create the control " + Name());
    // Taken away with the subclass when the window goes.
    ThrowLastErrorIf(!SetPropA(window.Get(), kControlProp, this),
                     "Cannot create the control " + Name());
    FHandle = std::move(window);
    if (FParent) {
        // Tab and accelerator navigation reaches into the container.
        LONG_PTR exStyle = GetWindowLongPtrA(parent, GWL_EXSTYLE);
        if (!(exStyle & WS_EX_CONTROLPARENT))
            SetWindowLongPtrA(parent, GWL_EXSTYLE, exStyle | WS_EX_CONTROLPARENT);
    }
    ApplyFont(false);
    Created();
    if (!FHint.empty())
        FForm->UpdateToolTip(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    FBounds = RECT{left, top, left + width, top + height};
    if (Window())
        MoveWindow(Window(), Scale(left), Scale(top), Scale(width), Scale(height), TRUE);
}

std::string TControl::Text() const {
    if (!Window())
        return FText;
    int length = GetWindowTextLengthA(Window());
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(Window(), text.data(), length + 1)));
    return text;
}

void TControl::SetText(const std::string& text) {
    FText = text;
    if (Window())
        SetWindowTextA(Window(), text.c_str());
}

bool TControl::Enabled() const {
    return Window() ? IsWindowEnabled(Window()) != FALSE : FEnabled;
}

void TControl::SetEnabled(bool value) {
    FEnabled = value;
    if (Window())
        EnableWindow(Window(), value);
}

bool TControl::Visible() const {
    return FVisible;
}

void TControl::SetVisible(bool value) {
    FVisible = value;
    if (Window())
        ShowWindow(Window(), value ? SW_SHOW : SW_HIDE);
}

void TControl::SetFocus() {
    ::SetFocus(Handle());
}

bool TControl::Focused() const {
    return Window() && GetFocus() == Window();
}

void TControl::SetFont(const TFont& font) {
    FFont = font;
    if (Window())
        ApplyFont(true);
}

void TControl::SetFontColor(TColor color) {
    FFont.Color = color;
    if (Window())
        InvalidateRect(Window(), nullptr, TRUE);
}

void TControl::ApplyFont(bool redraw) {
    const TFont& base = FForm->Font;
    bool own = (!FFont.Name.empty() && FFont.Name != base.Name) ||
               (FFont.Height && FFont.Height != base.Height) || FFont.Bold != base.Bold ||
               FFont.Underline != base.Underline;
    // The old font stays selected until the new one is in.
    UniqueFont previous = std::move(FOwnFont);
    if (own)
        FOwnFont = MakeFont(FFont, base);
    HFONT font = own ? FOwnFont.Get() : FForm->FontHandle();
    SendMessageA(Window(), WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
}

void TControl::SetHint(std::string hint) {
    FHint = std::move(hint);
    if (Window())
        FForm->UpdateToolTip(this);
}

void TControl::Click() {
    if (OnClick && Enabled())
        OnClick(this);
}

bool TControl::Command(int) {
    return false;
}

HBRUSH TControl::CtlColor(HDC dc) {
    if (FFont.Color == clDefault && !Transparent)
        return nullptr;
    SetTextColor(dc, FFont.Color == clDefault ? GetSysColor(COLOR_WINDOWTEXT) : FFont.Color);
    if (Transparent) {
        SetBkMode(dc, TRANSPARENT);
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

bool TControl::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        if (TControl* control = FromHandle(reinterpret_cast<HWND>(lParam))) {
            result = 0;
            return control->Command(HIWORD(wParam));
        }
        return false;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        TControl* control = header ? FromHandle(header->hwndFrom) : nullptr;
        return control && control->Notify(*header, result);
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (TControl* control = FromHandle(reinterpret_cast<HWND>(lParam))) {
            result = 0;
            return control->Scroll(LOWORD(wParam));
        }
        return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (TControl* control = FromHandle(reinterpret_cast<HWND>(lParam)))
            if (HBRUSH brush = control->CtlColor(reinterpret_cast<HDC>(wParam))) {
                result = reinterpret_cast<LRESULT>(brush);
                return true;
            }
        return false;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (!item || item->CtlType == ODT_MENU)
            return false;
        TControl* control = FromHandle(item->hwndItem);
        if (!control)
            return false;
        control->DrawItem(*item);
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

LRESULT TControl::Inherited(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(Window(), message, wParam, lParam);
}

LRESULT TControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    // A container's children report to it.
    if (Reflect(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_MOUSEMOVE: {
        // Asked again at every move: a request made while the pointer position was not yet
        // up to date is lost.
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Window(), 0};
        TrackMouseEvent(&track);
        if (!FMouseInside) {
            FMouseInside = true;
            if (OnMouseEnter)
                OnMouseEnter(this);
        }
        break;
    }
    case WM_MOUSELEAVE:
        FMouseInside = false;
        if (OnMouseLeave)
            OnMouseLeave(this);
        break;
    case WM_SETCURSOR:
        if (Cursor && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(LoadCursorA(nullptr, Cursor));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return Inherited(message, wParam, lParam);
}

LRESULT CALLBACK TControl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<TControl*>(data);
    if (message == WM_NCDESTROY) {
        // The window goes with its parent: the object lives on without it.
        RemoveWindowSubclass(window, &TControl::SubclassProc, kSubclassId);
        RemovePropA(window, kControlProp);
        self->FHandle.Release();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return GuardCallback([&] { return self->WndProc(message, wParam, lParam); }, LRESULT(0));
}

TRawControl::TRawControl(TForm* AOwner, const char* className, DWORD style, DWORD exStyle, int id)
    : TControl(AOwner), FClassName(className), FStyle(style), FExStyle(exStyle) {
    SetId(id);
}
