// The speech engine search and the speaking of keys, through COM into our stand-in server
// registered under the platform's class identifiers.
#include "Exception.h"
#include "KeySpeech.h"
#include "SpeechEngine.h"
#include "SpeechStub.h"
#include "WineTest.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using Calls = std::vector<std::string>;

short CapsLockSet(int) {
    return 1;
}

class Speech : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(speechstub::Register(speechstub::Both));
        FLog = wt::MakeTempDir("speech") + "calls.log";
    }
    static void TearDownTestSuite() {
        speechstub::Unregister(speechstub::Both);
        speechstub::ClearConfiguration();
        CoUninitialize();
    }
    void SetUp() override { Voices(2); }

    static void Voices(int count, bool failSpeak = false) {
        speechstub::Configure(FLog, count, failSpeak);
        speechstub::ClearCalls(FLog);
    }
    static Calls TakeCalls() {
        Calls calls = speechstub::ReadCalls(FLog);
        speechstub::ClearCalls(FLog);
        return calls;
    }

    static inline std::string FLog;
};

const Calls kSapiFound = {
    "SAPI.Create",        "SAPI.GetVoices required=\"Language=409\" optional=\"\"",
    "SAPI.Item 1",        "SAPI.Invoke Voice putref",
    "SAPI.Voice token=1", "SAPI.Rate 0",
};

} // namespace

TEST_F(Speech, TwoOrMoreVoicesSelectSapiWithTheSecondToken) {
    for (int voices : {2, 3}) {
        Voices(voices);
        TSpeechEngine engine;
        EXPECT_EQ(engine.DetectSpeechEngine(), SpeechEngineSapi) << voices << " voices";
        EXPECT_EQ(TakeCalls(), kSapiFound) << voices << " voices";
    }
}

TEST_F(Speech, TooFewVoicesFallThroughToVoiceText) {
    for (int voices : {0, 1}) {
        Voices(voices);
        TSpeechEngine engine;
        EXPECT_EQ(engine.DetectSpeechEngine(), SpeechEngineVoiceText) << voices << " voices";
        EXPECT_EQ(
            TakeCalls(),
            (Calls{"SAPI.Create", "SAPI.GetVoices required=\"Language=409\" optional=\"\"",
                   "SAPI.Item 1", "VT.Create", "VT.Register site=\"\" app=\"vobZizeZeraver\""}))
            << voices << " voices";
    }
}

TEST_F(Speech, NoUsableEngineGivesNoneAndSpeaksNothing) {
    Voices(1);
    speechstub::Unregister(speechstub::VoiceText);
    TSpeechEngine engine;
    uint8_t found = engine.DetectSpeechEngine();
    ASSERT_TRUE(speechstub::Register(speechstub::VoiceText));
    EXPECT_EQ(found, SpeechEngineNone);
    TakeCalls();
    EXPECT_NO_THROW(engine.SpeakText(" space "));
    EXPECT_EQ(TakeCalls(), Calls{});
}

TEST_F(Speech, KeysAreSpokenWithPurgeOnSapiAndStopFirstOnVoiceText) {
    TSpeechEngine sapi;
    ASSERT_EQ(sapi.DetectSpeechEngine(), SpeechEngineSapi);
    TakeCalls();
    for (unsigned vk : {65u, 20u, 124u, 106u, 103u})
        sapi.SpeakText(KeySpeechText(vk, CapsLockSet));
    EXPECT_EQ(
        TakeCalls(),
        (Calls{"SAPI.Speak flags=3 text=\"A\"", "SAPI.Speak flags=3 text=\" caps lock  off \"",
               "SAPI.Speak flags=3 text=\" F 13\"", "SAPI.Speak flags=3 text=\" \"",
               "SAPI.Speak flags=3 text=\" num 7\""}));

    Voices(1);
    TSpeechEngine voiceText;
    ASSERT_EQ(voiceText.DetectSpeechEngine(), SpeechEngineVoiceText);
    TakeCalls();
    voiceText.SpeakText(KeySpeechText(55, CapsLockSet));
    voiceText.SpeakText(KeySpeechText(13, CapsLockSet));
    EXPECT_EQ(TakeCalls(), (Calls{"VT.StopSpeaking", "VT.Speak flags=128 text=\"7\"",
                                  "VT.StopSpeaking", "VT.Speak flags=128 text=\" Enter \""}));
}

TEST_F(Speech, TextsReachTheVoiceThroughTheAnsiCodePage) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "ANSI code page " << GetACP();
    TSpeechEngine engine;
    ASSERT_EQ(engine.DetectSpeechEngine(), SpeechEngineSapi);
    TakeCalls();
    engine.SpeakText("Caf\xE9 \x80");
    EXPECT_EQ(TakeCalls(), Calls{"SAPI.Speak flags=3 text=\"Caf\xC3\xA9 \xE2\x82\xAC\""});
}

TEST_F(Speech, FailingSpeakRaisesTheVoicesMessage) {
    for (int voices : {2, 1}) {
        Voices(voices);
        TSpeechEngine engine;
        ASSERT_NE(engine.DetectSpeechEngine(), SpeechEngineNone);
        Voices(voices, true);
        try {
            engine.SpeakText("A");
            ADD_FAILURE() << "a refused Speak passed silently (" << voices << " voices)";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Speech stub refused to speak");
        }
        // The next key is handled as usual once the voice speaks again.
        Voices(voices, false);
        EXPECT_NO_THROW(engine.SpeakText("B"));
    }
}

TEST_F(Speech, SearchRunsOnceWhileItSucceeds) {
    TSpeechEngine engine;
    ASSERT_EQ(engine.DetectSpeechEngine(), SpeechEngineSapi);
    Voices(0);
    EXPECT_EQ(engine.DetectSpeechEngine(), SpeechEngineSapi);
    EXPECT_EQ(TakeCalls(), Calls{}) << "the search ran again";

    // A search that found nothing is made again next time.
    Voices(1);
    speechstub::Unregister(speechstub::VoiceText);
    TSpeechEngine none;
    EXPECT_EQ(none.DetectSpeechEngine(), SpeechEngineNone);
    ASSERT_TRUE(speechstub::Register(speechstub::VoiceText));
    Voices(2);
    EXPECT_EQ(none.DetectSpeechEngine(), SpeechEngineSapi);
}
