#pragma once
// The SAPI 5 voice automation object, declared by hand: the interfaces carry only what the
// program calls, but every slot up to the last one used, in the platform's vtable order.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <string_view>

template <class T> using TComPtr = Microsoft::WRL::ComPtr<T>;

namespace SpeechLib {

// {96749377-3391-11D2-9EE3-00C04F797396}
inline const CLSID CLSID_SpVoice = {
    0x96749377, 0x3391, 0x11D2, {0x9E, 0xE3, 0x00, 0xC0, 0x4F, 0x79, 0x73, 0x96}};
// {269316D8-57BD-11D2-9EEE-00C04F797396}
inline const IID IID_ISpeechVoice = {
    0x269316D8, 0x57BD, 0x11D2, {0x9E, 0xEE, 0x00, 0xC0, 0x4F, 0x79, 0x73, 0x96}};
// {9285B776-2E7B-4BC0-B53E-580EB6FA967F}
inline const IID IID_ISpeechObjectTokens = {
    0x9285B776, 0x2E7B, 0x4BC0, {0xB5, 0x3E, 0x58, 0x0E, 0xB6, 0xFA, 0x96, 0x7F}};
// {C74A3ADC-B727-4500-A84A-B526721C8B8C}
inline const IID IID_ISpeechObjectToken = {
    0xC74A3ADC, 0xB727, 0x4500, {0xA8, 0x4A, 0xB5, 0x26, 0x72, 0x1C, 0x8B, 0x8C}};
// The voice's event interface; no handler is installed for it.
// {A372ACD1-3BEF-4BBD-8FFB-CB3E2B416AF8}
inline const IID DIID_ISpeechVoiceEvents = {
    0xA372ACD1, 0x3BEF, 0x4BBD, {0x8F, 0xFB, 0xCB, 0x3E, 0x2B, 0x41, 0x6A, 0xF8}};

// Interfaces the program only passes along are held as IDispatch.
struct ISpeechObjectTokens : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Count(long* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(long index, IDispatch** token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumVariant) = 0;
};

struct ISpeechVoice : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Status(IDispatch** status) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Voice(IDispatch** voice) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_Voice(IDispatch* voice) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AudioOutput(IDispatch** output) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_AudioOutput(IDispatch* output) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AudioOutputStream(IDispatch** stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_AudioOutputStream(IDispatch* stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Rate(long* rate) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Rate(long rate) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Volume(long* volume) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Volume(long volume) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    put_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL a) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    get_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL* a) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_EventInterests(long* interests) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_EventInterests(long interests) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Priority(long priority) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Priority(long* priority) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AlertBoundary(long boundary) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AlertBoundary(long* boundary) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SynchronousSpeakTimeout(long milliseconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SynchronousSpeakTimeout(long* milliseconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE Speak(BSTR text, long flags, long* streamNumber) = 0;
    virtual HRESULT STDMETHODCALLTYPE SpeakStream(IDispatch* stream, long flags,
                                                  long* streamNumber) = 0;
    virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
    virtual HRESULT STDMETHODCALLTYPE Resume() = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(BSTR type, long numItems, long* numSkipped) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVoices(BSTR requiredAttributes, BSTR optionalAttributes,
                                                ISpeechObjectTokens** tokens) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAudioOutputs(BSTR requiredAttributes,
                                                      BSTR optionalAttributes,
                                                      ISpeechObjectTokens** tokens) = 0;
    virtual HRESULT STDMETHODCALLTYPE WaitUntilDone(long msTimeout, VARIANT_BOOL* done) = 0;
    virtual HRESULT STDMETHODCALLTYPE SpeakCompleteEvent(long* handle) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsUISupported(BSTR typeOfUI, const VARIANT* extraData,
                                                    VARIANT_BOOL* supported) = 0;
    virtual HRESULT STDMETHODCALLTYPE DisplayUI(long hWndParent, BSTR title, BSTR typeOfUI,
                                                const VARIANT* extraData) = 0;
};

// Flags of Speak.
constexpr long SVSFlagsAsync = 1;
constexpr long SVSFPurgeBeforeSpeak = 2;

} // namespace SpeechLib

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
// platform has one, else to a new in-process one. Every failed call raises an Exception.
class TSpVoice {
public:
    TSpVoice() = default;
    TSpVoice(const TSpVoice&) = delete;
    TSpVoice& operator=(const TSpVoice&) = delete;

    SpeechLib::ISpeechVoice* DefaultInterface();

    TComPtr<SpeechLib::ISpeechObjectTokens> GetVoices(std::u16string_view requiredAttributes,
                                                      std::u16string_view optionalAttributes);
    // The voice property takes a token through the automation dispatch interface, the way a
    // late-bound client sets it.
    void SetVoice(IDispatch* token);
    void SetRate(long rate);
    long Speak(std::u16string_view text, long flags);

private:
    void Connect();
    TComPtr<SpeechLib::ISpeechVoice> FIntf;
};

// The token at `index` of a token collection; raises when there is none.
TComPtr<IDispatch> TokenItem(SpeechLib::ISpeechObjectTokens* tokens, long index);
