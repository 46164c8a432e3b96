// When what is in front silences the keys: full-screen windows, the system's notification
// state, and the listed programs.
#include "SilenceRule.h"

#include <gtest/gtest.h>

namespace {

// A 1920 x 1080 monitor right of a first one.
const TScreenRect kMonitor{1920, 0, 3840, 1080};
constexpr uint32_t kPopup = 0x80000000, kOverlapped = 0x00CF0000;

TForeground Window(TScreenRect rect, uint32_t style, const char* image = "C:\\Games\\Game.exe") {
    TForeground f;
    f.Present = true;
    f.Window = rect;
    f.Monitor = kMonitor;
    f.Style = style;
    f.NotificationState = 5; // accepts notifications
    f.ImagePath = image;
    return f;
}

} // namespace

TEST(SilenceRule, ACaptionlessWindowCoveringItsMonitorIsFullScreenAndNothingLess) {
    const TSoundOptions on;
    const std::optional<std::string> fullScreen = "a full-screen program";
    EXPECT_EQ(SilenceReason(Window(kMonitor, kPopup), on), fullScreen);
    EXPECT_EQ(SilenceReason(Window({1910, -10, 3850, 1090}, kPopup), on), fullScreen)
        << "larger than the monitor";
    EXPECT_EQ(SilenceReason(Window(kMonitor, 0x00800000), on), fullScreen)
        << "a border alone is no caption";
    EXPECT_EQ(SilenceReason(Window(kMonitor, kOverlapped), on), std::nullopt)
        << "a maximised window with a title bar";
    EXPECT_EQ(SilenceReason(Window({1920, 0, 3840, 1040}, kPopup), on), std::nullopt)
        << "leaves the taskbar free";
    EXPECT_EQ(SilenceReason(Window({0, 0, 1920, 1080}, kPopup), on), std::nullopt)
        << "covers the other monitor";
    EXPECT_EQ(SilenceReason(Window({-32000, -32000, -31840, -31972}, kPopup), on), std::nullopt)
        << "minimised";

    TForeground desktop = Window(kMonitor, kPopup, "C:\\Windows\\explorer.exe");
    desktop.Shell = true;
    EXPECT_EQ(SilenceReason(desktop, on), std::nullopt) << "the desktop covers it too";
    TForeground none = Window(kMonitor, kPopup);
    none.Present = false;
    EXPECT_EQ(SilenceReason(none, on), std::nullopt);

    TSoundOptions off;
    off.SilenceFullScreen = false;
    EXPECT_EQ(SilenceReason(Window(kMonitor, kPopup), off), std::nullopt);
    EXPECT_FALSE(SilenceRulesOn(off)) << "nothing listed either";
    EXPECT_TRUE(SilenceRulesOn(on));
}

TEST(SilenceRule, TheNotificationStateSaysFullScreenForBusyDirect3DAndPresentations) {
    const TSoundOptions on;
    for (int state : {2, 3, 4}) {
        TForeground f = Window({0, 0, 800, 600}, kOverlapped);
        f.NotificationState = state;
        EXPECT_EQ(SilenceReason(f, on), "a full-screen program") << state;
    }
    // Not present (screen saver, locked), accepts notifications, quiet time, an app: not these.
    for (int state : {0, 1, 5, 6, 7}) {
        TForeground f = Window({0, 0, 800, 600}, kOverlapped);
        f.NotificationState = state;
        EXPECT_EQ(SilenceReason(f, on), std::nullopt) << state;
    }
}

TEST(SilenceRule, AListedProgramInFrontIsNamedAsTheProcessHasIt) {
    TSoundOptions options;
    options.SilencePrograms = {"vlc.exe", "GAME.EXE"};
    const TScreenRect small{100, 100, 900, 700};
    EXPECT_EQ(SilenceReason(Window(small, kOverlapped), options), "Game.exe");
    EXPECT_EQ(SilenceReason(Window(small, kOverlapped, "\\\\?\\C:\\x\\notgame.exe"), options),
              std::nullopt);
    EXPECT_EQ(SilenceReason(Window(small, kOverlapped, ""), options), std::nullopt)
        << "an image that could not be read";
    options.SilenceListed = false;
    EXPECT_EQ(SilenceReason(Window(small, kOverlapped), options), std::nullopt);
    options.SilenceListed = true;
    options.SilenceFullScreen = false;
    EXPECT_TRUE(SilenceRulesOn(options));
    EXPECT_EQ(SilenceReason(Window(kMonitor, kPopup, "D:\\vlc.exe"), options), "vlc.exe");
}
