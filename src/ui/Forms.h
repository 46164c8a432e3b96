#pragma once
// Windows and modal dialogs whose layouts are data.
//
// Writing a dialog:
//
//   class TNameForm : public TForm {
//   public:
//       explicit TNameForm(TComponent* AOwner) : TForm(AOwner) {
//           Caption = "New Scheme";
//           BorderStyle = TBorderStyle::bsDialog;
//           Position = TPosition::poScreenCenter;
//           ClientWidth = 231;
//           ClientHeight = 111;
//           Build({                       // rows in tab order; 96-dpi client pixels
//               {&Label1, "Label1", "&Scheme Name", 24, 12, 80, 13},
//               {&edtSchemeName, "edtSchemeName", "", 24, 32, 185, 21},
//               {&btnOK, "btnOK", "&OK", 32, 72, 75, 25},
//               {&btnCancel, "btnCancel", "&Cancel", 128, 72, 75, 25},
//           });
//           Label1->FocusControl = edtSchemeName;
//           edtSchemeName->MaxLength = 20;
//           edtSchemeName->OnKeyPress = Handler(&TNameForm::edtSchemeNameKeyPress);
//           btnOK->ModalResult = mrOk;
//           btnCancel->ModalResult = mrCancel;
//           SetDefaultButton(btnOK);      // Enter; none declared: Enter does nothing
//           SetCancelButton(btnCancel);   // Esc; none declared: Esc does nothing
//       }
//       TLabel* Label1; TEdit* edtSchemeName; TButton* btnOK; TButton* btnCancel;
//   protected:
//       void FormCreate() override {}   // the windows exist here: fill lists, read settings
//       void edtSchemeNameKeyPress(TComponent* Sender, char& Key);
//   };
//
//   TOwned<TNameForm> form(TForm::Create<TNameForm>(owner));
//   if (form->ShowModal() == mrOk) ...
//
// Handlers take the sender first: void btnSaveClick(TComponent* Sender). A handler's error goes
// to the application's error box and closes nothing (a button's ModalResult is applied only
// after its OnClick returned). The first control in the tab order has the focus when ShowModal
// opens the form; a focused push button takes Enter itself, as everywhere on the platform.
//
// A container: a row {&pnlKeyboard, "pnlKeyboard", "", 8, 37, 492, 158}; its children are
// made with it as parent, as a row {&pnlEsc, &pnlKeyboard, "pnlEsc", "Esc", 5, 6, 20, 21} or in
// a loop over a key table:
//   auto* key = new TPanel(this, pnlKeyboard);   // owned by the form, placed in the panel
//   key->SetBounds(5, 6, 20, 21); key->SetText("Esc"); key->Tag = 14;
//   key->OnClick = Handler(&TSchemeForm::Panel2Click);
//   key->SetHint("Print Screen");                // a tooltip
// Their notifications reach their objects through the container. A panel looks pressed with
// SetBevelOuter(TBevelCut::bvLowered) and SetFontColor(clMaroon). Standard controls (TLabel,
// TButton, TCheckBox, TEdit, TComboBox) are in StdCtrls.h; TPanel, TSpeedButton (never takes
// the focus), TBevel and TImage in ExtCtrls.h; THotKey in ComCtrls.h; TOpenDialog in
// Dialogs.h.
#include "Controls.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class TButton;

// One control of a form made from a raw window class (for windows no control type covers).
// Positions are 96-dpi pixels in the client area; the table order is the tab order.
struct TControlDef {
    const char* Name;
    const char* ClassName; // "BUTTON", "STATIC", "EDIT", ...
    const char* Caption;
    int Id;
    int Left, Top, Width, Height;
    DWORD Style; // besides WS_CHILD | WS_VISIBLE
    DWORD ExStyle = 0;
};

// One row of a form's layout: makes a control of the field's type, stores it in the field and
// names it. With a parent field, the control lies in that container (an earlier row).
struct TLayoutRow {
    template <class T>
    TLayoutRow(T** field, const char* name, const char* caption, int left, int top, int width,
               int height)
        : Make([field](TForm* form) { return *field = new T(form); }), Name(name), Caption(caption),
          Left(left), Top(top), Width(width), Height(height) {}
    template <class T, class P>
    TLayoutRow(T** field, P** parent, const char* name, const char* caption, int left, int top,
               int width, int height)
        : Make([field, parent](TForm* form) { return *field = new T(form, *parent); }), Name(name),
          Caption(caption), Left(left), Top(top), Width(width), Height(height) {}

    std::function<TControl*(TForm*)> Make;
    const char* Name;
    const char* Caption;
    int Left, Top, Width, Height;
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
    // its window and controls, then FormCreate. An error on the way goes to the application's
    // handler and leaves the form as far as it got, so the program can go on.
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
    TFont Font{"MS Shell Dlg", 11};
    // Raw rows, made after the controls of Build.
    std::vector<TControlDef> Layout;

    // Makes the controls of a layout table, in its order.
    void Build(std::initializer_list<TLayoutRow> rows);
    // Binds a method of the form as an event handler.
    template <class F, class... A> std::function<void(A...)> Handler(void (F::*method)(A...)) {
        F* self = static_cast<F*>(this);
        return [self, method](A... args) { (self->*method)(args...); };
    }

    // Enter presses the default button, Esc the cancel button; with none declared the key does
    // nothing. A focused push button takes Enter itself, as everywhere on the platform.
    void SetDefaultButton(TButton* button);
    void SetCancelButton(TButton* button);
    TButton* DefaultButton() const { return FDefaultButton; }
    TButton* CancelButton() const { return FCancelButton; }

    void SetCaption(std::string caption);
    bool HasControls() const { return FControlCount > 0; }
    HWND Control(int id) const { return GetDlgItem(FHandle.Get(), id); }
    // 96-dpi pixels to screen pixels: the system's DPI, read once.
    int Scale(int pixels) const;
    HFONT FontHandle() const { return FFont.Get(); }

    bool Visible() const;
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    TModalResult ShowModal();
    bool Modal() const { return FModal; }
    TModalResult ModalResult() const { return FModalResult; }
    // Ends the modal loop with this result; also from a message sent by another thread, which
    // the loop would otherwise not see until its next queued message.
    void SetModalResult(TModalResult value);
    // Modal: ends with mrCancel unless a result is set. Otherwise hides the form; closing the
    // main form ends the program. Every way of closing passes FormCloseQuery.
    void Close();
    HWND FocusedControl() const;
    // Keyboard navigation of the form's controls for a message of its window tree: label
    // accelerators, Tab, Enter and Esc. True when the message was used.
    bool DialogMessage(MSG& msg);

protected:
    virtual void FormCreate() {}
    virtual void FormDestroy() {}
    virtual bool FormCloseQuery() { return true; }
    // A notification from a control that no control object took.
    virtual void Command(int id, int code, HWND control);
    // The form's messages; overrides pass what they do not handle to this one.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateHandle() override;
    void BeforeDestruction() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TControl;
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept;
    void CreateControls();
    void DestroyHandle() noexcept;
    int NewControlId() { return FNextId++; }
    void ControlAdded() { ++FControlCount; }
    void ControlRemoved() { --FControlCount; }
    void UpdateToolTip(TControl* control);
    bool RunCloseQuery();
    // The program ends while the form is modal: its close query runs now; when it agrees, the
    // form hides and its loop ends with mrCancel without asking again. False: it refused.
    bool QueryEnd();
    bool FocusLabelTarget(char key);

    UniqueFont FFont;
    HWND FToolTip = nullptr;
    HWND FLastFocus = nullptr;
    TButton* FDefaultButton = nullptr;
    TButton* FCancelButton = nullptr;
    TModalResult FModalResult = mrNone;
    bool FModal = false;
    bool FEndAgreed = false;
    bool FInCloseQuery = false;
    bool FRawMade = false;
    bool FDestroyingControls = false;
    int FNextId = 1000;
    int FControlCount = 0;
};
