#include "ForegroundSilence.h"

#include "CodePage.h"
#include "UniqueHandle_win.h"

#include <windows.h>
#include <shellapi.h>

namespace {

TScreenRect ToRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The desktop and the shell's windows under it: they cover the monitor without a caption.
bool IsShellWindow(HWND window) {
    if (window == GetDesktopWindow() || window == GetShellWindow())
        return true;
    char name[32] = {};
    if (!GetClassNameA(window, name, sizeof name))
        return false;
    return lstrcmpiA(name, "Progman") == 0 || lstrcmpiA(name, "WorkerW") == 0 ||
           lstrcmpiA(name, "Shell_TrayWnd") == 0;
}

// The image of the latest foreground window: a window handle is reused only after the window
// is gone, and the process id goes with it, so the pair names one process.
struct ImageCache {
    HWND Window = nullptr;
    DWORD ProcessId = 0;
    std::string Path;
};

} // namespace

std::string ProcessImagePath(unsigned long processId) {
    UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId)));
    if (!process)
        return {};
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(process.Get(), 0, path, &size))
        return {};
    return Utf16ToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(path), size));
}

TForeground ReadForeground(const TSoundOptions& options) {
    TForeground foreground;
    HWND window = GetForegroundWindow();
    if (window == nullptr)
        return foreground;
    foreground.Present = true;
    if (options.SilenceFullScreen) {
        foreground.Shell = IsShellWindow(window);
        RECT rect{};
        if (GetWindowRect(window, &rect))
            foreground.Window = ToRect(rect);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
            foreground.Monitor = ToRect(monitor.rcMonitor);
        foreground.Style = static_cast<uint32_t>(GetWindowLongPtrA(window, GWL_STYLE));
        QUERY_USER_NOTIFICATION_STATE state{};
        if (SUCCEEDED(SHQueryUserNotificationState(&state)))
            foreground.NotificationState = static_cast<int>(state);
    }
    if (options.SilenceListed && !options.SilencePrograms.empty()) {
        // The UI thread alone reads keys: the cache needs no lock.
        static ImageCache cache;
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (window != cache.Window || processId != cache.ProcessId) {
            cache.Window = window;
            cache.ProcessId = processId;
            cache.Path = ProcessImagePath(processId);
        }
        foreground.ImagePath = cache.Path;
    }
    return foreground;
}

std::optional<std::string> CurrentSilenceReason(const TSoundOptions& options) noexcept {
    if (!SilenceRulesOn(options))
        return std::nullopt;
    try {
        return SilenceReason(ReadForeground(options), options);
    } catch (...) {
        // Without memory for a path the key sounds, as it did before the rule existed.
        return std::nullopt;
    }
}
