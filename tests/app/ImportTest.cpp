// Sound packs imported by the real program: the two real configurations with sounds made here
// (each slice and each file a tone of its own), from the tray menu and from the command line
// with Tappolo running; every key's own sounds, releases and takes; a name clash; bad packs that
// leave the schemes folder as it was.
#include "AppTestUtil.h"
#include "DialogDriver.h"
#include "PubClassUnit.h"
#include "SchemeKeySounds.h"
#include "ZipMaker.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <ostream>

using namespace std::chrono_literals;
using namespace app;

namespace {

const char* const kTypeFiles[16] = {"pageup.wav",   "capslock.wav",  "number.wav", "numlock.wav",
                                    "function.wav", "delete.wav",    "arrow.wav",  "enter.wav",
                                    "pagedown.wav", "backspace.wav", "ctrl.wav",   "tab.wav",
                                    "letter.wav",   "space.wav",     "esc.wav",    "other.wav"};

// Tones 7% apart from 300 Hz: any two told apart by a Goertzel check of a short clip.
double ToneNumber(int k) {
    return 300.0 * std::pow(1.07, k);
}
std::vector<double> AllTones() {
    std::vector<double> tones;
    for (int k = 0; k < 40; ++k)
        tones.push_back(ToneNumber(k));
    return tones;
}

// The tone among AllTones that dominates a sound of the given rate (the Goertzel check counts
// frequencies at the recording rate, 44.1 kHz).
double DominantTone(const std::vector<int16_t>& samples, uint32_t rate) {
    std::vector<double> scaled;
    for (double tone : AllTones())
        scaled.push_back(tone * 44100.0 / rate);
    const double found = wt::DominantOf(samples, scaled);
    return found * rate / 44100.0;
}

void Put(std::string& s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        s += char((v >> (8 * i)) & 0xFF);
}

// A wave file of a tone in one of the flavours packs come in.
enum class Flavour { Pcm16, Unsigned8, Float32, Pcm24 };
std::string ToneWave(double frequency, int ms, Flavour flavour, uint32_t rate, int channels) {
    const int bits = flavour == Flavour::Pcm16       ? 16
                     : flavour == Flavour::Unsigned8 ? 8
                     : flavour == Flavour::Float32   ? 32
                                                     : 24;
    std::string data;
    const uint32_t frames = rate * uint32_t(ms) / 1000;
    for (uint32_t i = 0; i < frames; ++i) {
        double v = 0.4 * std::sin(2 * 3.14159265358979 * frequency * i / rate);
        for (int c = 0; c < channels; ++c) {
            if (flavour == Flavour::Unsigned8)
                Put(data, uint32_t(128 + std::lround(v * 127)), 1);
            else if (flavour == Flavour::Pcm16)
                Put(data, uint32_t(int32_t(std::lround(v * 32767))), 2);
            else if (flavour == Flavour::Pcm24)
                Put(data, uint32_t(int32_t(std::lround(v * 8388607))), 3);
            else {
                float f = float(v);
                uint32_t u;
                memcpy(&u, &f, 4);
                Put(data, u, 4);
            }
        }
    }
    std::string wav = "RIFF";
    Put(wav, 36 + uint32_t(data.size()), 4);
    wav += "WAVEfmt ";
    Put(wav, 16, 4);
    Put(wav, flavour == Flavour::Float32 ? 3 : 1, 2);
    Put(wav, uint32_t(channels), 2);
    Put(wav, rate, 4);
    Put(wav, rate * uint32_t(channels * bits / 8), 4);
    Put(wav, uint32_t(channels * bits / 8), 2);
    Put(wav, uint32_t(bits), 2);
    wav += "data";
    Put(wav, uint32_t(data.size()), 4);
    return wav + data;
}

// What an imported sound file holds, read by its canonical 44-byte header.
struct KeySound {
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    std::vector<int16_t> mono; // the first channel
};
KeySound ReadKeySound(const std::string& path) {
    const std::string b = wt::ReadFileBytes(path);
    KeySound s;
    if (b.size() < 44 || b.compare(0, 4, "RIFF") != 0 || b.compare(36, 4, "data") != 0)
        return s;
    auto u16 = [&](size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); };
    s.format = u16(20);
    s.channels = u16(22);
    s.rate = u16(24) | uint32_t(u16(26)) << 16;
    s.bits = u16(34);
    for (size_t at = 44; s.channels && at + 2 * s.channels <= b.size(); at += 2u * s.channels)
        s.mono.push_back(int16_t(u16(at)));
    return s;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(folder + name + "\\");
            else
                DeleteFileA((folder + name).c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// Pack folders live under the Unix /tmp, where the encoders (Unix programs) reach them too.
struct PackDir {
    std::string unix, win; // both end in a separator
    explicit PackDir(const std::string& tag) {
        // Other Wine environments share /tmp and their process ids repeat ours: the folder is
        // ours only when this very call made it.
        static unsigned counter = GetTickCount();
        do {
            unix = "/tmp/tappolo-pack-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(++counter) + "/";
            win = wt::UnixToWinPath(unix);
        } while (!CreateDirectoryA(win.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    }
    ~PackDir() { RemoveTree(win); }
    PackDir(const PackDir&) = delete;
    PackDir& operator=(const PackDir&) = delete;
    // The folder without its closing separator, as a user names it on a command line.
    std::string Folder() const { return win.substr(0, win.size() - 1); }
    void Write(const std::string& name, std::string bytes) const {
        std::string path = win + name;
        for (char& c : path)
            if (c == '/')
                c = '\\';
        CreateDirectoryA(path.substr(0, path.find_last_of('\\')).c_str(), nullptr);
        wt::WriteFileBytes(path, bytes);
    }
};

// Waits until the file is there and has kept its size for a second: "start /unix" does not wait
// for the Unix program it starts.
bool WaitFileDone(const std::string& path) {
    int64_t last = -1;
    int steady = 0;
    for (int i = 0; i < 300 && steady < 5; ++i) {
        Sleep(200);
        WIN32_FILE_ATTRIBUTE_DATA data;
        int64_t size = GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)
                           ? int64_t(data.nFileSizeLow)
                           : -1;
        steady = size > 0 && size == last ? steady + 1 : 0;
        last = size;
    }
    return steady >= 5;
}

// Starts a Unix program (oggenc, lame); the caller waits for its output with WaitFileDone.
bool RunUnix(const std::string& arguments) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string command = "cmd.exe /c start /wait /unix " + arguments;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
        return false;
    WaitForSingleObject(info.hProcess, 60000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

std::string RealConfig(const std::string& pack) {
    return wt::ReadFileBytes(wt::UnixToWinPath(TAPPOLO_REAL_PACKS) + "\\" + pack + "\\config.json");
}

// EG Oreo: an Ogg sprite in which each key type's expected slice is painted with a tone of its
// own, in type order (a later slice paints over an earlier one it overlaps).
struct Slice {
    int start, length;
};
const Slice kOreoSlices[16] = {{13641, 107}, {10885, 126}, {1276, 115},  {6216, 122},
                               {1272, 126},  {13964, 113}, {19720, 122}, {14603, 116},
                               {14602, 120}, {4991, 131},  {20804, 118}, {5968, 123},
                               {11171, 109}, {24626, 143}, {971, 142},   {18402, 104}};

std::vector<double> MakeOreo(const PackDir& pack) {
    const uint32_t rate = 44100;
    std::vector<int> painted(rate * 25, -1); // the type whose tone each frame holds
    for (int type = 0; type < 16; ++type)
        for (int i = kOreoSlices[type].start * 441 / 10;
             i < (kOreoSlices[type].start + kOreoSlices[type].length) * 441 / 10; ++i)
            painted[size_t(i)] = type;
    std::string data;
    for (size_t i = 0; i < painted.size(); ++i) {
        double v = painted[i] < 0 ? 0
                                  : 0.4 * std::sin(2 * 3.14159265358979 *
                                                   ToneNumber(painted[i] * 2) * double(i) / rate);
        Put(data, uint32_t(int32_t(std::lround(v * 32767))), 2);
    }
    std::string wav = "RIFF";
    Put(wav, 36 + uint32_t(data.size()), 4);
    wav += "WAVEfmt ";
    for (uint32_t v : {16u})
        Put(wav, v, 4);
    Put(wav, 1, 2);
    Put(wav, 1, 2);
    Put(wav, rate, 4);
    Put(wav, rate * 2, 4);
    Put(wav, 2, 2);
    Put(wav, 16, 2);
    wav += "data";
    Put(wav, uint32_t(data.size()), 4);
    pack.Write("oreo-source.wav", wav + data);
    RunUnix("/usr/bin/oggenc -Q -q 4 -o " + pack.unix + "oreo.ogg " + pack.unix +
            "oreo-source.wav");
    // The encoder runs on: the sprite is ready once its size holds.
    EXPECT_TRUE(WaitFileDone(pack.win + "oreo.ogg"));
    DeleteFileA((pack.win + "oreo-source.wav").c_str());
    pack.Write("config.json", RealConfig("eg-oreo"));
    // The tone each type's file must hold: the one painted in the middle of its slice.
    std::vector<double> expected;
    for (const Slice& s : kOreoSlices)
        expected.push_back(ToneNumber(painted[size_t((s.start + s.length / 2) * 441 / 10)] * 2));
    return expected;
}

// NK Cream: one wave file per name, each a tone of its own, in four flavours by turns.
const char* const kCreamFiles[] = {
    "q.wav",     "w.wav", "e.wav", "r.wav",     "t.wav",     "y.wav",         "u.wav",
    "i.wav",     "o.wav", "p.wav", "[.wav",     "].wav",     "backspace.wav", "tab.wav",
    "enter.wav", "a.wav", "s.wav", "d.wav",     "f.wav",     "g.wav",         "h.wav",
    "j.wav",     "k.wav", "l.wav", "shift.wav", "z.wav",     "x.wav",         "c.wav",
    "v.wav",     "b.wav", "n.wav", "m.wav",     "space.wav", "caps lock.wav"};
// The file each type takes: the first code of its list that the config defines.
const char* const kCreamChoice[16] = {
    "k.wav", "caps lock.wav", "w.wav",   "u.wav",   "w.wav", "b.wav",     "g.wav", "enter.wav",
    "m.wav", "backspace.wav", "tab.wav", "tab.wav", "a.wav", "space.wav", "q.wav", "l.wav"};
struct CreamFile {
    double tone;
    uint32_t rate;
    int channels;
};
std::map<std::string, CreamFile> MakeCream(const PackDir& pack) {
    std::map<std::string, CreamFile> files;
    int k = 0;
    for (const char* name : kCreamFiles) {
        const Flavour flavour = Flavour(k % 4);
        const uint32_t rate = flavour == Flavour::Unsigned8 ? 11025
                              : flavour == Flavour::Float32 ? 48000
                              : flavour == Flavour::Pcm24   ? 22050
                                                            : 44100;
        const int channels = flavour == Flavour::Float32 || flavour == Flavour::Pcm24 ? 2 : 1;
        files[name] = {ToneNumber(k), rate, channels};
        pack.Write(name, ToneWave(ToneNumber(k), 150, flavour, rate, channels));
        ++k;
    }
    pack.Write("config.json", RealConfig("nk-cream"));
    return files;
}

// Every file under a folder with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files[name + "\\"] = "";
            for (auto& [sub, bytes] : Snapshot(folder + name + "\\"))
                files[name + "\\" + sub] = bytes;
        } else {
            files[name] = wt::ReadFileBytes(folder + name);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return files;
}

std::wstring Wide(const std::string& ansi) {
    int count = MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), nullptr, 0);
    std::wstring wide(size_t(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), wide.data(), count);
    return wide;
}

// A file named outside the ANSI code page, in folders that are made as needed below `base`.
void WriteWide(const std::wstring& base, const std::wstring& relative, const std::string& bytes) {
    for (size_t cut = relative.find(L'\\'); cut != std::wstring::npos;
         cut = relative.find(L'\\', cut + 1))
        CreateDirectoryW((base + relative.substr(0, cut)).c_str(), nullptr);
    HANDLE file = CreateFileW((base + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr));
    CloseHandle(file);
}

// Tappolo.exe run with arguments; its exit code, with the text of the message box it showed
// (answered with OK) when `box` is given. A program still running after `timeout` is ended.
DWORD RunTappolo(const ProgramDir& dir, const std::wstring& arguments, std::string* box = nullptr,
                 milliseconds timeout = 60s) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring exe = Wide(dir.Path() + "Tappolo.exe");
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return 999;
    if (box) {
        MessageBoxInfo shown = WaitMessageBox(info.dwProcessId, timeout);
        *box = Narrow(shown.Text);
        if (shown.Window)
            PressButton(shown.Window, IDOK);
    }
    DWORD code = 998;
    if (WaitForSingleObject(info.hProcess, DWORD(timeout.count())) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    else
        TerminateProcess(info.hProcess, 998);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}
DWORD RunTappolo(const ProgramDir& dir, const std::string& arguments, std::string* box = nullptr,
                 milliseconds timeout = 60s) {
    return RunTappolo(dir, Wide(arguments), box, timeout);
}

// A pack of one wave file for the Letter Keys, a tone of its own.
void MakeLetterPack(const PackDir& pack, const std::string& name, int tone) {
    pack.Write("config.json", R"({"name": ")" + name +
                                  R"(", "key_define_type": "multi", "defines": {"30": "a.wav"}})");
    pack.Write("a.wav", ToneWave(ToneNumber(tone), 100, Flavour::Pcm16, 44100, 1));
}

double LetterTone(const std::string& schemeFolder, const char* file = "letter.wav") {
    KeySound sound = ReadKeySound(schemeFolder + file);
    return DominantTone(sound.mono, sound.rate);
}

// What a key plays, read back from the scheme file and its key sounds file by the rules the
// sound engine plays them by: each press take and each release take as "file:k", k the number
// of the tone (ToneNumber) the file holds.
std::string KeyTones(const std::string& scheme, KeyPlace key, int type) {
    TMySchemeInfo sounds;
    sounds.LoadFromFile(scheme + ".tss", false);
    TSchemeKeySounds keys;
    keys.LoadFromFile(scheme + ".tsk");
    std::string text;
    auto add = [&](const SoundTakes& takes) {
        for (const std::string& file : takes) {
            KeySound sound = ReadKeySound(scheme + "\\" + file);
            text += file + ":";
            text +=
                sound.mono.empty()
                    ? "none"
                    : std::to_string(std::lround(
                          std::log(DominantTone(sound.mono, sound.rate) / 300) / std::log(1.07)));
            text += " ";
        }
    };
    add(keys.PressTakes(key, type, sounds.GetSound(type)));
    text += "|";
    add(keys.ReleaseTakes(key, type));
    return text;
}

std::vector<std::string> StoredFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : Snapshot(folder))
        names.push_back(entry.first);
    return names;
}
std::vector<std::string> TypeFilesAnd(std::vector<std::string> more) {
    more.insert(more.end(), std::begin(kTypeFiles), std::end(kTypeFiles));
    std::sort(more.begin(), more.end());
    return more;
}

// A pack folder's files as a zip: at its root, or in one folder of the given name.
std::string ZipOf(const std::string& packFolder, const std::string& inFolder) {
    std::vector<ziptest::Entry> entries;
    const std::string prefix = inFolder.empty() ? "" : inFolder + "/";
    if (!prefix.empty())
        entries.emplace_back(prefix, "");
    for (auto& [name, bytes] : Snapshot(packFolder)) {
        if (name.back() == '\\')
            continue;
        std::string inZip = name;
        for (char& c : inZip)
            if (c == '\\')
                c = '/';
        entries.emplace_back(prefix + inZip, bytes);
    }
    return ziptest::MakeZip(entries);
}

// Waits until each scheme file is there.
bool WaitSchemes(const ProgramDir& dir, const std::vector<std::string>& names) {
    for (int i = 0; i < 600; ++i) {
        if (std::all_of(names.begin(), names.end(), [&](const std::string& name) {
                return GetFileAttributesA((dir.SchemesPath() + name + ".tss").c_str()) !=
                       INVALID_FILE_ATTRIBUTES;
            }))
            return true;
        Sleep(100);
    }
    return false;
}

using Import = app::SpeechTest;

} // namespace

TEST_F(Import, SpritePackFromTheTrayMenuBecomesTheCurrentSchemeAndPlays) {
    PackDir pack("oreo");
    const std::vector<double> expected = MakeOreo(pack);
    ProgramDir dir("import-tray");
    dir.WriteSettings("Fight");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);

    ASSERT_TRUE(tappolo.ChooseItem(mpImportPack));
    ASSERT_TRUE(ChooseFile(tappolo.Id(), pack.win + "config.json", 10s, "Import Sound Pack"));
    EXPECT_EQ(Narrow(WaitTrayTooltip(true, 30s)),
              "Imported EG Oreo: 16 of the 16 key types have a sound of their own");

    const std::string folder = dir.SchemesPath() + "EG Oreo\\";
    std::string scheme;
    for (const char* name : kTypeFiles)
        scheme += TextValue(name);
    EXPECT_EQ(wt::ReadFileBytes(dir.SchemesPath() + "EG Oreo.tss"), scheme);
    // Beside the type files, the slices of the other keys ("k<code>.wav").
    for (const auto& [name, bytes] : Snapshot(folder))
        EXPECT_TRUE(name[0] == 'k' || std::count(kTypeFiles, kTypeFiles + 16, name) == 1) << name;
    for (int type = 0; type < 16; ++type) {
        KeySound sound = ReadKeySound(folder + kTypeFiles[type]);
        EXPECT_EQ(sound.format, 1) << type;
        EXPECT_EQ(sound.bits, 16) << type;
        EXPECT_EQ(sound.rate, 44100u) << type;
        EXPECT_EQ(sound.channels, 1) << type;
        // The slice's length give or take a few frames of the encoder's edges.
        EXPECT_NEAR(double(sound.mono.size()), kOreoSlices[type].length * 44.1, 3) << type;
        EXPECT_EQ(wt::DominantOf(sound.mono, AllTones()), expected[type]) << kTypeFiles[type];
    }
    // Current at once: the settings name it and a key plays from it.
    std::string settings = wt::ReadFileBytes(dir.SettingsPath());
    EXPECT_NE(settings.find(TextValue("EG Oreo")), std::string::npos);
    wt::PlaySoundTrace trace;
    PressKey('Q');
    EXPECT_EQ(Relative(trace.WaitNames(1, 5s), dir),
              std::vector<std::string>{"schemes\\EG Oreo\\letter.wav"});
}

TEST_F(Import, CommandLineWithTappoloRunningAndANameClash) {
    PackDir cream("cream");
    const auto files = MakeCream(cream);
    ProgramDir dir("import-cli");
    dir.WriteSettings("Fight");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);

    const std::string name = "NK Cream (original by Ryan)";
    // The folder's closing backslash does not turn the closing quote into a character.
    ASSERT_EQ(RunTappolo(dir, "/import \"" + cream.win + "\" /quiet", nullptr, 30s), 0u);
    const std::string folder = dir.SchemesPath() + name + "\\";
    for (int type = 0; type < 16; ++type) {
        const CreamFile& source = files.at(kCreamChoice[type]);
        KeySound sound = ReadKeySound(folder + kTypeFiles[type]);
        EXPECT_EQ(sound.bits, 16) << type;
        EXPECT_EQ(sound.rate, source.rate) << type;
        EXPECT_EQ(sound.channels, source.channels) << type;
        EXPECT_NEAR(DominantTone(sound.mono, sound.rate), source.tone, 0.01) << kTypeFiles[type];
    }
    // The running program lists it at once: its third scheme item plays it.
    Sync(tappolo.MainWindow());
    ASSERT_TRUE(tappolo.ChooseItem(mpSchemes, 2));
    wt::PlaySoundTrace trace;
    PressKey(VK_RETURN);
    EXPECT_EQ(Relative(trace.WaitNames(1, 5s), dir),
              std::vector<std::string>{"schemes\\" + name + "\\enter.wav"});

    // The same pack again, dropped on the exe (a bare path): a second scheme, the first as it was.
    const auto first = Snapshot(dir.SchemesPath() + name + "\\");
    std::string box;
    ASSERT_EQ(RunTappolo(dir, "\"" + cream.win + "config.json\"", &box), 0u);
    EXPECT_EQ(box, "Imported " + name + " 2: 16 of the 16 key types have a sound of their own.");
    EXPECT_EQ(Snapshot(dir.SchemesPath() + name + " 2\\"), first);
    EXPECT_EQ(Snapshot(dir.SchemesPath() + name + "\\"), first);
}

TEST_F(Import, Version2PackOfMp3FilesDecodesThroughThePlatform) {
    PackDir pack("mp3");
    pack.Write("config.json", R"({"name": "Clicky", "version": 2, "key_define_type": "multi",
        "sound": "GENERIC_R{0-4}.mp3", "defines": {"30": "press/A.mp3", "28": "press/ENTER.mp3",
        "57": null, "30-up": "release/A.mp3"}})");
    const std::map<std::string, int> tones = {
        {"GENERIC_R0", 3}, {"GENERIC_R1", 9}, {"press/A", 15}, {"press/ENTER", 21}};
    for (const auto& [file, k] : tones) {
        pack.Write(file + ".src.wav", ToneWave(ToneNumber(k), 300, Flavour::Pcm16, 44100, 1));
        RunUnix("/usr/bin/lame --quiet -b 128 " + pack.unix + file + ".src.wav " + pack.unix +
                file + ".mp3");
        std::string mp3 = pack.win + file + ".mp3";
        for (char& c : mp3)
            if (c == '/')
                c = '\\';
        EXPECT_TRUE(WaitFileDone(mp3));
    }
    ProgramDir dir("import-mp3");
    ASSERT_EQ(RunTappolo(dir, "/quiet /import \"" + pack.win + "config.json\""), 0u);
    const std::string folder = dir.SchemesPath() + "Clicky\\";
    for (int type = 0; type < 16; ++type) {
        const int k = type == 12 ? 15 : type == 7 ? 21 : 3; // letter, enter, the rest R0
        KeySound sound = ReadKeySound(folder + kTypeFiles[type]);
        EXPECT_EQ(sound.rate, 44100u);
        ASSERT_GT(sound.mono.size(), 4410u) << kTypeFiles[type];
        EXPECT_EQ(wt::DominantOf(sound.mono, AllTones()), ToneNumber(k)) << kTypeFiles[type];
    }
}

TEST_F(Import, BadPacksSayWhyAndLeaveTheSchemesFolderAsItWas) {
    ProgramDir dir("import-bad");
    const auto before = Snapshot(dir.SchemesPath());
    PackDir comma("comma"), future("future"), nosprite("nosprite");
    comma.Write("config.json", "{\n  \"name\": \"x\",\n  \"defines\": {\"30\": \"a.wav\"},\n}\n");
    comma.Write("a.wav", ToneWave(440, 100, Flavour::Pcm16, 44100, 1));
    future.Write("config.json", R"({"version": 3, "defines": {"30": "a.wav"}})");
    future.Write("a.wav", ToneWave(440, 100, Flavour::Pcm16, 44100, 1));
    nosprite.Write("config.json", RealConfig("eg-oreo"));

    std::string box;
    EXPECT_EQ(RunTappolo(dir, "/import \"" + comma.Folder() + "\"", &box), 1u);
    EXPECT_EQ(box, "The sound pack \"" + comma.Folder() +
                       "\" cannot be imported. config.json is not valid JSON (line 4, column 1)");
    EXPECT_EQ(RunTappolo(dir, "/import \"" + future.win + "config.json\" /quiet"), 1u);
    EXPECT_EQ(RunTappolo(dir, "/import \"" + nosprite.Folder() + "\"", &box), 1u);
    EXPECT_EQ(box, "The sound pack \"" + nosprite.Folder() +
                       "\" cannot be imported. The sound file \"oreo.ogg\" is missing.");
    EXPECT_EQ(Snapshot(dir.SchemesPath()), before);
}

TEST_F(Import, SeveralPacksOnTheCommandLineAreImportedOneAfterTheOther) {
    PackDir a("several-a"), b("several-b");
    MakeLetterPack(a, "Pack A", 2);
    MakeLetterPack(b, "Pack B", 5);
    ProgramDir dir("import-several");
    // What dropping both on the exe gives: the bare paths.
    std::string box;
    EXPECT_EQ(RunTappolo(dir, "\"" + a.Folder() + "\" \"" + b.win + "config.json\"", &box), 0u);
    const std::string own = ": 1 of the 16 key types have a sound of their own.";
    EXPECT_EQ(box, "Imported Pack A" + own + "\nImported Pack B" + own);
    EXPECT_NEAR(LetterTone(dir.SchemesPath() + "Pack A\\"), ToneNumber(2), 0.01);
    EXPECT_NEAR(LetterTone(dir.SchemesPath() + "Pack B\\"), ToneNumber(5), 0.01);

    // One that fails does not stop the others, and the exit code tells.
    EXPECT_EQ(RunTappolo(dir, "/import \"" + a.win + "gone\" \"" + a.Folder() + "\"", &box), 1u);
    EXPECT_EQ(box, "The sound pack \"" + a.win + "gone\" cannot be imported. It does not exist.\n" +
                       "Imported Pack A 2" + own);
}

TEST_F(Import, PackFilesAreOpenedByTheirOwnNamesOutsideTheCodePageToo) {
    // A fullwidth "．．／．．／" define: the code page's best fit would make it "..\..\" and
    // reach the file two folders up.
    PackDir escape("escape");
    escape.Write("x.wav", ToneWave(ToneNumber(1), 100, Flavour::Pcm16, 44100, 1));
    CreateDirectoryA((escape.win + "a").c_str(), nullptr);
    escape.Write("a\\b\\config.json",
                 "{\"name\": \"Escape\", \"key_define_type\": \"multi\", \"defines\": {"
                 "\"30\": \"\xEF\xBC\x8E\xEF\xBC\x8E\xEF\xBC\x8F\xEF\xBC\x8E\xEF\xBC\x8E\xEF\xBC"
                 "\x8Fx.wav\", \"28\": \"enter.wav\"}}");
    escape.Write("a\\b\\enter.wav", ToneWave(ToneNumber(4), 100, Flavour::Pcm16, 44100, 1));
    ProgramDir dir("import-wide");
    ASSERT_EQ(RunTappolo(dir, "/import \"" + escape.win + "a\\b\" /quiet", nullptr, 30s), 0u);
    const auto escaped = Snapshot(dir.SchemesPath() + "Escape\\");
    EXPECT_EQ(escaped.size(), 1u); // Enter alone: the Letter Keys' file is not in the pack
    EXPECT_NEAR(LetterTone(dir.SchemesPath() + "Escape\\", "enter.wav"), ToneNumber(4), 0.01);

    // A Japanese folder and file: imported; the name keeps what the code page holds.
    PackDir japanese("japanese");
    const std::wstring pack = Wide(japanese.win) + L"\u30D1\u30C3\u30AF\\";
    CreateDirectoryW(pack.c_str(), nullptr);
    WriteWide(pack, L"config.json",
              "{\"name\": \"\xE6\x97\xA5\xE6\x9C\xAC Cream\", \"key_define_type\": \"multi\", "
              "\"defines\": {\"30\": \"\xE9\x9F\xB3/\xE3\x82\xAD\xE3\x83\xBC.wav\"}}");
    WriteWide(pack, L"\u97F3\\\u30AD\u30FC.wav",
              ToneWave(ToneNumber(7), 100, Flavour::Pcm16, 44100, 1));
    std::string box;
    EXPECT_EQ(RunTappolo(dir, L"/import \"" + pack + L"\"", &box), 0u);
    EXPECT_EQ(box, "Imported Cream: 1 of the 16 key types have a sound of their own.");
    EXPECT_NEAR(LetterTone(dir.SchemesPath() + "Cream\\"), ToneNumber(7), 0.01);
}

TEST_F(Import, ALargeSpriteImportsWhileTheTrayStaysResponsive) {
    // Nine and a half minutes of stereo noise: seconds of decoding. The Letter Keys' slice
    // lies near its end.
    PackDir pack("large");
    RunUnix("/usr/bin/sox -n -r 44100 -c 2 " + pack.unix +
            "large.ogg synth 570 pinknoise vol 0.05");
    ASSERT_TRUE(WaitFileDone(pack.win + "large.ogg"));
    pack.Write("config.json", R"({"name": "Large", "sound": "large.ogg",
        "defines": {"30": [560000, 100]}})");

    ProgramDir dir("import-large");
    dir.WriteSettings("Fight");
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    ASSERT_TRUE(tappolo.ChooseItem(mpImportPack));
    ASSERT_TRUE(ChooseFile(tappolo.Id(), pack.win + "config.json", 10s, "Import Sound Pack"));
    const std::string scheme = dir.SchemesPath() + "Large.tss";
    // The main window answers at once all the while, and the tip tells how far the import is.
    std::wstring tip;
    int answered = 0;
    while (GetFileAttributesA(scheme.c_str()) == INVALID_FILE_ATTRIBUTES && answered < 600) {
        DWORD_PTR result = 0;
        ASSERT_NE(SendMessageTimeoutA(tappolo.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500,
                                      &result),
                  0)
            << "the main window did not answer within half a second";
        if (++answered == 3)
            tip = HoverTrayIcons();
        Sleep(50);
    }
    EXPECT_GE(answered, 3);
    const std::string label = pack.Folder().substr(pack.Folder().rfind('\\') + 1);
    EXPECT_EQ(Narrow(tip).rfind("Importing " + label, 0), 0u) << Narrow(tip);
    // Decoding nine minutes takes seconds on an idle machine, many more on a loaded one. The
    // mouse leaves the icon, so that its hover tip does not stand in the balloon's place.
    SetCursorPos(300, 300);
    std::string done;
    for (int i = 0; i < 240 && done.rfind("Imported", 0) != 0; ++i) {
        done = Narrow(WaitTrayTooltip(true, 500ms));
        Sleep(i == 0 ? 0 : 500);
    }
    EXPECT_EQ(done, "Imported Large: 1 of the 16 key types have a sound of their own");
}

TEST_F(Import, EveryKeysOwnSoundsReleasesAndTakesAreKept) {
    // A sprite of ten 100 ms slots, each a tone of its own but the last, which holds the first
    // one's samples again.
    PackDir sprite("keys-sprite");
    std::string samples;
    for (int tone : {0, 2, 4, 6, 8, 10, 12, 14, 16, 0})
        samples += ToneWave(ToneNumber(tone), 100, Flavour::Pcm16, 44100, 1).substr(44);
    std::string wave = ToneWave(ToneNumber(0), 1000, Flavour::Pcm16, 44100, 1);
    sprite.Write("s.wav", wave.replace(44, samples.size(), samples));
    sprite.Write("config.json", R"({"name": "Sprite Keys", "sound": "s.wav", "defines": {
        "30": [0, 100], "3612": [0, 100], "30-up": [100, 80], "31": [200, 100],
        "31-up": [300, 80], "57": [400, 100], "57-up": [500, 80], "28": [600, 100],
        "57416": [700, 100], "61000": [200, 100], "57416-up": [800, 80], "44": [900, 100],
        "9999": [0, 50]}})");
    // Version 2 files: fallbacks of three takes and one, a key of two takes, a copy of another
    // file, a file in a folder at another rate and format.
    PackDir multi("keys-multi");
    multi.Write("config.json", R"({"name": "Multi Keys", "version": 2,
        "key_define_type": "multi", "sound": "generic{0-2}.wav", "soundup": "generic-up.wav",
        "defines": {"30": "a.wav", "30-up": "a-up.wav", "31": "copy of a.wav",
        "57": "space{1-2}.wav", "28": null, "14": "press/back space.wav"}})");
    for (const auto& [file, tone] : std::map<std::string, int>{{"generic0.wav", 20},
                                                               {"generic2.wav", 22},
                                                               {"generic-up.wav", 23},
                                                               {"a.wav", 24},
                                                               {"copy of a.wav", 24},
                                                               {"a-up.wav", 25},
                                                               {"space1.wav", 26},
                                                               {"space2.wav", 27}})
        multi.Write(file, ToneWave(ToneNumber(tone), 150, Flavour::Pcm16, 44100, 1));
    multi.Write("generic1.wav", ToneWave(ToneNumber(21), 150, Flavour::Unsigned8, 11025, 1));
    multi.Write("press/back space.wav", ToneWave(ToneNumber(28), 150, Flavour::Pcm24, 22050, 2));

    ProgramDir dir("import-keys");
    ASSERT_EQ(
        RunTappolo(dir, "/import \"" + sprite.Folder() + "\" \"" + multi.Folder() + "\" /quiet"),
        0u);
    std::string typeNames;
    for (const char* name : kTypeFiles)
        typeNames += TextValue(name);
    const std::string spriteScheme = dir.SchemesPath() + "Sprite Keys";
    EXPECT_EQ(wt::ReadFileBytes(spriteScheme + ".tss"), typeNames);
    EXPECT_EQ(
        StoredFiles(spriteScheme + "\\"),
        TypeFilesAnd({"arrow-up.wav", "k31-up.wav", "k31.wav", "letter-up.wav", "space-up.wav"}));
    // Z's slice is A's samples again, stored once; keypad Enter's is A's; Up's standard code
    // wins over its alias; a key without a release of its own takes its type's.
    EXPECT_EQ(KeyTones(spriteScheme, {30, false}, KeyType::Letter),
              "letter.wav:0 |letter-up.wav:2 ");
    EXPECT_EQ(KeyTones(spriteScheme, {44, false}, KeyType::Letter),
              "letter.wav:0 |letter-up.wav:2 ");
    EXPECT_EQ(KeyTones(spriteScheme, {31, false}, KeyType::Letter), "k31.wav:4 |k31-up.wav:6 ");
    EXPECT_EQ(KeyTones(spriteScheme, {28, true}, KeyType::Enter), "letter.wav:0 |letter-up.wav:2 ");
    EXPECT_EQ(KeyTones(spriteScheme, {0x48, true}, KeyType::Arrow),
              "arrow.wav:14 |arrow-up.wav:16 ");
    EXPECT_EQ(KeyTones(spriteScheme, {57, false}, KeyType::Space), "space.wav:8 |space-up.wav:10 ");

    const std::string multiScheme = dir.SchemesPath() + "Multi Keys";
    EXPECT_EQ(wt::ReadFileBytes(multiScheme + ".tss"), typeNames);
    EXPECT_EQ(StoredFiles(multiScheme + "\\"),
              TypeFilesAnd(
                  {"letter-up.wav", "sound-2.wav", "sound-3.wav", "soundup.wav", "space-2.wav"}));
    // Every key without its own sounds takes the fallbacks: Enter (null), keys the pack does
    // not name, F13 (91 in packs, make code 0x64) among them.
    const std::string fallback = "sound-2.wav:21 sound-3.wav:22 |soundup.wav:23 ";
    EXPECT_EQ(KeyTones(multiScheme, {30, false}, KeyType::Letter),
              "letter.wav:24 |letter-up.wav:25 ");
    EXPECT_EQ(KeyTones(multiScheme, {31, false}, KeyType::Letter),
              "letter.wav:24 |soundup.wav:23 ");
    EXPECT_EQ(KeyTones(multiScheme, {57, false}, KeyType::Space),
              "space.wav:26 space-2.wav:27 |soundup.wav:23 ");
    EXPECT_EQ(KeyTones(multiScheme, {28, false}, KeyType::Enter), "pageup.wav:20 " + fallback);
    EXPECT_EQ(KeyTones(multiScheme, {1, false}, KeyType::Esc), "pageup.wav:20 " + fallback);
    EXPECT_EQ(KeyTones(multiScheme, {0x64, false}, KeyType::Function), "pageup.wav:20 " + fallback);
    EXPECT_EQ(KeyTones(multiScheme, {14, false}, KeyType::BackSpace),
              "backspace.wav:28 |soundup.wav:23 ");
    // Stored as 16-bit waves at the pack's rate.
    const KeySound backSpace = ReadKeySound(multiScheme + "\\backspace.wav");
    EXPECT_EQ(backSpace.bits, 16);
    EXPECT_EQ(backSpace.rate, 22050u);
    EXPECT_EQ(backSpace.channels, 2);
}

TEST_F(Import, ZipsAtTheirRootOrOneFolderDeepGiveTheSchemesTheirFoldersGiveByteForByte) {
    PackDir oreo("zip-oreo"), cream("zip-cream"), zips("zips");
    MakeOreo(oreo);
    MakeCream(cream);
    zips.Write("oreo.zip", ZipOf(oreo.win, ""));
    zips.Write("Cream.ZIP", ZipOf(cream.win, "NK Cream"));
    zips.Write("oreo in a folder.zip", ZipOf(oreo.win, "EG Oreo"));
    zips.Write("cream at the root.zip", ZipOf(cream.win, ""));
    ziptest::Entry locked("a.wav", "RIFF", true, 1);
    zips.Write("locked.zip", ziptest::MakeZip({{"config.json", "{}"}, locked}));

    ProgramDir dir("import-zip");
    const std::string oreoName = "EG Oreo", creamName = "NK Cream (original by Ryan)";
    ASSERT_EQ(RunTappolo(dir, "/import \"" + oreo.Folder() + "\" \"" + cream.Folder() + "\" /quiet",
                         nullptr, 60s),
              0u);
    // Dropped on the exe: the zips' bare paths.
    std::string box;
    ASSERT_EQ(RunTappolo(dir, "\"" + zips.win + "oreo.zip\" \"" + zips.win + "Cream.ZIP\"", &box),
              0u);
    const std::string own = ": 16 of the 16 key types have a sound of their own.";
    EXPECT_EQ(box, "Imported " + oreoName + " 2" + own + "\nImported " + creamName + " 2" + own);
    // A hostile zip is named and changes nothing.
    const auto before = Snapshot(dir.SchemesPath());
    EXPECT_EQ(RunTappolo(dir, "/import \"" + zips.win + "locked.zip\"", &box), 1u);
    EXPECT_EQ(box, "The sound pack \"" + zips.win +
                       "locked.zip\" cannot be imported. The file \"a.wav\" in the zip is "
                       "encrypted.");
    EXPECT_EQ(Snapshot(dir.SchemesPath()), before);

    // Two zips picked together in the tray menu's dialog, and a pack folder named with them.
    zips.Write("Letter Pack\\config.json", R"({"name": "Letters", "key_define_type": "multi",
        "defines": {"30": "a.wav"}})");
    zips.Write("Letter Pack\\a.wav", ToneWave(ToneNumber(3), 100, Flavour::Pcm16, 44100, 1));
    AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr);
    ASSERT_TRUE(tappolo.ChooseItem(mpImportPack));
    ASSERT_TRUE(ChooseFiles(tappolo.Id(), zips.Folder(),
                            {"oreo in a folder.zip", "cream at the root.zip", "Letter Pack"}, 10s,
                            "Import Sound Pack"));
    ASSERT_TRUE(WaitSchemes(dir, {oreoName + " 3", creamName + " 3", "Letters"}));
    EXPECT_NEAR(LetterTone(dir.SchemesPath() + "Letters\\"), ToneNumber(3), 0.01);

    for (const std::string& name : {oreoName, creamName}) {
        const auto fromFolder = Snapshot(dir.SchemesPath() + name + "\\");
        ASSERT_GE(fromFolder.size(), 16u) << name;
        const std::string scheme = wt::ReadFileBytes(dir.SchemesPath() + name + ".tss");
        const std::string keys = wt::ReadFileBytes(dir.SchemesPath() + name + ".tsk");
        for (const char* n : {" 2", " 3"}) {
            EXPECT_EQ(Snapshot(dir.SchemesPath() + name + n + "\\"), fromFolder) << name << n;
            EXPECT_EQ(wt::ReadFileBytes(dir.SchemesPath() + name + n + ".tss"), scheme);
            EXPECT_EQ(wt::ReadFileBytes(dir.SchemesPath() + name + n + ".tsk"), keys);
        }
    }
}
