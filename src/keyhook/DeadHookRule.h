#pragma once
// When the hook thread takes its hook for dead and sets a fresh one. The system removes a
// low-level hook without notice once its procedure misses the time limit (a machine that swaps
// hard can cause it), and no call tells whether a hook is still installed; but the desktop
// keeps the time of its latest input (GetLastInputInfo), and a hook that is alive is called
// for every key. Holds no handle and calls nothing, so it can be driven with made-up times.
#include <cstdint>

// How much newer than the hook's last call the latest input must be. A live hook is called
// before the input counts (or within the hook's time limit after it), so only a hook that
// missed input lags by more.
constexpr std::uint32_t kDeadHookMargin = 1000;

// `lastInput` is the desktop's latest input, `lastCall` the hook's latest call (or its
// installation), both 32-bit tick counts in milliseconds that wrap after about 49.7 days.
//
// While nobody types the hook is rightly not called, and the latest input is old too: an idle
// desktop never looks like a dead hook. Mouse input also counts as input, so moving the mouse
// for a while after the last key makes a live hook look dead: replacing it then costs nothing
// but a new place at the head of the chain, which the hook procedure does not depend on (it
// reports a key only when the hooks after it let it pass).
constexpr bool HookFoundDead(std::uint32_t lastInput, std::uint32_t lastCall) noexcept {
    // Signed distance: input older than the last call (at most ~24 days) is not newer.
    return static_cast<std::int32_t>(lastInput - lastCall) >
           static_cast<std::int32_t>(kDeadHookMargin);
}
