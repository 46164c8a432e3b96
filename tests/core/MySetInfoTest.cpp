#include "Exception.h"
#include "FileSystem.h"
#include "MySetInfo.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

// The scrambled defaults, from the independently computed reference table.
const std::string kTitle = "U1GMkoqAGgJa";
const std::string kNote =
    "X1nYbkR6/Y+4fDhUBk1K6jA7jpmnr/DPrxOJ9V0zDdYKqlKX3W+kBSddKXhPX+IBh0yu2VvnRRt/jC";
const std::string kDescription = "VRKNnOKUNgXGhccUAj24J/VnKoIb5hAJdBWIwH4GChORbMArbpc2";
const std::string kProgram =
    "UF4b5iokMTOa6AD5Gvya4HoOKcit0bNi/R3S6RDAByt/975AecTv2dKt6HsmOFqkYVIfH4jg0L0EA64brPf1CduyQeL"
    "+1T2jh97c0WbQxezIDQOZKX7EQtVkl3edv+ck9oMmaTGrrfzTJ06bnNnGx1EO4S8BGwelLtvsRC5ysFd7B7Hmy58Z6ZC"
    "7Ncsd1cPHkR7vczEoXv1wXDYGog8xn+eUWRfBE1p2ODsYmmsIFJjB0LJa06byDNxgj2L5";
const std::string kProduct =
    "UxzmnyjnpLBI9ScV3C4QhdI9J01LmjCVkAK9odSziCiVQKauS4M201RctB3+34rc4ZCmnB5/QOp5VFerqAlHhlv32+P"
    "pqWYKcbWlNj1rN7Z6GioTwCjc5xPufo7gbF9zkAdseLu5";

std::string ShortText(const std::string& text) {
    return std::string(1, '\x06') + static_cast<char>(text.size()) + text;
}

const std::string kZeroInt("\x02\x00", 2);
const std::string kZeroDate("\x11\0\0\0\0\0\0\0\0", 9);

// A settings file in file order, from its nine encoded values.
std::string SettingsFile(const std::string& enableHotKey, const std::string& date,
                         const std::string& disableHotKey, const std::string& scheme) {
    return ShortText(kTitle) + ShortText(kNote) + ShortText(kProduct) + enableHotKey + date +
           ShortText(kProgram) + disableHotKey + scheme + ShortText(kDescription);
}

class MySetInfoFile : public testing::Test {
protected:
    void SetUp() override {
        auto name = std::string("tappolo-setinfo-") +
                    testing::UnitTest::GetInstance()->current_test_info()->name();
        FDir = fs::temp_directory_path() / name;
        fs::remove_all(FDir);
        fs::create_directories(FDir);
        FPath = (FDir / "schemeinfo.tsc").string();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(FDir, ignored);
    }

    std::string ReadBytes() const {
        std::ifstream in(FPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteBytes(const std::string& bytes) const {
        std::ofstream out(FPath, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    fs::path FDir;
    std::string FPath;
};

void ExpectDefaults(const TMySetInfo& info) {
    EXPECT_EQ(info.CurrentScheme, "TTS");
    EXPECT_EQ(info.DateStamp, 0.0);
    EXPECT_EQ(info.ModeTitle(), kTitle);
    EXPECT_EQ(info.ModeNote(), kNote);
    EXPECT_EQ(info.ModeDescription(), kDescription);
    EXPECT_EQ(info.ProgramText(), kProgram);
    EXPECT_EQ(info.ProductText(), kProduct);
}

} // namespace

TEST_F(MySetInfoFile, NewRecordWritesTheReferenceDefaultFile) {
    TMySetInfo info;
    ExpectDefaults(info);
    EXPECT_EQ(info.EnableHotKey, 0);
    EXPECT_EQ(info.DisableHotKey, 0);
    info.SaveToFile(FPath);
    std::string bytes = ReadBytes();
    EXPECT_EQ(bytes.size(), 558u);
    EXPECT_EQ(bytes, SettingsFile(kZeroInt, kZeroDate, kZeroInt, ShortText("TTS")));
}

TEST_F(MySetInfoFile, SchemeAndHotKeysTakeTheirPlacesAndLoadBack) {
    TMySetInfo info;
    info.CurrentScheme = "Fight";
    info.SaveToFile(FPath);
    EXPECT_EQ(ReadBytes(), SettingsFile(kZeroInt, kZeroDate, kZeroInt, ShortText("Fight")));

    // Ctrl+Alt+E needs four bytes, Ctrl+D two: a swap of the two hotkeys would show.
    info.EnableHotKey = 0xC045;
    info.DisableHotKey = 0x4044;
    info.DateStamp = 36925.5;
    info.SaveToFile(FPath);
    std::string bytes = ReadBytes();
    EXPECT_EQ(bytes.substr(2 + kTitle.size() + 2 + kNote.size() + 2 + kProduct.size(), 5),
              std::string("\x04\x45\xC0\x00\x00", 5));

    TMySetInfo loaded;
    loaded.LoadFromFile(FPath, false);
    EXPECT_EQ(loaded.CurrentScheme, "Fight");
    EXPECT_EQ(loaded.EnableHotKey, 0xC045);
    EXPECT_EQ(loaded.DisableHotKey, 0x4044);
    EXPECT_EQ(loaded.DateStamp, 36925.5);
    EXPECT_EQ(loaded.ModeNote(), kNote);
}

TEST_F(MySetInfoFile, IntegerInPlaceOfTheDateCountsAsDays) {
    WriteBytes(SettingsFile(kZeroInt, std::string("\x02\x05", 2), kZeroInt, ShortText("Fight")));
    TMySetInfo info;
    info.LoadFromFile(FPath, false);
    EXPECT_EQ(info.DateStamp, 5.0);
    EXPECT_EQ(info.CurrentScheme, "Fight");
}

TEST_F(MySetInfoFile, DamagedFileRaisesAndRestoresTheDefaultsOrIsRepaired) {
    std::string full = SettingsFile(kZeroInt, kZeroDate, kZeroInt, ShortText("Fight"));
    std::string eightValues = full.substr(0, full.size() - 2 - kDescription.size());
    WriteBytes(eightValues);

    TMySetInfo info;
    info.SetSchemeMode("Other", true);
    info.DateStamp = 7;
    try {
        info.LoadFromFile(FPath, false);
        ADD_FAILURE() << "eight values loaded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "My Set Error!");
    }
    ExpectDefaults(info);
    EXPECT_EQ(ReadBytes(), eightValues) << "a load without repair never writes";

    // A wrong tag is damage too; with repair the file is rewritten from the defaults.
    WriteBytes(std::string("\x02\x00", 2) + full.substr(2 + kTitle.size()));
    TMySetInfo repaired;
    repaired.SetSchemeMode("Other", true);
    repaired.LoadFromFile(FPath, true);
    ExpectDefaults(repaired);
    EXPECT_EQ(ReadBytes(), SettingsFile(kZeroInt, kZeroDate, kZeroInt, ShortText("TTS")));
}

TEST_F(MySetInfoFile, NonAsciiSchemeIsStoredAsUtf8AndLoadsBackUnchanged) {
    TMySetInfo info;
    info.CurrentScheme = "Caf\xE9"; // e acute in Windows-1252
    info.SaveToFile(FPath);
    EXPECT_EQ(ReadBytes(), SettingsFile(kZeroInt, kZeroDate, kZeroInt,
                                        std::string("\x14\x05\x00\x00\x00"
                                                    "Caf\xC3\xA9",
                                                    10)));
    TMySetInfo loaded;
    loaded.LoadFromFile(FPath, false);
    EXPECT_EQ(loaded.CurrentScheme, "Caf\xE9");
}

TEST_F(MySetInfoFile, SaveKeepsTheOldLastWriteTime) {
    TMySetInfo info;
    info.SaveToFile(FPath);
    const double old = 36925 + (4 * 3600 + 5 * 60 + 6) / 86400.0; // 2001-02-03 04:05:06
    ASSERT_EQ(SetFileStamp(FPath, old), 0);
    ASSERT_NEAR(GetFileStamp(FPath), old, 2.0 / 86400);

    info.CurrentScheme = "Fight";
    info.SaveToFile(FPath);
    EXPECT_NEAR(GetFileStamp(FPath), old, 2.0 / 86400);
    TMySetInfo loaded;
    loaded.LoadFromFile(FPath, false);
    EXPECT_EQ(loaded.CurrentScheme, "Fight") << "the save itself must still happen";
}

TEST_F(MySetInfoFile, MissingFileLeavesTheRecordAndCreatesNothing) {
    TMySetInfo info;
    info.EnableHotKey = 3;
    info.SetSchemeMode("Fight", false);
    info.LoadFromFile(FPath, false);
    EXPECT_EQ(info.CurrentScheme, "Fight");
    EXPECT_EQ(info.EnableHotKey, 3);
    EXPECT_FALSE(fs::exists(FPath));

    TMySetInfo fresh;
    fresh.LoadFromFile(FPath, false);
    ExpectDefaults(fresh);
}

TEST(MySetInfo, ModeChangesScrambleTheirTexts) {
    TMySetInfo info;
    info.SetProductText("changed");
    info.SetProgramText("changed");
    info.SetSchemeMode("Fight", false);
    EXPECT_EQ(info.CurrentScheme, "Fight");
    EXPECT_EQ(info.ModeTitle(), "Gt/brqK");
    EXPECT_EQ(info.ModeNote(), "Gt/brqq1AREQQA"); // FightFight
    EXPECT_EQ(info.ModeDescription(), "Gt/brqq1AREQQA");
    EXPECT_NE(info.ProductText(), kProduct) << "a fallback scheme keeps the other texts";

    info.SetSchemeMode("Fight", true);
    EXPECT_EQ(info.ProductText(), kProduct);
    EXPECT_EQ(info.ProgramText(), kProgram);

    info.SetProductText("changed");
    info.SetSpeechMode();
    EXPECT_EQ(info.CurrentScheme, "TTS");
    EXPECT_EQ(info.ModeTitle(), kTitle);
    EXPECT_EQ(info.ModeNote(), "U1GMkoqAGgJaiWziTc1ckxpv"); // TTS SpeakTTS Speak
    EXPECT_EQ(info.ModeDescription(), "U1GMkoqAGgJaiWziTc1ckxpv");
    EXPECT_NE(info.ProductText(), kProduct);
}

TEST(MySetInfo, DefaultsLeaveTheHotKeysAlone) {
    TMySetInfo info;
    info.EnableHotKey = 0x4645;
    info.DisableHotKey = 0x4644;
    info.SetSchemeMode("Fight", true);
    info.DateStamp = 3;
    info.SetDefaults();
    ExpectDefaults(info);
    EXPECT_EQ(info.EnableHotKey, 0x4645);
    EXPECT_EQ(info.DisableHotKey, 0x4644);
}

TEST(MySetInfo, StreamAndWriterAreRequired) {
    TMySetInfo info;
    try {
        info.SaveToStream(nullptr);
        ADD_FAILURE() << "saved without a stream";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Stream Error");
    }
    try {
        info.WriteData(nullptr);
        ADD_FAILURE() << "wrote without a writer";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Writer Error");
    }
}
