#include "HotKeyManager.h"

#include <algorithm>

std::string HotKeyAtomName(uint32_t code) {
    std::string name = "HotKeyManagerHotKey";
    name += std::to_string(code);
    return name;
}

THotKeyManager::THotKeyManager(TComponent* AOwner)
    : TComponent(AOwner), FWindow([this](UINT message, WPARAM wParam, LPARAM lParam) {
          return HandleWindowMessage(message, wParam, lParam);
      }) {}

THotKeyManager::~THotKeyManager() {
    ReleaseAllShortCutKeys();
    FWindow.Destroy();
}

TSplitShortCut THotKeyManager::SplitShortCut(uint32_t code) {
    TSplitShortCut split{0, static_cast<uint16_t>(code & 0xFF)};
    if (code & hkWin)
        split.Modifiers |= MOD_WIN;
    if (code & hkAlt)
        split.Modifiers |= MOD_ALT;
    if (code & hkCtrl)
        split.Modifiers |= MOD_CONTROL;
    if (code & hkShift)
        split.Modifiers |= MOD_SHIFT;
    return split;
}

uint32_t THotKeyManager::HotKeyFromMessage(LPARAM lParam) {
    uint32_t modifiers = LOWORD(lParam);
    uint32_t code = HIWORD(lParam);
    if (modifiers & MOD_SHIFT)
        code += hkShift;
    if (modifiers & MOD_CONTROL)
        code += hkCtrl;
    if (modifiers & MOD_ALT)
        code += hkAlt;
    if (modifiers & MOD_WIN)
        code += hkWin;
    return code;
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
