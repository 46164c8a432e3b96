// The tray menu's commands on the real program: modes picked and saved, sound off and on from
// the menu and the stored hotkeys, and the exit.
#include "AppTestUtil.h"
#include "TextScrambler.h"

using namespace std::chrono_literals;
using namespace app;

using Menu = app::SpeechTest;

namespace {

// Two schemes listed as Alpha (position 1) and Fight (position 2).
void AddAlpha(ProgramDir& dir) {
    dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
}

// The scrambled fields as the settings file must hold them.
void ExpectMode(const TMySetInfo& settings, const std::string& scheme, const std::string& title) {
    EXPECT_EQ(settings.CurrentScheme, scheme);
    EXPECT_EQ(settings.ModeTitle(), ScrambleText(title, 0x00B7));
    EXPECT_EQ(settings.ModeNote(), ScrambleText(title + title, 0x00B7));
    EXPECT_EQ(settings.ModeDescription(), ScrambleText(title + title, 0x00B7));
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
    TMySetInfo settings = ReadSettings(dir.SettingsPath());
    ExpectMode(settings, "Alpha", "Alpha");
    const TMySetInfo defaults;
    EXPECT_EQ(settings.ProductText(), defaults.ProductText());
    EXPECT_EQ(settings.ProgramText(), defaults.ProgramText());
    EXPECT_EQ(settings.EnableHotKey, 0xC045) << "the hotkeys are kept";
    EXPECT_EQ(SoundsOf('Q', dir), std::vector<std::string>{"schemes\\Alpha\\t12.wav"});

    // Back to the second scheme, then speech on a machine without an engine: the first scheme
    // becomes current, not the one before.
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 2));
    ExpectMode(ReadSettings(dir.SettingsPath()), "Fight", "Fight");
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 0));
    ExpectMode(ReadSettings(dir.SettingsPath()), "Alpha", "Alpha");
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
    ExpectMode(ReadSettings(dir.SettingsPath()), "TTS", "TTS Speak");
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
    EXPECT_EQ(ReadSettings(dir.SettingsPath()).CurrentScheme, "TTS");
}

TEST_F(Menu, SchemeNamedTtsTurnsKeysToSpeechWhichWithoutEngineIsSilent) {
    ProgramDir dir("ttsfile");
    dir.AddScheme("TTS.tss", DistinctSounds(), "TTS");
    dir.WriteSettings("Fight");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 2)); // TTS Speak, Fight, TTS
    EXPECT_EQ(ReadSettings(dir.SettingsPath()).CurrentScheme, "TTS");
    EXPECT_TRUE(SoundsOf('Q', dir).empty()) << "speech mode without an engine speaks nothing";
    EXPECT_EQ(WaitMessageBox(tappolo.Id(), 200ms).Window, nullptr);
}

TEST_F(Menu, SoundOffAndOnFromTheMenuAndThroughTheStoredHotkeys) {
    ProgramDir dir("onoff");
    const int32_t enable = 0xC045, disable = 0xC044; // Ctrl+Alt+E, Ctrl+Alt+D
    dir.WriteSettings("Fight", enable, disable);
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    const std::vector<std::string> letter{"schemes\\Fight\\letter.wav"};
    EXPECT_FALSE(HotKeyFree(MOD_CONTROL | MOD_ALT, 'E')) << "the program holds its hotkeys";

    ASSERT_TRUE(tappolo.ChooseItem(mpDisableSound));
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
