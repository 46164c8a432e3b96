// The sound options record: its bytes, what a damaged file gives, and the program list rules.
#include "CoreTestFiles.h"
#include "SoundOptions.h"
#include "Stream.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

// The defaults as the file holds them: the format, then each value in order.
const std::string kDefaultBytes = "\x02\x01"         // format 1
                                  "\x02\x64"         // volume 100
                                  "\x02\x00\x02\x64" // stereo off, width 100
                                  "\x02\x00\x02\x0A" // variation off, range 1.0
                                  "\x02\x00"         // not the same pitch per key
                                  "\x02\x01\x02\x00" // release sounds, one sound per press
                                  "\x06\x00\x06\x00" // the default device
                                  "\x02\x01\x02\x01" // both silence rules on
                                  "\x02\x00"s;       // no programs

std::string Written(const TSoundOptions& options) {
    TMemoryStream stream;
    {
        TvobWriter writer(stream);
        options.WriteData(writer);
        writer.Flush();
    }
    return stream.Bytes();
}

TSoundOptions Read(const std::string& bytes, bool& damaged) {
    TMemoryStream stream(bytes);
    TvobReader reader(stream);
    TSoundOptions options;
    options.Volume = 7; // anything read must replace it
    options.ReadData(reader, damaged);
    return options;
}

TSoundOptions Changed() {
    TSoundOptions o;
    o.Volume = 200;
    o.StereoByPosition = true;
    o.StereoWidth = 35;
    o.Variation = true;
    o.PitchRange = 30;
    o.SamePitchPerKey = true;
    o.ReleaseSounds = false;
    o.SoundOnRepeat = true;
    o.DeviceId = "{0.0.0.00000000}.{b3f8fa53}";
    o.DeviceName = "Speakers";
    o.SilenceFullScreen = false;
    o.SilenceListed = false;
    o.SilencePrograms = {"game.exe", "Slides.EXE"};
    return o;
}

} // namespace

TEST(SoundOptionsRecord, DefaultsAndEveryChangedValueHaveTheirExactBytesAndReadBack) {
    EXPECT_EQ(Written(TSoundOptions{}), kDefaultBytes);

    const std::string changed = "\x02\x01"
                                "\x03\xC8\x00"     // volume 200 needs two bytes
                                "\x02\x01\x02\x23" // stereo on, width 35
                                "\x02\x01\x02\x1E" // variation on, range 3.0
                                "\x02\x01"
                                "\x02\x00\x02\x01"
                                "\x06\x1B{0.0.0.00000000}.{b3f8fa53}"
                                "\x06\x08Speakers"
                                "\x02\x00\x02\x00"
                                "\x02\x02\x06\x08game.exe\x06\x0ASlides.EXE"s;
    EXPECT_EQ(Written(Changed()), changed);
    bool damaged = true;
    EXPECT_EQ(Read(changed, damaged), Changed());
    EXPECT_FALSE(damaged);
    EXPECT_EQ(Read(kDefaultBytes, damaged), TSoundOptions{});
    EXPECT_FALSE(damaged);
}

TEST(SoundOptionsRecord, ALaterFormatsAppendedValuesAreSkippedAndItsKnownOnesKept) {
    std::string later = kDefaultBytes + "\x02\x05\x06\x03new"s;
    later[1] = '\x02';
    later[3] = '\x32'; // volume 50
    bool damaged = true;
    const TSoundOptions options = Read(later, damaged);
    EXPECT_FALSE(damaged);
    EXPECT_EQ(options.Volume, 50);
}

TEST(SoundOptionsRecord, DamageOfAnyKindGivesTheDefaults) {
    auto with = [](size_t at, const std::string& value, size_t length) {
        std::string bytes = kDefaultBytes;
        bytes.replace(at, length, value);
        return bytes;
    };
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty", ""},
        {"cut in the middle", kDefaultBytes.substr(0, 13)},
        {"format 0", with(1, "\x00"s, 1)},
        {"volume 201", with(2, "\x03\xC9\x00"s, 2)},
        {"volume -1", with(2, "\x02\xFF"s, 2)},
        {"a flag of 2", with(4, "\x02\x02"s, 2)},
        {"width 101", with(6, "\x02\x65"s, 2)},
        {"range 31", with(10, "\x02\x1F"s, 2)},
        {"a text where a number stands", with(2, "\x06\x01x"s, 2)},
        {"a number where a text stands", with(18, "\x02\x00"s, 2)},
        {"257 programs", with(kDefaultBytes.size() - 2, "\x03\x01\x01"s, 2)},
        {"a program missing", with(kDefaultBytes.size() - 2, "\x02\x01"s, 2)},
    };
    for (const auto& [name, bytes] : cases) {
        bool damaged = false;
        EXPECT_EQ(Read(bytes, damaged), TSoundOptions{}) << name;
        EXPECT_TRUE(damaged) << name;
    }
}

TEST(SoundOptionsFile, MissingOrDamagedFilesLoadTheDefaultsAndASaveComesBackWhole) {
    coretest::TempDir dir;
    const std::string path = dir.File("soundopts.tsc");
    EXPECT_EQ(LoadSoundOptions(path), TSoundOptions{});
    coretest::WriteBytes(path, "\x02\x01\x02"s);
    EXPECT_EQ(LoadSoundOptions(path), TSoundOptions{});

    ASSERT_TRUE(SaveSoundOptions(path, Changed()));
    EXPECT_EQ(LoadSoundOptions(path), Changed());
    ASSERT_TRUE(SaveSoundOptions(path, TSoundOptions{}));
    EXPECT_EQ(coretest::ReadBytes(path), kDefaultBytes);
}

TEST(SoundOptionsPrograms, NamesCompareByFileNameIgnoringCaseAndAreListedOnce) {
    EXPECT_EQ(ImageFileName("C:\\Games\\Game.EXE"), "Game.EXE");
    EXPECT_EQ(ImageFileName("game.exe"), "game.exe");
    EXPECT_TRUE(SameProgramName("C:\\Games\\Game.EXE", "game.exe"));
    EXPECT_TRUE(SameProgramName("\\\\?\\D:\\x\\POWERPNT.exe", "PowerPnt.EXE"));
    EXPECT_FALSE(SameProgramName("game.exe", "game.ex"));
    EXPECT_FALSE(SameProgramName("C:\\game.exe\\other.exe", "game.exe"));

    std::vector<std::string> list;
    EXPECT_TRUE(AddSilenceProgram(list, "C:\\Games\\Game.EXE"));
    EXPECT_FALSE(AddSilenceProgram(list, "D:\\elsewhere\\GAME.exe"));
    EXPECT_FALSE(AddSilenceProgram(list, "C:\\folder\\"));
    EXPECT_TRUE(AddSilenceProgram(list, "vlc.exe"));
    EXPECT_EQ(list, (std::vector<std::string>{"Game.EXE", "vlc.exe"}));
}

TEST(SoundOptionsPrograms, TheProgramsOfferedAreNamesSortedWithoutCaseEachOnce) {
    EXPECT_EQ(DistinctProgramNames({"C:\\W\\notepad.exe", "D:\\b\\Zed.exe", "C:\\a\\VLC.exe",
                                    "C:\\other\\Notepad.EXE", "C:\\x\\apple.exe"}),
              (std::vector<std::string>{"apple.exe", "notepad.exe", "VLC.exe", "Zed.exe"}));
}
