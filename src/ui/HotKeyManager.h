#pragma once
// System-wide hotkeys: registered under global atoms, each press reported with its code.
#include "Component.h"
#include "ShortCut.h"
#include "UtilWindow.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct HotKeyEntry {
    uint32_t HotKey; // the code it was registered with
    uint16_t Id;     // the global atom that is the platform's hotkey id
};

using TOnHotKeyPressed = std::function<void(uint32_t HotKey, uint16_t Index)>;

class THotKeyManager : public TComponent {
public:
    explicit THotKeyManager(TComponent* AOwner);
    ~THotKeyManager() override;

    // The hotkey id, or 0 when the platform refused the combination (taken, most likely).
    uint16_t RegisterShortCutKey(uint32_t code);
    // Unregisters one hotkey and, when that worked, drops it from the list.
    bool ReleaseShortCutKey(const HotKeyEntry& entry);
    // Every hotkey leaves the list, also one whose unregistration failed.
    void ReleaseAllShortCutKeys();
    bool IsShortCutRegistered(uint32_t code) const;
    static TSplitShortCut SplitShortCut(uint32_t code);
    // The code a hotkey message stands for.
    static uint32_t HotKeyFromMessage(LPARAM lParam);

    int Count() const { return static_cast<int>(FEntries.size()); }
    const HotKeyEntry& Entry(int index) const { return *FEntries.at(index); }
    HWND Handle() const { return FWindow.Handle(); }

    TOnHotKeyPressed OnHotKeyPressed;

protected:
    virtual LRESULT HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    std::vector<std::unique_ptr<HotKeyEntry>> FEntries;
    TUtilWindow FWindow;
};
