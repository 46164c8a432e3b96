// A stand-in for the platform's two speech automation objects, the SAPI 5 voice and Voice
// Text, registered under their real class identifiers in a test prefix. It speaks nothing:
// it appends one line per call to the log file that its configuration names, so a test can
// see which calls arrived, with which arguments, in which order.
//
// Configuration, read at every call (environment first, for a test that loads the stub into
// its own process; then HKCU\Software\TappoloSpeechStub, for a program started by a test):
//   TAPPOLO_SPEECH_LOG   / "Log"       log file path
//   TAPPOLO_SPEECH_VOICES/ "Voices"    how many US English voices GetVoices reports (default 2)
//   TAPPOLO_SPEECH_FAIL  / "FailSpeak" non-zero: Speak (both objects) fails with E_FAIL
//
// The SAPI 5 interfaces come from the platform's header, not from the program's code, so a slot
// the program gets wrong reaches the wrong method here. Voice Text has no header: its
// declaration is the program's.
#include "VTxtAuto_TLB.h"

#include <sapi.h>

#include <atomic>
#include <string>

using namespace VTxtAuto;

namespace {

// {5C1A0E3B-1F0D-4F52-9A51-7A7070010001}: how the voice recognises its own tokens.
const IID IID_StubToken = {
    0x5C1A0E3B, 0x1F0D, 0x4F52, {0x9A, 0x51, 0x7A, 0x70, 0x70, 0x01, 0x00, 0x01}};

const char kConfigKey[] = "Software\\TappoloSpeechStub";
const wchar_t kRefusal[] = L"Speech stub refused to speak";
constexpr DISPID kDispidVoice = 2;

std::atomic<long> gObjects{0};
std::atomic<long> gLocks{0};

std::string ConfigText(const char* envName, const char* valueName) {
    char buffer[MAX_PATH * 2];
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetEnvironmentVariableA(envName, buffer, sizeof buffer);
    // A variable that is set but empty still wins over the registry: it means "no log".
    if (length < sizeof buffer && GetLastError() != ERROR_ENVVAR_NOT_FOUND)
        return std::string(buffer, length);
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, kConfigKey, valueName, RRF_RT_REG_SZ, &type, buffer,
                     &size) == ERROR_SUCCESS)
        return buffer;
    return {};
}

long ConfigNumber(const char* envName, const char* valueName, long fallback) {
    char buffer[32];
    DWORD length = GetEnvironmentVariableA(envName, buffer, sizeof buffer);
    if (length > 0 && length < sizeof buffer)
        return std::strtol(buffer, nullptr, 10);
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kConfigKey, valueName, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) == ERROR_SUCCESS)
        return static_cast<long>(value);
    return fallback;
}

std::string Utf8(BSTR text) {
    if (text == nullptr)
        return {};
    int units = static_cast<int>(SysStringLen(text));
    int length = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, units, out.data(), length, nullptr, nullptr);
    return out;
}

std::string Quoted(BSTR text) {
    std::string out(1, '"');
    out.append(Utf8(text));
    out.push_back('"');
    return out;
}

void Log(const std::string& line) {
    std::string path = ConfigText("TAPPOLO_SPEECH_LOG", "Log");
    if (path.empty())
        return;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

bool SpeakFails() {
    return ConfigNumber("TAPPOLO_SPEECH_FAIL", "FailSpeak", 0) != 0;
}

HRESULT Refuse(REFIID iid) {
    TComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.GetAddressOf()))) {
        create->SetGUID(iid);
        create->SetDescription(const_cast<LPOLESTR>(kRefusal));
        TComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.As(&info)))
            SetErrorInfo(0, info.Get());
    }
    return E_FAIL;
}

// Reference counting and IDispatch without type information, shared by every stub object.
template <class Interface> class TStubObject : public Interface, public ISupportErrorInfo {
public:
    TStubObject() { ++gObjects; }
    virtual ~TStubObject() { --gObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || IsOwnInterface(iid))
            *out = static_cast<Interface*>(this);
        else if (iid == IID_ISupportErrorInfo)
            *out = static_cast<ISupportErrorInfo*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++FRefs); }
    ULONG STDMETHODCALLTYPE Release() override {
        long refs = --FRefs;
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
        return IsOwnInterface(iid) ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

protected:
    virtual bool IsOwnInterface(REFIID iid) = 0;
    HRESULT Unexpected(const char* name) {
        Log(std::string("unexpected ") + name);
        return E_NOTIMPL;
    }

private:
    std::atomic<long> FRefs{1};
};

class TStubToken final : public TStubObject<ISpeechObjectToken> {
public:
    explicit TStubToken(long index) : FIndex(index) {}
    long Index() const { return FIndex; }

    HRESULT STDMETHODCALLTYPE get_Id(BSTR*) override { return Unexpected("Token.Id"); }
    HRESULT STDMETHODCALLTYPE get_DataKey(ISpeechDataKey**) override {
        return Unexpected("Token.DataKey");
    }
    HRESULT STDMETHODCALLTYPE get_Category(ISpeechObjectTokenCategory**) override {
        return Unexpected("Token.Category");
    }
    HRESULT STDMETHODCALLTYPE GetDescription(LONG, BSTR*) override {
        return Unexpected("Token.GetDescription");
    }
    HRESULT STDMETHODCALLTYPE SetId(BSTR, BSTR, VARIANT_BOOL) override {
        return Unexpected("Token.SetId");
    }
    HRESULT STDMETHODCALLTYPE GetAttribute(BSTR, BSTR*) override {
        return Unexpected("Token.GetAttribute");
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, SpeechTokenContext, IUnknown**) override {
        return Unexpected("Token.CreateInstance");
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR) override { return Unexpected("Token.Remove"); }
    HRESULT STDMETHODCALLTYPE GetStorageFileName(BSTR, BSTR, BSTR, SpeechTokenShellFolder,
                                                 BSTR*) override {
        return Unexpected("Token.GetStorageFileName");
    }
    HRESULT STDMETHODCALLTYPE RemoveStorageFileName(BSTR, BSTR, VARIANT_BOOL) override {
        return Unexpected("Token.RemoveStorageFileName");
    }
    HRESULT STDMETHODCALLTYPE IsUISupported(const BSTR, const VARIANT*, IUnknown*,
                                            VARIANT_BOOL*) override {
        return Unexpected("Token.IsUISupported");
    }
    HRESULT STDMETHODCALLTYPE DisplayUI(LONG, BSTR, const BSTR, const VARIANT*,
                                        IUnknown*) override {
        return Unexpected("Token.DisplayUI");
    }
    HRESULT STDMETHODCALLTYPE MatchesAttributes(BSTR, VARIANT_BOOL*) override {
        return Unexpected("Token.MatchesAttributes");
    }

protected:
    bool IsOwnInterface(REFIID iid) override {
        return iid == IID_ISpeechObjectToken || iid == IID_StubToken;
    }

private:
    long FIndex;
};

class TStubTokens final : public TStubObject<ISpeechObjectTokens> {
public:
    explicit TStubTokens(long count) : FCount(count) {}

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        Log("SAPI.Count");
        *count = FCount;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(LONG index, ISpeechObjectToken** token) override {
        Log("SAPI.Item " + std::to_string(index));
        *token = nullptr;
        if (index < 0 || index >= FCount)
            return E_INVALIDARG;
        *token = new TStubToken(index);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return Unexpected("_NewEnum"); }

protected:
    bool IsOwnInterface(REFIID iid) override { return iid == IID_ISpeechObjectTokens; }

private:
    long FCount;
};

class TStubVoice final : public TStubObject<ISpeechVoice> {
public:
    TStubVoice() { Log("SAPI.Create"); }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (count == 1 && lstrcmpiW(names[0], L"Voice") == 0) {
            ids[0] = kDispidVoice;
            return S_OK;
        }
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT*, EXCEPINFO*, UINT*) override {
        if (id != kDispidVoice || (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) == 0)
            return DISP_E_MEMBERNOTFOUND;
        if (params == nullptr || params->cArgs != 1 || params->cNamedArgs != 1 ||
            params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_BADPARAMCOUNT;
        if (params->rgvarg[0].vt != VT_DISPATCH)
            return DISP_E_TYPEMISMATCH;
        const char* how = (flags & DISPATCH_PROPERTYPUTREF) != 0 ? "putref" : "put";
        Log(std::string("SAPI.Invoke Voice ") + how);
        return PutVoice(params->rgvarg[0].pdispVal);
    }

    HRESULT STDMETHODCALLTYPE putref_Voice(ISpeechObjectToken* voice) override {
        Log("SAPI.putref_Voice");
        return PutVoice(voice);
    }
    HRESULT PutVoice(IDispatch* voice) {
        TComPtr<IUnknown> own;
        if (voice != nullptr && SUCCEEDED(voice->QueryInterface(
                                    IID_StubToken, reinterpret_cast<void**>(own.GetAddressOf())))) {
            auto* token = static_cast<TStubToken*>(static_cast<ISpeechObjectToken*>(own.Get()));
            Log("SAPI.Voice token=" + std::to_string(token->Index()));
            return S_OK;
        }
        Log("SAPI.Voice token=foreign");
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE put_Rate(LONG rate) override {
        Log("SAPI.Rate " + std::to_string(rate));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Speak(BSTR text, SpeechVoiceSpeakFlags flags,
                                    LONG* streamNumber) override {
        Log("SAPI.Speak flags=" + std::to_string(static_cast<long>(flags)) +
            " text=" + Quoted(text));
        if (SpeakFails())
            return Refuse(IID_ISpeechVoice);
        if (streamNumber != nullptr)
            *streamNumber = ++FStreams;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetVoices(BSTR required, BSTR optional,
                                        ISpeechObjectTokens** tokens) override {
        Log("SAPI.GetVoices required=" + Quoted(required) + " optional=" + Quoted(optional));
        *tokens = new TStubTokens(ConfigNumber("TAPPOLO_SPEECH_VOICES", "Voices", 2));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_Status(ISpeechVoiceStatus**) override {
        return Unexpected("Status");
    }
    HRESULT STDMETHODCALLTYPE get_Voice(ISpeechObjectToken**) override {
        return Unexpected("get_Voice");
    }
    HRESULT STDMETHODCALLTYPE get_AudioOutput(ISpeechObjectToken**) override {
        return Unexpected("get_AudioOutput");
    }
    HRESULT STDMETHODCALLTYPE putref_AudioOutput(ISpeechObjectToken*) override {
        return Unexpected("putref_AudioOutput");
    }
    HRESULT STDMETHODCALLTYPE get_AudioOutputStream(ISpeechBaseStream**) override {
        return Unexpected("get_AudioOutputStream");
    }
    HRESULT STDMETHODCALLTYPE putref_AudioOutputStream(ISpeechBaseStream*) override {
        return Unexpected("putref_AudioOutputStream");
    }
    HRESULT STDMETHODCALLTYPE get_Rate(LONG*) override { return Unexpected("get_Rate"); }
    HRESULT STDMETHODCALLTYPE get_Volume(LONG*) override { return Unexpected("get_Volume"); }
    HRESULT STDMETHODCALLTYPE put_Volume(LONG) override { return Unexpected("put_Volume"); }
    HRESULT STDMETHODCALLTYPE put_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL) override {
        return Unexpected("put_AllowAudioOutputFormatChangesOnNextSet");
    }
    HRESULT STDMETHODCALLTYPE get_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL*) override {
        return Unexpected("get_AllowAudioOutputFormatChangesOnNextSet");
    }
    HRESULT STDMETHODCALLTYPE get_EventInterests(SpeechVoiceEvents*) override {
        return Unexpected("get_EventInterests");
    }
    HRESULT STDMETHODCALLTYPE put_EventInterests(SpeechVoiceEvents) override {
        return Unexpected("put_EventInterests");
    }
    HRESULT STDMETHODCALLTYPE put_Priority(SpeechVoicePriority) override {
        return Unexpected("put_Priority");
    }
    HRESULT STDMETHODCALLTYPE get_Priority(SpeechVoicePriority*) override {
        return Unexpected("get_Priority");
    }
    HRESULT STDMETHODCALLTYPE put_AlertBoundary(SpeechVoiceEvents) override {
        return Unexpected("put_AlertBoundary");
    }
    HRESULT STDMETHODCALLTYPE get_AlertBoundary(SpeechVoiceEvents*) override {
        return Unexpected("get_AlertBoundary");
    }
    HRESULT STDMETHODCALLTYPE put_SynchronousSpeakTimeout(LONG) override {
        return Unexpected("put_SynchronousSpeakTimeout");
    }
    HRESULT STDMETHODCALLTYPE get_SynchronousSpeakTimeout(LONG*) override {
        return Unexpected("get_SynchronousSpeakTimeout");
    }
    HRESULT STDMETHODCALLTYPE SpeakStream(ISpeechBaseStream*, SpeechVoiceSpeakFlags,
                                          LONG*) override {
        return Unexpected("SpeakStream");
    }
    HRESULT STDMETHODCALLTYPE Pause() override { return Unexpected("Pause"); }
    HRESULT STDMETHODCALLTYPE Resume() override { return Unexpected("Resume"); }
    HRESULT STDMETHODCALLTYPE Skip(const BSTR, LONG, LONG*) override { return Unexpected("Skip"); }
    HRESULT STDMETHODCALLTYPE GetAudioOutputs(BSTR, BSTR, ISpeechObjectTokens**) override {
        return Unexpected("GetAudioOutputs");
    }
    HRESULT STDMETHODCALLTYPE WaitUntilDone(LONG, VARIANT_BOOL*) override {
        return Unexpected("WaitUntilDone");
    }
    HRESULT STDMETHODCALLTYPE SpeakCompleteEvent(LONG*) override {
        return Unexpected("SpeakCompleteEvent");
    }
    HRESULT STDMETHODCALLTYPE IsUISupported(const BSTR, const VARIANT*, VARIANT_BOOL*) override {
        return Unexpected("IsUISupported");
    }
    HRESULT STDMETHODCALLTYPE DisplayUI(LONG, BSTR, const BSTR, const VARIANT*) override {
        return Unexpected("DisplayUI");
    }

protected:
    bool IsOwnInterface(REFIID iid) override { return iid == IID_ISpeechVoice; }

private:
    long FStreams = 0;
};

class TStubVoiceText final : public TStubObject<IVTxtAuto> {
public:
    TStubVoiceText() { Log("VT.Create"); }

    HRESULT STDMETHODCALLTYPE Register(BSTR site, BSTR application) override {
        Log("VT.Register site=" + Quoted(site) + " app=" + Quoted(application));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Speak(BSTR text, long flags) override {
        Log("VT.Speak flags=" + std::to_string(flags) + " text=" + Quoted(text));
        return SpeakFails() ? Refuse(IID_IVTxtAuto) : S_OK;
    }
    HRESULT STDMETHODCALLTYPE StopSpeaking() override {
        Log("VT.StopSpeaking");
        return S_OK;
    }

protected:
    bool IsOwnInterface(REFIID iid) override { return iid == IID_IVTxtAuto; }
};

template <class Object> class TStubFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Static objects: the module lock count keeps the DLL loaded while a factory is held.
    ULONG STDMETHODCALLTYPE AddRef() override {
        ++gLocks;
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        --gLocks;
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        auto* object = new Object();
        HRESULT result = object->QueryInterface(iid, out);
        object->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++gLocks : --gLocks;
        return S_OK;
    }
};

TStubFactory<TStubVoice> gVoiceFactory;
TStubFactory<TStubVoiceText> gVoiceTextFactory;

} // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (clsid == CLSID_SpVoice)
        return gVoiceFactory.QueryInterface(iid, out);
    if (clsid == CLSID_VTxtAuto)
        return gVoiceTextFactory.QueryInterface(iid, out);
    *out = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return gObjects == 0 && gLocks == 0 ? S_OK : S_FALSE;
}
