// The shared utilities on the real platform: files, sounds, version texts and message boxes.
#include "FileSystem.h"
#include "NameRules.h"
#include "PubFunction.h"
#include "PubUnit.h"
#include "WineTest.h"

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;

namespace {

bool MakeFolder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Whatever the trace shows for `path` within a short while after the calls before it.
bool Requested(wt::PlaySoundTrace& trace, const std::string& path) {
    auto names = trace.WaitNames(1, 500ms);
    return std::find(names.begin(), names.end(), path) != names.end();
}

std::string MciAnswer(const std::string& command) {
    char answer[512] = {};
    if (mciSendStringA(command.c_str(), answer, sizeof answer, nullptr) != 0)
        return "<error>";
    return answer;
}

// A one-note format 0 MIDI file.
std::string TinyMidi() {
    const unsigned char bytes[] = {'M',  'T',  'h',  'd',  0,    0,    0,    6,    0,
                                   0,    0,    1,    0,    0x60, 'M',  'T',  'r',  'k',
                                   0,    0,    0,    12,   0x00, 0x90, 0x3C, 0x40, 0x60,
                                   0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

} // namespace

TEST(PubUnit, ProgramDirIsTheExecutablesFolderEndingInBackslash) {
    const std::string& dir = GetProgramDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_TRUE(FileExists(dir + "pubfunction_test.exe")) << dir;
    EXPECT_EQ(&dir, &GetProgramDir());
}

TEST(PubFunction, ListFilesGivesFilesOnlyIncludingHiddenAndReadOnly) {
    std::string dir = wt::MakeTempDir("list");
    for (const char* name : {"A.TSS", "b.tss", "hidden.tss", "locked.tss", "other.wav"})
        ASSERT_TRUE(wt::WriteFileBytes(dir + name, "x"));
    ASSERT_TRUE(SetFileAttributesA((dir + "hidden.tss").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA((dir + "locked.tss").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(MakeFolder(dir + "folder.tss"));

    std::vector<std::string> list = {"stale"};
    // The folder already ends in "\", and the separator is added all the same.
    EXPECT_TRUE(ListFiles(dir, "*.tss", list));
    EXPECT_EQ(Sorted(list),
              (std::vector<std::string>{"A.TSS", "b.tss", "hidden.tss", "locked.tss"}));

    EXPECT_TRUE(ListFiles(dir.substr(0, dir.size() - 1), "*", list));
    EXPECT_EQ(list.size(), 5u) << "\".\", \"..\" and the folder are skipped";

    list = {"stale"};
    EXPECT_TRUE(ListFiles(dir + "missing", "*.tss", list));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(ListFiles(dir, "*.none", list));
    EXPECT_TRUE(list.empty());
    SetFileAttributesA((dir + "locked.tss").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(PubFunction, PlaySoundFilePlaysExistingFilesOnlyAndTellsMidiByExactExtension) {
    std::string dir = wt::MakeTempDir("play");
    const std::string wav = dir + "key.wav", upperMid = dir + "TUNE.MID";
    ASSERT_TRUE(wt::WriteFileBytes(wav, wt::MakeToneWav(880, 50)));
    ASSERT_TRUE(wt::WriteFileBytes(upperMid, wt::MakeToneWav(440, 50)));
    ASSERT_TRUE(MakeFolder(dir + "folder.wav"));

    wt::PlaySoundTrace trace;
    PlaySoundFile(dir + "folder.wav");
    PlaySoundFile(dir + "missing.wav");
    PlaySoundFile(dir + "missing.mid");
    wt::PumpMessages(200ms);
    EXPECT_TRUE(trace.Names().empty());
    EXPECT_EQ(MciAnswer(std::string("status ") + MidiSoundAlias + " mode"), "<error>")
        << "a missing .mid file opened the sequencer";

    PlaySoundFile(wav);
    EXPECT_TRUE(Requested(trace, wav));
    trace.Skip();
    PlaySoundFile(upperMid);
    EXPECT_TRUE(Requested(trace, upperMid)) << "\".MID\" takes the ordinary call";
    PlaySoundA(nullptr, nullptr, 0);
}

TEST(PubFunction, PlaySoundFileHandsMidToTheSequencerAndReturnsAtOnce) {
    std::string dir = wt::MakeTempDir("midi");
    const std::string mid = dir + "tune.mid", wav = dir + "key.wav";
    ASSERT_TRUE(wt::WriteFileBytes(mid, TinyMidi()));
    ASSERT_TRUE(wt::WriteFileBytes(wav, wt::MakeToneWav(880, 50)));

    wt::PlaySoundTrace trace;
    wt::TraceLog sequencer;
    PlaySoundFile(mid);
    // The sequencer's own trace (mcimidi) shows the file it opened and the play command it was
    // given; play flags without MCI_WAIT mean the call did not wait for the tune.
    auto calls = sequencer.Lines(":mcimidi:MIDI_mci");
    auto opened = std::find_if(calls.begin(), calls.end(), [](const std::string& line) {
        return line.find("MIDI_mciOpen MCI_OPEN_ELEMENT") != std::string::npos;
    });
    ASSERT_NE(opened, calls.end()) << "the sequencer opened no file";
    EXPECT_TRUE(SameName(wt::TraceString(*opened), mid)) << *opened;
    auto played = std::find_if(opened, calls.end(), [](const std::string& line) {
        return line.find("MIDI_mciPlay (") != std::string::npos;
    });
    ASSERT_NE(played, calls.end()) << "the sequencer was not told to play";
    unsigned long flags = std::strtoul(played->substr(played->find(", ") + 2).c_str(), nullptr, 16);
    EXPECT_EQ(flags & MCI_WAIT, 0u) << *played;
    EXPECT_NE(MciAnswer(std::string("status ") + MidiSoundAlias + " mode"), "<error>");
    wt::PumpMessages(100ms);
    EXPECT_TRUE(trace.Names().empty()) << "a .mid file went to PlaySound";

    // A wave sound after it replaces it: the sequencer is closed.
    PlaySoundFile(wav);
    EXPECT_EQ(MciAnswer(std::string("status ") + MidiSoundAlias + " mode"), "<error>");
    EXPECT_TRUE(Requested(trace, wav));
    PlaySoundA(nullptr, nullptr, 0);
}

TEST(PubFunction, ForceDeleteFileAndDeleteFolderRemoveReadOnlyFiles) {
    std::string dir = wt::MakeTempDir("delete");
    const std::string file = dir + "locked.tss";
    ASSERT_TRUE(wt::WriteFileBytes(file, "x"));
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(ForceDeleteFile(file));
    EXPECT_FALSE(FileExists(file));
    EXPECT_TRUE(ForceDeleteFile(file)) << "a missing file counts as deleted";

    const std::string tree = dir + "scheme";
    ASSERT_TRUE(MakeFolder(tree));
    ASSERT_TRUE(MakeFolder(tree + "\\inner"));
    ASSERT_TRUE(wt::WriteFileBytes(tree + "\\inner\\a.wav", "x"));
    ASSERT_TRUE(wt::WriteFileBytes(tree + "\\b.wav", "x"));
    ASSERT_TRUE(SetFileAttributesA((tree + "\\inner\\a.wav").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(DeleteFolder(tree));
    EXPECT_FALSE(DirectoryExists(tree));
    EXPECT_FALSE(DeleteFolder(tree)) << "a missing folder";
    EXPECT_TRUE(DirectoryExists(dir)) << "only the named folder goes";
}

TEST(PubFunction, FileStampRoundTripsWithinTwoSeconds) {
    std::string dir = wt::MakeTempDir("stamp");
    const std::string file = dir + "schemeinfo.tsc";
    ASSERT_TRUE(wt::WriteFileBytes(file, "x"));
    // 2024-02-29 13:45:17 local time; the packed form keeps even seconds only.
    const double stamp = 45351.0 + (13 * 3600 + 45 * 60 + 17) / 86400.0;
    EXPECT_EQ(SetFileStamp(file, stamp), 0);
    double back = GetFileStamp(file);
    EXPECT_NEAR(back, stamp, 2.0 / 86400.0);
    EXPECT_NE(back, -1.0);

    EXPECT_EQ(GetFileStamp(dir + "missing"), -1.0);
    EXPECT_EQ(GetFileStamp(dir.substr(0, dir.size() - 1)), -1.0) << "a folder";
    EXPECT_EQ(SetFileStamp(dir + "missing", stamp), ERROR_FILE_NOT_FOUND);
}

TEST(PubFunction, FileVersionTextComesFromTheFixedVersionBlock) {
    char self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    // The numbers of this test program's own version resource.
    EXPECT_EQ(GetFileVersionText(self), "3.0.65535.7");

    std::string dir = wt::MakeTempDir("version");
    ASSERT_TRUE(wt::WriteFileBytes(dir + "plain.txt", "no version here"));
    EXPECT_EQ(GetFileVersionText(dir + "plain.txt"), "");
    EXPECT_EQ(GetFileVersionText(dir + "missing.exe"), "");
}

// --- Message boxes ---------------------------------------------------------------------

namespace {

HWND WaitForWindow(const wchar_t* caption) {
    for (int i = 0; i < 500; ++i) {
        if (HWND box = FindWindowW(nullptr, caption))
            return box;
        Sleep(10);
    }
    return nullptr;
}

std::wstring BoxText(HWND box) {
    // The text of a message box is its static control with id 0xFFFF.
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    return text;
}

constexpr const wchar_t* InfoCaption = L"\u63D0\u793A";
constexpr const wchar_t* ErrorCaption = L"\u9519\u8BEF";
constexpr const wchar_t* QuestionCaption = L"\u786E\u8BA4";

// Runs one box on a thread of its own, the way a command on the UI thread would.
template <typename Show> class BoxOnThread {
public:
    explicit BoxOnThread(Show show) : FThread([this, show] { FResult = show() ? 1 : 0; }) {}
    ~BoxOnThread() {
        if (FThread.joinable())
            FThread.join();
    }
    int Result() {
        FThread.join();
        return FResult;
    }

private:
    std::atomic<int> FResult{-1};
    std::thread FThread;
};

HWND TestOwner = nullptr;
HWND OwnerOfTest() {
    return TestOwner;
}

} // namespace

TEST(MessageBoxes, InfoAndErrorShowTheirCaptionTextAndOkButton) {
    struct Case {
        void (*Show)(const std::string&);
        const wchar_t* Caption;
        LPCSTR Icon;
    };
    for (const Case& c :
         {Case{ShowInfo, InfoCaption, IDI_ASTERISK}, Case{ShowError, ErrorCaption, IDI_HAND}}) {
        BoxOnThread box([&c] {
            c.Show("Scheme Fight Exists!");
            return true;
        });
        HWND window = WaitForWindow(c.Caption);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(BoxText(window), L"Scheme Fight Exists!");
        EXPECT_EQ(wt::MessageBoxIcon(window), LoadIconA(nullptr, c.Icon));
        EXPECT_NE(GetDlgItem(window, IDOK), nullptr);
        EXPECT_EQ(GetDlgItem(window, IDYES), nullptr);
        SendMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
        EXPECT_EQ(box.Result(), 1);
        EXPECT_EQ(FindWindowW(nullptr, c.Caption), nullptr);
    }
}

TEST(MessageBoxes, AskYesNoIsTrueOnlyForYes) {
    for (int button : {IDYES, IDNO}) {
        BoxOnThread box([] { return AskYesNo("Confirm delete Fight?"); });
        HWND window = WaitForWindow(QuestionCaption);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(BoxText(window), L"Confirm delete Fight?");
        EXPECT_EQ(wt::MessageBoxIcon(window), LoadIconA(nullptr, IDI_QUESTION));
        EXPECT_EQ(GetDlgItem(window, IDOK), nullptr);
        ASSERT_NE(GetDlgItem(window, button), nullptr);
        SendMessageW(GetDlgItem(window, button), BM_CLICK, 0, 0);
        EXPECT_EQ(box.Result(), button == IDYES ? 1 : 0);
    }
}

TEST(MessageBoxes, TheOwnerComesFromTheHost) {
    BoxOnThread box([] {
        TestOwner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                    nullptr, nullptr, nullptr, nullptr);
        SetMessageBoxHost(OwnerOfTest);
        ShowInfo("owned");
        SetMessageBoxHost(nullptr);
        DestroyWindow(TestOwner);
        return true;
    });
    HWND window = WaitForWindow(InfoCaption);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), TestOwner);
    SendMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(box.Result(), 1);
}
