#include "VTxtAuto_TLB.h"

using namespace VTxtAuto;

TComPtr<IVTxtAuto> CreateVoiceText() {
    TComPtr<IVTxtAuto> voiceText;
    OleCheck(CoCreateInstance(CLSID_VTxtAuto, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IVTxtAuto, reinterpret_cast<void**>(voiceText.GetAddressOf())),
             nullptr, IID_IVTxtAuto);
    return voiceText;
}

void VoiceTextRegister(IVTxtAuto* voiceText, std::u16string_view site,
                       std::u16string_view application) {
    TBStr siteText(site), applicationText(application);
    OleCheck(voiceText->Register(siteText.Get(), applicationText.Get()), voiceText, IID_IVTxtAuto);
}

void VoiceTextSpeak(IVTxtAuto* voiceText, std::u16string_view text, long flags) {
    TBStr bstr(text);
    OleCheck(voiceText->Speak(bstr.Get(), flags), voiceText, IID_IVTxtAuto);
}

void VoiceTextStopSpeaking(IVTxtAuto* voiceText) {
    OleCheck(voiceText->StopSpeaking(), voiceText, IID_IVTxtAuto);
}
