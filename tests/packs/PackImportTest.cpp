// The whole import on the disk: what lands in the schemes folder, and that a bad pack leaves it
// as it was.
#include "PackImport.h"

#include "CoreTestFiles.h"
#include "Exception.h"
#include "FileLock.h"
#include "SchemeStore.h"
#include "ZipMaker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string Le16(unsigned v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF)};
}
std::string Le32(unsigned v) {
    return Le16(v & 0xFFFF) + Le16(v >> 16);
}

// A canonical wave file: 44-byte header, then the sample bytes.
std::string Wave(unsigned rate, unsigned channels, unsigned bits, const std::string& data) {
    return "RIFF" + Le32(36 + unsigned(data.size())) + "WAVEfmt " + Le32(16) + Le16(1) +
           Le16(channels) + Le32(rate) + Le32(rate * channels * bits / 8) +
           Le16(channels * bits / 8) + Le16(bits) + "data" + Le32(unsigned(data.size())) + data;
}

std::string Samples16(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += Le16(unsigned(v) & 0xFFFF);
    return out;
}

// The scheme file: sixteen short texts.
std::string SchemeFile(const std::map<int, std::string>& names) {
    std::string out;
    for (int i = 0; i < 16; ++i) {
        std::string name = names.count(i) ? names.at(i) : "";
        out += '\x06';
        out += char(name.size());
        out += name;
    }
    return out;
}

// Every file under a folder with its bytes, so that "unchanged" can be compared.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (auto& entry : fs::recursive_directory_iterator(folder))
        files[fs::relative(entry.path(), folder).string()] =
            entry.is_directory() ? "<folder>" : coretest::ReadBytes(entry.path().string());
    return files;
}

std::string ImportError(const std::string& pack, const std::string& programDir) {
    try {
        ImportPack(pack, programDir);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(imported)";
}

class PackImport : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Dir("program/schemes/Fight"));
        coretest::WriteBytes(Dir("program/schemes/Fight.tss"), SchemeFile({{7, "enter.wav"}}));
        coretest::WriteBytes(Dir("program/schemes/Fight/enter.wav"), Wave(8000, 1, 16, "ab"));
    }
    std::string Dir(const std::string& relative) { return FTemp.File(relative); }
    std::string ProgramDir() { return Dir("program") + "/"; }
    std::string Schemes(const std::string& relative = "") {
        return Dir("program/schemes/" + relative);
    }
    void Write(const std::string& relative, const std::string& bytes) {
        fs::create_directories(fs::path(Dir(relative)).parent_path());
        coretest::WriteBytes(Dir(relative), bytes);
    }

    coretest::TempDir FTemp;
};

} // namespace

TEST_F(PackImport, FilePackBecomesASchemeOfSixteenWaveFiles) {
    std::string letter = Wave(44100, 1, 16, Samples16({100, -200, 300, -400}));
    Write("pack/config.json", R"({"name": " My: Pack ", "key_define_type": "multi",
        "defines": {"30": "a.wav", "30-up": "a-up.wav", "28": "sub/enter key.wav",
                    "1": "../escape.wav", "57": null, "14": "missing.wav"}})");
    Write("pack/a.wav", letter);
    Write("pack/sub/enter key.wav", Wave(11025, 1, 8, std::string("\x80\x00\xFF", 3)));
    Write("escape.wav", letter); // outside the pack: never used
    auto packBefore = Snapshot(Dir("pack"));

    PackImportResult result = ImportPack(Dir("pack"), ProgramDir());
    EXPECT_EQ(result.schemeName, "My Pack");
    EXPECT_EQ(result.ownSounds, 2);
    EXPECT_EQ(ImportSummary(result),
              "Imported My Pack: 2 of the 16 key types have a sound of their own");

    const char* names[] = {"pageup.wav",   "capslock.wav",  "number.wav", "numlock.wav",
                           "function.wav", "delete.wav",    "arrow.wav",  "enter.wav",
                           "pagedown.wav", "backspace.wav", "ctrl.wav",   "tab.wav",
                           "letter.wav",   "space.wav",     "esc.wav",    "other.wav"};
    std::map<int, std::string> scheme;
    for (int i = 0; i < 16; ++i)
        scheme[i] = names[i];
    EXPECT_EQ(coretest::ReadBytes(Dir("program/schemes/My Pack.tss")), SchemeFile(scheme));
    auto files = Snapshot(Dir("program/schemes/My Pack"));
    EXPECT_EQ(files.size(), 17u);
    // Short 16-bit sounds are copied sample for sample; 8-bit ones become 16-bit.
    EXPECT_EQ(files["letter.wav"], letter);
    EXPECT_EQ(files["esc.wav"], letter);
    EXPECT_EQ(files["space.wav"], letter);
    EXPECT_EQ(files["enter.wav"], Wave(11025, 1, 16, Samples16({0, -32768, 32512})));
    // Space, null in the pack, is silent: 10 ms of silence of its own.
    EXPECT_EQ(files["k57.wav"], Wave(44100, 1, 16, std::string(882, '\0')));
    // A and Enter press with sounds of their own: the type files that hold them. Nothing else
    // of the pack is usable (a-up.wav is missing).
    using namespace std::string_literals;
    std::string keySounds = "\x02\x01"s;
    for (int i = 0; i < 32; ++i)
        keySounds += "\x02\x00"s;
    keySounds += "\x02\x03"
                 "\x02\x1C\x02\x01\x06\x09"
                 "enter.wav\x02\x00"
                 "\x02\x1E\x02\x01\x06\x0A"
                 "letter.wav\x02\x00"
                 "\x02\x39\x02\x01\x06\x07"
                 "k57.wav\x02\x00"s;
    EXPECT_EQ(coretest::ReadBytes(Dir("program/schemes/My Pack.tsk")), keySounds);
    // Nothing left behind, the pack untouched.
    auto schemes = Snapshot(Dir("program/schemes"));
    // Fight's three, My Pack's folder, files, file and key sounds, the imports' lock file.
    EXPECT_EQ(schemes.size(), 3u + 1u + 17u + 1u + 1u + 1u);
    EXPECT_EQ(Snapshot(Dir("pack")), packBefore);

    // A second import of the same pack never touches the first.
    EXPECT_EQ(ImportPack(Dir("pack") + "/config.json", ProgramDir()).schemeName, "My Pack 2");
    EXPECT_EQ(Snapshot(Dir("program/schemes/My Pack")), files);
}

TEST_F(PackImport, SpritePackIsSlicedPerKey) {
    // 8 kHz mono, 20 ms of a constant: keys take 5 ms slices (40 frames) with 1 ms fades.
    std::string sprite = Samples16({});
    for (int i = 0; i < 160; ++i)
        sprite += Le16(1000);
    Write("sprite/config.json", R"({"name": "Sprite", "sound": "s.wav",
        "defines": {"57": [0, 5], "30": [5, 5], "28": [10, 0], "1": [30, 5]}})");
    Write("sprite/s.wav", Wave(8000, 1, 16, sprite));
    PackImportResult result = ImportPack(Dir("sprite"), ProgramDir());
    EXPECT_EQ(result.ownSounds, 2); // a zero-length slice and one past the end are silent
    std::string space = coretest::ReadBytes(Dir("program/schemes/Sprite/space.wav"));
    ASSERT_EQ(space.size(), 44u + 80u);
    EXPECT_EQ(space.substr(44, 4), Samples16({0, 125}));
    EXPECT_EQ(space.substr(44 + 20, 2), Samples16({1000}));
    EXPECT_EQ(space.substr(44 + 78, 2), Samples16({0}));
}

TEST_F(PackImport, BadPacksSayWhyAndChangeNothing) {
    auto before = Snapshot(Dir("program"));
    Write("comma/config.json", "{\n  \"defines\": {\"30\": \"a.wav\"},\n}\n");
    EXPECT_EQ(ImportError(Dir("comma"), ProgramDir()),
              "The sound pack \"" + Dir("comma") +
                  "\" cannot be imported. config.json is not valid JSON (line 3, column 1)");
    Write("v9/config.json", R"({"version": 9, "defines": {}})");
    EXPECT_EQ(ImportError(Dir("v9"), ProgramDir()),
              "The sound pack \"" + Dir("v9") +
                  "\" cannot be imported. The pack's version 9 is not one this program knows");
    Write("nosprite/config.json", R"({"sound": "gone.ogg", "defines": {"30": [0, 100]}})");
    EXPECT_EQ(ImportError(Dir("nosprite"), ProgramDir()),
              "The sound pack \"" + Dir("nosprite") +
                  "\" cannot be imported. The sound file \"gone.ogg\" is missing");
    Write("nested/inner/config.json", "{}");
    EXPECT_EQ(ImportError(Dir("nested"), ProgramDir()),
              "The sound pack \"" + Dir("nested") +
                  "\" cannot be imported. It has no config.json, but its folder \"inner\" has "
                  "one: import that folder");
    Write("broken/config.json", R"({"key_define_type": "multi", "defines": {"30": "a.wav"}})");
    Write("broken/a.wav", "RIFF....WAVEjunk");
    EXPECT_EQ(ImportError(Dir("broken"), ProgramDir()),
              "The sound pack \"" + Dir("broken") +
                  "\" cannot be imported. It has no usable key sound. The sound file \"a.wav\" "
                  "cannot be decoded: The wave file has no format chunk");
    // A setup header made to overflow the decoder's codebook sizes.
    Write("hostile/config.json", R"({"sound": "s.ogg", "defines": {"30": [0, 100]}})");
    Write("hostile/s.ogg", coretest::ReadBytes(TAPPOLO_AUDIO_TEST_DATA "/codebook-overflow.ogg"));
    EXPECT_EQ(ImportError(Dir("hostile"), ProgramDir()),
              "The sound pack \"" + Dir("hostile") +
                  "\" cannot be imported. The sound file \"s.ogg\" cannot be decoded: The Ogg "
                  "Vorbis data is damaged");
    Write("pack.zip", "PK\x03\x04");
    EXPECT_EQ(ImportError(Dir("pack.zip"), ProgramDir()),
              "The sound pack \"" + Dir("pack.zip") +
                  "\" cannot be imported. The zip file is damaged: its list of files cannot be "
                  "read");
    Write("zipped/pack.zip", ziptest::MakeZip({{"config.json", "{}"}}));
    EXPECT_EQ(ImportError(Dir("zipped"), ProgramDir()),
              "The sound pack \"" + Dir("zipped") +
                  "\" cannot be imported. It has no config.json, but it has the zip file "
                  "\"pack.zip\": import that zip");
    EXPECT_EQ(Snapshot(Dir("program")), before);
}

TEST_F(PackImport, SpriteIsDecodedOnlyAsFarAsKeysReachAndNeverPastTenMinutes) {
    // 8 kHz mono, 10 minutes and 1 second.
    std::string sprite(601u * 8000u * 2u, '\x03');
    for (size_t i = 0; i < sprite.size(); i += 2)
        sprite[i] = '\xE8'; // 1000
    Write("long/s.wav", Wave(8000, 1, 16, sprite));
    // A code no key type uses reaches hours into it: never decoded, never refused.
    Write("long/config.json", R"({"name": "Long", "sound": "s.wav",
        "defines": {"30": [0, 100], "9999": [36000000, 100]}})");
    EXPECT_EQ(ImportPack(Dir("long"), ProgramDir()).ownSounds, 1);

    auto before = Snapshot(Dir("program"));
    Write("long/config.json", R"({"name": "Longer", "sound": "s.wav",
        "defines": {"30": [0, 100], "28": [600500, 100]}})");
    EXPECT_EQ(ImportError(Dir("long"), ProgramDir()),
              "The sound pack \"" + Dir("long") +
                  "\" cannot be imported. The sprite file \"s.wav\" is longer than 10 minutes");
    EXPECT_EQ(Snapshot(Dir("program")), before);
}

TEST_F(PackImport, EveryImportTakesANameNoSchemeFileOrOtherImportHas) {
    Write("pack/config.json", R"({"name": "Foo", "key_define_type": "multi",
        "defines": {"30": "a.wav"}})");
    Write("pack/a.wav", Wave(8000, 1, 16, Samples16({1, 2, 3})));
    // A scheme file in other letter case is the same file on Windows.
    Write("program/schemes/Foo.TSS", "keep");
    EXPECT_EQ(ImportPack(Dir("pack"), ProgramDir()).schemeName, "Foo 2");
    EXPECT_EQ(coretest::ReadBytes(Schemes("Foo.TSS")), "keep");

    // A second import runs while the first writes its sounds, and a scheme file "Foo 4.tss"
    // appears: the first takes the name that is free when it is done.
    std::vector<std::string> nested;
    PackImportResult first = ImportPack(Dir("pack"), ProgramDir(), [&](int done, int) {
        if (done == 2 && nested.empty()) {
            nested.push_back(ImportPack(Dir("pack"), ProgramDir()).schemeName);
            Write("program/schemes/Foo 4.tss", "other");
        }
    });
    EXPECT_EQ(nested, std::vector<std::string>{"Foo 3"});
    EXPECT_EQ(first.schemeName, "Foo 5");
    EXPECT_EQ(coretest::ReadBytes(Schemes("Foo 4.tss")), "other");
    EXPECT_FALSE(fs::exists(Schemes("Foo 4")));
    EXPECT_EQ(coretest::ReadBytes(Schemes("Foo 5/letter.wav")),
              Wave(8000, 1, 16, Samples16({1, 2, 3})));
}

TEST_F(PackImport, WorkingFoldersHaveNamesNoSchemeHasAndNoneIsLeftBehind) {
    EXPECT_EQ(CheckSchemeName(std::string(ImportWorkPrefix) + "0"),
              SchemeNameFault::ShortNameAlias);
    Write("pack/config.json", R"({"name": "Foo", "key_define_type": "multi",
        "defines": {"30": "a.wav"}})");
    Write("pack/a.wav", Wave(8000, 1, 16, Samples16({1, 2, 3})));
    const std::string stale = Schemes(std::string(ImportWorkPrefix) + "7");
    Write("program/schemes/" + std::string(ImportWorkPrefix) + "7/letter.wav", "half");

    // A failed import takes its working folder away; another import running keeps a killed
    // one's folder from being cleaned, as it could be that import's own.
    auto before = Snapshot(Schemes());
    {
        FileLock running(Schemes(ImportLockName), FileLock::Kind::Shared, true);
        ASSERT_TRUE(running.Held());
        EXPECT_THROW(
            ImportPack(Dir("pack"), ProgramDir(), [](int, int) { throw Exception("stopped"); }),
            Exception);
        EXPECT_TRUE(fs::exists(stale));
        before[ImportLockName] = "";
        EXPECT_EQ(Snapshot(Schemes()), before);
    }
    // With no other import running, the next one cleans up.
    EXPECT_EQ(ImportPack(Dir("pack"), ProgramDir()).schemeName, "Foo");
    EXPECT_FALSE(fs::exists(stale));
}

TEST_F(PackImport, AZipImportsAsItsFolderDoes) {
    const std::string config = R"({"key_define_type": "multi",
        "defines": {"30": "Sounds/A.wav", "28": "sounds\\enter.WAV", "57": "space.wav"}})";
    const std::string a = Wave(8000, 1, 16, Samples16({1, 2, 3}));
    const std::string enter = Wave(11025, 1, 8, std::string("\x80\x00\xFF", 3));
    const std::string space = Wave(8000, 1, 16, Samples16({7, 8}));
    Write("Clicky/config.json", config);
    Write("Clicky/Sounds/A.wav", a);
    Write("Clicky/sounds/enter.WAV", enter);
    Write("Clicky/space.wav", space);
    EXPECT_EQ(ImportPack(Dir("Clicky"), ProgramDir()).schemeName, "Clicky");
    const auto fromFolder = Snapshot(Schemes("Clicky"));
    ASSERT_EQ(fromFolder.size(), 16u);

    // The sounds' paths in another letter case, and Space's file in a folder of its own: found
    // by its base name. No name in the config: the zip's own.
    Write("Clicky.Zip", ziptest::MakeZip({{"CONFIG.json", config},
                                          {"sounds/a.wav", a},
                                          {"SOUNDS/Enter.wav", enter, false},
                                          {"extra/Space.WAV", space}}));
    EXPECT_EQ(ImportPack(Dir("Clicky.Zip"), ProgramDir()).schemeName, "Clicky 2");
    EXPECT_EQ(Snapshot(Schemes("Clicky 2")), fromFolder);

    // A hostile zip says so, and nothing changes.
    auto before = Snapshot(Schemes());
    ziptest::Entry locked("sounds/a.wav", a, true, 1);
    Write("locked.zip", ziptest::MakeZip({{"config.json", config}, locked}));
    EXPECT_EQ(ImportError(Dir("locked.zip"), ProgramDir()),
              "The sound pack \"" + Dir("locked.zip") +
                  "\" cannot be imported. The file \"sounds/a.wav\" in the zip is encrypted");
    EXPECT_EQ(Snapshot(Schemes()), before);
}
