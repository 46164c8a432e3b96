// The hook library's rules, driven without a hook: which key-downs start a press, what a
// password field turns a key into, when the hook is taken for dead, and the 4-byte target cell.
#include "DeadHookRule.h"
#include "KeyHookTarget.h"
#include "KeyPressFilter.h"
#include "KeyReport.h"
#include "PasswordKeys.h"
#include "SoundOptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

TEST(KeyPressFilter, AHeldKeyStartsOnePressAndOtherKeysAreIndependent) {
    TKeyPressFilter filter;
    EXPECT_TRUE(filter.Press('A', 1000));
    // Auto-repeat: the first repeat after the keyboard delay, then every 40 ms, for 10 s.
    for (std::uint32_t t = 1660; t < 11000; t += 40)
        ASSERT_FALSE(filter.Press('A', t)) << t;
    EXPECT_TRUE(filter.Press('B', 11010));
    filter.Release('B');
    EXPECT_FALSE(filter.Press('A', 11020));
    filter.Release('A');
    EXPECT_TRUE(filter.Press('A', 11030));
    EXPECT_TRUE(filter.Press('B', 11040));
}

TEST(KeyPressFilter, AKeyWhoseReleaseWasLostPressesAgainAfterTwoSeconds) {
    TKeyPressFilter filter;
    EXPECT_TRUE(filter.Press('J', 5000));
    EXPECT_FALSE(filter.Press('J', 6999));
    // Measured from the latest key-down, not from the first one.
    EXPECT_FALSE(filter.Press('J', 8998));
    EXPECT_TRUE(filter.Press('J', 10998));
    EXPECT_FALSE(filter.Press('J', 10999));
}

TEST(KeyPressFilter, TheGapIsRightAcrossTheWrapOfTheEventTime) {
    TKeyPressFilter filter;
    EXPECT_TRUE(filter.Press('K', 0xFFFFFF00u));
    EXPECT_FALSE(filter.Press('K', 0x00000200u)); // 768 ms later
    EXPECT_TRUE(filter.Press('L', 0xFFFFFC18u));
    EXPECT_TRUE(filter.Press('L', 0x000003E8u)); // 2000 ms later
    // A key never pressed before is new, also at time 0 right after the wrap.
    EXPECT_TRUE(filter.Press('M', 0));
}

TEST(PasswordKeys, CharacterKeysBecomeKeypadMultiplyOnlyInAPasswordField) {
    // Space, digits, letters, keypad digits and operators, punctuation and the 102nd key.
    std::set<unsigned> characters = {32, 226};
    for (auto [first, last] :
         {std::pair{48u, 57u}, {65u, 90u}, {96u, 111u}, {186u, 192u}, {219u, 223u}})
        for (unsigned vk = first; vk <= last; ++vk)
            characters.insert(vk);
    for (unsigned vk = 0; vk < 300; ++vk) {
        int asked = 0;
        const unsigned inPassword = ReportedKey(vk, [&] {
            ++asked;
            return true;
        });
        const bool isCharacter = characters.count(vk) != 0;
        EXPECT_EQ(inPassword, isCharacter ? 106u : vk) << vk;
        // The focus check costs calls into the system: editing keys never ask for it.
        EXPECT_EQ(asked, isCharacter ? 1 : 0) << vk;
        EXPECT_EQ(ReportedKey(vk, [] { return false; }), vk) << vk;
    }
}

TEST(KeyHookTarget, TheHandleIsFourLittleEndianBytesReadBackWithSignExtension) {
    unsigned char cell[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    WriteKeyHookTarget(cell + 1, 0x00012345u);
    EXPECT_EQ(cell[0], 0xEE);
    EXPECT_EQ(cell[1], 0x45);
    EXPECT_EQ(cell[2], 0x23);
    EXPECT_EQ(cell[3], 0x01);
    EXPECT_EQ(cell[4], 0x00);
    EXPECT_EQ(cell[5], 0xEE);
    EXPECT_EQ(ReadKeyHookTarget(cell + 1), 0x12345);

    const unsigned char high[4] = {0x01, 0x80, 0xFF, 0xFF};
    EXPECT_EQ(ReadKeyHookTarget(high), -32767);
    const unsigned char top[4] = {0x78, 0x56, 0x34, 0x92};
    EXPECT_EQ(ReadKeyHookTarget(top), std::intptr_t(std::int32_t(-0x6DCBA988)));
}

TEST(PasswordKeys, EditClassesAreKnownByTheWordInTheirNamesInAnyCase) {
    for (const char* name : {"Edit", "EDIT", "WindowsForms10.EDIT.app.0.1a_r9_ad1", "TEdit",
                             "RichEdit20A", "RichEdit20W", "RICHEDIT50W", "TcxCustomInnerTextEdit"})
        EXPECT_TRUE(IsEditClassName(name)) << name;
    for (const char* name : {"", "Edi", "Button", "Static", "ComboBox", "TMemo", "E_dit",
                             "WindowsForms10.BUTTON.app.0.1", "Chrome_RenderWidgetHostHWND"})
        EXPECT_FALSE(IsEditClassName(name)) << name;
}

TEST(DeadHookRule, OnlyInputNewerThanTheHooksLastCallByMoreThanASecondShowsItDead) {
    // Idle: the last call (or the installation) is as new as the last input, or newer.
    EXPECT_FALSE(HookFoundDead(5000, 5000));
    EXPECT_FALSE(HookFoundDead(5000, 9000));
    EXPECT_FALSE(HookFoundDead(5000, 5000 + 3'600'000));
    // Input the hook was not called for: within the margin, then beyond it.
    EXPECT_FALSE(HookFoundDead(6000, 5000));
    EXPECT_TRUE(HookFoundDead(6001, 5000));
    EXPECT_TRUE(HookFoundDead(5000 + 3'600'000, 5000));
    // Across the wrap of the tick count.
    EXPECT_FALSE(HookFoundDead(0x00000100u, 0xFFFFFF00u)); // 512 ms later
    EXPECT_TRUE(HookFoundDead(0x00000400u, 0xFFFFFF00u));  // 1280 ms later
    EXPECT_FALSE(HookFoundDead(0xFFFFFF00u, 0x00000400u));
}

TEST(KeyReport, TheLParamLayoutIsScanExtendedReleaseRepeatInBitsZeroToTen) {
    EXPECT_EQ(MakeKeyReport(0x1C, false, false, false), 0x01Cu);
    EXPECT_EQ(MakeKeyReport(0x1C, true, false, false), 0x11Cu);
    EXPECT_EQ(MakeKeyReport(0x2A, false, true, false), 0x22Au);
    EXPECT_EQ(MakeKeyReport(0x1E, false, false, true), 0x41Eu);
    EXPECT_EQ(MakeKeyReport(0x1D, true, true, true), 0x71Du);
    EXPECT_EQ(MakeKeyReport(0x145, false, false, false), 0x045u) << "only eight bits of scan";

    const KeyReport r = ReadKeyReport(0xFFFFFD1Du);
    EXPECT_EQ(r.Scan, 0x1D);
    EXPECT_TRUE(r.Extended);
    EXPECT_FALSE(r.Release);
    EXPECT_TRUE(r.Repeat);
    const KeyReport none = ReadKeyReport(0);
    EXPECT_EQ(none.Scan, 0);
    EXPECT_FALSE(none.Extended || none.Release || none.Repeat) << "another program's message";
}

TEST(KeyMessageRule, RepeatsSoundOnlyWhenAskedAndReleasesOnlyWithReleaseSounds) {
    TSoundOptions options;
    EXPECT_EQ(KeyMessageAction(false, false, options), TKeyAction::Press);
    EXPECT_EQ(KeyMessageAction(false, true, options), TKeyAction::Ignore) << "one per press";
    EXPECT_EQ(KeyMessageAction(true, false, options), TKeyAction::Release);
    options.SoundOnRepeat = true;
    options.ReleaseSounds = false;
    EXPECT_EQ(KeyMessageAction(false, true, options), TKeyAction::Press);
    EXPECT_EQ(KeyMessageAction(true, false, options), TKeyAction::Ignore);
    EXPECT_EQ(KeyMessageAction(false, false, options), TKeyAction::Press);
}
