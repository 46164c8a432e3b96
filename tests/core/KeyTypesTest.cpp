#include "KeyTypes.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// The classification table written out key by key, apart from the product's table.
int Expected(unsigned vk) {
    if (vk == 33)
        return 0;
    if (vk == 20)
        return 1;
    if ((vk >= '0' && vk <= '9') || (vk >= 96 && vk <= 105) || vk == 107 || vk == 108 ||
        vk == 109 || vk == 110 || vk == 111)
        return 2;
    if (vk == 144)
        return 3;
    if (vk >= 112 && vk <= 135)
        return 4;
    if (vk == 46)
        return 5;
    if (vk == 37 || vk == 38 || vk == 39 || vk == 40)
        return 6;
    if (vk == 13)
        return 7;
    if (vk == 34)
        return 8;
    if (vk == 8)
        return 9;
    if (vk == 16 || vk == 17 || vk == 18 || vk == 19 || vk == 35 || vk == 36 || vk == 45 ||
        vk == 91 || vk == 92 || vk == 93 || vk == 145)
        return 10;
    if (vk == 9)
        return 11;
    if (vk >= 'A' && vk <= 'Z')
        return 12;
    if (vk == 32)
        return 13;
    if (vk == 27)
        return 14;
    return 15;
}

} // namespace

TEST(KeyTypes, EveryByteCodeFollowsTheTable) {
    for (unsigned vk = 0; vk < 256; ++vk)
        EXPECT_EQ(KeyTypeOf(vk), Expected(vk)) << "virtual key " << vk;
}

TEST(KeyTypes, KeysThatAreEasyToFileWrongly) {
    EXPECT_EQ(KeyTypeOf(106), KeyType::Other); // keypad multiply
    for (unsigned vk = 107; vk <= 111; ++vk)
        EXPECT_EQ(KeyTypeOf(vk), KeyType::Number) << vk;
    for (unsigned vk = 124; vk <= 135; ++vk)
        EXPECT_EQ(KeyTypeOf(vk), KeyType::Function) << vk;
    EXPECT_EQ(KeyTypeOf(1), KeyType::Other);
    EXPECT_EQ(KeyTypeOf(2), KeyType::Other);
    EXPECT_EQ(KeyTypeOf(187), KeyType::Other);
    EXPECT_EQ(KeyTypeOf(189), KeyType::Other);
    EXPECT_EQ(KeyTypeOf(256), KeyType::Other);
    EXPECT_EQ(KeyTypeOf(300), KeyType::Other);
    EXPECT_EQ(KeyTypeOf(UINT_MAX), KeyType::Other);
}

TEST(KeyTypes, NamesAndFieldsLineUpWithTheIndexes) {
    EXPECT_STREQ(KeyTypeName(0), "Page Up Key");
    EXPECT_STREQ(KeyTypeName(2), "Number Keys");
    EXPECT_STREQ(KeyTypeName(10), "Ctrl Keys");
    EXPECT_STREQ(KeyTypeName(15), "Other Key");
    EXPECT_STREQ(KeyTypeField(0), "PageUpSound");
    EXPECT_STREQ(KeyTypeField(9), "BackSpaceSound");
    EXPECT_STREQ(KeyTypeField(15), "OtherSound");
    // Each field is named after its type: "Page Up Key" -> "PageUpSound".
    for (int i = 0; i < KeyTypeCount; ++i) {
        std::string name = KeyTypeName(i), field = KeyTypeField(i);
        std::string squeezed;
        for (char c : name.substr(0, name.rfind(' ')))
            if (c != ' ')
                squeezed += c;
        EXPECT_EQ(field, squeezed + "Sound") << i;
    }
    EXPECT_EQ(KeyTypeName(16), nullptr);
    EXPECT_EQ(KeyTypeField(-1), nullptr);
}
