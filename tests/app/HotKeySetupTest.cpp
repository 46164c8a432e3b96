// The HotKey Setup dialog on the real program: hotkeys typed into its fields, saved, and acting
// at once in place of the old ones.
#include "AppTestUtil.h"
#include "DialogDriver.h"

#include <commctrl.h>

using namespace std::chrono_literals;
using namespace app;

namespace {

// The stored hotkeys before each test: Ctrl+Alt+Q switches on, Ctrl+Alt+W off. In the file,
// each is the integer tag 04 and four little-endian bytes.
constexpr int32_t kOldEnable = 0xC051, kOldDisable = 0xC057;
const std::string kOldEnableBytes("\x04\x51\xC0\x00\x00", 5);
const std::string kOldDisableBytes("\x04\x57\xC0\x00\x00", 5);

// The settings file with one stored value's bytes exchanged for others.
std::string Exchanged(std::string file, const std::string& from, const std::string& to) {
    const size_t at = file.find(from);
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos)
        file.replace(at, from.size(), to);
    return file;
}

class HotKeySetup : public testing::Test {
protected:
    HotKeySetup() : dir("hotkeys") {}
    void SetUp() override {
        dir.WriteSettings("Fight", kOldEnable, kOldDisable);
        ASSERT_TRUE(tappolo.Start(dir));
        ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    }

    // Opens the dialog from the tray menu; its two hotkey fields in tab order.
    HWND Open() {
        if (!tappolo.ChooseItem(mpHotKey))
            return nullptr;
        HWND dialog = WaitWindow(tappolo.Id(), "HotKey Setup", 5s);
        enable = ChildOfClass(dialog, HOTKEY_CLASSA, 0);
        disable = ChildOfClass(dialog, HOTKEY_CLASSA, 1);
        return dialog;
    }
    static WORD Field(HWND field) { return LOWORD(SendMessageA(field, HKM_GETHOTKEY, 0, 0)); }
    HWND Focused() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(tappolo.MainWindow(), nullptr), &info);
        return info.hwndFocus;
    }
    std::vector<std::string> Sounds() { return SoundsOf('Q', dir); }
    // What a key sounds like after the hotkey Ctrl+Alt+`key` was pressed.
    std::vector<std::string> SoundsAfterHotKey(WORD key) {
        PressCombo({VK_CONTROL, VK_MENU, key});
        wt::PumpMessages(300ms);
        return Sounds();
    }

    ProgramDir dir;
    AppProcess tappolo;
    HWND enable = nullptr, disable = nullptr;
    const std::vector<std::string> letter{"schemes\\Fight\\letter.wav"};
};

} // namespace

TEST_F(HotKeySetup, TypedHotkeysAreSavedAndActAtOnceWhileTheOldOnesAreFreed) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Field(enable), 0x0651) << "the stored Ctrl+Alt+Q";
    EXPECT_EQ(Field(disable), 0x0657);
    EXPECT_EQ(Focused(), ChildByText(dialog, "&Ok")) << "the dialog opens on Ok";

    PressCombo({VK_MENU, 'E'});
    EXPECT_EQ(Focused(), enable) << "the label's accelerator";
    PressKey('E');
    PressKey(VK_TAB);
    EXPECT_EQ(Focused(), disable);
    PressCombo({VK_SHIFT, 'D'});
    EXPECT_EQ(Field(enable), 0x0645) << "E alone becomes Ctrl+Alt+E";
    EXPECT_EQ(Field(disable), 0x0644) << "so does Shift+D";

    const std::string before = wt::ReadFileBytes(dir.SettingsPath());
    PressButton(ChildByText(dialog, "&Ok"));
    ASSERT_TRUE(WaitGone(dialog, 5s));
    const std::string saved =
        Exchanged(Exchanged(before, kOldEnableBytes, std::string("\x04\x45\xC0\x00\x00", 5)),
                  kOldDisableBytes, std::string("\x04\x44\xC0\x00\x00", 5));
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()), saved);

    EXPECT_TRUE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'Q')) << "the old hotkeys are released";
    EXPECT_TRUE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'W'));
    EXPECT_EQ(SoundsAfterHotKey('W'), letter);
    EXPECT_TRUE(SoundsAfterHotKey('D').empty());
    EXPECT_EQ(SoundsAfterHotKey('E'), letter);
}

TEST_F(HotKeySetup, CancelKeepsEverythingOneCombinationForBothOnlySwitchesOnBackSpaceClears) {
    const std::string stored = wt::ReadFileBytes(dir.SettingsPath());
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    PressCombo({VK_MENU, 'D'});
    PressKey('D');
    EXPECT_EQ(Field(disable), 0x0644);
    PressButton(ChildByText(dialog, "&Cancel"));
    ASSERT_TRUE(WaitGone(dialog, 5s));
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()), stored);
    EXPECT_FALSE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'Q')) << "still registered";
    EXPECT_FALSE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'W'));

    // Both Ctrl+Alt+E: only the first registration takes it, and it always means Enable.
    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    PressCombo({VK_MENU, 'E'});
    PressKey('E');
    PressKey(VK_TAB);
    PressKey('E');
    PressButton(ChildByText(dialog, "&Ok"));
    ASSERT_TRUE(WaitGone(dialog, 5s));
    EXPECT_EQ(SoundsAfterHotKey('E'), letter) << "the sound cannot be switched off by the hotkey";
    ASSERT_TRUE(tappolo.ChooseItem(mpDisableSound));
    EXPECT_TRUE(Sounds().empty());
    EXPECT_EQ(SoundsAfterHotKey('E'), letter);

    // BackSpace empties a field; Ok then stores no hotkey (02 00) and frees the combination.
    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    PressCombo({VK_MENU, 'E'});
    PressKey(VK_BACK);
    PressKey(VK_TAB);
    PressKey(VK_BACK);
    // A busy machine gives the dialog its keys late: the fields are read once the last has come.
    for (int i = 0; i < 60 && Field(disable) != 0; ++i)
        wt::PumpMessages(50ms);
    EXPECT_EQ(Field(enable), 0);
    EXPECT_EQ(Field(disable), 0);
    PressButton(ChildByText(dialog, "&Ok"));
    ASSERT_TRUE(WaitGone(dialog, 5s));
    const std::string none("\x02\x00", 2);
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()),
              Exchanged(Exchanged(stored, kOldEnableBytes, none), kOldDisableBytes, none));
    EXPECT_TRUE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'E'));
}

TEST_F(HotKeySetup, AFailedSaveIsReportedAndCancelThenChangesNothingInMemoryOrOnDisk) {
    // A folder takes the settings file's place while the program runs.
    ASSERT_TRUE(DeleteFileA(dir.SettingsPath().c_str()));
    ASSERT_TRUE(CreateDirectoryA(dir.SettingsPath().c_str(), nullptr));
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    PressCombo({VK_MENU, 'E'});
    PressKey('E');
    PressKey(VK_TAB);
    PressKey('D');
    PressButton(ChildByText(dialog, "&Ok"));
    MessageBoxInfo box = WaitMessageBox(tappolo.Id(), 5s);
    ASSERT_NE(box.Window, nullptr);
    EXPECT_EQ(Narrow(box.Text).rfind("Cannot create file \"" + dir.SettingsPath() + "\". ", 0), 0u)
        << Narrow(box.Text);
    PressButton(box.Window, IDOK);
    wt::PumpMessages(300ms);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
    EXPECT_FALSE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'Q')) << "the old hotkeys are still held";
    EXPECT_TRUE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'E')) << "the new one is not registered yet";
    PressButton(ChildByText(dialog, "&Cancel"));
    ASSERT_TRUE(WaitGone(dialog, 5s));

    // The old hotkeys still act: Ctrl+Alt+W switches the sound off, Ctrl+Alt+Q on again.
    EXPECT_TRUE(SoundsAfterHotKey('W').empty());
    EXPECT_EQ(SoundsAfterHotKey('Q'), letter);
    // The next change of mode writes the old codes: 04 51 C0 00 00 and 04 57 C0 00 00.
    ASSERT_TRUE(RemoveDirectoryA(dir.SettingsPath().c_str()));
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 1));
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()),
              SettingsBytes("Fight", "Fight", kOldEnable, kOldDisable));
}
