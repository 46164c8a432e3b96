#pragma once
// What the end-to-end tests share: the settings file's expected bytes, the sound trace as bare
// names, and the stand-in speech server's set-up.
#include "AppDriver.h"
#include "SpeechStub.h"
#include "WineTest.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace app {

// --- The settings file, as bytes written here from its layout ----------------------------
// Scrambled texts as the file must hold them: the defaults from vectors.md, and each mode
// name used here and the name twice over (key 0x00B7), worked out apart from the program.
struct ScrambledMode {
    const char* Once;
    const char* Twice;
};
inline ScrambledMode Scrambled(const std::string& name) {
    if (name == "TTS Speak")
        return {"U1GMkoqAGgJa", "U1GMkoqAGgJaiWziTc1ckxpv"};
    if (name == "Fight")
        return {"Gt/brqK", "Gt/brqq1AREQQA"};
    if (name == "Alpha")
        return {"BdBAXCO", "BdBAXCuVB4oqnA"};
    if (name == "TTS")
        return {"U1GM", "U1GMQ9XR"};
    if (name == "A.TSS")
        return {"BVVl55C", "BVVl55iV9UYk7B"};
    if (name == "x")
        return {"4B", "4FA"};
    ADD_FAILURE() << "no scrambled text for " << name;
    return {"", ""};
}
constexpr const char* kScrambledProductText =
    "UxzmnyjnpLBI9ScV3C4QhdI9J01LmjCVkAK9odSziCiVQKauS4M201RctB3+34rc4ZCmnB5/QOp5VFerqAlHhlv32+"
    "PpqWYKcbWlNj1rN7Z6GioTwCjc5xPufo7gbF9zkAdseLu5";
constexpr const char* kScrambledProgramText =
    "UF4b5iokMTOa6AD5Gvya4HoOKcit0bNi/R3S6RDAByt/975AecTv2dKt6HsmOFqkYVIfH4jg0L0EA64brPf1CduyQeL+"
    "1T2jh97c0WbQxezIDQOZKX7EQtVkl3edv+ck9oMmaTGrrfzTJ06bnNnGx1EO4S8BGwelLtvsRC5ysFd7B7Hmy58Z6ZC7"
    "Ncsd1cPHkR7vczEoXv1wXDYGog8xn+eUWRfBE1p2ODsYmmsIFJjB0LJa06byDNxgj2L5";

// A plain ASCII text of fewer than 256 bytes: 06, its length, its bytes.
inline std::string TextValue(const std::string& text) {
    return std::string(1, '\x06') + static_cast<char>(static_cast<unsigned char>(text.size())) +
           text;
}
// An integer under the smallest of the tags 02, 03, 04.
inline std::string IntegerValue(int32_t value) {
    auto u = static_cast<uint32_t>(value);
    std::string bytes;
    if (value >= -128 && value <= 127)
        return std::string(1, '\x02') + static_cast<char>(u & 0xFF);
    const int size = value >= -32768 && value <= 32767 ? 2 : 4;
    bytes += size == 2 ? '\x03' : '\x04';
    for (int i = 0; i < size; ++i)
        bytes += static_cast<char>((u >> (8 * i)) & 0xFF);
    return bytes;
}

// The nine values of a settings file after a change of mode: the mode titled `mode` ("TTS
// Speak" for speech), `current` as the current scheme, the default product and program texts,
// no date.
inline std::vector<std::string> SettingsValues(const std::string& mode, const std::string& current,
                                               int32_t enableHotKey = 0,
                                               int32_t disableHotKey = 0) {
    const ScrambledMode scrambled = Scrambled(mode);
    return {TextValue(scrambled.Once),
            TextValue(scrambled.Twice),
            TextValue(kScrambledProductText),
            IntegerValue(enableHotKey),
            std::string(1, '\x11') + std::string(8, '\0'),
            TextValue(kScrambledProgramText),
            IntegerValue(disableHotKey),
            TextValue(current),
            TextValue(scrambled.Twice)};
}
inline std::string SettingsBytes(const std::string& mode, const std::string& current,
                                 int32_t enableHotKey = 0, int32_t disableHotKey = 0) {
    std::string bytes;
    for (const auto& value : SettingsValues(mode, current, enableHotKey, disableHotKey))
        bytes += value;
    return bytes;
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

// The tone heard after `act` among `tones`, from the recording of the sink; 0 when nothing was.
template <class Act> double HeardAfter(const std::vector<double>& tones, Act&& act) {
    wt::AudioRecording recording;
    act();
    auto samples = recording.WaitForSound(std::chrono::seconds(3), std::chrono::milliseconds(150));
    wt::PumpMessages(std::chrono::milliseconds(250));
    return wt::OnsetIndex(samples, 1000) < 0 ? 0.0 : wt::DominantOf(samples, tones);
}

} // namespace app
