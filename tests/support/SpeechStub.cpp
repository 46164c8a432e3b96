#include "SpeechStub.h"

#include "WineTest.h"

#include <windows.h>

#include <sstream>

namespace speechstub {

namespace {

const char kSapiClass[] = "{96749377-3391-11D2-9EE3-00C04F797396}";
const char kVoiceTextClass[] = "{FF2C7A52-78F9-11CE-B762-00AA004CD65C}";
const char kConfigKey[] = "Software\\TappoloSpeechStub";
const char kSavedKey[] = "Software\\TappoloSpeechStub\\Saved";
constexpr REGSAM kView = KEY_WOW64_64KEY;

std::string ServerKey(const char* clsid) {
    return std::string("Software\\Classes\\CLSID\\") + clsid + "\\InprocServer32";
}

bool ReadText(HKEY root, const std::string& key, const char* name, std::string& value) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | kView, &handle) != ERROR_SUCCESS)
        return false;
    char buffer[MAX_PATH * 2];
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    LONG result =
        RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return false;
    buffer[size] = '\0';
    value = buffer;
    return true;
}

bool WriteText(HKEY root, const std::string& key, const char* name, const std::string& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | kView, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG result =
        RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool RegisterOne(const char* clsid, const std::string& dllPath) {
    const std::string key = ServerKey(clsid);
    std::string previous, model;
    // Save the platform's own registration once; a second Register must not save ours.
    std::string saved;
    if (ReadText(HKEY_LOCAL_MACHINE, key, nullptr, previous) && previous != dllPath &&
        !ReadText(HKEY_LOCAL_MACHINE, kSavedKey, clsid, saved)) {
        WriteText(HKEY_LOCAL_MACHINE, kSavedKey, clsid, previous);
        if (ReadText(HKEY_LOCAL_MACHINE, key, "ThreadingModel", model))
            WriteText(HKEY_LOCAL_MACHINE, kSavedKey, (std::string(clsid) + ".model").c_str(),
                      model);
    }
    return WriteText(HKEY_LOCAL_MACHINE, key, nullptr, dllPath) &&
           WriteText(HKEY_LOCAL_MACHINE, key, "ThreadingModel", "Apartment");
}

void UnregisterOne(const char* clsid) {
    std::string previous, model;
    const std::string modelName = std::string(clsid) + ".model";
    if (ReadText(HKEY_LOCAL_MACHINE, kSavedKey, clsid, previous)) {
        WriteText(HKEY_LOCAL_MACHINE, ServerKey(clsid), nullptr, previous);
        if (ReadText(HKEY_LOCAL_MACHINE, kSavedKey, modelName.c_str(), model))
            WriteText(HKEY_LOCAL_MACHINE, ServerKey(clsid), "ThreadingModel", model);
        HKEY saved = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSavedKey, 0, KEY_SET_VALUE | kView, &saved) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(saved, clsid);
            RegDeleteValueA(saved, modelName.c_str());
            RegCloseKey(saved);
        }
        return;
    }
    HKEY classes = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID", 0, KEY_ALL_ACCESS | kView,
                      &classes) == ERROR_SUCCESS) {
        RegDeleteTreeA(classes, clsid);
        RegCloseKey(classes);
    }
}

} // namespace

std::string DllPath() {
    return wt::UnixToWinPath(TAPPOLO_SPEECHSTUB_DLL);
}

bool Register(unsigned engines, const std::string& dllPath) {
    bool ok = true;
    if (engines & Sapi)
        ok = RegisterOne(kSapiClass, dllPath) && ok;
    if (engines & VoiceText)
        ok = RegisterOne(kVoiceTextClass, dllPath) && ok;
    return ok;
}

void Unregister(unsigned engines) {
    if (engines & Sapi)
        UnregisterOne(kSapiClass);
    if (engines & VoiceText)
        UnregisterOne(kVoiceTextClass);
}

void Configure(const std::string& logPath, int voices, bool failSpeak) {
    SetEnvironmentVariableA("TAPPOLO_SPEECH_LOG", logPath.c_str());
    SetEnvironmentVariableA("TAPPOLO_SPEECH_VOICES", std::to_string(voices).c_str());
    SetEnvironmentVariableA("TAPPOLO_SPEECH_FAIL", failSpeak ? "1" : "0");
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kConfigKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    DWORD count = static_cast<DWORD>(voices), fail = failSpeak ? 1 : 0;
    RegSetValueExA(key, "Log", 0, REG_SZ, reinterpret_cast<const BYTE*>(logPath.c_str()),
                   static_cast<DWORD>(logPath.size() + 1));
    RegSetValueExA(key, "Voices", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                   sizeof count);
    RegSetValueExA(key, "FailSpeak", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&fail),
                   sizeof fail);
    RegCloseKey(key);
}

void ClearConfiguration() {
    SetEnvironmentVariableA("TAPPOLO_SPEECH_LOG", nullptr);
    SetEnvironmentVariableA("TAPPOLO_SPEECH_VOICES", nullptr);
    SetEnvironmentVariableA("TAPPOLO_SPEECH_FAIL", nullptr);
    RegDeleteTreeA(HKEY_CURRENT_USER, kConfigKey);
}

std::vector<std::string> ReadCalls(const std::string& logPath) {
    std::istringstream in(wt::ReadFileBytes(logPath));
    std::vector<std::string> calls;
    for (std::string line; std::getline(in, line);)
        calls.push_back(line);
    return calls;
}

void ClearCalls(const std::string& logPath) {
    DeleteFileA(logPath.c_str());
}

} // namespace speechstub
