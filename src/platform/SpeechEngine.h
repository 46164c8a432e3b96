#pragma once
// The speaking of keys: finding a usable speech engine once, and speaking one text on it.
#include "SpeechLib_TLB.h"
#include "VTxtAuto_TLB.h"

#include <cstdint>
#include <memory>
#include <string>

enum : uint8_t { SpeechEngineNone = 0, SpeechEngineVoiceText = 1, SpeechEngineSapi = 2 };

// Owned by the main window; all calls on its thread, with COM initialised apartment-threaded.
class TSpeechEngine {
public:
    TSpeechEngine() = default;
    TSpeechEngine(const TSpeechEngine&) = delete;
    TSpeechEngine& operator=(const TSpeechEngine&) = delete;

    // The engine kind: 2 the SAPI 5 voice (needs a second US English voice), 1 Voice Text,
    // 0 none. Once an engine is found it is kept and the search never runs again; a failed
    // search leaves nothing behind and says nothing.
    uint8_t DetectSpeechEngine();
    uint8_t SpeechEngine() const { return FSpeechEngine; }

    // Speaks an ANSI text, cutting off the previous one; nothing without an engine. A failed
    // speaking call raises an Exception.
    void SpeakText(const std::string& text);

private:
    uint8_t FSpeechEngine = SpeechEngineNone;
    std::unique_ptr<TSpVoice> FSpVoice;
    TComPtr<VTxtAuto::IVTxtAuto> FVoiceText;
};
