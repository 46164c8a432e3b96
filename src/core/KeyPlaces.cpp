#include "KeyPlaces.h"

#include "KeyPanelKeys.h"

namespace {

// Virtual-key codes (winuser.h) with a place of their own here.
enum : unsigned {
    kPause = 0x13,
    kNumLock = 0x90,
    kLShift = 0xA0,
    kRShift = 0xA1,
    kLControl = 0xA2,
    kRControl = 0xA3,
    kLMenu = 0xA4,
    kRMenu = 0xA5,
};

} // namespace

std::optional<KeyPlace> DefaultKeyPlace(unsigned vk) {
    switch (vk) {
    case kLShift:
        return KeyPlace{0x2A, false};
    case kRShift:
        return KeyPlace{0x36, false};
    case kLControl:
        return KeyPlace{0x1D, false};
    case kRControl:
        return KeyPlace{0x1D, true};
    case kLMenu:
        return KeyPlace{0x38, false};
    case kRMenu:
        return KeyPlace{0x38, true};
    default:
        break;
    }
    const int panel = KeyPanelOf(KeyPlace{}, vk);
    if (panel < 0)
        return std::nullopt;
    return KeyPanelKeys[static_cast<size_t>(panel)].Place;
}

std::optional<KeyPlace> ReportedKeyPlace(unsigned vk, unsigned scan, bool extended) {
    if (scan == 0 || scan > 0xFF)
        return DefaultKeyPlace(vk);
    if (vk == kNumLock)
        return KeyPlace{0x45, false};
    if (vk == kPause)
        return KeyPlace{0x45, true};
    return KeyPlace{static_cast<uint16_t>(scan), extended};
}
