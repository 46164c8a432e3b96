#pragma once
// When the keys stay silent because of what is in front: a full-screen program (a game, a
// full-screen video, a presentation), or one of the programs the user listed. Judged from
// plain values that the platform side reads from the foreground window at each key.
#include "SoundOptions.h"

#include <cstdint>
#include <optional>
#include <string>

struct TScreenRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Window styles the rule reads (the platform's WS_CAPTION: a title bar is WS_BORDER plus
// WS_DLGFRAME).
constexpr uint32_t kStyleCaption = 0x00C00000;

// The values of the platform's notification state (SHQueryUserNotificationState) that say a
// full-screen program runs: busy (a full-screen program or presentation settings), a
// full-screen Direct3D program, presentation mode.
constexpr int kNotificationBusy = 2;
constexpr int kNotificationDirect3DFullScreen = 3;
constexpr int kNotificationPresentation = 4;

struct TForeground {
    // No foreground window (the secure desktop, a window just closed): nothing to judge.
    bool Present = false;
    // The desktop and the shell's own windows cover the monitor without a caption too.
    bool Shell = false;
    TScreenRect Window;
    TScreenRect Monitor;
    uint32_t Style = 0;
    // 0 when it could not be read.
    int NotificationState = 0;
    // The foreground window's process image, empty when it could not be read.
    std::string ImagePath;
};

constexpr const char* kFullScreenReason = "a full-screen program";

// The reason the keys are silent now ("a full-screen program", or the listed program's file
// name as the process has it), or none. The notification state counts whatever window is in
// front; a window of its own counts as full screen when it covers its whole monitor without a
// caption.
std::optional<std::string> SilenceReason(const TForeground& foreground,
                                         const TSoundOptions& options);

// Whether the listed programs need the foreground's image at all, and whether the full-screen
// rule needs the window: the key path reads only what a rule that is on will look at.
bool SilenceRulesOn(const TSoundOptions& options);
