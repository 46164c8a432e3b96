// Start-up and shutdown of the real program: settings, single instance, scheme fallbacks.
#include "AppTestUtil.h"

using namespace std::chrono_literals;
using namespace app;

using Startup = app::SpeechTest;

TEST_F(Startup, FreshStartWithoutSpeechEngineTakesTheFirstSchemeAndWritesTheSettings) {
    ProgramDir dir("fresh");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr) << "no tray icon";
    TMySetInfo settings = ReadSettings(dir.SettingsPath());
    EXPECT_EQ(settings.CurrentScheme, "Fight");
    EXPECT_EQ(settings.EnableHotKey, 0);
    EXPECT_EQ(settings.DisableHotKey, 0);
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
    dir.WriteSettings("Fight");
    // Eight values only: the ninth is cut off where it begins.
    std::string bytes = wt::ReadFileBytes(dir.SettingsPath());
    TMemoryStream stream;
    stream.Write(bytes.data(), bytes.size());
    stream.SetPosition(0);
    {
        TvobReader reader(stream);
        for (int i = 0; i < 8; ++i)
            i == 3 || i == 6 ? (void)reader.ReadInteger()
            : i == 4         ? (void)reader.ReadDate()
                             : (void)reader.ReadString();
    }
    ASSERT_LT(stream.Position(), static_cast<int64_t>(bytes.size()));
    wt::WriteFileBytes(dir.SettingsPath(), bytes.substr(0, static_cast<size_t>(stream.Position())));

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
    TMySetInfo settings = ReadSettings(dir.SettingsPath());
    EXPECT_EQ(settings.CurrentScheme, "Fight");
    TMySetInfo expected;
    expected.SetSchemeMode("Fight", false);
    EXPECT_EQ(settings.ModeTitle(), expected.ModeTitle());
    EXPECT_EQ(settings.ModeNote(), expected.ModeNote());
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
    EXPECT_EQ(ReadSettings(dir.SettingsPath()).CurrentScheme, "Fight");
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
    EXPECT_EQ(ReadSettings(dir.SettingsPath()).CurrentScheme, "A.TSS");
    // "x.tss.tss" shows as "x", whose scheme file "x.tss" does not exist either: the names of
    // the scheme loaded before (Fight's) are looked up in the folder "x".
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 3));
    EXPECT_EQ(ReadSettings(dir.SettingsPath()).CurrentScheme, "x");
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
