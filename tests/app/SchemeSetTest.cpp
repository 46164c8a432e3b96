// The Scheme Set and New Scheme dialogs on the real program, opened from the tray menu and
// driven with the mouse and the keyboard; observed through the files they write, the window
// tree, the screen, the message boxes and the sounds played afterwards.
#include "AppTestUtil.h"
#include "DialogDriver.h"
#include "UniqueHandle_win.h"

#include <algorithm>
#include <map>

using namespace std::chrono_literals;
using namespace app;

namespace {

using namespace std::string_literals;

// The scheme file's bytes for sixteen names: each a short text value.
std::string SchemeBytes(const std::vector<std::string>& names) {
    std::string bytes;
    for (const std::string& name : names)
        bytes += TextValue(name);
    return bytes;
}

// Every file under a folder, at any depth, with its bytes; folders as empty entries.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA entry;
    UniqueFind search(FindFirstFileA((folder + "*").c_str(), &entry));
    if (!search)
        return files;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files[name + "\\"] = "";
            for (auto& [path, bytes] : Snapshot(folder + name + "\\"))
                files[name + "\\" + path] = bytes;
        } else {
            files[name] = wt::ReadFileBytes(folder + name);
        }
    } while (FindNextFileA(search.Get(), &entry));
    return files;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The program with the Scheme Set dialog open.
class SchemeSet : public testing::Test {
protected:
    HWND Open(const ProgramDir& dir, const std::string& traceChannels = "") {
        EXPECT_TRUE(FProgram.Start(dir, traceChannels));
        EXPECT_NE(FProgram.WaitTray(10s), nullptr);
        EXPECT_TRUE(FProgram.ChooseItem(mpSchemeSet));
        FDialog = WaitWindow(FProgram.Id(), "Scheme Set", 5s);
        return FDialog;
    }
    HWND Button(const char* caption) const { return ChildByText(FDialog, caption); }
    HWND SchemeList() const { return ChildOfClass(FDialog, "ComboBox", 0); }
    HWND KeyTypeList() const { return ChildOfClass(FDialog, "ComboBox", 1); }
    HWND SoundFile() const { return ChildOfClass(FDialog, "Edit", 0); }
    // The key panel with this caption (the first, for keys the picture has twice).
    HWND Key(const char* caption) const { return ChildByText(FDialog, caption); }
    bool EditMode() const {
        return Enabled(Button("&Save")) && Enabled(Button("...")) && !Enabled(Button("&New")) &&
               !Enabled(Button("&Edit")) && !Enabled(Button("&Delete")) && !Enabled(SchemeList());
    }
    bool ViewMode() const {
        return !Enabled(Button("&Save")) && !Enabled(Button("...")) && Enabled(Button("&New")) &&
               Enabled(Button("&Edit")) && Enabled(Button("&Delete")) && Enabled(SchemeList());
    }
    // The box the program shows next, answered with `button`; gives its text.
    std::string Answer(int button) {
        MessageBoxInfo box = WaitMessageBox(FProgram.Id(), 5s);
        if (!box.Window)
            return "<no box>";
        PressButton(box.Window, button);
        WaitGone(box.Window, 3s);
        // The command that asked goes on after the box: let it finish.
        Sync(FDialog && IsWindowVisible(FDialog) ? FDialog : FProgram.MainWindow());
        return Narrow(box.Caption) + "|" + Narrow(box.Text);
    }
    // Closes the dialog with its Close button; true when it is gone and the tray command that
    // opened it has finished.
    bool CloseDialog() {
        Click(Button("&Close"));
        const bool gone = WaitGone(FDialog, 3s);
        Sync(FProgram.MainWindow());
        return gone;
    }
    // New, a name typed (or pasted) and Enter; gives what the name field held.
    std::string NewScheme(const std::string& text, bool paste = false) {
        Click(Button("&New"));
        HWND ask = WaitWindow(FProgram.Id(), "New Scheme", 5s);
        if (!ask)
            return "<no dialog>";
        if (paste)
            Paste(text);
        else
            TypeText(text);
        const std::string field = TextOf(ChildOfClass(ask, "Edit"));
        PressKey(VK_RETURN);
        WaitGone(ask, 3s);
        Sync(FDialog);
        return field;
    }

    AppProcess FProgram;
    HWND FDialog = nullptr;
};

const std::string kPrompt = "\xE6\x8F\x90\xE7\xA4\xBA";  // the information box
const std::string kConfirm = "\xE7\xA1\xAE\xE8\xAE\xA4"; // the question box
const std::string kError = "\xE9\x94\x99\xE8\xAF\xAF";   // the error box

} // namespace

TEST_F(SchemeSet, NewSchemeGetsACopiedSoundIsSavedListedAndPlayed) {
    ProgramDir dir("schemenew");
    dir.WriteSettings("Fight");
    const std::string elsewhere = wt::MakeTempDir("schemesounds") + "ding.wav";
    ASSERT_TRUE(wt::WriteFileBytes(elsewhere, wt::MakeToneWav(880, 120)));
    ASSERT_NE(Open(dir), nullptr);
    EXPECT_TRUE(ViewMode());
    EXPECT_EQ(ComboItems(SchemeList()), std::vector<std::string>{"Fight"});
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(FDialog, nullptr), &gui));
    EXPECT_EQ(gui.hwndFocus, SchemeList());

    // The typed colon is kept out of the name.
    EXPECT_EQ(NewScheme("Al:pha"), "Alpha");
    EXPECT_EQ(ComboItems(SchemeList()), (std::vector<std::string>{"Fight", "Alpha"}));
    EXPECT_EQ(ComboIndex(SchemeList()), 1);
    EXPECT_TRUE(EditMode());
    EXPECT_EQ(TextOf(SoundFile()), "");
    EXPECT_TRUE(Exists(dir.SchemesPath() + "Alpha\\"));
    EXPECT_FALSE(Exists(dir.SchemesPath() + "Alpha.tss"));

    Click(Key("Q"));
    EXPECT_EQ(ComboIndex(KeyTypeList()), 12);
    Click(Button("..."));
    ASSERT_TRUE(ChooseFile(FProgram.Id(), elsewhere, 5s));
    EXPECT_EQ(TextOf(SoundFile()), "ding.wav");
    EXPECT_EQ(wt::ReadFileBytes(dir.SchemesPath() + "Alpha\\ding.wav"), wt::MakeToneWav(880, 120));

    Click(Button("&Save"));
    std::vector<std::string> names(16);
    names[12] = "ding.wav";
    EXPECT_EQ(wt::ReadFileBytes(dir.SchemesPath() + "Alpha.tss"), SchemeBytes(names));
    EXPECT_TRUE(ViewMode());
    // The dialog is open: keys still sound with the scheme current when it opened.
    EXPECT_EQ(SoundsOf('Q', dir), std::vector<std::string>{"schemes\\Fight\\letter.wav"});

    EXPECT_TRUE(CloseDialog());
    // Listed before Fight, in the file system's order.
    ASSERT_TRUE(FProgram.ChooseItem(mpSchemes, 1));
    EXPECT_EQ(wt::ReadFileBytes(dir.SettingsPath()), SettingsBytes("Alpha", "Alpha"));
    EXPECT_EQ(SoundsOf('Q', dir), std::vector<std::string>{"schemes\\Alpha\\ding.wav"});
}

TEST_F(SchemeSet, DeleteAsksRemovesAndTheMenuFallsBackWhileFightInAnyCaseStays) {
    ProgramDir dir("schemedelete", false);
    dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
    dir.AddScheme("fIGHT.tss", DistinctSounds(), "fIGHT");
    dir.WriteSettings("Alpha");
    ASSERT_NE(Open(dir), nullptr);
    ASSERT_EQ(ComboItems(SchemeList()), (std::vector<std::string>{"Alpha", "fIGHT"}));

    Click(Button("&Delete"));
    EXPECT_EQ(Answer(IDYES), kConfirm + "|Confirm delete Alpha?");
    EXPECT_FALSE(Exists(dir.SchemesPath() + "Alpha.tss"));
    EXPECT_FALSE(Exists(dir.SchemesPath() + "Alpha"));
    EXPECT_EQ(ComboItems(SchemeList()), std::vector<std::string>{"fIGHT"});
    EXPECT_EQ(ComboIndex(SchemeList()), 0);

    Click(Button("&Delete"));
    EXPECT_EQ(Answer(IDOK), kPrompt + "|The \"Fight\" is System Scheme, Can't delete!");
    EXPECT_TRUE(Exists(dir.SchemesPath() + "fIGHT.tss"));
    EXPECT_TRUE(Exists(dir.SchemesPath() + "fIGHT\\t12.wav"));

    EXPECT_TRUE(CloseDialog());
    // The first scheme is current now and saved (its name is the only plain text value).
    EXPECT_NE(wt::ReadFileBytes(dir.SettingsPath()).find(TextValue("fIGHT")), std::string::npos);
    EXPECT_EQ(SoundsOf('Q', dir), std::vector<std::string>{"schemes\\fIGHT\\t12.wav"});
}

TEST_F(SchemeSet, DeletingTheLastSchemeEndsTheProgram) {
    ProgramDir dir("schemelast", false);
    dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
    dir.WriteSettings("Alpha");
    ASSERT_NE(Open(dir), nullptr);
    Click(Button("&Delete"));
    EXPECT_EQ(Answer(IDYES), kConfirm + "|Confirm delete Alpha?");
    Click(Button("&Close"));
    EXPECT_EQ(Answer(IDOK), kError + "|No scheme can use, Please reinstall!");
    EXPECT_NE(FProgram.WaitExit(5s), static_cast<DWORD>(STILL_ACTIVE));
}

TEST_F(SchemeSet, AnExistingNameIsShownAndAnUnsavedChoiceIsOfferedAtClosing) {
    ProgramDir dir("schemeexists");
    dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
    dir.WriteSettings("Fight");
    ASSERT_NE(Open(dir), nullptr);
    ASSERT_EQ(ComboItems(SchemeList()), (std::vector<std::string>{"Alpha", "Fight"}));
    ChooseComboItem(SchemeList(), 1);
    EXPECT_EQ(TextOf(SoundFile()), "pageup.wav");

    // Pasted text passes the typing filter; on OK its forbidden characters go, and a name
    // still unusable ("CON", a device) counts as blank: no message, no scheme.
    EXPECT_EQ(NewScheme("C<O>N", true), "C<O>N");
    EXPECT_EQ(WaitMessageBox(FProgram.Id(), 500ms).Window, nullptr);
    EXPECT_EQ(ComboItems(SchemeList()), (std::vector<std::string>{"Alpha", "Fight"}));
    EXPECT_TRUE(ViewMode());

    EXPECT_EQ(NewScheme("alpha"), "alpha");
    EXPECT_EQ(Answer(IDOK), kPrompt + "|Scheme alpha Exists!");
    EXPECT_EQ(ComboIndex(SchemeList()), 0);
    EXPECT_EQ(TextOf(SoundFile()), "t00.wav");
    EXPECT_TRUE(ViewMode());

    // A file of the scheme's own folder is only recorded.
    Click(Button("&Edit"));
    EXPECT_TRUE(EditMode());
    Click(Button("..."));
    ASSERT_TRUE(ChooseFile(FProgram.Id(), dir.SchemesPath() + "Alpha\\t05.wav", 5s));
    EXPECT_EQ(TextOf(SoundFile()), "t05.wav");
    Click(Button("&Close"));
    EXPECT_EQ(Answer(IDYES), kConfirm + "|Scheme Alpha have modify, Save it?");
    EXPECT_TRUE(WaitGone(FDialog, 3s));
    std::vector<std::string> names = DistinctSounds();
    names[0] = "t05.wav";
    EXPECT_EQ(wt::ReadFileBytes(dir.SchemesPath() + "Alpha.tss"), SchemeBytes(names));
    EXPECT_EQ(wt::ReadFileBytes(dir.SchemesPath() + "Alpha\\t05.wav"),
              wt::MakeToneWav(ToneOf(5), 120));
}

TEST_F(SchemeSet, TheSessionWaitsForAnUnsavedChoiceAndWindowsIsToldWhy) {
    ProgramDir dir("schemeend");
    dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
    dir.WriteSettings("Fight");
    // Wine keeps no reasons: its stub logs the one it is given.
    ASSERT_NE(Open(dir, "fixme+graphics"), nullptr);
    auto mayEnd = [&] {
        DWORD_PTR answer = 2;
        EXPECT_NE(SendMessageTimeoutA(FProgram.MainWindow(), WM_QUERYENDSESSION, 0,
                                      ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer),
                  0);
        return answer;
    };
    EXPECT_EQ(mayEnd(), 1u);
    Click(Button("&Edit"));
    Click(Button("..."));
    ASSERT_TRUE(ChooseFile(FProgram.Id(), dir.SchemesPath() + "Alpha\\t05.wav", 5s));
    wt::TraceLog trace;
    EXPECT_EQ(mayEnd(), 0u);
    const auto reasons = trace.WaitLines("ShutdownBlockReasonCreate", 1, 5s);
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_EQ(wt::TraceString(reasons[0]), "Scheme Set has a sound choice that is not saved.");
    Click(Button("&Save"));
    EXPECT_EQ(mayEnd(), 1u);
    EXPECT_TRUE(CloseDialog());
}

TEST_F(SchemeSet, TheHighlightFollowsKeyPanelsAndTheKeyTypeList) {
    ProgramDir dir("schemelight");
    dir.WriteSettings("Fight");
    ASSERT_NE(Open(dir), nullptr);
    // Key type 0 is shown, yet no key is highlighted.
    EXPECT_EQ(ComboIndex(KeyTypeList()), 0);
    EXPECT_EQ(TextOf(SoundFile()), "pageup.wav");
    for (const char* key : {"Q", "Esc", "Page Up", "Break"}) {
        PanelLook look = LookOf(Key(key));
        EXPECT_FALSE(look.Lowered) << key;
        EXPECT_FALSE(look.Maroon) << key;
        EXPECT_TRUE(look.Black) << key;
    }

    Click(Key("Q"));
    EXPECT_EQ(ComboIndex(KeyTypeList()), 12);
    EXPECT_EQ(TextOf(SoundFile()), "letter.wav");
    for (const char* key : {"Q", "M"}) {
        PanelLook look = LookOf(Key(key));
        EXPECT_TRUE(look.Lowered && look.Maroon && !look.Black) << key;
    }
    PanelLook esc = LookOf(Key("Esc"));
    EXPECT_TRUE(!esc.Lowered && !esc.Maroon && esc.Black);

    // Alt+K reaches the key type list; Home picks its first type.
    PressCombo({VK_MENU, 'K'});
    PressKey(VK_HOME);
    wt::PumpMessages(200ms);
    EXPECT_EQ(ComboIndex(KeyTypeList()), 0);
    EXPECT_EQ(TextOf(SoundFile()), "pageup.wav");
    PanelLook pageUp = LookOf(Key("Page Up")), q = LookOf(Key("Q"));
    EXPECT_TRUE(pageUp.Lowered && pageUp.Maroon);
    EXPECT_TRUE(!q.Lowered && !q.Maroon);

    wt::PlaySoundTrace trace;
    Click(Button("&Test Sound"));
    EXPECT_EQ(Relative(trace.WaitNames(1, 1500ms), dir),
              std::vector<std::string>{"schemes\\Fight\\pageup.wav"});

    // No default and no cancel button: Enter and Esc leave the dialog open, also with the focus
    // on the scheme list, where no push button takes Enter itself.
    PressCombo({VK_MENU, 'H'});
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(FDialog, nullptr), &gui));
    EXPECT_EQ(gui.hwndFocus, SchemeList());
    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);
    wt::PumpMessages(300ms);
    EXPECT_TRUE(IsWindowVisible(FDialog));
}

TEST_F(SchemeSet, EntriesTheNameGuardRefusesAreListedButNeitherEditedDeletedNorPlayed) {
    ProgramDir dir("schemeodd");
    dir.WriteSettings("Fight");
    dir.AddScheme("x.tss", DistinctSounds(), "x");
    dir.AddScheme("Rock.tss", DistinctSounds(), "Rock");
    ASSERT_TRUE(CreateDirectoryA((dir.SchemesPath() + "a").c_str(), nullptr));
    // Listed as "x" twice, "A.TSS", "Rock.", "a ", "" and "..".
    const std::vector<std::string> odd = {" x.tss", "x.tss.tss", "A.TSS",  "Rock..tss",
                                          "a .tss", ".tss",      "...tss", "Rock~2.tss"};
    for (const std::string& name : odd)
        ASSERT_TRUE(wt::WriteFileBytes(dir.SchemesPath() + name, SchemeBytes(DistinctSounds())));
    // The list has the file system's order, which this search sees too.
    std::vector<std::string> files;
    WIN32_FIND_DATAA entry;
    UniqueFind search(FindFirstFileA((dir.SchemesPath() + "*.tss").c_str(), &entry));
    ASSERT_TRUE(search);
    do
        files.emplace_back(entry.cFileName);
    while (FindNextFileA(search.Get(), &entry));
    const auto before = Snapshot(dir.SchemesPath());

    ASSERT_NE(Open(dir), nullptr);
    ASSERT_EQ(ComboItems(SchemeList()).size(), files.size());
    int refused = 0;
    for (int i = 0; i < static_cast<int>(files.size()); ++i) {
        ChooseComboItem(SchemeList(), i);
        const bool guarded = std::find(odd.begin(), odd.end(), files[i]) != odd.end();
        EXPECT_EQ(Enabled(Button("&Edit")), !guarded) << files[i];
        EXPECT_EQ(Enabled(Button("&Delete")), !guarded) << files[i];
        EXPECT_TRUE(Enabled(SchemeList()) && Enabled(Button("&New"))) << files[i];
        if (!guarded)
            continue;
        ++refused;
        // A click on the disabled buttons does nothing; Test Sound plays nothing (the "x" of
        // " x.tss" would otherwise reach the folder of the scheme x).
        Click(Button("&Edit"));
        Click(Button("&Delete"));
        EXPECT_EQ(WaitMessageBox(FProgram.Id(), 200ms).Window, nullptr) << files[i];
        EXPECT_FALSE(Enabled(Button("&Save"))) << files[i];
        Click(Key("Q"));
        wt::PlaySoundTrace trace;
        Click(Button("&Test Sound"));
        EXPECT_TRUE(trace.WaitNames(1, 500ms).empty()) << files[i];
    }
    EXPECT_EQ(refused, static_cast<int>(odd.size()));
    EXPECT_TRUE(CloseDialog());
    EXPECT_EQ(ComboItems(SchemeList()).size(), 0u);
    EXPECT_TRUE(Snapshot(dir.SchemesPath()) == before) << "the schemes folder, byte for byte";
}

TEST_F(SchemeSet, AFirstSchemeThatCannotBeReadOpensInViewModeWithNothingToSave) {
    ProgramDir dir("schemelocked");
    dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
    dir.WriteSettings("Fight");
    const std::string alpha = dir.SchemesPath() + "Alpha.tss";
    const std::string bytes = wt::ReadFileBytes(alpha);
    // Held open without sharing: the dialog cannot read the first scheme.
    UniqueFile lock(
        CreateFileA(alpha.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    ASSERT_TRUE(FProgram.Start(dir));
    ASSERT_NE(FProgram.WaitTray(10s), nullptr);
    ASSERT_TRUE(FProgram.ChooseItem(mpSchemeSet));
    MessageBoxInfo error = WaitMessageBox(FProgram.Id(), 5s);
    ASSERT_NE(error.Window, nullptr);
    EXPECT_NE(Narrow(error.Text).find(alpha), std::string::npos) << Narrow(error.Text);
    PressButton(error.Window, IDOK);
    FDialog = WaitWindow(FProgram.Id(), "Scheme Set", 5s);
    ASSERT_NE(FDialog, nullptr);
    lock.Reset();

    EXPECT_EQ(ComboItems(KeyTypeList()).size(), 16u);
    EXPECT_EQ(ComboIndex(KeyTypeList()), 0);
    EXPECT_FALSE(Enabled(Button("&Save")));
    EXPECT_FALSE(Enabled(Button("...")));
    EXPECT_FALSE(Enabled(Button("&Edit"))) << "nothing of the scheme was read";
    EXPECT_TRUE(Enabled(Button("&New")) && Enabled(Button("&Delete")) && Enabled(SchemeList()));
    Click(Button("&Edit"));
    Click(Button("&Save"));
    EXPECT_EQ(wt::ReadFileBytes(alpha), bytes);

    // Chosen again once it can be read, it is the scheme as usual.
    ChooseComboItem(SchemeList(), 0);
    EXPECT_TRUE(ViewMode());
    EXPECT_EQ(TextOf(SoundFile()), "t00.wav");
    EXPECT_TRUE(CloseDialog());
    EXPECT_EQ(wt::ReadFileBytes(alpha), bytes);
}

TEST_F(SchemeSet, TestSoundIsHeardThroughTheEngine) {
    ProgramDir dir("schemetest");
    dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
    dir.WriteSettings("Alpha");
    // Enter's sound is a wave the engine does not decode.
    ASSERT_TRUE(wt::WriteFileBytes(dir.SchemesPath() + "Alpha\\" + DistinctSounds()[7],
                                   wt::MakeAdpcmWav(20)));
    FProgram.Audio = "wasapi";
    ASSERT_NE(Open(dir), nullptr);
    ASSERT_EQ(TextOf(SchemeList()), "Alpha");
    Click(Key("Q"));
    wt::PlaySoundTrace trace;
    wt::AudioRecording recording;
    Click(Button("&Test Sound"));
    auto samples = recording.WaitForSound(3s, 150ms);
    ASSERT_GE(wt::OnsetIndex(samples, 1000), 0) << "Test Sound was not heard";
    EXPECT_EQ(wt::DominantOf(samples, {ToneOf(12), ToneOf(7), ToneOf(0)}), ToneOf(12));
    EXPECT_TRUE(trace.Names().empty()) << "the engine played, not the platform's player";
    // The platform's player plays what the engine cannot.
    Click(Key("Enter"));
    Click(Button("&Test Sound"));
    EXPECT_EQ(Relative(trace.WaitNames(1, 3s), dir),
              std::vector<std::string>{"schemes\\Alpha\\" + DistinctSounds()[7]});
    EXPECT_TRUE(CloseDialog());
}

namespace {

// A key sounds file as bytes: format 1, no press takes of key types, Letter Keys (type 12)
// released with `letterRelease` (none when empty), and keys as (scan code, press name), each
// with no release of its own. Scan codes below 128 only, as the keys used here have.
std::string KeySoundsBytes(const std::string& letterRelease,
                           const std::vector<std::pair<int, std::string>>& keys) {
    std::string bytes = IntegerValue(1);
    for (int type = 0; type < 16; ++type)
        bytes += IntegerValue(0);
    for (int type = 0; type < 16; ++type)
        bytes += type == 12 && !letterRelease.empty() ? IntegerValue(1) + TextValue(letterRelease)
                                                      : IntegerValue(0);
    bytes += IntegerValue(static_cast<int32_t>(keys.size()));
    for (const auto& [scan, press] : keys)
        bytes += IntegerValue(scan) + IntegerValue(1) + TextValue(press) + IntegerValue(0);
    return bytes;
}

} // namespace

TEST_F(SchemeSet, KeysWithSoundsOfTheirOwnAreMarkedEditedFromTheirMenuAndHeardAfterSave) {
    // Alpha, current, on the engine: W has a press sound of its own, the letter keys a release.
    ProgramDir dir("schemekeys");
    dir.AddScheme("Alpha.tss", DistinctSounds(), "Alpha");
    dir.WriteSettings("Alpha");
    const std::string folder = dir.SchemesPath() + "Alpha\\";
    const std::string keySounds = dir.SchemesPath() + "Alpha.tsk";
    const double wTone = 5200, upTone = 5800, qTone = 6400;
    ASSERT_TRUE(wt::WriteFileBytes(folder + "w.wav", wt::MakeToneWav(wTone, 120)));
    ASSERT_TRUE(wt::WriteFileBytes(folder + "up.wav", wt::MakeToneWav(upTone, 120)));
    const std::string elsewhere = wt::MakeTempDir("keysounds") + "q.wav";
    ASSERT_TRUE(wt::WriteFileBytes(elsewhere, wt::MakeToneWav(qTone, 120)));
    ASSERT_TRUE(wt::WriteFileBytes(keySounds, KeySoundsBytes("up.wav", {{0x11, "w.wav"}})));
    std::vector<double> tones = {wTone, upTone, qTone};
    for (int type = 0; type < 16; ++type)
        tones.push_back(ToneOf(type));
    FProgram.Audio = "wasapi";
    ASSERT_NE(Open(dir), nullptr);
    ASSERT_EQ(TextOf(SchemeList()), "Alpha");
    HWND release = ChildOfClass(FDialog, "Edit", 1);

    // Marked in view mode; a click on the key shows its own sound, on another its type's.
    EXPECT_TRUE(LookOf(Key("W")).Marked);
    EXPECT_FALSE(LookOf(Key("Q")).Marked);
    EXPECT_FALSE(LookOf(Key("E")).Marked);
    Click(Key("W"));
    EXPECT_EQ(TextOf(SoundFile()), "w.wav");
    EXPECT_EQ(TextOf(release), "up.wav");
    EXPECT_TRUE(LookOf(Key("W")).Marked) << "also pressed in";
    // Test Sound: the key's own press, then its type's release a moment later.
    {
        wt::AudioRecording recording;
        Click(Button("&Test Sound"));
        const auto samples = recording.WaitForSound(3s, 800ms);
        const long onset = wt::OnsetIndex(samples, 1000);
        ASSERT_GE(onset, 0) << "Test Sound was not heard";
        const long ms = wt::kRecordRate / 1000;
        const auto first = samples.begin() + onset;
        EXPECT_EQ(wt::DominantOf({first, first + 100 * ms}, tones), wTone);
        const std::vector<int16_t> later(first + 200 * ms, samples.end());
        const long second = wt::OnsetIndex(later, 1000);
        ASSERT_GE(second, 0) << "no release after the press";
        EXPECT_EQ(
            wt::DominantOf({later.begin() + second, later.begin() + second + 100 * ms}, tones),
            upTone);
    }
    Click(Key("E"));
    EXPECT_EQ(TextOf(SoundFile()), DistinctSounds()[12]);
    EXPECT_EQ(TextOf(release), "up.wav");

    // Q gets a sound of its own from elsewhere: copied into the scheme's folder, saved with W's.
    Click(Button("&Edit"));
    ASSERT_TRUE(ChooseContextItem(Key("Q"), 0));
    ASSERT_TRUE(ChooseFile(FProgram.Id(), elsewhere, 5s));
    Sync(FDialog);
    EXPECT_EQ(TextOf(SoundFile()), "q.wav");
    EXPECT_TRUE(LookOf(Key("Q")).Marked);
    EXPECT_EQ(wt::ReadFileBytes(folder + "q.wav"), wt::MakeToneWav(qTone, 120));
    Click(Button("&Save"));
    EXPECT_EQ(wt::ReadFileBytes(keySounds),
              KeySoundsBytes("up.wav", {{0x10, "q.wav"}, {0x11, "w.wav"}}));
    EXPECT_EQ(wt::ReadFileBytes(dir.SchemesPath() + "Alpha.tss"), SchemeBytes(DistinctSounds()));
    EXPECT_TRUE(CloseDialog());
    EXPECT_EQ(HeardAfter(tones, [] { SendKey('Q', false); }), qTone);
    EXPECT_EQ(HeardAfter(tones, [] { SendKey('Q', true); }), upTone);

    // Q back to its type's sound; a new Letter Keys sound, which W takes too when asked; no
    // release: nothing per key is left, and the key sounds file goes with the save.
    ASSERT_TRUE(FProgram.ChooseItem(mpSchemeSet));
    FDialog = WaitWindow(FProgram.Id(), "Scheme Set", 5s);
    ASSERT_NE(FDialog, nullptr);
    release = ChildOfClass(FDialog, "Edit", 1);
    EXPECT_TRUE(LookOf(Key("Q")).Marked && LookOf(Key("W")).Marked);
    Click(Button("&Edit"));
    ASSERT_TRUE(ChooseContextItem(Key("Q"), 2));
    EXPECT_FALSE(LookOf(Key("Q")).Marked);
    EXPECT_EQ(TextOf(SoundFile()), DistinctSounds()[12]);
    Click(Button("..."));
    ASSERT_TRUE(ChooseFile(FProgram.Id(), folder + "t05.wav", 5s));
    EXPECT_EQ(Answer(IDYES), kConfirm + "|Some keys of this type have sounds of their own. Should "
                                        "they play the new sound too?");
    EXPECT_FALSE(LookOf(Key("W")).Marked);
    EXPECT_EQ(TextOf(SoundFile()), "t05.wav");
    Click(Button("x"));
    EXPECT_EQ(TextOf(release), "");
    Click(Button("&Close"));
    EXPECT_EQ(Answer(IDYES), kConfirm + "|Scheme Alpha have modify, Save it?");
    EXPECT_TRUE(WaitGone(FDialog, 3s));
    Sync(FProgram.MainWindow());
    EXPECT_FALSE(Exists(keySounds));
    std::vector<std::string> names = DistinctSounds();
    names[12] = "t05.wav";
    EXPECT_EQ(wt::ReadFileBytes(dir.SchemesPath() + "Alpha.tss"), SchemeBytes(names));
    EXPECT_EQ(HeardAfter(tones, [] { SendKey('Q', false); }), ToneOf(5));
    EXPECT_EQ(HeardAfter(tones, [] { SendKey('Q', true); }), 0.0) << "silent on release";
    EXPECT_EQ(HeardAfter(tones, [] { SendKey('W', false); }), ToneOf(5));
    HeardAfter(tones, [] { SendKey('W', true); });
}
