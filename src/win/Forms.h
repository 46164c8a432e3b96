#pragma once
// Windows and modal dialogs whose layouts are data: a table of controls per form.
#include "vobClasses.h"

#include <string>
#include <vector>

// A component with a window; the window is created the first time its handle is asked for.
class TWinControl : public TComponent {
public:
    using TComponent::TComponent;
    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }

protected:
    virtual void CreateHandle() = 0;
    HWND FHandle = nullptr;
};

// One control of a form's layout. Positions are 96-dpi pixels in the client area and are
// scaled to the screen; the table order is the tab order.
struct TControlDef {
    const char* Name;
    const char* ClassName; // "BUTTON", "STATIC", "EDIT", "COMBOBOX", HOTKEY_CLASSA, ...
    const char* Caption;
    int Id;
    int Left, Top, Width, Height;
    DWORD Style; // besides WS_CHILD | WS_VISIBLE
    DWORD ExStyle = 0;
};

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TPosition { poDesigned, poScreenCenter };
enum class TBorderStyle { bsSizeable, bsSingle, bsDialog };

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO;

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    // Builds a form: construction, then the loaded notification of it and its components, then
    // FormCreate. An error in FormCreate goes to the application's handler and leaves the form
    // as far as it got, so the program can go on.
    template <class T, class... A> static T* Create(TComponent* AOwner, A&&... args) {
        T* form = new T(AOwner, std::forward<A>(args)...);
        form->AfterConstruction();
        return form;
    }
    void AfterConstruction();
    static TForm* FromHandle(HWND window);

    // Layout, read when the window is created.
    std::string Caption;
    int Left = CW_USEDEFAULT, Top = CW_USEDEFAULT;
    int ClientWidth = 300, ClientHeight = 200;
    TBorderStyle BorderStyle = TBorderStyle::bsSizeable;
    TPosition Position = TPosition::poDesigned;
    TWindowState WindowState = TWindowState::wsNormal;
    std::string FontName = "MS Shell Dlg";
    int FontHeight = 11; // pixels at 96 dpi
    std::vector<TControlDef> Layout;

    void SetCaption(std::string caption);
    bool HasControls() const { return !Layout.empty(); }
    HWND Control(int id) const { return GetDlgItem(FHandle, id); }
    // 96-dpi pixels to screen pixels.
    int Scale(int pixels) const;

    bool Visible() const;
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    TModalResult ShowModal();
    bool Modal() const { return FModal; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult value) { FModalResult = value; }
    // Modal: ends with mrCancel unless a result is set. Otherwise hides the form; closing the
    // main form ends the program.
    void Close();
    HWND FocusedControl() const;

protected:
    virtual void FormCreate() {}
    virtual void FormDestroy() {}
    virtual bool FormCloseQuery() { return true; }
    // A notification from a control (WM_COMMAND with a control handle).
    virtual void Command(int id, int code, HWND control);
    // The form's messages; overrides pass what they do not handle to this one.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateHandle() override;
    void BeforeDestruction() override;

private:
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept;
    void CreateControls();
    void DestroyHandle() noexcept;

    HFONT FFont = nullptr;
    HWND FLastFocus = nullptr;
    TModalResult FModalResult = mrNone;
    bool FModal = false;
};
