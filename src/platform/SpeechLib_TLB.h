#pragma once
// The SAPI 5 voice automation object, through the platform's own declarations.
#include "ComPtr.h"

#include <windows.h>
#include <oleauto.h>
#include <sapi.h>

#include <string>
#include <string_view>

// A BSTR owned for the length of one call.
class TBStr {
public:
    explicit TBStr(std::u16string_view text);
    ~TBStr() { SysFreeString(FValue); }
    TBStr(const TBStr&) = delete;
    TBStr& operator=(const TBStr&) = delete;
    BSTR Get() const { return FValue; }

private:
    BSTR FValue;
};

// Raises an Exception for a failed HRESULT of a call on `object`: the object's own error text
// when it offers one for interface `iid`, else the system's text for the code.
void OleCheck(HRESULT result, IUnknown* object, REFIID iid);

// The SAPI 5 voice. It attaches on first use: to a running voice object of the class if the
// platform has one, else to a new one, in-process or local. Every failed call raises an
// Exception.
class TSpVoice {
public:
    TSpVoice() = default;
    TSpVoice(const TSpVoice&) = delete;
    TSpVoice& operator=(const TSpVoice&) = delete;

    ISpeechVoice* DefaultInterface();

    TComPtr<ISpeechObjectTokens> GetVoices(std::u16string_view requiredAttributes,
                                           std::u16string_view optionalAttributes);
    // The voice property takes a token through the automation dispatch interface, the way a
    // late-bound client sets it.
    void SetVoice(IDispatch* token);
    void SetRate(long rate);
    long Speak(std::u16string_view text, SpeechVoiceSpeakFlags flags);

private:
    void Connect();
    TComPtr<ISpeechVoice> FIntf;
};

// The token at `index` of a token collection; raises when there is none.
TComPtr<ISpeechObjectToken> TokenItem(ISpeechObjectTokens* tokens, long index);
