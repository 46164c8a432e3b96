#include "AutoRun.h"
#include "Exception.h"
#include "PubFunction.h"
#include "UniqueHandle_win.h"

namespace {

// Without the trailing "\" of its usual spelling: the same key.
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run key with full access, created when missing, or none.
UniqueRegKey OpenRunKey(HKEY root) {
    UniqueRegKey key;
    // A failed call leaves nothing to close in the handle it was lent.
    if (RegCreateKeyExA(root, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(),
                        nullptr) != ERROR_SUCCESS)
        key.Release();
    return key;
}

// The Run key, when it exists, with only the access asked for (reading, by default).
UniqueRegKey OpenExistingRunKey(HKEY root, REGSAM access = KEY_QUERY_VALUE) {
    UniqueRegKey key;
    if (RegOpenKeyExA(root, kRunKey, 0, access, key.Put()) != ERROR_SUCCESS)
        key.Release();
    return key;
}

// The text of a value; a missing or unreadable value reads as the empty text.
std::string ReadRunValue(HKEY key, const std::string& name) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw Exception(Format("Invalid data type for '%s'", {name}));
    std::string data(size, '\0');
    if (size > 0 && RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return {};
    data.resize(size);
    // The stored terminator, or several, are no part of the text.
    while (!data.empty() && data.back() == '\0')
        data.pop_back();
    return data;
}

void WriteRunValue(HKEY key, const std::string& name, const std::string& text) {
    if (RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS)
        throw Exception(Format("Failed to set data for '%s'", {name}));
}

// A value that is not there is no error.
void RemoveRunValue(HKEY key, const std::string& name) {
    const LSTATUS status = RegDeleteValueA(key, name.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        throw Exception(Format("Failed to delete data for '%s'", {name}));
}

} // namespace

bool SetAutoRun(const std::string& valueName, const std::string& exePath, bool enable) {
    UniqueRegKey machine = OpenRunKey(HKEY_LOCAL_MACHINE);
    bool machineOn = false;
    if (!machine) {
        UniqueRegKey readable = OpenExistingRunKey(HKEY_LOCAL_MACHINE);
        try {
            machineOn = readable && SamePathLoose(exePath, ReadRunValue(readable.Get(), valueName));
        } catch (const Exception&) {
            // A value of another type does not start the program.
        }
    }
    const AutoRunPlan plan = PlanAutoRun(enable, static_cast<bool>(machine), machineOn);

    UniqueRegKey user = plan.User == AutoRunStep::Write
                            ? OpenRunKey(HKEY_CURRENT_USER)
                            : OpenExistingRunKey(HKEY_CURRENT_USER, KEY_SET_VALUE);
    const std::string data = "\"" + exePath + "\"";
    if (plan.Machine == AutoRunStep::Write)
        WriteRunValue(machine.Get(), valueName, data);
    else if (plan.Machine == AutoRunStep::Remove)
        RemoveRunValue(machine.Get(), valueName);
    if (user && plan.User == AutoRunStep::Write)
        WriteRunValue(user.Get(), valueName, data);
    else if (user && plan.User == AutoRunStep::Remove)
        RemoveRunValue(user.Get(), valueName);
    // Saying nothing would leave the user believing that the program no longer starts.
    if (plan.MachineStaysOn)
        throw Exception(Format("Failed to delete data for '%s'", {valueName}));
    return machine || user;
}

bool IsAutoRun(const std::string& valueName, const std::string& exePath) {
    UniqueRegKey machine = OpenRunKey(HKEY_LOCAL_MACHINE);
    if (!machine)
        machine = OpenExistingRunKey(HKEY_LOCAL_MACHINE);
    if (machine && SamePathLoose(exePath, ReadRunValue(machine.Get(), valueName)))
        return true;
    UniqueRegKey user = OpenExistingRunKey(HKEY_CURRENT_USER);
    return user && SamePathLoose(exePath, ReadRunValue(user.Get(), valueName));
}
