#include "HotKeyField.h"

#include <gtest/gtest.h>

namespace {

// Ctrl+Alt+E and friends: the field's flags (Shift 1, Ctrl 2, Alt 4) against the shortcut's
// bits (Shift 0x2000, Ctrl 0x4000, Alt 0x8000), every combination.
struct Pair {
    uint16_t Field;
    uint16_t ShortCut;
};
constexpr Pair kLetterE[] = {
    {0x0045, 0x0045}, {0x0145, 0x2045}, {0x0245, 0x4045}, {0x0345, 0x6045},
    {0x0445, 0x8045}, {0x0545, 0xA045}, {0x0645, 0xC045}, {0x0745, 0xE045},
};

} // namespace

TEST(HotKeyField, EveryModifierCombinationConvertsBothWays) {
    for (const Pair& p : kLetterE) {
        EXPECT_EQ(HotKeyFieldToShortCut(p.Field), p.ShortCut) << std::hex << p.Field;
        EXPECT_EQ(ShortCutToHotKeyField(p.ShortCut), p.Field) << std::hex << p.ShortCut;
    }
    EXPECT_EQ(HotKeyFieldToShortCut(0), 0);
    EXPECT_EQ(ShortCutToHotKeyField(0), 0) << "no hotkey shows as none";
}

TEST(HotKeyField, ExtendedKeysGetTheFlagTowardsTheFieldAndLoseItTowardsTheCode) {
    EXPECT_EQ(HotKeyFieldToShortCut(0x0E2E), 0xC02E); // Ctrl+Alt+Delete
    EXPECT_EQ(HotKeyFieldToShortCut(0x0826), 0x0026); // Up
    EXPECT_EQ(ShortCutToHotKeyField(0xC02E), 0x0E2E);
    EXPECT_EQ(ShortCutToHotKeyField(0x4024), 0x0A24); // Ctrl+Home
    EXPECT_EQ(ShortCutToHotKeyField(0x6090), 0x0B90); // Shift+Ctrl+NumLock, not Pause
    EXPECT_EQ(ShortCutToHotKeyField(0x806F), 0x0C6F); // Alt+keypad divide
    EXPECT_EQ(ShortCutToHotKeyField(0x00B3), 0x08B3); // play/pause media key
    // Their neighbours on the main block and the keypad are not extended.
    EXPECT_EQ(ShortCutToHotKeyField(0xC06E), 0x066E); // keypad decimal point
    EXPECT_EQ(ShortCutToHotKeyField(0xC00D), 0x060D); // Enter
    EXPECT_EQ(ShortCutToHotKeyField(0x4070), 0x0270); // Ctrl+F1
    EXPECT_EQ(ShortCutToHotKeyField(0xC013), 0x0613); // Pause
}

TEST(HotKeyField, BitsOutsideTheCombinationAreDropped) {
    EXPECT_EQ(ShortCutToHotKeyField(0x1F45), 0x0045);
    EXPECT_EQ(ShortCutToHotKeyField(0xDF45), 0x0645);
}
