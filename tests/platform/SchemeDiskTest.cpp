// The scheme store's operations on the real file system: what they list, create and copy, and
// what they leave alone. Deletion is driven through the dialog in the end-to-end tests.
#include "SchemeDisk.h"
#include "WineTest.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Folder(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

void File(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(wt::WriteFileBytes(path, bytes)) << path;
}

TEST(SchemeDisk, ListedEntriesKnowWhetherTheyNameTheirOwnFile) {
    const std::string dir = wt::MakeTempDir("schemelist");
    Folder(dir + "schemes");
    Folder(dir + "schemes\\Fight");
    for (const char* name : {"Fight.tss", "A.TSS", "x.tss.tss", " y.tss", "Rock..tss"})
        File(dir + "schemes\\" + name, "");
    std::vector<std::string> seen;
    for (const SchemeEntry& entry : ListSchemes(dir))
        seen.push_back("[" + entry.Name + "]" + (entry.Own ? "own" : ""));
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen,
              (std::vector<std::string>{"[A.TSS]", "[Fight]own", "[Rock.]own", "[x]", "[y]"}));
}

TEST(SchemeDisk, CreateMakesTheMissingFoldersOnly) {
    const std::string dir = wt::MakeTempDir("schemecreate");
    EXPECT_TRUE(CreateScheme(dir, "Rock"));
    EXPECT_TRUE(Exists(dir + "schemes\\Rock\\"));
    EXPECT_FALSE(Exists(dir + "schemes\\Rock.tss"));
    EXPECT_FALSE(CreateScheme(dir, "Rock."));
    EXPECT_FALSE(CreateScheme(dir, "new\\..\\..\\up"));
    EXPECT_FALSE(Exists(dir + "schemes\\new"));
    EXPECT_FALSE(Exists(dir + "up"));
}

TEST(SchemeDisk, BringingASoundInNeverLosesTheChosenFile) {
    const std::string dir = wt::MakeTempDir("schemebring");
    const std::string other = wt::MakeTempDir("schemebringfrom");
    ASSERT_TRUE(CreateScheme(dir, "Rock"));
    const std::string inScheme = dir + "schemes\\Rock\\ding.wav";
    File(inScheme, "old");
    File(other + "ding.wav", "new");

    // From elsewhere: replaces the file of the same name.
    EXPECT_EQ(BringSoundIn(dir, {"Rock", true}, other + "ding.wav"), "ding.wav");
    EXPECT_EQ(wt::ReadFileBytes(inScheme), "new");

    // The scheme's own file, written another way: left as it is.
    File(inScheme, "mine");
    EXPECT_EQ(BringSoundIn(dir, {"Rock", true}, dir + "schemes\\Rock\\..\\Rock\\ding.wav"),
              "ding.wav");
    EXPECT_EQ(wt::ReadFileBytes(inScheme), "mine");

    // "Rock." would address Rock's folder, and so would an entry "Rock" listed from another
    // file: nothing is written, the name is still given.
    File(other + "ding.wav", "other");
    EXPECT_EQ(BringSoundIn(dir, {"Rock.", true}, other + "ding.wav"), "ding.wav");
    EXPECT_EQ(BringSoundIn(dir, {"Rock", false}, other + "ding.wav"), "ding.wav");
    EXPECT_EQ(wt::ReadFileBytes(inScheme), "mine");
}

TEST(SchemeDisk, KeySoundsGoWithTheirSchemeAndANewSchemeStartsWithout) {
    const std::string dir = wt::MakeTempDir("schemekeys");
    const std::string schemes = dir + "schemes\\";
    ASSERT_TRUE(CreateScheme(dir, "Rock"));
    File(schemes + "Rock.tss", "");
    File(schemes + "Rock.tsk", "keys");
    // A scheme whose folder was missing keeps its key sounds.
    ASSERT_TRUE(RemoveDirectoryA((schemes + "Rock").c_str()));
    EXPECT_TRUE(CreateScheme(dir, "Rock"));
    EXPECT_EQ(wt::ReadFileBytes(schemes + "Rock.tsk"), "keys");
    // Key sounds that a version knowing nothing of them left behind its deleted scheme.
    File(schemes + "Old.tsk", "stale");
    EXPECT_TRUE(CreateScheme(dir, "Old"));
    EXPECT_FALSE(Exists(schemes + "Old.tsk"));

    // An entry listed from another file leaves them; the scheme's own entry takes all three.
    EXPECT_FALSE(DeleteScheme(dir, {"Rock", false}));
    EXPECT_TRUE(Exists(schemes + "Rock.tsk"));
    EXPECT_TRUE(DeleteScheme(dir, {"Rock", true}));
    EXPECT_FALSE(Exists(schemes + "Rock"));
    EXPECT_FALSE(Exists(schemes + "Rock.tsk"));
    EXPECT_FALSE(Exists(schemes + "Rock.tss"));
}

TEST(SchemeDisk, KeySoundsAreReadOnlyBesideTheirSchemeFile) {
    const std::string dir = wt::MakeTempDir("schemekeyrecord");
    const std::string schemes = dir + "schemes\\";
    ASSERT_TRUE(CreateScheme(dir, "Rock"));
    // Format 1, no key type sounds, Q (scan code 0x10) pressed with q.wav.
    std::string bytes = "\x02\x01";
    for (int i = 0; i < 32; ++i)
        bytes += std::string("\x02\x00", 2);
    File(schemes + "Rock.tsk",
         bytes + std::string("\x02\x01\x02\x10\x02\x01\x06\x05q.wav\x02\x00", 15));
    TSchemeKeySounds sounds;
    LoadSchemeKeySounds(dir, {"Rock", true}, sounds);
    EXPECT_TRUE(sounds.Empty()) << "no scheme file: not Rock's";
    File(schemes + "Rock.tss", "");
    LoadSchemeKeySounds(dir, {"Rock", true}, sounds);
    ASSERT_EQ(sounds.Keys.size(), 1u);
    EXPECT_EQ(sounds.Keys[0].Press, SoundTakes{"q.wav"});
}

} // namespace
