#include "Menus.h"

#include "Exception.h"
#include "LastError.h"
#include "UniqueHandle_win.h"
#include "UtilWindow.h"

#include <algorithm>
#include <unordered_map>

namespace {

std::unordered_map<uint16_t, TMenuItem*>& ItemsByCommand() {
    static std::unordered_map<uint16_t, TMenuItem*> items;
    return items;
}

uint16_t NewCommand(TMenuItem* item) {
    static uint16_t next = 0;
    auto& items = ItemsByCommand();
    if (items.size() >= 0xFFFE)
        throw Exception("Too many menu items");
    do {
        ++next;
    } while (next == 0 || items.count(next));
    items[next] = item;
    return next;
}

// Adds the visible items of `parent` to the platform menu `menu`.
void BuildMenu(HMENU menu, const TMenuItem& parent) {
    UINT position = 0;
    for (int i = 0; i < parent.Count(); ++i) {
        const TMenuItem& item = *parent.Items(i);
        if (!item.Visible)
            continue;
        std::string text = item.Caption();
        if (item.ShortCut != 0)
            text.append("\t").append(ShortCutToText(item.ShortCut));
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
        info.wID = item.Command();
        if (item.IsLine()) {
            info.fType = MFT_SEPARATOR;
        } else {
            info.fMask |= MIIM_STRING;
            info.fType = MFT_STRING | (item.RadioItem ? MFT_RADIOCHECK : 0);
            info.dwTypeData = text.data();
            info.fState = (item.Checked() ? MFS_CHECKED : 0u) |
                          (item.Enabled ? 0u : MFS_DISABLED | MFS_GRAYED) |
                          (item.Default ? MFS_DEFAULT : 0u);
        }
        if (item.Count() > 0 && !item.IsLine()) {
            UniqueMenu sub(CreatePopupMenu());
            ThrowLastErrorIf(!sub, "Cannot create a menu");
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = sub.Get();
            ThrowLastErrorIf(!InsertMenuItemA(menu, position, TRUE, &info),
                             "Cannot build the menu");
            // Owned by `menu` from the insertion on; destroyed with it.
            BuildMenu(sub.Release(), item);
        } else {
            ThrowLastErrorIf(!InsertMenuItemA(menu, position, TRUE, &info),
                             "Cannot build the menu");
        }
        ++position;
    }
}

LRESULT PopupListProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == 0 && lParam == 0) {
        if (TMenuItem* item = FindMenuItem(LOWORD(wParam)))
            item->Click();
        return 0;
    }
    return DefWindowProcA(TPopupMenu::WindowHandle(), message, wParam, lParam);
}

} // namespace

TMenuItem* FindMenuItem(uint16_t command) {
    auto& items = ItemsByCommand();
    auto found = items.find(command);
    return found == items.end() ? nullptr : found->second;
}

// --- TMenuItem ---------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {
    FCommand = NewCommand(this);
}

TMenuItem::~TMenuItem() {
    Clear();
    if (FParent)
        FParent->Remove(this);
    ItemsByCommand().erase(FCommand);
}

void TMenuItem::SetChecked(bool value) {
    FChecked = value;
    if (!value || !RadioItem || !FParent)
        return;
    for (TMenuItem* sibling : FParent->FItems)
        if (sibling != this && sibling->RadioItem && sibling->GroupIndex == GroupIndex)
            sibling->FChecked = false;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto found = std::find(FItems.begin(), FItems.end(), item);
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item || item == this)
        throw Exception("Cannot insert this menu item");
    if (item->FParent)
        throw Exception("Menu inserted twice");
    if (index < 0 || index > Count())
        throw Exception("List index out of bounds");
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
}

void TMenuItem::Delete(int index) {
    if (index < 0 || index >= Count())
        throw Exception("List index out of bounds");
    FItems[index]->FParent = nullptr;
    FItems.erase(FItems.begin() + index);
}

void TMenuItem::Remove(TMenuItem* item) {
    int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
}

void TMenuItem::Clear() {
    while (!FItems.empty())
        TComponent::Free(FItems.back());
}

void TMenuItem::Click() {
    if (Enabled && OnClick)
        OnClick(this);
}

// --- TPopupMenu --------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(this)) {}

HWND TPopupMenu::WindowHandle() {
    // One window for all menus of the thread, alive until the process ends: a posted command
    // may still be on its way after any one menu is gone.
    static TUtilWindow* window = new TUtilWindow(&PopupListProc);
    return window->Handle();
}

void TPopupMenu::Popup(int X, int Y) {
    if (OnPopup)
        OnPopup(this);
    UniqueMenu menu(CreatePopupMenu());
    ThrowLastErrorIf(!menu, "Cannot create a menu");
    BuildMenu(menu.Get(), *FItems);
    TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, X, Y, 0, WindowHandle(), nullptr);
}
