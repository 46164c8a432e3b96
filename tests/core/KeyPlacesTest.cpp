// Which physical key a press is kept under: the hook's report, the virtual-key fallback and
// the keyboard picture must name the same places, the ones packs record (scan code set 1).
#include "KeyPlaces.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

KeyPlace P(uint16_t scan) {
    return {scan, false};
}
KeyPlace E(uint16_t scan) {
    return {scan, true};
}

} // namespace

TEST(KeyPlaces, ReportedKeysTakeTheirScanCodeWithNumLockAndPauseAsPacksRecordThem) {
    EXPECT_EQ(ReportedKeyPlace('A', 0x1E, false), P(0x1E));
    EXPECT_EQ(ReportedKeyPlace(0x0D, 0x1C, true), E(0x1C)) << "keypad Enter";
    EXPECT_EQ(ReportedKeyPlace(0x0D, 0x1C, false), P(0x1C));
    // The system reports Num Lock extended and Pause plain; packs say 69 and 3653.
    EXPECT_EQ(ReportedKeyPlace(0x90, 0x45, true), P(0x45));
    EXPECT_EQ(ReportedKeyPlace(0x13, 0x45, false), E(0x45));
    // Without a scan code (keys sent by programs may have none) the US place stands in.
    EXPECT_EQ(ReportedKeyPlace('Q', 0, false), P(0x10));
    EXPECT_EQ(ReportedKeyPlace(0x25, 0, false), E(0x4B)) << "Left arrow, pack code 57419";
    EXPECT_EQ(ReportedKeyPlace(0xA3, 0, false), E(0x1D)) << "Right Ctrl, pack code 3613";
    EXPECT_EQ(ReportedKeyPlace(0x07, 0, false), std::nullopt) << "no key";
}

TEST(KeyPlaces, EveryPanelOfThePictureIsItsOwnKeyInItsPlace) {
    std::set<KeyPlace> seen(KeyPanelPlaces.begin(), KeyPanelPlaces.end());
    EXPECT_EQ(seen.size(), KeyPanelCount);
    // A few panels by caption, with the codes packs give them.
    const auto place = [](const std::string& caption, int top) {
        for (size_t i = 0; i < KeyPanelCount; ++i)
            if (KeyPanels[i].Caption == caption && KeyPanels[i].Top == top)
                return KeyPanelPlaces[i];
        ADD_FAILURE() << caption;
        return KeyPlace{};
    };
    EXPECT_EQ(place("Esc", 6), P(1));
    EXPECT_EQ(place("F12", 6), P(88));
    EXPECT_EQ(place("Back", 35), P(14));
    EXPECT_EQ(place("Break", 35), E(0x45));
    EXPECT_EQ(place("Num Lock", 35), P(69));
    EXPECT_EQ(place("/", 35), E(0x35)) << "keypad /, 3637";
    EXPECT_EQ(place("/", 107), P(53));
    EXPECT_EQ(place("Page Up", 59), E(0x49)) << "3657";
    EXPECT_EQ(place("Z", 107), P(44));
    EXPECT_EQ(place("Enter", 107), E(0x1C)) << "keypad Enter, 3612";
    EXPECT_EQ(place("Space", 131), P(57));
    EXPECT_EQ(place("Down", 131), E(0x50)) << "57424";
    EXPECT_EQ(place("Del", 131), P(83));
    // The letters agree with the virtual-key table.
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const bool top = std::string("QWERTYUIOP").find(letter) != std::string::npos;
        const bool home = std::string("ASDFGHJKL").find(letter) != std::string::npos;
        const int row = top ? 59 : home ? 83 : 107;
        EXPECT_EQ(place(std::string(1, letter), row), DefaultKeyPlace(unsigned(letter))) << letter;
    }
}
