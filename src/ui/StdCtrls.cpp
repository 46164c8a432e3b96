#include "StdCtrls.h"

#include <imm.h>

#include <cctype>

char TLabel::Accelerator() const {
    std::string text = Text();
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '&') {
            if (text[i + 1] != '&')
                return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
            ++i; // "&&" shows one "&"
        }
    return 0;
}

DWORD TLabel::Style() const {
    // SS_NOTIFY: without it the label lets the mouse through to its parent.
    return SS_NOTIFY | (WordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
}

bool TLabel::Command(int code) {
    if (code != STN_CLICKED && code != STN_DBLCLK)
        return false;
    Click();
    return true;
}

DWORD TButton::Style() const {
    bool isDefault = Form()->DefaultButton() == this;
    return WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::Click() {
    if (!Enabled())
        return;
    TControl::Click();
    // Not reached when the handler fails: the form stays open.
    if (ModalResult != mrNone)
        Form()->SetModalResult(ModalResult);
}

bool TButton::Command(int code) {
    if (code != BN_CLICKED)
        return false;
    Click();
    return true;
}

DWORD TCheckBox::Style() const {
    return WS_TABSTOP | BS_AUTOCHECKBOX | (CaptionLeft ? BS_LEFTTEXT : 0);
}

DWORD TRadioButton::Style() const {
    return BS_AUTORADIOBUTTON | (GroupStart ? WS_TABSTOP : 0);
}

void TButtonControl::Created() {
    SendMessageA(Window(), BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TButtonControl::Checked() const {
    return Window() ? SendMessageA(Window(), BM_GETCHECK, 0, 0) == BST_CHECKED : FChecked;
}

void TButtonControl::SetChecked(bool value) {
    FChecked = value;
    if (Window())
        SendMessageA(Window(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TButtonControl::Command(int code) {
    if (code != BN_CLICKED)
        return false;
    TControl::Click();
    return true;
}

DWORD TEdit::Style() const {
    return WS_TABSTOP | ES_AUTOHSCROLL | (FReadOnly ? ES_READONLY : 0);
}

void TEdit::Created() {
    if (MaxLength > 0)
        SendMessageA(Window(), EM_LIMITTEXT, static_cast<WPARAM>(MaxLength), 0);
    if (ImeOff)
        // A window without an input context gets no input method.
        ImmAssociateContext(Window(), nullptr);
}

void TEdit::SetReadOnly(bool value) {
    FReadOnly = value;
    if (Window())
        SendMessageA(Window(), EM_SETREADONLY, value, 0);
}

void TEdit::SelectAll() {
    SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

bool TEdit::Command(int code) {
    if (code != EN_CHANGE)
        return false;
    if (OnChange)
        OnChange(this);
    return true;
}

LRESULT TEdit::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR && OnKeyPress) {
        // The subclass sees characters in UTF-16; the handler gets the ANSI character. One that
        // needs two ANSI bytes passes unfiltered.
        wchar_t wide = static_cast<wchar_t>(wParam);
        char ansi[2] = {};
        BOOL lossy = FALSE;
        if (WideCharToMultiByte(CP_ACP, 0, &wide, 1, ansi, sizeof ansi, nullptr, &lossy) == 1) {
            char key = ansi[0];
            OnKeyPress(this, key);
            if (key == 0)
                return 0;
            if (key != ansi[0]) {
                MultiByteToWideChar(CP_ACP, 0, &key, 1, &wide, 1);
                wParam = wide;
            }
        }
    }
    return TControl::WndProc(message, wParam, lParam);
}

namespace {

constexpr TListMessages kComboBoxMessages{CB_ADDSTRING, CB_RESETCONTENT, CB_DELETESTRING,
                                          CB_GETCOUNT,  CB_GETLBTEXTLEN, CB_GETLBTEXT,
                                          CB_GETCURSEL, CB_SETCURSEL,    CB_ERR};
constexpr TListMessages kListBoxMessages{LB_ADDSTRING, LB_RESETCONTENT, LB_DELETESTRING,
                                         LB_GETCOUNT,  LB_GETTEXTLEN,   LB_GETTEXT,
                                         LB_GETCURSEL, LB_SETCURSEL,    LB_ERR};

} // namespace

void TItemList::Add(const std::string& item) {
    SendMessageA(Handle(), FMessages.Add, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void TItemList::Clear() {
    SendMessageA(Handle(), FMessages.Reset, 0, 0);
}

void TItemList::Delete(int index) {
    SendMessageA(Handle(), FMessages.Delete, static_cast<WPARAM>(index), 0);
}

int TItemList::Count() const {
    return Window() ? static_cast<int>(SendMessageA(Window(), FMessages.Count, 0, 0)) : 0;
}

std::string TItemList::Items(int index) const {
    if (!Window())
        return {};
    LRESULT length = SendMessageA(Window(), FMessages.TextLength, static_cast<WPARAM>(index), 0);
    if (length == FMessages.Error)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = SendMessageA(Window(), FMessages.Text, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == FMessages.Error ? 0 : static_cast<size_t>(got));
    return text;
}

int TItemList::ItemIndex() const {
    return Window() ? static_cast<int>(SendMessageA(Window(), FMessages.Selection, 0, 0)) : -1;
}

void TItemList::SetItemIndex(int index) {
    SendMessageA(Handle(), FMessages.Select, static_cast<WPARAM>(index), 0);
}

TComboBox::TComboBox(TForm* owner, TControl* parent)
    : TItemList(owner, parent, kComboBoxMessages) {}

DWORD TComboBox::Style() const {
    return WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
}

RECT TComboBox::CreationBounds() const {
    // The window's height is that of the open list; the closed box takes the font's height.
    RECT bounds = BoundsRect();
    bounds.bottom += DropDownCount * (Form()->Font.Height + 5);
    return bounds;
}

std::string TComboBox::Text() const {
    int index = ItemIndex();
    return index < 0 ? std::string() : Items(index);
}

bool TComboBox::Command(int code) {
    if (code != CBN_SELCHANGE)
        return false;
    if (OnSelect)
        OnSelect(this);
    return true;
}

TListBox::TListBox(TForm* owner, TControl* parent) : TItemList(owner, parent, kListBoxMessages) {}

DWORD TListBox::Style() const {
    return WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
}

bool TListBox::Command(int code) {
    if (code == LBN_SELCHANGE && OnSelect) {
        OnSelect(this);
        return true;
    }
    if (code == LBN_DBLCLK && OnDblClick) {
        OnDblClick(this);
        return true;
    }
    return false;
}
