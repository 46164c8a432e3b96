// The tray menu's commands on the real program: modes picked and saved, sound off and on from
// the menu and the stored hotkeys, the exit, help and the mail link, and a save that fails.
#include "AppTestUtil.h"

#include <algorithm>

using namespace std::chrono_literals;
using namespace app;

using Menu = app::SpeechTest;

namespace {

// Two schemes listed as Alpha (position 1) and Fight (position 2).
void AddAlpha(ProgramDir& dir) {
    dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
}

std::string Settings(const ProgramDir& dir) {
    return wt::ReadFileBytes(dir.SettingsPath());
}

// A text as Wine's trace quotes it: backslashes doubled.
std::string TraceQuoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text)
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out + "\"";
}

// The texts of the menu items the program built since the trace was started.
std::vector<std::string> MenuTexts(wt::TraceLog& trace) {
    std::vector<std::string> texts;
    for (const auto& line : trace.Lines(":menu:set_menu_item_info to:"))
        texts.push_back(wt::TraceString(line));
    return texts;
}

} // namespace

TEST_F(Menu, PickingSchemesAndSpeechWithoutEngineSavesEachModeAtOnce) {
    ProgramDir dir("pick");
    AddAlpha(dir);
    dir.WriteSettings("Fight", 0xC045, 0);
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    EXPECT_EQ(SoundsOf('Q', dir), std::vector<std::string>{"schemes\\Fight\\letter.wav"});

    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 1));
    // The hotkeys are kept.
    EXPECT_EQ(Settings(dir), SettingsBytes("Alpha", "Alpha", 0xC045));
    EXPECT_EQ(SoundsOf('Q', dir), std::vector<std::string>{"schemes\\Alpha\\t12.wav"});

    // Back to the second scheme, then speech on a machine without an engine: the first scheme
    // becomes current, not the one before.
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 2));
    EXPECT_EQ(Settings(dir), SettingsBytes("Fight", "Fight", 0xC045));
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 0));
    EXPECT_EQ(Settings(dir), SettingsBytes("Alpha", "Alpha", 0xC045));
    EXPECT_EQ(SoundsOf(VK_SPACE, dir), std::vector<std::string>{"schemes\\Alpha\\t13.wav"});
}

TEST_F(Menu, SpeechPickedWithEngineSpeaksAndIsKeptAcrossSchemeSwitches) {
    std::string log = UseStub(3);
    ProgramDir dir("speech");
    dir.WriteSettings("Fight");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    EXPECT_TRUE(Calls(log, "SAPI.GetVoices").empty()) << "no search in sound mode";

    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 0));
    EXPECT_EQ(Settings(dir), SettingsBytes("TTS Speak", "TTS"));
    EXPECT_EQ(Calls(log, "SAPI.Voice"), std::vector<std::string>{"SAPI.Voice token=1"});
    speechstub::ClearCalls(log);
    PressKey('7');
    PressKey(VK_F13);
    wt::PumpMessages(500ms);
    EXPECT_EQ(Calls(log, "SAPI.Speak"),
              (std::vector<std::string>{"SAPI.Speak flags=3 text=\"7\"",
                                        "SAPI.Speak flags=3 text=\" F 13\""}));

    // To a scheme and back: the engine found before is used without a new search.
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 1));
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 0));
    EXPECT_TRUE(Calls(log, "SAPI.GetVoices").empty());
    EXPECT_EQ(Settings(dir), SettingsBytes("TTS Speak", "TTS"));
}

TEST_F(Menu, SchemeNamedTtsTurnsKeysToSpeechWhichWithoutEngineIsSilent) {
    ProgramDir dir("ttsfile");
    dir.AddScheme("TTS.tss", DistinctSounds(), "TTS");
    dir.WriteSettings("Fight");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 2)); // TTS Speak, Fight, TTS
    EXPECT_EQ(Settings(dir), SettingsBytes("TTS", "TTS"));
    EXPECT_TRUE(SoundsOf('Q', dir).empty()) << "speech mode without an engine speaks nothing";
    EXPECT_EQ(WaitMessageBox(tappolo.Id(), 200ms).Window, nullptr);
}

TEST_F(Menu, SoundOffAndOnFromTheMenuAndThroughTheStoredHotkeys) {
    ProgramDir dir("onoff");
    const int32_t enable = 0xC045, disable = 0xC044; // Ctrl+Alt+E, Ctrl+Alt+D
    dir.WriteSettings("Fight", enable, disable);
    wt::TraceLog menuTrace;
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir, "trace+menu"));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    const std::vector<std::string> letter{"schemes\\Fight\\letter.wav"};
    EXPECT_FALSE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'E')) << "the program holds its hotkeys";

    ASSERT_TRUE(tappolo.ChooseItem(mpDisableSound));
    // The menu shows each stored hotkey as the shortcut text of its item.
    const auto texts = MenuTexts(menuTrace);
    for (const char* item : {"&Enable Sound\tCtrl+Alt+E", "&Disable Sound\tCtrl+Alt+D"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), item), texts.end()) << item;
    EXPECT_TRUE(SoundsOf('Q', dir).empty());
    ASSERT_TRUE(tappolo.ChooseItem(mpEnableSound));
    EXPECT_EQ(SoundsOf('Q', dir), letter);

    // The enable hotkey while sound is on is swallowed: "&Enable Sound" is disabled.
    PressCombo({VK_CONTROL, VK_MENU, 'E'});
    wt::PumpMessages(300ms);
    EXPECT_EQ(SoundsOf('Q', dir), letter);
    PressCombo({VK_CONTROL, VK_MENU, 'D'});
    wt::PumpMessages(300ms);
    EXPECT_TRUE(SoundsOf('Q', dir).empty());
    PressCombo({VK_CONTROL, VK_MENU, 'D'});
    wt::PumpMessages(300ms);
    EXPECT_TRUE(SoundsOf('Q', dir).empty());
    PressCombo({VK_CONTROL, VK_MENU, 'E'});
    wt::PumpMessages(300ms);
    EXPECT_EQ(SoundsOf('Q', dir), letter);
}

TEST_F(Menu, ExitRemovesEverythingAndWritesNothing) {
    ProgramDir dir("exit");
    dir.WriteSettings("Fight", 0xC045, 0xC044);
    SYSTEMTIME old{2020, 1, 0, 1, 12, 0, 0, 0};
    FILETIME oldTime;
    SystemTimeToFileTime(&old, &oldTime);
    HANDLE file = CreateFileA(dir.SettingsPath().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &oldTime);
    CloseHandle(file);
    const std::string before = wt::ReadFileBytes(dir.SettingsPath());

    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    HWND tray = tappolo.WaitTray(10s);
    ASSERT_NE(tray, nullptr);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, "VobZizeZerav");
    ASSERT_NE(mapping, nullptr) << "the program publishes its window";
    uint32_t published = *static_cast<uint32_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4));
    EXPECT_EQ(published, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(tappolo.MainWindow())));
    CloseHandle(mapping);

    ASSERT_TRUE(tappolo.ChooseItem(mpExit));
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "VobZizeZerav"), nullptr);
    EXPECT_TRUE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'E'));
    EXPECT_TRUE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'D'));
    EXPECT_FALSE(TrayIconPresent(tray)) << "the icon is gone";
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()), before);
    WIN32_FILE_ATTRIBUTE_DATA after;
    ASSERT_TRUE(GetFileAttributesExA(dir.SettingsPath().c_str(), GetFileExInfoStandard, &after));
    EXPECT_EQ(CompareFileTime(&after.ftLastWriteTime, &oldTime), 0) << "no save at exit";
}

TEST_F(Menu, HelpAndSendAQuestionAskTheShellToOpenTheirTargets) {
    ProgramDir dir("shell");
    dir.WriteSettings("Fight");
    wt::TraceLog shell;
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir, "trace+exec"));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    ASSERT_TRUE(tappolo.ChooseItem(mpHelp));
    ASSERT_TRUE(tappolo.ChooseItem(mpSendQuestion));
    // Verb, target, no parameters, no working folder, a normal window.
    auto calls = shell.WaitLines(":exec:ShellExecuteA ", 2, 5s);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_NE(
        calls[0].find(",\"open\"," + TraceQuoted(dir.Path() + "tplhelp.chm") + ",(null),(null),1"),
        std::string::npos)
        << calls[0];
    EXPECT_NE(calls[1].find(",\"open\",\"mailto:support@tappolo.example?subject=About "
                            "Tappolo...\",(null),(null),1"),
              std::string::npos)
        << calls[1];
    EXPECT_EQ(WaitMessageBox(tappolo.Id(), 200ms).Window, nullptr);
    EXPECT_TRUE(tappolo.Running());
}

TEST_F(Menu, ASettingsFileThatCannotBeWrittenIsReportedAndTheProgramGoesOn) {
    ProgramDir dir("blocked");
    AddAlpha(dir);
    dir.WriteSettings("Fight");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    // A folder takes the settings file's place while the program runs.
    ASSERT_TRUE(DeleteFileA(dir.SettingsPath().c_str()));
    ASSERT_TRUE(CreateDirectoryA(dir.SettingsPath().c_str(), nullptr));

    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 1));
    MessageBoxInfo box = WaitMessageBox(tappolo.Id(), 5s);
    ASSERT_NE(box.Window, nullptr) << "the failed save went unreported";
    EXPECT_EQ(Narrow(box.Caption), "Tappolo");
    const std::string text = Narrow(box.Text);
    EXPECT_EQ(text.rfind("Cannot create file \"" + dir.SettingsPath() + "\". ", 0), 0u) << text;
    PressButton(box.Window, IDOK);

    // The scheme was loaded before the save failed: the program goes on with it.
    EXPECT_EQ(SoundsOf('Q', dir), std::vector<std::string>{"schemes\\Alpha\\t12.wav"});
    EXPECT_NE(GetFileAttributesA(dir.SettingsPath().c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    ASSERT_TRUE(tappolo.ChooseItem(mpExit));
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
}
