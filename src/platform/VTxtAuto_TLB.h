#pragma once
// The older Voice Text automation object, declared by hand with the calls the program makes.
#include "SpeechLib_TLB.h"

namespace VTxtAuto {

// {FF2C7A52-78F9-11CE-B762-00AA004CD65C}
inline const CLSID CLSID_VTxtAuto = {
    0xFF2C7A52, 0x78F9, 0x11CE, {0xB7, 0x62, 0x00, 0xAA, 0x00, 0x4C, 0xD6, 0x5C}};
// {FF2C7A50-78F9-11CE-B762-00AA004CD65C}
inline const IID IID_IVTxtAuto = {
    0xFF2C7A50, 0x78F9, 0x11CE, {0xB7, 0x62, 0x00, 0xAA, 0x00, 0x4C, 0xD6, 0x5C}};

// A dual interface: after IDispatch's seven slots come Register, Speak and StopSpeaking, the
// first three members in the type library's order; the program calls nothing past them.
struct IVTxtAuto : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Register(BSTR site, BSTR application) = 0;
    virtual HRESULT STDMETHODCALLTYPE Speak(BSTR text, long flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE StopSpeaking() = 0;
};

// The Speak flag for very high priority.
constexpr long vtxtsp_VERYHIGH = 128;

} // namespace VTxtAuto

// A new Voice Text object, in-process or local; raises when the class is missing or refuses.
TComPtr<VTxtAuto::IVTxtAuto> CreateVoiceText();

// The three calls with their failures raised as Exception.
void VoiceTextRegister(VTxtAuto::IVTxtAuto* voiceText, std::u16string_view site,
                       std::u16string_view application);
void VoiceTextSpeak(VTxtAuto::IVTxtAuto* voiceText, std::u16string_view text, long flags);
void VoiceTextStopSpeaking(VTxtAuto::IVTxtAuto* voiceText);
