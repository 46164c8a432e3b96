#pragma once
// The standard controls: labels, buttons, check boxes, radio buttons, edits, drop-down lists
// and list boxes.
#include "Forms.h"

#include <cstdint>
#include <string>

class TLabel : public TControl {
public:
    using TControl::TControl;
    // The control that the caption's accelerator ("&Keys") gives the focus to, wherever it is
    // in the tab order.
    TControl* FocusControl = nullptr;
    bool WordWrap = false;
    // The accelerator character of the caption, upper case; 0 when it has none.
    char Accelerator() const;

protected:
    const char* ClassName() const override { return "STATIC"; }
    DWORD Style() const override;
    DWORD ExStyle() const override { return Transparent ? WS_EX_TRANSPARENT : 0; }
    bool Command(int code) override;
};

class TButton : public TControl {
public:
    using TControl::TControl;
    // Ends a modal form with this result when pressed, once OnClick has run without an error.
    TModalResult ModalResult = mrNone;
    void Click() override;

protected:
    const char* ClassName() const override { return "BUTTON"; }
    DWORD Style() const override;
    bool Command(int code) override;
};

// A button that holds a checked state: the check box and the radio button.
class TButtonControl : public TControl {
public:
    using TControl::TControl;
    bool Checked() const;
    void SetChecked(bool value);

protected:
    const char* ClassName() const override { return "BUTTON"; }
    void Created() override;
    bool Command(int code) override;

private:
    bool FChecked = false;
};

class TCheckBox : public TButtonControl {
public:
    using TButtonControl::TButtonControl;
    // The caption left of the box.
    bool CaptionLeft = false;

protected:
    DWORD Style() const override;
};

// One of a group of choices: the first button of a group starts it (GroupStart; it takes the
// Tab stop), the arrow keys move within it, and checking one clears the others. The control
// after the group starts a group of its own.
class TRadioButton : public TButtonControl {
public:
    using TButtonControl::TButtonControl;

protected:
    DWORD Style() const override;
};

class TEdit : public TControl {
public:
    using TControl::TControl;
    // At most this many characters can be typed or pasted; 0 for the platform's limit.
    int MaxLength = 0;
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    // No input method editor while the field has the focus.
    bool ImeOff = false;
    void SelectAll();

    TNotifyEvent OnChange;
    // Each typed character; set Key to 0 to discard it. Pasted text does not come here.
    TKeyPressEvent OnKeyPress;

protected:
    const char* ClassName() const override { return "EDIT"; }
    DWORD Style() const override;
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    void Created() override;
    bool Command(int code) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool FReadOnly = false;
};

// A drop-down list that cannot be typed into, in the order of its items.
// The messages a list control takes: the combo box's and the list box's differ in their codes
// alone.
struct TListMessages {
    UINT Add, Reset, Delete, Count, TextLength, Text, Selection, Select;
    LRESULT Error;
};

// Texts in the order they were added, one of them selected.
class TItemList : public TControl {
public:
    void Add(const std::string& item);
    void Clear();
    void Delete(int index);
    int Count() const;
    std::string Items(int index) const;
    // -1 when nothing is selected. Setting it does not run OnSelect.
    int ItemIndex() const;
    void SetItemIndex(int index);

    // The user chose an item.
    TNotifyEvent OnSelect;

protected:
    TItemList(TForm* owner, TControl* parent, const TListMessages& messages)
        : TControl(owner, parent), FMessages(messages) {}

private:
    const TListMessages& FMessages;
};

class TComboBox : public TItemList {
public:
    explicit TComboBox(TForm* owner, TControl* parent = nullptr);
    int DropDownCount = 8;

    // The selected item's text, empty when nothing is selected.
    std::string Text() const;

protected:
    const char* ClassName() const override { return "COMBOBOX"; }
    DWORD Style() const override;
    RECT CreationBounds() const override;
    bool Command(int code) override;
};

class TListBox : public TItemList {
public:
    explicit TListBox(TForm* owner, TControl* parent = nullptr);

    // An item was double-clicked.
    TNotifyEvent OnDblClick;

protected:
    const char* ClassName() const override { return "LISTBOX"; }
    DWORD Style() const override;
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    bool Command(int code) override;
};
