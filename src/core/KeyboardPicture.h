#pragma once
// The keyboard picture of the scheme editor as data: one panel per key, at its place inside
// the 492 x 158 picture (96-dpi pixels), tagged with the key type whose sound it chooses.
#include <array>
#include <cstddef>

struct KeyPanel {
    const char* Caption;
    int Left, Top, Width, Height;
    int KeyType;
    const char* Hint; // the key's name shown when the pointer rests on it, or nullptr
};

constexpr int KeyboardPictureWidth = 492;
constexpr int KeyboardPictureHeight = 158;
constexpr std::size_t KeyPanelCount = 104;

extern const std::array<KeyPanel, KeyPanelCount> KeyPanels;
