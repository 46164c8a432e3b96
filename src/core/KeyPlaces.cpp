#include "KeyPlaces.h"

namespace {

constexpr KeyPlace P(uint16_t scan) {
    return {scan, false};
}
constexpr KeyPlace E(uint16_t scan) {
    return {scan, true};
}

// Virtual-key codes (winuser.h) of the keys that are not letters or digits.
enum : unsigned {
    kBack = 0x08,
    kTab = 0x09,
    kReturn = 0x0D,
    kShift = 0x10,
    kControl = 0x11,
    kMenu = 0x12,
    kPause = 0x13,
    kCapital = 0x14,
    kEscape = 0x1B,
    kSpace = 0x20,
    kPrior = 0x21,
    kNext = 0x22,
    kEnd = 0x23,
    kHome = 0x24,
    kLeft = 0x25,
    kUp = 0x26,
    kRight = 0x27,
    kDown = 0x28,
    kSnapshot = 0x2C,
    kInsert = 0x2D,
    kDelete = 0x2E,
    kLWin = 0x5B,
    kRWin = 0x5C,
    kApps = 0x5D,
    kNumpad0 = 0x60,
    kMultiply = 0x6A,
    kAdd = 0x6B,
    kSubtract = 0x6D,
    kDecimal = 0x6E,
    kDivide = 0x6F,
    kF1 = 0x70,
    kF11 = 0x7A,
    kF12 = 0x7B,
    kNumLock = 0x90,
    kScroll = 0x91,
    kLShift = 0xA0,
    kRShift = 0xA1,
    kLControl = 0xA2,
    kRControl = 0xA3,
    kLMenu = 0xA4,
    kRMenu = 0xA5,
    kOem1 = 0xBA,
    kOemPlus = 0xBB,
    kOemComma = 0xBC,
    kOemMinus = 0xBD,
    kOemPeriod = 0xBE,
    kOem2 = 0xBF,
    kOem3 = 0xC0,
    kOem4 = 0xDB,
    kOem5 = 0xDC,
    kOem6 = 0xDD,
    kOem7 = 0xDE,
    kOem102 = 0xE2,
};

// Letters A to Z and the keypad's digits 0 to 9, by their place.
constexpr uint16_t kLetterScans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                       0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                       0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
constexpr uint16_t kKeypadScans[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};

} // namespace

std::optional<KeyPlace> DefaultKeyPlace(unsigned vk) {
    if (vk >= 'A' && vk <= 'Z')
        return P(kLetterScans[vk - 'A']);
    if (vk >= '1' && vk <= '9')
        return P(static_cast<uint16_t>(0x02 + (vk - '1')));
    if (vk == '0')
        return P(0x0B);
    if (vk >= kNumpad0 && vk <= kNumpad0 + 9)
        return P(kKeypadScans[vk - kNumpad0]);
    if (vk >= kF1 && vk < kF1 + 10)
        return P(static_cast<uint16_t>(0x3B + (vk - kF1)));
    switch (vk) {
    case kEscape:
        return P(0x01);
    case kF11:
        return P(0x57);
    case kF12:
        return P(0x58);
    case kBack:
        return P(0x0E);
    case kTab:
        return P(0x0F);
    case kReturn:
        return P(0x1C);
    case kShift:
    case kLShift:
        return P(0x2A);
    case kRShift:
        return P(0x36);
    case kControl:
    case kLControl:
        return P(0x1D);
    case kRControl:
        return E(0x1D);
    case kMenu:
    case kLMenu:
        return P(0x38);
    case kRMenu:
        return E(0x38);
    case kSpace:
        return P(0x39);
    case kCapital:
        return P(0x3A);
    case kNumLock:
        return P(0x45);
    case kScroll:
        return P(0x46);
    case kPause:
        return E(0x45);
    case kSnapshot:
        return E(0x37);
    case kMultiply:
        return P(0x37);
    case kSubtract:
        return P(0x4A);
    case kAdd:
        return P(0x4E);
    case kDecimal:
        return P(0x53);
    case kDivide:
        return E(0x35);
    case kInsert:
        return E(0x52);
    case kDelete:
        return E(0x53);
    case kHome:
        return E(0x47);
    case kEnd:
        return E(0x4F);
    case kPrior:
        return E(0x49);
    case kNext:
        return E(0x51);
    case kUp:
        return E(0x48);
    case kDown:
        return E(0x50);
    case kLeft:
        return E(0x4B);
    case kRight:
        return E(0x4D);
    case kLWin:
        return E(0x5B);
    case kRWin:
        return E(0x5C);
    case kApps:
        return E(0x5D);
    case kOemMinus:
        return P(0x0C);
    case kOemPlus:
        return P(0x0D);
    case kOem4:
        return P(0x1A);
    case kOem6:
        return P(0x1B);
    case kOem1:
        return P(0x27);
    case kOem7:
        return P(0x28);
    case kOem3:
        return P(0x29);
    case kOem5:
        return P(0x2B);
    case kOemComma:
        return P(0x33);
    case kOemPeriod:
        return P(0x34);
    case kOem2:
        return P(0x35);
    case kOem102:
        return P(0x56);
    default:
        return std::nullopt;
    }
}

std::optional<KeyPlace> ReportedKeyPlace(unsigned vk, unsigned scan, bool extended) {
    if (scan == 0 || scan > 0xFF)
        return DefaultKeyPlace(vk);
    if (vk == kNumLock)
        return P(0x45);
    if (vk == kPause)
        return E(0x45);
    return KeyPlace{static_cast<uint16_t>(scan), extended};
}

// clang-format off
const std::array<KeyPlace, KeyPanelCount> KeyPanelPlaces = {{
    // Esc, F1-F12.
    P(0x01), P(0x3B), P(0x3C), P(0x3D), P(0x3E), P(0x3F), P(0x40), P(0x41), P(0x42), P(0x43),
    P(0x44), P(0x57), P(0x58),
    // ` 1-0 - = \ Back, Print Screen, Scroll Lock, Break, Num Lock, keypad / * -.
    P(0x29), P(0x02), P(0x03), P(0x04), P(0x05), P(0x06), P(0x07), P(0x08), P(0x09), P(0x0A),
    P(0x0B), P(0x0C), P(0x0D), P(0x2B), P(0x0E), E(0x37), P(0x46), E(0x45), P(0x45), E(0x35),
    P(0x37), P(0x4A),
    // Tab, Q-P [ ], Enter, Insert, Home, Page Up, keypad 7 8 9 +.
    P(0x0F), P(0x10), P(0x11), P(0x12), P(0x13), P(0x14), P(0x15), P(0x16), P(0x17), P(0x18),
    P(0x19), P(0x1A), P(0x1B), P(0x1C), E(0x52), E(0x47), E(0x49), P(0x47), P(0x48), P(0x49),
    P(0x4E),
    // Caps Lock, A-L ; ', Delete, End, Page Down, keypad 4 5 6.
    P(0x3A), P(0x1E), P(0x1F), P(0x20), P(0x21), P(0x22), P(0x23), P(0x24), P(0x25), P(0x26),
    P(0x27), P(0x28), E(0x53), E(0x4F), E(0x51), P(0x4B), P(0x4C), P(0x4D),
    // Shift, Z-M , . /, Shift, Up, keypad 1 2 3, keypad Enter.
    P(0x2A), P(0x2C), P(0x2D), P(0x2E), P(0x2F), P(0x30), P(0x31), P(0x32), P(0x33), P(0x34),
    P(0x35), P(0x36), E(0x48), P(0x4F), P(0x50), P(0x51), E(0x1C),
    // Ctrl, Win, Alt, Space, Alt, Win, App, Ctrl, Left, Down, Right, keypad 0 and Del.
    P(0x1D), E(0x5B), P(0x38), P(0x39), E(0x38), E(0x5C), E(0x5D), E(0x1D), E(0x4B), E(0x50),
    E(0x4D), P(0x52), P(0x53),
}};
// clang-format on
