#include "ShortCut.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

// Virtual-key codes and modifier flags are written as the platform defines them.

TEST(ShortCut, TextNamesTheModifiersInMenuOrderAndTheKey) {
    EXPECT_EQ(ShortCutToText(0xC045), "Ctrl+Alt+E");
    EXPECT_EQ(ShortCutToText(0x2000 | 0x7B), "Shift+F12");
    EXPECT_EQ(ShortCutToText(0xE000 | '7'), "Shift+Ctrl+Alt+7");
    EXPECT_EQ(ShortCutToText(0x4000 | 0x87), "Ctrl+F24");
    EXPECT_EQ(ShortCutToText(0x8000 | 0x2E), "Alt+Del");
    EXPECT_EQ(ShortCutToText(0x4000 | 0x65), "Ctrl+Num 5");
    // Bits 8-12 are no modifier.
    EXPECT_EQ(ShortCutToText(0x1F00 | 'E'), "E");
}

TEST(ShortCut, KeysKeepTheirShortMenuNamesAndTheRestAreNamedToo) {
    // clang-format off
    const std::pair<unsigned, const char*> names[] = {
        {0x08, "BkSp"}, {0x09, "Tab"}, {0x0D, "Enter"}, {0x1B, "Esc"}, {0x20, "Space"},
        {0x21, "PgUp"}, {0x22, "PgDn"}, {0x23, "End"}, {0x24, "Home"}, {0x25, "Left"},
        {0x26, "Up"}, {0x27, "Right"}, {0x28, "Down"}, {0x2D, "Ins"}, {0x2E, "Del"},
        {0x13, "Pause"}, {0x14, "Caps Lock"}, {0x90, "Num Lock"}, {0x91, "Scroll Lock"},
        {0x2C, "Prnt Scrn"}, {0x5D, "Application"}, {0x5B, "Left Windows"},
        {0x5C, "Right Windows"}, {0x60, "Num 0"}, {0x69, "Num 9"}, {0x6A, "Num *"},
        {0x6B, "Num +"}, {0x6D, "Num -"}, {0x6E, "Num Del"}, {0x6F, "Num /"}, {0x70, "F1"},
        {0xBA, ";"}, {0xBB, "="}, {0xC0, "`"}, {0xDC, "\\"}, {0xDE, "'"},
        {0xDF, "OEM 8"}, {0xE2, "OEM 102"}, {0x10, "Shift"}};
    // clang-format on
    for (const auto& [key, name] : names)
        EXPECT_EQ(ShortCutToText(static_cast<uint16_t>(key)), name) << key;
    // A key without a name of its own shows its code, so a stored hotkey always has a text.
    EXPECT_EQ(ShortCutToText(0x4007), "Ctrl+Key 0x07");
    EXPECT_EQ(ShortCutToText(0x8000), "Alt+Key 0x00");
    EXPECT_EQ(ShortCutToText(0xE9), "Key 0xE9");
}

TEST(ShortCut, EveryKeyHasATextOfItsOwn) {
    std::set<std::string> texts;
    for (unsigned key = 0; key < 256; ++key) {
        const std::string text = ShortCutToText(static_cast<uint16_t>(key));
        EXPECT_FALSE(text.empty()) << key;
        EXPECT_TRUE(texts.insert(text).second) << key << " reads like another key: " << text;
    }
}

TEST(ShortCut, CodesSplitIntoPlatformModifiersAndComeBackFromTheMessage) {
    TSplitShortCut split = SplitShortCut(0xC045);
    EXPECT_EQ(split.Modifiers, 2 | 1); // control, alt
    EXPECT_EQ(split.Key, 0x45);
    // Bits beyond the key and the four modifiers are dropped.
    split = SplitShortCut(0x10000 | 0x2000 | 0x1F00 | 0xFFFE0000u | 0x70);
    EXPECT_EQ(split.Modifiers, 8 | 4); // win, shift
    EXPECT_EQ(split.Key, 0x70);

    EXPECT_EQ(HotKeyFromMessage(2 | 1, 0x45), 0xC045u);
    EXPECT_EQ(HotKeyFromMessage(8 | 4, 0x70), 0x12070u);
    EXPECT_EQ(HotKeyFromMessage(0, 0x7B), 0x7Bu);

    EXPECT_EQ(HotKeyAtomName(0xC045), "HotKeyManagerHotKey49221");
    EXPECT_EQ(HotKeyAtomName(0xFFFFFFFFu), "HotKeyManagerHotKey4294967295");
}
