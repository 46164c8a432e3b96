#pragma once
// Which key-downs start a press. A held key repeats its key-down; the first one of a press is
// reported as a press, the others as its repeats (KeyReport.h). Fed by the hook procedure with the
// event's virtual-key code and time; holds no handle and calls nothing, so it can be driven with
// made-up times.
#include <cstdint>
#include <utility>

// A held key repeats at least once a second (the longest keyboard delay the system offers), so
// a key-down that comes later than this after the previous one is a new press.
constexpr std::uint32_t kRepeatGapLimit = 2000;

class TKeyPressFilter {
public:
    // True when this key-down starts a press. `time` is the event's time in milliseconds, a
    // 32-bit tick count that wraps to 0 after about 49.7 days.
    bool Press(unsigned vk, std::uint32_t time) noexcept {
        const unsigned key = vk & 0xFF;
        // Unsigned subtraction: the gap stays right across the wrap of the tick count.
        const bool repeat = FDown[key] && time - FLastDownTime[key] < kRepeatGapLimit;
        FDown[key] = true;
        FLastDownTime[key] = time;
        return !repeat;
    }

    // True when the key was held down: its release ends a press.
    bool Release(unsigned vk) noexcept { return std::exchange(FDown[vk & 0xFF], false); }

private:
    bool FDown[256] = {};
    // A release can escape the hook (a key let go on the secure desktop after Ctrl+Alt+Del or
    // Win+L, or over an elevated window); without the time limit that key would stay "held"
    // and silent until the hook is set again.
    std::uint32_t FLastDownTime[256] = {};
};
