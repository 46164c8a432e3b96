#include "KeyCodes.h"

#include <array>

namespace {

// Codes are PC scan code set 1: a plain key is its make code, most E0 keys 0x0E00 + the code,
// the arrows 0xE000 + the code, and the Windows aliases 60999 to 61011.
constexpr uint32_t PageUp[] = {3657, 61001};
constexpr uint32_t CapsLock[] = {58};
constexpr uint32_t Number[] = {2,  3,  4,    5,  6,  7,  8,  9,  10, 11, // 1 ... 0
                               79, 80, 81,   75, 76, 77, 71, 72, 73, 82, // keypad 1 ... 9, 0
                               78, 74, 3637, 83};                        // keypad + - / .
constexpr uint32_t NumLock[] = {69};
constexpr uint32_t Function[] = {59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 87, 88, 91, 92, 93};
constexpr uint32_t Delete[] = {3667, 61011};
constexpr uint32_t Arrow[] = {57416, 57424, 57419, 57421, 61000, 61008, 61003, 61005};
constexpr uint32_t Enter[] = {28, 3612};
constexpr uint32_t PageDown[] = {3665, 61009};
constexpr uint32_t BackSpace[] = {14};
constexpr uint32_t Ctrl[] = {29, 3613, 42,   54,    56,   3640,  3675, 3676, 3677,
                             70, 3653, 3666, 61010, 3655, 60999, 3663, 61007};
constexpr uint32_t Tab[] = {15};
constexpr uint32_t Letter[] = {30, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 31, 32,
                               33, 34, 35, 36, 37, 38, 44, 45, 46, 47, 48, 49, 50};
constexpr uint32_t Space[] = {57};
constexpr uint32_t Esc[] = {1};
constexpr uint32_t Other[] = {51, 52, 39, 40, 53, 12, 13, 26, 27, 43, 41, 55, 3639};

// F13's number in packs, and its make code.
constexpr uint32_t kPackF13 = 91;
constexpr uint32_t kScanF13 = 0x64;

constexpr std::array<std::span<const uint32_t>, KeyTypeCount> Codes = {
    PageUp,   CapsLock,  Number, NumLock, Function, Delete, Arrow, Enter,
    PageDown, BackSpace, Ctrl,   Tab,     Letter,   Space,  Esc,   Other};

constexpr std::array<const char*, KeyTypeCount> FileNames = {
    "pageup.wav", "capslock.wav", "number.wav",   "numlock.wav",   "function.wav", "delete.wav",
    "arrow.wav",  "enter.wav",    "pagedown.wav", "backspace.wav", "ctrl.wav",     "tab.wav",
    "letter.wav", "space.wav",    "esc.wav",      "other.wav"};

} // namespace

std::span<const uint32_t> KeyTypeCodes(size_t index) {
    return index < size_t{KeyTypeCount} ? Codes[index] : std::span<const uint32_t>();
}

const char* KeyTypeFileName(size_t index) {
    return index < size_t{KeyTypeCount} ? FileNames[index] : "";
}

std::optional<KeyPlace> KeyPlaceOfCode(uint32_t code) {
    const uint32_t scan = code & 0xFF;
    if (scan == 0) {
        return std::nullopt;
    }
    if (code < 0x100) {
        // F13 to F15: packs number them 91 to 93; the keyboard sends 0x64 to 0x66. Those three
        // numbers in a pack are other keys (of higher F numbers), which the user has not got.
        if (code >= kPackF13 && code < kPackF13 + 3) {
            return KeyPlace{static_cast<uint16_t>(kScanF13 + (code - kPackF13)), false};
        }
        if (code >= kScanF13 && code < kScanF13 + 3) {
            return std::nullopt;
        }
        return KeyPlace{static_cast<uint16_t>(scan), false};
    }
    const uint32_t prefix = code & ~uint32_t{0xFF};
    if (prefix == 0x0E00 || prefix == 0xE000 || prefix == 0xEE00) {
        return KeyPlace{static_cast<uint16_t>(scan), true};
    }
    return std::nullopt;
}

std::array<uint32_t, 3> KeyPlaceCodes(KeyPlace key) {
    if (key.Scan == 0 || key.Scan > 0xFF) {
        return {};
    }
    if (!key.Extended) {
        if (key.Scan >= kScanF13 && key.Scan < kScanF13 + 3) {
            return {kPackF13 + (key.Scan - kScanF13), 0, 0};
        }
        if (key.Scan >= kPackF13 && key.Scan < kPackF13 + 3) {
            return {};
        }
        return {key.Scan, 0, 0};
    }
    return {0x0E00u + key.Scan, 0xE000u + key.Scan, 0xEE00u + key.Scan};
}
