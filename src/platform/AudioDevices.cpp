#include "AudioDevices.h"

#include "CodePage.h"
#include "ComPtr.h"
#include "ForegroundSilence.h"

#include <windows.h>
#include <mmdeviceapi.h>
#include <propsys.h>

#include <algorithm>

namespace {

// PKEY_Device_FriendlyName, spelled out: the MinGW libraries do not define it.
const PROPERTYKEY kFriendlyName = {
    {0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};

std::string Ansi(const wchar_t* text) {
    return text ? Utf16ToAnsi(reinterpret_cast<const char16_t*>(text)) : std::string();
}

struct WindowOwners {
    DWORD Self = 0;
    std::vector<DWORD> Processes;
};

BOOL CALLBACK CollectOwner(HWND window, LPARAM data) noexcept {
    auto& owners = *reinterpret_cast<WindowOwners*>(data);
    if (!IsWindowVisible(window) || GetWindowTextLengthA(window) == 0 ||
        GetWindow(window, GW_OWNER) != nullptr)
        return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != owners.Self && std::find(owners.Processes.begin(), owners.Processes.end(),
                                              processId) == owners.Processes.end()) {
        try {
            owners.Processes.push_back(processId);
        } catch (...) {
            return FALSE;
        }
    }
    return TRUE;
}

} // namespace

std::vector<TRenderDevice> ListRenderDevices() {
    std::vector<TRenderDevice> devices;
    TComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IMMDeviceEnumerator),
                                reinterpret_cast<void**>(enumerator.GetAddressOf()))))
        return devices;
    TComPtr<IMMDeviceCollection> collection;
    UINT count = 0;
    if (FAILED(enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE,
                                              collection.GetAddressOf())) ||
        FAILED(collection->GetCount(&count)))
        return devices;
    for (UINT i = 0; i < count; ++i) {
        TComPtr<IMMDevice> device;
        if (FAILED(collection->Item(i, device.GetAddressOf())))
            continue;
        TRenderDevice entry;
        LPWSTR id = nullptr;
        if (FAILED(device->GetId(&id)))
            continue;
        entry.Id = Ansi(id);
        CoTaskMemFree(id);
        TComPtr<IPropertyStore> properties;
        if (SUCCEEDED(device->OpenPropertyStore(STGM_READ, properties.GetAddressOf()))) {
            PROPVARIANT name;
            PropVariantInit(&name);
            if (SUCCEEDED(properties->GetValue(kFriendlyName, &name)) && name.vt == VT_LPWSTR)
                entry.Name = Ansi(name.pwszVal);
            PropVariantClear(&name);
        }
        // A device without a name is still one the user may mean: it shows by its ID.
        if (entry.Name.empty())
            entry.Name = entry.Id;
        devices.push_back(std::move(entry));
    }
    return devices;
}

std::vector<std::string> ProgramsWithWindows() {
    WindowOwners owners;
    owners.Self = GetCurrentProcessId();
    EnumWindows(&CollectOwner, reinterpret_cast<LPARAM>(&owners));
    std::vector<std::string> paths;
    for (DWORD processId : owners.Processes) {
        std::string path = ProcessImagePath(processId);
        if (!path.empty())
            paths.push_back(std::move(path));
    }
    return paths;
}
