// The Sound Options dialog on the real program: options set, saved and found again after a
// restart, Cancel putting back what was there, the tray menu's Volume, a held key's repeats,
// and the keys silent while a full-screen window or a listed program is in front.
#include "AppTestUtil.h"
#include "DialogDriver.h"
#include "UniqueHandle_win.h"

#include <commctrl.h>

using namespace std::chrono_literals;
using namespace app;

namespace {

using namespace std::string_literals;

const std::vector<std::string> kLetter{"schemes\\Fight\\letter.wav"};

// The options file as written here from its layout: the format number, volume, stereo and its
// width, variation, its range and per-key choice, release sounds, repeats, the device's ID and
// name, the two silence rules and the program list.
std::string OptionsBytes(const std::string& volume, bool stereo, bool release, bool repeat,
                         const std::vector<std::string>& programs) {
    std::string bytes = "\x02\x01"s + volume + "\x02"s + char(stereo) +
                        "\x02\x64\x02\x00\x02\x0A"s + "\x02\x00\x02"s + char(release) + "\x02"s +
                        char(repeat) + "\x06\x00\x06\x00\x02\x01\x02\x01\x02"s +
                        char(programs.size());
    for (const std::string& program : programs)
        bytes += TextValue(program);
    return bytes;
}

void KeyDown(WORD vk) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    SendInput(1, &input, sizeof input);
}

// A key held for three key-downs and pressed once more (a fourth key-down, then its release):
// the sounds it asked for.
std::vector<std::string> HeldKeySounds(const ProgramDir& dir) {
    wt::PlaySoundTrace trace;
    for (int i = 0; i < 3; ++i) {
        KeyDown('Q');
        wt::PumpMessages(60ms);
    }
    PressKey('Q');
    return Relative(trace.WaitNames(4, 1500ms), dir);
}

// A window of this test program, shown in front: covering the whole screen without a caption,
// or small with one.
class TestWindow {
public:
    explicit TestWindow(bool fullScreen) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = "SoundOptionsTestWindow";
        RegisterClassA(&wc);
        const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        FWindow =
            fullScreen
                ? CreateWindowExA(0, wc.lpszClassName, "Full screen", WS_POPUP | WS_VISIBLE, 0, 0,
                                  width, height, nullptr, nullptr, wc.hInstance, nullptr)
                : CreateWindowExA(0, wc.lpszClassName, "Listed", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  100, 100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
        SetForegroundWindow(FWindow);
        wt::PumpMessages(200ms);
    }
    ~TestWindow() { Close(); }
    HWND Get() const { return FWindow; }
    void Close() {
        if (FWindow)
            DestroyWindow(FWindow);
        FWindow = nullptr;
        wt::PumpMessages(200ms);
    }

private:
    HWND FWindow = nullptr;
};

class SoundOptions : public testing::Test {
protected:
    SoundOptions() : dir("soundopts") { dir.WriteSettings("Fight"); }

    HWND Open() {
        if (!tappolo.ChooseItem(mpSoundOptions))
            return nullptr;
        return WaitWindow(tappolo.Id(), "Sound Options", 5s);
    }
    // The volume the dialog opens with; the dialog closed again by Esc.
    int VolumeShown() {
        HWND dialog = Open();
        if (!dialog)
            return -1;
        const int volume = Position(dialog, 0);
        PressKey(VK_ESCAPE);
        return WaitGone(dialog, 5s) ? volume : -1;
    }
    void Start() {
        ASSERT_TRUE(tappolo.Start(dir));
        ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    }
    void Restart() {
        ASSERT_TRUE(tappolo.ChooseItem(mpExit));
        ASSERT_EQ(tappolo.WaitExit(10s), 0u);
        Start();
    }
    static int Position(HWND dialog, int n) {
        return static_cast<int>(
            SendMessageA(ChildOfClass(dialog, TRACKBAR_CLASSA, n), TBM_GETPOS, 0, 0));
    }
    static bool Checked(HWND dialog, const char* caption) {
        return SendMessageA(ChildByText(dialog, caption), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    std::string Saved() const { return wt::ReadFileBytes(dir.SoundOptionsPath()); }

    ProgramDir dir;
    AppProcess tappolo;
};

} // namespace

TEST_F(SoundOptions, ChangesAreHeardSavedWithOkKeptAfterARestartAndUndoneByCancel) {
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(HeldKeySounds(dir), kLetter) << "by default one sound per press";
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Position(dialog, 0), 100);
    EXPECT_FALSE(Checked(dialog, "&Stereo by key position"));
    EXPECT_TRUE(Checked(dialog, "Play release sou&nds"));
    EXPECT_TRUE(Checked(dialog, "One sound per pr&ess"));
    EXPECT_EQ(ComboItems(ChildOfClass(dialog, "COMBOBOX"))[0], "Default device");

    // The volume by its accelerator and the keyboard; each step plays the letter sound after
    // the sound of the key that moved it (Home sounds as Ctrl, Page Down as itself).
    PressCombo({VK_MENU, 'V'});
    // V is a letter key: its own sound comes before the trace below starts.
    wt::PumpMessages(300ms);
    {
        wt::PlaySoundTrace trace;
        PressKey(VK_HOME);
        for (int i = 0; i < 3; ++i)
            PressKey(VK_NEXT);
        const std::string pageDown = "schemes\\Fight\\pagedown.wav";
        EXPECT_EQ(
            Relative(trace.WaitNames(8, 2s), dir),
            (std::vector<std::string>{"schemes\\Fight\\ctrl.wav", kLetter[0], pageDown, kLetter[0],
                                      pageDown, kLetter[0], pageDown, kLetter[0]}));
    }
    EXPECT_EQ(Position(dialog, 0), 75);
    EXPECT_EQ(TextOf(ChildByText(dialog, "75 %")), "75 %");
    PressButton(ChildByText(dialog, "&Stereo by key position"));
    PressButton(ChildByText(dialog, "Play release sou&nds"));
    PressButton(ChildByText(dialog, "A sound at every a&uto-repeat"));
    EXPECT_EQ(HeldKeySounds(dir), std::vector<std::string>(4, kLetter[0]))
        << "heard while the dialog is open: the first press and its three repeats";

    // A program typed into the Add dialog.
    PressButton(ChildByText(dialog, "&Add..."));
    HWND add = WaitWindow(tappolo.Id(), "Add Program", 5s);
    ASSERT_NE(add, nullptr);
    SetWindowTextA(ChildOfClass(add, "EDIT"), "C:\\Games\\game.exe");
    PressButton(ChildByText(add, "&Ok"));
    ASSERT_TRUE(WaitGone(add, 5s));
    PressButton(ChildByText(dialog, "&Ok"));
    ASSERT_TRUE(WaitGone(dialog, 5s));
    const std::string saved = OptionsBytes("\x02\x4B"s, true, false, true, {"game.exe"});
    EXPECT_EQ(Saved(), saved);

    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_EQ(HeldKeySounds(dir), std::vector<std::string>(4, kLetter[0])) << "after a restart";
    dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Position(dialog, 0), 75);
    EXPECT_TRUE(Checked(dialog, "&Stereo by key position"));
    EXPECT_FALSE(Checked(dialog, "Play release sou&nds"));
    EXPECT_TRUE(Checked(dialog, "A sound at every a&uto-repeat"));
    EXPECT_EQ(SendMessageA(ChildOfClass(dialog, "LISTBOX"), LB_GETCOUNT, 0, 0), 1);

    // Cancel: what was changed meanwhile is undone, in the file and in what is heard.
    PressButton(ChildByText(dialog, "One sound per pr&ess"));
    PressCombo({VK_MENU, 'V'});
    PressKey(VK_END);
    // A busy machine gives the dialog the key late: the volume's preview sound must not fall
    // into what is listened for next.
    for (int i = 0; i < 60 && Position(dialog, 0) != 200; ++i)
        wt::PumpMessages(50ms);
    EXPECT_EQ(Position(dialog, 0), 200);
    wt::PumpMessages(300ms);
    EXPECT_EQ(HeldKeySounds(dir), kLetter) << "the change is heard at once";
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitGone(dialog, 5s));
    EXPECT_EQ(Saved(), saved);
    EXPECT_EQ(HeldKeySounds(dir), std::vector<std::string>(4, kLetter[0])) << "restored";

    // Two clicks from the tray: Volume, 150 %.
    ASSERT_TRUE(tappolo.ChooseItem(mpVolume, 4));
    const std::string at150 = OptionsBytes("\x03\x96\x00"s, true, false, true, {"game.exe"});
    EXPECT_EQ(Saved(), at150);
    EXPECT_EQ(VolumeShown(), 150);

    // The file held by another program: 50 % is taken for now, and the user told it was not kept.
    {
        UniqueFile lock(CreateFileA(dir.SoundOptionsPath().c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        ASSERT_TRUE(tappolo.ChooseItem(mpVolume, 1));
        MessageBoxInfo error = WaitMessageBox(tappolo.Id(), 5s);
        ASSERT_NE(error.Window, nullptr);
        EXPECT_NE(Narrow(error.Text).find("could not be saved"), std::string::npos)
            << Narrow(error.Text);
        PressButton(error.Window, IDOK);
    }
    EXPECT_EQ(Saved(), at150);
    EXPECT_EQ(VolumeShown(), 50);
}

TEST_F(SoundOptions, AListedProgramOrAFullScreenWindowInFrontSilencesTheKeysUntilItGoes) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string name = self;
    name = name.substr(name.find_last_of('\\') + 1);
    ASSERT_TRUE(wt::WriteFileBytes(dir.SoundOptionsPath(),
                                   OptionsBytes("\x02\x64"s, false, true, false, {name})));
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(SoundsOf('Q', dir), kLetter);
    {
        TestWindow listed(false);
        EXPECT_TRUE(SoundsOf('Q', dir).empty()) << "this test program is listed";
        EXPECT_EQ(HoverTrayIcons(), L"silenced: " + std::wstring(name.begin(), name.end()));
    }
    EXPECT_EQ(SoundsOf('Q', dir), kLetter) << "its window closed";
    EXPECT_EQ(HoverTrayIcons(), L"Click here for Tappolo Options");

    // Taken off the list in the dialog: its program list by the accelerator, Remove.
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    PressCombo({VK_MENU, 'G'});
    PressKey(VK_DOWN);
    PressButton(ChildByText(dialog, "Re&move"));
    PressButton(ChildByText(dialog, "&Ok"));
    ASSERT_TRUE(WaitGone(dialog, 5s));
    EXPECT_EQ(Saved(), OptionsBytes("\x02\x64"s, false, true, false, {}));
    {
        TestWindow small(false);
        EXPECT_EQ(SoundsOf('Q', dir), kLetter) << "no longer listed";
    }
    {
        TestWindow fullScreen(true);
        EXPECT_TRUE(SoundsOf('Q', dir).empty()) << "a captionless window over the whole screen";
        fullScreen.Close();
        EXPECT_EQ(SoundsOf('Q', dir), kLetter);
        // (While it covers the screen, it covers the tray too: the tip is read once it went.)
        EXPECT_EQ(HoverTrayIcons(), L"Click here for Tappolo Options");
    }
}
