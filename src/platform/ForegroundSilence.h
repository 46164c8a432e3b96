#pragma once
// The foreground silence rule fed from the window in front (SilenceRule.h), at each key.
#include "SilenceRule.h"
#include "SoundOptions.h"

#include <optional>
#include <string>

// What the rule reads of the window in front now. Only what `options` needs is read: the
// image path only when programs are listed (and then from a cache per window and process, so
// that a key costs a couple of calls), the notification state and the rectangles only for the
// full-screen rule.
TForeground ReadForeground(const TSoundOptions& options);

// The reason the keys are silent now, or none. Never raises.
std::optional<std::string> CurrentSilenceReason(const TSoundOptions& options) noexcept;

// The full path of a process's image, empty when it cannot be read.
std::string ProcessImagePath(unsigned long processId);
