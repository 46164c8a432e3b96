#pragma once
// The sixteen key types: which sound of a scheme a virtual-key code plays. The key type is
// also the index of the sound in a scheme record and of the type in the scheme editor.
#include <array>
#include <cstddef>
#include <cstdint>

constexpr int KeyTypeCount = 16;

namespace KeyType {
constexpr int PageUp = 0;
constexpr int CapsLock = 1;
constexpr int Number = 2;
constexpr int NumLock = 3;
constexpr int Function = 4;
constexpr int Delete = 5;
constexpr int Arrow = 6;
constexpr int Enter = 7;
constexpr int PageDown = 8;
constexpr int BackSpace = 9;
constexpr int Ctrl = 10;
constexpr int Tab = 11;
constexpr int Letter = 12;
constexpr int Space = 13;
constexpr int Esc = 14;
constexpr int Other = 15;
} // namespace KeyType

namespace KeyTypeDetail {

constexpr std::array<uint8_t, 256> MakeTable() {
    std::array<uint8_t, 256> t{};
    for (auto& type : t)
        type = KeyType::Other;
    auto range = [&t](int first, int last, int type) {
        for (int vk = first; vk <= last; ++vk)
            t[static_cast<std::size_t>(vk)] = static_cast<uint8_t>(type);
    };
    range(33, 33, KeyType::PageUp);
    range(20, 20, KeyType::CapsLock);
    range(48, 57, KeyType::Number);
    range(96, 105, KeyType::Number);
    // The keypad's multiply key (106) stays an Other key; its other operators count as digits.
    range(107, 111, KeyType::Number);
    range(144, 144, KeyType::NumLock);
    range(112, 135, KeyType::Function);
    range(46, 46, KeyType::Delete);
    range(37, 40, KeyType::Arrow);
    range(13, 13, KeyType::Enter);
    range(34, 34, KeyType::PageDown);
    range(8, 8, KeyType::BackSpace);
    range(16, 19, KeyType::Ctrl);
    range(35, 36, KeyType::Ctrl);
    range(45, 45, KeyType::Ctrl);
    range(91, 93, KeyType::Ctrl);
    range(145, 145, KeyType::Ctrl);
    range(9, 9, KeyType::Tab);
    range(65, 90, KeyType::Letter);
    range(32, 32, KeyType::Space);
    range(27, 27, KeyType::Esc);
    return t;
}

inline constexpr std::array<uint8_t, 256> Table = MakeTable();

} // namespace KeyTypeDetail

// Every key press passes through here, so it is a single table look-up.
constexpr int KeyTypeOf(unsigned virtualKey) {
    return virtualKey < 256 ? KeyTypeDetail::Table[virtualKey] : KeyType::Other;
}

// "Page Up Key" ... "Other Key"; nullptr outside 0 to 15.
const char* KeyTypeName(int keyType);
// The scheme record's field name ("PageUpSound" ...); nullptr outside 0 to 15.
const char* KeyTypeField(int keyType);
