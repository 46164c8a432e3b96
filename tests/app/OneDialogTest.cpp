// One dialog at a time on the real program: while any of its dialogs is open, the hidden main
// window is disabled, a real click on the tray icon brings that dialog to the front instead of
// opening the menu, and the hotkeys still act. A program asked to end closes its dialogs
// through their own close paths first.
#include "AppTestUtil.h"
#include "DialogDriver.h"

#include <commctrl.h>

using namespace std::chrono_literals;
using namespace app;

namespace {

const std::string kConfirm = "\xE7\xA1\xAE\xE8\xAE\xA4"; // the question box

struct CaptionCount {
    DWORD pid;
    const std::string* caption;
    int count;
};

BOOL CALLBACK CountCaption(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<CaptionCount*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    if (pid == search->pid && IsWindowVisible(window) && *search->caption == Narrow(text))
        ++search->count;
    return TRUE;
}

// The visible top-level windows of the process with this caption (UTF-8).
int CountWindows(DWORD processId, const std::string& caption) {
    CaptionCount search{processId, &caption, 0};
    EnumWindows(&CountCaption, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

bool MenuOpen() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu);
}

// The scheme file's bytes for sixteen names: each a short text value.
std::string SchemeBytes(const std::vector<std::string>& names) {
    std::string bytes;
    for (const std::string& name : names)
        bytes += TextValue(name);
    return bytes;
}

class OneDialog : public testing::Test {
protected:
    OneDialog() : dir("onedialog") {}
    void SetUp() override {
        dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
        // Ctrl+Alt+E switches the sound on, Ctrl+Alt+D off.
        dir.WriteSettings("Fight", 0xC045, 0xC044);
        ASSERT_TRUE(tappolo.Start(dir));
        ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    }

    // A right and a left click on the tray icon, then the accelerator of the menu item that
    // opened `caption`: the dialog comes to the front, no menu and no second dialog open, and
    // the main window stays disabled.
    void ClickTrayWhileOpen(HWND dialog, const std::string& caption, WORD accelerator) {
        SCOPED_TRACE(caption);
        ASSERT_NE(dialog, nullptr);
        if (icon.x < 0)
            icon = FindTrayIcon(L"Click here for Tappolo Options");
        ASSERT_GE(icon.x, 0) << "the tray icon";
        for (bool right : {true, false}) {
            ClickAt(icon, right);
            wt::PumpMessages(500ms);
            EXPECT_FALSE(MenuOpen()) << (right ? "right" : "left") << " click";
            EXPECT_EQ(GetForegroundWindow(), dialog) << (right ? "right" : "left") << " click";
        }
        PressKey(accelerator);
        wt::PumpMessages(500ms);
        EXPECT_FALSE(MenuOpen());
        EXPECT_EQ(CountWindows(tappolo.Id(), caption), 1);
        EXPECT_FALSE(IsWindowEnabled(tappolo.MainWindow())) << "the owner";
        EXPECT_TRUE(IsWindowVisible(dialog));
    }

    ProgramDir dir;
    AppProcess tappolo;
    POINT icon{-1, -1};
};

} // namespace

TEST_F(OneDialog, ATrayClickBringsEachOpenDialogForwardAndTheHotkeysStillAct) {
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemeSet));
    HWND schemeSet = WaitWindow(tappolo.Id(), "Scheme Set", 5s);
    ClickTrayWhileOpen(schemeSet, "Scheme Set", 'C');
    // The hotkeys switch the sound off and on again with the dialog open.
    PressCombo({VK_CONTROL, VK_MENU, 'D'});
    wt::PumpMessages(300ms);
    EXPECT_TRUE(SoundsOf(VK_F9, dir).empty());
    PressCombo({VK_CONTROL, VK_MENU, 'E'});
    wt::PumpMessages(300ms);
    EXPECT_EQ(SoundsOf(VK_F9, dir), std::vector<std::string>{"schemes\\Fight\\function.wav"});

    Click(ChildByText(schemeSet, "&New"));
    HWND ask = WaitWindow(tappolo.Id(), "New Scheme", 5s);
    ClickTrayWhileOpen(ask, "New Scheme", 'C');
    EXPECT_FALSE(IsWindowEnabled(schemeSet)) << "the dialog under it";
    PressButton(ChildByText(ask, "&Cancel"));
    EXPECT_TRUE(WaitGone(ask, 3s));

    // The first scheme, Alpha, is shown: its question box.
    Click(ChildByText(schemeSet, "&Delete"));
    MessageBoxInfo box = WaitMessageBox(tappolo.Id(), 5s);
    ASSERT_NE(box.Window, nullptr);
    ClickTrayWhileOpen(box.Window, kConfirm, 'C');
    PressButton(box.Window, IDNO);
    EXPECT_TRUE(WaitGone(box.Window, 3s));

    Click(ChildByText(schemeSet, "&Edit"));
    Click(ChildByText(schemeSet, "..."));
    HWND open = WaitWindow(tappolo.Id(), "Open", 5s);
    ClickTrayWhileOpen(open, "Open", 'C');
    PressButton(GetDlgItem(open, IDCANCEL));
    EXPECT_TRUE(WaitGone(open, 3s));
    Click(ChildByText(schemeSet, "&Save"));
    Click(ChildByText(schemeSet, "&Close"));
    EXPECT_TRUE(WaitGone(schemeSet, 3s));
    Sync(tappolo.MainWindow());
    EXPECT_TRUE(IsWindowEnabled(tappolo.MainWindow()));

    ASSERT_TRUE(tappolo.ChooseItem(mpHotKey));
    HWND hotKeys = WaitWindow(tappolo.Id(), "HotKey Setup", 5s);
    ClickTrayWhileOpen(hotKeys, "HotKey Setup", 'K');
    PressButton(ChildByText(hotKeys, "&Cancel"));
    EXPECT_TRUE(WaitGone(hotKeys, 3s));

    ASSERT_TRUE(tappolo.ChooseItem(mpAbout));
    HWND about = WaitWindow(tappolo.Id(), "About...", 5s);
    ClickTrayWhileOpen(about, "About...", 'A');
    SendMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitGone(about, 3s));
    Sync(tappolo.MainWindow());

    // Sound Options and its Add dialog; V, the Volume item's accelerator, is harmless in both
    // (O would press Ok).
    ASSERT_TRUE(tappolo.ChooseItem(mpSoundOptions));
    HWND options = WaitWindow(tappolo.Id(), "Sound Options", 5s);
    ClickTrayWhileOpen(options, "Sound Options", 'V');
    PressButton(ChildByText(options, "&Add..."));
    HWND add = WaitWindow(tappolo.Id(), "Add Program", 5s);
    ClickTrayWhileOpen(add, "Add Program", 'V');
    EXPECT_FALSE(IsWindowEnabled(options)) << "the dialog under it";
    PressButton(ChildByText(add, "&Cancel"));
    EXPECT_TRUE(WaitGone(add, 3s));
    PressButton(ChildByText(options, "&Cancel"));
    EXPECT_TRUE(WaitGone(options, 3s));
    Sync(tappolo.MainWindow());

    ASSERT_TRUE(tappolo.ChooseItem(mpImportPack));
    HWND pack = WaitWindow(tappolo.Id(), "Import Sound Pack", 5s);
    ClickTrayWhileOpen(pack, "Import Sound Pack", 'I');
    PressButton(GetDlgItem(pack, IDCANCEL));
    EXPECT_TRUE(WaitGone(pack, 3s));
    Sync(tappolo.MainWindow());

    // With no dialog open the main window takes input again and the icon opens the menu.
    EXPECT_TRUE(IsWindowEnabled(tappolo.MainWindow()));
    ClickAt(icon, true);
    wt::PumpMessages(500ms);
    EXPECT_TRUE(MenuOpen());
    tappolo.CloseMenu();
}

TEST_F(OneDialog, WmCloseToTheMainWindowAsksSchemeSetsQuestionOnceAndWaitsForItsAnswer) {
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemeSet));
    HWND schemeSet = WaitWindow(tappolo.Id(), "Scheme Set", 5s);
    ASSERT_NE(schemeSet, nullptr);
    Click(ChildByText(schemeSet, "&Edit"));
    Click(ChildByText(schemeSet, "..."));
    ASSERT_TRUE(ChooseFile(tappolo.Id(), dir.SchemesPath() + "Alpha\\t05.wav", 5s));

    HWND main = tappolo.MainWindow();
    PostMessageA(main, WM_CLOSE, 0, 0);
    MessageBoxInfo box = WaitMessageBox(tappolo.Id(), 5s);
    ASSERT_NE(box.Window, nullptr);
    EXPECT_EQ(Narrow(box.Text), "Scheme Alpha have modify, Save it?");
    // Asked again (an installer that keeps asking) while the question waits: it is not
    // answered for the user, nor asked twice.
    PostMessageA(main, WM_CLOSE, 0, 0);
    wt::PumpMessages(500ms);
    EXPECT_TRUE(IsWindowVisible(box.Window));
    EXPECT_EQ(CountWindows(tappolo.Id(), kConfirm), 1);
    PressButton(box.Window, IDYES);
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
    std::vector<std::string> names = DistinctSounds();
    names[0] = "t05.wav";
    EXPECT_EQ(wt::ReadFileBytes(dir.SchemesPath() + "Alpha.tss"), SchemeBytes(names));
}

TEST_F(OneDialog, TheSessionsEndCancelsTheFileDialogAndAsksSchemeSetsQuestion) {
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemeSet));
    HWND schemeSet = WaitWindow(tappolo.Id(), "Scheme Set", 5s);
    ASSERT_NE(schemeSet, nullptr);
    Click(ChildByText(schemeSet, "&Edit"));
    Click(ChildByText(schemeSet, "..."));
    ASSERT_TRUE(ChooseFile(tappolo.Id(), dir.SchemesPath() + "Alpha\\t07.wav", 5s));
    Click(ChildByText(schemeSet, "..."));
    HWND open = WaitWindow(tappolo.Id(), "Open", 5s);
    ASSERT_NE(open, nullptr);

    HWND application = FindWindowA("TApplication", nullptr);
    ASSERT_NE(application, nullptr);
    PostMessageA(application, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    // The file dialog (a box's window class too) goes first.
    EXPECT_TRUE(WaitGone(open, 5s)) << "the file dialog is cancelled";
    MessageBoxInfo box = WaitMessageBox(tappolo.Id(), 5s);
    ASSERT_NE(box.Window, nullptr);
    EXPECT_EQ(Narrow(box.Text), "Scheme Alpha have modify, Save it?");
    PressButton(box.Window, IDYES);
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
    std::vector<std::string> names = DistinctSounds();
    names[0] = "t07.wav";
    EXPECT_EQ(wt::ReadFileBytes(dir.SchemesPath() + "Alpha.tss"), SchemeBytes(names));
}
