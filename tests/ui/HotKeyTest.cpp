// System-wide hotkeys pressed through the input system, and their contention with another
// process.
#include "HotKeyManager.h"
#include "WineTest.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

const char kChildVariable[] = "TAPPOLO_HOTKEY_CHILD";
const char kReadyEvent[] = "TappoloHotKeyChildReady";
const char kDoneEvent[] = "TappoloHotKeyChildDone";

constexpr uint32_t kCtrlAltE = 0xC045;
constexpr uint32_t kCtrlShiftF9 = kHotKeyCtrl | kHotKeyShift | VK_F9;

void SendKeys(std::vector<WORD> modifiers, WORD key) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, DWORD flags) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = flags;
        inputs.push_back(in);
    };
    for (WORD m : modifiers)
        add(m, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m)
        add(*m, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressCtrlAltE() {
    SendKeys({VK_CONTROL, VK_MENU}, 'E');
}

// Another process that tries to register `code` and holds it while `hold`.
class Child {
public:
    Child(const char* mode, uint32_t code) {
        FReady = CreateEventA(nullptr, TRUE, FALSE, kReadyEvent);
        FDone = CreateEventA(nullptr, TRUE, FALSE, kDoneEvent);
        char exe[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        SetEnvironmentVariableA(kChildVariable,
                                (std::string(mode) + ":" + std::to_string(code)).c_str());
        std::string command = std::string("\"") + exe + "\" --gtest_filter=HotKeyChild.Run";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        FStarted = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &FProcess);
        SetEnvironmentVariableA(kChildVariable, nullptr);
    }
    bool WaitReady() { return FStarted && WaitForSingleObject(FReady, 20000) == WAIT_OBJECT_0; }
    // Exit code: 10 when the child could register the combination, 11 when not.
    DWORD Finish() {
        SetEvent(FDone);
        if (!FStarted)
            return 0;
        WaitForSingleObject(FProcess.hProcess, 20000);
        DWORD code = 0;
        GetExitCodeProcess(FProcess.hProcess, &code);
        return code;
    }
    ~Child() {
        if (FStarted) {
            CloseHandle(FProcess.hThread);
            CloseHandle(FProcess.hProcess);
        }
        CloseHandle(FReady);
        CloseHandle(FDone);
    }

private:
    HANDLE FReady, FDone;
    PROCESS_INFORMATION FProcess{};
    BOOL FStarted = FALSE;
};

struct Press {
    uint32_t HotKey;
    uint16_t Index;
};

} // namespace

// The other process of Child: registers the combination, says so, holds it until told.
TEST(HotKeyChild, Run) {
    const char* value = std::getenv(kChildVariable);
    if (!value)
        GTEST_SKIP() << "only run as a child process";
    uint32_t code = static_cast<uint32_t>(std::strtoul(std::strchr(value, ':') + 1, nullptr, 10));
    auto split = THotKeyManager::SplitShortCut(code);
    BOOL ok = RegisterHotKey(nullptr, 0x2222, split.Modifiers, split.Key);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, kReadyEvent);
    HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, kDoneEvent);
    SetEvent(ready);
    WaitForSingleObject(done, 20000);
    ExitProcess(ok ? 10 : 11);
}

TEST(HotKey, PressesReachTheHandlerWithCodeAndIdUntilReleased) {
    TOwned<THotKeyManager> hkm(new THotKeyManager(nullptr));
    std::vector<Press> presses;
    hkm->OnHotKeyPressed = [&](uint32_t HotKey, uint16_t Index) {
        presses.push_back({HotKey, Index});
    };
    uint16_t enableId = hkm->RegisterShortCutKey(kCtrlAltE);
    uint16_t disableId = hkm->RegisterShortCutKey(kCtrlShiftF9);
    ASSERT_NE(enableId, 0);
    ASSERT_NE(disableId, 0);
    EXPECT_EQ(enableId, GlobalFindAtomA("HotKeyManagerHotKey49221"));
    EXPECT_EQ(hkm->RegisterShortCutKey(kCtrlAltE), 0) << "the same combination twice";
    EXPECT_EQ(hkm->Count(), 2);

    PressCtrlAltE();
    wt::PumpMessages(300ms);
    SendKeys({VK_CONTROL, VK_SHIFT}, VK_F9);
    wt::PumpMessages(300ms);
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].HotKey, kCtrlAltE);
    EXPECT_EQ(presses[0].Index, enableId);
    EXPECT_EQ(presses[1].HotKey, kCtrlShiftF9);
    EXPECT_EQ(presses[1].Index, disableId);

    hkm->ReleaseAllShortCutKeys();
    EXPECT_EQ(hkm->Count(), 0);
    EXPECT_FALSE(hkm->IsShortCutRegistered(kCtrlAltE));
    PressCtrlAltE();
    wt::PumpMessages(300ms);
    EXPECT_EQ(presses.size(), 2u);
}

TEST(HotKey, StrayBitsRegisterTheCombinationButItsPressesAreNeverReported) {
    TOwned<THotKeyManager> hkm(new THotKeyManager(nullptr));
    int presses = 0;
    hkm->OnHotKeyPressed = [&](uint32_t, uint16_t) { ++presses; };
    for (uint32_t stray : {0x0100u, 0x1000u, 0x20000u, 0x80000000u}) {
        ASSERT_NE(hkm->RegisterShortCutKey(kCtrlAltE | stray), 0) << stray;
        PressCtrlAltE();
        wt::PumpMessages(250ms);
        hkm->ReleaseAllShortCutKeys();
    }
    EXPECT_EQ(presses, 0);
    // The same combination without stray bits is reported: the presses did arrive.
    ASSERT_NE(hkm->RegisterShortCutKey(kCtrlAltE), 0);
    PressCtrlAltE();
    wt::PumpMessages(250ms);
    EXPECT_EQ(presses, 1);
}

TEST(HotKey, ACombinationHeldByAnotherProcessIsRefusedAndAddsNothing) {
    TOwned<THotKeyManager> hkm(new THotKeyManager(nullptr));
    Child holder("hold", kCtrlShiftF9);
    ASSERT_TRUE(holder.WaitReady());
    EXPECT_EQ(hkm->RegisterShortCutKey(kCtrlShiftF9), 0);
    EXPECT_EQ(hkm->Count(), 0);
    EXPECT_EQ(GlobalFindAtomA(HotKeyAtomName(kCtrlShiftF9).c_str()), 0) << "the atom is given back";
    EXPECT_EQ(holder.Finish(), 10u);
}

TEST(HotKey, DestructionFreesTheCombinationsForOtherPrograms) {
    {
        TOwned<THotKeyManager> hkm(new THotKeyManager(nullptr));
        ASSERT_NE(hkm->RegisterShortCutKey(kCtrlShiftF9), 0);
        Child refused("try", kCtrlShiftF9);
        ASSERT_TRUE(refused.WaitReady());
        EXPECT_EQ(refused.Finish(), 11u);
    }
    Child taker("try", kCtrlShiftF9);
    ASSERT_TRUE(taker.WaitReady());
    EXPECT_EQ(taker.Finish(), 10u);
    EXPECT_EQ(GlobalFindAtomA(HotKeyAtomName(kCtrlShiftF9).c_str()), 0);
}
