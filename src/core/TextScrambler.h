#pragma once
// The scrambled form in which the settings record keeps its descriptive texts.
#include <cstdint>
#include <string>

// Six bits per character from the RFC 4648 alphabet, low bits first, with no padding:
// n bytes give (4n + 2) / 3 characters.
std::string EncodeSixBit(const std::string& bytes);

// A running-key exclusive or started at `startKey`, then EncodeSixBit.
std::string ScrambleText(const std::string& text, uint16_t startKey);
