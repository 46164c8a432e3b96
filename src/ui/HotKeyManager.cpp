#include "HotKeyManager.h"

#include <algorithm>

static_assert(kModAlt == MOD_ALT && kModControl == MOD_CONTROL && kModShift == MOD_SHIFT &&
              kModWin == MOD_WIN);

THotKeyManager::THotKeyManager(TComponent* AOwner)
    : TComponent(AOwner), FWindow([this](UINT message, WPARAM wParam, LPARAM lParam) {
          return HandleWindowMessage(message, wParam, lParam);
      }) {}

THotKeyManager::~THotKeyManager() {
    ReleaseAllShortCutKeys();
    FWindow.Destroy();
}

TSplitShortCut THotKeyManager::SplitShortCut(uint32_t code) {
    return ::SplitShortCut(code);
}

uint32_t THotKeyManager::HotKeyFromMessage(LPARAM lParam) {
    return ::HotKeyFromMessage(LOWORD(lParam), HIWORD(lParam));
}

uint16_t THotKeyManager::RegisterShortCutKey(uint32_t code) {
    TSplitShortCut split = SplitShortCut(code);
    ATOM id = GlobalAddAtomA(HotKeyAtomName(code).c_str());
    if (id == 0)
        return 0;
    if (!RegisterHotKey(FWindow.Handle(), id, split.Modifiers, split.Key)) {
        GlobalDeleteAtom(id);
        return 0;
    }
    FEntries.push_back(std::make_unique<HotKeyEntry>(HotKeyEntry{code, id}));
    return id;
}

bool THotKeyManager::ReleaseShortCutKey(const HotKeyEntry& entry) {
    bool ok = UnregisterHotKey(FWindow.Handle(), entry.Id) != FALSE;
    GlobalDeleteAtom(entry.Id);
    if (ok) {
        // The entry leaves the list as it is freed, so the list never holds a freed entry.
        auto found = std::find_if(FEntries.begin(), FEntries.end(),
                                  [&](const auto& e) { return e.get() == &entry; });
        if (found != FEntries.end())
            FEntries.erase(found);
    }
    return ok;
}

void THotKeyManager::ReleaseAllShortCutKeys() {
    while (!FEntries.empty()) {
        size_t before = FEntries.size();
        ReleaseShortCutKey(*FEntries.back());
        if (FEntries.size() == before)
            FEntries.pop_back();
    }
}

bool THotKeyManager::IsShortCutRegistered(uint32_t code) const {
    return std::any_of(FEntries.begin(), FEntries.end(),
                       [code](const auto& e) { return e->HotKey == code; });
}

LRESULT THotKeyManager::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY && OnHotKeyPressed) {
        uint32_t code = HotKeyFromMessage(lParam);
        if (IsShortCutRegistered(code))
            OnHotKeyPressed(code, LOWORD(wParam));
    }
    return DefWindowProcA(FWindow.Handle(), message, wParam, lParam);
}
