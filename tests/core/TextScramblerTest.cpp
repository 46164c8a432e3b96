#include "TextScrambler.h"

#include <gtest/gtest.h>

TEST(TextScrambler, SixBitEncodingPutsLowBitsFirstWithoutPadding) {
    EXPECT_EQ(EncodeSixBit("abc"), "hJ2Y");
    EXPECT_EQ(EncodeSixBit("a"), "hB");
    EXPECT_EQ(EncodeSixBit("ab"), "hJG");
    EXPECT_EQ(EncodeSixBit(""), "");
    // High bytes must not sign-extend into the neighbouring characters.
    EXPECT_EQ(EncodeSixBit(std::string("\xFF\xFF\xFF", 3)), "////");
    EXPECT_EQ(EncodeSixBit(std::string("\x00\x80", 2)), "AAI");
}

TEST(TextScrambler, DefaultTextsScrambleToTheReferenceValues) {
    EXPECT_EQ(ScrambleText("TTS Speak", 0x00B7), "U1GMkoqAGgJa");
    EXPECT_EQ(ScrambleText("With This Scheme, You must install Microsoft Speech engire", 0x00B7),
              "X1nYbkR6/Y+4fDhUBk1K6jA7jpmnr/DPrxOJ9V0zDdYKqlKX3W+kBSddKXhPX+IBh0yu2VvnRRt/jC");
    EXPECT_EQ(ScrambleText("Use Microsoft Speech to Speak Press Key", 0x00B7),
              "VRKNnOKUNgXGhccUAj24J/VnKoIb5hAJdBWIwH4GChORbMArbpc2");
    EXPECT_EQ(
        ScrambleText("The cool program that helps you gain the pleasure from finger! It "
                     "simulate typewriter or other particular sound effect when a keyboard "
                     "button is pressed, or speak the letter of you pressed.",
                     0x00D2),
        "UF4b5iokMTOa6AD5Gvya4HoOKcit0bNi/R3S6RDAByt/975AecTv2dKt6HsmOFqkYVIfH4jg0L0EA64brPf1"
        "CduyQeL+1T2jh97c0WbQxezIDQOZKX7EQtVkl3edv+ck9oMmaTGrrfzTJ06bnNnGx1EO4S8BGwelLtvsRC5y"
        "sFd7B7Hmy58Z6ZC7Ncsd1cPHkR7vczEoXv1wXDYGog8xn+eUWRfBE1p2ODsYmmsIFJjB0LJa06byDNxgj2L5");
    EXPECT_EQ(
        ScrambleText("Tappolo is a enhance tool for keyboard  - Make keyboard speaking, helps "
                     "you gain pleasure from finger!",
                     0x005B),
        "UxzmnyjnpLBI9ScV3C4QhdI9J01LmjCVkAK9odSziCiVQKauS4M201RctB3+34rc4ZCmnB5/QOp5VFerqAlH"
        "hlv32+PpqWYKcbWlNj1rN7Z6GioTwCjc5xPufo7gbF9zkAdseLu5");
}

TEST(TextScrambler, EmptyTextStaysEmpty) {
    EXPECT_EQ(ScrambleText("", 0x00B7), "");
}
