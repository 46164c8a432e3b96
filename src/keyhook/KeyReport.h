#pragma once
// The key message's lParam, which tells where the key lies and what happened to it: bits 0-7
// the set-1 scan code, bit 8 the E0 prefix (an extended key), bit 9 a release, bit 10 an
// auto-repeat of a held key's key-down. wParam keeps the virtual-key code.
#include <cstdint>

constexpr std::uint32_t kReportScanMask = 0xFF;
constexpr std::uint32_t kReportExtended = 1u << 8;
constexpr std::uint32_t kReportRelease = 1u << 9;
constexpr std::uint32_t kReportRepeat = 1u << 10;

// The keypad multiply key's place: where every masked key of a password field is reported,
// so that neither its pan nor its pitch tells which key it was.
constexpr std::uint32_t kMaskedKeyScan = 0x37;

constexpr std::uint32_t MakeKeyReport(std::uint32_t scan, bool extended, bool release,
                                      bool repeat) noexcept {
    return (scan & kReportScanMask) | (extended ? kReportExtended : 0) |
           (release ? kReportRelease : 0) | (repeat ? kReportRepeat : 0);
}

struct KeyReport {
    std::uint16_t Scan = 0;
    bool Extended = false;
    bool Release = false;
    bool Repeat = false;
};

// Any process may post the message: bits beyond the layout are ignored.
constexpr KeyReport ReadKeyReport(std::uintptr_t lParam) noexcept {
    const auto bits = static_cast<std::uint32_t>(lParam);
    return {static_cast<std::uint16_t>(bits & kReportScanMask), (bits & kReportExtended) != 0,
            (bits & kReportRelease) != 0, (bits & kReportRepeat) != 0};
}
