#pragma once
// What the hook library tells of a key besides its virtual-key code (wParam): the key's
// physical place and what happened to it, packed in the message's lParam.
//   bits 0-7  the scan code (set 1, without prefix); 0 when the key's place is kept back
//   bit 8     the key was sent with the E0 prefix (the extended flag)
//   bit 9     the key went up (otherwise it went down)
//   bit 10    an auto-repeat of a key held down (only key-downs after the first)
// A program that reads only wParam hears presses as before: releases and repeats are told
// apart by these bits.
#include <cstdint>

constexpr uint32_t kReportScanMask = 0xFF;
constexpr uint32_t kReportExtended = 1u << 8;
constexpr uint32_t kReportRelease = 1u << 9;
constexpr uint32_t kReportRepeat = 1u << 10;

struct KeyReport {
    unsigned Scan = 0;
    bool Extended = false;
    bool Release = false;
    bool Repeat = false;
};

constexpr uint32_t PackKeyReport(const KeyReport& report) noexcept {
    return (report.Scan & kReportScanMask) | (report.Extended ? kReportExtended : 0) |
           (report.Release ? kReportRelease : 0) | (report.Repeat ? kReportRepeat : 0);
}

// Any process may post the message: bits beyond these mean nothing.
constexpr KeyReport UnpackKeyReport(uint64_t bits) noexcept {
    KeyReport report;
    report.Scan = static_cast<unsigned>(bits & kReportScanMask);
    report.Extended = (bits & kReportExtended) != 0;
    report.Release = (bits & kReportRelease) != 0;
    report.Repeat = (bits & kReportRepeat) != 0;
    return report;
}
