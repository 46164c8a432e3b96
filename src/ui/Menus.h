#pragma once
// Menu items and pop-up menus. The platform menu is built afresh at each pop-up, so items may be
// added, moved and freed at any time in between.
#include "Component.h"
#include "NameRules.h"
#include "ShortCut.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(std::string value) { FCaption = std::move(value); }
    bool IsLine() const { return FCaption == "-"; }
    bool Checked() const { return FChecked; }
    // Checking a radio item unchecks the other radio items of its group under the same parent.
    void SetChecked(bool value);
    bool RadioItem = false;
    int GroupIndex = 0;
    bool Enabled = true;
    bool Visible = true;
    bool Default = false;
    // A shortcut value (see ShortCut.h), shown after the caption; 0 shows none.
    uint16_t ShortCut = 0;
    TNotifyEvent OnClick;

    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const { return FItems.at(index); }
    TMenuItem* Parent() const { return FParent; }
    int IndexOf(const TMenuItem* item) const;
    int MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item at `index` out of this menu without freeing it.
    void Delete(int index);
    void Remove(TMenuItem* item);
    // Frees every sub-item.
    void Clear();

    // The id of this item in the platform menu's WM_COMMAND.
    uint16_t Command() const { return FCommand; }
    // Runs the item's command; a disabled item does nothing.
    virtual void Click();

private:
    friend class TPopupMenu;
    std::string FCaption;
    bool FChecked = false;
    TMenuItem* FParent = nullptr;
    std::vector<TMenuItem*> FItems;
    uint16_t FCommand = 0;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    TMenuItem* Items() const { return FItems; }
    // Whether the menu opens by itself (from the tray icon, for instance).
    bool AutoPopup = true;
    // The component that opened the menu last.
    TComponent* PopupComponent = nullptr;
    TNotifyEvent OnPopup;
    // Shows the menu at a screen point and returns when it closes; the chosen item's command
    // runs when the message loop delivers it.
    virtual void Popup(int X, int Y);
    // The window that receives the menu's commands.
    static HWND WindowHandle();

private:
    TMenuItem* FItems;
};

// The item whose platform id is `command`, or null.
TMenuItem* FindMenuItem(uint16_t command);
