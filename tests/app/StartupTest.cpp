// Start-up and shutdown of the real program: settings, single instance, scheme fallbacks.
#include "AppTestUtil.h"

using namespace std::chrono_literals;
using namespace app;

using Startup = app::SpeechTest;

TEST_F(Startup, FreshStartWithoutSpeechEngineTakesTheFirstSchemeAndWritesTheSettings) {
    ProgramDir dir("fresh");
    // A balloon of an earlier program must not count for this one.
    ASSERT_TRUE(NoTrayBalloon(15s));
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr) << "no tray icon";
    EXPECT_TRUE(IsIconic(tappolo.MainWindow())) << "the main window is created minimised";
    // The start's balloon and the icon's tip, as the shell shows them.
    EXPECT_EQ(WaitTrayTooltip(true, 5s), L"Click here for Tappolo Options");
    EXPECT_EQ(HoverTrayIcons(), L"Click here for Tappolo Options");
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()), SettingsBytes("Fight", "Fight"));
    EXPECT_EQ(SoundsOf('Q', dir), std::vector<std::string>{"schemes\\Fight\\letter.wav"});

    ASSERT_TRUE(tappolo.ChooseItem(mpExit));
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
}

TEST_F(Startup, FreshStartWithSpeechEngineSpeaksAndWritesNothing) {
    std::string log = UseStub(2);
    ProgramDir dir("freshtts");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    EXPECT_EQ(GetFileAttributesA(dir.SettingsPath().c_str()), INVALID_FILE_ATTRIBUTES)
        << "speech mode as stored needs no save";
    wt::PlaySoundTrace trace;
    PressKey('Q');
    wt::PumpMessages(500ms);
    EXPECT_EQ(Calls(log, "SAPI.Speak"), std::vector<std::string>{"SAPI.Speak flags=3 text=\"Q\""});
    EXPECT_TRUE(trace.Names().empty());
}

TEST_F(Startup, DamagedSettingsEndTheProgramBeforeAnyWindow) {
    ProgramDir dir("damaged");
    // Eight values only: the ninth is cut off where it begins.
    std::vector<std::string> values = SettingsValues("Fight", "Fight");
    values.pop_back();
    std::string bytes;
    for (const auto& value : values)
        bytes += value;
    wt::WriteFileBytes(dir.SettingsPath(), bytes);

    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    MessageBoxInfo box = WaitMessageBox(tappolo.Id(), 10s);
    ASSERT_NE(box.Window, nullptr);
    EXPECT_EQ(box.Caption, L"\x9519\x8BEF"); // "error"
    EXPECT_EQ(Narrow(box.Text), "Load application data error, Please reinstall!");
    EXPECT_EQ(tappolo.MainWindow(), nullptr);
    PressButton(box.Window, IDOK);
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
}

TEST_F(Startup, SecondInstanceSaysSoAndLeavesTheFirstWorking) {
    ProgramDir dir("twice");
    AppProcess first, second;
    ASSERT_TRUE(first.Start(dir));
    HWND tray = first.WaitTray(10s);
    ASSERT_NE(tray, nullptr);
    ASSERT_TRUE(second.Start(dir));
    MessageBoxInfo box = WaitMessageBox(second.Id(), 10s);
    ASSERT_NE(box.Window, nullptr);
    EXPECT_EQ(box.Caption, L"\x63D0\x793A"); // "prompt"
    EXPECT_EQ(Narrow(box.Text), "Tappolo already run, click tray icon open options!");
    PressButton(box.Window, IDOK);
    EXPECT_EQ(second.WaitExit(5s), 0u);

    EXPECT_TRUE(first.Running());
    EXPECT_EQ(first.WaitTray(2s), tray);
    EXPECT_EQ(SoundsOf('Q', dir), std::vector<std::string>{"schemes\\Fight\\letter.wav"});
}

TEST_F(Startup, MissingStoredSchemeFallsBackToTheFirstScheme) {
    ProgramDir dir("gone");
    dir.WriteSettings("Gone");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()), SettingsBytes("Fight", "Fight"));
}

TEST_F(Startup, NoSchemeAndNoEngineEndsTheProgram) {
    ProgramDir dir("noscheme", false);
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    MessageBoxInfo box = WaitMessageBox(tappolo.Id(), 10s);
    ASSERT_NE(box.Window, nullptr);
    EXPECT_EQ(box.Caption, L"\x9519\x8BEF");
    EXPECT_EQ(Narrow(box.Text), "No scheme can use, Please reinstall!");
    PressButton(box.Window, IDOK);
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
}

TEST_F(Startup, SchemeNamedInAnotherLetterCaseIsSelectedAsItIsStored) {
    ProgramDir dir("case");
    dir.WriteSettings("fIGHT");
    const std::string before = wt::ReadFileBytes(dir.SettingsPath());
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()), before) << "no fallback, no save";
    // The folder comes from the stored name; the file system ignores its case.
    EXPECT_EQ(SoundsOf(VK_SPACE, dir), std::vector<std::string>{"schemes\\fIGHT\\space.wav"});
}

TEST_F(Startup, StoredNameLikeTheSpeechItemIsNoSchemeAndFallsBackToTheFirst) {
    ProgramDir dir("speechcaption");
    dir.WriteSettings("tts &speak");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()), SettingsBytes("Fight", "Fight"));
    EXPECT_EQ(SoundsOf(VK_SPACE, dir), std::vector<std::string>{"schemes\\Fight\\space.wav"});
}

TEST_F(Startup, SchemeFileNamesBecomeCaptionsWithEveryTssRemoved) {
    ProgramDir dir("captions");
    dir.AddScheme("A.TSS", DistinctSounds(), "");
    dir.AddScheme("x.tss.tss", DistinctSounds(), "");
    CreateDirectoryA((dir.SchemesPath() + "x").c_str(), nullptr);
    wt::WriteFileBytes(dir.SchemesPath() + "x\\letter.wav", wt::MakeToneWav(440, 100));
    dir.WriteSettings("Fight");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    // The folder is listed in the order the file system gives: A.TSS, Fight.tss, x.tss.tss.
    // "A.TSS" keeps its extension in the caption, so no scheme file "A.TSS.tss" is found.
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 1));
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()), SettingsBytes("A.TSS", "A.TSS"));
    // "x.tss.tss" shows as "x", whose scheme file "x.tss" does not exist either: the names of
    // the scheme loaded before (Fight's) are looked up in the folder "x".
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 3));
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()), SettingsBytes("x", "x"));
    EXPECT_EQ(SoundsOf('Q', dir), std::vector<std::string>{"schemes\\x\\letter.wav"});
}

TEST_F(Startup, SharedMemoryNameTakenShowsTheErrorAndTheProgramStillExitsCleanly) {
    HANDLE squatter = CreateEventA(nullptr, FALSE, FALSE, "VobZizeZerav");
    ASSERT_NE(squatter, nullptr);
    ProgramDir dir("mapping");
    dir.WriteSettings("Fight");
    const std::string before = wt::ReadFileBytes(dir.SettingsPath());
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    MessageBoxInfo box = WaitMessageBox(tappolo.Id(), 10s);
    ASSERT_NE(box.Window, nullptr);
    EXPECT_EQ(Narrow(box.Caption), "Tappolo");
    EXPECT_EQ(Narrow(box.Text), "Create Mapping File Error!");
    PressButton(box.Window, IDOK);
    ASSERT_NE(tappolo.WaitTray(10s), nullptr) << "the program goes on after the error";
    // The rest of the start was skipped: no hook, so keys are silent.
    EXPECT_TRUE(SoundsOf('Q', dir).empty());
    ASSERT_TRUE(tappolo.ChooseItem(mpExit));
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()), before);
    CloseHandle(squatter);
}
