#include "DataPaths.h"
#include "NameRules.h"

#include <gtest/gtest.h>

TEST(NameRules, SameNameFoldsOnlyAsciiLetters) {
    EXPECT_TRUE(SameName("fight", "Fight"));
    EXPECT_TRUE(SameName("My Scheme 2", "mY sCHEME 2"));
    EXPECT_FALSE(SameName("fight", "fights"));
    EXPECT_FALSE(SameName("fights", "fight"));
    // Pairs 0x20 apart that are not letters, and Latin-1 letters, must not fold.
    EXPECT_FALSE(SameName("[", "{"));
    EXPECT_FALSE(SameName("@", "`"));
    EXPECT_FALSE(SameName("\xC4", "\xE4"));
    EXPECT_TRUE(SameName("", ""));
}

TEST(NameRules, SameNameComparesTheSecondByteOfATwoByteCharacterExactly) {
    // Shift-JIS 0x88 0x61 and 0x88 0x41 are two different characters; Windows-1252 reads the
    // same bytes as a letter after a symbol, and there case does not count.
    const CharLengthRule japanese = CharLengthRuleOf(932);
    EXPECT_FALSE(SameName("\x88\x61", "\x88\x41", japanese));
    EXPECT_TRUE(SameName("\x88\x61", "\x88\x41", CharLengthRuleOf(1252)));
    EXPECT_TRUE(SameName("a\x88\x61"
                         "b",
                         "A\x88\x61"
                         "B",
                         japanese));
    // 0x61 0x88 is a letter and a lead byte: the letter still folds.
    EXPECT_TRUE(SameName("\x61\x88\x61", "\x41\x88\x61", japanese));
}

TEST(NameRules, OnlyAnExactLowerCaseMidExtensionCountsAsMidi) {
    EXPECT_TRUE(IsMidiFile("C:\\s\\tune.mid"));
    EXPECT_FALSE(IsMidiFile("C:\\s\\tune.MID"));
    EXPECT_FALSE(IsMidiFile("C:\\s\\tune.midi"));
    EXPECT_FALSE(IsMidiFile("C:\\s\\tune.mid.wav"));
    EXPECT_FALSE(IsMidiFile("C:\\old.mid\\tune"));
    EXPECT_EQ(FileExtension("a.b.c"), ".c");
    EXPECT_EQ(FileExtension("C:\\dir.x\\name"), "");
}

TEST(NameRules, SchemeFileNamesListTrimmedWithEveryLowerCaseTssRemoved) {
    EXPECT_EQ(SchemeListName("Fight.tss"), "Fight");
    EXPECT_EQ(SchemeListName("x.tss.tss"), "x");
    EXPECT_EQ(SchemeListName("A.TSS"), "A.TSS");
    EXPECT_EQ(SchemeListName("my.tssfile.tss"), "myfile");
    EXPECT_EQ(SchemeListName(" \t\x01Quiet.tss\x1F "), "Quiet");
    // Trimmed before the removal: a blank in front of the extension stays.
    EXPECT_EQ(SchemeListName("Soft .tss"), "Soft ");
    // What one removal joins together is not removed again.
    EXPECT_EQ(SchemeListName(".t.tssss"), ".tss");
    // Bytes above the blank, Latin-1 and DEL alike, are name characters.
    EXPECT_EQ(SchemeListName("\xA0"
                             "Caf\xE9\x7F.tss"),
              "\xA0"
              "Caf\xE9\x7F");
    EXPECT_EQ(SchemeListName(".tss"), "");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks(" a b "), "a b");
}

TEST(NameRules, AcceleratorMarksGoAndADoubledOneStaysAsOne) {
    EXPECT_EQ(StripHotkey("&Save && Exit"), "Save & Exit");
    EXPECT_EQ(StripHotkey("S&cheme Set"), "Scheme Set");
    EXPECT_EQ(StripHotkey("end&"), "end");
    EXPECT_EQ(StripHotkey("&&&x"), "&x");
}

TEST(DataPaths, PathsAreTheProgramDirectoryFollowedByTheirPart) {
    const std::string dir = "C:\\Program Files\\Tappolo\\";
    EXPECT_EQ(SettingsFilePath(dir), "C:\\Program Files\\Tappolo\\schemeinfo.tsc");
    EXPECT_EQ(SchemesFolder(dir), "C:\\Program Files\\Tappolo\\schemes");
    EXPECT_EQ(SchemeFilePath(dir, "Fight"), "C:\\Program Files\\Tappolo\\schemes\\Fight.tss");
    EXPECT_EQ(SchemeSoundFolder(dir, "Fight"), "C:\\Program Files\\Tappolo\\schemes\\Fight");
    EXPECT_EQ(KeySoundPath("C:\\Tappolo\\", "tts", "a.wav"), "C:\\Tappolo\\schemes\\tts\\a.wav");
    // An empty name leaves a folder path, which never plays.
    EXPECT_EQ(KeySoundPath("C:\\T\\", "Fight", ""), "C:\\T\\schemes\\Fight\\");
    // A name listed from "x.tss.tss" leads to x.tss, not back to its own file.
    EXPECT_EQ(SchemeFilePath("D:\\", SchemeListName("x.tss.tss")), "D:\\schemes\\x.tss");

    std::string reused = "a much longer path than the next one, to leave capacity behind";
    AssignKeySoundPath(reused, "E:\\", "S", "k.wav");
    EXPECT_EQ(reused, "E:\\schemes\\S\\k.wav");

    EXPECT_EQ(FolderOf("Z:\\a b\\Tappolo.exe"), "Z:\\a b\\");
    EXPECT_EQ(FolderOf("Tappolo.exe"), "");
}
