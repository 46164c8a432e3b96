#include "CoreTestFiles.h"
#include "DataPaths.h"
#include "Exception.h"
#include "SchemeKeySounds.h"
#include "SchemeStore.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace std::string_literals;
using coretest::ReadBytes;
using coretest::TempDir;
using coretest::WriteBytes;

// Tagged values as the file holds them, written out here by hand.
std::string Int8(int v) {
    return "\x02"s + char(v);
}
std::string Text(const std::string& s) {
    return "\x06"s + char(s.size()) + s;
}
std::string Takes(std::initializer_list<std::string> names) {
    std::string out = Int8(int(names.size()));
    for (const auto& name : names)
        out += Text(name);
    return out;
}
std::string NoTakes(int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += Int8(0);
    return out;
}

// Letter Keys press in two takes, Enter released with up.wav; Enter (28) and keypad Enter
// (E0 1C, place 284) pressed with sounds of their own, Up (E0 48, 328) released with one.
std::string SampleBytes(const std::string& keys = Int8(3) + Int8(28) + Takes({"k28.wav"}) +
                                                  Int8(0) + "\x03\x1C\x01"s + Takes({"k3612.wav"}) +
                                                  Int8(0) + "\x03\x48\x01"s + Int8(0) +
                                                  Takes({"k57416-up.wav"})) {
    return Int8(1) + NoTakes(12) + Takes({"a.wav", "a-2.wav"}) + NoTakes(3) + NoTakes(7) +
           Takes({"up.wav"}) + NoTakes(8) + keys;
}

TSchemeKeySounds Sample() {
    TSchemeKeySounds record;
    record.TypePress[KeyType::Letter] = {"a.wav", "a-2.wav"};
    record.TypeRelease[KeyType::Enter] = {"up.wav"};
    record.Keys.push_back({{28, false}, {"k28.wav"}, {}});
    record.Keys.push_back({{28, true}, {"k3612.wav"}, {}});
    record.Keys.push_back({{0x48, true}, {}, {"k57416-up.wav"}});
    return record;
}

bool ReadsDamaged(const std::string& bytes) {
    TMemoryStream stream(bytes);
    TvobReader reader(stream);
    TSchemeKeySounds record = Sample();
    bool damaged = false;
    record.ReadData(reader, damaged);
    EXPECT_EQ(damaged, record.Empty()) << "damage must leave the record empty, and only damage";
    return damaged;
}

} // namespace

TEST(TSchemeKeySounds, FileHoldsTheTakesOfTypesAndKeysAndTheirRulesApply) {
    TempDir dir;
    const std::string path = dir.File("Mine.tsk");
    Sample().SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), SampleBytes());

    TSchemeKeySounds loaded;
    loaded.LoadFromFile(path);
    // A type's takes hold while the scheme file names their first; a sound chosen since wins.
    EXPECT_EQ(loaded.TypePressTakes(KeyType::Letter, "a.wav"), (SoundTakes{"a.wav", "a-2.wav"}));
    EXPECT_EQ(loaded.TypePressTakes(KeyType::Letter, "click.wav"), SoundTakes{"click.wav"});
    EXPECT_EQ(loaded.TypePressTakes(KeyType::Letter, ""), SoundTakes{});
    // A key's own sound wins over its type's; without one the type's plays, or nothing.
    EXPECT_EQ(loaded.PressTakes({28, false}, KeyType::Enter, "enter.wav"), SoundTakes{"k28.wav"});
    EXPECT_EQ(loaded.PressTakes({0x48, true}, KeyType::Arrow, "arrow.wav"),
              SoundTakes{"arrow.wav"});
    EXPECT_EQ(loaded.ReleaseTakes({0x48, true}, KeyType::Arrow), SoundTakes{"k57416-up.wav"});
    EXPECT_EQ(loaded.ReleaseTakes({28, false}, KeyType::Enter), SoundTakes{"up.wav"});
    EXPECT_EQ(loaded.PressTakes({28, true}, KeyType::Enter, "enter.wav"), SoundTakes{"k3612.wav"});
    EXPECT_EQ(loaded.ReleaseTakes({30, false}, KeyType::Letter), SoundTakes{});
    EXPECT_EQ(loaded.Find({0x48, false}), nullptr);

    // Nothing beyond the type sounds: no file at all.
    TSchemeKeySounds().SaveToFile(path);
    EXPECT_FALSE(std::filesystem::exists(path));
    loaded.LoadFromFile(path);
    EXPECT_TRUE(loaded.Empty());
}

TEST(TSchemeKeySounds, DamageLeavesTheRecordEmptyAndALaterFormatIsReadAsFarAsKnown) {
    EXPECT_FALSE(ReadsDamaged(SampleBytes()));
    // A later format adds after what this one holds.
    std::string later = SampleBytes();
    later[1] = 2;
    EXPECT_FALSE(ReadsDamaged(later + Text("more")));

    std::string noFormat = SampleBytes();
    noFormat[1] = 0;
    EXPECT_TRUE(ReadsDamaged(noFormat));
    EXPECT_TRUE(ReadsDamaged(SampleBytes().substr(0, SampleBytes().size() - 3)));
    EXPECT_TRUE(ReadsDamaged(SampleBytes(Int8(1) + Int8(28) + Int8(65)))); // takes
    EXPECT_TRUE(ReadsDamaged(SampleBytes("\x03\x01\x02"s)));               // keys (513)
    EXPECT_TRUE(ReadsDamaged(SampleBytes(Int8(1) + "\x03\x00\x02"s)));     // place 512
    // Out of key order, though rising as numbers (30 and E0 1C, 284); and a key twice.
    EXPECT_TRUE(
        ReadsDamaged(SampleBytes(Int8(2) + Int8(30) + NoTakes(2) + "\x03\x1C\x01"s + NoTakes(2))));
    EXPECT_TRUE(ReadsDamaged(SampleBytes(Int8(2) + Int8(30) + NoTakes(2) + Int8(30) + NoTakes(2))));
    // Names the engine joins to the scheme's folder must stay in it.
    for (const char* name :
         {"", "..", "...", ". .", "..\\x.wav", "sub/x.wav", "c:x.wav", "x.wav:s", "a*.wav", "\t"})
        EXPECT_TRUE(ReadsDamaged(SampleBytes(Int8(1) + Int8(28) + Takes({name}) + Int8(0))))
            << name;
    EXPECT_FALSE(ReadsDamaged(SampleBytes(Int8(1) + Int8(28) + Takes({"x..y [1].wav"}) + Int8(0))));

    // From a file: the same, and the file is left as it was.
    TempDir dir;
    const std::string path = dir.File("Bad.tsk");
    WriteBytes(path, noFormat);
    TSchemeKeySounds record = Sample();
    record.LoadFromFile(path);
    EXPECT_TRUE(record.Empty());
    EXPECT_EQ(ReadBytes(path), noFormat);
}

TEST(TSchemeKeySounds, WriterRefusesWhatNoReaderTakesAndLeavesTheFile) {
    TempDir dir;
    const std::string path = dir.File("Mine.tsk");
    Sample().SaveToFile(path);
    TSchemeKeySounds bad = Sample();
    std::swap(bad.Keys[1], bad.Keys[2]);
    EXPECT_THROW(bad.SaveToFile(path), Exception);
    EXPECT_EQ(ReadBytes(path), SampleBytes());
}

TEST(SchemeKeySoundsFile, LiesBesideTheSchemeFileAndNoSchemeNameStandsInItsWay) {
    EXPECT_EQ(SchemeKeySoundsPath("C:\\T\\", "Rock"), "C:\\T\\schemes\\Rock.tsk");
    // A scheme "Rock.tsk" would have its folder where Rock's file lies.
    EXPECT_EQ(CheckSchemeName("Rock.tsk"), SchemeNameFault::KeySoundsClash);
    EXPECT_EQ(CheckSchemeName("Rock.TSK"), SchemeNameFault::KeySoundsClash);
    EXPECT_EQ(CheckSchemeName("Rock.tskx"), SchemeNameFault::Usable);
}
