// Start-up and shutdown of the real program: settings, single instance, scheme fallbacks.
#include "AppDriver.h"
#include "MySetInfo.h"
#include "WineTest.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

TMySetInfo ReadSettings(const std::string& path) {
    TMySetInfo settings;
    settings.CurrentScheme = "<none>";
    settings.LoadFromFile(path, false);
    return settings;
}

} // namespace

TEST(Startup, FreshStartWithoutSpeechEngineTakesTheFirstSchemeAndWritesTheSettings) {
    app::ProgramDir dir("fresh");
    app::AppProcess tappolo;
    ASSERT_TRUE(tappolo.Start(dir));
    ASSERT_NE(tappolo.WaitTray(10s), nullptr) << "no tray icon";
    EXPECT_EQ(ReadSettings(dir.SettingsPath()).CurrentScheme, "Fight");

    ASSERT_TRUE(tappolo.ChooseItem(app::mpExit));
    EXPECT_EQ(tappolo.WaitExit(5s), 0u);
}
