#include "SchemeStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(SchemeStore, ListEntriesKnowWhetherTheyNameTheirOwnFile) {
    struct Case {
        std::string file, entry;
        bool own;
    };
    const Case cases[] = {
        {"Fight.tss", "Fight", true},
        {"A.TSS", "A.TSS", false}, // only the lower-case extension goes
        {"x.tss.tss", "x", false},
        {" x.tss", "x", false},
        {"\tTabbed.tss\x7F", "Tabbed\x7F", false}, // DEL is no control character here
        {"a .tss", "a ", true},                    // trimmed before ".tss" goes
        {"a.t.tssss", "a.tss", false},
        {"Rock..tss", "Rock.", true},
        {".tss", "", true}, // its own, and refused by the name guard
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SchemeListName(c.file), c.entry) << c.file;
        EXPECT_EQ(NamesOwnSchemeFile(SchemeListName(c.file), c.file), c.own) << c.file;
    }
}

TEST(SchemeStore, ExactlyNineCharactersAreForbidden) {
    const std::string nine = "\"*/:<>?\\|";
    for (unsigned code = 0; code < 512; ++code) {
        const bool listed = code < 256 && nine.find(static_cast<char>(code)) != std::string::npos;
        EXPECT_EQ(IsForbiddenNameChar(code), listed) << code;
    }
    EXPECT_EQ(StripForbiddenNameChars("<a:b>|\"c*?/\\ d.\xE9"), "abc d.\xE9");
}

TEST(SchemeStore, NameGuard) {
    using F = SchemeNameFault;
    struct Case {
        std::string name;
        F fault;
    };
    const Case cases[] = {
        {"Rock", F::Usable},
        {"My Scheme 2.0", F::Usable},
        {".hidden", F::Usable},
        {"\xC9t\xE9", F::Usable}, // beyond ASCII
        {"TTS", F::Usable},
        {"CONSOLE", F::Usable},
        {"COM10", F::Usable},
        {"a~b", F::Usable},
        {"", F::Empty},
        {".", F::LooseEnd},
        {"..", F::LooseEnd},
        {"...", F::LooseEnd},
        {"   ", F::LooseEnd},
        {"Rock.", F::LooseEnd},
        {"Rock ", F::LooseEnd},
        {" Rock", F::LooseEnd},
        {"a\\..\\..", F::ForbiddenChar},
        {"..\\x", F::ForbiddenChar},
        {"../x", F::ForbiddenChar},
        {"C:x", F::ForbiddenChar},
        {"*", F::ForbiddenChar}, // the shell's delete would expand it
        {"a?", F::ForbiddenChar},
        {"tab\there", F::ForbiddenChar},
        {"CON", F::DeviceName},
        {"nul", F::DeviceName},
        {"Aux.wav", F::DeviceName},
        {"COM1", F::DeviceName},
        {"com9", F::DeviceName},
        {"LPT1.txt", F::DeviceName},
        {"prn .x", F::DeviceName},
        {"COM\xB9", F::DeviceName},
        {"CONOUT$", F::DeviceName},
        {"MYSCHE~1", F::ShortNameAlias},
        {"a~12b", F::ShortNameAlias},
        {"a.tss", F::ListsOtherwise},
        {"x.tssy", F::ListsOtherwise},
        {"A.TSS", F::Usable}, // lists as itself
        {std::string(251, 'n'), F::Usable},
        {std::string(252, 'n'), F::TooLong},
        {std::string(300, 'n'), F::TooLong},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckSchemeName(c.name), c.fault) << '"' << c.name << '"';
}

TEST(SchemeStore, NameGuardReadsDoubleByteCodePagesAsCharacters) {
    using F = SchemeNameFault;
    const CharLengthRule japanese = CharLengthRuleOf(932), chinese = CharLengthRuleOf(936),
                         korean = CharLengthRuleOf(949), taiwanese = CharLengthRuleOf(950);
    // Shift-JIS "\x95\x5C" and GBK "\xD8\x7C": one character each, whose second byte is the
    // value of "\" or "|". Under Windows-1252 the same bytes hold the character itself.
    EXPECT_EQ(CheckSchemeName("\x95\x5C", japanese), F::Usable);
    EXPECT_EQ(CheckSchemeName("\x95\x5C", CharLengthRuleOf(1252)), F::ForbiddenChar);
    EXPECT_EQ(CheckSchemeName("a\xD8\x7C"
                              "b",
                              chinese),
              F::Usable);
    EXPECT_EQ(CheckSchemeName("\xA5\x5C\xA5\x7C", taiwanese), F::Usable);
    EXPECT_EQ(CheckSchemeName("\x95\x7E"
                              "1",
                              japanese),
              F::Usable); // "~" is a second byte
    EXPECT_EQ(CheckSchemeName("\x95\x5C~1", japanese), F::ShortNameAlias);
    // A real "\" or "|" after a complete character is still one.
    EXPECT_EQ(CheckSchemeName("\x95\x5C\\", japanese), F::ForbiddenChar);
    EXPECT_EQ(CheckSchemeName("\xD8\x7C|", chinese), F::ForbiddenChar);
    // Broken characters: a lead byte at the end, or before a byte that cannot follow it
    // (0x5C can follow a lead byte in Shift-JIS but not in Korean).
    EXPECT_EQ(CheckSchemeName("ab\x95", japanese), F::ForbiddenChar);
    EXPECT_EQ(CheckSchemeName("\x95/x", japanese), F::ForbiddenChar);
    EXPECT_EQ(CheckSchemeName("\x95\x5C", korean), F::ForbiddenChar);
    EXPECT_EQ(CheckSchemeName("\xB0\x61", korean), F::Usable);
    // 0xA0 starts no character in Shift-JIS: the "\" after it is one.
    EXPECT_EQ(CheckSchemeName("\xA0\x5C", japanese), F::ForbiddenChar);

    EXPECT_EQ(StripForbiddenNameChars("<\x95\x5C|\xA0\x5C>", japanese), "\x95\x5C\xA0");
    EXPECT_EQ(StripForbiddenNameChars("\xD8\x7C?", chinese), "\xD8\x7C");
}

#ifdef _WIN32
TEST(SchemeStore, TheDoubleByteTablesAgreeWithTheSystems) {
    for (unsigned codePage : {932u, 936u, 949u, 950u}) {
        const CharLengthRule rule = CharLengthRuleOf(codePage);
        int pairs = 0;
        for (int first = 0; first < 256; ++first) {
            const auto lead = static_cast<unsigned char>(first);
            // A lead byte at the end of the text is broken, any other byte a character.
            ASSERT_EQ(rule(lead, -1), CodePageCharLength(codePage, lead, -1))
                << codePage << " " << first;
            for (int second = 0; second < 256; ++second) {
                // The system's characters are pairs by the table too; the table may also take
                // pairs the system has no character for (the name guard leaves those to it).
                if (CodePageCharLength(codePage, lead, second) == 2) {
                    ASSERT_EQ(rule(lead, second), 2) << codePage << " " << first << " " << second;
                    ++pairs;
                }
            }
        }
        EXPECT_GT(pairs, 7000) << codePage;
    }
    EXPECT_EQ(CodePageCharLength(932, 0x95, 0x5C), 2);
    EXPECT_EQ(CodePageCharLength(936, 0xD8, 0x7C), 2);
}
#endif

TEST(SchemeStore, NameGuardCountsTheWholePath) {
    // "C:\" + 220 + "\" (224) + "schemes\" (232) + name + ".tss": 259 characters with 23.
    const std::string dir = "C:\\" + std::string(220, 'd') + "\\";
    EXPECT_TRUE(SchemeNameUsable(dir, std::string(23, 'n')));
    EXPECT_EQ(CheckSchemeName(dir, std::string(24, 'n')), SchemeNameFault::TooLong);
    EXPECT_EQ(CheckSchemeName(dir, ".."), SchemeNameFault::LooseEnd);
}

} // namespace
