#include "SpeechLib_TLB.h"

#include "CodePage.h"
#include "Exception.h"
#include "FileSystem.h"

#include <cstdio>

namespace {

std::u16string_view AsU16(BSTR text) {
    return text == nullptr
               ? std::u16string_view()
               : std::u16string_view(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

std::string SystemText(HRESULT result) {
    std::string text = SystemErrorText(static_cast<int>(result));
    if (text.empty()) {
        char code[16];
        std::snprintf(code, sizeof code, "%.8lX", static_cast<unsigned long>(result));
        text = Format("OLE error %s", {code});
    }
    return text;
}

[[noreturn]] void RaiseOleError(HRESULT result, const std::string& description) {
    throw Exception(description.empty() ? SystemText(result) : description);
}

} // namespace

TBStr::TBStr(std::u16string_view text)
    : FValue(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                               static_cast<UINT>(text.size()))) {
    if (FValue == nullptr)
        RaiseOleError(E_OUTOFMEMORY, "");
}

void OleCheck(HRESULT result, IUnknown* object, REFIID iid) {
    if (SUCCEEDED(result))
        return;
    std::string description;
    // Only an object that says it sets error information for this interface is believed;
    // anything else may be a leftover of an unrelated call.
    TComPtr<ISupportErrorInfo> support;
    if (object != nullptr &&
        SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo,
                                         reinterpret_cast<void**>(support.GetAddressOf()))) &&
        support->InterfaceSupportsErrorInfo(iid) == S_OK) {
        TComPtr<IErrorInfo> info;
        BSTR text = nullptr;
        if (GetErrorInfo(0, info.GetAddressOf()) == S_OK && info &&
            SUCCEEDED(info->GetDescription(&text))) {
            description = Utf16ToAnsi(AsU16(text));
            SysFreeString(text);
        }
    }
    RaiseOleError(result, description);
}

void TSpVoice::Connect() {
    if (FIntf)
        return;
    TComPtr<IUnknown> running;
    if (SUCCEEDED(GetActiveObject(CLSID_SpVoice, nullptr, running.GetAddressOf())) && running &&
        SUCCEEDED(running->QueryInterface(IID_ISpeechVoice,
                                          reinterpret_cast<void**>(FIntf.GetAddressOf()))))
        return;
    FIntf.Reset();
    // Any server the platform registered for the class will do, as a plain "create" allows.
    OleCheck(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_ISpeechVoice, reinterpret_cast<void**>(FIntf.GetAddressOf())),
             nullptr, IID_ISpeechVoice);
}

ISpeechVoice* TSpVoice::DefaultInterface() {
    Connect();
    return FIntf.Get();
}

TComPtr<ISpeechObjectTokens> TSpVoice::GetVoices(std::u16string_view requiredAttributes,
                                                 std::u16string_view optionalAttributes) {
    ISpeechVoice* voice = DefaultInterface();
    TBStr required(requiredAttributes), optional(optionalAttributes);
    TComPtr<ISpeechObjectTokens> tokens;
    OleCheck(voice->GetVoices(required.Get(), optional.Get(), tokens.GetAddressOf()), voice,
             IID_ISpeechVoice);
    if (!tokens)
        RaiseOleError(E_POINTER, "");
    return tokens;
}

void TSpVoice::SetVoice(IDispatch* token) {
    ISpeechVoice* voice = DefaultInterface();
    OLECHAR name[] = L"Voice";
    LPOLESTR names[] = {name};
    DISPID dispid = DISPID_UNKNOWN;
    OleCheck(voice->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid), voice,
             IID_ISpeechVoice);

    VARIANTARG argument;
    VariantInit(&argument);
    argument.vt = VT_DISPATCH;
    argument.pdispVal = token;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&argument, &named, 1, 1};
    EXCEPINFO exception = {};
    UINT argError = 0;
    HRESULT result = voice->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF,
                                   &params, nullptr, &exception, &argError);
    // An object property is put by reference; a server that only knows a plain put says so.
    if (result == DISP_E_MEMBERNOTFOUND) {
        exception = {};
        result = voice->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                               nullptr, &exception, &argError);
    }
    std::string description;
    if (result == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn != nullptr)
            exception.pfnDeferredFillIn(&exception);
        description = Utf16ToAnsi(AsU16(exception.bstrDescription));
        if (exception.scode != 0)
            result = exception.scode;
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (FAILED(result))
        RaiseOleError(result, description);
}

void TSpVoice::SetRate(long rate) {
    ISpeechVoice* voice = DefaultInterface();
    OleCheck(voice->put_Rate(rate), voice, IID_ISpeechVoice);
}

long TSpVoice::Speak(std::u16string_view text, SpeechVoiceSpeakFlags flags) {
    ISpeechVoice* voice = DefaultInterface();
    TBStr bstr(text);
    long streamNumber = 0;
    OleCheck(voice->Speak(bstr.Get(), flags, &streamNumber), voice, IID_ISpeechVoice);
    return streamNumber;
}

TComPtr<ISpeechObjectToken> TokenItem(ISpeechObjectTokens* tokens, long index) {
    TComPtr<ISpeechObjectToken> token;
    OleCheck(tokens->Item(index, token.GetAddressOf()), tokens, IID_ISpeechObjectTokens);
    if (!token)
        RaiseOleError(E_POINTER, "");
    return token;
}
