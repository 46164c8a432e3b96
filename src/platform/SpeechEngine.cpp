#include "SpeechEngine.h"

#include "CodePage.h"
#include "Exception.h"

uint8_t TSpeechEngine::DetectSpeechEngine() {
    if (FSpeechEngine != SpeechEngineNone)
        return FSpeechEngine;

    try {
        FSpVoice = std::make_unique<TSpVoice>();
        auto tokens = FSpVoice->GetVoices(u"Language=409", u"");
        // Index 1, the second US English voice: a machine with only one does not use SAPI 5.
        auto token = TokenItem(tokens.Get(), 1);
        FSpVoice->SetVoice(token.Get());
        FSpVoice->SetRate(0);
        return FSpeechEngine = SpeechEngineSapi;
    } catch (const Exception&) {
        FSpVoice.reset();
    }

    try {
        FVoiceText = CreateVoiceText();
        VoiceTextRegister(FVoiceText.Get(), u"", u"vobZizeZeraver");
        return FSpeechEngine = SpeechEngineVoiceText;
    } catch (const Exception&) {
        FVoiceText.Reset();
    }
    return SpeechEngineNone;
}

void TSpeechEngine::SpeakText(const std::string& text) {
    switch (FSpeechEngine) {
    case SpeechEngineVoiceText: {
        VoiceTextStopSpeaking(FVoiceText.Get());
        VoiceTextSpeak(FVoiceText.Get(), AnsiToUtf16(text), VTxtAuto::vtxtsp_VERYHIGH);
        break;
    }
    case SpeechEngineSapi:
        FSpVoice->Speak(AnsiToUtf16(text),
                        static_cast<SpeechVoiceSpeakFlags>(SVSFlagsAsync | SVSFPurgeBeforeSpeak));
        break;
    default:
        break;
    }
}
