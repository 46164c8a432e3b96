#include "KeyPanelKeys.h"
#include "KeyTypes.h"
#include "KeyboardPicture.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

bool Overlap(const KeyPanel& a, const KeyPanel& b) {
    return a.Left < b.Left + b.Width && b.Left < a.Left + a.Width && a.Top < b.Top + b.Height &&
           b.Top < a.Top + a.Height;
}

int CountOfType(int type) {
    int count = 0;
    for (const KeyPanel& panel : KeyPanels)
        count += panel.KeyType == type;
    return count;
}

TEST(KeyboardPicture, PanelsPerKeyType) {
    // Number, letter and other keys; every other type has one, two or a handful of keys.
    EXPECT_EQ(CountOfType(2), 26);
    EXPECT_EQ(CountOfType(12), 26);
    EXPECT_EQ(CountOfType(15), 15);
    const int expected[16] = {1, 1, 26, 1, 12, 2, 4, 2, 1, 1, 9, 1, 26, 1, 1, 15};
    int total = 0;
    for (int type = 0; type < 16; ++type) {
        EXPECT_EQ(CountOfType(type), expected[type]) << "key type " << type;
        total += expected[type];
    }
    EXPECT_EQ(total, 104);
}

TEST(KeyboardPicture, PanelsLieApartInsideThePicture) {
    for (std::size_t i = 0; i < KeyPanels.size(); ++i) {
        const KeyPanel& a = KeyPanels[i];
        EXPECT_GE(a.Left, 0) << a.Caption;
        EXPECT_GE(a.Top, 0) << a.Caption;
        EXPECT_LE(a.Left + a.Width, 492) << a.Caption;
        EXPECT_LE(a.Top + a.Height, 158) << a.Caption;
        for (std::size_t j = i + 1; j < KeyPanels.size(); ++j)
            EXPECT_FALSE(Overlap(a, KeyPanels[j])) << a.Caption << " / " << KeyPanels[j].Caption;
    }
}

TEST(KeyboardPicture, ElevenPanelsNameTheirKey) {
    std::set<std::string> hints;
    for (const KeyPanel& panel : KeyPanels)
        if (panel.Hint)
            hints.insert(std::string(panel.Caption) + "=" + panel.Hint);
    const std::set<std::string> expected = {"Print Screen=Print Screen",
                                            "Scroll Lock=Scroll Lock",
                                            "Break=Pause/Break",
                                            "Insert=Insert",
                                            "Home=Home",
                                            "Page Up=Page Up",
                                            "Delete=Delete",
                                            "Page Down=Page Down",
                                            "Enter=Enter",
                                            "Down=Down",
                                            "Right=Right"};
    EXPECT_EQ(hints, expected);
}

TEST(KeyboardPicture, TheTallKeys) {
    // The two Enter keys and keypad plus span two rows; the keypad Enter is the one with a hint.
    std::set<std::string> tall;
    for (const KeyPanel& panel : KeyPanels)
        if (panel.Height != 21)
            tall.insert(std::string(panel.Caption) + "@" + std::to_string(panel.Left) + "," +
                        std::to_string(panel.Top) + (panel.Hint ? "h" : ""));
    EXPECT_EQ(tall, (std::set<std::string>{"Enter@285,59", "+@466,59", "Enter@466,107h"}));
}

} // namespace

// The key of each panel, checked against the key-type table: a panel that got its neighbour's
// key shows as a type that differs. The picture's own types differ from the table's for a
// few keys, listed here by caption.
TEST(KeyPanelKeys, EachPanelsKeyHasThePanelsTypeAndAPlaceOfItsOwn) {
    const std::set<std::string> ownType = {"Scroll Lock", "Break", "*",   "-",  "=",
                                           "Insert",      "Home",  "End", "Del"};
    std::set<std::pair<uint16_t, bool>> places;
    for (size_t i = 0; i < KeyPanelCount; ++i) {
        const KeyPanel& panel = KeyPanels[i];
        const PanelKey& key = KeyPanelKeys[i];
        if (!ownType.count(panel.Caption)) {
            EXPECT_EQ(KeyTypeOf(key.VirtualKey), panel.KeyType) << i << " " << panel.Caption;
        }
        EXPECT_TRUE(places.insert({key.Place.Scan, key.Place.Extended}).second) << panel.Caption;
        EXPECT_EQ(KeyPanelOf(key.Place, 0), static_cast<int>(i)) << panel.Caption;
    }
    EXPECT_EQ(KeyPanelOf({}, 0x10), 74) << "the left Shift";
    EXPECT_EQ(KeyPanelOf({0x1C, true}, 0x0D), 90) << "the keypad's Enter";
    EXPECT_EQ(KeyPanelOf({0x7F, false}, 0x0D), 48) << "an unknown place: the main Enter";
    EXPECT_EQ(KeyPanelOf({}, 0xF6), -1);
}
