#include "KeySpeech.h"

#include <gtest/gtest.h>

#include <map>

namespace {

short StateOff(int) {
    return 0;
}
short StateToggled(int) {
    return 1;
}
short StateHeld(int) {
    return static_cast<short>(0x8000);
}

int gAskedKey = -1;
short RecordingState(int key) {
    gAskedKey = key;
    return 1;
}

// What the listener hears for every code, written out key by key.
std::map<unsigned, std::string> ExpectedTexts(const std::string& lockWord) {
    std::map<unsigned, std::string> t = {
        {1, " left button "},
        {2, " right button "},
        {8, " Backspace "},
        {9, " tab "},
        {13, " Enter "},
        {16, " shift "},
        {17, " control "},
        {18, " alt "},
        {19, " pause "},
        {20, " caps lock " + lockWord},
        {27, " escape "},
        {32, " space "},
        {33, " page up "},
        {34, " page down "},
        {35, " end "},
        {36, " home "},
        {37, " left "},
        {38, " up "},
        {39, " right "},
        {40, " down "},
        {45, " insert "},
        {46, " delete "},
        {91, " win "},
        {92, " win "},
        {93, " apps "},
        {107, " add "},
        {108, " SEPARATOR "},
        {109, " SUBTRACT "},
        {110, " DECIMAL "},
        {111, " DIVIDE "},
        {144, " Number lock " + lockWord},
        {145, " scroll lock " + lockWord},
        {187, "="},
        {188, ","},
        {189, "-"},
        {190, "."},
        {191, "/"},
    };
    const char* digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    for (unsigned i = 0; i < 10; ++i) {
        t[48 + i] = digits[i];
        t[96 + i] = std::string(" num ") + digits[i];
    }
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (unsigned i = 0; i < 26; ++i)
        t[65 + i] = letters.substr(i, 1);
    const char* fkeys[] = {"1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11", "12",
                           "13", "14", "15", "16", "17", "18", "19", "20", "21", "22", "23", "24"};
    for (unsigned i = 0; i < 24; ++i)
        t[112 + i] = std::string(" F ") + fkeys[i];
    return t;
}

void ExpectWholeTable(TKeyStateFn state, const std::string& lockWord) {
    auto expected = ExpectedTexts(lockWord);
    for (unsigned vk = 0; vk < 512; ++vk) {
        auto it = expected.find(vk);
        EXPECT_EQ(KeySpeechText(vk, state), it == expected.end() ? " " : it->second)
            << "virtual key " << vk;
    }
    EXPECT_EQ(KeySpeechText(0xFFFFFFFFu, state), " ");
}

} // namespace

TEST(KeySpeech, EveryCodeSpeaksItsTextWithLocksReadAsClear) {
    ExpectWholeTable(StateOff, " on ");
}

TEST(KeySpeech, ToggledOrHeldLocksSayOff) {
    ExpectWholeTable(StateToggled, " off ");
    ExpectWholeTable(StateHeld, " off ");
}

TEST(KeySpeech, LockKeysAskAboutThemselves) {
    for (unsigned vk : {20u, 144u, 145u}) {
        gAskedKey = -1;
        KeySpeechText(vk, RecordingState);
        EXPECT_EQ(gAskedKey, static_cast<int>(vk));
    }
    gAskedKey = -1;
    KeySpeechText(65, RecordingState);
    EXPECT_EQ(gAskedKey, -1) << "only the lock keys read the key state";
}
