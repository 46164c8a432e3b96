#pragma once
// What the end-to-end tests share: reading the settings file, the sound trace as bare names,
// and the stand-in speech server's set-up.
#include "AppDriver.h"
#include "MySetInfo.h"
#include "SpeechStub.h"
#include "WineTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace app {

// The settings file as the program would load it; CurrentScheme "<none>" when it is missing.
inline TMySetInfo ReadSettings(const std::string& path) {
    TMySetInfo settings;
    settings.CurrentScheme = "<none>";
    settings.LoadFromFile(path, false);
    return settings;
}

// The part of each played path after the program directory ("schemes\Fight\letter.wav").
inline std::vector<std::string> Relative(const std::vector<std::string>& names,
                                         const ProgramDir& dir) {
    std::vector<std::string> out;
    for (const auto& name : names)
        out.push_back(name.compare(0, dir.Path().size(), dir.Path()) == 0
                          ? name.substr(dir.Path().size())
                          : name);
    return out;
}

// Types one key and gives the sounds it asked for within a short while.
inline std::vector<std::string> SoundsOf(WORD vk, const ProgramDir& dir, bool extended = false) {
    wt::PlaySoundTrace trace;
    PressKey(vk, extended);
    return Relative(trace.WaitNames(1, std::chrono::milliseconds(1500)), dir);
}

// A test whose programs find either no speech engine (Wine's own voice cannot speak) or our
// stand-in server with the chosen number of US English voices.
class SpeechTest : public testing::Test {
protected:
    void SetUp() override { speechstub::Unregister(speechstub::Both); }
    void TearDown() override {
        speechstub::Unregister(speechstub::Both);
        speechstub::ClearConfiguration();
    }
    // Registers the stand-in for both engines and gives the path of its call log.
    std::string UseStub(int voices) {
        std::string log = wt::MakeTempDir("speechlog") + "calls.txt";
        speechstub::Configure(log, voices, false);
        EXPECT_TRUE(speechstub::Register(speechstub::Both));
        return log;
    }
    // The stub's calls that start with `prefix`.
    static std::vector<std::string> Calls(const std::string& log, const std::string& prefix) {
        std::vector<std::string> out;
        for (const auto& line : speechstub::ReadCalls(log))
            if (line.compare(0, prefix.size(), prefix) == 0)
                out.push_back(line);
        return out;
    }
};

} // namespace app
